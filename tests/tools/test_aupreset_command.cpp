// brindle save-preset and brindle render --preset, run as a program: the saved state holds the
// settings as four doubles, save/load/save gives identical bytes and identical audio, settings
// given as flags override the preset, and bad presets are refused with one line and no output.
#include "tools/files/AUPresetFile.h"

#include "test_host_support.h"

#include <gtest/gtest.h>

using namespace hosttest;

namespace {

std::vector<std::uint8_t> Doubles(std::initializer_list<double> values)
{
  std::vector<std::uint8_t> bytes;
  for (double v : values) {
    std::uint8_t b[8];
    std::memcpy(b, &v, 8); // little-endian host, as the state is
    bytes.insert(bytes.end(), b, b + 8);
  }
  return bytes;
}

} // namespace

TEST(SavePresetCommand, SavesTheSettingsAndRoundTripsExactly)
{
  TempDir dir;
  RunResult r =
      RunBrindle("save-preset " + (dir / "a.aupreset") + " --level 0.25 --attack=0.75 --effect off --cabinet on");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.err.empty()) << r.err;
  AUPresetContents saved;
  std::string error;
  ASSERT_TRUE(ReadAUPresetFile(dir / "a.aupreset", saved, error)) << error;
  EXPECT_EQ(saved.version, 0x00020300);
  EXPECT_EQ(saved.type, 0x61756678);
  EXPECT_EQ(saved.subtype, 0x62646C33);
  EXPECT_EQ(saved.manufacturer, 0x51786C6F);
  EXPECT_EQ(saved.name, "Init");
  EXPECT_EQ(saved.data, Doubles({0.25, 0.75, 0.0, 1.0}));

  // Defaults: "Level" 0.5, "Attack" 0.5, both switches on.
  r = RunBrindle("save-preset " + (dir / "d.aupreset"));
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_TRUE(ReadAUPresetFile(dir / "d.aupreset", saved, error)) << error;
  EXPECT_EQ(saved.data, Doubles({0.5, 0.5, 1.0, 1.0}));

  // Load and save again: the same bytes.
  r = RunBrindle("save-preset " + (dir / "b.aupreset") + " --preset " + (dir / "a.aupreset"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Slurp(dir / "b.aupreset"), Slurp(dir / "a.aupreset"));
  // Flags apply on top of the preset.
  r = RunBrindle("save-preset " + (dir / "c.aupreset") + " --preset " + (dir / "a.aupreset") + " --attack 0.125");
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_TRUE(ReadAUPresetFile(dir / "c.aupreset", saved, error)) << error;
  EXPECT_EQ(saved.data, Doubles({0.25, 0.125, 0.0, 1.0}));
}

TEST(SavePresetCommand, RenderWithPresetEqualsRenderWithTheSameSettings)
{
  TempDir dir;
  WriteSignal(dir / "in.wav", 2, 48000, 6000);
  ASSERT_EQ(RunBrindle("save-preset " + (dir / "p.aupreset") + " --level 0.375 --attack 0.875 --cabinet off").status,
            0);
  ASSERT_EQ(RunBrindle("save-preset " + (dir / "q.aupreset") + " --preset " + (dir / "p.aupreset")).status, 0);
  const std::string in = dir / "in.wav";
  const std::string base = "render " + in + " ";
  RunResult r = RunBrindle(base + (dir / "preset.wav") + " --quiet --preset " + (dir / "p.aupreset"));
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunBrindle(base + (dir / "resaved.wav") + " --quiet --preset " + (dir / "q.aupreset"));
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunBrindle(base + (dir / "flags.wav") + " --quiet --engine component --level 0.375 --attack 0.875 --cabinet off");
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunBrindle(base + (dir / "direct.wav") + " --quiet --engine direct --level 0.375 --attack 0.875 --cabinet off");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<float> preset = ReadSamples(dir / "preset.wav");
  EXPECT_TRUE(SameBits(preset, ReadSamples(dir / "resaved.wav")));
  EXPECT_TRUE(SameBits(preset, ReadSamples(dir / "flags.wav")));
  EXPECT_TRUE(SameBits(preset, ReadSamples(dir / "direct.wav")));
  // Flags after the preset win: the preset with --cabinet on sounds like the flags with it on.
  r = RunBrindle(base + (dir / "override.wav") + " --quiet --preset " + (dir / "p.aupreset") + " --cabinet on");
  ASSERT_EQ(r.status, 0) << r.err;
  r = RunBrindle(base + (dir / "flags2.wav") + " --quiet --engine direct --level 0.375 --attack 0.875");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(SameBits(ReadSamples(dir / "override.wav"), ReadSamples(dir / "flags2.wav")));
  EXPECT_FALSE(SameBits(ReadSamples(dir / "override.wav"), preset));
}

TEST(SavePresetCommand, BadPresetsAreRefusedWithOneLineAndNoOutput)
{
  TempDir dir;
  WriteSignal(dir / "in.wav", 1, 44100, 1000);
  ASSERT_EQ(RunBrindle("save-preset " + (dir / "good.aupreset")).status, 0);
  const std::string good = Slurp(dir / "good.aupreset");
  WriteText(dir / "truncated.aupreset", good.substr(0, good.size() / 2));
  WriteText(dir / "malformed.aupreset", "<plist><dict><key>version</key><integer>x</integer>");
  std::string foreign = good;
  foreign.replace(foreign.find("1650748467"), 10, "1650748468"); // subtype 'bdl4'
  WriteText(dir / "foreign.aupreset", foreign);
  // A well-formed file whose state data is cut short: only the component can tell.
  AUPresetContents shortData;
  std::string error;
  ASSERT_TRUE(AUPresetFromBytes(good, shortData, error));
  shortData.data.resize(12);
  ASSERT_TRUE(WriteAUPresetFile(dir / "shortdata.aupreset", shortData, error));

  const char* names[] = {"missing", "truncated", "malformed", "foreign", "shortdata"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    const std::string preset = dir / (std::string(name) + ".aupreset");
    RunResult r = RunBrindle("render " + (dir / "in.wav") + " " + (dir / "out.wav") + " --quiet --preset " + preset);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(LineCount(r.err), 1) << r.err;
    EXPECT_EQ(r.err.rfind("brindle render: ", 0), 0u) << r.err;
    EXPECT_FALSE(Exists(dir / "out.wav"));
    r = RunBrindle("save-preset " + (dir / "out.aupreset") + " --preset " + preset);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(LineCount(r.err), 1) << r.err;
    EXPECT_FALSE(Exists(dir / "out.aupreset"));
  }
  const RunResult foreignRun =
      RunBrindle("save-preset " + (dir / "out.aupreset") + " --preset " + (dir / "foreign.aupreset"));
  EXPECT_NE(foreignRun.err.find("aufx/bdl4/Qxlo"), std::string::npos) << foreignRun.err;
  // Nothing but the inputs is left in the folder.
  EXPECT_EQ(dir.Entries().size(), 6u);
}

TEST(SavePresetCommand, UsageErrors)
{
  TempDir dir;
  const std::pair<std::string, std::string> cases[] = {
      {"save-preset", "expected an output file"},
      {"save-preset a b", "expected one output file"},
      {"save-preset x --level 2", "--level must be a number from 0 to 1"},
      {"save-preset x --effect maybe", "--effect takes on or off"},
      {"save-preset x --attack", "--attack needs a value"},
      {"save-preset x --bogus", "unknown option '--bogus'"},
  };
  for (const auto& [args, message] : cases) {
    const RunResult r = RunBrindle(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(LineCount(r.err), 1) << r.err;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
  }
  const RunResult r = RunBrindle("save-preset " + (dir / "x.aupreset") + " --component " + (dir / "nowhere.component"));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(LineCount(r.err), 1) << r.err;
  EXPECT_NE(r.err.find("nowhere.component"), std::string::npos);
  EXPECT_FALSE(Exists(dir / "x.aupreset"));
}
