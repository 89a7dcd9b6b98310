/*
 * X11Backend.h — the window backend for a real X display.
 *
 * Install it before making windows: BrindleHost::SetBackend(MakeX11Backend(options, &error)).
 * Each NSWindow then gets an X window: a top-level one, or a child of the parent given in the
 * options (how a plug-in host embeds an editor), or, for initWithWindowRef, a child filling the
 * X window whose id is the window reference. What AppKit presents is copied from the backing store
 * (through shared memory when the server offers it). X input becomes NSEvents with Apple's
 * modifier bits, click counts and wheel deltas, sent through NSApplication::sendEvent; the run
 * loop's clock is the system's monotonic clock, and waiting watches the X connection. Menus,
 * alerts and file panels are small windows of our own, drawn with the drawing-context layer.
 *
 * Closing an X window (the window manager's close box, or the window being destroyed) closes
 * its NSWindow. Waiting returns early when a signal arrives, so a program's signal flag is seen.
 *
 * X errors on the backend's own connection are counted, never fatal; errors on connections of the
 * program around it (a plug-in host's toolkit) still reach the handler that program installed,
 * which is back in place once the backend is gone.
 */
#ifndef BRINDLE_PLATFORM_X11BACKEND_H
#define BRINDLE_PLATFORM_X11BACKEND_H

#include <BrindleHost/WindowBackend.h>

#include <memory>
#include <string>

namespace BrindleHost {

struct X11Options
{
  std::string mDisplay;          // empty: $DISPLAY
  unsigned long mParent = 0;     // an X window to place new windows in; 0: top-level windows
  bool mUseSharedMemory = true;  // MIT-SHM when the server offers it
  int mDepth = 0;                // 24 or 32: top-level windows on a TrueColor visual of that depth
                                 // when the screen has one; 0: the screen's default visual
  std::string mTitle = "Editor"; // top-level windows and message boxes; a host names its product
};

/* Null, with a one-line reason in *error, when the display cannot be opened. */
std::unique_ptr<IWindowBackend> MakeX11Backend(const X11Options& options, std::string* error);

/* The X window showing `window` when the installed backend is the X11 one; else 0. */
unsigned long X11WindowOf(NSWindow* window);

/* Windows made from now on go inside the X window `parent` (0: top-level windows), as X11Options'
 * mParent does; for editors embedded in several host windows in one process, each names its own
 * parent just before it makes its window. False when the installed backend is not the X11 one. */
bool X11SetParentForNewWindows(unsigned long parent);

/* The scale (1 to 3) editors on the installed X11 backend's display are drawn at: $GDK_SCALE when it is a
 * whole number of at least 1, else the display's Xft.dpi resource over 96, else 1. Without the X11
 * backend only $GDK_SCALE counts. */
double X11DisplayScale();
/* The same rule over the two texts, either of which may be null. */
double ScaleFromSettings(const char* gdkScale, const char* xftDpi);
/* The value of Xft.dpi in an X resource database text ("Xft.dpi:\t144\n..."); empty when absent. */
std::string XftDpiFromResources(const char* resources);

/* The file descriptor of the installed X11 backend's display connection, readable when the server
 * has sent something, for a host's event loop to watch; -1 without the X11 backend. */
int X11ConnectionFd();

} // namespace BrindleHost

#endif
