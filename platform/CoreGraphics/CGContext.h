/*
 * CGContext.h — 2-D drawing contexts over 32-bit pixel memory (bitmap contexts).
 *
 * User space has its origin at the bottom left of the bitmap and y growing upwards, as on a Mac; the
 * first row in memory is the top row. The transformation (CTM) may translate and scale along the
 * axes; rotation is not supported. The clip is a rectangle in device pixels (clip edges are rounded
 * to whole pixels). Drawing converts between the pixel layouts of CGImage.h and blends source-over
 * when the source has alpha.
 *
 * Every context counts the bytes its drawing calls write into its pixels
 * (BrindleHost_CGContextGetBytesWritten): window hosts and tests use that to see how much of a
 * picture a repaint touched.
 */
#ifndef BRINDLE_PLATFORM_CGCONTEXT_H
#define BRINDLE_PLATFORM_CGCONTEXT_H

#include <CoreGraphics/CGColorSpace.h>
#include <CoreGraphics/CGGeometry.h>
#include <CoreGraphics/CGImage.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct CGContext* CGContextRef;

/* A context drawing into the caller's memory, which must outlive it. NULL unless data is non-NULL,
 * both sizes are positive, bitsPerComponent is 8, bytesPerRow >= 4 * width and the bitmap info
 * names a 32-bit layout with 8-bit integer components. The colour space is not kept. */
CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent, size_t bytesPerRow,
                                   CGColorSpaceRef space, CGBitmapInfo bitmapInfo);
void* CGBitmapContextGetData(CGContextRef context);
size_t CGBitmapContextGetWidth(CGContextRef context);
size_t CGBitmapContextGetHeight(CGContextRef context);
size_t CGBitmapContextGetBytesPerRow(CGContextRef context);
CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef context);
/* A copy of the context's pixels as they are now. */
CGImageRef CGBitmapContextCreateImage(CGContextRef context);

CGContextRef CGContextRetain(CGContextRef context);
void CGContextRelease(CGContextRef context); /* NULL is ignored */

void CGContextSaveGState(CGContextRef context);
void CGContextRestoreGState(CGContextRef context); /* an unmatched restore is ignored */
void CGContextTranslateCTM(CGContextRef context, CGFloat tx, CGFloat ty);
void CGContextScaleCTM(CGContextRef context, CGFloat sx, CGFloat sy);
void CGContextClipToRect(CGContextRef context, CGRect rect);
/* The clip in user space. */
CGRect CGContextGetClipBoundingBox(CGContextRef context);

/* Draws the image scaled (nearest neighbour) into rect; the image's first row lands at the rect's
 * top (its largest y), so a picture keeps its orientation in an unflipped context. */
void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image);
void CGContextSetRGBFillColor(CGContextRef context, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
void CGContextFillRect(CGContextRef context, CGRect rect);

/* Not Apple's: bytes written into the context's pixels since it was created. */
unsigned long long BrindleHost_CGContextGetBytesWritten(CGContextRef context);

#ifdef __cplusplus
}
#endif

#endif
