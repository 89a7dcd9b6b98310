// Program and bank files: exact layouts, round trips through the bytes and through
// the editor's file prompt, dumps, and hostile files that must change nothing.
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "StateTestPlug.h"
#include "plugcore/PresetFiles.h"

namespace {

using Bytes = std::vector<unsigned char>;

// The same four parameters, keeping its state as an opaque chunk.
class ChunkPlug : public HostlessPlug
{
public:
  explicit ChunkPlug(int nPresets = 2)
      : HostlessPlug(4, "1-1 2-2", nPresets, "Chunk Test", "Chunk Test", "Maker", 0x00010203, 0x54657374, 0x4D6B6572, 0,
                     false, true, false, kAPIAU)
  {
    GetParam(0)->InitDouble("Level", 0.5, 0.25, 1.0, 0.01);
    GetParam(1)->InitDouble("Attack", 1.0, 0.0, 2.0, 0.01);
    GetParam(2)->InitBool("Effect", false);
    GetParam(3)->InitInt("Mode", 3, 0, 5);
  }
};

// An editor whose file prompt answers with a fixed path and records what it was asked.
struct PromptEditor : public StateTestEditor
{
  std::vector<Shown> mShownStore;
  std::string mAnswer, mAskedName, mAskedExt;
  int mAskedAction = -1;
  PromptEditor() : StateTestEditor(&mShownStore) {}
  void PromptForFile(Core_String* file, EFileAction action, Core_String*, char* extensions) override
  {
    mAskedName = file->Get();
    mAskedAction = action;
    mAskedExt = extensions;
    file->Set(mAnswer.c_str());
  }
};

// Everything a load may touch: parameter values, presets and the current index.
template <class Plug>
Bytes Snapshot(Plug& plug)
{
  ByteChunk c;
  plug.SerializeState(&c);
  plug.SerializePresets(&c);
  const int current = plug.GetCurrentPresetIdx();
  c.Put(&current);
  return BytesOf(c);
}

void PutBE(Bytes& b, size_t at, uint32_t v)
{
  for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

uint32_t FloatBits(float f)
{
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

std::string ReadText(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct TempFolder
{
  std::string mPath;
  TempFolder()
  {
    char pattern[] = "/tmp/brindle-presets-XXXXXX";
    if (const char* made = mkdtemp(pattern)) mPath = made;
  }
  ~TempFolder() { std::system(("rm -rf '" + mPath + "'").c_str()); }
  int Count() const
  {
    int n = 0;
    DIR* d = opendir(mPath.c_str());
    while (dirent* e = d ? readdir(d) : nullptr) n += e->d_name[0] != '.';
    if (d) closedir(d);
    return n;
  }
};

TEST(PresetFiles, ProgramAndBankLayouts)
{
  StateTestPlug plug(2);
  plug.MakePreset("A name that is longer than twenty-seven bytes", 0.25, 2.0, 1, 5);
  ASSERT_TRUE(plug.RestorePreset(0));
  Bytes fxp;
  ASSERT_TRUE(plug.BuildProgramFile(&fxp));
  ASSERT_EQ(fxp.size(), 72u);
  const Bytes head = {'C', 'c', 'n', 'K', 0,   0,   0, 0, 'F',  'x',  'C', 'k', 0, 0,
                      0,   1,   'T', 'e', 's', 't', 0, 0, 0x27, 0x10, 0,   0,   0, 4}; // decimal version 1.0.0 = 10000
  EXPECT_EQ(Bytes(fxp.begin(), fxp.begin() + 28), head);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&fxp[28])),
            std::string("A name that is longer than twenty-seven bytes", 27));
  const float expected[4] = {0.0f, 1.0f, 1.0f, 1.0f};
  for (int i = 0; i < 4; ++i) {
    Bytes v(4);
    PutBE(v, 0, FloatBits(expected[i]));
    EXPECT_EQ(Bytes(fxp.begin() + 56 + 4 * i, fxp.begin() + 60 + 4 * i), v) << i;
  }

  // Bank: header, then one 72-byte program per preset; the empty slot's values count as 0.
  Bytes fxb;
  ASSERT_TRUE(plug.BuildBankFile(&fxb));
  ASSERT_EQ(fxb.size(), 156u + 2 * 72u);
  EXPECT_EQ(Bytes(fxb.begin() + 8, fxb.begin() + 12), Bytes({'F', 'x', 'B', 'k'}));
  EXPECT_EQ(fxb[27], 2);
  EXPECT_EQ(Bytes(fxb.begin() + 156, fxb.begin() + 228), fxp);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&fxb[228 + 28])), "empty");

  // Chunk form: the 8-byte version header plus the 32-byte state make a 100-byte program.
  ChunkPlug chunkPlug;
  ASSERT_TRUE(chunkPlug.BuildProgramFile(&fxp));
  ASSERT_EQ(fxp.size(), 100u);
  EXPECT_EQ(fxp[7], 100);
  EXPECT_EQ(Bytes(fxp.begin() + 8, fxp.begin() + 12), Bytes({'F', 'P', 'C', 'h'}));
  EXPECT_EQ(fxp[59], 40);
  EXPECT_EQ(Bytes(fxp.begin() + 60, fxp.begin() + 68), Bytes({'t', 'f', 'f', 'p', 0, 0, 1, 0}));
}

TEST(PresetFiles, RoundTripsThroughBytes)
{
  // Parameter-form program: values and name arrive, the current preset takes them.
  StateTestPlug source(3), dest(3);
  source.MakePreset("Init", 0.5, 1.0, 0, 3);
  source.MakePreset("Hot", 0.9, 0.2, 1, 5);
  ASSERT_TRUE(source.RestorePreset(1));
  Bytes fxp, fxb;
  ASSERT_TRUE(source.BuildProgramFile(&fxp));
  dest.MakePreset("Init", 0.5, 1.0, 0, 3);
  dest.ClearRecords();
  ASSERT_TRUE(dest.LoadProgramFile(fxp.data(), fxp.size()));
  EXPECT_NEAR(dest.Value(0), 0.9, 1e-6);
  EXPECT_NEAR(dest.Value(1), 0.2, 1e-6);
  EXPECT_EQ(dest.Value(3), 5.0);
  EXPECT_STREQ(dest.GetPresetName(0), "Hot");
  EXPECT_EQ(dest.mParamChanges.size(), 4u);

  // Parameter-form bank: every name and value, and the file's current preset.
  ASSERT_TRUE(source.BuildBankFile(&fxb));
  StateTestPlug bankDest(3);
  ASSERT_TRUE(bankDest.LoadBankFile(fxb.data(), fxb.size()));
  EXPECT_EQ(bankDest.GetCurrentPresetIdx(), 1);
  EXPECT_STREQ(bankDest.GetPresetName(1), "Hot");
  EXPECT_NEAR(bankDest.Value(0), 0.9, 1e-6);
  ASSERT_TRUE(bankDest.RestorePreset(0));
  EXPECT_STREQ(bankDest.GetPresetName(0), "Init");
  EXPECT_NEAR(bankDest.Value(0), 0.5, 1e-6);

  // Chunk-form bank: names and states exactly.
  ChunkPlug chunkSource(2), chunkDest(2);
  chunkSource.MakePreset("One", 0.3, 0.7, 1, 2);
  chunkSource.MakePreset("Two", 0.6, 1.5, 0, 4);
  ASSERT_TRUE(chunkSource.BuildBankFile(&fxb));
  ASSERT_TRUE(chunkDest.LoadBankFile(fxb.data(), fxb.size()));
  for (int i = 0; i < 2; ++i) {
    EXPECT_STREQ(chunkDest.GetPresetName(i), chunkSource.GetPresetName(i));
    EXPECT_TRUE(chunkDest.GetPreset(i)->mChunk.IsEqual(chunkSource.GetPreset(i)->mChunk)) << i;
  }

  // A chunk-form program without the version header is read from offset 60.
  ASSERT_TRUE(chunkSource.RestorePreset(1));
  ASSERT_TRUE(chunkSource.BuildProgramFile(&fxp));
  fxp.erase(fxp.begin() + 60, fxp.begin() + 68);
  PutBE(fxp, 4, 92);
  PutBE(fxp, 56, 32);
  ASSERT_TRUE(chunkDest.LoadProgramFile(fxp.data(), fxp.size()));
  EXPECT_EQ(chunkDest.GetParam(1)->mValue, 1.5);
}

TEST(PresetFiles, HostileFilesChangeNothing)
{
  StateTestPlug good(2);
  good.MakePreset("Init", 0.5, 1.0, 0, 3);
  good.MakePreset("Hot", 0.9, 0.2, 1, 5);
  Bytes fxp, fxb, chunkFxp, chunkFxb;
  ASSERT_TRUE(good.BuildProgramFile(&fxp));
  ASSERT_TRUE(good.BuildBankFile(&fxb));
  ChunkPlug chunkGood(2);
  chunkGood.MakePreset("One", 0.3, 0.7, 1, 2);
  chunkGood.MakePreset("Two", 0.6, 1.5, 0, 4);
  ASSERT_TRUE(chunkGood.BuildProgramFile(&chunkFxp));
  ASSERT_TRUE(chunkGood.BuildBankFile(&chunkFxb));

  auto with = [](Bytes b, size_t at, uint32_t v) {
    PutBE(b, at, v);
    return b;
  };
  auto cut = [](const Bytes& b, size_t n) { return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n)); };
  Bytes oversize = fxp;
  oversize.resize(static_cast<size_t>(kPresetFileMaxBytes) + 1);
  Bytes bankOfTooMany = with(fxb, 24, 3);             // announces a third program that is not there
  Bytes shortState = with(cut(chunkFxp, 90), 56, 30); // a state with a missing value
  PutBE(shortState, 4, 90);

  struct Case
  {
    const char* what;
    bool bank;
    bool chunk;
    Bytes bytes;
  };
  const Case cases[] = {
      {"empty", false, false, {}},
      {"header only", false, false, cut(fxp, 56)},
      {"last float cut", false, false, cut(fxp, 71)},
      {"no CcnK", false, false, with(fxp, 0, 0x43636E4C)},
      {"unknown form", false, false, with(fxp, 8, 0x46784378)},
      {"format version 2", false, false, with(fxp, 12, 2)},
      {"foreign plug-in ID", false, false, with(fxp, 16, 0x62646C33)},
      {"three parameters", false, false, with(cut(fxp, 68), 24, 3)},
      {"five parameters", false, false, with(fxp, 24, 5)},
      {"negative parameter count", false, false, with(fxp, 24, 0xFFFFFFFF)},
      {"NaN value", false, false, with(fxp, 60, 0x7FC00000)},
      {"infinite value", false, false, with(fxp, 64, 0x7F800000)},
      {"over 1 MiB", false, false, oversize},
      {"chunk form for a parameter plug-in", false, false, chunkFxp},
      {"chunk size past the end", false, true, with(chunkFxp, 56, 41)},
      {"negative chunk size", false, true, with(chunkFxp, 56, 0xFFFFFFFF)},
      {"header magic without version", false, true, with(with(cut(chunkFxp, 64), 56, 4), 4, 64)},
      {"state ends early", false, true, shortState},
      {"bank header cut", true, false, cut(fxb, 155)},
      {"bank of a foreign plug-in", true, false, with(fxb, 16, 0x41424344)},
      {"second program cut", true, false, cut(fxb, fxb.size() - 1)},
      {"second program of 3 parameters", true, false, with(fxb, 156 + 72 + 24, 3)},
      {"second program not FxCk", true, false, with(fxb, 156 + 72 + 8, 0x46504368)},
      {"NaN in the second program", true, false, with(fxb, 156 + 72 + 56, 0xFFC00000)},
      {"more programs than the file holds", true, false, bankOfTooMany},
      {"huge program count", true, false, with(fxb, 24, 0x7FFFFFFF)},
      {"negative program count", true, false, with(fxb, 24, 0x80000000)},
      {"chunk bank for a parameter plug-in", true, false, chunkFxb},
      {"bank chunk past the end", true, true, with(chunkFxb, 156, static_cast<uint32_t>(chunkFxb.size()))},
      {"bank chunk missing its last preset's state", true, true,
       with(with(cut(chunkFxb, chunkFxb.size() - 8), 156, static_cast<uint32_t>(chunkFxb.size() - 168)), 4,
            static_cast<uint32_t>(chunkFxb.size() - 8))},
  };
  for (const Case& c : cases) {
    StateTestPlug plug(2);
    ChunkPlug chunkPlug(2);
    plug.MakePreset("Mine", 0.75, 0.5, 1, 1);
    chunkPlug.MakePreset("Mine", 0.75, 0.5, 1, 1);
    ASSERT_TRUE(plug.RestorePreset(0));
    ASSERT_TRUE(chunkPlug.RestorePreset(0));
    chunkPlug.GetParam(1)->Set(1.25); // live values differ from the stored preset
    const Bytes before = c.chunk ? Snapshot(chunkPlug) : Snapshot(plug);
    std::string error;
    IEffectBase& target = c.chunk ? static_cast<IEffectBase&>(chunkPlug) : plug;
    const bool loaded = c.bank ? target.LoadBankFile(c.bytes.data(), c.bytes.size(), &error)
                               : target.LoadProgramFile(c.bytes.data(), c.bytes.size(), &error);
    EXPECT_FALSE(loaded) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_EQ(error.find('\n'), std::string::npos) << c.what;
    EXPECT_EQ(c.chunk ? Snapshot(chunkPlug) : Snapshot(plug), before) << c.what << ": " << error;
  }
}

TEST(PresetFiles, FileCallsGoThroughTheEditorPrompt)
{
  TempFolder dir;
  StateTestPlug plug(2);
  plug.MakePreset("Init", 0.5, 1.0, 0, 3);
  EXPECT_FALSE(plug.SaveProgramAsFXP("x.fxp")) << "no editor";
  EXPECT_FALSE(plug.LoadBankFromFXB()) << "no editor";
  PromptEditor* editor = new PromptEditor;
  plug.AttachGraphics(editor);
  EXPECT_FALSE(plug.SaveProgramAsFXP("x.fxp")) << "cancelled";
  EXPECT_EQ(editor->mAskedName, "x.fxp");
  EXPECT_EQ(editor->mAskedExt, "fxp");
  EXPECT_EQ(editor->mAskedAction, kFileSave);

  editor->mAnswer = dir.mPath + "/bank.fxb";
  ASSERT_TRUE(plug.SaveBankAsFXB("bank.fxb"));
  editor->mAnswer = dir.mPath + "/prog.fxp";
  ASSERT_TRUE(plug.SaveProgramAsFXP("prog.fxp"));
  EXPECT_EQ(dir.Count(), 2) << "no temporary file is left behind";
  EXPECT_EQ(ReadText(dir.mPath + "/prog.fxp").size(), 72u);

  plug.GetParam(0)->Set(1.0);
  ASSERT_TRUE(plug.LoadProgramFromFXP());
  EXPECT_EQ(editor->mAskedAction, kFileOpen);
  EXPECT_EQ(editor->mAskedName, "");
  EXPECT_NEAR(plug.Value(0), 0.5, 1e-6);
  editor->mAnswer = dir.mPath + "/bank.fxb";
  EXPECT_TRUE(plug.LoadBankFromFXB());

  editor->mAnswer = dir.mPath + "/missing/prog.fxp";
  EXPECT_FALSE(plug.SaveProgramAsFXP("prog.fxp")) << "folder does not exist";
  EXPECT_FALSE(plug.LoadProgramFromFXP()) << "file does not exist";
  editor->mAnswer = dir.mPath + "/bank.fxb";
  EXPECT_FALSE(plug.LoadProgramFromFXP()) << "a bank is not a program";
}

TEST(PresetFiles, SourceAndBlobDumps)
{
  TempFolder dir;
  StateTestPlug plug(1);
  plug.SetValues(0.3, 1.5, 1, 4);
  plug.MakeDefaultPreset("Now");
  const char* names[] = {"kLevel", "kAttack", nullptr, "kMode"};
  ASSERT_TRUE(plug.DumpPresetSrcCode((dir.mPath + "/src.txt").c_str(), names));
  EXPECT_EQ(ReadText(dir.mPath + "/src.txt"),
            "  MakePresetFromNamedParams(\"name\", 4,\n    kLevel, 0.300000,\n    kAttack, 1.500000,\n    2, true,\n"
            "    kMode, 4);\n");

  // A chunk far beyond the old 765-byte limit still dumps whole and reads back.
  IPreset* preset = plug.GetPreset(0);
  for (int i = 0; preset->mChunk.Size() < 2000; ++i) preset->mChunk.Put(&i);
  ASSERT_TRUE(plug.DumpPresetBlob((dir.mPath + "/blob.txt").c_str()));
  const std::string text = ReadText(dir.mPath + "/blob.txt");
  const std::string prefix = "MakePresetFromBlob(\"name\", \"";
  ASSERT_EQ(text.compare(0, prefix.size(), prefix), 0);
  EXPECT_NE(text.find("\", 2000);\n"), std::string::npos);
  StateTestPlug reader(1);
  reader.MakePresetFromBlob("Back", text.c_str() + prefix.size(), 2000);
  EXPECT_TRUE(reader.GetPreset(0)->mChunk.IsEqual(preset->mChunk));
  EXPECT_FALSE(plug.DumpPresetBlob((dir.mPath + "/no/blob.txt").c_str()));
}

} // namespace
