// `brindle editor`: the picture it saves, the parameter lines it prints, and its refusals.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/tools/test_editor_composite.h"
#include "tests/tools/test_host_support.h"

namespace {

using hosttest::RunBrindle;

TEST(EditorCommand, SnapshotsAndParameterLines)
{
  TempDir dir;
  struct Case
  {
    const char* args;
    const char* lines;
  };
  const Case cases[] = {
      {"", "Level 0.5 \"0.500\"\nAttack 0.5 \"0.500\"\nEffect 1 \"On\"\nCabinet 1 \"On\"\n"},
      {"--set Effect=Off --set=level=0.8",
       "Level 0.8 \"0.800\"\nAttack 0.5 \"0.500\"\nEffect 0 \"Off\"\nCabinet 1 \"On\"\n"},
      {"--click 104,73 --drag=150,120,0,-75 --ticks 3 --key space",
       "Level 0.5 \"0.500\"\nAttack 0.75 \"0.750\"\nEffect 1 \"On\"\nCabinet 0 \"Off\"\n"},
      {"--double-click 55,120 --right-click 55,120 --wheel 55,120,-2.7",
       "Level 0.48 \"0.480\"\nAttack 0.5 \"0.500\"\nEffect 1 \"On\"\nCabinet 1 \"On\"\n"},
      // A drag far beyond the editor is a bounded number of motion events that still ends where it should
      // (one every 4 pixels took minutes for this one).
      {"--drag=150,120,0,-1000000000 --drag 55,120,0,1000000000",
       "Level 0 \"0.000\"\nAttack 1 \"1.000\"\nEffect 1 \"On\"\nCabinet 1 \"On\"\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const std::string out = dir / "shot.png";
    const hosttest::RunResult r = RunBrindle("editor --snapshot " + out + " " + c.args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, c.lines);
    TestImage shot;
    ASSERT_TRUE(LoadTestPng(out, shot));
    EXPECT_EQ(shot.w, 208);
    EXPECT_EQ(shot.h, 326);
  }

  // A picture on standard output stays a PNG alone; the parameter lines go to standard error instead.
  for (const char* to : {"-", "/dev/stdout"}) {
    SCOPED_TRACE(to);
    const hosttest::RunResult r = RunBrindle(std::string("editor --set Effect=Off --snapshot ") + to);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string pngEnd("IEND\xAE\x42\x60\x82", 8);
    ASSERT_GT(r.out.size(), pngEnd.size());
    EXPECT_EQ(r.out.substr(r.out.size() - pngEnd.size()), pngEnd);
    std::ofstream(dir / "stdout.png", std::ios::binary) << r.out;
    TestImage shot;
    ASSERT_TRUE(LoadTestPng(dir / "stdout.png", shot));
    EXPECT_EQ(shot.w, 208);
    EXPECT_EQ(r.err, "Level 0.5 \"0.500\"\nAttack 0.5 \"0.500\"\nEffect 0 \"Off\"\nCabinet 1 \"On\"\n");
  }

  // The default picture is the background with the lamp lit, the cabinet on, the footswitch up and
  // both knobs at mid travel, composed independently here.
  const std::string res = hosttest::BundlePath() + "/Contents/Resources/";
  TestImage want, strip, shot;
  ASSERT_TRUE(LoadTestPng(res + "background.png", want));
  const struct
  {
    const char* file;
    int frames, frame, x, y;
  } layers[] = {
      {"brindle_led.png", 2, 1, 91, 15},        {"brindle_switch_01.png", 2, 1, 80, 61},
      {"brindle_switch_02.png", 2, 0, 80, 172}, {"brindle_knob_01.png", 65, 32, 18, 86},
      {"brindle_knob_01.png", 65, 32, 115, 86},
  };
  for (const auto& l : layers) {
    ASSERT_TRUE(LoadTestPng(res + l.file, strip));
    CompositeFrame(want, strip, l.frames, l.frame, l.x, l.y);
  }
  // The wheel over the lamp or the about panel's target changes nothing: neither has a parameter.
  for (const char* events : {"", "--wheel 100,20,-60 --wheel 40,45,100"}) {
    SCOPED_TRACE(events);
    ASSERT_EQ(RunBrindle("editor --snapshot " + (dir / "default.png") + " " + events).status, 0);
    ASSERT_TRUE(LoadTestPng(dir / "default.png", shot));
    int mismatches = 0;
    for (int y = 0; y < want.h; ++y)
      for (int x = 0; x < want.w; ++x) mismatches += !std::equal(want.At(x, y), want.At(x, y) + 3, shot.At(x, y));
    EXPECT_EQ(mismatches, 0);
  }
}

TEST(EditorCommand, RefusalsAreOneLineAndWriteNothing)
{
  TempDir dir;
  struct Case
  {
    const char* args;
    int status;
    const char* mention;
  };
  const Case cases[] = {
      {"--click 1,2", 2, "--snapshot"},
      {"--display :99999", 1, "cannot open the X display ':99999'"},
      {"--snapshot OUT --click 10", 2, "malformed"},
      {"--snapshot OUT --click 10,abc", 2, "malformed"},
      {"--snapshot OUT --click 10.5,3", 2, "malformed"},
      {"--snapshot OUT --drag 1,2,3", 2, "malformed"},
      {"--snapshot OUT --drag 1,2,3,4,ctrl", 2, "malformed"},
      {"--snapshot OUT --wheel 1,2,nan", 2, "malformed"},
      {"--snapshot OUT --ticks -1", 2, "malformed"},
      {"--snapshot OUT --bogus 1", 2, "unknown option"},
      {"--snapshot OUT stray", 2, "unexpected"},
      {"--snapshot OUT --key ctrl-x", 2, "unknown key"},
      {"--snapshot OUT --set Bogus=1", 1, "unknown parameter 'Bogus'"},
      {"--snapshot OUT --set Level=7", 1, "outside"},
      {"--snapshot OUT --set Effect=Maybe", 1, "not a value of Effect"},
      {"--snapshot OUT --set Level", 2, "NAME=VALUE"},
      {"--snapshot OUT --set=", 2, "NAME=VALUE"},
      {"--snapshot OUT --set =1", 2, "NAME=VALUE"},
      {"--snapshot=", 2, "--snapshot needs a file name"},
      {"--snapshot= --set Level=1", 2, "--snapshot needs a file name"},
      {"--snapshot OUT --component /nonexistent.component", 1, "/nonexistent.component"},
      {"--snapshot OUT --preset /dev/zero", 1, "/dev/zero"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    std::string args = c.args;
    if (const size_t at = args.find("OUT"); at != std::string::npos) args.replace(at, 3, dir / "out.png");
    const hosttest::RunResult r = RunBrindle("editor " + args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.mention), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_TRUE(dir.Entries().empty());
  }
}

} // namespace
