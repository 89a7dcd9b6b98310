/*
 * Headless.h — the window backend without a display, and the helpers tests and command-line tools
 * drive AppKit with.
 *
 * Clock: the run loop runs on a virtual clock that starts at 0 and moves only when told:
 * BrindleHost_RunLoopAdvance(seconds) fires every timer and delayed perform that comes due, in
 * order (a repeating timer once per interval crossed), displaying the windows that need it after
 * each step.
 *
 * Input: Mouse and the key helpers build events at WINDOW points (AppKit's window coordinates:
 * origin at the bottom left, y up) and deliver them through NSApplication::sendEvent, then let the
 * windows display, as one turn of a real event loop would. Mouse derives clickCount from the
 * double-click interval (0.5 s on the virtual clock) and distance (4 points).
 *
 * Script: menus, file panels, alerts and URL openings are answered from queues of answers, each
 * consumed in order by the next request of its kind. A line of text can queue an answer:
 *
 *   "menu -> choose 2/1"          item 2 of the menu, then item 1 of its submenu (counting from 0,
 *                                 separators included)
 *   "menu -> dismiss"
 *   "save panel -> /tmp/x.fxp"    or "save panel -> cancel"
 *   "open panel -> /tmp/a.fxb"    or "open panel -> cancel"
 *   "alert -> default"            or alternate, other, cancel
 *   "url -> ok"                   or "url -> fail"
 *
 * With nothing queued, menus are dismissed, panels cancelled, alerts get the default button and
 * URLs report success. Every request is recorded (menus with their items' titles, states, enabled
 * flags and indentation; panels with folder, file and types; alerts; URLs) for tests to inspect.
 * A menu choice that lands on a separator, a disabled item, an item with a submenu or past the end
 * counts as a dismissal.
 */
#ifndef BRINDLE_PLATFORM_HEADLESS_H
#define BRINDLE_PLATFORM_HEADLESS_H

#include <AppKit/NSEvent.h>
#include <AppKit/NSWindow.h>
#include <BrindleHost/WindowBackend.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

extern "C" {
/* The run loop's clock (seconds). */
double BrindleHost_RunLoopNow(void);
/* Moves the clock forward, firing what comes due; negative or not-a-number amounts move nothing
 * but still fire what is already due. */
void BrindleHost_RunLoopAdvance(double seconds);
}

namespace BrindleHost {

struct MenuItemRecord
{
  std::string mTitle;
  NSInteger mState = 0;
  NSInteger mIndentation = 0;
  bool mEnabled = true;
  bool mSeparator = false;
  bool mHasAction = false;
  bool mHasSubmenu = false;
  std::vector<MenuItemRecord> mSubmenu;
};

struct MenuRecord
{
  std::string mTitle;
  CGPoint mScreenPoint = {0, 0};
  std::vector<MenuItemRecord> mItems;
  std::vector<int> mChosenPath; // empty: dismissed
};

struct PanelRecord
{
  PanelRequest mRequest;
  std::string mAnswer; // empty: cancelled
};

struct AlertRecord
{
  CFOptionFlags mFlags = 0;
  std::string mHeader, mMessage, mDefaultButton, mAlternateButton, mOtherButton;
  bool mHasAlternate = false, mHasOther = false;
  CFOptionFlags mResponse = 0;
};

struct URLRecord
{
  std::string mURL;
  bool mResult = true;
};

class HeadlessBackend : public IWindowBackend
{
public:
  // ---- Script ----
  /* False (and nothing queued) for a line that is not understood. */
  bool QueueAnswer(const std::string& line);
  void QueueMenuChoice(const std::vector<int>& path) { mMenuAnswers.push_back(path); }
  void QueueMenuDismiss() { mMenuAnswers.push_back({}); }
  /* An empty path cancels. */
  void QueueSavePanel(const std::string& path) { mSaveAnswers.push_back(path); }
  void QueueOpenPanel(const std::string& path) { mOpenAnswers.push_back(path); }
  void QueueAlert(CFOptionFlags response) { mAlertAnswers.push_back(response); }
  void QueueURLResult(bool result) { mURLAnswers.push_back(result); }
  size_t PendingAnswers() const;
  void ClearScript();

  // ---- Records ----
  const std::vector<MenuRecord>& Menus() const { return mMenus; }
  const std::vector<PanelRecord>& Panels() const { return mPanels; }
  const std::vector<AlertRecord>& Alerts() const { return mAlerts; }
  const std::vector<URLRecord>& URLs() const { return mURLs; }
  void ClearRecords();

  // ---- Display ----
  bool CursorHidden() const { return mHideCount > 0; }
  int CursorHideCount() const { return mHideCount; }
  /* Windows with a native window now (made and not yet destroyed). */
  size_t NativeWindowCount() const { return mNativeWindows; }
  /* Rectangles presented so far. */
  unsigned long long PresentCount() const { return mPresents; }

  /* A stand-in for a host's own window, for NSWindow::initWithWindowRef. */
  void* CreateHostWindowRef(CGRect frame);
  void DestroyHostWindowRef(void* ref);

  // ---- IWindowBackend ----
  void* CreateNativeWindow(NSWindow* window) override;
  void DestroyNativeWindow(NSWindow* window, void* native) override;
  void ShowNativeWindow(NSWindow*, void*, bool) override {}
  void PresentNativeWindow(NSWindow*, void*, CGRect) override { ++mPresents; }
  bool HostWindowFrame(void* windowRef, CGRect* frame) override;
  double Now() override { return mNow; }
  void WaitUntil(double time) override;
  CGSize DisplaySize() override { return CGSizeMake(1920, 1080); }
  bool SetCursorVisible(bool visible) override;
  bool MoveCursor(CGPoint point) override;
  CGPoint CursorPosition() override { return mCursor; }
  NSMenuItem* RunMenu(NSMenu* menu, CGPoint screenPoint, NSView* view) override;
  bool RunPanel(const PanelRequest& request, std::string* path) override;
  CFOptionFlags RunAlert(const BrindleHost_Alert& alert) override;
  bool OpenURL(const std::string& url) override;

private:
  double mNow = 0;
  int mHideCount = 0;
  CGPoint mCursor = {0, 0};
  size_t mNativeWindows = 0;
  unsigned long long mPresents = 0;
  std::deque<std::vector<int>> mMenuAnswers;
  std::deque<std::string> mSaveAnswers, mOpenAnswers;
  std::deque<CFOptionFlags> mAlertAnswers;
  std::deque<bool> mURLAnswers;
  std::vector<MenuRecord> mMenus;
  std::vector<PanelRecord> mPanels;
  std::vector<AlertRecord> mAlerts;
  std::vector<URLRecord> mURLs;
  std::map<void*, CGRect> mHostWindows;
  unsigned long mNextHostRef = 1;
};

/* The installed backend when it is the headless one (the default), else null. */
HeadlessBackend* Headless();

/* Delivers an event as the event loop would: sendEvent, then the windows display. */
void DeliverEvent(NSEvent* event);

/* A mouse over one window (not retained: keep the window open while using it). */
class Mouse
{
public:
  explicit Mouse(NSWindow* window) : mWindow(window) {}
  void Press(NSPoint point, NSUInteger modifierFlags = 0, bool rightButton = false);
  void DragTo(NSPoint point);
  /* Releases the button at the last point. */
  void Release();
  void Click(NSPoint point, NSUInteger modifierFlags = 0, bool rightButton = false);
  void Move(NSPoint point, NSUInteger modifierFlags = 0);
  void Wheel(NSPoint point, CGFloat deltaY, NSUInteger modifierFlags = 0);
  /* The click count of the last press. */
  NSInteger ClickCount() const { return mClickCount; }

  static constexpr double kDoubleClickInterval = 0.5;
  static constexpr double kDoubleClickDistance = 4;

private:
  void Send(NSEventType type, NSPoint point);
  NSWindow* mWindow;
  bool mDown = false, mRight = false;
  NSUInteger mFlags = 0;
  NSPoint mPoint = {0, 0};
  NSPoint mLastPressPoint = {0, 0};
  double mLastPressTime = -1e9;
  bool mLastPressRight = false;
  NSInteger mClickCount = 0;
};

/* A key down and up; characters also stand for the characters ignoring modifiers. */
void PressKey(NSWindow* window, unsigned short keyCode, const char* characters, NSUInteger modifierFlags = 0);
/* One key per character of UTF-8 text: '\r' is Return, '\t' Tab, '\b' Backspace, ' ' Space, and
 * other characters carry key code 0xFFFF (no particular key). */
void TypeText(NSWindow* window, const char* text);

/* What a window shows. Pixel(x, y) counts y from the top row and answers 0xAARRGGBB
 * (premultiplied), or 0 outside. */
struct Framebuffer
{
  const uint8_t* mPixels = nullptr;
  int mWidth = 0, mHeight = 0;
  size_t mBytesPerRow = 0;
  CGBitmapInfo mBitmapInfo = 0;
  uint32_t Pixel(int x, int y) const;
};
Framebuffer WindowFramebuffer(NSWindow* window);

} // namespace BrindleHost

#endif
