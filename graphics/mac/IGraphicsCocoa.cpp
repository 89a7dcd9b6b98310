// The editor's view: timer, repaint, mouse, wheel and keys.
#include "graphics/mac/IGraphicsCocoa.h"

#include <algorithm>

#include <climits>
#include <cmath>

#include "graphics/mac/IGraphicsMac.h"

namespace {

SEL OnTimerSelector()
{
  static SEL selector = NSSelectorFromString("onTimer:");
  return selector;
}

// Modifier keys as the editor reads them; a Command-click counts as a right click.
IMouseMod ModFor(NSEvent* event, bool rightButton)
{
  const NSUInteger flags = event->modifierFlags();
  const bool shift = flags & NSShiftKeyMask;
  const bool control = flags & NSControlKeyMask;
  const bool alt = flags & NSAlternateKeyMask;
  if (rightButton) return IMouseMod(false, true, shift, control, alt);
  return IMouseMod(true, (flags & NSCommandKeyMask) != 0, shift, control, alt);
}

// Platform-neutral key codes: 0 space, 1-4 arrows, 5-14 digits, 15-40 letters; -1 for any other.
int KeyCodeFor(NSEvent* event)
{
  switch (event->keyCode()) {
  case 123:
    return 3;
  case 124:
    return 4;
  case 125:
    return 2;
  case 126:
    return 1;
  case 49:
    return 0;
  default:
    break;
  }
  const unsigned c = event->charactersIgnoringModifiers()->characterAtIndex(0);
  if (c >= '0' && c <= '9') return static_cast<int>(c) - 43;
  if (c >= 'A' && c <= 'Z') return static_cast<int>(c) - 50;
  if (c >= 'a' && c <= 'z') return static_cast<int>(c) - 82;
  return -1;
}

// Wheel steps: deltaY truncated towards zero. A NaN delta moves nothing and a huge one is held to
// the int range rather than overflowing the conversion.
int WheelSteps(double deltaY)
{
  if (std::isnan(deltaY)) return 0;
  if (deltaY >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (deltaY <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(deltaY);
}

} // namespace

IGRAPHICS_COCOA* IGRAPHICS_COCOA::alloc()
{
  return new IGRAPHICS_COCOA();
}

IGRAPHICS_COCOA::~IGRAPHICS_COCOA()
{
  if (mTextFieldView) mTextFieldView->release();
}

NSView* IGRAPHICS_COCOA::init()
{
  mGraphics = nullptr;
  mTimer = nullptr;
  mPrevX = mPrevY = 0;
  mTextFieldView = nullptr;
  mEdControl = nullptr;
  mEdParam = nullptr;
  return this;
}

IGRAPHICS_COCOA* IGRAPHICS_COCOA::initWithIGraphics(IGraphicsMac* graphics)
{
  init();
  mGraphics = graphics;
  if (!graphics) return this;
  initWithFrame(NSMakeRect(0, 0, graphics->ScaledWidth(), graphics->ScaledHeight()));
  NSAutoreleasePool pool;
  mTimer = NSTimer::timerWithTimeInterval(1.0 / graphics->FPS(), this, OnTimerSelector(), nullptr, YES);
  NSRunLoop::currentRunLoop()->addTimer(mTimer, NSString::stringWithCFString(kCFRunLoopCommonModes));
  return this;
}

BOOL IGRAPHICS_COCOA::isOpaque()
{
  return mGraphics ? YES : NO;
}

BOOL IGRAPHICS_COCOA::acceptsFirstResponder()
{
  return YES;
}

BOOL IGRAPHICS_COCOA::acceptsFirstMouse(NSEvent* /*event*/)
{
  return YES;
}

void IGRAPHICS_COCOA::viewDidMoveToWindow()
{
  NSWindow* window = this->window();
  if (!window) return;
  window->makeFirstResponder(this);
  window->setAcceptsMouseMovedEvents(YES);
}

void IGRAPHICS_COCOA::drawRect(NSRect rect)
{
  if (!mGraphics) return;
  const int height = mGraphics->ScaledHeight();
  const int x = static_cast<int>(rect.origin.x), y = static_cast<int>(rect.origin.y);
  const int w = static_cast<int>(rect.size.width), h = static_cast<int>(rect.size.height);
  // The view's pixels are device pixels; the editor repaints the editor area covering them.
  IRECT r = mGraphics->FromDevice(IRECT(x, height - y - h, x + w, height - y));
  mGraphics->Draw(&r);
}

void IGRAPHICS_COCOA::setFrame(NSRect frame)
{
  if (mGraphics && mGraphics->Width() > 0 && mGraphics->Height() > 0 &&
      (frame.size.width != mGraphics->ScaledWidth() || frame.size.height != mGraphics->ScaledHeight())) {
    // SetScale resizes the view through this function again, with the exact size.
    mGraphics->SetScale(std::min(frame.size.width / mGraphics->Width(), frame.size.height / mGraphics->Height()));
    frame.size = NSMakeSize(mGraphics->ScaledWidth(), mGraphics->ScaledHeight());
  }
  NSView::setFrame(frame);
}

void IGRAPHICS_COCOA::onTimer(NSTimer* timer)
{
  if (timer != mTimer || !mGraphics) return;
  IRECT r;
  if (!mGraphics->IsDirty(&r)) return;
  r = mGraphics->ToDevice(r);
  setNeedsDisplayInRect(
      NSMakeRect(r.left, mGraphics->ScaledHeight() - r.bottom - 1, r.right - r.left + 1, r.bottom - r.top + 1));
}

void IGRAPHICS_COCOA::getMouseXY(NSEvent* event, int* x, int* y)
{
  if (!mGraphics) return;
  const NSPoint p = convertPoint(event->locationInWindow(), nullptr);
  // The pointer's device pixel, then the editor pixel it lies in.
  mPrevX = *x = mGraphics->FromDevice(static_cast<int>(p.x) - 2);
  mPrevY = *y = mGraphics->FromDevice(mGraphics->ScaledHeight() - static_cast<int>(p.y) - 3);
}

void IGRAPHICS_COCOA::forwardMouse(NSEvent* event, bool rightButton, bool ignoredWhileEditing,
                                   void (*call)(IGraphicsMac*, int, int, IMouseMod*, NSEvent*))
{
  if (!mGraphics || (ignoredWhileEditing && mTextFieldView)) return;
  int x, y;
  getMouseXY(event, &x, &y);
  IMouseMod mod = ModFor(event, rightButton);
  call(mGraphics, x, y, &mod, event);
}

void IGRAPHICS_COCOA::mouseDown(NSEvent* event)
{
  forwardMouse(event, false, false, [](IGraphicsMac* g, int x, int y, IMouseMod* mod, NSEvent* e) {
    if (e->clickCount() >= 2)
      g->OnMouseDblClick(x, y, mod);
    else
      g->OnMouseDown(x, y, mod);
  });
}

void IGRAPHICS_COCOA::mouseUp(NSEvent* event)
{
  forwardMouse(event, false, false,
               [](IGraphicsMac* g, int x, int y, IMouseMod* mod, NSEvent*) { g->OnMouseUp(x, y, mod); });
}

void IGRAPHICS_COCOA::mouseDragged(NSEvent* event)
{
  forwardMouse(event, false, true,
               [](IGraphicsMac* g, int x, int y, IMouseMod* mod, NSEvent*) { g->OnMouseDrag(x, y, mod); });
}

void IGRAPHICS_COCOA::rightMouseDown(NSEvent* event)
{
  forwardMouse(event, true, false,
               [](IGraphicsMac* g, int x, int y, IMouseMod* mod, NSEvent*) { g->OnMouseDown(x, y, mod); });
}

void IGRAPHICS_COCOA::rightMouseUp(NSEvent* event)
{
  forwardMouse(event, true, false,
               [](IGraphicsMac* g, int x, int y, IMouseMod* mod, NSEvent*) { g->OnMouseUp(x, y, mod); });
}

void IGRAPHICS_COCOA::rightMouseDragged(NSEvent* event)
{
  forwardMouse(event, true, true,
               [](IGraphicsMac* g, int x, int y, IMouseMod* mod, NSEvent*) { g->OnMouseDrag(x, y, mod); });
}

void IGRAPHICS_COCOA::mouseMoved(NSEvent* event)
{
  forwardMouse(event, false, false,
               [](IGraphicsMac* g, int x, int y, IMouseMod* mod, NSEvent*) { g->OnMouseOver(x, y, mod); });
}

void IGRAPHICS_COCOA::scrollWheel(NSEvent* event)
{
  if (mGraphics && mTextFieldView) endUserInput();
  forwardMouse(event, false, false, [](IGraphicsMac* g, int x, int y, IMouseMod* mod, NSEvent* e) {
    g->OnMouseWheel(x, y, mod, WheelSteps(e->deltaY()));
  });
}

void IGRAPHICS_COCOA::keyDown(NSEvent* event)
{
  NSString* characters = event->charactersIgnoringModifiers();
  if (!characters || characters->length() != 1) return;
  const int code = KeyCodeFor(event);
  const bool handled = code >= 0 && mGraphics && mGraphics->OnKeyDown(mPrevX, mPrevY, code);
  if (!handled && nextResponder()) nextResponder()->keyDown(event);
}

void IGRAPHICS_COCOA::killTimer()
{
  if (!mTimer) return;
  NSTimer* timer = mTimer;
  mTimer = nullptr;
  timer->invalidate();
}

void IGRAPHICS_COCOA::removeFromSuperview()
{
  endUserInput();
  if (!mGraphics) return;
  IGraphicsMac* graphics = mGraphics;
  mGraphics = nullptr;
  graphics->CloseWindow();
}

void IGRAPHICS_COCOA::registerToolTip(IRECT r)
{
  if (!mGraphics) return;
  r = mGraphics->ToDevice(r);
  addToolTipRect(
      NSMakeRect(r.left, mGraphics->ScaledHeight() - r.bottom - 1, r.right - r.left + 1, r.bottom - r.top + 1), this,
      nullptr);
}

NSString* IGRAPHICS_COCOA::view_stringForToolTip(NSView* /*view*/, NSInteger /*tag*/, NSPoint /*point*/,
                                                 void* /*userData*/)
{
  const char* tooltip = nullptr;
  if (mGraphics) {
    IControl* control = mGraphics->GetControl(mGraphics->GetHoverIdx());
    if (control) tooltip = control->GetTooltip();
  }
  return NSString::stringWithUTF8String(tooltip ? tooltip : "");
}

BOOL IGRAPHICS_COCOA::respondsToSelector(SEL selector)
{
  return selector == OnTimerSelector() || NSView::respondsToSelector(selector);
}

NSObject* IGRAPHICS_COCOA::performSelector(SEL selector, NSObject* argument)
{
  if (selector == OnTimerSelector()) {
    onTimer(static_cast<NSTimer*>(argument));
    return nullptr;
  }
  return NSView::performSelector(selector, argument);
}
