// The descriptor as a host meets it: variants, sample rates, block lengths from options, control
// values a host may send, odd connections, and many instance lifetimes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "LV2TestHost.h"
#include "tests/lv2/LV2TestPlug.h"

namespace {
using TestPlug = LV2TestPlug<IEffectLV2>;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TestPlug* Product(const TestInstance& instance)
{
  return dynamic_cast<TestPlug*>(instance.Plug());
}

void FillRamp(std::vector<float>& buffer, float scale)
{
  for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = scale * static_cast<float>(i % 97) / 97.0f;
}
} // namespace

TEST(LV2Descriptor, OffersOneURIPerChannelPairAndNothingBeyond)
{
  ASSERT_NE(lv2_descriptor(0), nullptr);
  ASSERT_NE(lv2_descriptor(1), nullptr);
  EXPECT_STREQ(lv2_descriptor(0)->URI, "urn:brindle-tests:lv2-test-plug#mono");
  EXPECT_STREQ(lv2_descriptor(1)->URI, "urn:brindle-tests:lv2-test-plug#stereo");
  EXPECT_EQ(lv2_descriptor(2), nullptr);
  EXPECT_EQ(lv2_descriptor(UINT32_MAX), nullptr);
  EXPECT_EQ(lv2_descriptor(0)->extension_data("urn:nothing"), nullptr);
  EXPECT_NE(lv2_descriptor(0)->extension_data(LV2_STATE__interface), nullptr);
}

TEST(LV2Descriptor, SampleRatesAcceptedOrRefused)
{
  const struct
  {
    double rate;
    bool accepted;
  } cases[] = {{8000.0, true},  {11025.0, true},  {22050.0, true},       {44100.0, true},  {48000.0, true},
               {96000.0, true}, {192000.0, true}, {384000.0, true},      {0.0, false},     {-48000.0, false},
               {999.0, false},  {2e6, false},     {std::nan(""), false}, {INFINITY, false}};
  for (const auto& c : cases) {
    for (uint32_t variant : {0u, 1u}) {
      TestInstance instance(variant, c.rate);
      ASSERT_EQ(instance.Ok(), c.accepted) << c.rate;
      if (!instance.Ok()) continue;
      EXPECT_EQ(instance.Plug()->GetSampleRate(), c.rate);
      instance.Descriptor()->activate(instance.Handle());
      instance.Audio(0).resize(256);
      FillRamp(instance.Audio(0), 0.5f);
      instance.Run(256);
      const LV2PortLayout& layout = instance.Plug()->GetPortLayout();
      for (int o = 0; o < layout.NOut(); ++o)
        for (float v : instance.Audio(static_cast<uint32_t>(layout.NIn() + o))) ASSERT_TRUE(std::isfinite(v));
      EXPECT_EQ(instance.Latency(), 0.0f);
      instance.Descriptor()->deactivate(instance.Handle());
    }
  }
}

TEST(LV2Descriptor, BlockLengthFromOptionsAndLongerBlocksInPieces)
{
  TestURIDMap map;
  const LV2_URID maxKey = map.Get(LV2_BUF_SIZE__maxBlockLength);
  const LV2_URID nominalKey = map.Get(LV2_BUF_SIZE__nominalBlockLength);
  const LV2_URID intType = map.Get(LV2_ATOM__Int), floatType = map.Get(LV2_ATOM__Float);
  const struct
  {
    const char* what;
    bool withMap;
    LV2_URID key;
    LV2_URID type;
    int32_t value;
    int expected;
  } cases[] = {
      {"no features", false, 0, 0, 0, IEffectLV2::kDefaultBlockSize},
      {"options without a map to read them", false, maxKey, intType, 64, IEffectLV2::kDefaultBlockSize},
      {"maximum", true, maxKey, intType, 64, 64},
      {"nominal only", true, nominalKey, intType, 300, 300},
      {"zero", true, maxKey, intType, 0, IEffectLV2::kDefaultBlockSize},
      {"negative", true, maxKey, intType, -5, IEffectLV2::kDefaultBlockSize},
      {"wrong type", true, maxKey, floatType, 64, IEffectLV2::kDefaultBlockSize},
      {"beyond the largest", true, maxKey, intType, 1 << 30, IEffectLV2::kMaxBlockSize},
  };
  for (const auto& c : cases) {
    const LV2_Options_Option options[] = {{LV2_OPTIONS_INSTANCE, 0, c.key, sizeof(int32_t), c.type, &c.value},
                                          {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    const LV2_Feature mapFeature{LV2_URID__map, map.Feature()};
    const LV2_Feature optionsFeature{LV2_OPTIONS__options, const_cast<LV2_Options_Option*>(options)};
    const LV2_Feature* features[] = {&optionsFeature, c.withMap ? &mapFeature : nullptr, nullptr};
    TestInstance instance(1, 48000.0, features);
    ASSERT_TRUE(instance.Ok()) << c.what;
    EXPECT_EQ(instance.Plug()->GetBlockSize(), c.expected) << c.what;

    // A block well past the bound: every frame processed, in pieces no longer than the bound.
    const uint32_t n = static_cast<uint32_t>(c.expected) * 2 + 7;
    instance.Audio(0).resize(n);
    instance.Audio(1).resize(n);
    FillRamp(instance.Audio(0), 1.0f);
    FillRamp(instance.Audio(1), 0.25f);
    const std::vector<float> left = instance.Audio(0), right = instance.Audio(1);
    instance.Run(n);
    EXPECT_EQ(Product(instance)->mLongestBlock, c.expected) << c.what;
    EXPECT_EQ(Product(instance)->mFrames, static_cast<long long>(n)) << c.what;
    for (uint32_t i = 0; i < n; ++i) {
      ASSERT_EQ(instance.Audio(2)[i], static_cast<float>(static_cast<double>(left[i]) + right[i])) << c.what << i;
      ASSERT_EQ(instance.Audio(3)[i], instance.Audio(2)[i]);
    }
  }
}

TEST(LV2Descriptor, ControlValuesBecomeParameterValues)
{
  TestInstance instance(0, 48000.0);
  ASSERT_TRUE(instance.Ok());
  IEffectLV2& plug = *instance.Plug();
  const struct
  {
    int param;
    float port;
    double expected;
  } cases[] = {
      {TestPlug::kGain, -6.5f, -6.5},  {TestPlug::kGain, kNaN, -6.5},   {TestPlug::kGain, 100.0f, 12.0},
      {TestPlug::kGain, -kInf, -24.0}, {TestPlug::kGain, kInf, 12.0},   {TestPlug::kInvert, 0.3f, 1.0},
      {TestPlug::kInvert, 0.0f, 0.0},  {TestPlug::kInvert, -2.0f, 0.0}, {TestPlug::kInvert, kNaN, 0.0},
      {TestPlug::kMode, 1.6f, 2.0},    {TestPlug::kMode, 1.4f, 1.0},    {TestPlug::kMode, 9.0f, 2.0},
      {TestPlug::kMode, -1.0f, 0.0},   {TestPlug::kSteps, 0.0f, 1.0},   {TestPlug::kSteps, 5.5f, 6.0},
  };
  for (const auto& c : cases) {
    instance.Control(c.param) = c.port;
    instance.Run(16);
    EXPECT_EQ(plug.GetParam(c.param)->Value(), c.expected) << c.param << " " << c.port;
  }
  // The product heard of the changes: inverted at +12 dB, the last gain the table left.
  instance.Control(TestPlug::kInvert) = 1.0f;
  instance.Run(1);
  EXPECT_NEAR(Product(instance)->mFactor, -std::pow(10.0, 12.0 / 20.0), 1e-12);
}

TEST(LV2Descriptor, OddConnectionsNeverCrashOrWriteWild)
{
  TestInstance instance(1, 44100.0);
  ASSERT_TRUE(instance.Ok());
  const LV2_Descriptor* d = instance.Descriptor();
  LV2_Handle h = instance.Handle();
  // Nothing connected at all, and ports past the layout.
  for (uint32_t p = 0; p < 64; ++p) d->connect_port(h, p, nullptr);
  d->connect_port(h, 1000, nullptr);
  d->run(h, 512);

  // In place: the host hands one buffer for input and output.
  std::vector<float> left(300), right(300);
  FillRamp(left, 1.0f);
  FillRamp(right, 1.0f);
  const std::vector<float> before = left;
  d->connect_port(h, 0, left.data());
  d->connect_port(h, 1, right.data());
  d->connect_port(h, 2, left.data());
  d->connect_port(h, 3, right.data());
  d->run(h, 300);
  for (size_t i = 0; i < left.size(); ++i) ASSERT_EQ(left[i], 2.0f * before[i]);

  // One input missing reads as silence; one output missing is skipped.
  d->connect_port(h, 1, nullptr);
  d->connect_port(h, 3, nullptr);
  FillRamp(left, 1.0f);
  d->run(h, 300);
  for (size_t i = 0; i < left.size(); ++i) ASSERT_EQ(left[i], before[i]);
  d->run(h, 0);
}

TEST(LV2Descriptor, ThousandLifetimes)
{
  for (int i = 0; i < 1000; ++i) {
    TestInstance instance(static_cast<uint32_t>(i % 2), i % 3 == 0 ? 44100.0 : 96000.0);
    ASSERT_TRUE(instance.Ok());
    instance.Descriptor()->activate(instance.Handle());
    instance.Run(64);
    instance.Descriptor()->deactivate(instance.Handle());
  }
}
