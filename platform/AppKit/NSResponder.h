/*
 * NSResponder.h — the base of views and windows: the event methods and the responder chain. Each
 * event method's default passes the event on to nextResponder() (view -> superview -> ... ->
 * window), so a view handles what it overrides and lets the rest travel up, as in AppKit.
 */
#ifndef BRINDLE_PLATFORM_NSRESPONDER_H
#define BRINDLE_PLATFORM_NSRESPONDER_H

#include <Foundation/NSObject.h>

class NSEvent;

class NSResponder : public NSObject
{
public:
  const char* className() const override { return "NSResponder"; }

  virtual NSResponder* nextResponder() const { return nil; }

  virtual void mouseDown(NSEvent* event);
  virtual void mouseUp(NSEvent* event);
  virtual void mouseDragged(NSEvent* event);
  virtual void rightMouseDown(NSEvent* event);
  virtual void rightMouseUp(NSEvent* event);
  virtual void rightMouseDragged(NSEvent* event);
  virtual void mouseMoved(NSEvent* event);
  virtual void scrollWheel(NSEvent* event);
  virtual void keyDown(NSEvent* event);
  virtual void keyUp(NSEvent* event);

  virtual BOOL acceptsFirstResponder() { return NO; }
  /* Asked when the window makes this object its first responder / moves on from it; NO refuses. */
  virtual BOOL becomeFirstResponder() { return YES; }
  virtual BOOL resignFirstResponder() { return YES; }
};

#endif
