// Windows: backing store, dirty region, display pass and event routing.
#include <AppKit/NSEvent.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSWindow.h>
#include <BrindleHost/WindowBackend.h>
#include <Foundation/NSRunLoop.h>

#include <algorithm>
#include <cmath>

namespace {

// Open windows (not retained), for look-up by number and the display pass.
std::vector<NSWindow*>& OpenWindows()
{
  static auto* sWindows = new std::vector<NSWindow*>();
  return *sWindows;
}

NSInteger sNextWindowNumber = 1;

const int kMaxSide = 16384;

int PixelSide(CGFloat v)
{
  if (!(v > 0)) return 0;
  return static_cast<int>(std::min<CGFloat>(std::ceil(v - 1e-9), kMaxSide));
}

// Above this many separate rectangles the dirty region becomes their union.
const size_t kMaxDirtyRects = 32;

} // namespace

void NSWindow::setup(NSRect frame)
{
  mWindowNumber = sNextWindowNumber++;
  mFrame = frame;
  mFirstResponder = this;
  mWidth = PixelSide(frame.size.width);
  mHeight = PixelSide(frame.size.height);
  if (mWidth > 0 && mHeight > 0) {
    mPixels.assign(static_cast<size_t>(mWidth) * static_cast<size_t>(mHeight) * 4, 0);
    CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
    mContext = CGBitmapContextCreate(mPixels.data(), static_cast<size_t>(mWidth), static_cast<size_t>(mHeight), 8,
                                     static_cast<size_t>(mWidth) * 4, rgb,
                                     kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
    CGColorSpaceRelease(rgb);
  }
  OpenWindows().push_back(this);
  NSRunLoop::setAfterStepHook(&NSWindow::displayAllIfNeeded);
  mNative = BrindleHost::Backend().CreateNativeWindow(this);
  NSView* content = NSView::alloc()->initWithFrame(NSMakeRect(0, 0, frame.size.width, frame.size.height));
  setContentView(content);
  content->release();
}

NSWindow* NSWindow::initWithContentRect(NSRect contentRect, NSUInteger, NSUInteger, BOOL)
{
  setup(contentRect);
  return this;
}

NSWindow* NSWindow::initWithWindowRef(void* windowRef)
{
  CGRect frame = CGRectMake(0, 0, 0, 0);
  if (!windowRef || !BrindleHost::Backend().HostWindowFrame(windowRef, &frame)) frame = CGRectMake(0, 0, 0, 0);
  mWindowRef = windowRef;
  setup(frame);
  return this;
}

NSWindow::~NSWindow()
{
  auto& open = OpenWindows();
  open.erase(std::remove(open.begin(), open.end(), this), open.end());
  for (NSWindow* child : mChildren) {
    child->mParent = nil;
    child->release();
  }
  if (mMouseView) mMouseView->release();
  if (mRightMouseView) mRightMouseView->release();
  mMouseView = mRightMouseView = nil;
  if (NSView* content = mContentView) {
    mContentView = nil;
    content->setWindowRecursively(nil);
    content->release();
  }
  BrindleHost::Backend().DestroyNativeWindow(this, mNative);
  CGContextRelease(mContext);
}

void NSWindow::setContentView(NSView* view)
{
  if (view == mContentView) return;
  if (view) {
    view->retain();
    if (view->superview()) view->removeFromSuperview();
    if (view->window() && view->window() != this) view->window()->setContentView(nil);
  }
  NSView* old = mContentView;
  mContentView = view;
  if (old) {
    old->setWindowRecursively(nil);
    old->release();
  }
  if (view) {
    view->mFrame = NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height);
    view->setWindowRecursively(this);
  }
}

BOOL NSWindow::makeFirstResponder(NSResponder* responder)
{
  if (!responder) responder = this;
  if (responder == mFirstResponder) return YES;
  if (responder != this) {
    // Only views of this window qualify: the link is weak and is cleared when they leave.
    NSView* view = dynamic_cast<NSView*>(responder);
    if (!view || view->window() != this || !responder->acceptsFirstResponder()) return NO;
  }
  responder->retain();
  if (NSResponder* old = mFirstResponder) {
    old->retain();
    const BOOL resigned = old->resignFirstResponder();
    old->release();
    if (!resigned) {
      responder->release();
      return NO;
    }
  }
  // The old responder may have chosen a new one while resigning; this request still wins.
  mFirstResponder = responder;
  if (!responder->becomeFirstResponder()) mFirstResponder = this;
  // The responder may have left the window meanwhile.
  if (mFirstResponder != this) {
    NSView* view = dynamic_cast<NSView*>(mFirstResponder);
    if (!view || view->window() != this) mFirstResponder = this;
  }
  responder->release();
  return mFirstResponder == responder;
}

void NSWindow::forgetView(NSView* view)
{
  if (mFirstResponder == static_cast<NSResponder*>(view)) mFirstResponder = this;
  if (mMouseView == view) {
    mMouseView = nil;
    view->release();
  }
  if (mRightMouseView == view) {
    mRightMouseView = nil;
    view->release();
  }
}

void NSWindow::makeKeyAndOrderFront(NSObject* sender)
{
  orderFront(sender);
  if (!canBecomeKeyWindow()) return;
  for (NSWindow* w : OpenWindows()) w->mIsKey = false;
  mIsKey = true;
}

void NSWindow::orderFront(NSObject*)
{
  if (mClosed) return;
  mVisible = true;
  BrindleHost::Backend().ShowNativeWindow(this, mNative, true);
}

void NSWindow::orderOut(NSObject*)
{
  mVisible = false;
  mIsKey = false;
  BrindleHost::Backend().ShowNativeWindow(this, mNative, false);
}

void NSWindow::close()
{
  if (mClosed) return;
  retain();
  orderOut(nil);
  mClosed = true;
  auto& open = OpenWindows();
  open.erase(std::remove(open.begin(), open.end(), this), open.end());
  if (mParent) mParent->removeChildWindow(this);
  const bool releaseSelf = mReleasedWhenClosed;
  release();
  if (releaseSelf) release();
}

void NSWindow::addChildWindow(NSWindow* child, NSInteger)
{
  if (!child || child == this || child->mParent == this) return;
  for (NSWindow* w = mParent; w; w = w->mParent)
    if (w == child) return; // no cycles
  child->retain();
  if (child->mParent) child->mParent->removeChildWindow(child);
  mChildren.push_back(child);
  child->mParent = this;
}

void NSWindow::removeChildWindow(NSWindow* child)
{
  auto it = std::find(mChildren.begin(), mChildren.end(), child);
  if (it == mChildren.end()) return;
  mChildren.erase(it);
  child->mParent = nil;
  child->release();
}

NSArray* NSWindow::childWindows() const
{
  NSMutableArray* list = NSMutableArray::array();
  for (NSWindow* child : mChildren) list->addObject(child);
  return list;
}

NSWindow* NSWindow::windowWithNumber(NSInteger number)
{
  for (NSWindow* w : OpenWindows())
    if (w->mWindowNumber == number) return w;
  return nil;
}

// ---- Drawing ----

NSWindow::BackingStore NSWindow::backingStore()
{
  return {mPixels.empty() ? nullptr : mPixels.data(), mWidth, mHeight, static_cast<size_t>(mWidth) * 4,
          kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little};
}

void NSWindow::invalidateRect(NSRect rect)
{
  NSRect r = NSIntersectionRect(rect, NSMakeRect(0, 0, mWidth, mHeight));
  if (NSIsEmptyRect(r)) return;
  // Overlapping rectangles merge, so each pixel is drawn once per pass.
  for (bool merged = true; merged;) {
    merged = false;
    for (size_t i = 0; i < mDirty.size(); ++i) {
      if (NSContainsRect(mDirty[i], r)) return;
      if (!NSIsEmptyRect(NSIntersectionRect(mDirty[i], r))) {
        r = NSUnionRect(r, mDirty[i]);
        mDirty.erase(mDirty.begin() + static_cast<long>(i));
        merged = true;
        break;
      }
    }
  }
  mDirty.push_back(r);
  if (mDirty.size() > kMaxDirtyRects) {
    NSRect all = mDirty[0];
    for (const NSRect& d : mDirty) all = NSUnionRect(all, d);
    mDirty.assign(1, all);
  }
}

void NSWindow::display()
{
  invalidateRect(NSMakeRect(0, 0, mWidth, mHeight));
  displayIfNeeded();
}

void NSWindow::displayIfNeeded()
{
  if (mDisplaying) return; // drawing asked for more drawing: that waits for the next pass
  if (mDirty.empty()) return;
  if (!mContext || !mContentView || mClosed) {
    mDirty.clear();
    return;
  }
  mDisplaying = true;
  retain();
  std::vector<NSRect> dirty;
  dirty.swap(mDirty);
  const unsigned long long before = BrindleHost_CGContextGetBytesWritten(mContext);
  {
    NSAutoreleasePool pool;
    NSGraphicsContext* previous = NSGraphicsContext::currentContext();
    if (previous) previous->retain();
    NSGraphicsContext::setCurrentContext(NSGraphicsContext::graphicsContextWithGraphicsPort(mContext, NO));
    for (const NSRect& area : dirty)
      if (mContentView) drawView(mContentView, area, NSMakeRect(0, 0, mWidth, mHeight));
    NSGraphicsContext::setCurrentContext(previous);
    if (previous) previous->release();
  }
  mBytesLastPass = BrindleHost_CGContextGetBytesWritten(mContext) - before;
  mBytesTotal += mBytesLastPass;
  ++mDisplayCount;
  for (const NSRect& area : dirty) BrindleHost::Backend().PresentNativeWindow(this, mNative, area);
  mDisplaying = false;
  release();
}

void NSWindow::drawView(NSView* view, NSRect area, NSRect visible)
{
  if (view->isHidden()) return;
  const NSRect viewArea = NSIntersectionRect(view->convertRectToBase(view->bounds()), visible);
  const NSRect drawArea = NSIntersectionRect(area, viewArea);
  if (NSIsEmptyRect(drawArea)) return;
  view->retain();
  CGContextSaveGState(mContext);
  CGContextClipToRect(mContext, drawArea); // the base CTM is the identity: window coordinates
  const NSView::WindowTransform t = view->windowTransform();
  CGContextTranslateCTM(mContext, t.mOffsetX, t.mOffsetY);
  if (t.mScaleY < 0) CGContextScaleCTM(mContext, 1, -1);
  const NSPoint a = view->convertPointFromBase(drawArea.origin);
  const NSPoint b = view->convertPointFromBase(NSMakePoint(NSMaxX(drawArea), NSMaxY(drawArea)));
  view->drawRect(NSMakeRect(std::min(a.x, b.x), std::min(a.y, b.y), std::fabs(b.x - a.x), std::fabs(b.y - a.y)));
  CGContextRestoreGState(mContext);
  const std::vector<NSView*> children = view->subviewList();
  for (NSView* child : children) child->retain();
  for (NSView* child : children) {
    if (child->superview() == view) drawView(child, area, viewArea);
    child->release();
  }
  view->release();
}

void NSWindow::displayAllIfNeeded()
{
  const std::vector<NSWindow*> windows = OpenWindows();
  for (NSWindow* w : windows) w->retain();
  for (NSWindow* w : windows) {
    w->displayIfNeeded();
    w->release();
  }
}

// ---- Selectors ----

namespace {

enum class WindowAction { kNone, kOrderFront, kOrderOut, kMakeKey, kClose, kDisplay };

WindowAction ActionFor(SEL selector)
{
  static const SEL kOrderFront = sel_registerName("orderFront:");
  static const SEL kOrderOut = sel_registerName("orderOut:");
  static const SEL kMakeKey = sel_registerName("makeKeyAndOrderFront:");
  static const SEL kClose = sel_registerName("close");
  static const SEL kDisplay = sel_registerName("display");
  if (selector == kOrderFront) return WindowAction::kOrderFront;
  if (selector == kOrderOut) return WindowAction::kOrderOut;
  if (selector == kMakeKey) return WindowAction::kMakeKey;
  if (selector == kClose) return WindowAction::kClose;
  if (selector == kDisplay) return WindowAction::kDisplay;
  return WindowAction::kNone;
}

} // namespace

BOOL NSWindow::respondsToSelector(SEL selector)
{
  return ActionFor(selector) != WindowAction::kNone || NSResponder::respondsToSelector(selector);
}

NSObject* NSWindow::performSelector(SEL selector, NSObject* argument)
{
  switch (ActionFor(selector)) {
  case WindowAction::kOrderFront:
    orderFront(argument);
    return nil;
  case WindowAction::kOrderOut:
    orderOut(argument);
    return nil;
  case WindowAction::kMakeKey:
    makeKeyAndOrderFront(argument);
    return nil;
  case WindowAction::kClose:
    close();
    return nil;
  case WindowAction::kDisplay:
    display();
    return nil;
  case WindowAction::kNone:
    break;
  }
  return NSResponder::performSelector(selector, argument);
}

// ---- Events ----

void NSWindow::sendEvent(NSEvent* event)
{
  if (!event || mClosed) return;
  retain();
  const NSPoint where = event->locationInWindow();
  auto hit = [&]() -> NSView* { return mContentView ? mContentView->hitTest(where) : nil; };
  auto deliver = [](NSView* view, void (NSResponder::*method)(NSEvent*), NSEvent* e) {
    if (!view) return;
    view->retain();
    (view->*method)(e);
    view->release();
  };
  // A press picks the view that also gets the drags and the release of that button.
  auto press = [&](NSView*& tracked, void (NSResponder::*method)(NSEvent*)) {
    NSView* view = hit();
    if (!view) return;
    view->retain();
    if (view != mFirstResponder && view->acceptsFirstResponder()) makeFirstResponder(view);
    if (tracked) tracked->release();
    tracked = view->window() == this ? static_cast<NSView*>(view->retain()) : nil;
    (view->*method)(event);
    view->release();
  };
  auto finish = [&](NSView*& tracked, void (NSResponder::*method)(NSEvent*)) {
    NSView* view = tracked ? tracked : hit();
    if (view) view->retain();
    if (tracked) {
      tracked->release();
      tracked = nil;
    }
    deliver(view, method, event);
    if (view) view->release();
  };
  switch (event->type()) {
  case NSLeftMouseDown:
    press(mMouseView, &NSResponder::mouseDown);
    break;
  case NSLeftMouseDragged:
    deliver(mMouseView ? mMouseView : hit(), &NSResponder::mouseDragged, event);
    break;
  case NSLeftMouseUp:
    finish(mMouseView, &NSResponder::mouseUp);
    break;
  case NSRightMouseDown:
    press(mRightMouseView, &NSResponder::rightMouseDown);
    break;
  case NSRightMouseDragged:
    deliver(mRightMouseView ? mRightMouseView : hit(), &NSResponder::rightMouseDragged, event);
    break;
  case NSRightMouseUp:
    finish(mRightMouseView, &NSResponder::rightMouseUp);
    break;
  case NSMouseMoved:
    if (mAcceptsMouseMoved) deliver(hit(), &NSResponder::mouseMoved, event);
    break;
  case NSScrollWheel:
    deliver(hit(), &NSResponder::scrollWheel, event);
    break;
  case NSKeyDown:
  case NSKeyUp: {
    NSResponder* target = mFirstResponder ? mFirstResponder : this;
    target->retain();
    if (event->type() == NSKeyDown)
      target->keyDown(event);
    else
      target->keyUp(event);
    target->release();
    break;
  }
  default:
    break;
  }
  release();
}
