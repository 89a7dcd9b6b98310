// Gain through its component, as a host drives it: the gain and constant-power pan law on a table of
// settings (expected values worked out here from the formula), mono, hostile values, the one-block
// ramp after a change, and `brindle validate` on the bundle.
#include "tests/examples/ExampleBundles.h"
#include "tests/tools/test_host_support.h"
#include "tools/host/ComponentHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr int kFrames = 64;
constexpr AudioUnitParameterID kGainParam = 0, kPanParam = 1;
constexpr float kInLeft = 0.5f, kInRight = -0.75f;

// The law in its textbook form: gain in dB to a factor, pan -100..100 to an angle of 0..pi/2.
double Linear(double db)
{
  return std::pow(10.0, db / 20.0);
}
double Theta(double pan)
{
  return (pan + 100.0) / 200.0 * (M_PI / 2.0);
}

struct Rendered
{
  std::vector<float> left, right;
};

class GainLaw : public ::testing::Test
{
protected:
  void Open(int channels)
  {
    ASSERT_NE(GainBundle().effect, nullptr);
    ASSERT_EQ(mHost.Open(GainBundle().effect), noErr);
    ASSERT_EQ(mHost.Configure(HostFormat{44100.0, channels, channels, kFrames}), noErr);
    ASSERT_EQ(mHost.Initialize(), noErr);
  }
  // One block of constant input (kInLeft, kInRight).
  Rendered Block()
  {
    const int channels = mHost.Format().outChannels;
    std::vector<float> inL(kFrames, kInLeft), inR(kFrames, kInRight);
    Rendered r{std::vector<float>(kFrames), std::vector<float>(kFrames)};
    const float* in[] = {inL.data(), inR.data()};
    float* out[] = {r.left.data(), r.right.data()};
    EXPECT_EQ(mHost.Render(in, out, kFrames), noErr);
    if (channels == 1) r.right.clear();
    return r;
  }
  // A block after the ramp has settled.
  Rendered Settled()
  {
    Block();
    return Block();
  }
  void Set(float db, float pan)
  {
    EXPECT_EQ(mHost.SetParameter(kGainParam, db), noErr);
    EXPECT_EQ(mHost.SetParameter(kPanParam, pan), noErr);
  }
  ComponentHost mHost;
};

} // namespace

TEST_F(GainLaw, StereoFollowsTheConstantPowerLaw)
{
  Open(2);
  const struct
  {
    float setDb, setPan; // what the host sets
    double db, pan;      // what takes effect (the ranges are -60..12 dB and -100..100)
  } rows[] = {
      {0, 0, 0, 0},         {0, -100, 0, -100}, {0, 100, 0, 100},  {-6, 0, -6, 0},     {12, 50, 12, 50},
      {-60, -25, -60, -25}, {3.5, 33, 3.5, 33}, {-100, 0, -60, 0}, {20, 250, 12, 100}, {-0.5, -250, -0.5, -100},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.setDb << " dB, pan " << row.setPan);
    Set(row.setDb, row.setPan);
    const Rendered r = Settled();
    const double left = Linear(row.db) * std::cos(Theta(row.pan));
    const double right = Linear(row.db) * std::sin(Theta(row.pan));
    for (int i = 0; i < kFrames; ++i) {
      ASSERT_FLOAT_EQ(r.left[i], static_cast<float>(kInLeft * left)) << i;
      ASSERT_FLOAT_EQ(r.right[i], static_cast<float>(kInRight * right)) << i;
    }
    // Constant power: the two sides' squared gains always add up to the squared gain.
    EXPECT_NEAR(left * left + right * right, Linear(row.db) * Linear(row.db), 1e-12);
  }
  // At the centre each side sits 3 dB (a factor of sqrt(1/2)) down.
  Set(0, 0);
  EXPECT_FLOAT_EQ(Settled().left[0], static_cast<float>(kInLeft * std::sqrt(0.5)));
}

TEST_F(GainLaw, MonoTakesTheGainAloneWhateverThePan)
{
  Open(1);
  const float rows[][2] = {{0, 0}, {0, -100}, {-6, 100}, {12, 50}, {-60, -25}};
  for (const auto& row : rows) {
    Set(row[0], row[1]);
    const Rendered r = Settled();
    for (int i = 0; i < kFrames; ++i)
      ASSERT_FLOAT_EQ(r.left[i], static_cast<float>(kInLeft * Linear(row[0]))) << row[0] << " dB, pan " << row[1];
  }
}

TEST_F(GainLaw, AChangeRampsOverOneBlockAndNaNKeepsTheSetting)
{
  Open(2);
  Set(0, -100); // left only, factor 1
  Settled();
  Set(-20, -100);
  const Rendered ramp = Block();
  const double from = 1.0, to = Linear(-20);
  // Linear from the old factor to the new one, arriving on the block's last sample.
  EXPECT_FLOAT_EQ(ramp.left[0], static_cast<float>(kInLeft * (from + (to - from) / kFrames)));
  EXPECT_FLOAT_EQ(ramp.left[kFrames - 1], static_cast<float>(kInLeft * to));
  for (int i = 1; i < kFrames; ++i) ASSERT_LT(ramp.left[i], ramp.left[i - 1]) << i;

  // Non-finite values from a host neither silence nor blow up the output.
  for (float hostile : {NAN, INFINITY, -INFINITY}) {
    Set(-20, -100);
    Settled();
    mHost.SetParameter(kGainParam, hostile); // refusing or clamping are both fine
    const Rendered r = Settled();
    AudioUnitParameterValue now = 0;
    mHost.GetParameter(kGainParam, now);
    const double expected = std::isfinite(now) ? Linear(now) : to;
    for (int i = 0; i < kFrames; ++i) ASSERT_FLOAT_EQ(r.left[i], static_cast<float>(kInLeft * expected)) << hostile;
  }
}

TEST(GainValidate, TheValidatorPassesTheBundleAtEveryLevel)
{
  using namespace hosttest;
  const RunResult r = RunBrindle(std::string("validate --level 10 --seed 7 --component ") + GAIN_COMPONENT_BUNDLE);
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("validating aufx/gnp1/Qxlo in "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("parameter info: 2 parameters"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" 0 failed"), std::string::npos) << r.out;
  // A folder holding no effect component is refused, not validated.
  const RunResult none = RunBrindle("validate --component /nonexistent/Gain.component");
  EXPECT_NE(none.status, 0);
}
