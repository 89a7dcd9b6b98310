// AuDSP: filter designs against known coefficients and transfer-function properties, the direct
// form I arithmetic and its denormal offset, one-pole filters and every waveshaper.
#include "effect/AuDSP.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>

namespace {

AuDSP Fresh()
{
  AuDSP d;
  std::memset(static_cast<void*>(&d), 0x5a, sizeof d); // garbage, as an owner might hand it over
  d.dspFullReset();
  return d;
}

// |H(e^jw)| of slot 's' at frequency f.
double Magnitude(const AuDSP& d, int s, double f, double fs)
{
  const std::complex<double> z1 = std::polar(1.0, -2.0 * M_PI * f / fs);
  const std::complex<double> z2 = z1 * z1;
  return std::abs((d.b0[s] + d.b1[s] * z1 + d.b2[s] * z2) / (1.0 + d.a1[s] * z1 + d.a2[s] * z2));
}

void ExpectCoefficients(const AuDSP& d, int s, double b0, double b1, double b2, double a1, double a2)
{
  EXPECT_NEAR(d.b0[s], b0, 5e-7);
  EXPECT_NEAR(d.b1[s], b1, 5e-7);
  EXPECT_NEAR(d.b2[s], b2, 5e-7);
  EXPECT_NEAR(d.a1[s], a1, 5e-7);
  EXPECT_NEAR(d.a2[s], a2, 5e-7);
}

} // namespace

TEST(AuDSPDesign, KnownCoefficientsAt44100)
{
  AuDSP d = Fresh();
  d.biquadFilterInit(3, 5, 140, 1, -30, 44100);
  ExpectCoefficients(d, 3, 0.986349, -1.966821, 0.980483, -1.966641, 0.967011);
  d.biquadFilterInit(0, 1, 95, 1.46, 0, 44100);
  ExpectCoefficients(d, 0, 0.992860, -1.985721, 0.992860, -1.985630, 0.985812);
  d.biquadFilterInit(31, 6, 14100, 1, -30, 44100);
  ExpectCoefficients(d, 31, 0.268436, 0.343385, 0.128145, -0.471119, 0.211085);
}

TEST(AuDSPDesign, ShapesHaveTheirResponses)
{
  AuDSP d = Fresh();
  const double fs = 48000;
  d.biquadFilterInit(0, 0, 1000, 1, 0, fs); // low-pass: unity at DC, nothing at Nyquist
  EXPECT_NEAR(Magnitude(d, 0, 0, fs), 1.0, 1e-12);
  EXPECT_NEAR(Magnitude(d, 0, fs / 2, fs), 0.0, 1e-12);
  d.biquadFilterInit(1, 1, 1000, 1, 0, fs); // high-pass: the reverse
  EXPECT_NEAR(Magnitude(d, 1, 0, fs), 0.0, 1e-12);
  EXPECT_NEAR(Magnitude(d, 1, fs / 2, fs), 1.0, 1e-12);
  d.biquadFilterInit(2, 2, 1000, 1, 0, fs); // band-pass: 0 dB at the centre, zero at both ends
  EXPECT_NEAR(Magnitude(d, 2, 1000, fs), 1.0, 1e-9);
  EXPECT_NEAR(Magnitude(d, 2, 0, fs), 0.0, 1e-12);
  EXPECT_EQ(d.b1[2], 0.0);
  d.biquadFilterInit(3, 3, 1000, 1, 0, fs); // notch: zero at the centre, unity at DC
  EXPECT_NEAR(Magnitude(d, 3, 1000, fs), 0.0, 1e-9);
  EXPECT_NEAR(Magnitude(d, 3, 0, fs), 1.0, 1e-12);
  d.biquadFilterInit(4, 4, 1000, 1, 12, fs); // peaking: +12 dB at the centre, unity at DC
  EXPECT_NEAR(20 * std::log10(Magnitude(d, 4, 1000, fs)), 12.0, 1e-9);
  EXPECT_NEAR(Magnitude(d, 4, 0, fs), 1.0, 1e-12);
  d.biquadFilterInit(5, 5, 200, 1, -20, fs); // low shelf: gain at DC, unity at Nyquist
  EXPECT_NEAR(20 * std::log10(Magnitude(d, 5, 0, fs)), -20.0, 1e-9);
  EXPECT_NEAR(Magnitude(d, 5, fs / 2, fs), 1.0, 0.02);
  d.biquadFilterInit(6, 6, 8000, 1, -20, fs); // high shelf: unity at DC, gain at Nyquist
  EXPECT_NEAR(Magnitude(d, 6, 0, fs), 1.0, 1e-12);
  EXPECT_NEAR(20 * std::log10(Magnitude(d, 6, fs / 2, fs)), -20.0, 1e-9);
}

TEST(AuDSPDesign, BandwidthIsOctavesAndIgnoredByShelves)
{
  AuDSP d = Fresh();
  const double fs = 44100;
  // A one-octave peak of +6 dB is at about half its dB gain one half-octave either side.
  d.biquadFilterInit(0, 4, 1000, 1, 6, fs);
  const double edge = 20 * std::log10(Magnitude(d, 0, 1000 * std::sqrt(2.0), fs));
  EXPECT_GT(edge, 2.0);
  EXPECT_LT(edge, 4.0);
  for (int type : {5, 6}) {
    d.biquadFilterInit(1, type, 3000, 0.1, -12, fs);
    d.biquadFilterInit(2, type, 3000, 5.0, -12, fs);
    EXPECT_EQ(d.b0[1], d.b0[2]);
    EXPECT_EQ(d.b1[1], d.b1[2]);
    EXPECT_EQ(d.b2[1], d.b2[2]);
    EXPECT_EQ(d.a1[1], d.a1[2]);
    EXPECT_EQ(d.a2[1], d.a2[2]);
  }
}

TEST(AuDSPDesign, UnknownTypesDesignLowPassAndLeaveStateAlone)
{
  AuDSP d = Fresh();
  d.biquadFilterInit(0, 0, 700, 0.7, 3, 44100);
  for (int type : {7, -1, 1000}) {
    d.x1[1] = 0.25;
    d.y2[1] = -0.5;
    d.biquadFilterInit(1, type, 700, 0.7, 3, 44100);
    EXPECT_EQ(d.b0[1], d.b0[0]);
    EXPECT_EQ(d.b1[1], d.b1[0]);
    EXPECT_EQ(d.b2[1], d.b2[0]);
    EXPECT_EQ(d.a1[1], d.a1[0]);
    EXPECT_EQ(d.a2[1], d.a2[0]);
    EXPECT_EQ(d.x1[1], 0.25);
    EXPECT_EQ(d.y2[1], -0.5);
  }
}

TEST(AuDSPDesign, ZeroDecibelPeakIsIdentity)
{
  AuDSP d = Fresh();
  d.biquadFilterInit(13, 4, 1500, 1, 0, 44100);
  EXPECT_EQ(d.b0[13], 1.0);
  EXPECT_EQ(d.b1[13], d.a1[13]);
  EXPECT_EQ(d.b2[13], d.a2[13]);
  double out = 0;
  for (int i = 0; i < 200; ++i) {
    const double in = std::sin(i * 0.3) * 0.7;
    d.biquadFilterProcess(13, in, out);
    EXPECT_NEAR(out, in, 1e-14);
  }
}

TEST(AuDSPProcess, DirectFormOneByHand)
{
  AuDSP d = Fresh();
  d.b0[5] = 0.5;
  d.b1[5] = 0.25;
  d.b2[5] = 0.125;
  d.a1[5] = -0.5;
  d.a2[5] = 0.25;
  // Impulse response worked out by hand: y0 = b0; y1 = b1 - a1 y0; y2 = b2 - a1 y1 - a2 y0; ...
  const double expected[] = {0.5, 0.5, 0.25, 0.0, -0.0625};
  for (int n = 0; n < 5; ++n) {
    double out;
    d.biquadFilterProcess(5, n == 0 ? 1.0 : 0.0, out);
    EXPECT_EQ(out, expected[n] + 1e-20) << n;
    EXPECT_EQ(d.y1[5], expected[n]) << "the offset must not enter the history";
  }
  EXPECT_EQ(d.x1[5], 0.0);
  EXPECT_EQ(d.y2[5], 0.0);
}

TEST(AuDSPProcess, SummationOrderAndOffset)
{
  AuDSP d = Fresh();
  // 2^53 + 1 rounds back to 2^53, so only x1-term + x-term first, then x2-term, gives 0 here.
  const double big = 9007199254740992.0;
  d.b1[0] = big;
  d.b0[0] = 1.0;
  d.b2[0] = -big;
  d.x1[0] = 1.0;
  d.x2[0] = 1.0;
  double out;
  d.biquadFilterProcess(0, 1.0, out);
  EXPECT_EQ(out, 1e-20);
  EXPECT_EQ(d.y1[0], 0.0);
  // Feedback is subtracted after the feed-forward sum: 1 - 2^54 rounds to -2^54, so
  // (1 - 2^54) - (-2^54) = 0 in this order (and 1 in any order that cancels the feedback first).
  AuDSP e = Fresh();
  e.b0[0] = 1.0;
  e.a1[0] = 1.0;
  e.a2[0] = -1.0;
  e.y1[0] = 2 * big;
  e.y2[0] = 2 * big;
  e.biquadFilterProcess(0, 1.0, out);
  EXPECT_EQ(e.y1[0], 0.0);

  // An unconfigured slot after a full reset hands out exactly the offset and keeps zero history.
  AuDSP z = Fresh();
  for (int i = 0; i < 3; ++i) {
    z.biquadFilterProcess(31, 0.0, out);
    EXPECT_EQ(out, 1e-20);
    EXPECT_EQ(z.y1[31], 0.0);
  }
}

TEST(AuDSPProcess, ResetsClearWhatTheySay)
{
  AuDSP d = Fresh();
  d.biquadFilterInit(2, 4, 900, 1, 6, 44100);
  d.OnePoleLPFilterInit(3, 100, 44100);
  double out;
  for (int i = 0; i < 10; ++i) d.biquadFilterProcess(2, 1.0, out);
  const double b0 = d.b0[2];
  d.biquadFilterReset();
  EXPECT_EQ(d.b0[2], b0);
  EXPECT_EQ(d.x1[2], 0.0);
  EXPECT_EQ(d.x2[2], 0.0);
  EXPECT_EQ(d.y1[2], 0.0);
  EXPECT_EQ(d.y2[2], 0.0);
  EXPECT_NE(d.lpGain[3], 0.0);
  d.dspFullReset();
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&d);
  for (size_t i = 0; i < sizeof d; ++i) ASSERT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(sizeof(AuDSP), (9 * 32 + 6 * 8) * sizeof(double));
}

TEST(AuDSPProcess, OnePoleFilters)
{
  AuDSP d = Fresh();
  const double fs = 44100, f = 1000;
  const double k = std::exp(-2 * M_PI * f / fs);
  d.OnePoleLPFilterInit(7, f, fs);
  d.OnePoleHPFilterInit(0, f, fs);
  EXPECT_DOUBLE_EQ(d.lpGain[7], 1 - k);
  EXPECT_DOUBLE_EQ(d.lpPole[7], -k);
  EXPECT_DOUBLE_EQ(d.hpPole[0], -k);
  // Step response: the low-pass rises as 1 - k^(n+1); the high-pass is its complement.
  for (int n = 0; n < 50; ++n) {
    double lp, hp;
    d.OnePoleLPFilterProcess(7, 1.0, lp);
    d.OnePoleHPFilterProcess(0, 1.0, hp);
    const double rise = 1.0 - std::pow(k, n + 1);
    EXPECT_NEAR(lp, rise, 1e-12);
    EXPECT_NEAR(hp, 1.0 - rise, 1e-12);
    EXPECT_EQ(d.lpState[7] + 1e-20, lp);
  }
  // With zero input and zero state the outputs are exactly the offset.
  AuDSP z = Fresh();
  z.OnePoleLPFilterInit(0, f, fs);
  double out;
  z.OnePoleLPFilterProcess(0, 0.0, out);
  EXPECT_EQ(out, 1e-20);
  EXPECT_EQ(z.lpState[0], 0.0);
}

TEST(AuDSPShapers, Fuzzdrive3)
{
  double out;
  for (double drive : {0.0, 1.0, 2.5, 5.0}) {
    AuDSP::fuzzdrive3(0.0, 0.8, drive, out);
    EXPECT_EQ(out, -0.2);
  }
  AuDSP::fuzzdrive3(-1.0, 0.8, 1.0, out);
  EXPECT_DOUBLE_EQ(out, 0.02);
  AuDSP::fuzzdrive3(1.0, 0.8, 1.0, out);
  EXPECT_DOUBLE_EQ(out, 0.1);
  // Inside the parabola: x = 0.02 -> f = 0.8 * (0.2 - 0.01) = 0.152, h = 0.152, out = -0.048.
  AuDSP::fuzzdrive3(0.01, 0.8, 2.0, out);
  EXPECT_NEAR(out, -0.048, 1e-15);
  // Negative x above -0.2 clamps to 0 then offsets; x = -0.2 exactly takes the +0.02 branch.
  AuDSP::fuzzdrive3(-0.05, 0.8, 1.0, out);
  EXPECT_EQ(out, -0.2);
  AuDSP::fuzzdrive3(-0.2, 0.8, 1.0, out);
  EXPECT_DOUBLE_EQ(out, 0.02);
  // The "Attack" 0.5 examples: b = +-0.1 with drive 2.5.
  AuDSP::fuzzdrive3(0.1, 0.8, 2.5, out);
  EXPECT_NEAR(out, 0.1, 1e-15);
  AuDSP::fuzzdrive3(-0.1, 0.8, 2.5, out);
  EXPECT_NEAR(out, 0.02, 1e-15);
}

TEST(AuDSPShapers, OtherMembers)
{
  double out;
  AuDSP::distortion(0.05, 0.5, 2.0, out);
  EXPECT_DOUBLE_EQ(out, 0.5 * std::tanh(1.0));
  // distortion2: parabola inside |x| < 0.2, +-level outside.
  AuDSP::distortion2(0.1, 0.5, 1.0, out);
  EXPECT_NEAR(out, 0.5 * (1.0 - 0.25) * 1.0, 1e-15); // level * (10x - 25x|x|)
  AuDSP::distortion2(-0.1, 0.5, 1.0, out);
  EXPECT_NEAR(out, -0.375, 1e-15);
  AuDSP::distortion2(-0.3, 0.5, 1.0, out);
  EXPECT_EQ(out, -0.5);
  AuDSP::distortion2(0.2, 0.5, 1.0, out);
  EXPECT_EQ(out, 0.5);
  // fuzzdrive: positive half clamps at 0.5, negative half is 0.1x clamped to -0.5.
  AuDSP::fuzzdrive(1.0, 0.9, 1.0, out);
  EXPECT_DOUBLE_EQ(out, 0.5);
  AuDSP::fuzzdrive(-2.0, 0.9, 1.0, out);
  EXPECT_DOUBLE_EQ(out, -0.2);
  AuDSP::fuzzdrive(-10.0, 0.9, 1.0, out);
  EXPECT_DOUBLE_EQ(out, -0.5);
  // fuzzdrive2: no 0.1 scaling on the negative half.
  AuDSP::fuzzdrive2(-0.3, 0.9, 1.0, out);
  EXPECT_DOUBLE_EQ(out, -0.3);
  AuDSP::fuzzdrive2(0.3, 0.9, 1.0, out);
  EXPECT_DOUBLE_EQ(out, 0.5);
  AuDSP::fuzzdrive2(0.05, 0.4, 1.0, out);
  EXPECT_NEAR(out, 0.4 * (0.5 - 0.0625), 1e-15);
  // limiter and xmix.
  AuDSP::limiter(5, 1, -1, out);
  EXPECT_EQ(out, 1);
  AuDSP::limiter(-5, 1, -1, out);
  EXPECT_EQ(out, -1);
  AuDSP::limiter(0.5, 1, -1, out);
  EXPECT_EQ(out, 0.5);
  AuDSP::xmix(4.0, 8.0, 0.25, out);
  EXPECT_EQ(out, 0.75 * 4.0 + 0.25 * 8.0);
  AuDSP::xmix(4.0, 8.0, 2.0, out);
  EXPECT_EQ(out, 4.0);
  AuDSP::xmix(4.0, 8.0, -3.0, out);
  EXPECT_EQ(out, 8.0);
  AuDSP::xmix(4.0, 8.0, 0.0, out);
  EXPECT_EQ(out, 6.0);
}
