// Test and tool helpers: the run-loop clock, synthetic input, reading a window's pixels.
#include <AppKit/NSApplication.h>
#include <AppKit/NSEvent.h>
#include <BrindleHost/Headless.h>
#include <Foundation/NSRunLoop.h>

#include <cmath>

double BrindleHost_RunLoopNow(void)
{
  return BrindleHost::Backend().Now();
}

void BrindleHost_RunLoopAdvance(double seconds)
{
  NSRunLoop* loop = NSRunLoop::mainRunLoop();
  const double now = loop->now();
  loop->runUntilTime(seconds > 0 && std::isfinite(seconds) ? now + seconds : now);
}

namespace BrindleHost {

void DeliverEvent(NSEvent* event)
{
  NSApplicationLoad();
  NSApplication::sharedApplication()->sendEvent(event);
  NSWindow::displayAllIfNeeded();
}

// ---- Mouse ----

void Mouse::Send(NSEventType type, NSPoint point)
{
  if (!mWindow) return;
  NSAutoreleasePool pool;
  mPoint = point;
  const NSRect frame = mWindow->frame();
  IWindowBackend& backend = Backend();
  backend.MoveCursor(CGPointMake(frame.origin.x + point.x, backend.DisplaySize().height - (frame.origin.y + point.y)));
  const bool press = type == NSLeftMouseDown || type == NSRightMouseDown;
  DeliverEvent(NSEvent::mouseEventWithType(type, point, mFlags, backend.Now(), mWindow->windowNumber(), nil, 0,
                                           type == NSMouseMoved ? 0 : mClickCount, press || mDown ? 1.0f : 0.0f));
}

void Mouse::Press(NSPoint point, NSUInteger modifierFlags, bool rightButton)
{
  if (mDown) Release();
  const double now = Backend().Now();
  const bool near = std::fabs(point.x - mLastPressPoint.x) <= kDoubleClickDistance &&
                    std::fabs(point.y - mLastPressPoint.y) <= kDoubleClickDistance;
  mClickCount =
      now - mLastPressTime <= kDoubleClickInterval && near && rightButton == mLastPressRight ? mClickCount + 1 : 1;
  mLastPressTime = now;
  mLastPressPoint = point;
  mLastPressRight = rightButton;
  mDown = true;
  mRight = rightButton;
  mFlags = modifierFlags;
  Send(rightButton ? NSRightMouseDown : NSLeftMouseDown, point);
}

void Mouse::DragTo(NSPoint point)
{
  if (!mDown) {
    Move(point, mFlags);
    return;
  }
  Send(mRight ? NSRightMouseDragged : NSLeftMouseDragged, point);
}

void Mouse::Release()
{
  if (!mDown) return;
  Send(mRight ? NSRightMouseUp : NSLeftMouseUp, mPoint);
  mDown = false;
}

void Mouse::Click(NSPoint point, NSUInteger modifierFlags, bool rightButton)
{
  Press(point, modifierFlags, rightButton);
  Release();
}

void Mouse::Move(NSPoint point, NSUInteger modifierFlags)
{
  mFlags = modifierFlags;
  Send(NSMouseMoved, point);
}

void Mouse::Wheel(NSPoint point, CGFloat deltaY, NSUInteger modifierFlags)
{
  if (!mWindow) return;
  NSAutoreleasePool pool;
  mPoint = point;
  DeliverEvent(NSEvent::scrollEventWithLocation(point, modifierFlags, mWindow->windowNumber(), deltaY));
}

// ---- Keys ----

void PressKey(NSWindow* window, unsigned short keyCode, const char* characters, NSUInteger modifierFlags)
{
  if (!window) return;
  NSAutoreleasePool pool;
  NSString* chars = NSString::stringWithUTF8String(characters ? characters : "");
  const double now = Backend().Now();
  for (NSEventType type : {NSKeyDown, NSKeyUp})
    DeliverEvent(NSEvent::keyEventWithType(type, NSMakePoint(0, 0), modifierFlags, now, window->windowNumber(), nil,
                                           chars, chars, NO, keyCode));
}

void TypeText(NSWindow* window, const char* text)
{
  if (!window || !text) return;
  for (const char* p = text; *p;) {
    size_t n = 1;
    while (p[n] && (static_cast<unsigned char>(p[n]) & 0xC0) == 0x80) ++n;
    const std::string one(p, n);
    p += n;
    unsigned short code = 0xFFFF;
    std::string chars = one;
    if (one == "\r" || one == "\n")
      code = kVK_Return, chars = "\r";
    else if (one == "\t")
      code = kVK_Tab;
    else if (one == "\b")
      code = kVK_Delete, chars = "\x7f";
    else if (one == " ")
      code = kVK_Space;
    PressKey(window, code, chars.c_str());
  }
}

// ---- Pixels ----

uint32_t Framebuffer::Pixel(int x, int y) const
{
  if (!mPixels || x < 0 || y < 0 || x >= mWidth || y >= mHeight) return 0;
  const uint8_t* p = mPixels + static_cast<size_t>(y) * mBytesPerRow + static_cast<size_t>(x) * 4;
  return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 |
         p[0]; // bytes B, G, R, A
}

Framebuffer WindowFramebuffer(NSWindow* window)
{
  Framebuffer f;
  if (!window) return f;
  const NSWindow::BackingStore b = window->backingStore();
  f.mPixels = b.mPixels;
  f.mWidth = b.mWidth;
  f.mHeight = b.mHeight;
  f.mBytesPerRow = b.mBytesPerRow;
  f.mBitmapInfo = b.mBitmapInfo;
  return f;
}

} // namespace BrindleHost
