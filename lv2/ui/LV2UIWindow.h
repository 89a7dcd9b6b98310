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
//
// The editor is drawn at a display scale: the host's, or else the display's own (GDK_SCALE, Xft.dpi).
// A new scale while open makes the window again at the new size in the same parent.

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
  // window `parent` on the display $DISPLAY names, at `scale` (0 or below: the display's). False, with
  // a one-line reason, when there is no display or `parent` is no window on it.
  bool Open(IGraphics* editor, unsigned long parent, std::string* error, double scale = 0.0);
  // Draws the editor at another scale (held in 1..3); when its size changes the window is made again
  // at the new size (XWindow changes). False when nothing is open or the window cannot be made again.
  bool SetScale(double scale);
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
  bool MakeWindow(std::string* error);
  void DropWindow();

  IGraphics* mEditor = nullptr;
  unsigned long mParent = 0;
  NSWindow* mWindow = nullptr; // owned
  bool mHoldsDisplay = false;
  int mWidth = 0, mHeight = 0;
};
