/*
 * NSView.h — a rectangle of a window that draws itself and answers events.
 *
 * Geometry: frame() is in the superview's coordinates, bounds() is (0, 0, width, height) in the
 * view's own; y grows upwards unless the view isFlipped(). A view retains its subviews; superview
 * and window links are weak.
 *
 * Drawing: setNeedsDisplay / setNeedsDisplayInRect add to the window's dirty region; the window's
 * displayIfNeeded (run by the run loop after timers and events) calls drawRect on every view that
 * meets the dirty area, back to front, with the clip set to that area and the context translated
 * to the view's own coordinates.
 *
 * Tooltips: rectangles with an owner that answers view_stringForToolTip (NSObject.h); the owner is
 * not retained.
 */
#ifndef BRINDLE_PLATFORM_NSVIEW_H
#define BRINDLE_PLATFORM_NSVIEW_H

#include <AppKit/NSResponder.h>
#include <Foundation/NSArray.h>

#include <vector>

class NSWindow;

struct NSToolTipRect
{
  NSInteger mTag;
  NSRect mRect; // view coordinates
  NSObject* mOwner;
  void* mUserData;
};

class NSView : public NSResponder
{
public:
  NS_DECLARE_ALLOC(NSView)
  ~NSView() override;
  NSView* init() override { return initWithFrame(NSMakeRect(0, 0, 0, 0)); }
  virtual NSView* initWithFrame(NSRect frame);
  const char* className() const override { return "NSView"; }

  NSRect frame() const { return mFrame; }
  NSRect bounds() const { return NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height); }
  virtual void setFrame(NSRect frame);
  void setFrameSize(NSSize size);
  void setFrameOrigin(NSPoint origin);

  /* Retains the view, taking it from any other superview first. */
  void addSubview(NSView* view);
  /* Detaches from the superview and window and releases the superview's reference. */
  virtual void removeFromSuperview();
  NSView* superview() const { return mSuperview; }
  /* The subviews, back to front (the array is a snapshot, autoreleased). */
  NSArray* subviews() const;
  const std::vector<NSView*>& subviewList() const { return mSubviews; }
  NSWindow* window() const { return mWindow; }
  BOOL isDescendantOf(NSView* ancestor) const;
  virtual void viewDidMoveToWindow() {}

  NSResponder* nextResponder() const override;

  virtual void drawRect(NSRect dirtyRect) { (void)dirtyRect; }
  virtual BOOL isOpaque() { return NO; }
  virtual BOOL isFlipped() { return NO; }
  virtual BOOL acceptsFirstMouse(NSEvent* event)
  {
    (void)event;
    return NO;
  }
  BOOL isHidden() const { return mHidden; }
  void setHidden(BOOL hidden);

  void setNeedsDisplay(BOOL flag);
  void setNeedsDisplayInRect(NSRect rect);
  /* YES while part of the view waits for display (always NO outside a window). */
  BOOL needsDisplay() const;

  /* A point from another view's coordinates (nil: the window's) to this view's. */
  NSPoint convertPoint(NSPoint point, NSView* fromView);
  /* A point from this view's coordinates to the window's. */
  NSPoint convertPointToBase(NSPoint point);
  NSPoint convertPointFromBase(NSPoint point);
  /* A rectangle from this view's coordinates to the window's. */
  NSRect convertRectToBase(NSRect rect);
  /* The deepest visible view under point (in the superview's coordinates), or nil. */
  virtual NSView* hitTest(NSPoint point);

  NSInteger addToolTipRect(NSRect rect, NSObject* owner, void* userData);
  void removeToolTip(NSInteger tag);
  void removeAllToolTips();
  const std::vector<NSToolTipRect>& toolTipRects() const { return mToolTips; }
  /* What the owner of the top-most tooltip rectangle under point (view coordinates) says; nil
   * when none covers it. */
  NSString* toolTipAtPoint(NSPoint point);

  /* View-to-window mapping: window = (x + mOffsetX, mScaleY * y + mOffsetY). Used by NSWindow. */
  struct WindowTransform
  {
    CGFloat mOffsetX, mOffsetY, mScaleY;
  };
  WindowTransform windowTransform();

private:
  friend class NSWindow;
  void setWindowRecursively(NSWindow* window);
  NSRect mFrame = {{0, 0}, {0, 0}};
  NSView* mSuperview = nil;
  NSWindow* mWindow = nil;
  std::vector<NSView*> mSubviews;
  std::vector<NSToolTipRect> mToolTips;
  NSInteger mNextToolTipTag = 1;
  BOOL mHidden = NO;
};

#endif
