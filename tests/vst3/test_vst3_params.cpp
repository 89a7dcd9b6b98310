// Brindle's parameters through VST3's edit controller against the product's own, changes inside a
// block against the product rendered directly, and the audio thread's conduct under RealtimeProbe.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "tests/vst3/Vst3RenderCompare.h"
#include "tests/vst3/Vst3TestHost.h"
#include "tools/validate/RealtimeProbe.h"

using namespace vst3;

TEST(Vst3Params, InfoTextsAndNormalizationAreTheProducts)
{
  Vst3Module module(BRINDLE_VST3_BUNDLE);
  Vst3Plugin plugin(module);
  ASSERT_TRUE(plugin.Ok()) << module.Error();
  ASSERT_EQ(plugin.Component()->initialize(nullptr), kResultOk);
  IEditController* controller = plugin.Controller();
  ASSERT_EQ(controller->getParameterCount(), 4);
  const int32 list = ParameterInfo::kCanAutomate | ParameterInfo::kIsList;
  const struct
  {
    const char* title;
    int32 steps, flags;
    double def;
  } expected[] = {{"Level", 0, ParameterInfo::kCanAutomate, 0.5},
                  {"Attack", 0, ParameterInfo::kCanAutomate, 0.5},
                  {"Effect", 1, list, 1.0},
                  {"Cabinet", 1, list, 1.0}};
  std::unique_ptr<IEffectVST3> direct = MakeDirectBrindle();
  for (int32 i = 0; i < 4; ++i) {
    SCOPED_TRACE(expected[i].title);
    ParameterInfo info{};
    ASSERT_EQ(controller->getParameterInfo(i, info), kResultOk);
    EXPECT_EQ(info.id, static_cast<ParamID>(i));
    EXPECT_EQ(Utf16ToAscii(info.title), expected[i].title);
    EXPECT_EQ(info.stepCount, expected[i].steps);
    EXPECT_EQ(info.flags, expected[i].flags);
    EXPECT_DOUBLE_EQ(info.defaultNormalizedValue, expected[i].def);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(static_cast<ParamID>(i)), expected[i].def);
    const IParam* param = direct->GetParam(i);
    for (double n : {0.0, 0.25, 0.5, 0.999, 1.0}) {
      if (info.stepCount) n = std::round(n * info.stepCount) / info.stepCount;
      // Normalized to plain and back through IParam's own mapping.
      const double plain = controller->normalizedParamToPlain(info.id, n);
      EXPECT_NEAR(plain, param->mMin + (param->mMax - param->mMin) * std::pow(n, param->mShape), 1e-12);
      EXPECT_NEAR(controller->plainParamToNormalized(info.id, plain), n, 1e-12);
      // Every text the product shows, word for word, and back to the value it shows.
      String128 text{};
      ASSERT_EQ(controller->getParamStringByValue(info.id, n, text), kResultOk);
      char productText[IParam::kDisplayBufferSize];
      param->GetDisplayForHost(plain, false, productText);
      EXPECT_EQ(Utf16ToAscii(text), productText);
      double back = -1.0;
      ASSERT_EQ(controller->getParamValueByString(info.id, text, back), kResultOk) << productText;
      EXPECT_NEAR(back, n, 0.0005) << productText;
    }
  }
  // Texts that are not values, and ids that are not parameters.
  const struct
  {
    ParamID id;
    const char* text;
  } refused[] = {{0, ""}, {0, "loud"}, {0, "0.5x"}, {0, "nan"}, {2, "Maybe"}, {2, "0.5 0.5"}};
  for (const auto& row : refused) {
    std::vector<char16> text = AsciiToUtf16(row.text);
    double value = -1.0;
    EXPECT_NE(controller->getParamValueByString(row.id, text.data(), value), kResultOk) << row.text;
  }
  double value = 0.0;
  String128 text{};
  ParameterInfo info{};
  std::vector<char16> half = AsciiToUtf16("0.5");
  EXPECT_EQ(controller->getParameterInfo(4, info), kInvalidArgument);
  EXPECT_EQ(controller->getParameterInfo(-1, info), kInvalidArgument);
  EXPECT_EQ(controller->getParamStringByValue(4, 0.5, text), kInvalidArgument);
  EXPECT_EQ(controller->getParamValueByString(4, half.data(), value), kInvalidArgument);
  EXPECT_EQ(controller->setParamNormalized(4, 0.5), kInvalidArgument);
  EXPECT_EQ(controller->setParamNormalized(0, std::nan("")), kInvalidArgument);
  // Out-of-range normalized values are clamped, never passed on.
  EXPECT_EQ(controller->setParamNormalized(1, 7.0), kResultOk);
  EXPECT_DOUBLE_EQ(controller->getParamNormalized(1), 1.0);
  EXPECT_EQ(controller->setParamNormalized(1, -7.0), kResultOk);
  EXPECT_DOUBLE_EQ(controller->getParamNormalized(1), 0.0);
  EXPECT_EQ(plugin.Component()->terminate(), kResultOk);
}

TEST(Vst3Params, ChangesMidBlockMatchTheProductRenderedDirectly)
{
  const struct
  {
    const char* what;
    int channels;
    std::vector<Change> changes;
  } rows[] = {
      {"none, stereo", 2, {}},
      {"level at 100", 1, {{100, 0, 0.9}}},
      {"attack and effect off", 2, {{37, 1, 0.1}, {300, 2, 0.0}}},
      {"cabinet off at the first frame", 1, {{0, 3, 0.0}}},
      {"several points in one queue", 2, {{64, 0, 0.2}, {128, 0, 0.7}, {511, 0, 0.3}}},
      {"past the block's end", 1, {{9000, 1, 0.8}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    // A change stamped past the block takes effect at its end.
    std::vector<Change> clamped = row.changes;
    for (Change& ch : clamped) ch.frame = std::min(ch.frame, kFrames);
    const Channels direct = RenderDirect(MakeDirectBrindle(), row.channels, clamped);
    // 32-bit buffers lose only the float rounding of the product's double output; 64-bit nothing.
    EXPECT_LE(MaxDifference(RenderThroughVst3(BRINDLE_VST3_BUNDLE, row.channels, row.changes, kSample32), direct),
              1e-7);
    EXPECT_LE(MaxDifference(RenderThroughVst3(BRINDLE_VST3_BUNDLE, row.channels, row.changes, kSample64), direct),
              1e-12);
  }
  // A change at frame 100 is not the same sound as one at frame 0: the split is real.
  EXPECT_GT(MaxDifference(RenderThroughVst3(BRINDLE_VST3_BUNDLE, 1, {{100, 0, 0.9}}, kSample64),
                          RenderThroughVst3(BRINDLE_VST3_BUNDLE, 1, {{0, 0, 0.9}}, kSample64)),
            1e-3);
}

TEST(Vst3Params, TheAudioThreadAllocatesNothingAndLocksOnlyForChanges)
{
  if (!RealtimeProbe::CountsAllocations()) GTEST_SKIP() << "this build cannot see allocations";
  Vst3Module module(BRINDLE_VST3_BUNDLE);
  Vst3Plugin plugin(module);
  ASSERT_TRUE(plugin.Start(2, 48000.0, 512));
  AudioBlock block(2, 512);
  ParamChanges none, changes;
  changes.Add(0, 10, 0.3);
  changes.Add(1, 200, 0.6);
  ProcessData& quietData = block.Data(&none);
  RealtimeCounts quiet, withChanges;
  {
    RealtimeProbe probe;
    for (int i = 0; i < 500; ++i) ASSERT_EQ(plugin.Processor()->process(quietData), kResultOk);
    quiet = probe.Counts();
  }
  ProcessData& changeData = block.Data(&changes);
  {
    RealtimeProbe probe;
    for (int i = 0; i < 500; ++i) ASSERT_EQ(plugin.Processor()->process(changeData), kResultOk);
    withChanges = probe.Counts();
  }
  EXPECT_EQ(quiet.allocations, 0);
  EXPECT_EQ(quiet.frees, 0);
  EXPECT_EQ(quiet.locks, 0);
  EXPECT_EQ(withChanges.allocations, 0);
  EXPECT_EQ(withChanges.frees, 0);
  EXPECT_EQ(withChanges.locks, 1000); // one per change, the product's own
  EXPECT_EQ(withChanges.contendedLocks, 0);
  EXPECT_TRUE(plugin.Stop());
}

TEST(Vst3Params, TheProductsEditsReachTheHandlerNormalized)
{
  // What the editor does on a drag, straight on the product: begin, the value it set, end.
  std::unique_ptr<IEffectVST3> plug = MakeDirectBrindle();
  RecordingHandler handler;
  plug->SetComponentHandler(&handler);
  plug->BeginInformHostOfParamChange(1);
  plug->GetParam(1)->Set(0.25);
  plug->InformHostOfParamChange(1, 0.25);
  plug->EndInformHostOfParamChange(1);
  plug->GetParam(2)->Set(0.0);
  plug->InformHostOfParamChange(2, 0.0);
  plug->BeginInformHostOfParamChange(9); // not a parameter: nothing
  plug->InformHostOfProgramChange();
  EXPECT_EQ(handler.mCalls,
            (std::vector<std::string>{"begin 1", "perform 1 0.25", "end 1", "perform 2 0", "restart 4"}));
  plug->SetComponentHandler(nullptr);
  plug->InformHostOfParamChange(1, 0.5);
  EXPECT_EQ(handler.mCalls.size(), 5u);
}
