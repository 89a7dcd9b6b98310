// The built Brindle.component as a host meets it: loaded with dlopen from the
// bundle path, registered from its Info.plist, and reached only through its entry.
#include <AudioUnit/AudioUnit.h>
#include <BrindleHost/ComponentBundle.h>
#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/CoreServices.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "AUTestFixture.h"
#include "effect/Brindle.h"
#include "BrindleIdentity.h"
#include "au/AUPlugFactory.h"

namespace {
constexpr OSType kAufx = 0x61756678; // 'aufx'
constexpr OSType kAuvw = 0x61757677; // 'auvw'
constexpr OSType kBdl3 = 0x62646c33; // 'bdl3'
constexpr OSType kQxlo = 0x51786c6f; // 'Qxlo'

class BrindleBundleTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    ASSERT_EQ(BrindleHost_LoadComponentBundle(BRINDLE_COMPONENT_BUNDLE, &sBundle), noErr);
  }
  static void TearDownTestSuite() { EXPECT_EQ(BrindleHost_UnloadComponentBundle(&sBundle), noErr); }

  static Component Find(OSType type)
  {
    ComponentDescription looking = {type, kBdl3, kQxlo, 0, 0};
    return FindNextComponent(nullptr, &looking);
  }

  static BrindleHost_ComponentBundle sBundle;
};
BrindleHost_ComponentBundle BrindleBundleTest::sBundle;

OSStatus Sine(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32, UInt32 nFrames,
              AudioBufferList* list)
{
  for (UInt32 c = 0; c < list->mNumberBuffers; ++c) {
    float* data = static_cast<float*>(list->mBuffers[c].mData);
    for (UInt32 i = 0; i < nFrames; ++i) data[i] = 0.3f * static_cast<float>(std::sin(0.05 * (ts->mSampleTime + i)));
  }
  return noErr;
}
} // namespace

TEST_F(BrindleBundleTest, InfoPlistRegistersTheEffectAndItsView)
{
  ASSERT_EQ(sBundle.componentCount, 2u);
  const BrindleHost_BundleComponent& effect = sBundle.components[0];
  EXPECT_EQ(effect.description.componentType, kAufx);
  EXPECT_EQ(effect.description.componentSubType, kBdl3);
  EXPECT_EQ(effect.description.componentManufacturer, kQxlo);
  EXPECT_EQ(effect.version, 0x00020300u);
  EXPECT_STREQ(effect.entryPoint, "Brindle_Entry");
  EXPECT_STREQ(sBundle.components[1].entryPoint, "Brindle_ViewEntry");
  EXPECT_EQ(sBundle.components[1].description.componentType, kAuvw);

  // The library exports the two entries and nothing of the framework inside it.
  CFStringRef id = CFBundleGetIdentifier(sBundle.bundle);
  EXPECT_EQ(ToStd(id), "com.tallowby.audiounit.Brindle");
}

TEST_F(BrindleBundleTest, OpenDescribeRenderSaveClose)
{
  Component component = Find(kAufx);
  ASSERT_NE(component, nullptr);
  ComponentInstance unit = nullptr;
  ASSERT_EQ(OpenAComponent(component, &unit), noErr);
  EXPECT_EQ(GetComponentVersion(unit), 0x00020300);

  AudioUnitParameterID ids[8];
  UInt32 size = sizeof(ids);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids, &size), noErr);
  ASSERT_EQ(size, 16u);
  const char* names[] = {"Level", "Attack", "Effect", "Cabinet"};
  for (int i = 0; i < 4; ++i) {
    AudioUnitParameterInfo info;
    size = sizeof(info);
    ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, i, &info, &size),
              noErr);
    EXPECT_STREQ(info.name, names[i]);
    CFRelease(info.cfNameString);
    if (info.unitName) CFRelease(info.unitName);
  }

  AURenderCallbackStruct cb = {Sine, nullptr};
  ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb, sizeof(cb)),
            noErr);
  ASSERT_EQ(AudioUnitInitialize(unit), noErr);
  HostBuffers out(2, 512);
  double energy = 0.0;
  for (int block = 0; block < 4; ++block) {
    AudioUnitRenderActionFlags flags = 0;
    const AudioTimeStamp ts = SampleTimeStamp(512.0 * block);
    ASSERT_EQ(AudioUnitRender(unit, &flags, &ts, 0, 512, out.List()), noErr);
    for (int i = 0; i < 512; ++i) {
      ASSERT_TRUE(std::isfinite(out.Channel(0)[i]));
      ASSERT_EQ(out.Channel(0)[i], out.Channel(1)[i]); // one result on every output
      energy += static_cast<double>(out.Channel(0)[i]) * out.Channel(0)[i];
    }
  }
  EXPECT_GT(energy, 0.0);

  CFPropertyListRef state = nullptr;
  size = sizeof(state);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size), noErr);
  CFStringRef key = CFStringCreateWithCString(nullptr, "data", kCFStringEncodingUTF8);
  CFDataRef data =
      static_cast<CFDataRef>(const_cast<void*>(CFDictionaryGetValue(static_cast<CFDictionaryRef>(state), key)));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(CFDataGetLength(data), 32);
  CFRelease(key);
  ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof(state)),
            noErr);
  CFRelease(state);

  // The editor's view: the bundle and the factory class a host instantiates.
  AudioUnitCocoaViewInfo view;
  size = sizeof(view);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &view, &size), noErr);
  char className[64] = {};
  ASSERT_TRUE(CFStringGetCString(view.mCocoaAUViewClass[0], className, sizeof(className), kCFStringEncodingUTF8));
  EXPECT_STREQ(className, "Brindle_View");
  CFRelease(view.mCocoaAUViewClass[0]);
  CFRelease(view.mCocoaAUViewBundleLocation);

  EXPECT_EQ(CloseComponent(unit), noErr);
}

TEST_F(BrindleBundleTest, ViewComponentOpensButCreatesNothing)
{
  ComponentInstance unit = OpenComponent(Find(kAufx));
  ComponentInstance view = OpenComponent(Find(kAuvw));
  ASSERT_NE(unit, nullptr);
  ASSERT_NE(view, nullptr);
  // kAudioUnitCarbonViewCreateSelect with its six arguments, the instance after them.
  alignas(ComponentParameters) unsigned char bytes[sizeof(ComponentParameters) + 8 * sizeof(long)] = {};
  ComponentParameters* p = reinterpret_cast<ComponentParameters*>(bytes);
  p->what = kAudioUnitCarbonViewCreateSelect;
  p->paramSize = 6 * sizeof(long);
  ControlRef control = nullptr;
  p->params[5] = reinterpret_cast<long>(unit);
  p->params[0] = reinterpret_cast<long>(&control);
  p->params[6] = reinterpret_cast<long>(view);
  EXPECT_EQ(CallComponentDispatch(p), badComponentSelector);
  EXPECT_EQ(control, nullptr);
  CloseComponent(view);
  CloseComponent(unit);
}

TEST_F(BrindleBundleTest, ConcurrentOpensThroughTheFactory)
{
  Component component = Find(kAufx);
  constexpr int kThreads = 4, kPerThread = 3;
  std::vector<ComponentInstance> units(kThreads * kPerThread, nullptr);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) OpenAComponent(component, &units[static_cast<size_t>(t * kPerThread + i)]);
    });
  for (std::thread& t : threads) t.join();
  std::set<void*> storages;
  for (ComponentInstance u : units) {
    ASSERT_NE(u, nullptr);
    storages.insert(GetComponentInstanceStorage(u));
  }
  EXPECT_EQ(storages.size(), units.size());
  for (ComponentInstance u : units) CloseComponent(u);
}

TEST(BrindleFactory, MakeAUPlugBuildsTheProductWithItsIdentity)
{
  std::vector<Brindle*> plugs(6, nullptr);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < plugs.size(); ++i)
    threads.emplace_back([&, i] { plugs[i] = static_cast<Brindle*>(MakeAUPlug<Brindle, BrindleIdentity>()); });
  for (std::thread& t : threads) t.join();
  for (Brindle* plug : plugs) {
    ASSERT_NE(plug, nullptr);
    EXPECT_STREQ(plug->GetEffectName(), "Brindle");
    EXPECT_STREQ(plug->GetMfrName(), "tallowby");
    EXPECT_EQ(plug->GetPlugID(), static_cast<int>(kBdl3));
    EXPECT_EQ(plug->GetMakerID(), static_cast<int>(kQxlo));
    EXPECT_EQ(plug->GetEffectVersion(false), 131840);
    EXPECT_STREQ(plug->GetBundleID(), "com.tallowby.audiounit.Brindle");
    EXPECT_STREQ(plug->GetViewClassName(), "Brindle_View");
    EXPECT_EQ(plug->NParams(), 4);
    EXPECT_TRUE(plug->LegalIO(1, 1) && plug->LegalIO(2, 2) && !plug->LegalIO(1, 2));
    EXPECT_STREQ(plug->GetProductName(), "");
    EXPECT_EQ(plug->GetLatency(), 0);
    EXPECT_FALSE(plug->UsesChunks());
    EXPECT_FALSE(plug->IsInstrument());
    EXPECT_EQ(plug->GetAPI(), kAPIAU);
    EXPECT_EQ(plug->NPresets(), 1);
    EXPECT_STREQ(plug->GetPresetName(0), "Init");
    EXPECT_EQ(plug->NInBuses(), 1);
    EXPECT_EQ(plug->NOutBuses(), 1);
    delete plug;
  }
}

namespace {
SInt32 DictNumber(CFDictionaryRef dict, const char* key)
{
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  SInt32 value = -1;
  CFTypeRef n = CFDictionaryGetValue(dict, k);
  if (n && CFGetTypeID(n) == CFNumberGetTypeID())
    CFNumberGetValue(static_cast<CFNumberRef>(const_cast<void*>(n)), kCFNumberSInt32Type, &value);
  CFRelease(k);
  return value;
}

CFTypeRef DictValue(CFDictionaryRef dict, const char* key)
{
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  CFTypeRef value = CFDictionaryGetValue(dict, k);
  CFRelease(k);
  return value;
}

float ParamValue(ComponentInstance unit, AudioUnitParameterID id)
{
  AudioUnitParameterValue v = -1.0f;
  EXPECT_EQ(AudioUnitGetParameter(unit, id, kAudioUnitScope_Global, 0, &v), noErr);
  return v;
}
} // namespace

TEST_F(BrindleBundleTest, ParametersAsTheHostSeesThem)
{
  ComponentInstance unit = OpenComponent(Find(kAufx));
  ASSERT_NE(unit, nullptr);
  // Level and Attack: 0..1 doubles without label (generic unit); Effect and Cabinet:
  // two-entry enums (indexed unit) with the texts Off and On. All automatable, no group.
  struct Row
  {
    const char* name;
    UInt32 unit;
    float value;
  };
  const Row rows[] = {{"Level", kAudioUnitParameterUnit_Generic, 0.5f},
                      {"Attack", kAudioUnitParameterUnit_Generic, 0.5f},
                      {"Effect", kAudioUnitParameterUnit_Indexed, 1.0f},
                      {"Cabinet", kAudioUnitParameterUnit_Indexed, 1.0f}};
  for (UInt32 i = 0; i < 4; ++i) {
    AudioUnitParameterInfo info;
    UInt32 size = sizeof(info);
    ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, i, &info, &size),
              noErr);
    EXPECT_STREQ(info.name, rows[i].name);
    EXPECT_EQ(ToStd(info.cfNameString), rows[i].name);
    EXPECT_EQ(info.flags, 0xF8000010u) << i;
    EXPECT_EQ(info.unit, rows[i].unit) << i;
    EXPECT_EQ(info.unitName, nullptr) << i;
    EXPECT_EQ(info.minValue, 0.0f);
    EXPECT_EQ(info.maxValue, 1.0f);
    EXPECT_EQ(info.defaultValue, rows[i].value) << i; // the parameter defaults of a fresh instance
    EXPECT_EQ(info.clumpID, 0u);
    CFRelease(info.cfNameString);
  }

  CFArrayRef texts = nullptr;
  UInt32 size = sizeof(texts);
  ASSERT_EQ(
      AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, 2, &texts, &size),
      noErr);
  ASSERT_EQ(CFArrayGetCount(texts), 2);
  EXPECT_EQ(ToStd(static_cast<CFStringRef>(CFArrayGetValueAtIndex(texts, 0))), "Off");
  EXPECT_EQ(ToStd(static_cast<CFStringRef>(CFArrayGetValueAtIndex(texts, 1))), "On");
  CFRelease(texts);
  EXPECT_EQ(
      AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, 0, &texts, &size),
      kAudioUnitErr_InvalidProperty);

  // Value texts: three decimals for the knobs, the table for the switches.
  const std::pair<AudioUnitParameterID, float> values[] = {{0, 0.25f}, {1, 1.0f}, {2, 0.0f}, {3, 1.0f}};
  const char* expected[] = {"0.250", "1.000", "Off", "On"};
  for (int i = 0; i < 4; ++i) {
    AudioUnitParameterStringFromValue sfv = {values[i].first, &values[i].second, nullptr};
    size = sizeof(sfv);
    ASSERT_EQ(
        AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0, &sfv, &size),
        noErr);
    EXPECT_EQ(ToStd(sfv.outString), expected[i]);
    CFRelease(sfv.outString);
  }

  // "1-1 2-2": two channel pairs; zero latency and tail.
  AUChannelInfo io[2] = {};
  size = sizeof(io);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, io, &size),
            noErr);
  EXPECT_EQ(size, 8u);
  EXPECT_TRUE(io[0].inChannels == 1 && io[0].outChannels == 1 && io[1].inChannels == 2 && io[1].outChannels == 2);
  Float64 seconds = -1.0;
  size = sizeof(seconds);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &seconds, &size), noErr);
  EXPECT_EQ(seconds, 0.0);
  CloseComponent(unit);
}

TEST_F(BrindleBundleTest, StateDictionaryAndTheInitPreset)
{
  ComponentInstance unit = OpenComponent(Find(kAufx));
  ASSERT_NE(unit, nullptr);

  // One factory preset: number 0, "Init".
  CFArrayRef presets = nullptr;
  UInt32 size = sizeof(presets);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, &presets, &size),
            noErr);
  ASSERT_EQ(CFArrayGetCount(presets), 1);
  const AUPreset* init = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, 0));
  EXPECT_EQ(init->presetNumber, 0);
  EXPECT_EQ(ToStd(init->presetName), "Init");
  CFRelease(presets);

  AudioUnitSetParameter(unit, 0, kAudioUnitScope_Global, 0, 0.25f, 0);
  AudioUnitSetParameter(unit, 1, kAudioUnitScope_Global, 0, 0.75f, 0);
  AudioUnitSetParameter(unit, 2, kAudioUnitScope_Global, 0, 0.0f, 0);
  AudioUnitSetParameter(unit, 3, kAudioUnitScope_Global, 0, 1.0f, 0);
  CFPropertyListRef state = nullptr;
  size = sizeof(state);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size), noErr);
  CFDictionaryRef dict = static_cast<CFDictionaryRef>(state);
  EXPECT_EQ(CFDictionaryGetCount(dict), 6);
  EXPECT_EQ(DictNumber(dict, "version"), 131840);
  EXPECT_EQ(DictNumber(dict, "type"), static_cast<SInt32>(kAufx));
  EXPECT_EQ(DictNumber(dict, "subtype"), static_cast<SInt32>(kBdl3));
  EXPECT_EQ(DictNumber(dict, "manufacturer"), static_cast<SInt32>(kQxlo));
  CFTypeRef name = DictValue(dict, "name");
  ASSERT_TRUE(name && CFGetTypeID(name) == CFStringGetTypeID());
  EXPECT_EQ(ToStd(static_cast<CFStringRef>(name)), "Init");
  CFTypeRef data = DictValue(dict, "data");
  ASSERT_TRUE(data && CFGetTypeID(data) == CFDataGetTypeID());
  const double saved[4] = {0.25, 0.75, 0.0, 1.0};
  ASSERT_EQ(CFDataGetLength(static_cast<CFDataRef>(data)), 32);
  EXPECT_EQ(std::memcmp(CFDataGetBytePtr(static_cast<CFDataRef>(data)), saved, sizeof(saved)), 0);

  // A second instance restores it: "Init" first (Level 1.0), then the saved values.
  ComponentInstance other = OpenComponent(Find(kAufx));
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(ParamValue(other, 0), 0.5f);
  ASSERT_EQ(AudioUnitSetProperty(other, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof(state)),
            noErr);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ParamValue(other, static_cast<AudioUnitParameterID>(i)), saved[i]) << i;

  // Without "data" the state is refused and nothing changes: the saved values stay.
  // (The dictionary the unit handed over is mutable; it is the host's to change.)
  CFStringRef dataKey = CFStringCreateWithCString(nullptr, "data", kCFStringEncodingUTF8);
  CFDictionaryRemoveValue(static_cast<CFMutableDictionaryRef>(const_cast<void*>(state)), dataKey);
  CFRelease(dataKey);
  EXPECT_EQ(AudioUnitSetProperty(other, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof(state)),
            kAudioUnitErr_InvalidPropertyValue);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ParamValue(other, static_cast<AudioUnitParameterID>(i)), saved[i]) << i;

  AUPreset present = {-1, nullptr};
  size = sizeof(present);
  ASSERT_EQ(AudioUnitGetProperty(other, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &present, &size),
            noErr);
  EXPECT_EQ(present.presetNumber, 0);
  EXPECT_EQ(ToStd(present.presetName), "Init");
  CFRelease(present.presetName);

  CFRelease(state);
  CloseComponent(other);
  CloseComponent(unit);
}

// The host's render thread renders through the fast-dispatch function (no lock)
// while its interface thread sets and reads parameters and toggles bypass through
// the entry. Run under ThreadSanitizer (BRINDLE_SANITIZE=thread) to check for races.
TEST_F(BrindleBundleTest, ParameterChangesWhileRenderingThroughFastDispatch)
{
  ComponentInstance unit = OpenComponent(Find(kAufx));
  ASSERT_NE(unit, nullptr);
  AURenderCallbackStruct cb = {Sine, nullptr};
  ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb, sizeof(cb)),
            noErr);
  ASSERT_EQ(AudioUnitInitialize(unit), noErr);
  AudioUnitRenderProc render = nullptr;
  UInt32 size = sizeof(render);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect,
                                 &render, &size),
            noErr);
  void* storage = GetComponentInstanceStorage(unit);

  std::atomic<bool> stop{false};
  std::atomic<int> changes{0};
  std::thread ui([&] {
    for (int i = 0; !stop.load(); ++i) {
      const AudioUnitParameterID id = static_cast<AudioUnitParameterID>(i % 4);
      AudioUnitSetParameter(unit, id, kAudioUnitScope_Global, 0, static_cast<float>(i % 7) / 6.0f, 0);
      AudioUnitParameterValue v = 0;
      AudioUnitGetParameter(unit, id, kAudioUnitScope_Global, 0, &v);
      // Hosts toggle bypass while audio runs, too.
      const UInt32 bypass = (i / 16) % 2;
      AudioUnitSetProperty(unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &bypass, sizeof(bypass));
      ++changes;
    }
  });

  HostBuffers out(2, 64);
  bool allFinite = true;
  OSStatus result = noErr;
  for (int block = 0; (block < 500 || changes.load() < 500) && block < 200000 && result == noErr; ++block) {
    AudioUnitRenderActionFlags flags = 0;
    const AudioTimeStamp ts = SampleTimeStamp(64.0 * block);
    result = render(storage, &flags, &ts, 0, 64, out.List());
    for (int i = 0; i < 64; ++i) allFinite = allFinite && std::isfinite(out.Channel(0)[i]);
  }
  stop = true;
  ui.join();
  EXPECT_EQ(result, noErr);
  EXPECT_TRUE(allFinite);
  EXPECT_GE(changes.load(), 500);
  CloseComponent(unit);
}

namespace {
// A host input that is either silent or loud: a full-scale square wave, the worst tail to leave.
struct SwitchedSource
{
  bool loud = false;
  static OSStatus Callback(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32, UInt32 nFrames,
                           AudioBufferList* list)
  {
    const bool loud = static_cast<SwitchedSource*>(refCon)->loud;
    for (UInt32 c = 0; c < list->mNumberBuffers; ++c) {
      float* data = static_cast<float*>(list->mBuffers[c].mData);
      for (UInt32 i = 0; i < nFrames; ++i) {
        const long n = static_cast<long>(ts->mSampleTime) + static_cast<long>(i);
        data[i] = loud ? ((n / 40) % 2 ? 0.95f : -0.95f) : 0.0f;
      }
    }
    return noErr;
  }
};
} // namespace

TEST_F(BrindleBundleTest, EveryActivationStartsWithoutTheLastStreamsTail)
{
  // After a loud passage, each row's host calls start a new stream at the same rate. The silence
  // rendered then must come out exactly as this instance's first silence did (the filters' design
  // and the noise table belong to the instance and stay): nothing of the loud passage's tail.
  enum Step { kUninitialize, kInitialize, kReset };
  struct Row
  {
    const char* what;
    std::vector<Step> steps;
  };
  const Row rows[] = {
      {"Reset", {kReset}},
      {"Uninitialize, Initialize", {kUninitialize, kInitialize}},
      {"Uninitialize, Reset, Initialize", {kUninitialize, kReset, kInitialize}},
      {"Reset twice", {kReset, kReset}},
  };
  constexpr UInt32 kFrames = 512;
  constexpr int kBlocks = 5; // longer than the 44 ms tail at 44.1 kHz
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ComponentInstance unit = OpenComponent(Find(kAufx));
    ASSERT_NE(unit, nullptr);
    // Closed on every way out, so that a failing row leaves the bundle free to unload.
    const std::unique_ptr<ComponentInstanceRecord, OSErr (*)(ComponentInstance)> closer(unit, CloseComponent);
    SwitchedSource source;
    AURenderCallbackStruct cb = {SwitchedSource::Callback, &source};
    ASSERT_EQ(
        AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb, sizeof(cb)),
        noErr);
    ASSERT_EQ(AudioUnitInitialize(unit), noErr);
    double sampleTime = 0.0;
    auto render = [&](std::vector<float>& out) {
      HostBuffers buffers(2, kFrames);
      for (int b = 0; b < kBlocks; ++b) {
        AudioUnitRenderActionFlags flags = 0;
        const AudioTimeStamp ts = SampleTimeStamp(sampleTime);
        sampleTime += kFrames;
        ASSERT_EQ(AudioUnitRender(unit, &flags, &ts, 0, kFrames, buffers.List()), noErr);
        out.insert(out.end(), buffers.Channel(0), buffers.Channel(0) + kFrames);
      }
    };
    std::vector<float> first, loud, after;
    render(first);
    source.loud = true;
    render(loud);
    for (Step step : row.steps) {
      const OSStatus status = step == kUninitialize ? AudioUnitUninitialize(unit)
                              : step == kInitialize ? AudioUnitInitialize(unit)
                                                    : AudioUnitReset(unit, kAudioUnitScope_Global, 0);
      ASSERT_EQ(status, noErr);
    }
    source.loud = false;
    render(after);
    ASSERT_EQ(after.size(), first.size());
    for (size_t i = 0; i < first.size(); ++i)
      ASSERT_EQ(std::memcmp(&after[i], &first[i], sizeof(float)), 0)
          << "frame " << i << ": " << after[i] << " vs " << first[i];
    EXPECT_GT(std::fabs(loud[kFrames]), 0.1f); // the loud passage was loud
  }
}
