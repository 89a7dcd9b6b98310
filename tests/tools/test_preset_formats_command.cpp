// The command line's program and bank files: save-preset, render --preset and show-preset with
// .fxp and .fxb, agreeing with .aupreset to the last bit, and hostile files refused in one line
// with nothing written.
#include "tools/files/AUPresetFile.h"

#include "test_host_support.h"

#include <gtest/gtest.h>

#include <cmath>
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
