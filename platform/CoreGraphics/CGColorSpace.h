/*
 * CGColorSpace.h — colour spaces. Only device RGB exists; the object is counted so that callers can
 * release what they created, as on a Mac.
 */
#ifndef BRINDLE_PLATFORM_CGCOLORSPACE_H
#define BRINDLE_PLATFORM_CGCOLORSPACE_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct CGColorSpace* CGColorSpaceRef;

CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void);
CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space);
void CGColorSpaceRelease(CGColorSpaceRef space); /* NULL is ignored */

#ifdef __cplusplus
}
#endif

#endif
