// Fuzzes the state restore as a host reaches it: a class-info dictionary set through the Audio Unit
// component entry (kAudioUnitProperty_ClassInfo), on a product with Brindle's identity and
// parameter kinds (the effect's own DSP code does not build with the fuzzing compiler). The input chooses which keys are there, whether
// they have the right type and identity, the preset name and the state data. A refused state must
// leave the unit exactly as it was (its class-info reads back the same); an accepted one must leave
// every parameter finite.

#include "FuzzInput.h"

#include "au/IEffectAU.h"

#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/CoreServices.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const kNumberKeys[] = {"version", "type", "subtype", "manufacturer"};
const SInt32 kIdentity[] = {0x00020300, 0x61756678, 0x62646C33, 0x51786C6F};

// Four parameters as Brindle has them (two continuous, two switches) and its "Init" preset.
class FuzzUnit : public IEffectAU
{
public:
  FuzzUnit()
      : IEffectAU(IEffectInstanceInfo{"org.brindle.fuzz", "Fuzz_View"}, 4, "1-1 2-2", 1, "Fuzz", "Fuzz", "Maker",
                  kIdentity[0], kIdentity[2], kIdentity[3], 0, false, false, false, 0)
  {
    GetParam(0)->InitDouble("Level", 0.5, 0.0, 1.0, 0.001);
    GetParam(1)->InitDouble("Attack", 0.5, 0.0, 1.0, 0.001, "", "", 2.0);
    GetParam(2)->InitBool("Effect", true);
    GetParam(3)->InitBool("Cabinet", true);
    MakePreset("Init", 1.0, 0.5, 1, 1);
  }
};

IEffectAU* MakeFuzzUnit()
{
  return new FuzzUnit;
}

ComponentResult Entry(ComponentParameters* params, Handle storage)
{
  return IEffectAU::IEffectAUEntry(params, storage);
}

AudioUnit OpenUnit()
{
  ComponentDescription cd = {static_cast<OSType>(kIdentity[1]), static_cast<OSType>(kIdentity[2]),
                             static_cast<OSType>(kIdentity[3]), 0, 0};
  IEffectAU::SetPlugFactory(&MakeFuzzUnit);
  Component component = RegisterComponent(&cd, Entry, 0, nullptr, nullptr, nullptr);
  ComponentInstance instance = nullptr;
  if (!component || OpenAComponent(component, &instance) != noErr) std::abort();
  return instance;
}

void Set(CFMutableDictionaryRef dict, const char* key, CFTypeRef value)
{
  CFStringRef k = CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8);
  if (k && value) CFDictionarySetValue(dict, k, value);
  if (k) CFRelease(k);
  if (value) CFRelease(value);
}

CFPropertyListRef ClassInfo(AudioUnit unit)
{
  CFPropertyListRef state = nullptr;
  UInt32 size = sizeof(state);
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size) != noErr ||
      !state)
    std::abort();
  return state;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static AudioUnit unit = OpenUnit();
  FuzzInput in(data, size);
  const uint8_t present = in.Byte();  // bit k: key k is there (0-3 numbers, 4 name, 5 data)
  const uint8_t forged = in.Byte();   // bit k: number k comes from the input, not the identity
  const uint8_t mistyped = in.Byte(); // bit k: key k holds a value of the wrong type
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  for (int k = 0; k < 4; ++k) {
    SInt32 v = (forged >> k) & 1 ? in.Int32() : kIdentity[k];
    if (!((present >> k) & 1)) continue;
    Set(dict, kNumberKeys[k],
        (mistyped >> k) & 1 ? static_cast<CFTypeRef>(CFStringCreateWithCString(nullptr, "1", kCFStringEncodingUTF8))
                            : CFNumberCreate(nullptr, kCFNumberSInt32Type, &v));
  }
  const std::vector<uint8_t> name = in.Bytes(in.Byte());
  if ((present >> 4) & 1)
    Set(dict, "name",
        (mistyped >> 4) & 1
            ? static_cast<CFTypeRef>(CFDataCreate(nullptr, name.data(), static_cast<CFIndex>(name.size())))
            : CFStringCreateWithCString(nullptr, std::string(name.begin(), name.end()).c_str(), kCFStringEncodingUTF8));
  const std::vector<uint8_t> state = in.Rest();
  if ((present >> 5) & 1) {
    SInt32 n = static_cast<SInt32>(state.size());
    Set(dict, "data",
        (mistyped >> 5) & 1 ? static_cast<CFTypeRef>(CFNumberCreate(nullptr, kCFNumberSInt32Type, &n))
                            : CFDataCreate(nullptr, state.data(), static_cast<CFIndex>(state.size())));
  }

  CFPropertyListRef before = ClassInfo(unit);
  // Now and then the host hands over something that is not a dictionary at all.
  CFStringRef dataKey = CFStringCreateWithCString(nullptr, "data", kCFStringEncodingUTF8);
  CFPropertyListRef value = (present & 0x80) ? CFDictionaryGetValue(dict, dataKey) : dict;
  CFRelease(dataKey);
  const OSStatus status =
      AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &value, sizeof(value));
  CFPropertyListRef after = ClassInfo(unit);
  if (status != noErr && !CFEqual(before, after)) {
    std::fprintf(stderr, "fuzz check failed: a refused state changed the unit\n");
    std::abort();
  }
  for (AudioUnitParameterID id = 0; id < 4; ++id) {
    AudioUnitParameterValue v = 0;
    if (AudioUnitGetParameter(unit, id, kAudioUnitScope_Global, 0, &v) != noErr || !std::isfinite(v)) {
      std::fprintf(stderr, "fuzz check failed: parameter %u not finite\n", id);
      std::abort();
    }
  }
  CFRelease(before);
  CFRelease(after);
  CFRelease(dict);
  return 0;
}
