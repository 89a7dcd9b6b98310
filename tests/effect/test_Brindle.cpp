// Brindle, the plug-in class: parameters and their texts, the factory preset, parameter-change
// rules (truncation, lamp), Init and Reset, the noise table per instance, and block processing for
// mono and stereo channel layouts.
#include "effect/Brindle.h"

#include "plugcore/ByteChunk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

namespace {

IEffectInstanceInfo Info()
{
  IEffectInstanceInfo info;
  info.mBundleID = "com.tallowby.audiounit.Brindle";
  info.mCocoaViewFactoryClassName = "Brindle_View";
  return info;
}

// An editor stand-in that records what the plug-in asks of it.
struct RecordingEditor : IEditorDelegate
{
  std::vector<std::pair<int, double>>* controlCalls;
  explicit RecordingEditor(std::vector<std::pair<int, double>>* calls) : controlCalls(calls) {}
  void SetParameterFromPlug(int, double, bool) override {}
  void SetControlFromPlug(int idx, double value) override { controlCalls->emplace_back(idx, value); }
  void PrepDraw() override {}
  void PromptForFile(Core_String* file, EFileAction, Core_String*, char*) override { file->Set(""); }
};

struct BrindleWithEditor : Brindle
{
  BrindleWithEditor() : Brindle(Info()) {}
  void Attach(IEditorDelegate* editor, int lampIdx)
  {
    SetLampControlIdx(lampIdx);
    AttachGraphics(editor);
  }
};

void SetParam(Brindle& plug, int idx, double value)
{
  plug.GetParam(idx)->Set(value);
  plug.OnParamChange(idx);
}

bool SameBits(double a, double b)
{
  return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string Display(Brindle& plug, int idx)
{
  char text[128];
  plug.GetParam(idx)->GetDisplayForHost(text);
  return text;
}

} // namespace

TEST(BrindleParams, NamesRangesDefaultsAndTexts)
{
  Brindle plug(Info());
  ASSERT_EQ(plug.NParams(), 4);
  const char* names[] = {"Level", "Attack", "Effect", "Cabinet"};
  for (int i = 0; i < 4; ++i) {
    const IParam* p = plug.GetParam(i);
    EXPECT_STREQ(p->GetNameForHost(), names[i]);
    EXPECT_STREQ(p->GetLabelForHost(), "");
    EXPECT_STREQ(p->GetParamGroupForHost(), "");
    EXPECT_EQ(p->mMin, 0.0);
    EXPECT_EQ(p->mMax, 1.0);
    EXPECT_EQ(p->mShape, 1.0);
    EXPECT_EQ(p->mStep, i < 2 ? 0.001 : 1.0);
    EXPECT_EQ(p->mDefault, i < 2 ? 0.5 : 1.0);
  }
  EXPECT_EQ(plug.GetParam(0)->Type(), IParam::kTypeDouble);
  EXPECT_EQ(plug.GetParam(1)->Type(), IParam::kTypeDouble);
  EXPECT_EQ(plug.GetParam(2)->Type(), IParam::kTypeEnum);
  EXPECT_EQ(plug.GetParam(3)->Type(), IParam::kTypeEnum);
  EXPECT_STREQ(plug.GetParam(2)->GetDisplayText(0), "Off");
  EXPECT_STREQ(plug.GetParam(3)->GetDisplayText(1), "On");
  EXPECT_EQ(plug.GetParam(0)->Value(), 0.5);
  EXPECT_EQ(plug.GetParam(1)->Value(), 0.5);
  EXPECT_EQ(plug.GetParam(2)->Value(), 1.0);
  EXPECT_EQ(plug.GetParam(3)->Value(), 1.0);
  EXPECT_EQ(Display(plug, 0), "0.500");
  SetParam(plug, 1, 0.1234);
  EXPECT_EQ(Display(plug, 1), "0.123");
  EXPECT_EQ(Display(plug, 2), "On");
  SetParam(plug, 3, 0.0);
  EXPECT_EQ(Display(plug, 3), "Off");
  // Defaults feed the processor: gain 4 x 0.5, drive 5 x 0.5, both switches on.
  Brindle fresh(Info());
  EXPECT_EQ(fresh.GetOutputGain(), 2.0);
  EXPECT_EQ(fresh.GetDrive(), 2.5);
  EXPECT_TRUE(fresh.IsEffectOn());
  EXPECT_TRUE(fresh.IsCabinetOn());
}

TEST(BrindleParams, FactoryPresetIsInitAndNotApplied)
{
  Brindle plug(Info());
  ASSERT_EQ(plug.NPresets(), 1);
  EXPECT_STREQ(plug.GetPresetName(0), "Init");
  const IPreset* preset = plug.GetPreset(0);
  ASSERT_TRUE(preset->mInitialized);
  ASSERT_EQ(preset->mChunk.Size(), 4 * 8);
  const double expected[] = {1.0, 0.5, 1.0, 1.0};
  int pos = 0;
  for (double e : expected) {
    double v = -1;
    pos = preset->mChunk.Get(&v, pos);
    EXPECT_EQ(v, e);
  }
  EXPECT_EQ(plug.GetParam(0)->Value(), 0.5); // the parameter default, not the preset's 1.0
  ASSERT_TRUE(plug.RestorePreset(0));
  EXPECT_EQ(plug.GetParam(0)->Value(), 1.0);
  EXPECT_EQ(plug.GetOutputGain(), 4.0);
}

TEST(BrindleParams, ChangesTruncateSwitchesAndDriveTheLamp)
{
  std::vector<std::pair<int, double>> calls;
  BrindleWithEditor plug;
  plug.Attach(new RecordingEditor(&calls), 7);
  calls.clear();

  SetParam(plug, 0, 0.25);
  EXPECT_EQ(plug.GetOutputGain(), 1.0);
  SetParam(plug, 1, 0.4);
  EXPECT_EQ(plug.GetDrive(), 2.0);
  EXPECT_TRUE(calls.empty());

  // 0.7 truncates to 0: off, lamp dark. Only exactly 1 switches it back on.
  SetParam(plug, 2, 0.7);
  EXPECT_FALSE(plug.IsEffectOn());
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], std::make_pair(7, 0.0));
  SetParam(plug, 2, 0.999);
  EXPECT_FALSE(plug.IsEffectOn());
  SetParam(plug, 2, 1.0);
  EXPECT_TRUE(plug.IsEffectOn());
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[2], std::make_pair(7, 1.0));

  SetParam(plug, 3, 0.5);
  EXPECT_FALSE(plug.IsCabinetOn());
  SetParam(plug, 3, 1.0);
  EXPECT_TRUE(plug.IsCabinetOn());
  EXPECT_EQ(calls.size(), 3u); // the cabinet has no lamp

  // Out-of-list indices are ignored.
  plug.OnParamChange(4);
  plug.OnParamChange(-1);
  EXPECT_EQ(calls.size(), 3u);

  // Without an editor the lamp call goes nowhere.
  Brindle bare(Info());
  SetParam(bare, 2, 0.0);
  EXPECT_FALSE(bare.IsEffectOn());
}

TEST(BrindleSetup, InitDesignsFiltersAndNoiseFromTheSharedGenerator)
{
  const std::uint32_t before = rand_state;
  Brindle first(Info());
  std::vector<double> expected(kBrindleNoiseTableSize);
  rand_state = before;
  BrindleFillNoiseTable(expected.data());
  EXPECT_EQ(0, std::memcmp(expected.data(), first.GetNoiseTable(), expected.size() * sizeof(double)));
  EXPECT_EQ(first.GetFilterSampleRate(), 44100.0);
  EXPECT_NEAR(first.GetDSP().b0[2], 0.986349, 5e-7);

  // A second instance continues the generator, so its table differs.
  Brindle second(Info());
  EXPECT_NE(0, std::memcmp(first.GetNoiseTable(), second.GetNoiseTable(), expected.size() * sizeof(double)));

  // add_white_noise: from state 1 the first value is 1.25 x 2^-67.
  rand_state = 1;
  float x = 0.0f;
  Brindle::add_white_noise(x);
  EXPECT_EQ(x, std::ldexp(1.25f, -67));
  EXPECT_EQ(rand_state, 2124690u);
}

TEST(BrindleSetup, ResetClearsHistoriesAndRebuildsOnlyForANewRate)
{
  Brindle plug(Info());
  std::vector<double> in(300, 0.25), out0(300), out1(300);
  double* ins[2] = {in.data(), in.data()};
  double* outs[2] = {out0.data(), out1.data()};
  plug.ProcessDoubleReplacing(ins, outs, 300);
  const double noise0 = plug.GetNoiseTable()[100];
  const AuDSP designed = plug.GetDSP();
  ASSERT_NE(designed.y1[5], 0.0);

  // Same 44100: every history cleared, the design and the noise table kept.
  plug.Reset();
  for (int s = 0; s < AuDSP::kNumBiquads; ++s) {
    EXPECT_EQ(plug.GetDSP().x1[s], 0.0) << s;
    EXPECT_EQ(plug.GetDSP().x2[s], 0.0) << s;
    EXPECT_EQ(plug.GetDSP().y1[s], 0.0) << s;
    EXPECT_EQ(plug.GetDSP().y2[s], 0.0) << s;
    EXPECT_EQ(plug.GetDSP().b0[s], designed.b0[s]) << s;
    EXPECT_EQ(plug.GetDSP().a2[s], designed.a2[s]) << s;
  }
  EXPECT_EQ(plug.GetNoiseTable()[100], noise0);

  plug.SetSampleRate(48000.0);
  plug.Reset();
  EXPECT_EQ(plug.GetFilterSampleRate(), 48000.0);
  EXPECT_EQ(plug.GetDSP().y1[5], 0.0);
  EXPECT_NE(plug.GetNoiseTable()[100], noise0);
  AuDSP at48;
  BrindleDesignFilters(at48, 48000.0);
  EXPECT_EQ(plug.GetDSP().b0[7], at48.b0[7]);

  // A NaN rate counts as a change every time.
  plug.SetSampleRate(std::numeric_limits<double>::quiet_NaN());
  const double noise48 = plug.GetNoiseTable()[100];
  plug.Reset();
  const double noiseNaN = plug.GetNoiseTable()[100];
  EXPECT_NE(noiseNaN, noise48);
  plug.Reset();
  EXPECT_NE(plug.GetNoiseTable()[100], noiseNaN);
  // And a real rate afterwards recovers a working design.
  plug.SetSampleRate(44100.0);
  plug.Reset();
  plug.ProcessDoubleReplacing(ins, outs, 300);
  EXPECT_TRUE(std::isfinite(out0[299]));
}

TEST(BrindleProcess, StereoMonoAndEffectOffMatchTheChain)
{
  Brindle plug(Info());
  SetParam(plug, 0, 0.8);
  SetParam(plug, 1, 0.3);
  const int n = 1500;
  std::vector<double> left(n), right(n, 0.0), o0(n), o1(n);
  for (int i = 0; i < n; ++i) left[i] = 0.4 * std::sin(i * 0.05);

  for (int layout = 0; layout < 2; ++layout) {
    // Layout 0: mono host, the unconnected right input reads zeros. Layout 1: stereo.
    if (layout == 1)
      for (int i = 0; i < n; ++i) right[i] = 0.2 * std::cos(i * 0.031);
    AuDSP reference = plug.GetDSP();
    BrindleSettings st;
    st.outputGain = 3.2;
    st.drive = 1.5;
    st.attack = 0.3;
    std::vector<double> e0(n), e1(n);
    BrindleProcessPlain(reference, st, plug.GetNoiseTable(), {left.data(), right.data(), e0.data(), e1.data(), n});
    double* ins[2] = {left.data(), right.data()};
    double* outs[2] = {o0.data(), o1.data()};
    plug.ProcessDoubleReplacing(ins, outs, n);
    for (int i = 0; i < n; ++i) {
      ASSERT_TRUE(SameBits(o0[i], e0[i])) << layout << " " << i;
      ASSERT_TRUE(SameBits(o1[i], e0[i])) << layout << " " << i;
    }
  }

  // Through the base's single-precision path (a host's float buffers), the product renders into
  // the host's buffers itself: the result must be the double chain's, rounded as a cast rounds.
  {
    Brindle single(Info());
    single.SetBlockSize(n);
    single.SetInputChannelConnections(0, 2, true);
    single.SetOutputChannelConnections(0, 2, true);
    std::vector<float> fl(n), fr(n), f0(n), f1(n);
    std::vector<double> wl(n), wr(n), e0(n), e1(n);
    for (int i = 0; i < n; ++i) {
      wl[i] = fl[i] = static_cast<float>(left[i]);
      wr[i] = fr[i] = static_cast<float>(right[i]);
    }
    AuDSP reference = single.GetDSP();
    BrindleProcessPlain(reference, BrindleSettings{}, single.GetNoiseTable(),
                        {wl.data(), wr.data(), e0.data(), e1.data(), n});
    float* ins[2] = {fl.data(), fr.data()};
    float* outs[2] = {f0.data(), f1.data()};
    single.AttachInputBuffers(0, 2, ins, n);
    single.AttachOutputBuffers(0, 2, outs);
    single.ProcessBuffers(0.0f, n);
    for (int i = 0; i < n; ++i) {
      ASSERT_EQ(f0[i], static_cast<float>(e0[i])) << i;
      ASSERT_EQ(f1[i], static_cast<float>(e0[i])) << i;
    }
  }

  // "Effect" Off: both outputs are the plain sum, whatever the other settings; filters rest.
  SetParam(plug, 2, 0.0);
  SetParam(plug, 0, 1.0);
  const AuDSP before = plug.GetDSP();
  double* ins[2] = {left.data(), right.data()};
  double* outs[2] = {o0.data(), o1.data()};
  plug.ProcessDoubleReplacing(ins, outs, n);
  for (int i = 0; i < n; ++i) {
    ASSERT_EQ(o0[i], left[i] + right[i]);
    ASSERT_EQ(o1[i], left[i] + right[i]);
  }
  EXPECT_EQ(0, std::memcmp(&before, &plug.GetDSP(), sizeof(AuDSP)));

  // The per-sample stages of the class are the chain's.
  Brindle a(Info());
  AuDSP d = a.GetDSP();
  double y1, y2;
  a.DriveA(0.3, y1);
  BrindleDriveA(d, 2.5, 0.5, 2.0, 0.3, y2);
  EXPECT_TRUE(SameBits(y1, y2));
  a.Cab(y1, y1);
  BrindleCab(d, y2, y2);
  EXPECT_TRUE(SameBits(y1, y2));
}
