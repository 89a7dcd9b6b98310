// The X11 window backend: windows, presenting the backing store, the clock and waiting, the cursor.
#include <AppKit/NSWindow.h>
#include <X11Host/X11Display.h>

#include <X11/XKBlib.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

extern char** environ;

namespace BrindleHost {

namespace {

// Xlib's default error handler ends the process; a bad window id from a host must not. Errors are
// counted so that the calls that can fail (attaching shared memory, a parent that went away) can
// tell. The handler is process-wide: errors on connections that are not ours go on to the handler
// that was there before (a host's toolkit may rely on its own).
int sErrors = 0;
std::vector<Display*> sOwnDisplays;
XErrorHandler sPreviousHandler = nullptr;

int CountError(Display* display, XErrorEvent* event)
{
  const bool ours = std::find(sOwnDisplays.begin(), sOwnDisplays.end(), display) != sOwnDisplays.end();
  if (!ours && sPreviousHandler) return sPreviousHandler(display, event);
  ++sErrors;
  return 0;
}

void AdoptErrors(Display* display)
{
  sOwnDisplays.push_back(display);
  const XErrorHandler previous = XSetErrorHandler(&CountError);
  if (previous != &CountError) sPreviousHandler = previous;
}

void ReleaseErrors(Display* display)
{
  sOwnDisplays.erase(std::remove(sOwnDisplays.begin(), sOwnDisplays.end(), display), sOwnDisplays.end());
  if (!sOwnDisplays.empty()) return;
  // Give the program its own handler back, unless something replaced ours meanwhile.
  const XErrorHandler current = XSetErrorHandler(sPreviousHandler);
  if (current != &CountError) XSetErrorHandler(current);
  sPreviousHandler = nullptr;
}

bool HostIsMSBFirst()
{
  const uint32_t one = 1;
  return *reinterpret_cast<const uint8_t*>(&one) == 0;
}

} // namespace

// ---- Images ----

X11Image::X11Image(Display* display, Visual* visual, int depth, int w, int h, bool sharedMemory)
    : mDisplay(display), mWidth(w), mHeight(h)
{
  if (w <= 0 || h <= 0) return;
  if (sharedMemory && XShmQueryExtension(display)) {
    mImage = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &mShm,
                             static_cast<unsigned>(w), static_cast<unsigned>(h));
    if (mImage && mImage->bits_per_pixel == 32) {
      mShm.shmid =
          shmget(IPC_PRIVATE, static_cast<size_t>(mImage->bytes_per_line) * static_cast<size_t>(h), IPC_CREAT | 0600);
      if (mShm.shmid >= 0) {
        void* address = shmat(mShm.shmid, nullptr, 0);
        if (address != reinterpret_cast<void*>(-1)) {
          mShm.shmaddr = mImage->data = static_cast<char*>(address);
          mShm.readOnly = False;
          XSync(display, False);
          const int before = sErrors;
          mAttached = XShmAttach(display, &mShm) && (XSync(display, False), sErrors == before);
          if (!mAttached) shmdt(mShm.shmaddr);
        }
        shmctl(mShm.shmid, IPC_RMID, nullptr); // freed once both sides detach
      }
    }
    if (!mAttached && mImage) {
      mImage->data = nullptr;
      XDestroyImage(mImage);
      mImage = nullptr;
    }
  }
  if (mAttached) return;
  mImage = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr, static_cast<unsigned>(w),
                        static_cast<unsigned>(h), 32, 0);
  if (!mImage) return;
  if (mImage->bits_per_pixel != 32) { // only 32-bit pixel words are written here
    XDestroyImage(mImage);
    mImage = nullptr;
    return;
  }
  // Words in our own byte order; Xlib swaps them for a server of the other order.
  mImage->byte_order = HostIsMSBFirst() ? MSBFirst : LSBFirst;
  mOwnPixels.assign(static_cast<size_t>(mImage->bytes_per_line) * static_cast<size_t>(h), 0);
  mImage->data = reinterpret_cast<char*>(mOwnPixels.data());
}

X11Image::~X11Image()
{
  if (!mImage) return;
  if (mAttached) {
    XShmDetach(mDisplay, &mShm);
    XSync(mDisplay, False);
    shmdt(mShm.shmaddr);
  }
  mImage->data = nullptr; // the pixels are not Xlib's to free
  XDestroyImage(mImage);
}

uint8_t* X11Image::Row(int y)
{
  return reinterpret_cast<uint8_t*>(mImage->data) + static_cast<size_t>(y) * Stride();
}

size_t X11Image::Stride() const
{
  return static_cast<size_t>(mImage->bytes_per_line);
}

XLayout X11Image::Layout() const
{
  XLayout l;
  l.mRedMask = static_cast<uint32_t>(mImage->red_mask);
  l.mGreenMask = static_cast<uint32_t>(mImage->green_mask);
  l.mBlueMask = static_cast<uint32_t>(mImage->blue_mask);
  l.mDepth = mImage->depth;
  l.mMSBFirst = mImage->byte_order == MSBFirst;
  return l;
}

void X11Image::Put(Drawable target, GC gc, int x, int y, int w, int h)
{
  if (!mImage || w <= 0 || h <= 0) return;
  if (mAttached) {
    XShmPutImage(mDisplay, target, gc, mImage, x, y, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h), False);
    XSync(mDisplay, False); // the server has read the pixels before they change again
  } else {
    XPutImage(mDisplay, target, gc, mImage, x, y, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h));
    XFlush(mDisplay);
  }
}

// ---- Backend ----

std::unique_ptr<IWindowBackend> MakeX11Backend(const X11Options& options, std::string* error)
{
  const char* name = options.mDisplay.empty() ? nullptr : options.mDisplay.c_str();
  Display* display = XOpenDisplay(name);
  if (!display) {
    const char* shown = name ? name : std::getenv("DISPLAY");
    if (error)
      *error = shown && *shown ? "cannot open the X display '" + std::string(shown) + "'"
                               : std::string("no X display (DISPLAY is not set)");
    return nullptr;
  }
  return std::unique_ptr<IWindowBackend>(new X11Backend(display, options));
}

X11Backend* InstalledX11Backend()
{
  return dynamic_cast<X11Backend*>(&Backend());
}

unsigned long X11WindowOf(NSWindow* window)
{
  X11Backend* backend = InstalledX11Backend();
  return backend ? backend->WindowOf(window) : 0;
}

bool X11SetParentForNewWindows(unsigned long parent)
{
  X11Backend* backend = InstalledX11Backend();
  if (!backend) return false;
  backend->SetParent(parent);
  return true;
}

int X11ConnectionFd()
{
  X11Backend* backend = InstalledX11Backend();
  return backend ? ConnectionNumber(backend->XDisplay()) : -1;
}

X11Backend::X11Backend(Display* display, const X11Options& options)
    : mDisplay(display), mOptions(options), mStart(std::chrono::steady_clock::now())
{
  AdoptErrors(display);
  mScreen = DefaultScreen(display);
  mVisual = DefaultVisual(display, mScreen);
  mDepth = DefaultDepth(display, mScreen);
  mColormap = DefaultColormap(display, mScreen);
  XVisualInfo info{};
  if (options.mDepth && options.mDepth != mDepth &&
      XMatchVisualInfo(display, mScreen, options.mDepth, TrueColor, &info)) {
    mVisual = info.visual;
    mDepth = info.depth;
    mColormap = XCreateColormap(display, RootWindow(display, mScreen), mVisual, AllocNone);
    mOwnColormap = true;
  }
  mUseShm = options.mUseSharedMemory;
  mDeleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  mProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
  // Held keys then send presses only, so a press of a held key is a repeat.
  XkbSetDetectableAutoRepeat(display, True, nullptr);
}

X11Backend::~X11Backend()
{
  for (auto& native : mNatives) {
    native->mImage.reset();
    if (native->mGC) XFreeGC(mDisplay, native->mGC);
    if (native->mXWindow) XDestroyWindow(mDisplay, native->mXWindow);
  }
  mNatives.clear();
  if (mBlankCursor) XFreeCursor(mDisplay, mBlankCursor);
  if (mOwnColormap) XFreeColormap(mDisplay, mColormap);
  XCloseDisplay(mDisplay);
  ReleaseErrors(mDisplay);
}

X11Backend::Native* X11Backend::Find(Window xwindow)
{
  for (auto& native : mNatives)
    if (native->mXWindow == xwindow) return native.get();
  return nullptr;
}

unsigned long X11Backend::WindowOf(NSWindow* window) const
{
  for (const auto& native : mNatives)
    if (native->mWindow == window) return native->mXWindow;
  return 0;
}

Window X11Backend::CreatePlainWindow(int x, int y, int w, int h, bool overrideRedirect, const std::string& title)
{
  XSetWindowAttributes a{};
  a.background_pixel = BlackPixel(mDisplay, mScreen);
  a.border_pixel = 0;
  a.colormap = mColormap;
  a.override_redirect = overrideRedirect ? True : False;
  a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                 KeyReleaseMask | StructureNotifyMask;
  Window window = XCreateWindow(mDisplay, RootWindow(mDisplay, mScreen), x, y, static_cast<unsigned>(std::max(w, 1)),
                                static_cast<unsigned>(std::max(h, 1)), 0, mDepth, InputOutput, mVisual,
                                CWBackPixel | CWBorderPixel | CWColormap | CWOverrideRedirect | CWEventMask, &a);
  XStoreName(mDisplay, window, title.c_str());
  XSetWMProtocols(mDisplay, window, &mDeleteWindow, 1);
  XSizeHints* hints = XAllocSizeHints();
  if (hints) {
    hints->flags = PPosition | PMinSize | PMaxSize;
    hints->x = x;
    hints->y = y;
    hints->min_width = hints->max_width = std::max(w, 1);
    hints->min_height = hints->max_height = std::max(h, 1);
    XSetWMNormalHints(mDisplay, window, hints);
    XFree(hints);
  }
  if (mHideCount > 0 && mBlankCursor) XDefineCursor(mDisplay, window, mBlankCursor);
  return window;
}

void* X11Backend::CreateNativeWindow(NSWindow* window)
{
  auto native = std::make_unique<Native>();
  native->mWindow = window;
  const NSWindow::BackingStore store = window->backingStore();
  const int w = std::max(store.mWidth, 1), h = std::max(store.mHeight, 1);
  const Window parent = window->windowRef() ? reinterpret_cast<Window>(window->windowRef()) : mOptions.mParent;
  const int errors = sErrors;
  if (parent) {
    // Inside a host's window: same visual as the parent, at its top left.
    XSetWindowAttributes a{};
    a.background_pixel = 0;
    a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                   KeyReleaseMask | StructureNotifyMask;
    native->mXWindow = XCreateWindow(mDisplay, parent, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h), 0,
                                     CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &a);
    XSync(mDisplay, False);
    if (sErrors != errors) native->mXWindow = 0; // the parent is gone: nothing to show in
  } else {
    const NSRect frame = window->frame();
    const int x = static_cast<int>(std::lround(frame.origin.x));
    const int y = static_cast<int>(DisplayHeight(mDisplay, mScreen) - std::lround(frame.origin.y + frame.size.height));
    native->mXWindow = CreatePlainWindow(x, y, w, h, false, mOptions.mTitle);
  }
  if (native->mXWindow) {
    native->mGC = XCreateGC(mDisplay, native->mXWindow, 0, nullptr);
    if (mHideCount > 0 && mBlankCursor) XDefineCursor(mDisplay, native->mXWindow, mBlankCursor);
  }
  XFlush(mDisplay);
  Native* handle = native.get();
  mNatives.push_back(std::move(native));
  return handle;
}

void X11Backend::DestroyNativeWindow(NSWindow*, void* handle)
{
  for (auto it = mNatives.begin(); it != mNatives.end(); ++it) {
    if (it->get() != handle) continue;
    Native& native = **it;
    native.mImage.reset();
    if (native.mGC) XFreeGC(mDisplay, native.mGC);
    if (native.mXWindow) XDestroyWindow(mDisplay, native.mXWindow);
    XFlush(mDisplay);
    mNatives.erase(it);
    return;
  }
}

void X11Backend::ShowNativeWindow(NSWindow*, void* handle, bool visible)
{
  Native* native = static_cast<Native*>(handle);
  if (!native || !native->mXWindow) return;
  if (visible)
    XMapRaised(mDisplay, native->mXWindow);
  else
    XUnmapWindow(mDisplay, native->mXWindow);
  native->mMapped = visible;
  XFlush(mDisplay);
}

void X11Backend::PresentNativeWindow(NSWindow* window, void* handle, CGRect rect)
{
  Native* native = static_cast<Native*>(handle);
  if (!native || !native->mXWindow || !native->mMapped) return;
  const int height = window->backingStore().mHeight;
  // Window coordinates have y up; the backing store and X count rows from the top.
  const int x0 = static_cast<int>(std::floor(rect.origin.x));
  const int x1 = static_cast<int>(std::ceil(rect.origin.x + rect.size.width));
  const int y0 = height - static_cast<int>(std::ceil(rect.origin.y + rect.size.height));
  const int y1 = height - static_cast<int>(std::floor(rect.origin.y));
  Present(*native, x0, y0, x1 - x0, y1 - y0);
}

void X11Backend::Present(Native& native, int x, int y, int w, int h)
{
  const NSWindow::BackingStore store = native.mWindow->backingStore();
  if (!store.mPixels) return;
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + w, store.mWidth), y1 = std::min(y + h, store.mHeight);
  if (x1 <= x0 || y1 <= y0) return;
  if (!native.mImage || native.mImage->Width() != store.mWidth || native.mImage->Height() != store.mHeight) {
    XWindowAttributes a{};
    if (!XGetWindowAttributes(mDisplay, native.mXWindow, &a)) return;
    native.mImage = std::make_unique<X11Image>(mDisplay, a.visual, a.depth, store.mWidth, store.mHeight, mUseShm);
  }
  if (!native.mImage->Valid()) return;
  ConvertPixels(store.mPixels + static_cast<size_t>(y0) * store.mBytesPerRow + static_cast<size_t>(x0) * 4,
                store.mBytesPerRow, kBackingStoreLayout, native.mImage->Row(y0) + static_cast<size_t>(x0) * 4,
                native.mImage->Stride(), native.mImage->Layout(), x1 - x0, y1 - y0);
  native.mImage->Put(native.mXWindow, native.mGC, x0, y0, x1 - x0, y1 - y0);
}

bool X11Backend::HostWindowFrame(void* windowRef, CGRect* frame)
{
  const Window window = reinterpret_cast<Window>(windowRef);
  if (!window) return false;
  const int errors = sErrors;
  XWindowAttributes a{};
  Window child = 0;
  int x = 0, y = 0;
  if (!XGetWindowAttributes(mDisplay, window, &a) ||
      !XTranslateCoordinates(mDisplay, window, RootWindow(mDisplay, mScreen), 0, 0, &x, &y, &child) ||
      sErrors != errors)
    return false;
  *frame = CGRectMake(x, DisplayHeight(mDisplay, mScreen) - (y + a.height), a.width, a.height);
  return true;
}

// ---- Clock and waiting ----

double X11Backend::Now()
{
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - mStart).count();
}

bool X11Backend::WaitForConnection(double seconds)
{
  pollfd fd = {ConnectionNumber(mDisplay), POLLIN, 0};
  const int ms = static_cast<int>(std::ceil(std::min(seconds, 60.0) * 1000));
  return poll(&fd, 1, std::max(ms, 0)) >= 0 || errno != EINTR;
}

bool X11Backend::DispatchPending()
{
  bool any = false;
  while (XPending(mDisplay) > 0) {
    XEvent event;
    XNextEvent(mDisplay, &event);
    Handle(event);
    any = true;
  }
  return any;
}

void X11Backend::WaitUntil(double time)
{
  if (DispatchPending()) return;
  for (;;) {
    const double left = time - Now();
    if (!(left > 0)) return;
    if (!WaitForConnection(left)) return; // a signal: let the program look at its flags
    if (DispatchPending()) return;
  }
}

bool X11Backend::IsCloseRequest(const XEvent& event) const
{
  return event.type == ClientMessage && event.xclient.message_type == mProtocols &&
         static_cast<Atom>(event.xclient.data.l[0]) == mDeleteWindow;
}

bool X11Backend::NextModalEvent(const std::vector<Window>& modal, XEvent* out, double timeout)
{
  const double deadline = timeout >= 0 ? Now() + timeout : HUGE_VAL;
  for (;;) {
    while (XPending(mDisplay) > 0) {
      XNextEvent(mDisplay, out);
      if (std::find(modal.begin(), modal.end(), out->xany.window) != modal.end()) return out->type != DestroyNotify;
      // Other windows keep their pictures; their input waits for the modal session to end.
      if (out->type == Expose || out->type == MapNotify || out->type == UnmapNotify) Handle(*out);
    }
    const double left = deadline - Now();
    if (!(left > 0)) return false;
    if (!WaitForConnection(left)) return false;
  }
}

void X11Backend::Handle(XEvent& event)
{
  Native* native = Find(event.xany.window);
  if (!native) return;
  switch (event.type) {
  case Expose:
    native->mMapped = true;
    Present(*native, event.xexpose.x, event.xexpose.y, event.xexpose.width, event.xexpose.height);
    return;
  case MapNotify:
    native->mMapped = true;
    return;
  case UnmapNotify:
    native->mMapped = false;
    return;
  case DestroyNotify:
  case ClientMessage: {
    if (event.type == ClientMessage && !IsCloseRequest(event)) return;
    if (event.type == DestroyNotify) native->mXWindow = 0; // destroyed by someone else
    // The close box, or the window destroyed with its host's: the NSWindow closes (which may
    // free the native record, so nothing below touches it).
    NSWindow* window = native->mWindow;
    window->retain();
    window->close();
    window->release();
    return;
  }
  default:
    HandleInput(*native, event);
    return;
  }
}

// ---- Display and cursor ----

CGSize X11Backend::DisplaySize()
{
  return CGSizeMake(DisplayWidth(mDisplay, mScreen), DisplayHeight(mDisplay, mScreen));
}

bool X11Backend::SetCursorVisible(bool visible)
{
  if (!visible) {
    if (mHideCount++ > 0) return true;
    if (!mBlankCursor) {
      static const char kEmpty[8] = {};
      Pixmap bits = XCreateBitmapFromData(mDisplay, RootWindow(mDisplay, mScreen), kEmpty, 8, 8);
      XColor black{};
      mBlankCursor = XCreatePixmapCursor(mDisplay, bits, bits, &black, &black, 0, 0);
      XFreePixmap(mDisplay, bits);
    }
    for (auto& native : mNatives)
      if (native->mXWindow) XDefineCursor(mDisplay, native->mXWindow, mBlankCursor);
  } else {
    if (mHideCount == 0 || --mHideCount > 0) return true;
    for (auto& native : mNatives)
      if (native->mXWindow) XUndefineCursor(mDisplay, native->mXWindow);
  }
  XFlush(mDisplay);
  return true;
}

bool X11Backend::MoveCursor(CGPoint point)
{
  if (!std::isfinite(point.x) || !std::isfinite(point.y)) return false;
  XWarpPointer(mDisplay, None, RootWindow(mDisplay, mScreen), 0, 0, 0, 0,
               static_cast<int>(std::lround(std::clamp<double>(point.x, -32768, 32767))),
               static_cast<int>(std::lround(std::clamp<double>(point.y, -32768, 32767))));
  XFlush(mDisplay);
  return true;
}

CGPoint X11Backend::CursorPosition()
{
  Window root = 0, child = 0;
  int rx = 0, ry = 0, wx = 0, wy = 0;
  unsigned int mask = 0;
  XQueryPointer(mDisplay, RootWindow(mDisplay, mScreen), &root, &child, &rx, &ry, &wx, &wy, &mask);
  return CGPointMake(rx, ry);
}

bool X11Backend::OpenURL(const std::string& url)
{
  // Only what a browser opens; never something the opener could read as an option.
  const bool plain = url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0 || url.rfind("mailto:", 0) == 0 ||
                     url.rfind("file://", 0) == 0;
  if (!plain) return false;
  pid_t child = 0;
  char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(url.c_str()), nullptr};
  if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, argv, environ) != 0) return false;
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace BrindleHost
