// Brindle against a second, deliberately separate model written from the product's own description
// of its arithmetic: filter designs per shape, the 22-stage table at several rates, the noise
// generator built bit by bit, and whole-chain output of the plug-in compared bit for bit.
//
// Nothing here calls AuDSP or the chain functions to produce an expected value: the model below
// rederives every number, so a wrong coefficient, a stage in the wrong place or a changed order of
// summation in the effect shows up as a bit difference.
#include "effect/Brindle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct Coeffs
{
  double b0, b1, b2, a1, a2;
};

// Biquad design, one shape per row of the product's table: raw (b0, b1, b2, a0, a1, a2), then
// everything divided by a0.
Coeffs RefDesign(int type, double f, double bw, double gainDB, double fs)
{
  const double w = f * 6.283185307179586 / fs;
  const double s = std::sin(w);
  const double c = std::cos(w);
  const double alpha = s * std::sinh(0.34657359027997264 * bw * w / s);
  const double A = std::pow(10.0, gainDB / 40.0);
  const double P = A + 1.0;
  const double M = A - 1.0;
  double r[6];
  if (type == 1) {
    const double t[6] = {(1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha};
    std::copy(t, t + 6, r);
  } else if (type == 2) {
    const double t[6] = {alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha};
    std::copy(t, t + 6, r);
  } else if (type == 3) {
    const double t[6] = {1, -2 * c, 1, 1 + alpha, -2 * c, 1 - alpha};
    std::copy(t, t + 6, r);
  } else if (type == 4) {
    const double t[6] = {1 + alpha * A, -2 * c, 1 - alpha * A, 1 + alpha / A, -2 * c, 1 - alpha / A};
    std::copy(t, t + 6, r);
  } else if (type == 5) {
    const double cw = std::cos(0.41 * w);
    const double beta = (std::sqrt(A) / 1.41) * s;
    const double t[6] = {A * (P - M * cw + beta), 2 * A * (M - P * cw), A * (P - M * cw - beta),
                         P + M * cw + beta,       -2 * (M + P * cw),    P + M * cw - beta};
    std::copy(t, t + 6, r);
  } else if (type == 6) {
    const double gamma = std::sqrt(2 * A) * s;
    const double t[6] = {A * (P + M * c + gamma), -2 * A * (M + P * c), A * (P + M * c - gamma),
                         P - M * c + gamma,       2 * (M - P * c),      P - M * c - gamma};
    std::copy(t, t + 6, r);
  } else { // 0 and every other number
    const double t[6] = {(1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha};
    std::copy(t, t + 6, r);
  }
  return {r[0] / r[3], r[1] / r[3], r[2] / r[3], r[4] / r[3], r[5] / r[3]};
}

struct StageRow
{
  int type;
  double f, bw, g;
};

// The product's fixed filters: band limit (0-1), tone (2-11), cabinet (12-21).
const StageRow kRows[22] = {
    {1, 95, 1.46, 0},      {0, 320, 1.46, 0},    {5, 140, 1, -30},      {4, 200, 2.3, -7.5},  {4, 500, 2.8, -12.3},
    {4, 300, 0.8, -1.8},   {4, 1760, 1.3, 6.3},  {4, 2220, 0.38, -12},  {4, 7000, 0.8, -4.8}, {4, 3900, 2, 13.8},
    {6, 14100, 1, -30},    {6, 11200, 1, -21.3}, {5, 200, 0.4, -26.4},  {4, 1500, 1, 0},      {4, 500, 1, -7.2},
    {4, 850, 0.2, -10.2},  {4, 1200, 0.2, -8.7}, {4, 1800, 0.2, -19.2}, {4, 2200, 1, 11.7},   {4, 3200, 0.6, -17.1},
    {4, 5800, 0.6, -21.6}, {6, 10200, 1, -30},
};

bool SameBits(double a, double b)
{
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectSlotIs(const AuDSP& d, int slot, const Coeffs& e, const char* what)
{
  EXPECT_TRUE(SameBits(d.b0[slot], e.b0)) << what << " slot " << slot << " b0 " << d.b0[slot] << " vs " << e.b0;
  EXPECT_TRUE(SameBits(d.b1[slot], e.b1)) << what << " slot " << slot << " b1 " << d.b1[slot] << " vs " << e.b1;
  EXPECT_TRUE(SameBits(d.b2[slot], e.b2)) << what << " slot " << slot << " b2 " << d.b2[slot] << " vs " << e.b2;
  EXPECT_TRUE(SameBits(d.a1[slot], e.a1)) << what << " slot " << slot << " a1 " << d.a1[slot] << " vs " << e.a1;
  EXPECT_TRUE(SameBits(d.a2[slot], e.a2)) << what << " slot " << slot << " a2 " << d.a2[slot] << " vs " << e.a2;
}

// The noise value of one generator state, assembled from its parts rather than from raw bits:
// sign = state bit 31, magnitude = 2^-67 x (1 + (state bits 22-16) / 128).
float RefNoiseValue(std::uint32_t state)
{
  const float magnitude = std::ldexp(1.0f + static_cast<float>((state >> 16) & 0x7f) / 128.0f, -67);
  return (state >> 31) ? -magnitude : magnitude;
}

// Steps 'state' 44100 times (the multiply and add done in 64 bits and reduced by hand) and returns
// the running single-precision sum after each step.
std::vector<double> RefNoiseTable(std::uint32_t& state)
{
  std::vector<double> table(44100);
  float t = 0.0f;
  for (double& entry : table) {
    state = static_cast<std::uint32_t>((std::uint64_t{state} * 1234567u + 890123u) % 4294967296u);
    t = t + RefNoiseValue(state);
    entry = t;
  }
  return table;
}

// The whole chain for one mono sample stream, written straight from its description.
struct RefChain
{
  Coeffs c[22];
  double x1[22] = {}, x2[22] = {}, y1[22] = {}, y2[22] = {};
  std::vector<double> noise;
  double gain = 2.0, drive = 2.5, attack = 0.5;
  bool effectOn = true, cabinetOn = true;

  void Design(double fs)
  {
    for (int i = 0; i < 22; ++i) {
      c[i] = RefDesign(kRows[i].type, kRows[i].f, kRows[i].bw, kRows[i].g, fs);
      x1[i] = x2[i] = y1[i] = y2[i] = 0.0;
    }
  }
  double Stage(int i, double x)
  {
    const double y = c[i].b1 * x1[i] + c[i].b0 * x + c[i].b2 * x2[i] - c[i].a1 * y1[i] - c[i].a2 * y2[i];
    x2[i] = x1[i];
    x1[i] = x;
    y2[i] = y1[i];
    y1[i] = y;
    return y + 1e-20;
  }
  static double Fuzz(double b, double drive)
  {
    const double x = b * drive;
    const double e = std::fabs(x);
    double f;
    if (e < 0.2)
      f = (1 - e / 0.4) * x * 0.8 * 10;
    else
      f = x >= 0 ? 0.8 : -0.8;
    const double h = std::min(std::max(f, 0.0), 0.3);
    return x > -0.2 ? h - 0.2 : h + 0.02;
  }
  // One block: the noise table restarts at entry 0.
  void Block(const double* l, const double* r, std::vector<double>& out, int n)
  {
    out.assign(n, 0.0);
    for (int i = 0; i < n; ++i) {
      const double s = l[i] + r[i];
      if (!effectOn) {
        out[i] = s;
        continue;
      }
      const double b = Stage(1, Stage(0, s + noise[i]));
      const double m = std::min(std::max(0.5 * attack, -0.5), 0.5);
      double y = (m + 0.5) * Fuzz(b, drive) + (0.5 - m) * (2 * b);
      for (int k = 2; k <= 11; ++k) y = Stage(k, y);
      y = y * gain;
      if (cabinetOn)
        for (int k = 12; k <= 21; ++k) y = Stage(k, y);
      out[i] = y;
    }
  }
};

IEffectInstanceInfo Info()
{
  IEffectInstanceInfo info;
  info.mBundleID = "com.tallowby.audiounit.Brindle";
  info.mCocoaViewFactoryClassName = "Brindle_View";
  return info;
}

void SetParam(Brindle& plug, int idx, double value)
{
  plug.GetParam(idx)->Set(value);
  plug.OnParamChange(idx);
}

// Runs one block through the plug-in and the model and compares both outputs bit for bit.
void ExpectBlockMatches(Brindle& plug, RefChain& ref, const std::vector<double>& l, const std::vector<double>& r,
                        const char* what)
{
  const int n = static_cast<int>(l.size());
  std::vector<double> o0(n, 7.0), o1(n, 7.0), expected;
  double* ins[2] = {const_cast<double*>(l.data()), const_cast<double*>(r.data())};
  double* outs[2] = {o0.data(), o1.data()};
  plug.ProcessDoubleReplacing(ins, outs, n);
  ref.Block(l.data(), r.data(), expected, n);
  for (int i = 0; i < n; ++i) {
    ASSERT_TRUE(SameBits(o0[i], expected[i])) << what << " frame " << i << ": " << o0[i] << " vs " << expected[i];
    ASSERT_TRUE(SameBits(o1[i], expected[i])) << what << " frame " << i;
  }
}

} // namespace

TEST(BrindleReference, EveryShapeIsDesignedByItsFormula)
{
  struct Case
  {
    double f, bw, g, fs;
  };
  const Case cases[] = {{95, 1.46, 0, 44100},
                        {1000, 0.3, 9.5, 48000},
                        {12000, 2.2, -17, 96000},
                        {40, 4.0, 24, 22050},
                        {5000, 1.0, -0.1, 44100}};
  AuDSP d;
  d.dspFullReset();
  for (const Case& k : cases) {
    for (int type = -2; type <= 8; ++type) {
      d.biquadFilterInit(9, type, k.f, k.bw, k.g, k.fs);
      ExpectSlotIs(d, 9, RefDesign(type, k.f, k.bw, k.g, k.fs), "design");
    }
  }
}

TEST(BrindleReference, DesignsMatchHandWorkedNumbers)
{
  // fs = 6 f puts w at pi / 3: s = sqrt(3) / 2, c = 1 / 2. With a 6 dB peak A = 10^0.15.
  const double s = std::sqrt(3.0) / 2, c = 0.5, w = M_PI / 3;
  const double alpha = s * std::sinh(std::log(2.0) / 2 * 1.0 * w / s);
  AuDSP d;
  d.dspFullReset();
  d.biquadFilterInit(0, 0, 1000, 1, 0, 6000); // low-pass
  EXPECT_NEAR(d.b0[0], (1 - c) / 2 / (1 + alpha), 1e-14);
  EXPECT_NEAR(d.b1[0], (1 - c) / (1 + alpha), 1e-14);
  EXPECT_NEAR(d.a1[0], -2 * c / (1 + alpha), 1e-14);
  EXPECT_NEAR(d.a2[0], (1 - alpha) / (1 + alpha), 1e-14);
  d.biquadFilterInit(0, 2, 1000, 1, 0, 6000); // band-pass
  EXPECT_NEAR(d.b0[0], alpha / (1 + alpha), 1e-14);
  EXPECT_NEAR(d.b2[0], -alpha / (1 + alpha), 1e-14);
  d.biquadFilterInit(0, 3, 1000, 1, 0, 6000); // notch
  EXPECT_NEAR(d.b0[0], 1 / (1 + alpha), 1e-14);
  EXPECT_NEAR(d.b1[0], -1 / (1 + alpha), 1e-14);
  const double A = std::pow(10.0, 0.15);
  d.biquadFilterInit(0, 4, 1000, 1, 6, 6000); // peaking
  EXPECT_NEAR(d.b0[0], (1 + alpha * A) / (1 + alpha / A), 1e-14);
  EXPECT_NEAR(d.a2[0], (1 - alpha / A) / (1 + alpha / A), 1e-14);
  // High shelf at w = pi / 3, +6 dB: a0 = (A + 1) - (A - 1) / 2 + sqrt(2A) s.
  d.biquadFilterInit(0, 6, 1000, 3, 6, 6000);
  const double a0 = (A + 1) - (A - 1) * c + std::sqrt(2 * A) * s;
  EXPECT_NEAR(d.b1[0], -2 * A * ((A - 1) + (A + 1) * c) / a0, 1e-14);
  EXPECT_NEAR(d.a1[0], 2 * ((A - 1) - (A + 1) * c) / a0, 1e-14);
  // Low shelf: the warped cosine cos(0.41 w) and beta = sqrt(A) / 1.41 s.
  d.biquadFilterInit(0, 5, 1000, 3, 6, 6000);
  const double cw = std::cos(0.41 * M_PI / 3);
  const double la0 = (A + 1) + (A - 1) * cw + std::sqrt(A) / 1.41 * s;
  EXPECT_NEAR(d.b0[0], A * ((A + 1) - (A - 1) * cw + std::sqrt(A) / 1.41 * s) / la0, 1e-14);
  EXPECT_NEAR(d.b1[0], 2 * A * ((A - 1) - (A + 1) * cw) / la0, 1e-14);
  EXPECT_NEAR(d.a1[0], -2 * ((A - 1) + (A + 1) * cw) / la0, 1e-14);
}

TEST(BrindleReference, AllTwentyTwoStagesAtEachRate)
{
  for (double fs : {44100.0, 48000.0, 88200.0, 96000.0, 192000.0}) {
    AuDSP d;
    std::memset(static_cast<void*>(&d), 0x33, sizeof d);
    BrindleDesignFilters(d, fs);
    for (int slot = 0; slot < 22; ++slot)
      ExpectSlotIs(d, slot, RefDesign(kRows[slot].type, kRows[slot].f, kRows[slot].bw, kRows[slot].g, fs), "table");
    for (int slot = 22; slot < 32; ++slot)
      EXPECT_EQ(d.b0[slot] + d.b1[slot] + d.b2[slot] + d.a1[slot] + d.a2[slot], 0.0) << slot;
  }
}

TEST(BrindleReference, ImpulseThroughOneStageFollowsItsDifferenceEquation)
{
  // Slot 3 (200 Hz peaking, 2.3 octaves, -7.5 dB) at 44100: the impulse response by the
  // recursion h[n] = b0 d[n] + b1 d[n-1] + b2 d[n-2] - a1 h[n-1] - a2 h[n-2].
  AuDSP d;
  BrindleDesignFilters(d, 44100.0);
  const Coeffs k = RefDesign(4, 200, 2.3, -7.5, 44100);
  double h1 = 0, h2 = 0;
  for (int n = 0; n < 64; ++n) {
    const double x = n == 0 ? 1.0 : 0.0, xm1 = n == 1 ? 1.0 : 0.0, xm2 = n == 2 ? 1.0 : 0.0;
    const double h = k.b1 * xm1 + k.b0 * x + k.b2 * xm2 - k.a1 * h1 - k.a2 * h2;
    double out;
    d.biquadFilterProcess(3, x, out);
    ASSERT_TRUE(SameBits(out, h + 1e-20)) << n;
    ASSERT_TRUE(SameBits(d.y1[3], h)) << n;
    h2 = h1;
    h1 = h;
  }
}

TEST(BrindleReference, OnePoleFiltersStepByStep)
{
  // k = exp(-2 pi f / fs); low-pass y = (1 - k) x + k y'; high-pass x - l + 1e-20 with l the
  // inner low-pass. Neither state holds the offset.
  const double k = std::exp(-6.283185307179586 * 1234.5 / 48000);
  AuDSP d;
  d.dspFullReset();
  d.OnePoleLPFilterInit(2, 1234.5, 48000);
  d.OnePoleHPFilterInit(5, 1234.5, 48000);
  EXPECT_TRUE(SameBits(d.lpGain[2], 1 - k));
  EXPECT_TRUE(SameBits(d.lpPole[2], -k));
  EXPECT_TRUE(SameBits(d.hpGain[5], 1 - k));
  EXPECT_TRUE(SameBits(d.hpPole[5], -k));
  double lpState = 0, hpState = 0;
  for (int n = 0; n < 40; ++n) {
    const double x = std::cos(n * 0.7) * 0.3;
    const double y = (1 - k) * x - (-k) * lpState;
    const double l = (1 - k) * x - (-k) * hpState;
    double lp, hp;
    d.OnePoleLPFilterProcess(2, x, lp);
    d.OnePoleHPFilterProcess(5, x, hp);
    ASSERT_TRUE(SameBits(lp, y + 1e-20)) << n;
    ASSERT_TRUE(SameBits(hp, x - l + 1e-20)) << n;
    ASSERT_TRUE(SameBits(d.lpState[2], y)) << n;
    ASSERT_TRUE(SameBits(d.hpState[5], l)) << n;
    lpState = y;
    hpState = l;
  }
}

TEST(BrindleReference, NoiseGeneratorBuiltFromItsParts)
{
  // By hand from state 1: 1 x 1234567 + 890123 = 2124690 = 0x00206B92 (bits 22-16 = 0x20, sign 0)
  // gives +1.25 x 2^-67. The next state 2124690 x 1234567 + 890123 mod 2^32 is worked in 64 bits.
  const std::uint32_t saved = rand_state;
  rand_state = 1;
  float x = 0.0f;
  Brindle::add_white_noise(x);
  EXPECT_EQ(rand_state, 0x00206B92u);
  EXPECT_EQ(x, std::ldexp(1.25f, -67));
  const std::uint32_t s2 = static_cast<std::uint32_t>((2124690ull * 1234567ull + 890123ull) & 0xffffffffull);
  Brindle::add_white_noise(x);
  EXPECT_EQ(rand_state, s2);
  EXPECT_EQ(x, std::ldexp(1.25f, -67) + RefNoiseValue(s2));

  // Arbitrary states: the value is the assembled one; bits 15-0 and 30-23 play no part, and a
  // state with bit 31 set gives a negative value.
  int negatives = 0;
  for (std::uint32_t start : {0u, 0x7fffffffu, 0xdeadbeefu, 0x12345678u, 0xffffffffu}) {
    rand_state = start;
    float v = 0.0f;
    Brindle::add_white_noise(v);
    const std::uint32_t next = static_cast<std::uint32_t>((std::uint64_t{start} * 1234567u + 890123u) % 4294967296u);
    EXPECT_EQ(rand_state, next);
    EXPECT_EQ(v, RefNoiseValue(next)) << std::hex << start;
    EXPECT_GE(std::fabs(v), 6.77e-21f);
    EXPECT_LE(std::fabs(v), 1.36e-20f);
    negatives += v < 0.0f;
  }
  EXPECT_GT(negatives, 0);

  // The instance's table is the running sum from the state it found, and the state moves on.
  rand_state = 0xdeadbeefu;
  std::uint32_t refState = 0xdeadbeefu;
  const std::vector<double> table = RefNoiseTable(refState);
  Brindle plug(Info());
  EXPECT_EQ(rand_state, refState);
  for (int i = 0; i < 44100; ++i) ASSERT_TRUE(SameBits(plug.GetNoiseTable()[i], table[i])) << i;
  rand_state = saved;
}

TEST(BrindleReference, FirstSampleOfTheWholeChainInClosedForm)
{
  // With zero history each stage's first output is b0 x + 1e-20, so one sample through the
  // chain (input 0.1 on the left, "Level" 0.5, "Attack" 0.5, cabinet on) is:
  //   a = b0[0] (0.1 + n0) + 1e-20, b = b0[1] a + 1e-20, m = 0.75 fuzz(b) + 0.25 (2b),
  //   then y = b0[k] y + 1e-20 for k = 2..11, times 2, then the same for k = 12..21.
  const std::uint32_t saved = rand_state;
  rand_state = 1;
  Brindle plug(Info());
  const double n0 = std::ldexp(1.25, -67);
  ASSERT_EQ(plug.GetNoiseTable()[0], n0);
  double y = RefDesign(1, 95, 1.46, 0, 44100).b0 * (0.1 + n0) + 1e-20;
  const double b = RefDesign(0, 320, 1.46, 0, 44100).b0 * y + 1e-20;
  // b is about 5.2e-5, so x' = 2.5 b sits on the parabola: fuzz = 8 x' (1 - |x'| / 0.4) - 0.2.
  const double xp = b * 2.5;
  ASSERT_LT(xp, 0.2);
  y = 0.75 * ((1 - xp / 0.4) * xp * 0.8 * 10 - 0.2) + 0.25 * (2 * b);
  for (int k = 2; k < 22; ++k) {
    y = RefDesign(kRows[k].type, kRows[k].f, kRows[k].bw, kRows[k].g, 44100).b0 * y + 1e-20;
    if (k == 11) y *= 2.0;
  }
  double left[1] = {0.1}, right[1] = {0.0}, o0[1], o1[1];
  double* ins[2] = {left, right};
  double* outs[2] = {o0, o1};
  plug.ProcessDoubleReplacing(ins, outs, 1);
  EXPECT_TRUE(SameBits(o0[0], y)) << o0[0] << " vs " << y;
  EXPECT_TRUE(SameBits(o1[0], y));
  EXPECT_LT(y, 0.0); // the fuzz's -0.2 offset dominates the first sample
  rand_state = saved;
}

TEST(BrindleReference, WholeChainBitForBitThroughThePlugIn)
{
  const std::uint32_t saved = rand_state;
  rand_state = 0x2468ace1u;
  RefChain ref;
  std::uint32_t refState = rand_state;
  ref.noise = RefNoiseTable(refState);
  ref.Design(44100.0);
  Brindle plug(Info()); // defaults: "Level" 0.5, "Attack" 0.5, both switches on

  auto signal = [](int n, double amp, double freq, double phase) {
    std::vector<double> v(n);
    for (int i = 0; i < n; ++i) v[i] = amp * std::sin(freq * i + phase) * std::exp(-i / 2000.0);
    return v;
  };
  // Short blocks (per-sample path), long blocks (vector path), mono and stereo.
  const int sizes[] = {1, 5, 11, 12, 31, 32, 200, 1031, 3000};
  int round = 0;
  for (int n : sizes) {
    const std::vector<double> l = signal(n, 0.3, 0.05 + 0.01 * round, round);
    const std::vector<double> r = round % 2 ? signal(n, 0.2, 0.031, 1.0) : std::vector<double>(n, 0.0);
    ExpectBlockMatches(plug, ref, l, r, "defaults");
    ++round;
  }
  // Parameter changes: gain 4 x 0.73, drive 5 x 0.21, mix weight from 0.5 x 0.21.
  SetParam(plug, Brindle::kLevel, 0.73);
  SetParam(plug, Brindle::kAttack, 0.21);
  ref.gain = 0.73 * 4.0;
  ref.drive = 0.21 * 5.0;
  ref.attack = 0.21;
  ExpectBlockMatches(plug, ref, signal(700, 0.8, 0.02, 0.3), signal(700, 0.1, 0.3, 0.0), "level/attack");
  // Cabinet off, then "Attack" at both ends, then loud input well into the flat fuzz.
  SetParam(plug, Brindle::kCabinet, 0.0);
  ref.cabinetOn = false;
  ExpectBlockMatches(plug, ref, signal(600, 0.5, 0.04, 0.0), signal(600, 0.5, 0.04, 0.0), "no cabinet");
  for (double attack : {0.0, 1.0, 0.037}) {
    SetParam(plug, Brindle::kAttack, attack);
    ref.drive = attack * 5.0;
    ref.attack = attack;
    ExpectBlockMatches(plug, ref, signal(257, 4.0, 0.07, 0.0), signal(257, 0.0, 0.0, 0.0), "attack ends");
  }
  SetParam(plug, Brindle::kCabinet, 1.0);
  ref.cabinetOn = true;
  // Effect off: plain sum, no filter runs; back on, every filter resumes its old history.
  SetParam(plug, Brindle::kEffect, 0.0);
  ref.effectOn = false;
  ExpectBlockMatches(plug, ref, signal(90, 0.5, 0.1, 0.0), signal(90, 0.25, 0.2, 0.0), "effect off");
  SetParam(plug, Brindle::kEffect, 1.0);
  ref.effectOn = true;
  ExpectBlockMatches(plug, ref, signal(90, 0.5, 0.1, 0.0), signal(90, 0.25, 0.2, 0.0), "effect on again");

  // A new rate: filters redesigned with clear histories, the table rebuilt from the shared
  // state where this instance's first table left it.
  ASSERT_EQ(rand_state, refState);
  plug.SetSampleRate(48000.0);
  plug.Reset();
  ref.Design(48000.0);
  ref.noise = RefNoiseTable(refState);
  EXPECT_EQ(rand_state, refState);
  // Init re-applies the parameters as they stand.
  ExpectBlockMatches(plug, ref, signal(1500, 0.3, 0.015, 0.0), std::vector<double>(1500, 0.0), "48 kHz");
  // Same rate again: nothing is rebuilt, but the histories start from zero.
  plug.Reset();
  for (int i = 0; i < 22; ++i) ref.x1[i] = ref.x2[i] = ref.y1[i] = ref.y2[i] = 0.0;
  ExpectBlockMatches(plug, ref, signal(64, 0.3, 0.015, 0.5), std::vector<double>(64, 0.01), "48 kHz again");
  rand_state = saved;
}

TEST(BrindleReference, ConstantQuietAndSilentInputKeepEveryBitOverLongSessions)
{
  // Each row feeds its input for a long stretch, then a short phrase of music. The model never
  // touches its histories between blocks, the plug-in settles them after every block: the
  // outputs must still agree bit for bit, before and after the phrase starts. 110000 frames of a
  // constant are enough for the 95 Hz high-pass to ring down into denormal numbers.
  enum Kind { kConstant, kAlternating };
  struct Row
  {
    const char* what;
    Kind kind;
    double amplitude;
    int frames;
    double level;          // "Level" while the row's input plays
    bool reachesDenormals; // the model's first stage ends the stretch in denormal numbers
  };
  const Row rows[] = {
      {"DC", kConstant, 0.5, 110000, 0.5, true},
      {"negative DC", kConstant, -0.25, 110000, 0.5, true},
      {"silence", kConstant, 0.0, 30000, 0.5, false},
      {"very quiet", kConstant, 1e-30, 30000, 0.5, false},
      {"denormal input", kAlternating, 4e-320, 30000, 0.5, false},
      {"smallest normal input", kAlternating, 2.2250738585072014e-308, 30000, 0.5, false},
      {"DC at level 0", kConstant, 0.5, 110000, 0.0, true},
  };
  const std::uint32_t saved = rand_state;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    rand_state = 0x13579bdfu;
    RefChain ref;
    std::uint32_t refState = rand_state;
    ref.noise = RefNoiseTable(refState);
    ref.Design(44100.0);
    Brindle plug(Info());
    SetParam(plug, Brindle::kLevel, row.level);
    ref.gain = 4.0 * row.level;

    std::vector<double> l(512), r(512, 0.0);
    for (int done = 0, b = 0; done < row.frames; ++b) {
      // Mostly host-sized blocks, now and then a short one that takes the per-sample path.
      const int n = std::min(b % 7 == 3 ? 7 : 512, row.frames - done);
      l.resize(n);
      r.assign(n, 0.0);
      for (int i = 0; i < n; ++i) l[i] = row.kind == kConstant || (done + i) % 2 ? row.amplitude : -row.amplitude;
      ExpectBlockMatches(plug, ref, l, r, row.what);
      done += n;
    }
    const bool denormal = ref.y1[0] != 0.0 && std::fabs(ref.y1[0]) < 2.2250738585072014e-308;
    EXPECT_EQ(denormal, row.reachesDenormals) << ref.y1[0];
    if (row.reachesDenormals) {
      EXPECT_EQ(plug.GetDSP().y1[0], 0.0);
    }

    SetParam(plug, Brindle::kLevel, 0.5);
    ref.gain = 2.0;
    for (int b = 0; b < 4; ++b) {
      std::vector<double> m(b == 1 ? 7 : 300);
      for (size_t i = 0; i < m.size(); ++i) m[i] = 0.4 * std::sin(0.03 * (i + 300 * b)) * (b == 0 ? i / 300.0 : 1.0);
      ExpectBlockMatches(plug, ref, m, std::vector<double>(m.size(), 0.0), "music after");
    }
  }
  rand_state = saved;
}
