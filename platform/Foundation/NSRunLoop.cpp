// The main run loop: timers and delayed performs on the backend's clock.
#include <Foundation/NSRunLoop.h>
#include <Foundation/NSString.h>
#include <BrindleHost/WindowBackend.h>

#include <algorithm>
#include <cmath>

NSString* const NSDefaultRunLoopMode = NSString::alloc()->initWithUTF8String("kCFRunLoopDefaultMode");
NSString* const NSRunLoopCommonModes = NSString::alloc()->initWithUTF8String("kCFRunLoopCommonModes");

namespace {

void (*sAfterStep)() = nullptr;

// The loop runs in the default mode, which belongs to the common modes.
bool RunsInMode(const char* mode)
{
  const std::string m = mode ? mode : "";
  return m == "kCFRunLoopDefaultMode" || m == "kCFRunLoopCommonModes";
}

} // namespace

// ---- Timers ----

NSTimer::~NSTimer()
{
  if (mTarget) mTarget->release();
  if (mUserInfo) mUserInfo->release();
}

NSTimer* NSTimer::timerWithTimeInterval(double seconds, NSObject* target, SEL selector, NSObject* userInfo,
                                        BOOL repeats)
{
  NSTimer* t = alloc();
  t->mInterval = seconds > 0 && std::isfinite(seconds) ? seconds : 0.0001;
  t->mTarget = target ? target->retain() : nil;
  t->mUserInfo = userInfo ? userInfo->retain() : nil;
  t->mSelector = selector;
  t->mRepeats = repeats != NO;
  t->mFireDate = NSRunLoop::mainRunLoop()->now() + t->mInterval;
  return static_cast<NSTimer*>(t->autorelease());
}

NSTimer* NSTimer::scheduledTimerWithTimeInterval(double seconds, NSObject* target, SEL selector, NSObject* userInfo,
                                                 BOOL repeats)
{
  NSTimer* t = timerWithTimeInterval(seconds, target, selector, userInfo, repeats);
  NSRunLoop::currentRunLoop()->addTimer(t, NSDefaultRunLoopMode);
  return t;
}

void NSTimer::fire()
{
  if (!mValid) return;
  retain();
  if (mTarget) mTarget->performSelector(mSelector, this);
  if (!mRepeats) invalidate();
  release();
}

void NSTimer::invalidate()
{
  if (!mValid) return;
  mValid = false;
  NSObject* target = mTarget;
  NSObject* userInfo = mUserInfo;
  mTarget = mUserInfo = nil;
  retain();
  NSRunLoop::mainRunLoop()->removeTimer(this);
  if (target) target->release();
  if (userInfo) userInfo->release();
  release();
}

// ---- Run loop ----

NSRunLoop* NSRunLoop::mainRunLoop()
{
  static NSRunLoop* sMain = new NSRunLoop(); // lives as long as the process
  return sMain;
}

NSRunLoop* NSRunLoop::currentRunLoop()
{
  return mainRunLoop();
}

void NSRunLoop::setAfterStepHook(void (*hook)())
{
  sAfterStep = hook;
}

double NSRunLoop::now() const
{
  return BrindleHost::Backend().Now();
}

void NSRunLoop::addTimer(NSTimer* timer, NSString* mode)
{
  if (!timer || !timer->mValid) return;
  if (RunsInMode(mode ? mode->UTF8String() : nullptr)) timer->mActiveMode = true;
  if (timer->mScheduled) return;
  timer->mScheduled = true;
  timer->retain();
  mEntries.push_back({timer->mFireDate, mNextOrder++, timer, nil, nullptr, nil});
}

void NSRunLoop::addTimer(NSTimer* timer, CFStringRef mode)
{
  if (!timer || !timer->mValid) return;
  const char* text = mode ? CFStringGetCStringPtr(mode, kCFStringEncodingUTF8) : nullptr;
  if (RunsInMode(text)) timer->mActiveMode = true;
  addTimer(timer, static_cast<NSString*>(nullptr));
}

void NSRunLoop::removeTimer(NSTimer* timer)
{
  for (auto it = mEntries.begin(); it != mEntries.end(); ++it) {
    if (it->mTimer != timer) continue;
    mEntries.erase(it);
    timer->mScheduled = false;
    timer->release();
    return;
  }
}

void NSRunLoop::schedulePerform(NSObject* target, SEL selector, NSObject* argument, double delay)
{
  if (!target) return;
  if (!(delay > 0) || !std::isfinite(delay)) delay = 0;
  mEntries.push_back(
      {now() + delay, mNextOrder++, nullptr, target->retain(), selector, argument ? argument->retain() : nil});
}

void NSRunLoop::cancelPerforms(NSObject* target)
{
  for (size_t i = mEntries.size(); i-- > 0;) {
    Entry e = mEntries[i];
    if (e.mTimer || e.mTarget != target) continue;
    mEntries.erase(mEntries.begin() + static_cast<long>(i));
    e.mTarget->release();
    if (e.mArgument) e.mArgument->release();
  }
}

NSUInteger NSRunLoop::scheduledCount() const
{
  return mEntries.size();
}

double NSRunLoop::nextDueTime(double limit) const
{
  double next = limit;
  for (const Entry& e : mEntries)
    if ((!e.mTimer || e.mTimer->mActiveMode) && e.mTime < next) next = e.mTime;
  return next;
}

bool NSRunLoop::takeNextDue(double time, Entry* out)
{
  size_t best = mEntries.size();
  for (size_t i = 0; i < mEntries.size(); ++i) {
    const Entry& e = mEntries[i];
    if (e.mTimer && !e.mTimer->mActiveMode) continue;
    if (e.mTime > time) continue;
    if (best == mEntries.size() || e.mTime < mEntries[best].mTime ||
        (e.mTime == mEntries[best].mTime && e.mOrder < mEntries[best].mOrder))
      best = i;
  }
  if (best == mEntries.size()) return false;
  *out = mEntries[best];
  mEntries.erase(mEntries.begin() + static_cast<long>(best));
  return true;
}

void NSRunLoop::runUntilTime(double time)
{
  BrindleHost::IWindowBackend& backend = BrindleHost::Backend();
  Entry e;
  for (;;) {
    // Wait for the earliest entry due by `time`; a real backend may return early with events
    // delivered, so the clock is read again before anything fires.
    const double next = std::min(time, nextDueTime(time));
    if (next > backend.Now()) {
      backend.WaitUntil(next);
      if (!std::isfinite(next)) break; // nothing scheduled: one wait for events is the run
      // Back early: events came in, and the windows show what they changed.
      if (backend.Now() < next && sAfterStep) sAfterStep();
      continue;
    }
    if (!takeNextDue(backend.Now(), &e)) break;
    {
      NSAutoreleasePool pool;
      if (NSTimer* timer = e.mTimer) {
        // The entry's reference keeps the timer alive while it fires.
        timer->mScheduled = false;
        timer->mFireDate = e.mTime + timer->mInterval;
        // A clock that ran past several intervals (a real one, after a stall) fires once, as
        // AppKit's timers do, not once for every interval missed.
        const double now = backend.Now();
        if (timer->mFireDate <= now)
          timer->mFireDate += std::ceil((now - timer->mFireDate) / timer->mInterval + 1e-9) * timer->mInterval;
        if (timer->mValid && timer->mTarget) timer->mTarget->performSelector(timer->mSelector, timer);
        if (timer->mValid && timer->mRepeats) {
          if (timer->mScheduled) {
            timer->release(); // added again while firing: that entry holds it now
          } else {
            timer->mScheduled = true;
            mEntries.push_back({timer->mFireDate, mNextOrder++, timer, nil, nullptr, nil});
          }
        } else {
          timer->invalidate();
          timer->release();
        }
      } else {
        e.mTarget->performSelector(e.mSelector, e.mArgument);
        e.mTarget->release();
        if (e.mArgument) e.mArgument->release();
      }
    }
    if (sAfterStep) sAfterStep();
  }
  if (sAfterStep) sAfterStep();
}
