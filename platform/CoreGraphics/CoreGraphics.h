/*
 * CoreGraphics.h — umbrella for the CoreGraphics stand-ins: geometry, colour space, images, bitmap
 * contexts and the display cursor.
 */
#ifndef BRINDLE_PLATFORM_COREGRAPHICS_H
#define BRINDLE_PLATFORM_COREGRAPHICS_H

#include <CoreGraphics/CGColorSpace.h>
#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGDirectDisplay.h>
#include <CoreGraphics/CGGeometry.h>
#include <CoreGraphics/CGImage.h>

#endif
