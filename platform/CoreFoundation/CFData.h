/*
 * CFData.h — immutable byte buffers.
 */
#ifndef BRINDLE_PLATFORM_CFDATA_H
#define BRINDLE_PLATFORM_CFDATA_H

#include <CoreFoundation/CFBase.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef const struct __CFData* CFDataRef;

CFTypeID CFDataGetTypeID(void);
/* Copies `length` bytes; NULL for a negative length or NULL bytes with a positive length. */
CFDataRef CFDataCreate(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length);
CFIndex CFDataGetLength(CFDataRef theData);
const UInt8* CFDataGetBytePtr(CFDataRef theData);
/* Copies the bytes in range; the range must lie inside the data (nothing is copied otherwise). */
void CFDataGetBytes(CFDataRef theData, CFRange range, UInt8* buffer);

#ifdef __cplusplus
}
#endif

#endif
