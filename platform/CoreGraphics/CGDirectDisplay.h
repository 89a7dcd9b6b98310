/*
 * CGDirectDisplay.h — the main display and the mouse cursor on it. Display coordinates have their
 * origin at the top left. The window backend (BrindleHost/WindowBackend.h) keeps the cursor's
 * hidden state and position; the headless backend lets tests read them.
 */
#ifndef BRINDLE_PLATFORM_CGDIRECTDISPLAY_H
#define BRINDLE_PLATFORM_CGDIRECTDISPLAY_H

#include <stddef.h>
#include <stdint.h>

#include <CoreGraphics/CGGeometry.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t CGDirectDisplayID;
typedef int32_t CGError;

enum { kCGErrorSuccess = 0, kCGErrorFailure = 1000, kCGErrorIllegalArgument = 1001 };

CGDirectDisplayID CGMainDisplayID(void);
size_t CGDisplayPixelsWide(CGDirectDisplayID display); /* 0 for an unknown display */
size_t CGDisplayPixelsHigh(CGDirectDisplayID display);
/* Hiding is counted: each hide needs one show. */
CGError CGDisplayHideCursor(CGDirectDisplayID display);
CGError CGDisplayShowCursor(CGDirectDisplayID display);
CGError CGDisplayMoveCursorToPoint(CGDirectDisplayID display, CGPoint point);

#ifdef __cplusplus
}
#endif

#endif
