// Every object a property read hands to the host is new and carries exactly the
// one reference the host releases: nothing is shared with the unit, nothing leaks.
#include "AUTestFixture.h"

#include "au/CFAUPreset.h"

namespace {
template <typename T>
OSStatus Read(AudioUnit unit, AudioUnitPropertyID id, AudioUnitElement element, T* value)
{
  UInt32 size = sizeof(T);
  return AudioUnitGetProperty(unit, id, kAudioUnitScope_Global, element, value, &size);
}
} // namespace

using AUOwnershipTest = AUHostTest;

TEST_F(AUOwnershipTest, ObjectsHandedToTheHostCarryOneReference)
{
  // Parameter info: the name string and the custom unit name.
  AudioUnitParameterInfo info;
  ASSERT_EQ(Read(mUnit, kAudioUnitProperty_ParameterInfo, TestPlug::kGain, &info), noErr);
  EXPECT_EQ(CFGetRetainCount(info.cfNameString), 1);
  EXPECT_EQ(CFGetRetainCount(info.unitName), 1);
  CFRelease(info.cfNameString);
  CFRelease(info.unitName);

  // Value strings: the array, and each string held by the array alone.
  CFArrayRef strings = nullptr;
  ASSERT_EQ(Read(mUnit, kAudioUnitProperty_ParameterValueStrings, TestPlug::kMode, &strings), noErr);
  EXPECT_EQ(CFGetRetainCount(strings), 1);
  for (CFIndex i = 0; i < CFArrayGetCount(strings); ++i)
    EXPECT_EQ(CFGetRetainCount(CFArrayGetValueAtIndex(strings, i)), 1) << i;
  CFRelease(strings);

  // The state dictionary and its data.
  CFPropertyListRef state = nullptr;
  ASSERT_EQ(Read(mUnit, kAudioUnitProperty_ClassInfo, 0, &state), noErr);
  EXPECT_EQ(CFGetRetainCount(state), 1);
  CFStringRef dataKey = CFStringCreateWithCString(nullptr, "data", kCFStringEncodingUTF8);
  CFTypeRef data = CFDictionaryGetValue(static_cast<CFDictionaryRef>(state), dataKey);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(CFGetRetainCount(data), 1);
  CFRelease(dataKey);
  CFRelease(state);

  // Factory presets: the array; each record and its name string held by the array alone.
  CFArrayRef presets = nullptr;
  ASSERT_EQ(Read(mUnit, kAudioUnitProperty_FactoryPresets, 0, &presets), noErr);
  EXPECT_EQ(CFGetRetainCount(presets), 1);
  ASSERT_EQ(CFArrayGetCount(presets), 2);
  for (CFIndex i = 0; i < 2; ++i) {
    const CFAUPreset* record = static_cast<const CFAUPreset*>(CFArrayGetValueAtIndex(presets, i));
    EXPECT_EQ(record->retainCount, 1) << i;
    EXPECT_EQ(CFGetRetainCount(record->auPreset.presetName), 1) << i;
  }
  CFRelease(presets);

  // The present preset's name, an element name, ID, clump and value texts.
  AUPreset preset = {-1, nullptr};
  ASSERT_EQ(Read(mUnit, kAudioUnitProperty_PresentPreset, 0, &preset), noErr);
  EXPECT_EQ(CFGetRetainCount(preset.presetName), 1);
  CFRelease(preset.presetName);

  CFStringRef element = nullptr;
  UInt32 size = sizeof(element);
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ElementName, kAudioUnitScope_Output, 0, &element, &size),
            noErr);
  EXPECT_EQ(CFGetRetainCount(element), 1);
  CFRelease(element);

  AudioUnitParameterIDName idName = {TestPlug::kGain, kAudioUnitParameterName_Full, nullptr};
  ASSERT_EQ(Read(mUnit, kAudioUnitProperty_ParameterIDName, 0, &idName), noErr);
  EXPECT_EQ(CFGetRetainCount(idName.outName), 1);
  CFRelease(idName.outName);

  AudioUnitParameterNameInfo clump = {1, kAudioUnitParameterName_Full, nullptr};
  ASSERT_EQ(Read(mUnit, kAudioUnitProperty_ParameterClumpName, 0, &clump), noErr);
  EXPECT_EQ(ToStd(clump.outName), "Main");
  EXPECT_EQ(CFGetRetainCount(clump.outName), 1);
  CFRelease(clump.outName);

  const float value = 2.0f;
  AudioUnitParameterStringFromValue text = {TestPlug::kMode, &value, nullptr};
  ASSERT_EQ(Read(mUnit, kAudioUnitProperty_ParameterStringFromValue, 0, &text), noErr);
  EXPECT_EQ(CFGetRetainCount(text.outString), 1);
  CFRelease(text.outString);
}
