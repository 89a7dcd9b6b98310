/*
 * X11Display.h — the X11 window backend's own declarations, shared by its source files: the
 * backend class, the X images that pixels are copied through, and the modal loop our menus and
 * dialogs run in. Users install the backend through BrindleHost/X11Backend.h.
 */
#ifndef BRINDLE_PLATFORM_X11DISPLAY_H
#define BRINDLE_PLATFORM_X11DISPLAY_H

#include <BrindleHost/X11Backend.h>
#include <X11Host/X11Keys.h>
#include <X11Host/X11Pixels.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace BrindleHost {

/* A w x h X image of 32-bit pixels, in shared memory when the server allows it. */
class X11Image
{
public:
  X11Image(Display* display, Visual* visual, int depth, int w, int h, bool sharedMemory);
  ~X11Image();
  X11Image(const X11Image&) = delete;
  X11Image& operator=(const X11Image&) = delete;
  bool Valid() const { return mImage != nullptr; }
  bool Shared() const { return mAttached; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  uint8_t* Row(int y);
  size_t Stride() const;
  XLayout Layout() const;
  /* Shows the block (x, y, w, h) of the image at the same place in the drawable. */
  void Put(Drawable target, GC gc, int x, int y, int w, int h);

private:
  Display* mDisplay;
  XImage* mImage = nullptr;
  XShmSegmentInfo mShm{};
  bool mAttached = false;
  int mWidth, mHeight;
  std::vector<uint8_t> mOwnPixels;
};

class X11Backend : public IWindowBackend
{
public:
  X11Backend(Display* display, const X11Options& options);
  ~X11Backend() override;

  // ---- IWindowBackend ----
  void* CreateNativeWindow(NSWindow* window) override;
  void DestroyNativeWindow(NSWindow* window, void* native) override;
  void ShowNativeWindow(NSWindow* window, void* native, bool visible) override;
  void PresentNativeWindow(NSWindow* window, void* native, CGRect rect) override;
  bool HostWindowFrame(void* windowRef, CGRect* frame) override;
  double Now() override;
  void WaitUntil(double time) override;
  CGSize DisplaySize() override;
  bool SetCursorVisible(bool visible) override;
  bool MoveCursor(CGPoint point) override;
  CGPoint CursorPosition() override;
  NSMenuItem* RunMenu(NSMenu* menu, CGPoint screenPoint, NSView* view) override;
  bool RunPanel(const PanelRequest& request, std::string* path) override;
  CFOptionFlags RunAlert(const BrindleHost_Alert& alert) override;
  bool OpenURL(const std::string& url) override;

  // ---- For our own windows (menus, dialogs) ----
  Display* XDisplay() const { return mDisplay; }
  Visual* XVisual() const { return mVisual; }
  int XDepth() const { return mDepth; }
  bool SharedMemory() const { return mUseShm; }
  /* A window at display point (x, y) (top left); override-redirect windows bypass the window
   * manager, as menus must. Input: pointer, keys, exposure, structure. */
  Window CreatePlainWindow(int x, int y, int w, int h, bool overrideRedirect, const std::string& title);
  /* The next event for one of the `modal` windows. Exposure of other windows is handled meanwhile;
   * their input is dropped, as during any modal session. False when a signal interrupted the wait,
   * when `timeout` seconds passed (negative: none) or when a modal window went away. */
  bool NextModalEvent(const std::vector<Window>& modal, XEvent* out, double timeout = -1);
  /* True for the window manager's request to close a window. */
  bool IsCloseRequest(const XEvent& event) const;
  unsigned long WindowOf(NSWindow* window) const;
  void SetParent(unsigned long parent) { mOptions.mParent = parent; }

private:
  struct Native
  {
    NSWindow* mWindow;
    Window mXWindow = 0;
    GC mGC = nullptr;
    std::unique_ptr<X11Image> mImage;
    bool mMapped = false;
  };
  Native* Find(Window xwindow);
  void Present(Native& native, int x, int y, int w, int h);
  /* Reads and handles every queued event; true when there was one. */
  bool DispatchPending();
  void Handle(XEvent& event);
  // X11Events.cpp: input to NSEvents.
  void HandleInput(Native& native, XEvent& event);
  bool WaitForConnection(double seconds);

  Display* mDisplay;
  X11Options mOptions;
  int mScreen;
  Visual* mVisual;
  int mDepth;
  Colormap mColormap;
  bool mOwnColormap = false;
  bool mUseShm;
  Atom mDeleteWindow, mProtocols;
  std::vector<std::unique_ptr<Native>> mNatives;
  std::chrono::steady_clock::time_point mStart;
  Cursor mBlankCursor = 0;
  int mHideCount = 0;
  ClickCounter mClicks;
  std::set<unsigned int> mKeysDown; // for isARepeat
};

/* The installed backend when it is the X11 one, else null. */
X11Backend* InstalledX11Backend();

} // namespace BrindleHost

#endif
