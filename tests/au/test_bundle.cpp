// The built Brindle.component as a host meets it: loaded with dlopen from the
// bundle path, registered from its Info.plist, and reached only through its entry.
#include <AudioUnit/AudioUnit.h>
#include <BrindleHost/ComponentBundle.h>
#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/CoreServices.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "AUTestFixture.h"
#include "effect/Brindle.h"
#include "effect/BrindleFactory.h"

namespace
{
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
  for (UInt32 c = 0; c < list->mNumberBuffers; ++c)
  {
    float* data = static_cast<float*>(list->mBuffers[c].mData);
    for (UInt32 i = 0; i < nFrames; ++i)
      data[i] = 0.3f * static_cast<float>(std::sin(0.05 * (ts->mSampleTime + i)));
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
  EXPECT_EQ(ToStd(id), kBrindleBundleID);
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
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids, &size),
            noErr);
  ASSERT_EQ(size, 16u);
  const char* names[] = {"Level", "Attack", "Effect", "Cabinet"};
  for (int i = 0; i < 4; ++i)
  {
    AudioUnitParameterInfo info;
    size = sizeof(info);
    ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, i, &info, &size),
              noErr);
    EXPECT_STREQ(info.name, names[i]);
    CFRelease(info.cfNameString);
    if (info.unitName) CFRelease(info.unitName);
  }

  AURenderCallbackStruct cb = {Sine, nullptr};
  ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb,
                                 sizeof(cb)),
            noErr);
  ASSERT_EQ(AudioUnitInitialize(unit), noErr);
  HostBuffers out(2, 512);
  double energy = 0.0;
  for (int block = 0; block < 4; ++block)
  {
    AudioUnitRenderActionFlags flags = 0;
    const AudioTimeStamp ts = SampleTimeStamp(512.0 * block);
    ASSERT_EQ(AudioUnitRender(unit, &flags, &ts, 0, 512, out.List()), noErr);
    for (int i = 0; i < 512; ++i)
    {
      ASSERT_TRUE(std::isfinite(out.Channel(0)[i]));
      ASSERT_EQ(out.Channel(0)[i], out.Channel(1)[i]); // one result on every output
      energy += static_cast<double>(out.Channel(0)[i]) * out.Channel(0)[i];
    }
  }
  EXPECT_GT(energy, 0.0);

  CFPropertyListRef state = nullptr;
  size = sizeof(state);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size),
            noErr);
  CFStringRef key = CFStringCreateWithCString(nullptr, "data", kCFStringEncodingUTF8);
  CFDataRef data = static_cast<CFDataRef>(const_cast<void*>(CFDictionaryGetValue(static_cast<CFDictionaryRef>(state), key)));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(CFDataGetLength(data), 32);
  CFRelease(key);
  ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof(state)),
            noErr);
  CFRelease(state);

  // No editor yet: no Cocoa view to offer.
  AudioUnitCocoaViewInfo view;
  size = sizeof(view);
  EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &view, &size),
            kAudioUnitErr_InvalidProperty);

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
  for (ComponentInstance u : units)
  {
    ASSERT_NE(u, nullptr);
    storages.insert(GetComponentInstanceStorage(u));
  }
  EXPECT_EQ(storages.size(), units.size());
  for (ComponentInstance u : units) CloseComponent(u);
}

TEST(BrindleFactory, MakePlugBuildsTheProductWithItsIdentity)
{
  std::vector<Brindle*> plugs(6, nullptr);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < plugs.size(); ++i) threads.emplace_back([&, i] { plugs[i] = MakePlug(); });
  for (std::thread& t : threads) t.join();
  for (Brindle* plug : plugs)
  {
    ASSERT_NE(plug, nullptr);
    EXPECT_STREQ(plug->GetEffectName(), "Brindle");
    EXPECT_STREQ(plug->GetMfrName(), "tallowby");
    EXPECT_EQ(plug->GetPlugID(), static_cast<int>(kBdl3));
    EXPECT_EQ(plug->GetMakerID(), static_cast<int>(kQxlo));
    EXPECT_EQ(plug->GetEffectVersion(false), 131840);
    EXPECT_STREQ(plug->GetBundleID(), kBrindleBundleID);
    EXPECT_STREQ(plug->GetViewClassName(), "Brindle_View");
    EXPECT_EQ(plug->NParams(), 4);
    EXPECT_TRUE(plug->LegalIO(1, 1) && plug->LegalIO(2, 2) && !plug->LegalIO(1, 2));
    delete plug;
  }
}
