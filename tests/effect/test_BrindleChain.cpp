// The Brindle chain: the wavefront renderer against the plain per-sample loop (bit for bit, over
// many block sizes, settings and block sequences), filter set-up, noise table and block rules.
#include "WideWavefront.h"
#include "effect/BrindleChain.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

bool SameBits(double a, double b)
{
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectSameState(const AuDSP& a, const AuDSP& b)
{
  for (int s = 0; s < AuDSP::kNumBiquads; ++s) {
    ASSERT_TRUE(SameBits(a.x1[s], b.x1[s])) << "slot " << s;
    ASSERT_TRUE(SameBits(a.x2[s], b.x2[s])) << "slot " << s;
    ASSERT_TRUE(SameBits(a.y1[s], b.y1[s])) << "slot " << s;
    ASSERT_TRUE(SameBits(a.y2[s], b.y2[s])) << "slot " << s;
  }
}

struct Signal
{
  std::vector<double> left, right;
};

// Guitar-like test material: decaying partials, a few loud transients, some silence.
Signal MakeSignal(int frames, unsigned seed, double scale)
{
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  Signal s{std::vector<double>(frames), std::vector<double>(frames)};
  for (int i = 0; i < frames; ++i) {
    const double env = std::exp(-(i % 3000) / 900.0);
    s.left[i] = scale * env * (0.6 * std::sin(i * 0.0412) + 0.3 * std::sin(i * 0.1237)) + 0.01 * u(rng);
    s.right[i] = (i / 700) % 3 == 2 ? 0.0 : scale * 0.5 * u(rng) * env;
  }
  return s;
}

} // namespace

TEST(BrindleChainSetup, SlotsMatchTheTable)
{
  AuDSP d;
  std::memset(static_cast<void*>(&d), 0x7f, sizeof d);
  BrindleDesignFilters(d, 44100.0);
  // Slot 2 is the 140 Hz low shelf and slot 10 the 14.1 kHz high shelf with known coefficients.
  EXPECT_NEAR(d.b0[2], 0.986349, 5e-7);
  EXPECT_NEAR(d.a2[2], 0.967011, 5e-7);
  EXPECT_NEAR(d.b0[0], 0.992860, 5e-7);
  EXPECT_NEAR(d.a1[10], -0.471119, 5e-7);
  // Slot 13 is the 0 dB peak; slots 22..31 and the one-pole bank are cleared, states zeroed.
  EXPECT_EQ(d.b0[13], 1.0);
  EXPECT_EQ(d.b1[13], d.a1[13]);
  for (int s = 22; s < 32; ++s) EXPECT_EQ(d.b0[s], 0.0);
  for (int s = 0; s < 32; ++s) EXPECT_EQ(d.y1[s], 0.0);
  EXPECT_EQ(d.lpGain[0], 0.0);
  // The design follows the sample rate: a 95 Hz high-pass is steeper-coefficiented at 96 kHz.
  AuDSP e;
  BrindleDesignFilters(e, 96000.0);
  EXPECT_GT(e.b0[0], d.b0[0]);
}

TEST(BrindleChainSetup, StagesAtOrAboveHalfTheRatePassThroughAndStayFinite)
{
  // At 22050 Hz the 14.1 and 11.2 kHz shelves lie above half the rate; at 14000 Hz the 7 kHz peak
  // sits exactly on it, where its design divides by sin(pi) and turns NaN.
  for (const double rate : {11025.0, 14000.0, 22050.0}) {
    AuDSP d;
    BrindleDesignFilters(d, rate);
    for (int s = 0; s < kBrindleNumStages; ++s) {
      ASSERT_TRUE(std::isfinite(d.b0[s]) && std::isfinite(d.a1[s]) && std::isfinite(d.a2[s]))
          << "slot " << s << " at " << rate;
    }
    EXPECT_EQ(d.b0[10], 1.0);
    EXPECT_EQ(d.b1[10], 0.0);
    EXPECT_EQ(d.a1[10], 0.0);
    EXPECT_EQ(d.a2[11], 0.0);

    std::vector<double> noise(kBrindleNoiseTableSize, 0.0);
    const Signal in = MakeSignal(8192, 7, 1.0);
    std::vector<double> o0(in.left.size()), o1(in.left.size());
    BrindleSettings st;
    const BrindleBlock b{in.left.data(), in.right.data(), o0.data(), o1.data(), int(o0.size())};
    BrindleProcessPlain(d, st, noise.data(), b);
    for (size_t i = 0; i < o0.size(); ++i)
      ASSERT_TRUE(std::isfinite(o0[i]) && std::fabs(o0[i]) < 100.0) << "frame " << i << " at " << rate;
  }
  // At 44100 Hz every stage keeps its own design.
  AuDSP d;
  BrindleDesignFilters(d, 44100.0);
  EXPECT_NE(d.a1[10], 0.0);
}

TEST(BrindleChainNoise, TableIsARunningSumOfTheGenerator)
{
  const std::uint32_t saved = rand_state;
  rand_state = 1;
  std::vector<double> table(kBrindleNoiseTableSize);
  BrindleFillNoiseTable(table.data());
  // First step by hand: 1 * 1234567 + 890123 = 2124690 = 0x206b92; bits 22-16 = 0x20,
  // sign 0, so the value is 2^-67 * (1 + 0x20 / 128) = 2^-67 * 1.25.
  EXPECT_EQ(table[0], std::ldexp(1.25, -67));
  std::uint32_t state = 2124690u;
  state = state * 1234567u + 890123u;
  const std::uint32_t bits = (state & 0x807f0000u) | 0x1e000000u;
  float second;
  std::memcpy(&second, &bits, 4);
  EXPECT_EQ(table[1], static_cast<double>(static_cast<float>(std::ldexp(1.25f, -67)) + second));
  for (int i = 1; i < kBrindleNoiseTableSize; ++i) {
    const double step = std::fabs(table[i] - table[i - 1]);
    ASSERT_LT(step, 1.36e-20 + std::fabs(table[i]) * 1e-7) << i;
  }
  // The generator state moved on: a second table differs, and the same start repeats it.
  const std::uint32_t after = rand_state;
  EXPECT_NE(after, 1u);
  std::vector<double> again(kBrindleNoiseTableSize);
  BrindleFillNoiseTable(again.data());
  EXPECT_NE(again[0], table[0]);
  rand_state = 1;
  BrindleFillNoiseTable(again.data());
  EXPECT_EQ(again, table);
  EXPECT_EQ(rand_state, after);
  rand_state = saved;
}

// A build of the wavefront: one of the product's kernels, or the eight-lane source built for the
// baseline instruction set here (see WideWavefront.h).
struct WavefrontBuild
{
  const char* name;
  BrindleKernel kernel;
  bool wide;

  bool Available() const { return wide || BrindleKernelAvailable(kernel); }
  void Run(AuDSP& dsp, const BrindleSettings& settings, const double* noise, const BrindleBlock& block) const
  {
    RunAny(dsp, settings, noise, block);
  }
  void Run(AuDSP& dsp, const BrindleSettings& settings, const double* noise, const BrindleFloatOutBlock& block) const
  {
    RunAny(dsp, settings, noise, block);
  }

private:
  template <typename Block>
  void RunAny(AuDSP& dsp, const BrindleSettings& settings, const double* noise, const Block& block) const
  {
    if (wide)
      RunWideWavefront(dsp, settings, noise, block);
    else
      BrindleProcessWithKernel(kernel, dsp, settings, noise, block);
  }
};

class BrindleChainKernel : public ::testing::TestWithParam<WavefrontBuild>
{};

INSTANTIATE_TEST_SUITE_P(Builds, BrindleChainKernel,
                         ::testing::Values(WavefrontBuild{"Portable", BrindleKernel::kPortable, false},
                                           WavefrontBuild{"Avx2", BrindleKernel::kAvx2, false},
                                           WavefrontBuild{"Avx512", BrindleKernel::kAvx512, false},
                                           WavefrontBuild{"PortableWide", BrindleKernel::kPortable, true}),
                         [](const ::testing::TestParamInfo<WavefrontBuild>& p) { return p.param.name; });

TEST_P(BrindleChainKernel, BitIdenticalToPlainAcrossSizesAndSettings)
{
  const WavefrontBuild& build = GetParam();
  if (!build.Available()) GTEST_SKIP() << "this CPU cannot run the kernel";
  std::vector<double> noise(kBrindleNoiseTableSize);
  BrindleFillNoiseTable(noise.data());
  // Around the pipeline's depth (48 steps without the cabinet, 88 with it) and around multiples of
  // the four-step batch, lanes start and end in every position relative to a batch.
  const int sizes[] = {1,  2,  3,  7,  12, 13, 31, 32, 33, 40, 43, 44,  45,  46,  47,   48,  49,
                       50, 51, 64, 81, 87, 88, 89, 90, 91, 92, 93, 128, 511, 512, 1024, 3001};
  const double attacks[] = {0.0, 0.5, 1.0, 0.137};
  const double levels[] = {0.0, 0.5, 1.0};
  const double scales[] = {0.0, 0.05, 1.0, 30.0};
  unsigned seed = 1;
  for (bool cabinet : {true, false}) {
    for (double attack : attacks) {
      for (double scale : scales) {
        BrindleSettings st;
        st.cabinetOn = cabinet;
        st.attack = attack;
        st.drive = 5.0 * attack;
        st.outputGain = 4.0 * levels[seed % 3];
        // single and plainSingle render straight to float: each sample must be the double
        // result rounded as a cast rounds it.
        AuDSP plain, fast, single, plainSingle;
        for (AuDSP* d : {&plain, &fast, &single, &plainSingle}) BrindleDesignFilters(*d, 44100.0);
        // A run of blocks of varying size; state must carry across blocks identically.
        for (int size : sizes) {
          Signal sig = MakeSignal(size, seed++, scale);
          std::vector<double> p0(size), p1(size), f0(size), f1(size, 99.0);
          BrindleProcessPlain(plain, st, noise.data(), {sig.left.data(), sig.right.data(), p0.data(), p1.data(), size});
          build.Run(fast, st, noise.data(), {sig.left.data(), sig.right.data(), f0.data(), f1.data(), size});
          std::vector<float> s0(size), s1(size, 99.f), ps0(size), ps1(size, 99.f);
          build.Run(single, st, noise.data(),
                    BrindleFloatOutBlock{sig.left.data(), sig.right.data(), s0.data(), s1.data(), size});
          BrindleProcessPlain(plainSingle, st, noise.data(),
                              BrindleFloatOutBlock{sig.left.data(), sig.right.data(), ps0.data(), ps1.data(), size});
          for (int i = 0; i < size; ++i) {
            ASSERT_TRUE(SameBits(p0[i], f0[i]))
                << "cab " << cabinet << " attack " << attack << " scale " << scale << " size " << size << " frame " << i
                << ": " << p0[i] << " vs " << f0[i];
            ASSERT_TRUE(SameBits(f0[i], f1[i]));
            const float rounded = static_cast<float>(p0[i]);
            for (float got : {s0[i], s1[i], ps0[i], ps1[i]})
              ASSERT_EQ(std::memcmp(&got, &rounded, sizeof got), 0) << "float output, size " << size << " frame " << i;
          }
          ExpectSameState(plain, fast);
          ExpectSameState(plain, single);
        }
      }
    }
  }
}

TEST_P(BrindleChainKernel, OverflowingBurstsHealWithinOneBlock)
{
  // A burst of finite input so large that the arithmetic overflows in one block, then music (NaN
  // and infinite input never get that far: see the test below). The kernel must agree with the
  // plain loop on every frame (any NaN counts as equal to any NaN), the block after the burst
  // must be finite, and from there on the chain must sound exactly like a chain whose histories
  // start from zero.
  const WavefrontBuild& build = GetParam();
  if (!build.Available()) GTEST_SKIP() << "this CPU cannot run the kernel";
  const double big = std::numeric_limits<double>::max();
  struct Row
  {
    const char* what;
    double left, right; // the burst's values on each channel
    int first, count;   // where the burst sits in its 256-frame block
    bool cabinet;
    double attack;
  };
  const Row rows[] = {
      {"largest finite, overflowing", big, big, 30, 50, true, 0.5},
      {"largest finite, negative, on the last frame", -big, -big, 255, 1, true, 0.5},
      {"largest finite on one channel, no cabinet", big, 0.0, 17, 3, false, 0.5},
      {"largest finite, attack 1 (no dry path)", big, big, 9, 5, true, 1.0},
      {"largest finite, attack 0", -big, 0.0, 9, 5, true, 0.0},
  };
  std::vector<double> noise(kBrindleNoiseTableSize);
  BrindleFillNoiseTable(noise.data());
  auto same = [](double a, double b) { return (std::isnan(a) && std::isnan(b)) || SameBits(a, b); };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    BrindleSettings st;
    st.cabinetOn = row.cabinet;
    st.attack = row.attack;
    st.drive = 5.0 * row.attack;
    AuDSP plain, fast, fresh;
    BrindleDesignFilters(plain, 44100.0);
    BrindleDesignFilters(fast, 44100.0);
    BrindleDesignFilters(fresh, 44100.0);
    for (int b = 0; b < 5; ++b) {
      Signal sig = MakeSignal(256, 40 + b, 0.7);
      if (b == 1) {
        for (int i = row.first; i < row.first + row.count; ++i) {
          sig.left[i] = row.left;
          sig.right[i] = row.right;
        }
      }
      std::vector<double> p0(256), p1(256), f0(256), f1(256), r0(256), r1(256);
      BrindleProcessPlain(plain, st, noise.data(), {sig.left.data(), sig.right.data(), p0.data(), p1.data(), 256});
      build.Run(fast, st, noise.data(), {sig.left.data(), sig.right.data(), f0.data(), f1.data(), 256});
      if (b >= 2)
        BrindleProcessPlain(fresh, st, noise.data(), {sig.left.data(), sig.right.data(), r0.data(), r1.data(), 256});
      for (int i = 0; i < 256; ++i) {
        ASSERT_TRUE(same(p0[i], f0[i])) << "block " << b << " frame " << i << ": " << p0[i] << " vs " << f0[i];
        if (b >= 2) {
          ASSERT_TRUE(std::isfinite(f0[i])) << "block " << b << " frame " << i;
          ASSERT_TRUE(SameBits(f0[i], r0[i])) << "block " << b << " frame " << i;
        }
      }
      if (b == 1) { // the burst reached the output: the row tests what it says
        EXPECT_FALSE(std::isfinite(f0[255]));
      }
      ExpectSameState(plain, fast);
    }
  }
}

TEST_P(BrindleChainKernel, NonFiniteInputEntersAsSilenceAndFiniteInputKeepsItsBits)
{
  // Each row writes its values into a block of music (kKeep leaves a channel's music there). The
  // block runs through the plain loop and the build, effect on and off, cabinet on and off, to
  // double and to float outputs. All must equal, bit for bit, the per-sample stages fed the input
  // with every NaN and infinity replaced by 0.0, and be finite; a block of music after it must
  // show histories no different from a chain that was fed that silence. Finite rows replace
  // nothing, so there the comparison is with the chain as it always was.
  const WavefrontBuild& build = GetParam();
  if (!build.Available()) GTEST_SKIP() << "this CPU cannot run the kernel";
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double kKeep = 12345.0;
  const int kAll = 1 << 20;
  struct Row
  {
    const char* what;
    double left, right;
    int first, count; // a negative first counts from the block's end
  };
  const Row rows[] = {
      {"one NaN on the left", nan, kKeep, 100, 1},
      {"NaN on both channels", nan, nan, 101, 1},
      {"+inf", inf, kKeep, 37, 1},
      {"-inf on the right", kKeep, -inf, 38, 1},
      {"+inf on one channel, -inf on the other", inf, -inf, 50, 2},
      {"negative NaN with a payload", -std::nan("7"), kKeep, 64, 3},
      {"burst of 120", nan, inf, 60, 120},
      {"NaN on the first frame", nan, nan, 0, 1},
      {"NaN on the last frame", nan, kKeep, -1, 1},
      {"infinity on the last three frames", -inf, inf, -3, 3},
      {"a whole block", nan, -inf, 0, kAll},
      {"smallest denormals", std::numeric_limits<double>::denorm_min(), -std::numeric_limits<double>::denorm_min(), 10,
       40},
      {"denormals for a whole block", DBL_MIN / 3.0, kKeep, 0, kAll},
      {"largest float", FLT_MAX, FLT_MAX, 20, 5},
      {"1e300", 1e300, kKeep, 20, 4},
      {"-1e300 on the last frame", kKeep, -1e300, -1, 1},
  };
  std::vector<double> noise(kBrindleNoiseTableSize);
  BrindleFillNoiseTable(noise.data());
  auto clean = [](double v) { return std::isfinite(v) ? v : 0.0; };
  unsigned seed = 300;
  for (const Row& row : rows) {
    for (const int size : {203, 256, 7}) {
      const int first = row.first < 0 ? size + row.first : row.first;
      if (first >= size) continue;
      const int end = row.count > size - first ? size : first + row.count;
      for (const bool cabinet : {true, false}) {
        for (const bool effect : {true, false}) {
          if (!effect && build.wide) continue; // the eight-lane proof build has no effect-off path
          SCOPED_TRACE(::testing::Message()
                       << row.what << ", " << size << " frames, cabinet " << cabinet << ", effect " << effect);
          BrindleSettings st;
          st.cabinetOn = cabinet;
          st.effectOn = effect;
          AuDSP ref, plain, fast, single;
          for (AuDSP* d : {&ref, &plain, &fast, &single}) BrindleDesignFilters(*d, 44100.0);
          for (int b = 0; b < 2; ++b) {
            Signal sig = MakeSignal(size, seed++, 0.5);
            for (int i = first; b == 0 && i < end; ++i) {
              if (row.left != kKeep) sig.left[i] = row.left;
              if (row.right != kKeep) sig.right[i] = row.right;
            }
            std::vector<double> expect(size);
            for (int i = 0; i < size; ++i) {
              const double x = clean(sig.left[i]) + clean(sig.right[i]);
              if (!effect) {
                expect[i] = x;
                continue;
              }
              BrindleDriveA(ref, st.drive, st.attack, st.outputGain, x + noise[i], expect[i]);
              if (cabinet) BrindleCab(ref, expect[i], expect[i]);
            }
            if (effect) BrindleSettleHistories(ref);
            std::vector<double> p0(size), p1(size), f0(size), f1(size);
            std::vector<float> s0(size), s1(size);
            BrindleProcessPlain(plain, st, noise.data(),
                                {sig.left.data(), sig.right.data(), p0.data(), p1.data(), size});
            build.Run(fast, st, noise.data(), {sig.left.data(), sig.right.data(), f0.data(), f1.data(), size});
            build.Run(single, st, noise.data(),
                      BrindleFloatOutBlock{sig.left.data(), sig.right.data(), s0.data(), s1.data(), size});
            for (int i = 0; i < size; ++i) {
              ASSERT_TRUE(std::isfinite(expect[i])) << "block " << b << " frame " << i;
              for (double got : {p0[i], p1[i], f0[i], f1[i]})
                ASSERT_TRUE(SameBits(got, expect[i]))
                    << "block " << b << " frame " << i << ": " << got << " vs " << expect[i];
              const float rounded = static_cast<float>(expect[i]);
              for (float got : {s0[i], s1[i]})
                ASSERT_EQ(std::memcmp(&got, &rounded, sizeof got), 0) << "float output, block " << b << " frame " << i;
            }
            ExpectSameState(ref, plain);
            ExpectSameState(ref, fast);
            ExpectSameState(ref, single);
          }
        }
      }
    }
  }
}

TEST_P(BrindleChainKernel, BlocksLongerThanTheNoiseTableWrapLikeThePlainLoop)
{
  // The inner batches step through the noise table four entries at a time; the wrap at its end
  // must land where the plain loop's does, with and without the cabinet and at any block end.
  const WavefrontBuild& build = GetParam();
  if (!build.Available()) GTEST_SKIP() << "this CPU cannot run the kernel";
  // Audible table entries, so that an entry read at the wrong index changes the output.
  std::vector<double> noise(kBrindleNoiseTableSize);
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(-1e-3, 1e-3);
  for (double& n : noise) n = u(rng);
  for (const int size : {kBrindleNoiseTableSize + 1, kBrindleNoiseTableSize + 95}) {
    for (const bool cabinet : {true, false}) {
      BrindleSettings st;
      st.cabinetOn = cabinet;
      AuDSP plain, fast;
      BrindleDesignFilters(plain, 44100.0);
      BrindleDesignFilters(fast, 44100.0);
      const Signal sig = MakeSignal(size, 77, 0.3);
      std::vector<double> p0(size), p1(size), f0(size), f1(size);
      BrindleProcessPlain(plain, st, noise.data(), {sig.left.data(), sig.right.data(), p0.data(), p1.data(), size});
      build.Run(fast, st, noise.data(), {sig.left.data(), sig.right.data(), f0.data(), f1.data(), size});
      for (int i = 0; i < size; ++i)
        ASSERT_TRUE(SameBits(p0[i], f0[i]) && SameBits(p0[i], f1[i]))
            << "cab " << cabinet << " size " << size << " frame " << i;
      ExpectSameState(plain, fast);
    }
  }
}

TEST(BrindleChainFast, InPlaceAndMixedWithPlainCalls)
{
  std::vector<double> noise(kBrindleNoiseTableSize);
  BrindleFillNoiseTable(noise.data());
  BrindleSettings st;
  AuDSP plain, fast;
  BrindleDesignFilters(plain, 48000.0);
  BrindleDesignFilters(fast, 48000.0);
  for (int round = 0; round < 12; ++round) {
    const int size = 97 + 131 * round;
    st.cabinetOn = round % 3 != 1;
    Signal sig = MakeSignal(size, 100 + round, 0.4);
    std::vector<double> p0(size), p1(size);
    BrindleProcessPlain(plain, st, noise.data(), {sig.left.data(), sig.right.data(), p0.data(), p1.data(), size});
    // Process in place: outputs overwrite the inputs they are computed from.
    std::vector<double> l = sig.left, r = sig.right;
    if (round % 4 == 3)
      BrindleProcessPlain(fast, st, noise.data(), {l.data(), r.data(), l.data(), r.data(), size});
    else
      BrindleProcessFast(fast, st, noise.data(), {l.data(), r.data(), l.data(), r.data(), size});
    for (int i = 0; i < size; ++i) {
      ASSERT_TRUE(SameBits(p0[i], l[i])) << round << " " << i;
      ASSERT_TRUE(SameBits(p0[i], r[i])) << round << " " << i;
    }
  }
  ExpectSameState(plain, fast);
}

// The fast path's kernel by block length and chain: only kernels this CPU runs, the plain loop for
// blocks too short to fill the wavefront, never a narrower build for a longer block, and with both
// AVX builds the four-lane one for short blocks and for the chain without the cabinet (faster
// there) and the eight-lane one for long blocks through the full chain.
TEST(BrindleChainFast, KernelChoiceByBlockLength)
{
  const auto width = [](BrindleKernel k) {
    return k == BrindleKernel::kAvx512 ? 2 : k == BrindleKernel::kAvx2 ? 1 : 0;
  };
  const int sizes[] = {0, 1, 11, 12, 32, 64, 128, 255, 256, 512, 4096, 1 << 20};
  for (bool cabinet : {false, true}) {
    BrindleKernel previous = BrindleKernel::kPlain;
    for (int frames : sizes) {
      const BrindleKernel k = BrindleFastKernelFor(frames, cabinet);
      EXPECT_TRUE(BrindleKernelAvailable(k)) << frames;
      EXPECT_NE(k, BrindleKernel::kPortable) << frames;
      EXPECT_GE(width(k), width(previous)) << frames;
      EXPECT_LE(width(k), width(BrindleFastKernel())) << frames;
      EXPECT_TRUE(frames >= 12 || k == BrindleKernel::kPlain) << frames;
      previous = k;
    }
  }
  EXPECT_EQ(BrindleFastKernelFor(1 << 20, true), BrindleFastKernel());
  struct Expected
  {
    int frames;
    bool cabinet;
    BrindleKernel withBoth, withAvx2;
  };
  const Expected table[] = {{64, true, BrindleKernel::kAvx2, BrindleKernel::kAvx2},
                            {512, true, BrindleKernel::kAvx512, BrindleKernel::kAvx2},
                            {64, false, BrindleKernel::kAvx2, BrindleKernel::kAvx2},
                            {4096, false, BrindleKernel::kAvx2, BrindleKernel::kAvx2}};
  const bool avx2 = BrindleKernelAvailable(BrindleKernel::kAvx2);
  const bool avx512 = BrindleKernelAvailable(BrindleKernel::kAvx512);
  if (!avx2) return; // the plain loop throughout (or AVX-512 alone), checked above
  for (const Expected& e : table) {
    const BrindleKernel want = avx512 ? e.withBoth : e.withAvx2;
    EXPECT_EQ(BrindleFastKernelFor(e.frames, e.cabinet), want) << e.frames << " " << e.cabinet;
  }
}

TEST(BrindleChainBlocks, EffectOffSumsAndLeavesFiltersAlone)
{
  std::vector<double> noise(kBrindleNoiseTableSize, 1.0); // would be obvious if it leaked in
  AuDSP d;
  BrindleDesignFilters(d, 44100.0);
  d.y1[5] = 0.125;
  const AuDSP before = d;
  BrindleSettings st;
  st.effectOn = false;
  const double left[] = {0.25, -1.5, 3.0};
  const double right[] = {0.5, 0.5, -3.0};
  for (int fast = 0; fast < 2; ++fast) {
    double o0[3], o1[3];
    float f0[3], f1[3];
    const BrindleBlock b{left, right, o0, o1, 3};
    const BrindleFloatOutBlock fb{left, right, f0, f1, 3};
    fast ? BrindleProcessFast(d, st, noise.data(), b) : BrindleProcessPlain(d, st, noise.data(), b);
    fast ? BrindleProcessFast(d, st, noise.data(), fb) : BrindleProcessPlain(d, st, noise.data(), fb);
    EXPECT_EQ(o0[0], 0.75);
    EXPECT_EQ(o1[1], -1.0);
    EXPECT_EQ(o0[2], 0.0);
    EXPECT_EQ(f1[0], 0.75f);
    EXPECT_EQ(f0[1], -1.0f);
    EXPECT_EQ(std::memcmp(&before, &d, sizeof d), 0);
  }
}

TEST(BrindleChainBlocks, NoiseRestartsEachBlockAndWrapsPastTheTable)
{
  // A table with a step at its start: each block sees entry 0 at its first frame.
  std::vector<double> noise(kBrindleNoiseTableSize, 0.0);
  noise[0] = 1e-3;
  noise[kBrindleNoiseTableSize - 1] = -1e-3;
  BrindleSettings st;
  st.cabinetOn = false;
  const int size = kBrindleNoiseTableSize + 700;
  std::vector<double> zeros(size, 0.0);
  std::vector<double> expect(size), got0(size), got1(size);
  AuDSP ref, fast;
  BrindleDesignFilters(ref, 44100.0);
  BrindleDesignFilters(fast, 44100.0);
  // Expected: one call, the table index wrapping from 44099 back to 0.
  for (int i = 0; i < size; ++i) {
    const double x = 0.0 + 0.0 + noise[i % kBrindleNoiseTableSize];
    BrindleDriveA(ref, st.drive, st.attack, st.outputGain, x, expect[i]);
  }
  BrindleProcessFast(fast, st, noise.data(), {zeros.data(), zeros.data(), got0.data(), got1.data(), size});
  for (int i = 0; i < size; ++i) ASSERT_TRUE(SameBits(expect[i], got0[i])) << i;
  // The frame right after the wrap sees the step again, so the output jumps there.
  EXPECT_NE(got0[kBrindleNoiseTableSize], got0[kBrindleNoiseTableSize - 2]);
  // A second call starts at entry 0 again.
  AuDSP a, b;
  BrindleDesignFilters(a, 44100.0);
  BrindleDesignFilters(b, 44100.0);
  std::vector<double> one(20), two(20), dummy(20);
  BrindleProcessPlain(a, st, noise.data(), {zeros.data(), zeros.data(), one.data(), dummy.data(), 10});
  BrindleProcessPlain(a, st, noise.data(), {zeros.data(), zeros.data(), one.data() + 10, dummy.data(), 10});
  for (int i = 0; i < 20; ++i) {
    double y;
    BrindleDriveA(b, st.drive, st.attack, st.outputGain, noise[i % 10], y);
    EXPECT_TRUE(SameBits(y, one[i])) << i;
  }
}

TEST(BrindleChainStages, DriveAOnAKnownBandLimitedSample)
{
  // With slots 0 and 1 turned into pass-throughs (b0 = 1) and the tone slots 2..11 too, DriveA
  // reduces to fuzz, mix and gain: b = x + 2e-20 (two offsets) at "Attack" 0.5 gives
  // 0.75 * fuzz + 0.25 * 2b, then ten more offsets, then the gain.
  AuDSP d;
  d.dspFullReset();
  for (int s = 0; s < 12; ++s) d.b0[s] = 1.0;
  double y;
  BrindleDriveA(d, 2.5, 0.5, 1.0, 0.1, y);
  EXPECT_NEAR(y, 0.125, 1e-15);
  BrindleDriveA(d, 2.5, 0.5, 2.0, -0.1, y);
  EXPECT_NEAR(y, -0.07, 1e-15);
  // "Attack" 0: drive 0, the fuzz contributes half of -0.2, the clean band-limited signal unity.
  BrindleDriveA(d, 0.0, 0.0, 1.0, 0.3, y);
  EXPECT_NEAR(y, -0.1 + 0.3, 1e-15);
  // "Attack" 1: fuzz alone.
  BrindleDriveA(d, 5.0, 1.0, 4.0, 1.0, y);
  EXPECT_NEAR(y, 0.4, 1e-15);
  // The cabinet runs slots 12..21 only.
  for (int s = 12; s < 22; ++s) d.b0[s] = 0.5;
  BrindleCab(d, 1024.0, y);
  EXPECT_NEAR(y, 1.0, 1e-12);
}
