#pragma once
// ClapEditorWindow: a plug-in's editor inside an X window the host owns (CLAP's "x11" window API,
// embedded, never floating).
//
// The editor's view goes into a window of the editor's size, made as a child of the host's window by
// the X11 window backend, which draws it and turns X input into the events the editor reads. Nothing
// runs by itself: the host's timer calls Idle, which delivers the X events already queued, fires the
// editor's redraw timer and shows what changed, without blocking. A host that watches file
// descriptors may also call HandleEvents whenever ConnectionFd is readable, so that input is handled
// as it arrives rather than on the next tick; Idle still delivers what Xlib read into its own queue
// meanwhile (the descriptor no longer shows those).
//
// The window has the editor's size at its display scale. The picture behind a window has a fixed size,
// so a new scale while open (Refit) makes the window again at the new size in the same parent, on the
// same connection, shown or hidden as it was.
//
// The backend is process-wide (within the module, which carries its own copy of the platform): the
// first open window installs it, the last one closed puts the headless one back and closes the X
// connection. Main thread only.
#include <string>

class IGraphics;
class NSWindow;

class ClapEditorWindow
{
public:
  ClapEditorWindow() = default;
  ~ClapEditorWindow();
  ClapEditorWindow(const ClapEditorWindow&) = delete;
  ClapEditorWindow& operator=(const ClapEditorWindow&) = delete;

  // Opens the editor as a child of the X window `parent` on the display $DISPLAY names, hidden until
  // Show. False, with a one-line reason, when there is no display or `parent` is no window on it.
  bool Open(IGraphics* editor, unsigned long parent, std::string* error);
  // Closes the editor's view and the window; the editor stays (its plug-in owns it).
  void Close();
  bool IsOpen() const { return mWindow != nullptr; }
  // After the editor's scale changed: while open and no longer the editor's size, the window is made
  // again at that size (XWindow changes, ConnectionFd stays). False when it could not be: then nothing
  // is open, though the connection stays until Close.
  bool Refit();
  void Show(bool visible);
  // Delivers queued X events, runs the timers that are due and redraws.
  void Idle();
  // Delivers the X events that have arrived, without waiting and without running timers.
  void HandleEvents();
  // The X connection's file descriptor while the window is open, else -1. It stays the same while any
  // window of the module is open, and may differ after the last one closed.
  int ConnectionFd() const;
  // The editor's own X window, 0 when none is open.
  unsigned long XWindow() const;

private:
  bool MakeWindow(std::string* error);
  void DropWindow();

  IGraphics* mEditor = nullptr;
  unsigned long mParent = 0;
  NSWindow* mWindow = nullptr; // owned
  bool mHoldsDisplay = false;
};
