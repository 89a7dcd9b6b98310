// The frequency-response graph's arithmetic: the FFT against a direct DFT, the windows and the cubic
// reading between bins at hand-computed points, and the graph's points, smoothing, drawing and readout.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "graphics/IFreqResponseGraph.h"
#include "tests/graphics/GraphicsTestSupport.h"

TEST(IGraphicsFFT, MatchesADirectDFTAndRefusesOtherSizes)
{
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (int n : {1, 2, 8, 64, 512}) {
    std::vector<double> re(n), im(n), x(n), y(n);
    for (int i = 0; i < n; ++i) re[i] = x[i] = u(rng), im[i] = y[i] = u(rng);
    ASSERT_TRUE(IFFTInPlace(re.data(), im.data(), n));
    for (int k = 0; k < n; ++k) {
      double sr = 0, si = 0;
      for (int t = 0; t < n; ++t) {
        const double a = -2.0 * M_PI * k * t / n;
        sr += x[t] * std::cos(a) - y[t] * std::sin(a);
        si += x[t] * std::sin(a) + y[t] * std::cos(a);
      }
      EXPECT_NEAR(re[k], sr, 1e-9) << n << " bin " << k;
      EXPECT_NEAR(im[k], si, 1e-9) << n << " bin " << k;
    }
  }
  double buf[12] = {};
  for (int n : {0, -4, 3, 12}) EXPECT_FALSE(IFFTInPlace(buf, buf, n)) << n;
  EXPECT_FALSE(IFFTInPlace(nullptr, buf, 4));
}

TEST(IGraphicsFFT, WindowsAndCubicReadingAtHandComputedPoints)
{
  struct Case
  {
    int window, i, n;
    double want;
  };
  const Case windows[] = {
      {kWindowRectangular, 3, 9, 1.0},
      {kWindowBlackman, 0, 9, 0.0},           // 0.42 - 0.5 + 0.08
      {kWindowBlackman, 4, 9, 1.0},           // 0.42 + 0.5 + 0.08
      {kWindowBlackmanHarris, 0, 9, 0.00006}, // 0.35875 - 0.48829 + 0.14128 - 0.01168
      {kWindowHamming, 0, 9, 0.08},
      {kWindowHamming, 4, 9, 1.0},
      {kWindowHann, 2, 9, 0.5 - 0.5 * std::cos(M_PI / 2)},
      {kWindowSineCubed, 2, 9, std::pow(std::sin(M_PI / 4), 3)},
      {kWindowHannSquared, 2, 9, 0.25},
      {99, 2, 9, std::sin(M_PI / 4)}, // unknown numbers are the sine window
      {-1, 4, 9, 1.0},
      {kWindowHann, 0, 1, 1.0}, // one sample: nothing to taper
  };
  for (const Case& c : windows)
    EXPECT_NEAR(IFFTWindowValue(c.window, c.i, c.n), c.want, 1e-12) << c.window << " at " << c.i;

  const double line[] = {1, 3, 5, 7, 9}; // 2x + 1: reproduced exactly
  const double bump[] = {0, 0, 1, 0, 0};
  struct Read
  {
    const double* data;
    double pos, want;
  };
  const Read reads[] = {
      {line, 2.5, 6.0},  {line, 0.25, 1.5},   {line, 3.75, 8.5}, {line, 2.0, 5.0},
      {bump, 2.0, 1.0},  {bump, 1.5, 0.5625}, // Catmull-Rom: -0.0625 * 0 + 0.5625 * 0 + 0.5625 * 1 - 0.0625 * 0
      {line, -3.0, 1.0}, {line, 99.0, 9.0},   {line, NAN, 1.0},
  };
  for (const Read& r : reads) EXPECT_NEAR(ICubicInterpolate(r.data, 5, r.pos), r.want, 1e-12) << r.pos;
  EXPECT_EQ(ICubicInterpolate(nullptr, 5, 1.0), 0.0);
}

namespace {

// A graph 101 columns wide and 50 high over 1..32 Hz at a 64 Hz rate, so that bin k is k Hz and column x
// reads 32^(x / 100) Hz.
struct GraphFixture
{
  GraphFixture(bool display = true) : graph(nullptr, COLOR_RED, IRECT(0, 0, 101, 50), 64, kWindowRectangular)
  {
    graph.SetScale(64.0, 1.0, 32.0);
    graph.SetDisplayMode(display);
  }
  void Feed(std::vector<double> taps)
  {
    taps.resize(64, 0.0);
    graph.SetDataFromPlug(taps.data());
  }
  IFreqResponseGraph graph;
};

} // namespace

TEST(IFreqResponseGraph, PointsAreAttenuationScaledToTheHeight)
{
  GraphFixture g;
  EXPECT_EQ(g.graph.FFTSize(), 64);
  EXPECT_NEAR(g.graph.FrequencyAt(0), 1.0, 1e-12);
  EXPECT_NEAR(g.graph.FrequencyAt(100), 32.0, 1e-9);
  EXPECT_NEAR(g.graph.FrequencyAt(80), 16.0, 1e-9);
  // A flat gain g sits at -20 log10(g) * 50 / 100 pixels, held in 0..50.
  struct Flat
  {
    double gain, want;
  };
  const Flat flats[] = {
      {0.1, 10.0}, {0.5, 50.0 * 20.0 * std::log10(2.0) / 100.0}, {1e-7, 50.0}, {0.0, 50.0}, {2.0, 0.0}, {NAN, 50.0}};
  for (const Flat& f : flats) {
    g.Feed({f.gain});
    for (int x : {0, 37, 100}) EXPECT_NEAR(g.graph.Point(x), f.want, 1e-9) << f.gain << " column " << x;
  }
  // Two taps of 0.25: |H(f)| = 0.5 |cos(pi f / 64)|; at 16 Hz (column 80, a whole bin) 0.3536, -9.03 dB.
  g.Feed({0.25, 0.25});
  const double at16 = -20.0 * std::log10(0.5 * std::cos(M_PI / 4)) * 0.5;
  EXPECT_NEAR(g.graph.Point(80), at16, 1e-9);
  // Between bins the cubic reading stays within a hair of the smooth curve.
  for (int x : {50, 65, 90}) {
    const double f = g.graph.FrequencyAt(x);
    EXPECT_NEAR(g.graph.Point(x), -20.0 * std::log10(0.5 * std::cos(M_PI * f / 64)) * 0.5, 0.02) << x;
  }
  char text[96];
  g.graph.FormatReadout(80, text, sizeof text);
  EXPECT_STREQ(text, "Freq:   16 Hz\nGain: - 9.0 dB");
  g.graph.FormatReadout(101, text, sizeof text);
  EXPECT_STREQ(text, "");
  IFreqResponseGraph wide(nullptr, COLOR_RED, IRECT(0, 0, 11, 50), 5000, kWindowHann);
  EXPECT_EQ(wide.FFTSize(), 4096); // taken down to a power of two
  wide.SetScale(44100.0, 1000.0, 1e9);
  wide.FormatReadout(10, text, sizeof text);
  EXPECT_STREQ(text, "Freq: 22.050 kHz\nGain: - 0.0 dB");
}

TEST(IFreqResponseGraph, SmoothingFallsSlowlyAndRecoversQuickly)
{
  GraphFixture g(false);
  const double rise = std::exp(-1.0 / 15.0), fall = std::exp(-1.0 / 1.5); // 0.3 H and 0.03 H with H = 50
  g.Feed({0.1});                                                          // target 10 from 0: attenuation grows, slowly
  double p = (1.0 - rise) * 10.0;
  EXPECT_NEAR(g.graph.Point(5), p, 1e-9);
  g.Feed({0.1});
  p = rise * p + (1.0 - rise) * 10.0;
  EXPECT_NEAR(g.graph.Point(5), p, 1e-9);
  g.Feed({1.0}); // target 0: back up, quickly
  EXPECT_NEAR(g.graph.Point(5), fall * p, 1e-9);
}

TEST(IFreqResponseGraph, DrawsInsideItsRectangleAndShowsTheReadoutOnHover)
{
  EditorFixture f(220, 60);
  f.graphics->SetTrackHover(true);
  auto* graph = new IFreqResponseGraph(&f.plug, COLOR_RED, IRECT(10, 10, 210, 40), 64);
  graph->SetScale(64.0, 1.0, 32.0);
  graph->SetDisplayMode(true);
  f.graphics->AttachControl(graph);
  std::vector<double> taps(64, 0.0);
  taps[0] = 0.1; // flat, 20 dB down: row 10 + 30 * 20 / 100 = 16
  graph->SetDataFromPlug(taps.data());
  IRECT all(0, 0, 220, 60);
  IChannelBlend copy(kBlendCopy);
  f.graphics->FillIRect(&COLOR_TRANSPARENT, &all, &copy);
  f.graphics->Draw(&all);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 220; ++x)
      EXPECT_EQ(f.graphics->GetPoint(x, y), y == 16 && x >= 10 && x < 210 ? COLOR_RED : COLOR_TRANSPARENT)
          << x << "," << y;

  IMouseMod none;
  EXPECT_TRUE(f.graphics->OnMouseOver(30, 20, &none));
  EXPECT_TRUE(graph->IsHovered());
  IRECT dirty;
  EXPECT_TRUE(f.graphics->IsDirty(&dirty));
  f.graphics->FillIRect(&COLOR_TRANSPARENT, &all, &copy);
  f.graphics->Draw(&dirty);
  int outside = 0, boxed = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 220; ++x) {
      const bool in = x >= 10 && x < 210 && y >= 10 && y < 40;
      const bool set = f.graphics->GetPoint(x, y) != COLOR_TRANSPARENT;
      outside += set && !in;
      boxed += set && in && y != 16;
    }
  EXPECT_EQ(outside, 0); // the box is kept inside the graph
  EXPECT_GT(boxed, 100);
  f.graphics->OnMouseOut();
  EXPECT_FALSE(graph->IsHovered());
  EXPECT_TRUE(graph->IsDirty());
}
