/*
 * NSWindow.h — a window: a content view, the responder routing of events, and a backing store.
 *
 * The backing store is the window's picture: 32-bit pixels of the content size, bytes B, G, R, A
 * in memory (premultiplied; a native 0xAARRGGBB word on a little-endian machine;
 * kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little), top row first, starting out
 * transparent black. What the views draw lands there; the window backend is told which rectangles
 * changed (BrindleHost/WindowBackend.h).
 *
 * Event routing (sendEvent): a mouse down goes to the deepest view hit (which becomes first
 * responder when it accepts that), and the same view gets the drags and the release that follow;
 * the right button likewise. Mouse-moved events go to the view under the pointer, and only while
 * setAcceptsMouseMovedEvents(YES). Scroll events go to the view under the pointer, keys to the first
 * responder.
 *
 * The frame equals the content rectangle (screen coordinates, y up): windows have no decorations
 * here. Windows are released when closed unless setReleasedWhenClosed(NO), as in AppKit.
 */
#ifndef BRINDLE_PLATFORM_NSWINDOW_H
#define BRINDLE_PLATFORM_NSWINDOW_H

#include <AppKit/NSView.h>
#include <CoreGraphics/CGContext.h>

#include <cstdint>
#include <vector>

enum : NSUInteger {
  NSBorderlessWindowMask = 0,
  NSTitledWindowMask = 1,
  NSClosableWindowMask = 2,
  NSMiniaturizableWindowMask = 4,
  NSResizableWindowMask = 8
};
enum : NSUInteger { NSBackingStoreRetained = 0, NSBackingStoreNonretained = 1, NSBackingStoreBuffered = 2 };
enum : NSInteger { NSWindowBelow = -1, NSWindowOut = 0, NSWindowAbove = 1 };

class NSWindow : public NSResponder
{
public:
  NS_DECLARE_ALLOC(NSWindow)
  ~NSWindow() override;
  virtual NSWindow* initWithContentRect(NSRect contentRect, NSUInteger styleMask, NSUInteger backing, BOOL defer);
  /* Wraps a window the host owns, known to the window backend by this reference; its frame comes
   * from the backend (an empty frame for an unknown reference). */
  virtual NSWindow* initWithWindowRef(void* windowRef);
  const char* className() const override { return "NSWindow"; }

  NSView* contentView() const { return mContentView; }
  /* Retains the view and sizes it to the content area. */
  void setContentView(NSView* view);
  NSRect frame() const { return mFrame; }
  NSInteger windowNumber() const { return mWindowNumber; }
  void* windowRef() const { return mWindowRef; }

  BOOL makeFirstResponder(NSResponder* responder);
  NSResponder* firstResponder() const { return mFirstResponder; }
  void setAcceptsMouseMovedEvents(BOOL flag) { mAcceptsMouseMoved = flag; }
  BOOL acceptsMouseMovedEvents() const { return mAcceptsMouseMoved; }
  virtual BOOL canBecomeKeyWindow() { return YES; }
  BOOL isKeyWindow() const { return mIsKey; }
  BOOL isVisible() const { return mVisible; }

  void makeKeyAndOrderFront(NSObject* sender);
  void orderFront(NSObject* sender);
  void orderOut(NSObject* sender);
  /* Hides the window, takes it out of its parent, and releases it when releasedWhenClosed. */
  void close();
  /* Redraws everything now / only what is dirty. */
  void display();
  void displayIfNeeded();

  /* Retains the child; ordered is NSWindowAbove or NSWindowBelow. */
  void addChildWindow(NSWindow* child, NSInteger ordered);
  void removeChildWindow(NSWindow* child);
  /* Autoreleased snapshot. */
  NSArray* childWindows() const;
  NSWindow* parentWindow() const { return mParent; }

  void setCanHide(BOOL flag) { mCanHide = flag; }
  BOOL canHide() const { return mCanHide; }
  void setReleasedWhenClosed(BOOL flag) { mReleasedWhenClosed = flag; }
  BOOL isReleasedWhenClosed() const { return mReleasedWhenClosed; }
  void setOpaque(BOOL flag) { mOpaque = flag; }
  BOOL isOpaque() const { return mOpaque; }
  void setHasShadow(BOOL flag) { mHasShadow = flag; }
  BOOL hasShadow() const { return mHasShadow; }

  void sendEvent(NSEvent* event);

  /* Answers "orderFront:", "orderOut:", "makeKeyAndOrderFront:", "close" and "display", so that they
   * can be sent later with performSelector(selector, object, delay). */
  using NSObject::performSelector;
  BOOL respondsToSelector(SEL selector) override;
  NSObject* performSelector(SEL selector, NSObject* argument) override;

  // ---- Backing store and drawing ----
  struct BackingStore
  {
    uint8_t* mPixels; // top row first
    int mWidth, mHeight;
    size_t mBytesPerRow;
    CGBitmapInfo mBitmapInfo;
  };
  BackingStore backingStore();
  /* Adds a rectangle (window coordinates) to the region to redraw. */
  void invalidateRect(NSRect rect);
  const std::vector<NSRect>& dirtyRects() const { return mDirty; }
  /* Bytes CGContextDrawImage and friends wrote into the backing store during the most recent
   * display pass that had something to draw, and since the window was made. A pass that finds
   * nothing dirty changes neither (displayCount tells whether a pass drew). */
  unsigned long long bytesDrawnLastPass() const { return mBytesLastPass; }
  unsigned long long bytesDrawnTotal() const { return mBytesTotal; }
  /* Display passes that drew something. */
  unsigned long long displayCount() const { return mDisplayCount; }

  /* The open window with that number, or nil. */
  static NSWindow* windowWithNumber(NSInteger number);
  /* displayIfNeeded on every open window (what the run loop does after each step). */
  static void displayAllIfNeeded();

private:
  void setup(NSRect frame);
  void drawView(NSView* view, NSRect area, NSRect visible);
  void forgetView(NSView* view);
  friend class NSView;
  NSInteger mWindowNumber = 0;
  NSRect mFrame = {{0, 0}, {0, 0}};
  void* mWindowRef = nullptr;
  void* mNative = nullptr;
  NSView* mContentView = nil;
  NSResponder* mFirstResponder = nil; // weak; cleared when the view leaves the window
  NSView* mMouseView = nil;           // retained between a left press and its release
  NSView* mRightMouseView = nil;
  NSWindow* mParent = nil;
  std::vector<NSWindow*> mChildren; // retained
  bool mAcceptsMouseMoved = false;
  bool mIsKey = false, mVisible = false, mClosed = false;
  bool mCanHide = true, mReleasedWhenClosed = true, mOpaque = false, mHasShadow = true;
  std::vector<uint8_t> mPixels;
  int mWidth = 0, mHeight = 0;
  CGContextRef mContext = nullptr;
  std::vector<NSRect> mDirty;
  unsigned long long mBytesLastPass = 0, mBytesTotal = 0, mDisplayCount = 0;
  bool mDisplaying = false;
};

#endif
