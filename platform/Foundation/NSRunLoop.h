/*
 * NSRunLoop.h — the main thread's run loop: timers and delayed performSelector requests.
 *
 * Time is the window backend's clock (BrindleHost/WindowBackend.h): a virtual clock that tests
 * advance under the headless backend (BrindleHost_RunLoopAdvance in BrindleHost/Headless.h), the
 * system's monotonic clock under a real one. runUntilTime() fires everything due, earliest first
 * (a repeating timer once for every interval crossed; equal times in the order they were
 * scheduled), and after each step lets AppKit display the windows that need it, as AppKit's event
 * loop does after timers and events.
 *
 * The loop always runs in the default mode; timers added only in other modes (event tracking,
 * modal panels) wait there.
 */
#ifndef BRINDLE_PLATFORM_NSRUNLOOP_H
#define BRINDLE_PLATFORM_NSRUNLOOP_H

#include <CoreFoundation/CFRunLoop.h>
#include <Foundation/NSTimer.h>

#include <vector>

extern NSString* const NSDefaultRunLoopMode;
extern NSString* const NSRunLoopCommonModes;

class NSRunLoop : public NSObject
{
public:
  /* There is one run loop: the main thread's. */
  static NSRunLoop* currentRunLoop();
  static NSRunLoop* mainRunLoop();
  const char* className() const override { return "NSRunLoop"; }

  /* Retains the timer while it is valid; adding it again (in any mode) only adds the mode. */
  void addTimer(NSTimer* timer, NSString* mode);
  void addTimer(NSTimer* timer, CFStringRef mode);

  double now() const;
  /* Runs until the clock reads `time` (an absolute run-loop time). Under a real backend, events
   * that arrive meanwhile are delivered and displayed as they come. */
  void runUntilTime(double time);
  /* Timers and pending performs still scheduled (for tests). */
  NSUInteger scheduledCount() const;

  /* Called after each run-loop step; AppKit installs its window display pass here. */
  static void setAfterStepHook(void (*hook)());

  /* Used by NSObject::performSelector(..., delay) and NSTimer. */
  void schedulePerform(NSObject* target, SEL selector, NSObject* argument, double delay);
  void cancelPerforms(NSObject* target);
  void removeTimer(NSTimer* timer);

private:
  struct Entry
  {
    double mTime;
    unsigned long long mOrder;
    NSTimer* mTimer;   // retained; or null for a perform
    NSObject* mTarget; // perform: retained
    SEL mSelector;
    NSObject* mArgument; // perform: retained
  };
  bool takeNextDue(double time, Entry* out);
  double nextDueTime(double limit) const;
  void reschedule(NSTimer* timer);
  std::vector<Entry> mEntries;
  unsigned long long mNextOrder = 0;
  int mDepth = 0;
};

#endif
