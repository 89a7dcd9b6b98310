#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "plugcore/SampleConversion.h"
#include "tests/plugcore/FakePlug.h"

namespace {
uint32_t Bits(float f)
{
  uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  return u;
}
uint64_t Bits(double d)
{
  uint64_t u;
  std::memcpy(&u, &d, sizeof u);
  return u;
}
float FloatFromBits(uint32_t u)
{
  float f;
  std::memcpy(&f, &u, sizeof f);
  return f;
}
double DoubleFromBits(uint64_t u)
{
  double d;
  std::memcpy(&d, &u, sizeof d);
  return d;
}

std::vector<ESampleConversionLevel> AvailableLevels()
{
  std::vector<ESampleConversionLevel> levels;
  for (int l = 0; l < kNumConversionLevels; ++l)
    if (SampleConversionAvailable(static_cast<ESampleConversionLevel>(l)))
      levels.push_back(static_cast<ESampleConversionLevel>(l));
  return levels;
}

const double kTwo24 = std::ldexp(1.0, -24); // half an ulp of 1.0f
const float kFltMax = std::numeric_limits<float>::max();
const double kFltMaxTie = static_cast<double>(kFltMax) + std::ldexp(1.0, 103); // halfway to 2^128

// Doubles whose float rounding was worked out by hand (nearest-even), as bit patterns.
struct Narrowing
{
  double in;
  uint32_t out;
};
const Narrowing kNarrowings[] = {
    {1.0 + kTwo24, 0x3F800000},                                         // tie, mantissa 0 is even: down
    {1.0 + 3 * kTwo24, 0x3F800002},                                     // tie, mantissa 1 is odd: up
    {1.0 + kTwo24 + std::ldexp(1.0, -40), 0x3F800001},                  // just above the tie: up
    {-(1.0 + kTwo24), 0xBF800000},                                      // ties are symmetric
    {static_cast<double>(kFltMax), 0x7F7FFFFF},                         // largest float survives
    {kFltMaxTie, 0x7F800000},                                           // tie above it: odd mantissa, up to inf
    {kFltMaxTie - std::ldexp(1.0, 80), 0x7F7FFFFF},                     // below the tie: stays finite
    {-1e300, 0xFF800000},                                               // overflow: -inf
    {std::ldexp(1.0, -149), 0x00000001},                                // smallest float denormal
    {std::ldexp(1.0, -150), 0x00000000},                                // half of it: tie to even zero
    {3 * std::ldexp(1.0, -150), 0x00000002},                            // 1.5 denormal ulps: tie, up to even 2
    {std::ldexp(1.0, -150) + std::ldexp(1.0, -170), 0x00000001},        // above the tie: up
    {-std::ldexp(1.0, -150), 0x80000000},                               // sign kept on underflow
    {std::ldexp(1.0, -126) * (1.0 - std::ldexp(1.0, -30)), 0x00800000}, // rounds up to the smallest normal
    {1e-310, 0x00000000},                                               // double denormal
    {-0.0, 0x80000000},
    {std::numeric_limits<double>::infinity(), 0x7F800000},
    {-std::numeric_limits<double>::infinity(), 0xFF800000},
    {0.1, 0x3DCCCCCD},
};

// Every level must give what the plain casts give, compared bit for bit.
std::vector<double> MixedDoubles(size_t n, uint32_t seed)
{
  std::mt19937_64 rng(seed);
  std::vector<double> v(n);
  for (size_t i = 0; i < n; ++i) {
    const uint64_t r = rng();
    switch (i % 4) {
    case 0:
      v[i] = DoubleFromBits(r);
      break; // any pattern: NaNs, infinities, denormals
    case 1:  // within and around the float range, including float denormals
      v[i] = std::ldexp(1.0 + static_cast<double>(r >> 12) * std::ldexp(1.0, -52), static_cast<int>(r % 300) - 170);
      if (r & 1) v[i] = -v[i];
      break;
    case 2:
      v[i] = kNarrowings[r % (sizeof kNarrowings / sizeof kNarrowings[0])].in;
      break;
    default:
      v[i] = static_cast<double>(static_cast<float>(std::ldexp(static_cast<double>(r % 1000), -9)));
      break;
    }
  }
  return v;
}

std::vector<float> MixedFloats(size_t n, uint32_t seed)
{
  std::mt19937 rng(seed);
  std::vector<float> v(n);
  for (size_t i = 0; i < n; ++i)
    v[i] = (i % 3 == 0) ? FloatFromBits(rng()) : std::ldexp(static_cast<float>(rng() % 4096) - 2048.f, -11);
  return v;
}

// Keeps the rounding mode of the tests that follow whatever a test sets.
struct RoundingGuard
{
  RoundingGuard() : mSaved(std::fegetround()) {}
  ~RoundingGuard() { std::fesetround(mSaved); }
  int mSaved;
};
} // namespace

TEST(SampleConversion, LevelsAreOfferedOnlyWhenTheyRun)
{
  EXPECT_TRUE(SampleConversionAvailable(kConversionScalar));
  EXPECT_NE(SampleConversionsAt(kConversionScalar), nullptr);
  const ESampleConversionLevel best = BestSampleConversionLevel();
  EXPECT_TRUE(SampleConversionAvailable(best));
  for (int l = best + 1; l < kNumConversionLevels; ++l)
    EXPECT_FALSE(SampleConversionAvailable(static_cast<ESampleConversionLevel>(l)));
  EXPECT_EQ(SampleConversionsAt(kNumConversionLevels), nullptr);
  EXPECT_EQ(SampleConversionsAt(static_cast<ESampleConversionLevel>(-1)), nullptr);
#if defined(__x86_64__)
  EXPECT_GE(best, kConversionSse2); // every x86-64 CPU has it
#endif
}

TEST(SampleConversion, NarrowingRoundsToNearestEvenAtEveryLevel)
{
  const size_t n = sizeof kNarrowings / sizeof kNarrowings[0];
  std::vector<double> in;
  // Repeated so that each value also passes through the vector body, not only the tail.
  for (int rep = 0; rep < 4; ++rep)
    for (const Narrowing& c : kNarrowings) in.push_back(c.in);
  for (ESampleConversionLevel level : AvailableLevels()) {
    const SampleConversionFuncs* f = SampleConversionsAt(level);
    std::vector<float> out(in.size(), 99.f);
    f->mDoubleToFloat(in.data(), out.data(), static_cast<int>(in.size()));
    for (size_t i = 0; i < in.size(); ++i)
      EXPECT_EQ(Bits(out[i]), kNarrowings[i % n].out) << "level " << level << ", case " << i % n;

    // Accumulating onto zeros gives the same.
    std::vector<float> acc(in.size(), 0.0f);
    f->mAddDoubleToFloat(in.data(), acc.data(), static_cast<int>(in.size()));
    for (size_t i = 0; i < in.size(); ++i) {
      if (kNarrowings[i % n].out == 0x80000000) continue; // +0 + -0 is +0
      EXPECT_EQ(Bits(acc[i]), kNarrowings[i % n].out) << "level " << level << ", case " << i % n;
    }
  }
}

TEST(SampleConversion, NarrowingFollowsTheCurrentRoundingMode)
{
  RoundingGuard guard;
  const double above = 1.0 + kTwo24 + std::ldexp(1.0, -40);
  std::vector<double> in;
  for (int rep = 0; rep < 5; ++rep) {
    in.push_back(above);
    in.push_back(-above);
    in.push_back(kFltMaxTie);
  }
  for (ESampleConversionLevel level : AvailableLevels()) {
    std::vector<float> out(in.size());
    ASSERT_EQ(std::fesetround(FE_TOWARDZERO), 0);
    SampleConversionsAt(level)->mDoubleToFloat(in.data(), out.data(), static_cast<int>(in.size()));
    ASSERT_EQ(std::fesetround(FE_TONEAREST), 0);
    for (size_t i = 0; i < in.size(); i += 3) {
      EXPECT_EQ(out[i], 1.0f) << level;
      EXPECT_EQ(out[i + 1], -1.0f) << level;
      EXPECT_EQ(out[i + 2], kFltMax) << level;
    }
    ASSERT_EQ(std::fesetround(FE_UPWARD), 0);
    SampleConversionsAt(level)->mDoubleToFloat(in.data(), out.data(), static_cast<int>(in.size()));
    ASSERT_EQ(std::fesetround(FE_TONEAREST), 0);
    for (size_t i = 0; i < in.size(); i += 3) {
      EXPECT_EQ(Bits(out[i]), 0x3F800001u) << level;
      EXPECT_EQ(out[i + 1], -1.0f) << level;
      EXPECT_EQ(Bits(out[i + 2]), 0x7F800000u) << level;
    }
  }
}

TEST(SampleConversion, WideningIsExactForSpecialValues)
{
  const uint32_t in[] = {0x00000001, 0x807FFFFF, 0x00800000, 0x7F7FFFFF, 0x80000000,
                         0x7F800000, 0xFF800000, 0x7FC00001, 0xFFC00000, 0x3DCCCCCD};
  const uint64_t out[] = {0x36A0000000000000, 0xB80FFFFFC0000000, 0x3810000000000000, 0x47EFFFFFE0000000,
                          0x8000000000000000, 0x7FF0000000000000, 0xFFF0000000000000, 0x7FF8000020000000,
                          0xFFF8000000000000, 0x3FB99999A0000000};
  const size_t n = sizeof in / sizeof in[0];
  std::vector<float> src;
  for (int rep = 0; rep < 3; ++rep)
    for (uint32_t u : in) src.push_back(FloatFromBits(u));
  for (ESampleConversionLevel level : AvailableLevels()) {
    std::vector<double> dst(src.size());
    SampleConversionsAt(level)->mFloatToDouble(src.data(), dst.data(), static_cast<int>(src.size()));
    for (size_t i = 0; i < src.size(); ++i) EXPECT_EQ(Bits(dst[i]), out[i % n]) << "level " << level << ", " << i;
  }
}

TEST(SampleConversion, EveryLevelMatchesThePlainCastsForAnyLengthAndAlignment)
{
  constexpr int kMaxLen = 67; // beyond two 16-sample steps plus every tail length
  constexpr int kGuard = 8;
  const std::vector<double> doubles = MixedDoubles(kMaxLen + 16, 7);
  const std::vector<float> floats = MixedFloats(kMaxLen + 16, 11);
  const std::vector<float> bases = MixedFloats(kMaxLen + 16, 13);
  const float kSentinel = 12345.f;

  for (ESampleConversionLevel level : AvailableLevels()) {
    const SampleConversionFuncs* f = SampleConversionsAt(level);
    for (int offset = 0; offset < 16; ++offset) // moves the start across every vector alignment
      for (int len = 0; len <= kMaxLen; ++len) {
        SCOPED_TRACE(testing::Message() << "level " << level << ", offset " << offset << ", length " << len);
        const double* dsrc = doubles.data() + offset;
        const float* fsrc = floats.data() + offset;

        std::vector<double> wide(static_cast<size_t>(offset + len + kGuard), -7.0);
        f->mFloatToDouble(fsrc, wide.data() + offset, len);
        std::vector<float> narrow(static_cast<size_t>(offset + len + kGuard), kSentinel);
        f->mDoubleToFloat(dsrc, narrow.data() + offset, len);
        std::vector<float> acc(bases.begin(), bases.begin() + offset + len);
        acc.resize(static_cast<size_t>(offset + len + kGuard), kSentinel);
        f->mAddDoubleToFloat(dsrc, acc.data() + offset, len);

        for (int i = 0; i < len; ++i) {
          const size_t at = static_cast<size_t>(offset + i);
          ASSERT_EQ(Bits(wide[at]), Bits(static_cast<double>(fsrc[i]))) << i;
          ASSERT_EQ(Bits(narrow[at]), Bits(static_cast<float>(dsrc[i]))) << i;
          const float base = bases[at];
          const float sum = base + static_cast<float>(dsrc[i]);
          if (std::isnan(base) && std::isnan(dsrc[i]))
            ASSERT_TRUE(std::isnan(acc[at])) << i; // which NaN wins is the compiler's operand order
          else
            ASSERT_EQ(Bits(acc[at]), Bits(sum)) << i;
        }
        // Nothing before the start or after the end is touched.
        for (int i = 0; i < offset; ++i) {
          ASSERT_EQ(wide[static_cast<size_t>(i)], -7.0);
          ASSERT_EQ(narrow[static_cast<size_t>(i)], kSentinel);
          ASSERT_EQ(Bits(acc[static_cast<size_t>(i)]), Bits(bases[static_cast<size_t>(i)]));
        }
        for (int i = offset + len; i < offset + len + kGuard; ++i) {
          ASSERT_EQ(wide[static_cast<size_t>(i)], -7.0);
          ASSERT_EQ(narrow[static_cast<size_t>(i)], kSentinel);
          ASSERT_EQ(acc[static_cast<size_t>(i)], kSentinel);
        }
      }
  }
}

TEST(SampleConversion, NegativeLengthsWriteNothing)
{
  const double d[4] = {1, 2, 3, 4};
  const float fin[4] = {1, 2, 3, 4};
  for (ESampleConversionLevel level : AvailableLevels()) {
    double wide[4] = {9, 9, 9, 9};
    float narrow[4] = {9, 9, 9, 9};
    SampleConversionsAt(level)->mFloatToDouble(fin, wide, -3);
    SampleConversionsAt(level)->mDoubleToFloat(d, narrow, -3);
    SampleConversionsAt(level)->mAddDoubleToFloat(d, narrow, -3);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(wide[i], 9.0);
      EXPECT_EQ(narrow[i], 9.0f);
    }
  }
}

// The float path of the plug-in base goes through the conversions: a copying
// plug-in hands every float back exactly, at a block size with a vector tail.
TEST(SampleConversion, FloatPathOfThePlugInBaseRoundTripsExactly)
{
  constexpr int kBlock = 45;
  FakePlug plug; // its processing copies input i to output i
  plug.SetBlockSize(kBlock);
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);

  std::vector<float> in0 = MixedFloats(kBlock, 3), in1 = MixedFloats(kBlock, 5);
  in0[0] = FloatFromBits(0x00000001); // a denormal must not be flushed
  in1[kBlock - 1] = -0.0f;
  std::vector<float> out0(kBlock, 0.f), out1(kBlock, 0.f);
  float* ins[] = {in0.data(), in1.data()};
  float* outs[] = {out0.data(), out1.data()};
  plug.AttachInputBuffers(0, 2, ins, kBlock);
  plug.AttachOutputBuffers(0, 2, outs);
  plug.ProcessBuffers(0.0f, kBlock);

  const double* scratch0 = plug.mInData.Get()[0];
  EXPECT_EQ(scratch0[0], std::ldexp(1.0, -149));
  for (int s = 0; s < kBlock; ++s) {
    EXPECT_EQ(Bits(scratch0[s]), Bits(static_cast<double>(in0[s]))) << s;
    // A signalling NaN comes back quiet, as a double round trip leaves it.
    const uint32_t quiet0 = std::isnan(in0[s]) ? 0x00400000u : 0u;
    const uint32_t quiet1 = std::isnan(in1[s]) ? 0x00400000u : 0u;
    EXPECT_EQ(Bits(out0[s]), Bits(in0[s]) | quiet0) << s;
    EXPECT_EQ(Bits(out1[s]), Bits(in1[s]) | quiet1) << s;
  }

  // Accumulating adds each processed sample to what the host buffer held.
  std::vector<float> before = out0;
  plug.ProcessBuffersAccumulating(0.0f, kBlock);
  for (int s = 0; s < kBlock; ++s) {
    if (std::isnan(before[s])) continue;
    EXPECT_EQ(Bits(out0[s]), Bits(before[s] + before[s])) << s;
  }
}
