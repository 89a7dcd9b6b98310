/*
 * CFNumber.h — boxed numbers. A number keeps whether it was made from an integer or a floating-point
 * type; reading it as another type converts, and reports false when the conversion loses information.
 */
#ifndef BRINDLE_PLATFORM_CFNUMBER_H
#define BRINDLE_PLATFORM_CFNUMBER_H

#include <CoreFoundation/CFBase.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef const struct __CFNumber* CFNumberRef;

typedef CFIndex CFNumberType;
enum {
  kCFNumberSInt8Type = 1,
  kCFNumberSInt16Type = 2,
  kCFNumberSInt32Type = 3,
  kCFNumberSInt64Type = 4,
  kCFNumberFloat32Type = 5,
  kCFNumberFloat64Type = 6,
  kCFNumberCharType = 7,
  kCFNumberShortType = 8,
  kCFNumberIntType = 9,
  kCFNumberLongType = 10,
  kCFNumberLongLongType = 11,
  kCFNumberFloatType = 12,
  kCFNumberDoubleType = 13,
  kCFNumberCFIndexType = 14
};

CFTypeID CFNumberGetTypeID(void);
/* NULL for an unknown type or a NULL valuePtr. */
CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType theType, const void* valuePtr);
/* Stores the value converted to theType; false when that loses information (out of range, or a
 * fraction read as an integer), in which case the converted value is stored all the same. */
Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr);

#ifdef __cplusplus
}
#endif

#endif
