/*
 * CFArray.h — ordered collections of values, with callbacks that decide how values are retained,
 * released, compared and described. With kCFTypeArrayCallBacks the values are CF objects; a NULL
 * callbacks pointer stores raw pointers untouched; custom callbacks let an array own records of the
 * caller's own kind (its release callback runs for every value when the array is freed).
 */
#ifndef BRINDLE_PLATFORM_CFARRAY_H
#define BRINDLE_PLATFORM_CFARRAY_H

#include <CoreFoundation/CFBase.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef const void* (*CFArrayRetainCallBack)(CFAllocatorRef allocator, const void* value);
typedef void (*CFArrayReleaseCallBack)(CFAllocatorRef allocator, const void* value);
typedef CFStringRef (*CFArrayCopyDescriptionCallBack)(const void* value);
typedef Boolean (*CFArrayEqualCallBack)(const void* value1, const void* value2);

typedef struct CFArrayCallBacks
{
  CFIndex version;
  CFArrayRetainCallBack retain;
  CFArrayReleaseCallBack release;
  CFArrayCopyDescriptionCallBack copyDescription;
  CFArrayEqualCallBack equal;
} CFArrayCallBacks;

extern const CFArrayCallBacks kCFTypeArrayCallBacks;

typedef const struct __CFArray* CFArrayRef;
typedef struct __CFArray* CFMutableArrayRef;

CFTypeID CFArrayGetTypeID(void);
/* The callbacks are copied into the array; the retain callback runs for each value added, the
 * release callback for each value removed or when the array is freed. `capacity` is a hint. */
CFArrayRef CFArrayCreate(CFAllocatorRef allocator, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks);
CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity, const CFArrayCallBacks* callBacks);
CFIndex CFArrayGetCount(CFArrayRef theArray);
/* NULL for an index outside 0 .. count-1. */
const void* CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx);
void CFArrayAppendValue(CFMutableArrayRef theArray, const void* value);
void CFArrayRemoveValueAtIndex(CFMutableArrayRef theArray, CFIndex idx);
/* Index of the first value in range equal to `value` (equal callback, else pointer identity). */
CFIndex CFArrayGetFirstIndexOfValue(CFArrayRef theArray, CFRange range, const void* value);

#ifdef __cplusplus
}
#endif

#endif
