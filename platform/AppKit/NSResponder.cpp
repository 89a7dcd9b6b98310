// Default event methods: up the responder chain.
#include <AppKit/NSResponder.h>

#define NS_PASS_ON(method)                                                                                             \
  void NSResponder::method(NSEvent* event)                                                                             \
  {                                                                                                                    \
    if (NSResponder* next = nextResponder()) next->method(event);                                                      \
  }

NS_PASS_ON(mouseDown)
NS_PASS_ON(mouseUp)
NS_PASS_ON(mouseDragged)
NS_PASS_ON(rightMouseDown)
NS_PASS_ON(rightMouseUp)
NS_PASS_ON(rightMouseDragged)
NS_PASS_ON(mouseMoved)
NS_PASS_ON(scrollWheel)
NS_PASS_ON(keyDown)
NS_PASS_ON(keyUp)
