/*
 * CFString.h — immutable text objects. Text is held as UTF-8; lengths and ranges count UTF-16 code
 * units, as CoreFoundation's do, so buffer sizes computed from CFStringGetLength behave as on a Mac.
 */
#ifndef BRINDLE_PLATFORM_CFSTRING_H
#define BRINDLE_PLATFORM_CFSTRING_H

#include <stdarg.h>

#include <CoreFoundation/CFBase.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UInt32 CFStringEncoding;
enum { kCFStringEncodingASCII = 0x0600, kCFStringEncodingUTF8 = 0x08000100 };

typedef CFOptionFlags CFStringCompareFlags;

CFTypeID CFStringGetTypeID(void);

/* NULL when cStr is NULL or not valid in the encoding (malformed UTF-8; ASCII with bytes above
 * 0x7F). Only UTF-8 and ASCII are supported; other encodings give NULL. */
CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding);
/* Same as above; the text is copied all the same, and `contentsDeallocator` (when it is neither
 * NULL nor kCFAllocatorNull) frees cStr at once, since the object no longer needs it. */
CFStringRef CFStringCreateWithCStringNoCopy(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding,
                                            CFAllocatorRef contentsDeallocator);
/* Immutable strings are shared: the copy is the same object, retained. */
CFStringRef CFStringCreateCopy(CFAllocatorRef alloc, CFStringRef theString);
/* printf-style formatting with %@ for an object (CFCopyDescription). formatOptions is unused. */
CFStringRef CFStringCreateWithFormat(CFAllocatorRef alloc, CFTypeRef formatOptions, CFStringRef format, ...);
CFStringRef CFStringCreateWithFormatAndArguments(CFAllocatorRef alloc, CFTypeRef formatOptions, CFStringRef format,
                                                 va_list arguments);

CFIndex CFStringGetLength(CFStringRef theString);
/* Writes the text and a terminating zero; false (and an empty buffer when bufferSize > 0) when it
 * does not fit or the encoding cannot represent it. */
Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize, CFStringEncoding encoding);
/* The internal zero-terminated UTF-8 text for kCFStringEncodingUTF8, else NULL. */
const char* CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding);
/* Bytes that `length` UTF-16 units may need in the encoding, without the terminating zero. */
CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding);

/* Orders by Unicode code point. No comparison options are supported: compareOptions must be 0. */
CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2, CFStringCompareFlags compareOptions);

/* A compile-time-style constant string: created once per distinct text and never freed. */
CFStringRef __CFStringMakeConstantString(const char* cStr);
#define CFSTR(cStr) __CFStringMakeConstantString("" cStr "")

#ifdef __cplusplus
}
#endif

#endif
