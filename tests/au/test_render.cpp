// Rendering: pulling input from a host callback and from an upstream unit, once per
// sample time; output buses and their channels; bypass; refusals; parameter calls.
#include "AUTestFixture.h"

#include <cmath>
#include <cstring>

namespace {
constexpr int kFrames = 64;

// Expected TestPlug output with Gain g and Switch s for the ramp input on n channels.
float Expected(int nInChannels, int frame, double gain, double sw)
{
  double sum = 0.0;
  for (int c = 0; c < nInChannels; ++c) sum += static_cast<double>(RampSource::Value(c, frame));
  return static_cast<float>(sum * gain + 0.5 * sw);
}

// A source unit whose entry cannot report a stream format.
ComponentResult MuteEntry(ComponentParameters* params, Handle)
{
  if (params->what == kComponentOpenSelect || params->what == kComponentCloseSelect) return noErr;
  return badComponentSelector;
}

// A source unit that answers a stream-format read with success but a size of 8
// bytes: only a sample rate is promised, whatever else lies in the buffer (here a
// format that would otherwise be accepted).
ComponentResult ShortFormatEntry(ComponentParameters* params, Handle)
{
  if (params->what == kComponentOpenSelect || params->what == kComponentCloseSelect) return noErr;
  if (params->what != kAudioUnitGetPropertySelect) return badComponentSelector;
  // Arguments (ID, scope, element, data, size) sit last to first.
  void* data = reinterpret_cast<void*>(params->params[1]);
  UInt32* pSize = reinterpret_cast<UInt32*>(params->params[0]);
  if (static_cast<AudioUnitPropertyID>(params->params[4]) != kAudioUnitProperty_StreamFormat)
    return badComponentSelector;
  AudioStreamBasicDescription format;
  MakeDefaultASBD(&format, 44100.0, 2, false);
  std::memcpy(data, &format, sizeof(format));
  *pSize = sizeof(Float64);
  return noErr;
}
} // namespace

class AURenderTest : public AUHostTest
{
protected:
  // Registers a source unit with the given entry, offers it as input 0's connection, and expects the
  // connection refused with the input left unconnected.
  void ExpectConnectionRefused(OSType subtype, ComponentRoutineUPP entry);
};

TEST_F(AURenderTest, HostCallbackInputIsProcessedOncePerSampleTime)
{
  RampSource source;
  ASSERT_EQ(SetCallback(mUnit, RampSource::Callback, &source), noErr);
  ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
  EXPECT_EQ(Plug(mUnit)->GetInputConnection(0)->mInputType, eRenderCallback);

  HostBuffers out(2, kFrames);
  ASSERT_EQ(Render(mUnit, 0, kFrames, out.List()), noErr);
  EXPECT_EQ(source.mCalls, 1);
  EXPECT_EQ(source.mLastBus, 0u);
  EXPECT_EQ(source.mLastBuffers, 2u); // channels assumed from the bus
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < kFrames; ++i) ASSERT_FLOAT_EQ(out.Channel(c)[i], Expected(2, i, 1.0, 0.0)) << i;

  // Same sample time again: no new pull, but the plug processes again.
  ASSERT_EQ(Render(mUnit, 0, kFrames, out.List()), noErr);
  EXPECT_EQ(source.mCalls, 1);
  EXPECT_EQ(Plug(mUnit)->mProcessCalls, 2);
  ASSERT_EQ(Render(mUnit, kFrames, kFrames, out.List()), noErr);
  EXPECT_EQ(source.mCalls, 2);

  // A pull error comes back unchanged and nothing is processed.
  source.mResult = -1234;
  EXPECT_EQ(Render(mUnit, 2 * kFrames, kFrames, out.List()), -1234);
  EXPECT_EQ(Plug(mUnit)->mProcessCalls, 3);

  // Removing the callback disconnects the bus: silence in.
  ASSERT_EQ(SetCallback(mUnit, nullptr, nullptr), noErr);
  EXPECT_EQ(Plug(mUnit)->GetInputConnection(0)->mInputType, eNotConnected);
}

TEST_F(AURenderTest, MonoInputAndMonoOutput)
{
  RampSource source;
  ASSERT_EQ(SetFormat(mUnit, kAudioUnitScope_Input, 1), noErr);
  ASSERT_EQ(SetFormat(mUnit, kAudioUnitScope_Output, 1), noErr);
  ASSERT_EQ(SetCallback(mUnit, RampSource::Callback, &source), noErr);
  ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
  AudioUnitSetParameter(mUnit, TestPlug::kSwitch, kAudioUnitScope_Global, 0, 1.0f, 0);

  HostBuffers out(1, kFrames);
  ASSERT_EQ(Render(mUnit, 0, kFrames, out.List()), noErr);
  EXPECT_EQ(source.mLastBuffers, 1u);
  // The second input reads silence: only channel 0's ramp is summed.
  for (int i = 0; i < kFrames; ++i) ASSERT_FLOAT_EQ(out.Channel(0)[i], Expected(1, i, 1.0, 1.0));
  TestPlug* plug = Plug(mUnit);
  EXPECT_TRUE(plug->IsInChannelConnected(0));
  EXPECT_FALSE(plug->IsInChannelConnected(1));
  EXPECT_TRUE(plug->IsOutChannelConnected(0));
  EXPECT_FALSE(plug->IsOutChannelConnected(1));
}

TEST_F(AURenderTest, OutputConnectionsFollowTheBufferCountWithoutAFormat)
{
  // No format is ever set: each render connects as many channels as it brings buffers, and a
  // render with the same count as the one before leaves the connections as they are.
  RampSource source;
  ASSERT_EQ(SetCallback(mUnit, RampSource::Callback, &source), noErr);
  ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
  TestPlug* plug = Plug(mUnit);
  const int counts[] = {2, 2, 1, 1, 2, 1, 2};
  double sampleTime = 0;
  for (int n : counts) {
    HostBuffers out(n, kFrames);
    ASSERT_EQ(Render(mUnit, sampleTime, kFrames, out.List()), noErr) << n;
    sampleTime += kFrames;
    EXPECT_TRUE(plug->IsOutChannelConnected(0)) << n;
    EXPECT_EQ(plug->IsOutChannelConnected(1), n == 2) << n;
    for (int c = 0; c < n; ++c)
      ASSERT_FLOAT_EQ(out.Channel(c)[kFrames - 1], Expected(2, kFrames - 1, 1.0, 0.0)) << n << " " << c;
  }
}

TEST_F(AURenderTest, NullOutputBuffersGetScratchMemory)
{
  HostBuffers out(2, kFrames, false);
  ASSERT_EQ(Render(mUnit, 0, kFrames, out.List()), noErr);
  for (int c = 0; c < 2; ++c) {
    ASSERT_NE(out.List()->mBuffers[c].mData, nullptr);
    EXPECT_EQ(out.List()->mBuffers[c].mDataByteSize, kFrames * sizeof(float));
    EXPECT_FLOAT_EQ(out.Channel(c)[kFrames - 1], 0.0f); // no input: 0 * gain
  }
}

TEST_F(AURenderTest, BypassPassesInputThrough)
{
  RampSource source;
  ASSERT_EQ(SetCallback(mUnit, RampSource::Callback, &source), noErr);
  const UInt32 on = 1;
  TestPlug* plug = Plug(mUnit);
  const int resets = plug->mResets;
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &on, 4), noErr);
  EXPECT_FALSE(plug->mLastActive);
  EXPECT_EQ(plug->mResets, resets + 1);
  UInt32 bypassed = 0, size = 4;
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &bypassed, &size),
            noErr);
  EXPECT_EQ(bypassed, 1u);

  HostBuffers out(2, kFrames);
  ASSERT_EQ(Render(mUnit, 0, kFrames, out.List()), noErr);
  EXPECT_EQ(plug->mProcessCalls, 0);
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < kFrames; ++i) ASSERT_FLOAT_EQ(out.Channel(c)[i], RampSource::Value(c, i));
}

TEST_F(AURenderTest, RefusedRendersTouchNothing)
{
  HostBuffers out(2, kFrames);
  AudioUnitRenderActionFlags flags = 0;
  AudioTimeStamp noSampleTime = SampleTimeStamp(0);
  noSampleTime.mFlags = kAudioTimeStampHostTimeValid;
  EXPECT_EQ(AudioUnitRender(mUnit, &flags, &noSampleTime, 0, kFrames, out.List()), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(Render(mUnit, 0, kFrames, out.List(), 1), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(Render(mUnit, 0, 1025, out.List()), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(Render(mUnit, 0, kFrames, nullptr), kAudioUnitErr_InvalidPropertyValue);
  HostBuffers three(3, kFrames);
  three.List()->mBuffers[2].mData = nullptr; // an extra buffer without memory
  EXPECT_EQ(Render(mUnit, 0, kFrames, three.List()), kAudioUnitErr_InvalidPropertyValue);
  out.List()->mBuffers[1].mDataByteSize = 4 * (kFrames - 1);
  EXPECT_EQ(Render(mUnit, 0, kFrames, out.List()), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(Plug(mUnit)->mProcessCalls, 0);
  EXPECT_FLOAT_EQ(out.Channel(0)[0], -9.0f);

  // Exactly the block size is fine.
  HostBuffers full(2, 1024);
  EXPECT_EQ(Render(mUnit, 0, 1024, full.List()), noErr);
  EXPECT_EQ(Plug(mUnit)->mLastFrames, 1024);

  // An exception in the product's processing becomes a status code.
  Plug(mUnit)->mThrowInProcess = true;
  EXPECT_EQ(Render(mUnit, 4096, kFrames, out.List()), kAudioUnitErr_InvalidPropertyValue);
  out.List()->mBuffers[1].mDataByteSize = 4 * kFrames;
  EXPECT_EQ(Render(mUnit, 4096, kFrames, out.List()), kAudioUnitErr_CannotDoInCurrentContext);
}

TEST_F(AURenderTest, TwoInstancesChained)
{
  // Host ramp -> A (Gain 0.5) -> B (Gain 2, Switch on); B pulls A through A's fast render.
  AudioUnit a = mUnit;
  AudioUnit b = Open();
  ASSERT_NE(b, nullptr);
  RampSource source;
  ASSERT_EQ(SetCallback(a, RampSource::Callback, &source), noErr);
  AudioUnitSetParameter(a, TestPlug::kGain, kAudioUnitScope_Global, 0, 0.5f, 0);
  AudioUnitSetParameter(b, TestPlug::kGain, kAudioUnitScope_Global, 0, 2.0f, 0);
  AudioUnitSetParameter(b, TestPlug::kSwitch, kAudioUnitScope_Global, 0, 1.0f, 0);

  AudioUnitConnection conn = {a, 0, 0};
  ASSERT_EQ(AudioUnitSetProperty(b, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, &conn, sizeof(conn)),
            noErr);
  const IEffectAU::InputBusConnection* c = Plug(b)->GetInputConnection(0);
  EXPECT_EQ(c->mInputType, eDirectFastProc);
  EXPECT_EQ(c->mSourceUnit, a);
  EXPECT_EQ(c->mSourcePlug, static_cast<void*>(Plug(a)));
  ASSERT_EQ(AudioUnitInitialize(a), noErr);
  ASSERT_EQ(AudioUnitInitialize(b), noErr);

  HostBuffers out(2, kFrames);
  ASSERT_EQ(Render(b, 0, kFrames, out.List()), noErr);
  for (int i = 0; i < kFrames; ++i) {
    // A writes the same value v to both channels; B sums them: 2v * 2 + 0.5.
    const double v = static_cast<double>(Expected(2, i, 0.5, 0.0));
    const float want = static_cast<float>(2.0 * static_cast<double>(static_cast<float>(v)) * 2.0 + 0.5);
    ASSERT_NEAR(out.Channel(0)[i], want, 1e-6f) << i;
    ASSERT_FLOAT_EQ(out.Channel(1)[i], out.Channel(0)[i]);
  }
  EXPECT_EQ(source.mCalls, 1);
  EXPECT_EQ(Plug(a)->mProcessCalls, 1);

  // Disconnecting (null source) is accepted and leaves the bus unconnected.
  AudioUnitConnection none = {nullptr, 0, 0};
  ASSERT_EQ(AudioUnitSetProperty(b, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Global, 0, &none, sizeof(none)),
            noErr);
  EXPECT_EQ(Plug(b)->GetInputConnection(0)->mInputType, eNotConnected);
  AudioUnitConnection badDest = {a, 0, 1};
  EXPECT_EQ(
      AudioUnitSetProperty(b, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, &badDest, sizeof(badDest)),
      kAudioUnitErr_InvalidProperty);
}

void AURenderTest::ExpectConnectionRefused(OSType subtype, ComponentRoutineUPP entry)
{
  ComponentDescription cd = {kTestType, subtype, kTestMfr, 0, 0};
  Component sourceComponent = RegisterComponent(&cd, entry, 0, nullptr, nullptr, nullptr);
  ASSERT_NE(sourceComponent, nullptr);
  ComponentInstance source = nullptr;
  ASSERT_EQ(OpenAComponent(sourceComponent, &source), noErr);
  AudioUnitConnection conn = {source, 0, 0};
  EXPECT_EQ(
      AudioUnitSetProperty(mUnit, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, &conn, sizeof(conn)),
      kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Plug(mUnit)->GetInputConnection(0)->mInputType, eNotConnected);
  CloseComponent(source);
  UnregisterComponent(sourceComponent);
}

TEST_F(AURenderTest, ConnectionToASourceWithoutFormatIsRefused)
{
  ExpectConnectionRefused(0x6D757465 /* 'mute' */, MuteEntry);
}

TEST_F(AURenderTest, ParameterCallsClampAndCheckScopeAndIds)
{
  TestPlug* plug = Plug(mUnit);
  ASSERT_EQ(AudioUnitSetParameter(mUnit, TestPlug::kTrim, kAudioUnitScope_Global, 0, -40.0f, 0), noErr);
  AudioUnitParameterValue v = 0;
  ASSERT_EQ(AudioUnitGetParameter(mUnit, TestPlug::kTrim, kAudioUnitScope_Global, 0, &v), noErr);
  EXPECT_FLOAT_EQ(v, -12.0f);
  EXPECT_EQ(plug->mLastParamChange, TestPlug::kTrim);
  // Not rounded to the step: 0.7 stays 0.7 on an enum.
  ASSERT_EQ(AudioUnitSetParameter(mUnit, TestPlug::kMode, kAudioUnitScope_Global, 0, 0.7f, 0), noErr);
  ASSERT_EQ(AudioUnitGetParameter(mUnit, TestPlug::kMode, kAudioUnitScope_Global, 0, &v), noErr);
  EXPECT_FLOAT_EQ(v, 0.7f);

  EXPECT_EQ(AudioUnitSetParameter(mUnit, TestPlug::kTrim, kAudioUnitScope_Input, 0, 1.0f, 0),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitGetParameter(mUnit, TestPlug::kTrim, kAudioUnitScope_Output, 0, &v),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitSetParameter(mUnit, TestPlug::kNumParams, kAudioUnitScope_Global, 0, 1.0f, 0),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitGetParameter(mUnit, 0xFFFFFFFFu, kAudioUnitScope_Global, 0, &v), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitSetParameter(mUnit, TestPlug::kGain, kAudioUnitScope_Global, 0, std::nanf(""), 0),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(AudioUnitGetParameter(mUnit, TestPlug::kGain, kAudioUnitScope_Global, 0, nullptr), paramErr);
}

TEST_F(AURenderTest, ConnectionToASourceWithAPartialFormatIsRefused)
{
  ExpectConnectionRefused(0x73686f72 /* 'shor' */, ShortFormatEntry);
}
