// The shared application.
#include <AppKit/NSApplication.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSWindow.h>
#include <BrindleHost/WindowBackend.h>
#include <Foundation/NSRunLoop.h>

NSApplication* NSApplication::sharedApplication()
{
  static NSApplication* sShared = alloc();
  return sShared;
}

void NSApplication::sendEvent(NSEvent* event)
{
  if (!event) return;
  NSAutoreleasePool pool;
  if (NSWindow* window = event->window()) window->sendEvent(event);
}

BOOL NSApplicationLoad()
{
  NSApplication::sharedApplication();
  BrindleHost::Backend();
  NSRunLoop::setAfterStepHook(&NSWindow::displayAllIfNeeded);
  return YES;
}
