// `brindle editor`: the picture it saves, the parameter lines it prints, and its refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
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

// Luma of a pixel, 0..255.
double Luma(const TestImage& image, int x, int y)
{
  const uint8_t* p = image.At(x, y);
  return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
}

// The picture enlarged twice by bilinear filtering between pixel centres (edges held): what an editor
// that only stretched its 1x picture would show.
TestImage BilinearDouble(const TestImage& small)
{
  TestImage big;
  big.w = small.w * 2;
  big.h = small.h * 2;
  big.rgba.assign(static_cast<size_t>(big.w) * big.h * 4, 0);
  for (int y = 0; y < big.h; ++y)
    for (int x = 0; x < big.w; ++x) {
      const double sx = std::clamp((x + 0.5) / 2 - 0.5, 0.0, small.w - 1.0);
      const double sy = std::clamp((y + 0.5) / 2 - 0.5, 0.0, small.h - 1.0);
      const int x0 = static_cast<int>(sx), y0 = static_cast<int>(sy);
      const int x1 = std::min(x0 + 1, small.w - 1), y1 = std::min(y0 + 1, small.h - 1);
      const double fx = sx - x0, fy = sy - y0;
      for (int c = 0; c < 4; ++c) {
        const double top = small.At(x0, y0)[c] * (1 - fx) + small.At(x1, y0)[c] * fx;
        const double bottom = small.At(x0, y1)[c] * (1 - fx) + small.At(x1, y1)[c] * fx;
        big.At(x, y)[c] = static_cast<uint8_t>(std::lround(top * (1 - fy) + bottom * fy));
      }
    }
  return big;
}

// Edge sharpness of an area: the mean magnitude of the luma gradient (central differences, per pixel
// of the picture it is measured on) inside (x, y, w, h). A crisp edge of height H over one pixel scores
// higher than the same edge smeared over two.
double MeanGradient(const TestImage& image, int x0, int y0, int w, int h)
{
  double sum = 0;
  int n = 0;
  for (int y = std::max(y0, 1); y < std::min(y0 + h, image.h - 1); ++y)
    for (int x = std::max(x0, 1); x < std::min(x0 + w, image.w - 1); ++x) {
      const double gx = (Luma(image, x + 1, y) - Luma(image, x - 1, y)) / 2;
      const double gy = (Luma(image, x, y + 1) - Luma(image, x, y - 1)) / 2;
      sum += std::sqrt(gx * gx + gy * gy);
      ++n;
    }
  return n ? sum / n : 0;
}

TEST(EditorCommand, ScaledSnapshotsAreTheSamePictureDrawnLarger)
{
  TempDir dir;
  const std::string plain = dir / "plain.png", one = dir / "one.png", two = dir / "two.png";
  ASSERT_EQ(RunBrindle("editor --snapshot " + plain).status, 0);
  ASSERT_EQ(RunBrindle("editor --scale 1 --snapshot " + one).status, 0);
  ASSERT_EQ(RunBrindle("editor --scale=2 --snapshot " + two).status, 0);
  TestImage a, b, big;
  ASSERT_TRUE(LoadTestPng(plain, a));
  ASSERT_TRUE(LoadTestPng(one, b));
  ASSERT_TRUE(LoadTestPng(two, big));
  EXPECT_EQ(a.rgba, b.rgba); // scale 1 is the editor as it always was
  ASSERT_EQ(big.w, 416);
  ASSERT_EQ(big.h, 652);

  // Each 2 x 2 block averaged is the 1x picture again, give or take the anti-aliasing of edges drawn
  // at the finer size.
  double sum = 0;
  int within = 0;
  for (int y = 0; y < a.h; ++y)
    for (int x = 0; x < a.w; ++x) {
      double worst = 0;
      for (int c = 0; c < 3; ++c) {
        const double box = (big.At(2 * x, 2 * y)[c] + big.At(2 * x + 1, 2 * y)[c] + big.At(2 * x, 2 * y + 1)[c] +
                            big.At(2 * x + 1, 2 * y + 1)[c]) /
                           4.0;
        const double d = std::fabs(box - a.At(x, y)[c]);
        sum += d;
        worst = std::max(worst, d);
      }
      within += worst <= 16; // a pixel is within when all three colours are
    }
  const double mean = sum / (3.0 * a.w * a.h), share = static_cast<double>(within) / (a.w * a.h);
  std::printf("2x box-reduced vs 1x: mean difference %.3f/255, %.2f%% of pixels within 16/255\n", mean, 100 * share);
  RecordProperty("box_mean_difference", std::to_string(mean));
  RecordProperty("box_share_within_16", std::to_string(share));
  EXPECT_LT(mean, 2.0);
  EXPECT_GE(share, 0.99);

  // Events name editor pixels at every scale: each control is reached, and drags move as far.
  const struct
  {
    const char* events;
    const char* lines;
  } acts[] = {
      {"--click 104,73 --drag=150,120,0,-75 --click 106,199",
       "Level 0.5 \"0.500\"\nAttack 0.75 \"0.750\"\nEffect 0 \"Off\"\nCabinet 0 \"Off\"\n"},
      {"--drag 55,120,0,33 --drag 150,120,0,-7,shift --click 40,45 --click 40,200",
       "Level 0.39 \"0.390\"\nAttack 0.502333 \"0.502\"\nEffect 1 \"On\"\nCabinet 1 \"On\"\n"},
  };
  for (const char* scale : {"1", "1.25", "1.5", "2", "3"})
    for (const auto& act : acts) {
      SCOPED_TRACE(std::string(scale) + " " + act.events);
      const hosttest::RunResult r =
          RunBrindle(std::string("editor --scale ") + scale + " --snapshot " + (dir / "act.png") + " " + act.events);
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.out, act.lines);
    }

  // The knobs, the switches and the lamp have sharper edges than the 1x picture enlarged.
  const TestImage stretched = BilinearDouble(a);
  struct Area
  {
    const char* name;
    int x, y, w, h; // editor pixels
  };
  const Area areas[] = {
      {"Level knob", 18, 86, 75, 75},  {"Attack knob", 115, 86, 75, 75}, {"cabinet switch", 80, 61, 48, 24},
      {"footswitch", 80, 172, 48, 48}, {"lamp", 91, 15, 26, 26},
  };
  for (const Area& area : areas) {
    SCOPED_TRACE(area.name);
    const double crisp = MeanGradient(big, 2 * area.x, 2 * area.y, 2 * area.w, 2 * area.h);
    const double soft = MeanGradient(stretched, 2 * area.x, 2 * area.y, 2 * area.w, 2 * area.h);
    RecordProperty(std::string(area.name) + " gradient 2x / stretched",
                   std::to_string(crisp) + " / " + std::to_string(soft));
    std::printf("%s: mean gradient %.2f at 2x, %.2f stretched (%.2f times)\n", area.name, crisp, soft, crisp / soft);
    EXPECT_GT(crisp, 1.15 * soft);
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
      {"--snapshot OUT --scale 0.5", 2, "--scale wants a number from 1 to 3"},
      {"--snapshot OUT --scale 3.5", 2, "--scale wants a number from 1 to 3"},
      {"--snapshot OUT --scale nan", 2, "--scale wants a number from 1 to 3"},
      {"--snapshot OUT --scale 2x", 2, "--scale wants a number from 1 to 3"},
      {"--snapshot OUT --scale=", 2, "--scale wants a number from 1 to 3"},
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
