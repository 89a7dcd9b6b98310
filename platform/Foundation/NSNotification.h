/*
 * NSNotification.h — a named message about an object (the sender), as handed to delegates such as
 * NSTextField's controlTextDidEndEditing.
 */
#ifndef BRINDLE_PLATFORM_NSNOTIFICATION_H
#define BRINDLE_PLATFORM_NSNOTIFICATION_H

#include <Foundation/NSString.h>

class NSNotification : public NSObject
{
public:
  NS_DECLARE_ALLOC(NSNotification)
  ~NSNotification() override;
  /* Autoreleased; retains the name and the object. */
  static NSNotification* notificationWithName(NSString* name, NSObject* object);
  const char* className() const override { return "NSNotification"; }
  NSString* name() const { return mName; }
  NSObject* object() const { return mObject; }

private:
  NSString* mName = nil;
  NSObject* mObject = nil;
};

extern NSString* const NSControlTextDidEndEditingNotification;

#endif
