/*
 * WindowBackend.h — everything AppKit asks of the window system, behind one small interface, so
 * that a real window system (X11) can slot in without touching the AppKit classes or the editor.
 *
 * AppKit calls the backend for: native windows (created with an NSWindow, shown, hidden, handed
 * the rectangles of the backing store that changed), the clock and waiting for events, the
 * display and its cursor, modal menus, file panels, alerts and opening URLs. A backend delivers
 * input by building NSEvents and calling NSApplication::sharedApplication()->sendEvent().
 *
 * Every call happens on the main thread. When no backend has been installed, the headless one
 * (BrindleHost/Headless.h) is used.
 */
#ifndef BRINDLE_PLATFORM_WINDOWBACKEND_H
#define BRINDLE_PLATFORM_WINDOWBACKEND_H

#include <BrindleHost/HostControls.h>
#include <CoreGraphics/CGGeometry.h>

#include <memory>
#include <string>
#include <vector>

class NSMenu;
class NSMenuItem;
class NSView;
class NSWindow;

namespace BrindleHost {

/* What a file panel is asked to do. */
struct PanelRequest
{
  bool mSave = false; // save panel; otherwise open panel
  std::string mDirectory;
  std::string mFile;
  std::vector<std::string> mAllowedTypes; // empty: any
  bool mAllowsOtherFileTypes = true;
  bool mCanChooseFiles = true;
  bool mCanChooseDirectories = false;
  bool mResolvesAliases = true;
};

class IWindowBackend
{
public:
  virtual ~IWindowBackend() = default;

  // Windows. The handle is the backend's own; AppKit only hands it back.
  virtual void* CreateNativeWindow(NSWindow* window) = 0;
  virtual void DestroyNativeWindow(NSWindow* window, void* native) = 0;
  virtual void ShowNativeWindow(NSWindow* window, void* native, bool visible) = 0;
  // The backing store's pixels inside rect (window coordinates) changed and should be shown.
  virtual void PresentNativeWindow(NSWindow* window, void* native, CGRect rect) = 0;
  // The frame (screen coordinates, y up) of a window the host owns, given as a window reference;
  // false for a reference the backend does not know.
  virtual bool HostWindowFrame(void* windowRef, CGRect* frame) = 0;

  // Time in seconds on the run loop's clock, and waiting (delivering events meanwhile) until the
  // clock reads `time` or an event arrived.
  virtual double Now() = 0;
  virtual void WaitUntil(double time) = 0;

  // The main display and its cursor (display coordinates: origin top left).
  virtual CGSize DisplaySize() = 0;
  virtual bool SetCursorVisible(bool visible) = 0;
  virtual bool MoveCursor(CGPoint point) = 0;
  virtual CGPoint CursorPosition() = 0;

  // Runs the menu modally at a screen point; the chosen item (which must be enabled and carry
  // no submenu), or null when the menu was dismissed.
  virtual NSMenuItem* RunMenu(NSMenu* menu, CGPoint screenPoint, NSView* view) = 0;
  // True and the chosen path for OK; false for cancel.
  virtual bool RunPanel(const PanelRequest& request, std::string* path) = 0;
  // A kCFUserNotification...Response value.
  virtual CFOptionFlags RunAlert(const BrindleHost_Alert& alert) = 0;
  virtual bool OpenURL(const std::string& url) = 0;
};

/* The installed backend; the headless one when none has been installed. */
IWindowBackend& Backend();
/* Replaces the backend (null: back to a fresh headless one). Windows open at the time keep the
 * native handles of the backend that made them, so install before creating windows. */
void SetBackend(std::unique_ptr<IWindowBackend> backend);

} // namespace BrindleHost

#endif
