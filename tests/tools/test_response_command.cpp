// brindle response: the measured linear stages, the picture's normalisation to the peak, and refusals.
#include "raster/Raster_IBitmap.h"
#include "raster/Raster_PNG.h"
#include "tools/plot/ResponsePicture.h"

#include "tests/tools/test_temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

int RunResponse(const std::string& args)
{
  const int raw = std::system((std::string(BRINDLE_EXE) + " response " + args + " >/dev/null 2>&1").c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// |H(f)| of an impulse response by a direct sum.
double MagnitudeAt(const std::vector<double>& h, double hz, double rate)
{
  std::complex<double> sum;
  for (size_t n = 0; n < h.size(); ++n) sum += h[n] * std::polar(1.0, -2.0 * M_PI * hz * n / rate);
  return std::abs(sum);
}

} // namespace

TEST(BrindleResponse, TheCabinetRollsOffHighsAndLevelScalesTheGain)
{
  ResponseCurve open, cab, loud;
  open.cabinet = 0;
  loud.cabinet = 0;
  loud.level = 1.0;
  const auto hOpen = MeasureLinearStages(open, 8192), hCab = MeasureLinearStages(cab, 8192),
             hLoud = MeasureLinearStages(loud, 8192);
  // Level is a plain gain of 4 x Level: 1.0 is 6 dB above 0.5 at every frequency.
  for (double hz : {100.0, 1000.0, 5000.0})
    EXPECT_NEAR(MagnitudeAt(hLoud, hz, 44100) / MagnitudeAt(hOpen, hz, 44100), 2.0, 1e-9) << hz;
  // A speaker cabinet: at 15 kHz well over 20 dB below the open tone stage.
  EXPECT_LT(MagnitudeAt(hCab, 15000, 44100), 0.1 * MagnitudeAt(hOpen, 15000, 44100));
}

TEST(BrindleResponse, DrawsTheCurveUpToThePeakAndRefusesBadOptions)
{
  TempDir dir;
  const std::string png = dir / "r.png";
  ASSERT_EQ(RunResponse("-o " + png + " --cabinet on --rate 48000"), 0);
  std::unique_ptr<Raster_IBitmap> image(Raster_LoadPNG(png.c_str()));
  ASSERT_TRUE(image);
  ASSERT_EQ(image->getWidth(), 640);
  ASSERT_EQ(image->getHeight(), 380);
  // Normalised to its peak, the curve (in its own colour) reaches the graph's top row, 0 dB, and no higher.
  auto curveRow = [&](int y) {
    for (int x = 61; x < 619; ++x) {
      const unsigned int p = image->getBits()[y * image->getRowSpan() + x];
      const int r = (p >> 8) & 0xFF, g = (p >> 16) & 0xFF, b = (p >> 24) & 0xFF;
      if (r > 150 && g < 140 && b < 110 && r - g > 60) return true;
    }
    return false;
  };
  EXPECT_TRUE(curveRow(44) || curveRow(45));
  EXPECT_FALSE(curveRow(42));

  struct Refusal
  {
    std::string args;
    int status;
  };
  const Refusal refusals[] = {
      {"", 2},
      {"-o", 2},
      {"-o " + (dir / "x.png") + " --level 1.5", 2},
      {"-o " + (dir / "x.png") + " --level nan", 2},
      {"-o " + (dir / "x.png") + " --rate 100", 2},
      {"-o " + (dir / "x.png") + " --cabinet maybe", 2},
      {"-o " + (dir / "x.png") + " --bogus", 2},
      {"-o " + (dir / "x.png") + " extra", 2},
      {"-o " + (dir / "x.png") + " --level 0", 1}, // silence has no peak to normalise to
  };
  for (const Refusal& r : refusals) {
    EXPECT_EQ(RunResponse(r.args), r.status) << r.args;
    struct stat st;
    EXPECT_NE(stat((dir / "x.png").c_str(), &st), 0) << r.args;
  }
}
