/*
 * NSTimer.h — timers that send a selector to a target from a run loop. As in Cocoa a timer retains
 * its target (and user info) until it is invalidated; a non-repeating timer invalidates itself after
 * firing. The run loop a timer is added to retains the timer while it is valid.
 */
#ifndef BRINDLE_PLATFORM_NSTIMER_H
#define BRINDLE_PLATFORM_NSTIMER_H

#include <Foundation/NSObject.h>

class NSTimer : public NSObject
{
public:
  ~NSTimer() override;
  /* Autoreleased, not yet scheduled; the first firing is `seconds` from now. Intervals of zero or
   * less (and not-a-number) become 0.1 ms, as in Cocoa. */
  static NSTimer* timerWithTimeInterval(double seconds, NSObject* target, SEL selector, NSObject* userInfo,
                                        BOOL repeats);
  /* The same, added to the current run loop in the default mode. */
  static NSTimer* scheduledTimerWithTimeInterval(double seconds, NSObject* target, SEL selector, NSObject* userInfo,
                                                 BOOL repeats);
  const char* className() const override { return "NSTimer"; }

  /* Sends the selector now (to a valid timer); a non-repeating timer is then invalidated. The
   * schedule of a repeating timer does not change. */
  void fire();
  /* Stops the timer for good: releases target and user info, leaves every run loop. */
  void invalidate();
  BOOL isValid() const { return mValid; }
  double timeInterval() const { return mInterval; }
  /* Run-loop time of the next firing. */
  double fireDate() const { return mFireDate; }
  NSObject* userInfo() const { return mUserInfo; }
  BOOL repeats() const { return mRepeats; }

private:
  friend class NSRunLoop;
  NS_DECLARE_ALLOC(NSTimer)
  NSObject* mTarget = nil;
  NSObject* mUserInfo = nil;
  SEL mSelector = nullptr;
  double mInterval = 0;
  double mFireDate = 0;
  bool mRepeats = false;
  bool mValid = true;
  bool mScheduled = false;
  bool mActiveMode = false; // added in a mode this run loop runs in
};

#endif
