#pragma once
// CFAUPreset: the reference-counted preset record a unit hands to the host inside
// the factory-presets array. The record leads with the published AUPreset, so the
// host reads the array's values as AUPreset pointers. The array's callbacks
// (kCFAUPresetArrayCallBacks) retain and release the records; a record's name
// string is retained and released in step with the record.

#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>

struct CFAUPreset
{
  AUPreset auPreset;
  UInt32 version;
  CFAllocatorRef allocator;
  CFIndex retainCount;
};
typedef CFAUPreset* CFAUPresetRef;

// A new record (count 1) holding a copy of name, or null when memory is short.
CFAUPresetRef CFAUPresetCreate(CFAllocatorRef allocator, SInt32 presetNumber, CFStringRef name);
CFAUPresetRef CFAUPresetRetain(void* preset);
// Frees the record (with the allocator that made it) when the last reference goes.
void CFAUPresetRelease(void* preset);

const void* CFAUPresetArrayRetainCallBack(CFAllocatorRef allocator, const void* value);
void CFAUPresetArrayReleaseCallBack(CFAllocatorRef allocator, const void* value);
Boolean CFAUPresetArrayEqualCallBack(const void* value1, const void* value2);
CFStringRef CFAUPresetArrayCopyDescriptionCallBack(const void* value);

// Fills the callbacks; called once at load time.
void CFAUPresetArrayCallBacks_Init(CFArrayCallBacks* callBacks);
extern const CFArrayCallBacks kCFAUPresetArrayCallBacks;
