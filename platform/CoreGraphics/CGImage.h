/*
 * CGImage.h — immutable 32-bit images and the bitmap-info words that describe pixel layouts.
 *
 * Only 8 bits per component and 32 bits per pixel are supported. The alpha info names where alpha
 * sits within the 32-bit pixel and whether colour is premultiplied; the byte order says how that
 * 32-bit pixel is laid out in memory: "default" and "32Big" keep the named order in memory
 * (kCGImageAlphaNoneSkipFirst = bytes X, R, G, B), "32Little" reverses it
 * (kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little = bytes B, G, R, A, i.e. a native
 * 0xAARRGGBB word on a little-endian machine).
 */
#ifndef BRINDLE_PLATFORM_CGIMAGE_H
#define BRINDLE_PLATFORM_CGIMAGE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct CGImage* CGImageRef;

typedef uint32_t CGBitmapInfo;

enum {
  kCGImageAlphaNone = 0,
  kCGImageAlphaPremultipliedLast = 1,
  kCGImageAlphaPremultipliedFirst = 2,
  kCGImageAlphaLast = 3,
  kCGImageAlphaFirst = 4,
  kCGImageAlphaNoneSkipLast = 5,
  kCGImageAlphaNoneSkipFirst = 6,
  kCGImageAlphaOnly = 7
};

enum {
  kCGBitmapAlphaInfoMask = 0x1F,
  kCGBitmapFloatComponents = 1 << 8,
  kCGBitmapByteOrderMask = 0x7000,
  kCGBitmapByteOrderDefault = 0 << 12,
  kCGBitmapByteOrder16Little = 1 << 12,
  kCGBitmapByteOrder32Little = 2 << 12,
  kCGBitmapByteOrder16Big = 3 << 12,
  kCGBitmapByteOrder32Big = 4 << 12
};

size_t CGImageGetWidth(CGImageRef image);
size_t CGImageGetHeight(CGImageRef image);
size_t CGImageGetBytesPerRow(CGImageRef image);
CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image);
CGImageRef CGImageRetain(CGImageRef image);
void CGImageRelease(CGImageRef image); /* NULL is ignored */

#ifdef __cplusplus
}
#endif

#endif
