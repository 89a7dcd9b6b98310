// The view tree: geometry, invalidation, hit testing and tooltips.
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>

#include <algorithm>
#include <cmath>

NSView::~NSView()
{
  for (NSView* view : mSubviews) {
    view->mSuperview = nil;
    view->release();
  }
}

NSView* NSView::initWithFrame(NSRect frame)
{
  mFrame = frame;
  return this;
}

void NSView::setFrame(NSRect frame)
{
  if (mWindow) setNeedsDisplay(YES); // the area it leaves
  mFrame = frame;
  if (mWindow) setNeedsDisplay(YES);
}

void NSView::setFrameSize(NSSize size)
{
  setFrame(NSRect{mFrame.origin, size});
}

void NSView::setFrameOrigin(NSPoint origin)
{
  setFrame(NSRect{origin, mFrame.size});
}

void NSView::setHidden(BOOL hidden)
{
  if (hidden == mHidden) return;
  if (mWindow) {
    NSRect area = convertRectToBase(bounds());
    for (NSView* s = mSuperview; s; s = s->mSuperview)
      area = NSIntersectionRect(area, s->convertRectToBase(s->bounds()));
    mWindow->invalidateRect(area);
  }
  mHidden = hidden;
}

BOOL NSView::isDescendantOf(NSView* ancestor) const
{
  for (const NSView* v = this; v; v = v->mSuperview)
    if (v == ancestor) return YES;
  return NO;
}

void NSView::addSubview(NSView* view)
{
  if (!view || isDescendantOf(view)) return; // a view cannot hold itself or an ancestor
  view->retain();
  if (view->mSuperview) view->removeFromSuperview();
  mSubviews.push_back(view);
  view->mSuperview = this;
  view->setWindowRecursively(mWindow);
}

void NSView::removeFromSuperview()
{
  NSView* superview = mSuperview;
  if (!superview) return;
  if (mWindow && !mHidden) {
    NSRect area = convertRectToBase(bounds());
    for (NSView* s = superview; s; s = s->mSuperview)
      area = NSIntersectionRect(area, s->convertRectToBase(s->bounds()));
    mWindow->invalidateRect(area);
  }
  auto& siblings = superview->mSubviews;
  siblings.erase(std::find(siblings.begin(), siblings.end(), this));
  mSuperview = nil;
  retain();
  setWindowRecursively(nil);
  release(); // the superview's reference
  release();
}

NSArray* NSView::subviews() const
{
  NSMutableArray* list = NSMutableArray::array();
  for (NSView* view : mSubviews) list->addObject(view);
  return list;
}

void NSView::setWindowRecursively(NSWindow* window)
{
  if (mWindow == window) return;
  retain();
  if (mWindow) mWindow->forgetView(this);
  mWindow = window;
  const std::vector<NSView*> children = mSubviews;
  for (NSView* child : children) child->retain();
  for (NSView* child : children) {
    if (child->mSuperview == this) child->setWindowRecursively(window);
    child->release();
  }
  if (mWindow) setNeedsDisplay(YES);
  viewDidMoveToWindow();
  release();
}

NSResponder* NSView::nextResponder() const
{
  if (mSuperview) return mSuperview;
  return mWindow;
}

// ---- Invalidation ----

void NSView::setNeedsDisplay(BOOL flag)
{
  if (flag) setNeedsDisplayInRect(bounds());
}

void NSView::setNeedsDisplayInRect(NSRect rect)
{
  if (!mWindow || mHidden) return;
  NSRect area = convertRectToBase(rect);
  for (const NSView* v = this; v; v = v->mSuperview) {
    if (v->mHidden) return;
    area = NSIntersectionRect(area, const_cast<NSView*>(v)->convertRectToBase(v->bounds()));
  }
  mWindow->invalidateRect(area);
}

BOOL NSView::needsDisplay() const
{
  if (!mWindow) return NO;
  const NSRect mine = const_cast<NSView*>(this)->convertRectToBase(bounds());
  for (const NSRect& r : mWindow->dirtyRects())
    if (!NSIsEmptyRect(NSIntersectionRect(r, mine))) return YES;
  return NO;
}

// ---- Coordinates ----

NSView::WindowTransform NSView::windowTransform()
{
  // Own coordinates -> unflipped own (yu = a * y + b) -> superview's (ys = c * yu + d).
  const CGFloat a = isFlipped() ? -1 : 1;
  const CGFloat b = isFlipped() ? mFrame.size.height : 0;
  CGFloat c = 1, d = mFrame.origin.y;
  if (mSuperview && mSuperview->isFlipped()) {
    c = -1;
    d = mFrame.origin.y + mFrame.size.height;
  }
  WindowTransform t{mFrame.origin.x, c * b + d, c * a};
  if (mSuperview) {
    const WindowTransform s = mSuperview->windowTransform();
    t.mOffsetX += s.mOffsetX;
    t.mOffsetY = s.mScaleY * t.mOffsetY + s.mOffsetY;
    t.mScaleY *= s.mScaleY;
  }
  return t;
}

NSPoint NSView::convertPointToBase(NSPoint p)
{
  const WindowTransform t = windowTransform();
  return NSMakePoint(p.x + t.mOffsetX, t.mScaleY * p.y + t.mOffsetY);
}

NSPoint NSView::convertPointFromBase(NSPoint p)
{
  const WindowTransform t = windowTransform();
  return NSMakePoint(p.x - t.mOffsetX, (p.y - t.mOffsetY) / t.mScaleY);
}

NSPoint NSView::convertPoint(NSPoint point, NSView* fromView)
{
  return convertPointFromBase(fromView ? fromView->convertPointToBase(point) : point);
}

NSRect NSView::convertRectToBase(NSRect r)
{
  const NSPoint a = convertPointToBase(r.origin);
  const NSPoint b = convertPointToBase(NSMakePoint(NSMaxX(r), NSMaxY(r)));
  return NSMakeRect(std::min(a.x, b.x), std::min(a.y, b.y), std::fabs(b.x - a.x), std::fabs(b.y - a.y));
}

NSView* NSView::hitTest(NSPoint point)
{
  if (mHidden) return nil;
  const NSPoint inWindow = mSuperview ? mSuperview->convertPointToBase(point) : point;
  const NSPoint local = convertPointFromBase(inWindow);
  if (!NSPointInRect(local, bounds())) return nil;
  for (auto it = mSubviews.rbegin(); it != mSubviews.rend(); ++it)
    if (NSView* hit = (*it)->hitTest(local)) return hit;
  return this;
}

// ---- Tooltips ----

NSInteger NSView::addToolTipRect(NSRect rect, NSObject* owner, void* userData)
{
  const NSInteger tag = mNextToolTipTag++;
  mToolTips.push_back({tag, rect, owner, userData});
  return tag;
}

void NSView::removeToolTip(NSInteger tag)
{
  mToolTips.erase(
      std::remove_if(mToolTips.begin(), mToolTips.end(), [tag](const NSToolTipRect& t) { return t.mTag == tag; }),
      mToolTips.end());
}

void NSView::removeAllToolTips()
{
  mToolTips.clear();
}

NSString* NSView::toolTipAtPoint(NSPoint point)
{
  for (auto it = mToolTips.rbegin(); it != mToolTips.rend(); ++it)
    if (NSPointInRect(point, it->mRect) && it->mOwner)
      return it->mOwner->view_stringForToolTip(this, it->mTag, point, it->mUserData);
  return nil;
}
