// The Component Manager and the AudioUnit calls: registration, instances, storage, and parameter
// blocks that carry each selector's arguments last-first in one slot each.
#include <AudioUnit/AudioUnit.h>
#include <CoreServices/CoreServices.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr OSType FourCC(const char (&code)[5])
{
  return (OSType(UInt8(code[0])) << 24) | (OSType(UInt8(code[1])) << 16) | (OSType(UInt8(code[2])) << 8) |
         OSType(UInt8(code[3]));
}

struct Call
{
  SInt16 what;
  int paramSize;
  std::vector<long> params;
  Handle storage;
};

std::vector<Call> gCalls;
ComponentResult gOpenResult = noErr;

template <class T>
T Arg(ComponentParameters* p, int index, int count)
{
  T value;
  std::memcpy(&value, &p->params[count - 1 - index], sizeof value);
  return value;
}

// A unit that records every call and answers a few selectors the way an Audio Unit would.
ComponentResult RecordingEntry(ComponentParameters* p, Handle storage)
{
  Call call{p->what, p->paramSize, {}, storage};
  for (int i = 0; i < p->paramSize / static_cast<int>(sizeof(long)); ++i) call.params.push_back(p->params[i]);
  gCalls.push_back(call);
  switch (p->what) {
  case kComponentOpenSelect: {
    ComponentInstance self = Arg<ComponentInstance>(p, 0, 1);
    SetComponentInstanceStorage(self, reinterpret_cast<Handle>(new float(42.0f)));
    return gOpenResult;
  }
  case kComponentCloseSelect:
    delete reinterpret_cast<float*>(storage);
    return noErr;
  case kComponentVersionSelect:
    return 0x00020300;
  case kComponentCanDoSelect:
    return Arg<SInt16>(p, 0, 1) == kAudioUnitRenderSelect ? 1 : 0;
  case kAudioUnitGetPropertySelect: {
    const auto id = Arg<AudioUnitPropertyID>(p, 0, 5);
    const auto scope = Arg<AudioUnitScope>(p, 1, 5);
    const auto element = Arg<AudioUnitElement>(p, 2, 5);
    auto* data = Arg<void*>(p, 3, 5);
    auto* size = Arg<UInt32*>(p, 4, 5);
    if (id != kAudioUnitProperty_SampleRate) return kAudioUnitErr_InvalidProperty;
    *static_cast<Float64*>(data) = 1000.0 * scope + element;
    *size = sizeof(Float64);
    return noErr;
  }
  case kAudioUnitSetParameterSelect: {
    const auto value = Arg<AudioUnitParameterValue>(p, 3, 5);
    *reinterpret_cast<float*>(storage) = value;
    return noErr;
  }
  case kAudioUnitRenderSelect: {
    auto* flags = Arg<AudioUnitRenderActionFlags*>(p, 0, 5);
    const auto* stamp = Arg<const AudioTimeStamp*>(p, 1, 5);
    const auto frames = Arg<UInt32>(p, 3, 5);
    auto* list = Arg<AudioBufferList*>(p, 4, 5);
    *flags |= kAudioUnitRenderAction_OutputIsSilence;
    float* out = static_cast<float*>(list->mBuffers[0].mData);
    for (UInt32 i = 0; i < frames; ++i) out[i] = static_cast<float>(stamp->mSampleTime + i);
    return noErr;
  }
  default:
    return badComponentSelector;
  }
}

class ComponentManagerTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    gCalls.clear();
    gOpenResult = noErr;
    ComponentDescription d = {kAudioUnitType_Effect, FourCC("tst1"), FourCC("Qxlo"), 0, 0};
    mComponent = RegisterComponent(&d, RecordingEntry, 0, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, mComponent);
  }
  void TearDown() override { EXPECT_EQ(noErr, UnregisterComponent(mComponent)); }
  Component mComponent = nullptr;
};

TEST_F(ComponentManagerTest, OpenSetsStorageAndCloseHandsItBack)
{
  ComponentInstance ci = nullptr;
  ASSERT_EQ(noErr, OpenAComponent(mComponent, &ci));
  ASSERT_NE(nullptr, ci);
  ASSERT_EQ(1u, gCalls.size());
  EXPECT_EQ(kComponentOpenSelect, gCalls[0].what);
  EXPECT_EQ(static_cast<int>(sizeof(long)), gCalls[0].paramSize);
  EXPECT_EQ(nullptr, gCalls[0].storage); // no storage before the open call sets it
  EXPECT_EQ(42.0f, *reinterpret_cast<float*>(GetComponentInstanceStorage(ci)));
  EXPECT_EQ(1, CountComponentInstances(mComponent));
  EXPECT_EQ(validInstancesExist, UnregisterComponent(mComponent));

  // An instance stands for its component in GetComponentInfo.
  ComponentDescription d = {};
  ASSERT_EQ(noErr, GetComponentInfo(reinterpret_cast<Component>(ci), &d, nullptr, nullptr, nullptr));
  EXPECT_EQ(static_cast<OSType>(kAudioUnitType_Effect), d.componentType);
  EXPECT_EQ(static_cast<OSType>(FourCC("tst1")), d.componentSubType);
  EXPECT_EQ(static_cast<OSType>(FourCC("Qxlo")), d.componentManufacturer);
  char name[8] = {0};
  char* namePointer = name;
  EXPECT_EQ(paramErr, GetComponentInfo(mComponent, &d, &namePointer, nullptr, nullptr));

  EXPECT_EQ(0x00020300, GetComponentVersion(ci));
  EXPECT_EQ(1, ComponentFunctionImplemented(ci, kAudioUnitRenderSelect));
  EXPECT_EQ(0, ComponentFunctionImplemented(ci, 8));

  ASSERT_EQ(noErr, CloseComponent(ci));
  EXPECT_EQ(kComponentCloseSelect, gCalls.back().what);
  EXPECT_EQ(0, CountComponentInstances(mComponent));
  // A closed instance is refused everywhere, even after its slot is used again.
  ComponentInstance again = OpenComponent(mComponent);
  ASSERT_NE(nullptr, again);
  EXPECT_NE(ci, again);
  EXPECT_EQ(badComponentInstance, AudioUnitInitialize(ci));
  EXPECT_EQ(nullptr, GetComponentInstanceStorage(ci));
  EXPECT_EQ(invalidComponentID, GetComponentInfo(reinterpret_cast<Component>(ci), &d, nullptr, nullptr, nullptr));
  EXPECT_EQ(static_cast<OSErr>(badComponentInstance), CloseComponent(ci));
  EXPECT_EQ(noErr, CloseComponent(again));
}

TEST_F(ComponentManagerTest, RefusedOpenIsClosedAndForgotten)
{
  gOpenResult = -50;
  ComponentInstance ci = reinterpret_cast<ComponentInstance>(1);
  EXPECT_EQ(-50, OpenAComponent(mComponent, &ci));
  EXPECT_EQ(nullptr, ci);
  // The close call lets the entry free what its open made (the storage it had set).
  ASSERT_EQ(2u, gCalls.size());
  EXPECT_EQ(kComponentCloseSelect, gCalls[1].what);
  EXPECT_NE(nullptr, gCalls[1].storage);
  EXPECT_EQ(0, CountComponentInstances(mComponent));
}

TEST_F(ComponentManagerTest, AudioUnitCallsCarryArgumentsInPublishedOrder)
{
  AudioUnit unit = OpenComponent(mComponent);
  ASSERT_NE(nullptr, unit);
  gCalls.clear();

  Float64 rate = 0;
  UInt32 size = sizeof rate;
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 7, &rate, &size));
  EXPECT_EQ(2007.0, rate); // 1000 * scope + element, computed by the unit from its arguments
  EXPECT_EQ(8u, size);
  ASSERT_EQ(1u, gCalls.size());
  EXPECT_EQ(kAudioUnitGetPropertySelect, gCalls[0].what);
  EXPECT_EQ(static_cast<int>(5 * sizeof(long)), gCalls[0].paramSize);
  // Last argument first: slot 0 holds ioDataSize, slot 4 the property ID.
  EXPECT_EQ(reinterpret_cast<long>(&size), gCalls[0].params[0]);
  EXPECT_EQ(kAudioUnitProperty_SampleRate, gCalls[0].params[4]);
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, AudioUnitGetProperty(unit, kAudioUnitProperty_Latency, 0, 0, &rate, &size));

  ASSERT_EQ(noErr, AudioUnitSetParameter(unit, 3, kAudioUnitScope_Global, 0, 0.75f, 12));
  EXPECT_EQ(0.75f, *reinterpret_cast<float*>(GetComponentInstanceStorage(unit)));
  const Call& set = gCalls.back();
  EXPECT_EQ(12, set.params[0]); // buffer offset
  EXPECT_EQ(3, set.params[4]);  // parameter ID

  float samples[4] = {};
  AudioBufferList list = {1, {{1, sizeof samples, samples}}};
  AudioTimeStamp stamp = {};
  stamp.mSampleTime = 100;
  stamp.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  ASSERT_EQ(noErr, AudioUnitRender(unit, &flags, &stamp, 0, 4, &list));
  EXPECT_EQ(static_cast<UInt32>(kAudioUnitRenderAction_OutputIsSilence), flags);
  EXPECT_EQ(100.0f, samples[0]);
  EXPECT_EQ(103.0f, samples[3]);

  EXPECT_EQ(badComponentSelector, AudioUnitReset(unit, 0, 0));
  EXPECT_EQ(kAudioUnitResetSelect, gCalls.back().what);
  EXPECT_EQ(static_cast<int>(2 * sizeof(long)), gCalls.back().paramSize);
  EXPECT_EQ(badComponentSelector, AudioUnitInitialize(unit));
  EXPECT_EQ(0, gCalls.back().paramSize);
  CloseComponent(unit);
}

TEST_F(ComponentManagerTest, FindNextMatchesWildcardsAndFlags)
{
  ComponentDescription viewDesc = {FourCC("auvw"), FourCC("tst1"), FourCC("Qxlo"), 4, 0};
  Component view = RegisterComponent(&viewDesc, RecordingEntry, 0, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, view);

  ComponentDescription any = {0, FourCC("tst1"), FourCC("Qxlo"), 0, 0};
  Component first = FindNextComponent(nullptr, &any);
  Component second = FindNextComponent(first, &any);
  EXPECT_TRUE((first == mComponent && second == view) || (first == view && second == mComponent));
  EXPECT_EQ(nullptr, FindNextComponent(second, &any));

  ComponentDescription flagged = {0, FourCC("tst1"), FourCC("Qxlo"), 4, 4};
  EXPECT_EQ(view, FindNextComponent(nullptr, &flagged));
  ComponentDescription effect = {kAudioUnitType_Effect, FourCC("tst1"), 0, 0, 0};
  EXPECT_EQ(mComponent, FindNextComponent(nullptr, &effect));
  ComponentDescription none = {kAudioUnitType_Effect, FourCC("zzzz"), 0, 0, 0};
  EXPECT_EQ(nullptr, FindNextComponent(nullptr, &none));

  EXPECT_EQ(noErr, UnregisterComponent(view));
  EXPECT_EQ(invalidComponentID, UnregisterComponent(view));
  EXPECT_EQ(nullptr, OpenComponent(view));
}

TEST(ComponentManagerEdges, RefusesWhatIsNotAnInstance)
{
  EXPECT_EQ(badComponentInstance, AudioUnitInitialize(nullptr));
  EXPECT_EQ(badComponentInstance, AudioUnitUninitialize(reinterpret_cast<AudioUnit>(0x1234)));
  EXPECT_EQ(nullptr, GetComponentInstanceStorage(nullptr));
  EXPECT_EQ(nullptr, RegisterComponent(nullptr, RecordingEntry, 0, nullptr, nullptr, nullptr));
  ComponentDescription d = {1, 2, 3, 0, 0};
  EXPECT_EQ(nullptr, RegisterComponent(&d, nullptr, 0, nullptr, nullptr, nullptr));
}

TEST(GestaltTest, ReportsTheSystemVersion)
{
  SInt32 version = 0;
  ASSERT_EQ(noErr, Gestalt(gestaltSystemVersion, &version));
  EXPECT_GE(version, 0x1050);
  EXPECT_EQ(gestaltUndefSelectorErr, Gestalt(FourCC("zzzz"), &version));
  EXPECT_EQ(paramErr, Gestalt(gestaltSystemVersion, nullptr));
}

} // namespace
