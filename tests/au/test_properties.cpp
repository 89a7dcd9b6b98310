// Property reads and writes through AudioUnitGetProperty / AudioUnitSetProperty.
#include "AUTestFixture.h"

#include <cmath>

namespace {
template <typename T>
OSStatus Get(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, T* value,
             UInt32* pSize = nullptr)
{
  UInt32 size = sizeof(T);
  const OSStatus r = AudioUnitGetProperty(unit, id, scope, element, value, &size);
  if (pSize) *pSize = size;
  return r;
}

OSStatus Info(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, UInt32* size,
              Boolean* writable)
{
  return AudioUnitGetPropertyInfo(unit, id, scope, element, size, writable);
}

constexpr AudioUnitScope kGlobal = kAudioUnitScope_Global;
constexpr AudioUnitScope kIn = kAudioUnitScope_Input;
constexpr AudioUnitScope kOut = kAudioUnitScope_Output;
} // namespace

using AUPropertyTest = AUHostTest;

TEST_F(AUPropertyTest, InfoCallsReportSizesAndWritability)
{
  struct Row
  {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    AudioUnitElement element;
    UInt32 size;
    bool writable;
  };
  const Row rows[] = {
      {kAudioUnitProperty_ClassInfo, kGlobal, 0, 8, true},
      {kAudioUnitProperty_MakeConnection, kIn, 0, 16, true},
      {kAudioUnitProperty_SampleRate, kOut, 0, 8, true},
      {kAudioUnitProperty_ParameterList, kGlobal, 0, 4 * TestPlug::kNumParams, false},
      {kAudioUnitProperty_ParameterList, kIn, 0, 0, false},
      {kAudioUnitProperty_ParameterInfo, kGlobal, 4, 104, false},
      {kAudioUnitProperty_FastDispatch, kGlobal, kAudioUnitRenderSelect, 8, false},
      {kAudioUnitProperty_StreamFormat, kIn, 0, 40, true},
      {kAudioUnitProperty_ElementCount, kIn, 0, 4, false},
      {kAudioUnitProperty_Latency, kGlobal, 0, 8, false},
      {kAudioUnitProperty_SupportedNumChannels, kGlobal, 0, 8, false},
      {kAudioUnitProperty_MaximumFramesPerSlice, kGlobal, 0, 4, true},
      {kAudioUnitProperty_ParameterValueStrings, kGlobal, TestPlug::kMode, 8, false},
      {kAudioUnitProperty_TailTime, kGlobal, 0, 8, false},
      {kAudioUnitProperty_BypassEffect, kGlobal, 0, 4, true},
      {kAudioUnitProperty_LastRenderError, kGlobal, 0, 4, false},
      {kAudioUnitProperty_SetRenderCallback, kIn, 0, 16, true},
      {kAudioUnitProperty_FactoryPresets, kOut, 0, 8, false},
      {kAudioUnitProperty_HostCallbacks, kGlobal, 0, 32, true},
      {kAudioUnitProperty_CurrentPreset, kGlobal, 0, 16, true},
      {kAudioUnitProperty_PresentPreset, kGlobal, 0, 16, true},
      {kAudioUnitProperty_ParameterStringFromValue, kGlobal, 0, 24, false},
      {kAudioUnitProperty_ParameterIDName, kGlobal, 0, 16, false},
      {kAudioUnitProperty_ParameterClumpName, kGlobal, 0, 16, false},
      {kAudioUnitProperty_ParameterValueFromString, kGlobal, 0, 24, false},
  };
  for (const Row& row : rows) {
    UInt32 size = 12345;
    Boolean writable = 7;
    EXPECT_EQ(Info(mUnit, row.id, row.scope, row.element, &size, &writable), noErr) << row.id;
    EXPECT_EQ(size, row.size) << row.id;
    EXPECT_EQ(writable != 0, row.writable) << row.id;
  }
  // The dispatcher supplies its own locals for missing out-arguments.
  EXPECT_EQ(Info(mUnit, kAudioUnitProperty_SampleRate, kGlobal, 0, nullptr, nullptr), noErr);
}

TEST_F(AUPropertyTest, RefusedReadsAndUnknownProperties)
{
  UInt32 size = 0;
  Boolean writable = false;
  struct Row
  {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    AudioUnitElement element;
    OSStatus result;
  };
  const Row rows[] = {
      {kAudioUnitProperty_MakeConnection, kOut, 0, kAudioUnitErr_InvalidProperty},
      {kAudioUnitProperty_ParameterInfo, kIn, 0, kAudioUnitErr_InvalidProperty},
      {kAudioUnitProperty_ParameterInfo, kGlobal, TestPlug::kNumParams, kAudioUnitErr_InvalidElement},
      {kAudioUnitProperty_FastDispatch, kGlobal, kAudioUnitResetSelect, kAudioUnitErr_InvalidElement},
      {kAudioUnitProperty_StreamFormat, kIn, 1, kAudioUnitErr_InvalidProperty},
      {kAudioUnitProperty_StreamFormat, kAudioUnitScope_Group, 0, kAudioUnitErr_InvalidProperty},
      {kAudioUnitProperty_Latency, kIn, 0, kAudioUnitErr_InvalidProperty},
      {kAudioUnitProperty_ParameterValueStrings, kGlobal, TestPlug::kGain, kAudioUnitErr_InvalidProperty},
      {kAudioUnitProperty_ParameterValueStrings, kGlobal, 99, kAudioUnitErr_InvalidElement},
      {kAudioUnitProperty_GetUIComponentList, kGlobal, 0, kAudioUnitErr_InvalidProperty},
      {kAudioUnitProperty_AudioChannelLayout, kOut, 0, kAudioUnitErr_InvalidPropertyValue},
      {kAudioUnitProperty_SetRenderCallback, kIn, 1, kAudioUnitErr_InvalidProperty},
      {kAudioUnitProperty_SetRenderCallback, kOut, 0, kAudioUnitErr_InvalidProperty},
      {kAudioUnitProperty_HostCallbacks, kIn, 0, kAudioUnitErr_InvalidProperty},
      {kAudioUnitProperty_ElementName, kOut, 0, kAudioUnitErr_InvalidProperty}, // info call
      {kAudioUnitProperty_CocoaUI, kGlobal, 0, kAudioUnitErr_InvalidProperty},  // no editor
      {kAudioUnitProperty_SupportedChannelLayoutTags, kOut, 0, kAudioUnitErr_InvalidProperty},
      {kMusicDeviceProperty_InstrumentCount, kGlobal, 0, kAudioUnitErr_InvalidProperty},
      {6 /* CPU load */, kGlobal, 0, kAudioUnitErr_InvalidProperty},
      {kAudioUnitProperty_OfflineRender, kGlobal, 0, kAudioUnitErr_InvalidProperty},
      {kAudioUnitProperty_AUHostIdentifier, kGlobal, 0, kAudioUnitErr_InvalidProperty},
      {39, kGlobal, 0, kAudioUnitErr_InvalidProperty},
      {999, kGlobal, 0, kAudioUnitErr_InvalidProperty},
  };
  for (const Row& row : rows)
    EXPECT_EQ(Info(mUnit, row.id, row.scope, row.element, &size, &writable), row.result) << row.id;

  // A buffer smaller than the property is refused and left alone.
  Float64 rate = 0;
  UInt32 small = 4;
  EXPECT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_SampleRate, kGlobal, 0, &rate, &small),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(rate, 0.0);
  EXPECT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_SampleRate, kGlobal, 0, &rate, nullptr),
            kAudioUnitErr_InvalidPropertyValue);
}

TEST_F(AUPropertyTest, ParameterListAndInfo)
{
  AudioUnitParameterID ids[TestPlug::kNumParams] = {};
  UInt32 size = sizeof(ids);
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterList, kGlobal, 0, ids, &size), noErr);
  for (int i = 0; i < TestPlug::kNumParams; ++i) EXPECT_EQ(ids[i], static_cast<UInt32>(i));

  Plug(mUnit)->GetParam(TestPlug::kGain)->Set(1.25);
  AudioUnitParameterInfo info[TestPlug::kNumParams];
  for (int i = 0; i < TestPlug::kNumParams; ++i)
    ASSERT_EQ(Get(mUnit, kAudioUnitProperty_ParameterInfo, kGlobal, i, &info[i]), noErr);

  // Gain: custom unit "x", bounds, the current value as default, clump 1 ("Main").
  EXPECT_EQ(info[0].flags, 0xF8000010u | kAudioUnitParameterFlag_HasClump);
  EXPECT_STREQ(info[0].name, "Gain");
  EXPECT_EQ(ToStd(info[0].cfNameString), "Gain");
  EXPECT_EQ(info[0].unit, static_cast<UInt32>(kAudioUnitParameterUnit_CustomUnit));
  EXPECT_EQ(ToStd(info[0].unitName), "x");
  EXPECT_FLOAT_EQ(info[0].minValue, 0.0f);
  EXPECT_FLOAT_EQ(info[0].maxValue, 2.0f);
  EXPECT_FLOAT_EQ(info[0].defaultValue, 1.25f);
  EXPECT_EQ(info[0].clumpID, 1u);
  // Mode: enum -> indexed, no group, no clump.
  EXPECT_EQ(info[1].unit, static_cast<UInt32>(kAudioUnitParameterUnit_Indexed));
  EXPECT_EQ(info[1].flags, 0xF8000010u);
  EXPECT_EQ(info[1].unitName, nullptr);
  // Switch: boolean, same group as Gain -> same clump.
  EXPECT_EQ(info[2].unit, static_cast<UInt32>(kAudioUnitParameterUnit_Boolean));
  EXPECT_EQ(info[2].clumpID, 1u);
  // Count: int, not automatable, second group -> clump 2.
  EXPECT_EQ(info[3].unit, static_cast<UInt32>(kAudioUnitParameterUnit_Indexed));
  EXPECT_EQ(info[3].flags, 0x78000010u | kAudioUnitParameterFlag_HasClump);
  EXPECT_EQ(info[3].clumpID, 2u);
  // Asking again does not add groups.
  AudioUnitParameterInfo again;
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_ParameterInfo, kGlobal, 3, &again), noErr);
  EXPECT_EQ(again.clumpID, 2u);

  for (AudioUnitParameterInfo& i : info) {
    CFRelease(i.cfNameString);
    if (i.unitName) CFRelease(i.unitName);
  }
  CFRelease(again.cfNameString);

  AudioUnitParameterNameInfo clump = {2, kAudioUnitParameterName_Full, nullptr};
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_ParameterClumpName, kGlobal, 0, &clump), noErr);
  EXPECT_EQ(ToStd(clump.outName), "Extra");
  CFRelease(clump.outName);
  clump.inID = 0;
  EXPECT_EQ(Get(mUnit, kAudioUnitProperty_ParameterClumpName, kGlobal, 0, &clump), kAudioUnitErr_PropertyNotInUse);
  clump.inID = 3;
  EXPECT_EQ(Get(mUnit, kAudioUnitProperty_ParameterClumpName, kGlobal, 0, &clump), kAudioUnitErr_PropertyNotInUse);
}

TEST_F(AUPropertyTest, ParameterTexts)
{
  // Value to string: table texts, numbers with the step's decimals, negated display.
  struct Case
  {
    AudioUnitParameterID id;
    float value;
    const char* text;
  };
  const Case cases[] = {{TestPlug::kMode, 1.0f, "hard"},
                        {TestPlug::kMode, 2.9f, "broken"},
                        {TestPlug::kGain, 0.5f, "0.50"},
                        {TestPlug::kTrim, 3.0f, "-3.0"},
                        {TestPlug::kCount, 7.0f, "7"}};
  for (const Case& c : cases) {
    AudioUnitParameterStringFromValue sfv = {c.id, &c.value, nullptr};
    ASSERT_EQ(Get(mUnit, kAudioUnitProperty_ParameterStringFromValue, kGlobal, 0, &sfv), noErr);
    EXPECT_EQ(ToStd(sfv.outString), c.text);
    CFRelease(sfv.outString);
  }
  const float one = 1.0f;
  AudioUnitParameterStringFromValue bad = {TestPlug::kNumParams, &one, nullptr};
  EXPECT_EQ(Get(mUnit, kAudioUnitProperty_ParameterStringFromValue, kGlobal, 0, &bad), kAudioUnitErr_InvalidElement);
  // Outside the global scope nothing is filled.
  AudioUnitParameterStringFromValue untouched = {TestPlug::kMode, &one, nullptr};
  EXPECT_EQ(Get(mUnit, kAudioUnitProperty_ParameterStringFromValue, kIn, 0, &untouched), noErr);
  EXPECT_EQ(untouched.outString, nullptr);

  // ID names: cut to the desired length, never beyond 31 characters.
  const std::pair<SInt32, std::string> lengths[] = {{5, "Switc"}, {40, "Switch"}, {-1, "Switch"}, {0, ""}};
  for (const auto& l : lengths) {
    AudioUnitParameterIDName name = {TestPlug::kSwitch, l.first, nullptr};
    ASSERT_EQ(Get(mUnit, kAudioUnitProperty_ParameterIDName, kGlobal, 0, &name), noErr);
    EXPECT_EQ(ToStd(name.outName), l.second);
    CFRelease(name.outName);
  }
  AudioUnitParameterIDName badName = {77, -1, nullptr};
  EXPECT_EQ(Get(mUnit, kAudioUnitProperty_ParameterIDName, kGlobal, 0, &badName), kAudioUnitErr_InvalidElement);

  // String to value: numbers (negated for a negated display) and table texts.
  struct Parse
  {
    AudioUnitParameterID id;
    const char* text;
    float before;
    float after;
  };
  const Parse parses[] = {{TestPlug::kGain, "1.75", 0.0f, 1.75f},
                          {TestPlug::kTrim, "4.5", 0.0f, -4.5f},
                          {TestPlug::kMode, "broken", 0.0f, 2.0f},
                          {TestPlug::kMode, "Broken", 9.0f, 9.0f}};
  for (const Parse& p : parses) {
    CFStringRef text = CFStringCreateWithCString(nullptr, p.text, kCFStringEncodingUTF8);
    AudioUnitParameterValueFromString vfs = {p.id, text, p.before};
    EXPECT_EQ(Get(mUnit, kAudioUnitProperty_ParameterValueFromString, kGlobal, 0, &vfs), noErr);
    EXPECT_FLOAT_EQ(vfs.outValue, p.after) << p.text;
    CFRelease(text);
  }

  // Value strings of an enum: its table in order.
  CFArrayRef strings = nullptr;
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_ParameterValueStrings, kGlobal, TestPlug::kMode, &strings), noErr);
  ASSERT_EQ(CFArrayGetCount(strings), 3);
  EXPECT_EQ(ToStd(static_cast<CFStringRef>(CFArrayGetValueAtIndex(strings, 2))), "broken");
  CFRelease(strings);
}

TEST_F(AUPropertyTest, FormatsCountsAndTimes)
{
  AudioStreamBasicDescription f;
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_StreamFormat, kOut, 0, &f), noErr);
  EXPECT_EQ(f.mSampleRate, 44100.0);
  EXPECT_EQ(f.mFormatID, static_cast<UInt32>(kAudioFormatLinearPCM));
  EXPECT_EQ(f.mFormatFlags, 0x29u);
  EXPECT_EQ(f.mBytesPerPacket, 4u);
  EXPECT_EQ(f.mBytesPerFrame, 4u);
  EXPECT_EQ(f.mFramesPerPacket, 1u);
  EXPECT_EQ(f.mChannelsPerFrame, 2u);
  EXPECT_EQ(f.mBitsPerChannel, 32u);

  UInt32 n = 0;
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_ElementCount, kGlobal, 0, &n), noErr);
  EXPECT_EQ(n, 1u);
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_ElementCount, kIn, 0, &n), noErr);
  EXPECT_EQ(n, 1u);
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Part, 0, &n), noErr);
  EXPECT_EQ(n, 0u);

  Float64 seconds = 0;
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_Latency, kGlobal, 0, &seconds), noErr);
  EXPECT_DOUBLE_EQ(seconds, 0.01);
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_TailTime, kGlobal, 0, &seconds), noErr);
  EXPECT_DOUBLE_EQ(seconds, 0.01);

  AUChannelInfo io[2];
  UInt32 size = 0;
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_SupportedNumChannels, kGlobal, 0, &io, &size), noErr);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(io[0].inChannels, 1);
  EXPECT_EQ(io[0].outChannels, 1);
  EXPECT_EQ(io[1].inChannels, 2);
  EXPECT_EQ(io[1].outChannels, 2);

  UInt32 frames = 0;
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_MaximumFramesPerSlice, kGlobal, 0, &frames), noErr);
  EXPECT_EQ(frames, 1024u);
  frames = 256;
  const int resets = Plug(mUnit)->mResets;
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_MaximumFramesPerSlice, kGlobal, 0, &frames, 4), noErr);
  EXPECT_EQ(Plug(mUnit)->GetBlockSize(), 256);
  EXPECT_EQ(Plug(mUnit)->mResets, resets + 1);
  frames = 0x80000000u;
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_MaximumFramesPerSlice, kGlobal, 0, &frames, 4),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(Plug(mUnit)->GetBlockSize(), 256);

  OSStatus lastError = 5;
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_LastRenderError, kGlobal, 0, &lastError), noErr);
  EXPECT_EQ(lastError, 0);
}

TEST_F(AUPropertyTest, ElementNames)
{
  CFStringRef name = nullptr;
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_ElementName, kOut, 0, &name), noErr);
  EXPECT_EQ(ToStd(name), "output");
  CFRelease(name);
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_ElementName, kIn, 0, &name), noErr);
  EXPECT_EQ(ToStd(name), "input");
  CFRelease(name);
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_ElementName, kIn, 1, &name), noErr);
  EXPECT_EQ(ToStd(name), "aux input");
  CFRelease(name);
  EXPECT_EQ(Get(mUnit, kAudioUnitProperty_ElementName, kIn, 2, &name), kAudioUnitErr_InvalidElement);
  EXPECT_EQ(Get(mUnit, kAudioUnitProperty_ElementName, kOut, 1, &name), kAudioUnitErr_InvalidElement);
  EXPECT_EQ(Get(mUnit, kAudioUnitProperty_ElementName, kGlobal, 0, &name), kAudioUnitErr_InvalidScope);
}

TEST_F(AUPropertyTest, FastDispatchHandsOutWorkingFunctions)
{
  AudioUnitGetParameterProc getProc = nullptr;
  AudioUnitSetParameterProc setProc = nullptr;
  AudioUnitRenderProc renderProc = nullptr;
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_FastDispatch, kGlobal, kAudioUnitGetParameterSelect, &getProc), noErr);
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_FastDispatch, kGlobal, kAudioUnitSetParameterSelect, &setProc), noErr);
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_FastDispatch, kGlobal, kAudioUnitRenderSelect, &renderProc), noErr);
  void* storage = GetComponentInstanceStorage(mUnit);

  ASSERT_EQ(setProc(storage, TestPlug::kGain, kGlobal, 0, 5.0f, 0), noErr);
  AudioUnitParameterValue v = 0;
  ASSERT_EQ(getProc(storage, TestPlug::kGain, kGlobal, 0, &v), noErr);
  EXPECT_FLOAT_EQ(v, 2.0f); // clamped to the maximum
  EXPECT_EQ(Plug(mUnit)->mLastParamChange, TestPlug::kGain);

  HostBuffers out(2, 8);
  AudioUnitRenderActionFlags flags = 0;
  const AudioTimeStamp ts = SampleTimeStamp(0);
  ASSERT_EQ(renderProc(storage, &flags, &ts, 0, 8, out.List()), noErr);
  EXPECT_EQ(Plug(mUnit)->mProcessCalls, 1);
}

TEST_F(AUPropertyTest, PresetsAndHostIdentity)
{
  AUPreset preset = {-1, nullptr};
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_PresentPreset, kGlobal, 0, &preset), noErr);
  EXPECT_EQ(preset.presetNumber, 0);
  EXPECT_EQ(ToStd(preset.presetName), "Init");
  CFRelease(preset.presetName);

  // Selecting preset 1 loads its state (Gain 0.5 when it was made).
  AUPreset select = {1, nullptr};
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_CurrentPreset, kGlobal, 0, &select, sizeof(select)), noErr);
  EXPECT_EQ(Plug(mUnit)->GetCurrentPresetIdx(), 1);
  EXPECT_DOUBLE_EQ(Plug(mUnit)->GetParam(TestPlug::kGain)->mValue, 0.5);
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_CurrentPreset, kGlobal, 0, &preset), noErr);
  EXPECT_EQ(preset.presetNumber, 1);
  EXPECT_EQ(ToStd(preset.presetName), kLongPresetName);
  CFRelease(preset.presetName);
  // A preset number outside the list is answered with noErr and changes nothing.
  select.presetNumber = 7;
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_PresentPreset, kGlobal, 0, &select, sizeof(select)), noErr);
  EXPECT_EQ(Plug(mUnit)->GetCurrentPresetIdx(), 1);

  // Host identifier: version 2.3.1 -> 0x00020301; "Logic Pro" is Logic.
  AUHostIdentifier id;
  id.hostName = CFStringCreateWithCString(nullptr, "Logic Pro", kCFStringEncodingUTF8);
  id.hostVersion = {0, 0, 0x31, 2};
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_AUHostIdentifier, kGlobal, 0, &id, sizeof(id)), noErr);
  CFRelease(id.hostName);
  EXPECT_EQ(Plug(mUnit)->GetHost(), kHostLogic);
  EXPECT_EQ(Plug(mUnit)->GetHostVersion(false), 0x00020301);

  const UInt32 offline = 1;
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_OfflineRender, kGlobal, 0, &offline, 4), noErr);
  EXPECT_TRUE(Plug(mUnit)->IsRenderingOffline());
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_ParameterList, kGlobal, 0, &offline, 4),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_BypassEffect, kGlobal, 0, nullptr, 0),
            kAudioUnitErr_InvalidPropertyValue);
}

TEST_F(AUPropertyTest, SampleRateAndStreamFormatNegotiation)
{
  TestPlug* plug = Plug(mUnit);
  const int resets = plug->mResets;
  const Float64 rate = 96000.0;
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_SampleRate, kGlobal, 0, &rate, 8), noErr);
  EXPECT_EQ(plug->GetSampleRate(), 96000.0);
  EXPECT_EQ(plug->mResets, resets + 1);

  // A format with rate 0 keeps the rate; a non-zero rate is taken without a reset.
  ASSERT_EQ(SetFormat(mUnit, kIn, 1, 0.0), noErr);
  EXPECT_EQ(plug->GetSampleRate(), 96000.0);
  ASSERT_EQ(SetFormat(mUnit, kOut, 1, 48000.0), noErr);
  EXPECT_EQ(plug->GetSampleRate(), 48000.0);
  EXPECT_EQ(plug->mResets, resets + 1);
  AudioStreamBasicDescription f;
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_StreamFormat, kOut, 0, &f), noErr);
  EXPECT_EQ(f.mChannelsPerFrame, 1u);

  // Refusals leave the bus with 0 host channels: flags neither float nor packed,
  // not linear PCM, zero channels, more than a bus can carry, an illegal count.
  ASSERT_EQ(SetFormat(mUnit, kOut, 2), noErr);
  EXPECT_EQ(SetFormat(mUnit, kOut, 2, 44100.0, 0), kAudioUnitErr_InvalidProperty);
  ASSERT_EQ(Get(mUnit, kAudioUnitProperty_StreamFormat, kOut, 0, &f), noErr);
  EXPECT_EQ(f.mChannelsPerFrame, 0u);
  EXPECT_EQ(SetFormat(mUnit, kOut, 0), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(SetFormat(mUnit, kOut, 129), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(SetFormat(mUnit, kOut, 3), kAudioUnitErr_InvalidProperty);
  AudioStreamBasicDescription notPCM;
  MakeDefaultASBD(&notPCM, 44100.0, 2, false);
  notPCM.mFormatID = 0x61616320; // 'aac '
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_StreamFormat, kOut, 0, &notPCM, sizeof(notPCM)),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(SetFormat(mUnit, kOut, 2, 44100.0, kAudioFormatFlagIsPacked), noErr);
  EXPECT_EQ(SetFormat(mUnit, kAudioUnitScope_Group, 2), kAudioUnitErr_InvalidProperty);

  const Float64 zero = 0.0, nan = std::nan("");
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_SampleRate, kGlobal, 0, &zero, 8),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_SampleRate, kGlobal, 0, &nan, 8),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(plug->GetSampleRate(), 44100.0);
}

TEST(AUChannelLayout, TagsAndDefaultFormats)
{
  EXPECT_EQ(IEffectAU::GetTagForNumChannels(1), static_cast<UInt32>(kAudioChannelLayoutTag_Mono));
  EXPECT_EQ(IEffectAU::GetTagForNumChannels(2), static_cast<UInt32>(kAudioChannelLayoutTag_Stereo));
  EXPECT_EQ(IEffectAU::GetTagForNumChannels(6), static_cast<UInt32>(kAudioChannelLayoutTag_Unknown));
  AudioStreamBasicDescription f;
  MakeDefaultASBD(&f, 22050.0, 3, true);
  EXPECT_EQ(f.mFormatFlags, 9u);
  EXPECT_EQ(f.mBytesPerFrame, 12u);
  EXPECT_EQ(f.mBytesPerPacket, 12u);
  EXPECT_EQ(f.mReserved, 0u);
}
