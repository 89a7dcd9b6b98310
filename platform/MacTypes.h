/*
 * MacTypes.h — the basic Mac scalar types and status codes.
 *
 * Host-side stand-in for Apple's MacTypes.h on systems without the Mac frameworks. Names, widths and
 * values follow Apple's published definitions so that code written against the real headers compiles
 * and behaves the same here (64-bit, little-endian data model).
 */
#ifndef BRINDLE_PLATFORM_MACTYPES_H
#define BRINDLE_PLATFORM_MACTYPES_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t UInt8;
typedef int8_t SInt8;
typedef uint16_t UInt16;
typedef int16_t SInt16;
typedef uint32_t UInt32;
typedef int32_t SInt32;
typedef uint64_t UInt64;
typedef int64_t SInt64;

typedef float Float32;
typedef double Float64;

typedef unsigned char Boolean;
typedef UInt8 Byte;

typedef SInt16 OSErr;
typedef SInt32 OSStatus;

typedef UInt32 FourCharCode;
typedef FourCharCode OSType;

typedef char* Ptr;
typedef Ptr* Handle;

enum { noErr = 0, fnfErr = -43, paramErr = -50, memFullErr = -108 };

#ifdef __cplusplus
}
#endif

#endif
