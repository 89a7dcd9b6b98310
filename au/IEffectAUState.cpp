// The class-info dictionary (the unit's state as the host saves it with a project)
// and the factory-presets array.
#include "au/IEffectAUState.h"

#include <cstring>
#include <string>

#include "au/CFAUPreset.h"
#include "au/IEffectAU.h"
#include "au/IEffectAUStrings.h"
#include "plugcore/ByteChunk.h"

namespace {
// SetState reads the preset name into a buffer of this size.
constexpr int kStateNameSize = 64;

// A key string that releases itself.
// CF's reference types drop the const of CFTypeRef; values read from dictionaries
// are only ever read.
template <typename T>
T CFCast(CFTypeRef value)
{
  return static_cast<T>(const_cast<void*>(value));
}

class CFKey
{
public:
  explicit CFKey(const char* text) : mString(IEffectAU_MakeCFString(text)) {}
  ~CFKey()
  {
    if (mString) CFRelease(mString);
  }
  CFKey(const CFKey&) = delete;
  CFKey& operator=(const CFKey&) = delete;
  CFStringRef Get() const { return mString; }

private:
  CFStringRef mString;
};

void PutNumberInDict(CFMutableDictionaryRef pDict, const char* key, SInt32 value)
{
  CFKey cfKey(key);
  CFNumberRef number = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &value);
  if (cfKey.Get() && number) CFDictionarySetValue(pDict, cfKey.Get(), number);
  if (number) CFRelease(number);
}

bool GetNumberFromDict(CFDictionaryRef pDict, const char* key, SInt32* pValue)
{
  CFKey cfKey(key);
  if (!cfKey.Get()) return false;
  CFTypeRef value = CFDictionaryGetValue(pDict, cfKey.Get());
  if (!value || CFGetTypeID(value) != CFNumberGetTypeID()) return false;
  return CFNumberGetValue(CFCast<CFNumberRef>(value), kCFNumberSInt32Type, pValue);
}
} // namespace

void PutStrInDict(CFMutableDictionaryRef pDict, const char* key, const char* value)
{
  CFKey cfKey(key);
  CFStringRef cfValue = IEffectAU_MakeCFString(value);
  if (cfKey.Get() && cfValue) CFDictionarySetValue(pDict, cfKey.Get(), cfValue);
  if (cfValue) CFRelease(cfValue);
}

bool GetStrFromDict(CFDictionaryRef pDict, const char* key, char* value, int valueSize)
{
  if (valueSize <= 0) return false;
  value[0] = '\0';
  CFKey cfKey(key);
  if (!cfKey.Get()) return false;
  CFTypeRef str = CFDictionaryGetValue(pDict, cfKey.Get());
  if (!str || CFGetTypeID(str) != CFStringGetTypeID()) return false;
  std::string text = IEffectAU_CFStringToUTF8(CFCast<CFStringRef>(str));
  IEffectAU_CutUTF8(&text, static_cast<size_t>(valueSize - 1));
  std::memcpy(value, text.c_str(), text.size() + 1);
  return true;
}

bool GetDataFromDict(CFDictionaryRef pDict, const char* key, ByteChunk* pChunk)
{
  CFKey cfKey(key);
  if (!cfKey.Get()) return false;
  CFTypeRef data = CFDictionaryGetValue(pDict, cfKey.Get());
  if (!data || CFGetTypeID(data) != CFDataGetTypeID()) return false;
  const CFIndex n = CFDataGetLength(CFCast<CFDataRef>(data));
  if (n < 0 || n > 0x7FFFFFFF || pChunk->Resize(static_cast<int>(n)) != static_cast<int>(n)) return false;
  if (n > 0) std::memcpy(pChunk->Bytes(), CFDataGetBytePtr(CFCast<CFDataRef>(data)), static_cast<size_t>(n));
  return true;
}

ComponentResult IEffectAU::GetState(CFPropertyListRef* ppPropList)
{
  ComponentDescription cd;
  const OSErr err = GetComponentInfo(reinterpret_cast<Component>(mInstance), &cd, nullptr, nullptr, nullptr);
  if (err != noErr) return err;

  CFMutableDictionaryRef dict = CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks,
                                                          &kCFTypeDictionaryValueCallBacks);
  if (!dict) return coreFoundationUnknownErr;
  PutNumberInDict(dict, "version", GetEffectVersion(false));
  PutNumberInDict(dict, "type", static_cast<SInt32>(cd.componentType));
  PutNumberInDict(dict, "subtype", static_cast<SInt32>(cd.componentSubType));
  PutNumberInDict(dict, "manufacturer", static_cast<SInt32>(cd.componentManufacturer));
  PutStrInDict(dict, "name", GetPresetName(mCurrentPreset));

  ByteChunk chunk;
  if (SerializeState(&chunk)) {
    CFDataRef data = CFDataCreate(kCFAllocatorDefault, chunk.Bytes(), chunk.Size());
    if (data) {
      CFKey key("data");
      if (key.Get()) CFDictionarySetValue(dict, key.Get(), data);
      CFRelease(data);
    }
  }
  *ppPropList = dict;
  return noErr;
}

ComponentResult IEffectAU::SetState(CFPropertyListRef pPropList)
{
  ComponentDescription cd;
  const OSErr err = GetComponentInfo(reinterpret_cast<Component>(mInstance), &cd, nullptr, nullptr, nullptr);
  if (err != noErr) return err;

  if (!pPropList || CFGetTypeID(pPropList) != CFDictionaryGetTypeID()) return kAudioUnitErr_InvalidPropertyValue;
  CFDictionaryRef dict = CFCast<CFDictionaryRef>(pPropList);

  SInt32 version = 0, type = 0, subtype = 0, mfr = 0;
  if (!GetNumberFromDict(dict, "version", &version) || !GetNumberFromDict(dict, "type", &type) ||
      !GetNumberFromDict(dict, "subtype", &subtype) || !GetNumberFromDict(dict, "manufacturer", &mfr))
    return kAudioUnitErr_InvalidPropertyValue;

  char presetName[kStateNameSize];
  if (!GetStrFromDict(dict, "name", presetName, kStateNameSize) || static_cast<OSType>(type) != cd.componentType ||
      static_cast<OSType>(subtype) != cd.componentSubType || static_cast<OSType>(mfr) != cd.componentManufacturer)
    return kAudioUnitErr_InvalidPropertyValue;

  // A refused state leaves the unit exactly as it was: without data nothing is
  // touched, and a restore that fails part-way is undone from a snapshot of the
  // parameters, the current preset and the preset the name selects.
  ByteChunk chunk;
  if (!GetDataFromDict(dict, "data", &chunk)) return kAudioUnitErr_InvalidPropertyValue;
  ByteChunk stateBefore;
  SerializeState(&stateBefore);
  const int presetBefore = mCurrentPreset;
  IPreset* named = nullptr;
  for (int i = 0; i < mPresets.GetSize() && !named; ++i)
    if (std::strcmp(mPresets.Get(i)->mName, presetName) == 0) named = mPresets.Get(i);
  const IPreset namedBefore = named ? *named : IPreset();

  RestorePreset(presetName);
  // A read that ran out of data (-1) is a failed restore, not a success.
  if (UnserializeState(&chunk, 0) > 0) {
    RedrawParamControls();
    return noErr;
  }
  if (named) *named = namedBefore;
  mCurrentPreset = presetBefore;
  UnserializeState(&stateBefore, 0);
  RedrawParamControls();
  return kAudioUnitErr_InvalidPropertyValue;
}

ComponentResult IEffectAU::GetFactoryPresets(CFArrayRef* pArray)
{
  const int n = static_cast<int>(mPresets.GetSize());
  CFMutableArrayRef array = CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFAUPresetArrayCallBacks);
  if (!array) return coreFoundationUnknownErr;
  for (int i = 0; i < n; ++i) {
    CFStringRef name = IEffectAU_MakeCFString(GetPresetName(i));
    CFAUPresetRef preset = CFAUPresetCreate(kCFAllocatorDefault, i, name);
    if (name) CFRelease(name);
    if (!preset) {
      CFRelease(array);
      return coreFoundationUnknownErr;
    }
    CFArrayAppendValue(array, preset);
    CFAUPresetRelease(preset);
  }
  *pArray = array;
  return noErr;
}
