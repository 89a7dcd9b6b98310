#pragma once
// Shared pieces of the adapter tests: a small product class on IEffectAU whose
// processing is easy to compute by hand, and a fixture that registers it as a
// component and talks to it only through the Component Manager, as a host does.

#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/CoreServices.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "au/IEffectAU.h"

// 'aufx' 'tstA' 'Brtt'
constexpr OSType kTestType = 0x61756678;
constexpr OSType kTestSubType = 0x74737441;
constexpr OSType kTestMfr = 0x42727474;
constexpr int kTestVersion = 0x00010203;
constexpr int kTestLatency = 441;

// A preset name of exactly 63 bytes (the longest a state dictionary's name keeps).
extern const char* const kLongPresetName;

// Parameters: 0 "Gain" double 0..2 step 0.01, label "x", group "Main";
// 1 "Mode" enum of 3 with texts; 2 "Switch" bool, group "Main"; 3 "Count" int 0..10,
// group "Extra", not automatable; 4 "Trim" double -12..12 step 0.5, negated display.
// Processing: every output = (sum of inputs) * Gain, plus 0.5 * Switch.
class TestPlug : public IEffectAU
{
public:
  enum EParams { kGain = 0, kMode, kSwitch, kCount, kTrim, kNumParams };

  explicit TestPlug(IEffectInstanceInfo info = IEffectInstanceInfo{"org.brindle.test.au", "Test_View"});

  void Reset() override { ++mResets; }
  void OnParamChange(int idx) override
  {
    ++mParamChanges;
    mLastParamChange = idx;
  }
  void OnActivate(bool active) override
  {
    ++mActivations;
    mLastActive = active;
  }
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

  int mResets = 0;
  int mParamChanges = 0;
  int mLastParamChange = -1;
  int mActivations = 0;
  bool mLastActive = false;
  int mProcessCalls = 0;
  int mLastFrames = 0;
  bool mThrowInProcess = false;
};

IEffectAU* MakeTestPlug();

// Host side: registers TestPlug once and opens instances of it.
class AUHostTest : public ::testing::Test
{
protected:
  static Component TestComponent();

  void SetUp() override;
  void TearDown() override;

  // Opens one more instance; closed in TearDown unless closed before.
  AudioUnit Open();
  void Close(AudioUnit unit);
  TestPlug* Plug(AudioUnit unit) { return reinterpret_cast<TestPlug*>(GetComponentInstanceStorage(unit)); }

  OSStatus SetFormat(AudioUnit unit, AudioUnitScope scope, int nChannels, double rate = 44100.0, UInt32 flags = 0x29);
  OSStatus SetCallback(AudioUnit unit, AURenderCallback proc, void* refCon);
  OSStatus Render(AudioUnit unit, double sampleTime, UInt32 nFrames, AudioBufferList* list, UInt32 bus = 0);

  std::vector<AudioUnit> mUnits;
  AudioUnit mUnit = nullptr;
};

// A stereo (or mono) non-interleaved buffer list with its own storage.
struct HostBuffers
{
  explicit HostBuffers(int nChannels, int nFrames, bool withData = true);
  AudioBufferList* List() { return reinterpret_cast<AudioBufferList*>(mBytes.data()); }
  float* Channel(int c) { return static_cast<float*>(List()->mBuffers[c].mData); }

  std::vector<unsigned char> mBytes;
  std::vector<std::vector<float>> mData;
};

// A host render callback that writes ramps: channel c, frame i = (c + 1) * 0.01 * (i + 1)
// (+ 0.001 * the callback count), counting its calls.
struct RampSource
{
  static OSStatus Callback(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* ts, UInt32 bus,
                           UInt32 nFrames, AudioBufferList* list);
  static float Value(int channel, int frame) { return (channel + 1) * 0.01f * (frame + 1); }
  int mCalls = 0;
  UInt32 mLastBus = 99;
  UInt32 mLastBuffers = 0;
  OSStatus mResult = noErr;
};

// A time stamp carrying a valid sample time.
AudioTimeStamp SampleTimeStamp(double sampleTime);

// CFString to std::string.
std::string ToStd(CFStringRef str);
