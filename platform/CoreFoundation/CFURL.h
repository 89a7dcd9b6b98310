/*
 * CFURL.h — file URLs. Only file-system locations are represented: a URL is an absolute path
 * (relative paths are resolved against the working directory when the URL is made).
 */
#ifndef BRINDLE_PLATFORM_CFURL_H
#define BRINDLE_PLATFORM_CFURL_H

#include <CoreFoundation/CFBase.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef const struct __CFURL* CFURLRef;

CFTypeID CFURLGetTypeID(void);
CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef allocator, const UInt8* buffer, CFIndex bufLen,
                                                 Boolean isDirectory);
/* Writes the zero-terminated path; false when it does not fit in maxBufLen bytes.
 * resolveAgainstBase is accepted for compatibility: every URL here is already absolute. */
Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer, CFIndex maxBufLen);

#ifdef __cplusplus
}
#endif

#endif
