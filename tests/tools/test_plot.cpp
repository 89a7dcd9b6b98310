// The plot building blocks: the FFT and average spectrum against hand-worked transforms, the
// waveform envelope of small known signals, and PNG files read back through the raster loader.
#include "raster/raster.h"
#include "tools/plot/Envelope.h"
#include "tools/files/PngWriter.h"
#include "tools/plot/Spectrum.h"
#include "tools/plot/WaveformFigure.h"

#include "tests/tools/test_temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<float> Sine(double amplitude, double hz, double rate, size_t count)
{
  std::vector<float> x(count);
  for (size_t i = 0; i < count; ++i) x[i] = static_cast<float>(amplitude * std::sin(2 * kPi * hz * i / rate));
  return x;
}

TEST(PlotFft, SmallTransformsByHand)
{
  using C = std::complex<double>;
  // An impulse has a flat spectrum; a constant puts everything into bin 0.
  std::vector<C> impulse = {1, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_TRUE(FastFourierTransform(impulse));
  for (const C& v : impulse) EXPECT_NEAR(std::abs(v - C(1, 0)), 0.0, 1e-12);
  std::vector<C> constant(4, C(1, 0));
  ASSERT_TRUE(FastFourierTransform(constant));
  EXPECT_NEAR(std::abs(constant[0] - C(4, 0)), 0.0, 1e-12);
  for (int k = 1; k < 4; ++k) EXPECT_NEAR(std::abs(constant[k]), 0.0, 1e-12);
  // cos(2 pi n / 8) + sin(2 * 2 pi n / 8): X[1] = X[7] = 4, X[2] = -4i, X[6] = 4i.
  std::vector<C> mix(8);
  for (int n = 0; n < 8; ++n) mix[n] = std::cos(2 * kPi * n / 8) + std::sin(4 * kPi * n / 8);
  ASSERT_TRUE(FastFourierTransform(mix));
  const C expected[8] = {0, 4, C(0, -4), 0, 0, 0, C(0, 4), 4};
  for (int k = 0; k < 8; ++k) EXPECT_NEAR(std::abs(mix[k] - expected[k]), 0.0, 1e-12) << k;
  // Sizes that are not powers of two are refused and left alone.
  std::vector<C> six(6, C(2, 0));
  EXPECT_FALSE(FastFourierTransform(six));
  EXPECT_EQ(six[3], C(2, 0));
}

TEST(PlotFft, MatchesDirectTransform)
{
  std::vector<std::complex<double>> x(64);
  for (size_t n = 0; n < x.size(); ++n) x[n] = {std::sin(0.7 * n * n + 1.0), std::cos(1.3 * n)};
  std::vector<std::complex<double>> fast = x;
  ASSERT_TRUE(FastFourierTransform(fast));
  for (size_t k = 0; k < x.size(); ++k) {
    std::complex<double> direct;
    for (size_t n = 0; n < x.size(); ++n) direct += x[n] * std::polar(1.0, -2 * kPi * double(k * n % 64) / 64);
    EXPECT_NEAR(std::abs(fast[k] - direct), 0.0, 1e-9) << k;
  }
}

TEST(PlotSpectrum, SineOnABinReadsItsAmplitude)
{
  // Bin 64 of 1024 at 44100 Hz is 2756.25 Hz. Periodic Hann: A at the bin, A/2 beside it, 0 beyond.
  const double rate = 44100, hz = 64 * rate / 1024;
  const std::vector<float> x = Sine(0.5, hz, rate, 8 * 1024);
  const AverageSpectrum s = ComputeAverageSpectrum(x.data(), x.size(), rate, 1024);
  ASSERT_EQ(s.magnitude.size(), 513u);
  size_t peak = 0;
  for (size_t k = 0; k < s.magnitude.size(); ++k)
    if (s.magnitude[k] > s.magnitude[peak]) peak = k;
  EXPECT_EQ(peak, 64u);
  EXPECT_DOUBLE_EQ(s.BinFrequency(64), hz);
  EXPECT_NEAR(s.magnitude[64], 0.5, 1e-6);
  EXPECT_NEAR(s.magnitude[63], 0.25, 1e-6);
  EXPECT_NEAR(s.magnitude[65], 0.25, 1e-6);
  for (size_t k : {0u, 10u, 62u, 66u, 300u, 512u}) EXPECT_LT(s.magnitude[k], 1e-6) << k;
  // Levels: 20 log10 0.5; halfway to the next bin 0.375; the mean power of bins 63-65 is 0.125.
  EXPECT_NEAR(s.LevelDbAt(hz, -200), -6.0206, 1e-3);
  EXPECT_NEAR(s.LevelDbAt(64.5 * rate / 1024, -200), 20 * std::log10(0.375), 1e-3);
  EXPECT_NEAR(s.BandLevelDb(62.5 * rate / 1024, 65.5 * rate / 1024, -200), 10 * std::log10(0.125), 1e-3);
  EXPECT_EQ(s.LevelDbAt(rate, -200), -200); // above Nyquist
}

TEST(PlotSpectrum, OffBinSineDcSilenceAndShortInput)
{
  const double rate = 48000;
  const std::vector<float> x = Sine(0.8, 1000, rate, 48000);
  const AverageSpectrum s = ComputeAverageSpectrum(x.data(), x.size(), rate, 4096);
  size_t peak = 0;
  for (size_t k = 0; k < s.magnitude.size(); ++k)
    if (s.magnitude[k] > s.magnitude[peak]) peak = k;
  EXPECT_EQ(peak, 85u); // 1000 * 4096 / 48000 = 85.33
  // Between bins the Hann main lobe still keeps the peak within 1.5 dB of the amplitude.
  EXPECT_GT(s.magnitude[85], 0.8 * std::pow(10.0, -1.5 / 20));

  const std::vector<float> dc(4096, 0.3f);
  EXPECT_NEAR(ComputeAverageSpectrum(dc.data(), dc.size(), rate, 1024).magnitude[0], 0.3, 1e-6);

  const std::vector<float> silence(5000, 0.0f);
  const AverageSpectrum quiet = ComputeAverageSpectrum(silence.data(), silence.size(), rate, 1024);
  EXPECT_EQ(quiet.LevelDbAt(1000, -150), -150);
  EXPECT_EQ(quiet.BandLevelDb(100, 10000, -150), -150);

  // Fewer samples than a frame: one zero-padded frame, still a full set of finite bins.
  const std::vector<float> tiny = {0.5f, -0.5f, 0.25f};
  const AverageSpectrum t = ComputeAverageSpectrum(tiny.data(), tiny.size(), rate, 256);
  ASSERT_EQ(t.magnitude.size(), 129u);
  for (double m : t.magnitude) EXPECT_TRUE(std::isfinite(m));
  EXPECT_GT(t.magnitude[64], 0.0);
  EXPECT_TRUE(ComputeAverageSpectrum(tiny.data(), tiny.size(), rate, 1000).magnitude.empty());
}

TEST(PlotEnvelope, KnownSignals)
{
  const float x[8] = {0, 1, -2, 3, -4, 5, -6, 7};
  // Four columns of two samples each.
  std::vector<EnvelopeColumn> e = ComputeEnvelope(x, 8, 4);
  ASSERT_EQ(e.size(), 4u);
  const float mins[4] = {0, -2, -4, -6}, maxs[4] = {1, 3, 5, 7};
  const double rms[4] = {std::sqrt(0.5), std::sqrt(6.5), std::sqrt(20.5), std::sqrt(42.5)};
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(e[c].min, mins[c]) << c;
    EXPECT_EQ(e[c].max, maxs[c]) << c;
    EXPECT_NEAR(e[c].rms, rms[c], 1e-6) << c;
  }
  // Three columns split at 8/3 and 16/3: samples 0-1, 2-4, 5-7.
  e = ComputeEnvelope(x, 8, 3);
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0].min, 0);
  EXPECT_EQ(e[0].max, 1);
  EXPECT_EQ(e[1].min, -4);
  EXPECT_EQ(e[1].max, 3);
  EXPECT_EQ(e[2].min, -6);
  EXPECT_EQ(e[2].max, 7);
  // More columns than samples: each column shows the sample under it.
  e = ComputeEnvelope(x, 3, 6);
  ASSERT_EQ(e.size(), 6u);
  const float under[6] = {0, 0, 1, 1, -2, -2};
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(e[c].min, under[c]) << c;
    EXPECT_EQ(e[c].max, under[c]) << c;
    EXPECT_EQ(e[c].rms, std::fabs(under[c])) << c;
  }
  EXPECT_TRUE(ComputeEnvelope(x, 0, 4).empty());
  EXPECT_TRUE(ComputeEnvelope(x, 8, 0).empty());
}

TEST(PlotPngWriter, ReadsBackIdentically)
{
  // An odd width, every alpha from clear to opaque, colours that differ per channel.
  Raster_MemBitmap bm(7, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      bm.getBits()[x + y * bm.getRowSpan()] = Raster_RGBA(x * 40, y * 60, 255 - x * 30, (x * 5 + y) * 255 / 34);
  TempDir dir;
  const std::string path = dir / "round.png";
  std::string error;
  ASSERT_TRUE(WritePngFile(&bm, path, error)) << error;
  std::unique_ptr<Raster_IBitmap> back(Raster_LoadPNG(path.c_str()));
  ASSERT_TRUE(back);
  EXPECT_EQ(Raster_BitmapCmp(&bm, back.get(), nullptr), 0);
  EXPECT_EQ(Raster_GetPixel(back.get(), 6, 4), Raster_RGBA(240, 240, 75, 255));
  EXPECT_EQ(Raster_GetPixel(back.get(), 0, 0), Raster_RGBA(0, 0, 255, 0));

  // Failures report and leave nothing: an empty bitmap, a folder that does not exist.
  Raster_MemBitmap empty;
  EXPECT_FALSE(WritePngFile(&empty, dir / "empty.png", error));
  EXPECT_FALSE(WritePngFile(nullptr, dir / "null.png", error));
  EXPECT_FALSE(WritePngFile(&bm, dir / "missing/x.png", error));
  EXPECT_NE(error.find("missing"), std::string::npos) << error;
  EXPECT_NE(access((dir / "empty.png").c_str(), F_OK), 0);
}

TEST(PlotFigure, RowsLaidOutAndOpaque)
{
  ComparisonFigure figure;
  figure.title = "Test";
  figure.rows.resize(2);
  figure.rows[0].samples = Sine(0.5, 440, 44100, 44100);
  figure.rows[1].samples = Sine(0.9, 3000, 44100, 22050);
  std::unique_ptr<FigureCanvas> canvas = DrawComparisonFigure(figure);
  ASSERT_TRUE(canvas);
  EXPECT_EQ(canvas->Width(), 1400);
  const int height = canvas->Height();
  // Each row's colour shows up, and only in that row's band of the picture.
  int firstSeen[2] = {-1, -1}, lastSeen[2] = {-1, -1};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < canvas->Width(); ++x) {
      const unsigned int p = Raster_GetPixel(&canvas->Bitmap(), x, y);
      ASSERT_EQ(Raster_GetA(p), 255);
      for (int r = 0; r < 2; ++r) {
        const FigureColor c = FigureRowColor(r);
        if (Raster_GetR(p) == c.r && Raster_GetG(p) == c.g && Raster_GetB(p) == c.b) {
          if (firstSeen[r] < 0) firstSeen[r] = y;
          lastSeen[r] = y;
        }
      }
    }
  ASSERT_GE(firstSeen[0], 0);
  ASSERT_GE(firstSeen[1], 0);
  EXPECT_LT(lastSeen[0], firstSeen[1]);
  EXPECT_GT(lastSeen[1] - firstSeen[1], 100); // the full-height waveform of the 0.9 sine
}

} // namespace
