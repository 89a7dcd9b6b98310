// X input as NSEvents, delivered through the shared application.
#include <AppKit/NSApplication.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSWindow.h>
#include <X11Host/X11Display.h>

namespace BrindleHost {

void X11Backend::HandleInput(Native& native, XEvent& event)
{
  NSAutoreleasePool pool;
  NSWindow* window = native.mWindow;
  NSApplicationLoad();
  NSApplication* app = NSApplication::sharedApplication();
  const double height = window->frame().size.height;
  // AppKit's window points: origin at the bottom left, y up.
  auto point = [height](int x, int y) { return NSMakePoint(x, height - y); };
  auto mouse = [&](NSEventType type, int x, int y, unsigned int state, long clicks, bool down) {
    app->sendEvent(NSEvent::mouseEventWithType(type, point(x, y), MapModifiers(state), Now(), window->windowNumber(),
                                               nil, 0, clicks, down ? 1.0f : 0.0f));
  };
  switch (event.type) {
  case ButtonPress: {
    const XButtonEvent& b = event.xbutton;
    if (b.button == Button4 || b.button == Button5) {
      // One notch of the wheel is one line, up positive, as AppKit reports a mouse wheel.
      app->sendEvent(NSEvent::scrollEventWithLocation(point(b.x, b.y), MapModifiers(b.state), window->windowNumber(),
                                                      b.button == Button4 ? 1 : -1));
      return;
    }
    if (b.button != Button1 && b.button != Button3) return;
    if (mOptions.mParent || window->windowRef()) // embedded: keys come here once clicked
      XSetInputFocus(mDisplay, native.mXWindow, RevertToParent, b.time);
    const long clicks = mClicks.Press(b.button, b.time, b.x, b.y);
    mouse(b.button == Button1 ? NSLeftMouseDown : NSRightMouseDown, b.x, b.y, b.state, clicks, true);
    return;
  }
  case ButtonRelease: {
    const XButtonEvent& b = event.xbutton;
    if (b.button != Button1 && b.button != Button3) return;
    mouse(b.button == Button1 ? NSLeftMouseUp : NSRightMouseUp, b.x, b.y, b.state, mClicks.mCount, false);
    return;
  }
  case MotionNotify: {
    // Only the latest position matters when the pointer outruns us.
    XEvent next;
    while (XPending(mDisplay) > 0) {
      XPeekEvent(mDisplay, &next);
      if (next.type != MotionNotify || next.xany.window != native.mXWindow) break;
      XNextEvent(mDisplay, &event);
    }
    const XMotionEvent& m = event.xmotion;
    if (m.state & Button1Mask)
      mouse(NSLeftMouseDragged, m.x, m.y, m.state, mClicks.mCount, true);
    else if (m.state & Button3Mask)
      mouse(NSRightMouseDragged, m.x, m.y, m.state, mClicks.mCount, true);
    else
      mouse(NSMouseMoved, m.x, m.y, m.state, 0, false);
    return;
  }
  case KeyPress:
  case KeyRelease: {
    XKeyEvent& k = event.xkey;
    char typed[32] = {};
    KeySym keysym = 0;
    const int n = XLookupString(&k, typed, sizeof(typed) - 1, &keysym, nullptr);
    if (IsModifierKey(keysym)) return; // AppKit reports these as flag changes, not keys
    const MappedKey key = MapKeySym(keysym, std::string(typed, n > 0 ? static_cast<size_t>(n) : 0));
    // Characters ignoring modifiers: as typed with Shift alone.
    XKeyEvent plain = k;
    plain.state &= ShiftMask | LockMask;
    char plainTyped[32] = {};
    KeySym plainSym = 0;
    const int m = XLookupString(&plain, plainTyped, sizeof(plainTyped) - 1, &plainSym, nullptr);
    const MappedKey bare = MapKeySym(plainSym, std::string(plainTyped, m > 0 ? static_cast<size_t>(m) : 0));
    const bool down = event.type == KeyPress;
    const bool repeat = down && !mKeysDown.insert(k.keycode).second;
    if (!down) mKeysDown.erase(k.keycode);
    app->sendEvent(NSEvent::keyEventWithType(
        down ? NSKeyDown : NSKeyUp, point(k.x, k.y), MapModifiers(k.state), Now(), window->windowNumber(), nil,
        NSString::stringWithUTF8String(key.mCharacters.c_str()),
        NSString::stringWithUTF8String(bare.mCharacters.c_str()), repeat ? YES : NO, key.mKeyCode));
    return;
  }
  default:
    return;
  }
}

} // namespace BrindleHost
