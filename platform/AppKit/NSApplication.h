/*
 * NSApplication.h — the shared application: the entry point for events from the window system.
 * NSApplicationLoad() prepares AppKit for use from a plug-in or a host without its own event loop
 * (the shared application, the window backend, the run loop's display pass).
 */
#ifndef BRINDLE_PLATFORM_NSAPPLICATION_H
#define BRINDLE_PLATFORM_NSAPPLICATION_H

#include <AppKit/NSResponder.h>

class NSApplication : public NSResponder
{
public:
  /* Made on first use; lives as long as the process. */
  static NSApplication* sharedApplication();
  const char* className() const override { return "NSApplication"; }
  /* Hands the event to its window (found by window number); events for no open window are
   * dropped. Autoreleased objects made while handling it are released on return. */
  void sendEvent(NSEvent* event);

private:
  NS_DECLARE_ALLOC(NSApplication)
};

/* Idempotent; YES. */
BOOL NSApplicationLoad();

#endif
