// The main display and its cursor, kept by the window backend.
#include <BrindleHost/WindowBackend.h>
#include <CoreGraphics/CGDirectDisplay.h>

namespace {
const CGDirectDisplayID kMainDisplay = 1;
}

CGDirectDisplayID CGMainDisplayID(void)
{
  return kMainDisplay;
}

size_t CGDisplayPixelsWide(CGDirectDisplayID display)
{
  return display == kMainDisplay ? static_cast<size_t>(BrindleHost::Backend().DisplaySize().width) : 0;
}

size_t CGDisplayPixelsHigh(CGDirectDisplayID display)
{
  return display == kMainDisplay ? static_cast<size_t>(BrindleHost::Backend().DisplaySize().height) : 0;
}

CGError CGDisplayHideCursor(CGDirectDisplayID display)
{
  if (display != kMainDisplay) return kCGErrorIllegalArgument;
  return BrindleHost::Backend().SetCursorVisible(false) ? kCGErrorSuccess : kCGErrorFailure;
}

CGError CGDisplayShowCursor(CGDirectDisplayID display)
{
  if (display != kMainDisplay) return kCGErrorIllegalArgument;
  return BrindleHost::Backend().SetCursorVisible(true) ? kCGErrorSuccess : kCGErrorFailure;
}

CGError CGDisplayMoveCursorToPoint(CGDirectDisplayID display, CGPoint point)
{
  if (display != kMainDisplay) return kCGErrorIllegalArgument;
  return BrindleHost::Backend().MoveCursor(point) ? kCGErrorSuccess : kCGErrorIllegalArgument;
}
