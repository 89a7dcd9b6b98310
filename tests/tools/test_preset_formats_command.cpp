// The command line's program and bank files: save-preset, render --preset and show-preset with
// .fxp and .fxb, agreeing with .aupreset to the last bit, and hostile files refused in one line
// with nothing written.
#include "plugcore/PresetFiles.h"
#include "tools/files/AUPresetFile.h"

#include "test_host_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace hosttest;

namespace {

std::string WithWord(std::string bytes, size_t at, uint32_t v)
{
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<char>(v >> (24 - 8 * i));
  return bytes;
}

} // namespace

TEST(PresetFormatsCommand, ProgramsAndBanksRoundTripWithTheClassInfoState)
{
  TempDir dir;
  WriteSignal(dir / "in.wav", 2, 44100, 3000);
  const std::string flags = " --level 0.25 --attack 0.75 --effect off";
  ASSERT_EQ(RunBrindle("save-preset " + (dir / "a.aupreset") + flags).status, 0);
  RunResult r = RunBrindle("save-preset " + (dir / "a.fxp") + flags);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Slurp(dir / "a.fxp").size(), 72u);
  r = RunBrindle("save-preset " + (dir / "b.fxb") + " --preset " + (dir / "a.fxp"));
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunBrindle("save-preset " + (dir / "c.aupreset") + " --preset " + (dir / "b.fxb"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Slurp(dir / "c.aupreset"), Slurp(dir / "a.aupreset")) << "aupreset -> fxp -> fxb -> aupreset";

  for (const char* preset : {"a.aupreset", "a.fxp", "b.fxb"}) {
    r = RunBrindle("render " + (dir / "in.wav") + " " + (dir / (std::string(preset) + ".wav")) + " --quiet --preset " +
                   (dir / preset));
    ASSERT_EQ(r.status, 0) << preset << ": " << r.err;
  }
  const std::vector<float> reference = ReadSamples(dir / "a.aupreset.wav");
  EXPECT_TRUE(SameBits(reference, ReadSamples(dir / "a.fxp.wav")));
  EXPECT_TRUE(SameBits(reference, ReadSamples(dir / "b.fxb.wav")));

  r = RunBrindle("show-preset " + (dir / "b.fxb"));
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* expected : {"format: .fxb bank, parameter form", "plug-in: bdl3, version 2.3.0", "0 \"Init\"",
                               "Level", "0.250", "Attack", "Effect", "Off", "Cabinet", "On"})
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
  r = RunBrindle("show-preset " + (dir / "a.aupreset"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("plug-in: aufx/bdl3/Qxlo, version 2.3.0"), std::string::npos) << r.out;
}

TEST(PresetFormatsCommand, HostileFilesAreRefusedInOneLineWithNothingWritten)
{
  TempDir dir;
  WriteSignal(dir / "in.wav", 1, 44100, 500);
  ASSERT_EQ(RunBrindle("save-preset " + (dir / "good.fxp")).status, 0);
  ASSERT_EQ(RunBrindle("save-preset " + (dir / "good.fxb")).status, 0);
  ASSERT_EQ(RunBrindle("save-preset " + (dir / "good.aupreset")).status, 0);
  const std::string fxp = Slurp(dir / "good.fxp"), fxb = Slurp(dir / "good.fxb");
  AUPresetContents nan;
  std::string error;
  ASSERT_TRUE(ReadAUPresetFile(dir / "good.aupreset", nan, error)) << error;
  const double bad = std::numeric_limits<double>::quiet_NaN();
  std::memcpy(nan.data.data() + 8, &bad, 8);
  const std::pair<const char*, std::string> files[] = {
      {"foreign.fxp", WithWord(fxp, 16, 0x62646C34)},
      {"three.fxp", WithWord(fxp.substr(0, 68), 24, 3)},
      {"five.fxp", WithWord(fxp, 24, 5)},
      {"truncated.fxp", fxp.substr(0, 70)},
      {"nan.fxp", WithWord(fxp, 60, 0x7FC00000)},
      {"inf.fxp", WithWord(fxp, 56, 0xFF800000)},
      {"huge.fxp", fxp + std::string(1 << 20, '\0')},
      {"foreign.fxb", WithWord(fxb, 16, 0x41424344)},
      {"truncated.fxb", fxb.substr(0, fxb.size() - 3)},
      {"nan.fxb", WithWord(fxb, 156 + 56, 0x7FC00000)},
      {"program.fxb", fxp},
      {"huge.aupreset", std::string(1 << 20, ' ') + Slurp(dir / "good.aupreset")},
      {"unknown.preset", fxp},
  };
  for (const auto& [name, bytes] : files) WriteText(dir / name, bytes);
  ASSERT_TRUE(WriteAUPresetFile(dir / "nan.aupreset", nan, error)) << error;
  const size_t entries = dir.Entries().size();

  std::vector<std::string> names;
  for (const auto& file : files) names.push_back(file.first);
  names.push_back("nan.aupreset");
  for (const std::string& name : names) {
    const std::string preset = dir / name;
    const std::string commands[] = {
        "render " + (dir / "in.wav") + " " + (dir / "out.wav") + " --quiet --preset " + preset,
        "save-preset " + (dir / "out.fxb") + " --preset " + preset,
        "save-preset " + (dir / "out.fxp") + " --preset " + preset,
        "show-preset " + preset,
    };
    for (const std::string& command : commands) {
      const RunResult r = RunBrindle(command);
      EXPECT_EQ(r.status, 1) << command;
      EXPECT_EQ(LineCount(r.err), 1) << command << "\n" << r.err;
      EXPECT_TRUE(r.out.empty()) << command << "\n" << r.out;
    }
    EXPECT_EQ(dir.Entries().size(), entries) << name << ": something was written";
  }
  // An output name without a known extension is a usage error, before anything is opened.
  const RunResult r = RunBrindle("save-preset " + (dir / "out.preset"));
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(Exists(dir / "out.preset"));
}

TEST(PresetFormatsCommand, ConversionsKeepTheCurrentProgramTheNamesAndWhatASwitchMeans)
{
  TempDir dir;
  WriteSignal(dir / "in.wav", 2, 44100, 3000);
  // A bank of three named programs with the last one current, and that program alone.
  ASSERT_EQ(RunBrindle("save-preset " + (dir / "base.fxp")).status, 0);
  PresetFileBytes bytes;
  std::string error;
  FXPProgram base;
  ASSERT_TRUE(ReadPresetFile((dir / "base.fxp").c_str(), &bytes, &error)) << error;
  ASSERT_TRUE(ParseFXP(bytes.data(), bytes.size(), &base, &error)) << error;
  FXBBank bank;
  bank.mPlugID = base.mPlugID;
  bank.mPlugVersion = base.mPlugVersion;
  bank.mNumPresets = 3;
  bank.mCurrentPreset = 2;
  for (int p = 0; p < 3; ++p) {
    FXPProgram program = base;
    program.mName = "Prog " + std::to_string(p);
    program.mValues[0] = 0.2f + 0.3f * static_cast<float>(p);
    program.mValues[2] = p == 2 ? 0.0f : 1.0f;
    bank.mPrograms.push_back(program);
  }
  ASSERT_TRUE(BuildFXB(bank, &bytes, &error)) << error;
  WriteText(dir / "bank.fxb", std::string(bytes.begin(), bytes.end()));
  ASSERT_TRUE(BuildFXP(bank.mPrograms[2], &bytes, &error)) << error;
  WriteText(dir / "p2.fxp", std::string(bytes.begin(), bytes.end()));
  // A host's state holding 0.7 for "Effect": the plug-in reads a switch by its whole part, so off.
  ASSERT_EQ(RunBrindle("save-preset " + (dir / "base.aupreset")).status, 0);
  AUPresetContents half;
  ASSERT_TRUE(ReadAUPresetFile(dir / "base.aupreset", half, error)) << error;
  const double seven = 0.7;
  ASSERT_GE(half.data.size(), 3 * sizeof(double));
  std::memcpy(half.data.data() + 2 * sizeof(double), &seven, sizeof seven);
  half.name = "Half";
  ASSERT_TRUE(WriteAUPresetFile(dir / "half.aupreset", half, error)) << error;

  struct Conversion
  {
    const char* from;
    const char* to;
    std::vector<const char*> shown;
  };
  const Conversion conversions[] = {
      {"bank.fxb", "b.aupreset", {"preset: \"Prog 2\"", "Level        0.8", "Effect       0            Off"}},
      {"bank.fxb", "b.fxp", {"preset: \"Prog 2\"", "Level        0.8"}},
      {"bank.fxb", "b.fxb", {"presets: 3, current 2", "0 \"Prog 0\"", "1 \"Prog 1\"", "2 \"Prog 2\""}},
      {"p2.fxp", "p.aupreset", {"preset: \"Prog 2\""}},
      {"half.aupreset", "h.fxp", {"preset: \"Half\"", "Effect       0            Off"}},
      {"half.aupreset", "h.fxb", {"0 \"Half\"", "Effect       0            Off"}},
  };
  for (const Conversion& c : conversions) {
    SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
    RunResult r = RunBrindle("save-preset " + (dir / c.to) + " --preset " + (dir / c.from));
    ASSERT_EQ(r.status, 0) << r.err;
    r = RunBrindle("show-preset " + (dir / c.to));
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line : c.shown) EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
  }

  // What a preset renders is what the preset it was converted from renders.
  const auto render = [&](const std::string& name, const std::string& options) {
    const RunResult r = RunBrindle("render " + (dir / "in.wav") + " " + (dir / name) + " --quiet " + options);
    EXPECT_EQ(r.status, 0) << name << ": " << r.err;
    return ReadSamples(dir / name);
  };
  const std::vector<float> program2 = render("p2.wav", "--preset " + (dir / "p2.fxp"));
  EXPECT_TRUE(SameBits(program2, render("bank.wav", "--preset " + (dir / "bank.fxb"))));
  EXPECT_TRUE(SameBits(program2, render("b.wav", "--preset " + (dir / "b.fxb"))));
  const std::vector<float> off = render("off.wav", "--effect off");
  EXPECT_TRUE(SameBits(off, render("half.wav", "--preset " + (dir / "half.aupreset"))));
  EXPECT_TRUE(SameBits(off, render("h.wav", "--preset " + (dir / "h.fxp"))));
  EXPECT_FALSE(SameBits(off, render("on.wav", "--effect on")));
}
