// The class-info dictionary both ways, the factory-presets array and its records,
// parameter-change events, program-change listeners and the host transport.
#include "AUTestFixture.h"

#include <cstring>

#include "au/CFAUPreset.h"
#include "au/IEffectAUState.h"
#include "plugcore/ByteChunk.h"

namespace {
SInt32 Number(CFDictionaryRef dict, const char* key)
{
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  SInt32 v = -1;
  CFNumberRef n = static_cast<CFNumberRef>(const_cast<void*>(CFDictionaryGetValue(dict, k)));
  if (n) CFNumberGetValue(n, kCFNumberSInt32Type, &v);
  CFRelease(k);
  return v;
}

void SetNumber(CFMutableDictionaryRef dict, const char* key, SInt32 v)
{
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
  CFDictionarySetValue(dict, k, n);
  CFRelease(n);
  CFRelease(k);
}

void Remove(CFMutableDictionaryRef dict, const char* key)
{
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  CFDictionaryRemoveValue(dict, k);
  CFRelease(k);
}

// A state dictionary as this unit writes it, with the given name and parameter values.
CFMutableDictionaryRef MakeState(const char* name, const std::vector<double>& values)
{
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  SetNumber(dict, "version", kTestVersion);
  SetNumber(dict, "type", static_cast<SInt32>(kTestType));
  SetNumber(dict, "subtype", static_cast<SInt32>(kTestSubType));
  SetNumber(dict, "manufacturer", static_cast<SInt32>(kTestMfr));
  PutStrInDict(dict, "name", name);
  CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(values.data()),
                                static_cast<CFIndex>(values.size() * sizeof(double)));
  CFStringRef k = CFStringCreateWithCString(nullptr, "data", kCFStringEncodingUTF8);
  CFDictionarySetValue(dict, k, data);
  CFRelease(k);
  CFRelease(data);
  return dict;
}

OSStatus SetState(AudioUnit unit, CFPropertyListRef state)
{
  return AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof(state));
}

struct EventLog
{
  std::vector<std::pair<AudioUnitEventType, AudioUnitParameterID>> mEvents;
  AudioUnitParameterValue mLastValue = -1;
};

void EventProc(void* refCon, void*, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue value)
{
  EventLog* log = static_cast<EventLog*>(refCon);
  log->mEvents.push_back({event->mEventType, event->mArgument.mParameter.mParameterID});
  if (event->mEventType == kAudioUnitEvent_ParameterValueChange) log->mLastValue = value;
}

int gPresetListenerCalls = 0;
void PresetListener(void*, AudioUnit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement)
{
  if (id == kAudioUnitProperty_PresentPreset) ++gPresetListenerCalls;
}

struct Transport
{
  static OSStatus Beat(void* user, Float64* beat, Float64* tempo)
  {
    Transport* t = static_cast<Transport*>(user);
    *beat = t->mBeat;
    *tempo = t->mTempo;
    return noErr;
  }
  static OSStatus Musical(void*, UInt32* delta, Float32* num, UInt32* den, Float64* downBeat)
  {
    *delta = 0;
    *num = 7.0f;
    *den = 8;
    *downBeat = 12.0;
    return noErr;
  }
  static OSStatus State(void* user, Boolean* playing, Boolean* changed, Float64* sample, Boolean* cycling,
                        Float64* cycleStart, Float64* cycleEnd)
  {
    Transport* t = static_cast<Transport*>(user);
    *playing = true;
    *changed = false;
    *sample = t->mSample;
    *cycling = true;
    *cycleStart = 4.0;
    *cycleEnd = 0.0;
    return noErr;
  }
  double mBeat = 3.5, mTempo = 90.0, mSample = 1000.49;
};
} // namespace

using AUStateTest = AUHostTest;

TEST_F(AUStateTest, ClassInfoDictionaryHoldsIdentityNameAndParameterValues)
{
  AudioUnitSetParameter(mUnit, TestPlug::kGain, kAudioUnitScope_Global, 0, 1.5f, 0);
  CFPropertyListRef state = nullptr;
  UInt32 size = sizeof(state);
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size), noErr);
  ASSERT_NE(state, nullptr);
  CFDictionaryRef dict = static_cast<CFDictionaryRef>(state);
  EXPECT_EQ(CFDictionaryGetCount(dict), 6);
  EXPECT_EQ(Number(dict, "version"), kTestVersion);
  EXPECT_EQ(Number(dict, "type"), static_cast<SInt32>(kTestType));
  EXPECT_EQ(Number(dict, "subtype"), static_cast<SInt32>(kTestSubType));
  EXPECT_EQ(Number(dict, "manufacturer"), static_cast<SInt32>(kTestMfr));
  char name[64];
  ASSERT_TRUE(GetStrFromDict(dict, "name", name, sizeof(name)));
  EXPECT_STREQ(name, "Init");
  ByteChunk chunk;
  ASSERT_TRUE(GetDataFromDict(dict, "data", &chunk));
  ASSERT_EQ(chunk.Size(), 8 * TestPlug::kNumParams);
  const double expected[TestPlug::kNumParams] = {1.5, 0.0, 0.0, 3.0, 0.0};
  EXPECT_EQ(std::memcmp(chunk.Bytes(), expected, sizeof(expected)), 0);
  EXPECT_FALSE(GetDataFromDict(dict, "nothing", &chunk));
  EXPECT_FALSE(GetStrFromDict(dict, "version", name, sizeof(name))); // a number, not a string
  EXPECT_STREQ(name, "");

  // Round trip into a second instance.
  AudioUnit other = Open();
  ASSERT_EQ(SetState(other, state), noErr);
  AudioUnitParameterValue v = 0;
  AudioUnitGetParameter(other, TestPlug::kGain, kAudioUnitScope_Global, 0, &v);
  EXPECT_FLOAT_EQ(v, 1.5f);
  CFRelease(state);
}

TEST_F(AUStateTest, RestoreSelectsThePresetByNameThenAppliesTheValues)
{
  TestPlug* plug = Plug(mUnit);
  const std::vector<double> values = {0.25, 2.0, 1.0, 50.0, -3.0};
  CFMutableDictionaryRef state = MakeState(kLongPresetName, values);
  const int changes = plug->mParamChanges;
  ASSERT_EQ(SetState(mUnit, state), noErr);
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 1);
  EXPECT_DOUBLE_EQ(plug->GetParam(TestPlug::kGain)->mValue, 0.25);
  EXPECT_DOUBLE_EQ(plug->GetParam(TestPlug::kCount)->mValue, 10.0); // clamped
  EXPECT_DOUBLE_EQ(plug->GetParam(TestPlug::kTrim)->mValue, -3.0);
  EXPECT_GE(plug->mParamChanges - changes, TestPlug::kNumParams);
  CFRelease(state);

  // A name longer than 63 bytes is cut: its first 63 bytes name preset 1.
  AUPreset init = {0, nullptr};
  AudioUnitSetProperty(mUnit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &init, sizeof(init));
  ASSERT_EQ(plug->GetCurrentPresetIdx(), 0);
  const std::string longer = std::string(kLongPresetName) + " and then some";
  state = MakeState(longer.c_str(), values);
  ASSERT_EQ(SetState(mUnit, state), noErr);
  EXPECT_EQ(plug->GetCurrentPresetIdx(), 1);
  CFRelease(state);
}

TEST_F(AUStateTest, RefusedStates)
{
  TestPlug* plug = Plug(mUnit);
  const std::vector<double> values = {0.75, 1.0, 1.0, 5.0, 1.0};

  // Another subtype: refused, nothing changes.
  CFMutableDictionaryRef state = MakeState("Init", values);
  SetNumber(state, "subtype", 0x62646c33);
  EXPECT_EQ(SetState(mUnit, state), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_DOUBLE_EQ(plug->GetParam(TestPlug::kGain)->mValue, 1.0);
  CFRelease(state);

  for (const char* key : {"version", "type", "manufacturer", "name"}) {
    state = MakeState("Init", values);
    Remove(state, key);
    EXPECT_EQ(SetState(mUnit, state), kAudioUnitErr_InvalidPropertyValue) << key;
    CFRelease(state);
  }
  EXPECT_DOUBLE_EQ(plug->GetParam(TestPlug::kGain)->mValue, 1.0);

  // A refused state changes nothing: not without data, not with data that ends
  // early (the preset it names is not selected, no value is applied).
  struct Refused
  {
    const char* why;
    const char* name;
    std::vector<double> data;
    bool withData;
  };
  const Refused refused[] = {
      {"no data", kLongPresetName, values, false},
      {"empty data", kLongPresetName, {}, true},
      {"one value", kLongPresetName, {0.125}, true},
      {"four of five values", "Init", {0.125, 2.0, 0.0, 1.0}, true},
  };
  AUPreset init = {0, nullptr};
  ASSERT_EQ(
      AudioUnitSetProperty(mUnit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &init, sizeof(init)),
      noErr);
  CFPropertyListRef before = nullptr;
  UInt32 size = sizeof(before);
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &before, &size),
            noErr);
  for (const Refused& r : refused) {
    state = MakeState(r.name, r.data);
    if (!r.withData) Remove(state, "data");
    EXPECT_EQ(SetState(mUnit, state), kAudioUnitErr_InvalidPropertyValue) << r.why;
    CFRelease(state);
    CFPropertyListRef after = nullptr;
    ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &after, &size),
              noErr);
    EXPECT_TRUE(CFEqual(before, after)) << r.why;
    EXPECT_EQ(plug->GetCurrentPresetIdx(), 0) << r.why;
    CFRelease(after);
  }
  CFRelease(before);

  // Not a dictionary at all, or no record.
  CFStringRef notADict = CFStringCreateWithCString(nullptr, "state", kCFStringEncodingUTF8);
  EXPECT_EQ(SetState(mUnit, notADict), kAudioUnitErr_InvalidPropertyValue);
  CFRelease(notADict);
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, nullptr, 0),
            kAudioUnitErr_InvalidPropertyValue);
}

TEST_F(AUStateTest, FactoryPresetsArrayAndRecords)
{
  CFArrayRef presets = nullptr;
  UInt32 size = sizeof(presets);
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, &presets, &size),
            noErr);
  ASSERT_EQ(CFArrayGetCount(presets), 2);
  const AUPreset* first = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, 0));
  const AUPreset* second = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, 1));
  EXPECT_EQ(first->presetNumber, 0);
  EXPECT_EQ(ToStd(first->presetName), "Init");
  EXPECT_EQ(second->presetNumber, 1);
  EXPECT_EQ(ToStd(second->presetName), kLongPresetName);

  // The array holds the only reference: a record the host retains outlives it.
  CFAUPresetRef kept = CFAUPresetRetain(const_cast<AUPreset*>(first));
  EXPECT_EQ(kept->retainCount, 2);
  CFRelease(presets);
  EXPECT_EQ(kept->retainCount, 1);
  EXPECT_EQ(ToStd(kept->auPreset.presetName), "Init");
  CFAUPresetRelease(kept);
}

TEST(CFAUPresetTest, RetainCountsEqualityAndDescription)
{
  CFStringRef name = CFStringCreateWithCString(nullptr, "Init", kCFStringEncodingUTF8);
  CFStringRef same = CFStringCreateWithCString(nullptr, "Init", kCFStringEncodingUTF8);
  CFAUPresetRef a = CFAUPresetCreate(kCFAllocatorDefault, 0, name);
  CFAUPresetRef b = CFAUPresetCreate(kCFAllocatorDefault, 0, same);
  CFAUPresetRef c = CFAUPresetCreate(kCFAllocatorDefault, 1, same);
  CFAUPresetRef unnamed = CFAUPresetCreate(kCFAllocatorDefault, 4, nullptr);
  ASSERT_TRUE(a && b && c && unnamed);
  EXPECT_EQ(a->retainCount, 1);
  EXPECT_EQ(a->version, 0u);
  EXPECT_TRUE(CFAUPresetArrayEqualCallBack(a, b));
  EXPECT_FALSE(CFAUPresetArrayEqualCallBack(a, c));
  EXPECT_FALSE(CFAUPresetArrayEqualCallBack(a, unnamed));

  // The name string is retained and released in step with the record.
  const CFIndex nameCount = CFGetRetainCount(a->auPreset.presetName);
  CFAUPresetArrayRetainCallBack(nullptr, a);
  EXPECT_EQ(a->retainCount, 2);
  EXPECT_EQ(CFGetRetainCount(a->auPreset.presetName), nameCount + 1);
  CFAUPresetArrayReleaseCallBack(nullptr, a);
  EXPECT_EQ(CFGetRetainCount(a->auPreset.presetName), nameCount);

  CFStringRef description = CFAUPresetArrayCopyDescriptionCallBack(c);
  EXPECT_EQ(ToStd(description), "AUPreset:\npreset number = 1\npreset name = Init");
  CFRelease(description);

  // An array with these callbacks keeps records alive and compares by value.
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 2, &kCFAUPresetArrayCallBacks);
  CFArrayAppendValue(array, c);
  CFArrayAppendValue(array, a);
  EXPECT_EQ(CFArrayGetFirstIndexOfValue(array, CFRangeMake(0, 2), b), 1);
  EXPECT_EQ(c->retainCount, 2);

  for (CFAUPresetRef p : {a, b, c, unnamed}) CFAUPresetRelease(p);
  EXPECT_EQ(CFArrayGetCount(array), 2);
  CFRelease(array); // frees a and c
  CFRelease(name);
  CFRelease(same);
  CFAUPresetRelease(nullptr);
}

TEST_F(AUStateTest, ParameterEventsAndGestures)
{
  AUEventListenerRef listener = nullptr;
  EventLog log;
  ASSERT_EQ(AUEventListenerCreate(EventProc, &log, nullptr, nullptr, 0.0f, 0.0f, &listener), noErr);
  for (AudioUnitEventType type : {kAudioUnitEvent_ParameterValueChange, kAudioUnitEvent_BeginParameterChangeGesture,
                                  kAudioUnitEvent_EndParameterChangeGesture}) {
    AudioUnitEvent e;
    std::memset(&e, 0, sizeof(e));
    e.mEventType = type;
    e.mArgument.mParameter = {mUnit, kAUParameterListener_AnyParameter, kAudioUnitScope_Global, 0};
    ASSERT_EQ(AUEventListenerAddEventType(listener, nullptr, &e), noErr);
  }

  // An editor drag: gesture begin, a value change through SetParameterFromGUI, end.
  TestPlug* plug = Plug(mUnit);
  plug->BeginInformHostOfParamChange(TestPlug::kGain);
  plug->SetParameterFromGUI(TestPlug::kGain, 0.25);
  plug->EndInformHostOfParamChange(TestPlug::kGain);
  using Ev = std::pair<AudioUnitEventType, AudioUnitParameterID>;
  const std::vector<Ev> expected = {{kAudioUnitEvent_BeginParameterChangeGesture, TestPlug::kGain},
                                    {kAudioUnitEvent_ParameterValueChange, TestPlug::kGain},
                                    {kAudioUnitEvent_EndParameterChangeGesture, TestPlug::kGain}};
  EXPECT_EQ(log.mEvents, expected);
  // The host reads the value back from the unit: 0.25 of 0..2.
  EXPECT_FLOAT_EQ(log.mLastValue, 0.5f);
  AUListenerDispose(listener);

  // Program changes go to the present-preset listeners.
  gPresetListenerCalls = 0;
  AudioUnitAddPropertyListener(mUnit, kAudioUnitProperty_PresentPreset, PresetListener, nullptr);
  plug->InformHostOfProgramChange();
  EXPECT_EQ(gPresetListenerCalls, 1);
  plug->InformListeners(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global);
  EXPECT_EQ(gPresetListenerCalls, 2);

  // A latency change is announced to latency listeners.
  int latencyCalls = 0;
  auto latencyListener = [](void* c, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement) {
    ++*static_cast<int*>(c);
  };
  AudioUnitAddPropertyListener(mUnit, kAudioUnitProperty_Latency, latencyListener, &latencyCalls);
  plug->SetLatency(882);
  EXPECT_EQ(latencyCalls, 1);
  EXPECT_EQ(plug->GetLatency(), 882);
}

TEST_F(AUStateTest, TransportQueriesUseTheHostCallbacks)
{
  TestPlug* plug = Plug(mUnit);
  ITimeInfo untouched;
  plug->GetTime(&untouched);
  EXPECT_EQ(untouched.mTempo, 120.0);
  EXPECT_EQ(untouched.mSamplePos, -1.0);
  EXPECT_EQ(plug->GetTempo(), 120.0);
  EXPECT_EQ(plug->GetSamplePos(), 0);
  int num = 3, den = 2;
  plug->GetTimeSig(&num, &den);
  EXPECT_EQ(num, 3);
  EXPECT_EQ(den, 2);

  Transport transport;
  HostCallbackInfo info = {&transport, Transport::Beat, Transport::Musical, Transport::State};
  EXPECT_EQ(
      AudioUnitSetProperty(mUnit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Input, 0, &info, sizeof(info)),
      kAudioUnitErr_InvalidProperty);
  ASSERT_EQ(
      AudioUnitSetProperty(mUnit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, &info, sizeof(info)),
      noErr);
  EXPECT_EQ(plug->GetTempo(), 90.0);
  EXPECT_EQ(plug->GetSamplePos(), 1000);
  transport.mSample = 1000.5;
  EXPECT_EQ(plug->GetSamplePos(), 1001);
  // 90 bpm at 44100 Hz: 29400 samples per beat.
  EXPECT_DOUBLE_EQ(plug->GetSamplesPerBeat(), 29400.0);
  plug->GetTimeSig(&num, &den);
  EXPECT_EQ(num, 7);
  EXPECT_EQ(den, 8);

  // A tempo of 0 keeps the last reported one.
  transport.mTempo = 0.0;
  EXPECT_EQ(plug->GetTempo(), 90.0);

  ITimeInfo t;
  plug->GetTime(&t);
  EXPECT_EQ(t.mTempo, 120.0); // not reported this time: the caller's default stays
  EXPECT_EQ(t.mBeatPos, 3.5);
  EXPECT_EQ(t.mSamplePos, 1000.5);
  EXPECT_EQ(t.mLoopStartBeat, 4.0);
  EXPECT_EQ(t.mLoopEndBeat, -1.0); // 0 is not reported
  EXPECT_TRUE(t.mPlaying);
  EXPECT_TRUE(t.mLooping);
  EXPECT_EQ(t.mTimeSigNum, 7);
  EXPECT_EQ(t.mTimeSigDen, 8);
  EXPECT_EQ(t.mBarStartBeat, 12.0);

  // A shorter table from an older host: the missing callbacks are absent.
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, &info,
                                 2 * sizeof(void*)),
            noErr);
  EXPECT_EQ(plug->GetSamplePos(), 0);
}
