#pragma once
// LV2UIWindow: a plug-in editor shown inside an X window a host owns (the LV2 ui:parent).
//
// The editor's view goes into a window of the editor's size made as a child of the host's window;
// the X11 window backend draws it and turns X input into the events the editor reads. Nothing runs
// by itself: the host's idle calls (Idle) deliver the X events, fire the editor's redraw timer and
// show what changed, without ever blocking.
//
// The X connection is shared by every editor open in the process: the first Open installs the X11
// backend, the last Close puts the headless one back and closes the connection. UI thread only.

#include <string>

class IGraphics;
class NSWindow;

class LV2UIWindow
{
public:
  LV2UIWindow() = default;
  ~LV2UIWindow();
  LV2UIWindow(const LV2UIWindow&) = delete;
  LV2UIWindow& operator=(const LV2UIWindow&) = delete;

  // Opens the editor (whose views are AppKit's, as IGraphicsMac makes them) as a child of the X
  // window `parent` on the display $DISPLAY names. False, with
  // a one-line reason, when there is no display or `parent` is no window on it.
  bool Open(IGraphics* editor, unsigned long parent, std::string* error);
  // Closes the editor's view and the window; the editor itself stays (its plug-in owns it).
  void Close();
  // Delivers pending X events, runs the timers that are due and redraws. False once the window is
  // gone (its host window was destroyed) or was never opened.
  bool Idle();

  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  // The editor's own X window, 0 when none is open.
  unsigned long XWindow() const;

private:
  IGraphics* mEditor = nullptr;
  NSWindow* mWindow = nullptr; // owned
  bool mHoldsDisplay = false;
  int mWidth = 0, mHeight = 0;
};
