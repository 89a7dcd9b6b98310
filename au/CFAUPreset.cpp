#include "au/CFAUPreset.h"

#include <new>

CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 presetNumber, CFStringRef name)
{
  void* memory = CFAllocatorAllocate(allocator, sizeof(CFAUPreset), 0);
  if (!memory) return nullptr;
  CFAUPreset* preset = new (memory) CFAUPreset;
  preset->auPreset.presetNumber = presetNumber;
  preset->auPreset.presetName = name ? CFStringCreateCopy(allocator, name) : nullptr;
  preset->version = 0;
  // The record is freed with the allocator that made it, so it keeps that alive.
  if (allocator) CFRetain(allocator);
  preset->allocator = allocator;
  preset->retainCount = 1;
  return preset;
}

CFAUPresetRef CFAUPresetRetain(void* value)
{
  CFAUPreset* preset = static_cast<CFAUPreset*>(value);
  if (preset) {
    if (preset->auPreset.presetName) CFRetain(preset->auPreset.presetName);
    ++preset->retainCount;
  }
  return preset;
}

void CFAUPresetRelease(void* value)
{
  CFAUPreset* preset = static_cast<CFAUPreset*>(value);
  if (!preset || preset->retainCount <= 0) return;
  if (preset->auPreset.presetName) CFRelease(preset->auPreset.presetName);
  if (--preset->retainCount > 0) return;
  preset->auPreset.presetName = nullptr;
  preset->auPreset.presetNumber = 0;
  CFAllocatorRef allocator = preset->allocator;
  preset->~CFAUPreset();
  CFAllocatorDeallocate(allocator, preset);
  if (allocator) CFRelease(allocator);
}

const void* CFAUPresetArrayRetainCallBack(CFAllocatorRef /*allocator*/, const void* value)
{
  return CFAUPresetRetain(const_cast<void*>(value));
}

void CFAUPresetArrayReleaseCallBack(CFAllocatorRef /*allocator*/, const void* value)
{
  CFAUPresetRelease(const_cast<void*>(value));
}

Boolean CFAUPresetArrayEqualCallBack(const void* value1, const void* value2)
{
  const CFAUPreset* a = static_cast<const CFAUPreset*>(value1);
  const CFAUPreset* b = static_cast<const CFAUPreset*>(value2);
  if (!a || !b) return a == b;
  if (a->auPreset.presetNumber != b->auPreset.presetNumber) return false;
  CFStringRef na = a->auPreset.presetName;
  CFStringRef nb = b->auPreset.presetName;
  if (!na || !nb) return na == nb;
  return CFStringCompare(na, nb, 0) == kCFCompareEqualTo;
}

CFStringRef CFAUPresetArrayCopyDescriptionCallBack(const void* value)
{
  const CFAUPreset* preset = static_cast<const CFAUPreset*>(value);
  if (!preset) return nullptr;
  return CFStringCreateWithFormat(kCFAllocatorDefault, nullptr,
                                  CFSTR("AUPreset:\npreset number = %d\npreset name = %@"),
                                  static_cast<int>(preset->auPreset.presetNumber), preset->auPreset.presetName);
}

void CFAUPresetArrayCallBacks_Init(CFArrayCallBacks* callBacks)
{
  if (!callBacks) return;
  callBacks->version = 0;
  callBacks->retain = CFAUPresetArrayRetainCallBack;
  callBacks->release = CFAUPresetArrayReleaseCallBack;
  callBacks->copyDescription = CFAUPresetArrayCopyDescriptionCallBack;
  callBacks->equal = CFAUPresetArrayEqualCallBack;
}

// Constant-initialized, so the callbacks are in place before any code runs.
const CFArrayCallBacks kCFAUPresetArrayCallBacks = {0, CFAUPresetArrayRetainCallBack, CFAUPresetArrayReleaseCallBack,
                                                    CFAUPresetArrayCopyDescriptionCallBack,
                                                    CFAUPresetArrayEqualCallBack};
