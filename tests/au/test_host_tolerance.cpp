// What hosts hand over that the adapter takes safely: stream formats whose rate names no rate,
// buffer lists with more buffers than the bus has channels; and render notifiers changed while a
// render runs through fast dispatch on another thread.
#include "AUTestFixture.h"

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

namespace {
constexpr int kFrames = 64;

std::atomic<long> gNotifierCalls{0};
OSStatus CountingNotifier(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*)
{
  gNotifierCalls.fetch_add(1, std::memory_order_relaxed);
  return noErr;
}
OSStatus OtherNotifier(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*)
{
  return noErr;
}
} // namespace

class AUToleranceTest : public AUHostTest
{};

TEST_F(AUToleranceTest, StreamFormatRatesThatNameNoRateLeaveTheRate)
{
  const double inf = std::numeric_limits<double>::infinity();
  const struct
  {
    double rate;
    double after;
  } cases[] = {{std::nan(""), 44100.0}, {inf, 44100.0},  {-inf, 44100.0},
               {0.0, 44100.0},          {-1.0, 44100.0}, {48000.0, 48000.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rate);
    Plug(mUnit)->SetSampleRate(44100.0);
    for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output})
      EXPECT_EQ(SetFormat(mUnit, scope, 2, c.rate), noErr);
    EXPECT_EQ(Plug(mUnit)->GetSampleRate(), c.after);
    AudioStreamBasicDescription back{};
    UInt32 size = sizeof(back);
    ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &back, &size),
              noErr);
    EXPECT_EQ(back.mChannelsPerFrame, 2u);
    EXPECT_EQ(back.mSampleRate, c.after);
  }
}

TEST_F(AUToleranceTest, ExtraOutputBuffersWithHostMemoryAreLeftAlone)
{
  RampSource source;
  ASSERT_EQ(SetCallback(mUnit, RampSource::Callback, &source), noErr);
  ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
  enum Extra { kData, kNull, kShort };
  const struct
  {
    int buffers;
    Extra extra; // what the buffers past the bus's two channels carry
    OSStatus result;
  } cases[] = {{3, kData, noErr},
               {4, kData, noErr},
               {3, kShort, noErr}, // never written, so its size does not matter
               {3, kNull, kAudioUnitErr_InvalidPropertyValue},
               {8, kNull, kAudioUnitErr_InvalidPropertyValue}};
  double sampleTime = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.buffers << " buffers, extra " << c.extra);
    HostBuffers out(c.buffers, kFrames);
    for (int b = 2; b < c.buffers; ++b) {
      if (c.extra == kNull) out.List()->mBuffers[b].mData = nullptr;
      if (c.extra == kShort) out.List()->mBuffers[b].mDataByteSize = 4;
    }
    const int callsBefore = Plug(mUnit)->mProcessCalls;
    EXPECT_EQ(Render(mUnit, sampleTime, kFrames, out.List()), c.result);
    sampleTime += kFrames;
    EXPECT_EQ(Plug(mUnit)->mProcessCalls - callsBefore, c.result == noErr ? 1 : 0);
    for (int b = 0; b < c.buffers; ++b) {
      const bool written = c.result == noErr && b < 2;
      EXPECT_EQ(out.mData[static_cast<size_t>(b)][0] != -9.0f, written) << "buffer " << b;
      if (b >= 2 && c.extra == kNull) {
        EXPECT_EQ(out.List()->mBuffers[b].mData, nullptr);
      }
    }
  }
}

TEST_F(AUToleranceTest, NotifiersChangeWhileAFastDispatchRenderRuns)
{
  ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
  AudioUnitRenderProc render = nullptr;
  UInt32 size = sizeof(render);
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect,
                                 &render, &size),
            noErr);
  void* plug = Plug(mUnit);
  gNotifierCalls = 0;
  // No cap: far more notifiers than a host would ever add are all called.
  for (int i = 0; i < 300; ++i) ASSERT_EQ(AudioUnitAddRenderNotify(mUnit, CountingNotifier, nullptr), noErr);
  HostBuffers out(2, kFrames);
  AudioUnitRenderActionFlags flags = 0;
  AudioTimeStamp ts = SampleTimeStamp(0);
  ASSERT_EQ(render(plug, &flags, &ts, 0, kFrames, out.List()), noErr);
  EXPECT_EQ(gNotifierCalls.load(), 600);
  for (int i = 0; i < 300; ++i) AudioUnitRemoveRenderNotify(mUnit, CountingNotifier, nullptr);

  std::atomic<bool> running{true};
  std::thread renderer([&] {
    HostBuffers buffers(2, kFrames);
    double t = kFrames;
    while (running.load()) {
      AudioUnitRenderActionFlags f = 0;
      const AudioTimeStamp stamp = SampleTimeStamp(t);
      t += kFrames;
      if (render(plug, &f, &stamp, 0, kFrames, buffers.List()) != noErr) break;
    }
  });
  for (int i = 0; i < 2000; ++i) {
    AudioUnitAddRenderNotify(mUnit, i % 2 ? CountingNotifier : OtherNotifier, nullptr);
    if (i % 3 == 2) {
      AudioUnitRemoveRenderNotify(mUnit, CountingNotifier, nullptr);
      AudioUnitRemoveRenderNotify(mUnit, OtherNotifier, nullptr);
    }
  }
  running = false;
  renderer.join();
  // With no render running, the next change frees every replaced list.
  AudioUnitAddRenderNotify(mUnit, OtherNotifier, nullptr);
  EXPECT_EQ(Plug(mUnit)->RetiredNotifierLists(), 0u);
}

TEST_F(AUToleranceTest, StereoSetToMonoForgetsTheOldBuffersAndTheOldInput)
{
  RampSource source;
  ASSERT_EQ(SetCallback(mUnit, RampSource::Callback, &source), noErr);
  ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
  HostBuffers stereo(2, kFrames);
  ASSERT_EQ(Render(mUnit, 0, kFrames, stereo.List()), noErr);
  ASSERT_EQ(AudioUnitUninitialize(mUnit), noErr);
  ASSERT_EQ(SetFormat(mUnit, kAudioUnitScope_Input, 1), noErr);
  ASSERT_EQ(SetFormat(mUnit, kAudioUnitScope_Output, 1), noErr);
  ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
  for (auto& channel : stereo.mData) std::fill(channel.begin(), channel.end(), -9.0f);
  HostBuffers mono(1, kFrames);
  ASSERT_EQ(Render(mUnit, kFrames, kFrames, mono.List()), noErr);
  // The mono output holds the one input channel alone, and the stereo list of the past render is
  // not written to.
  const double gain = Plug(mUnit)->GetParam(TestPlug::kGain)->Value();
  for (int i = 0; i < kFrames; ++i)
    ASSERT_FLOAT_EQ(mono.Channel(0)[i], static_cast<float>(RampSource::Value(0, i) * gain)) << i;
  for (const auto& channel : stereo.mData)
    for (float v : channel) ASSERT_EQ(v, -9.0f);
}
