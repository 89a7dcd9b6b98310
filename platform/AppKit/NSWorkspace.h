/*
 * NSWorkspace.h — asking the desktop to open a URL. The window backend decides how (the headless
 * backend records the request and answers from its script; a desktop backend runs xdg-open).
 */
#ifndef BRINDLE_PLATFORM_NSWORKSPACE_H
#define BRINDLE_PLATFORM_NSWORKSPACE_H

#include <Foundation/NSURL.h>

class NSWorkspace : public NSObject
{
public:
  static NSWorkspace* sharedWorkspace();
  const char* className() const override { return "NSWorkspace"; }
  /* NO for nil or when the desktop could not start opening it. */
  BOOL openURL(NSURL* url);

private:
  NS_DECLARE_ALLOC(NSWorkspace)
};

#endif
