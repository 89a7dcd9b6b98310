// The formatter base and notifications.
#include <Foundation/NSFormatter.h>
#include <Foundation/NSNotification.h>

NSString* NSFormatter::stringForObjectValue(NSObject*)
{
  return nil;
}

BOOL NSFormatter::getObjectValue(NSObject**, NSString*, NSString**)
{
  return NO;
}

BOOL NSFormatter::isPartialStringValid(NSString*, NSString**, NSString**)
{
  return YES;
}

NSString* const NSControlTextDidEndEditingNotification = [] {
  NSString* name = NSString::alloc()->initWithUTF8String("NSControlTextDidEndEditingNotification");
  return name; // one reference kept for the life of the process
}();

NSNotification::~NSNotification()
{
  if (mName) mName->release();
  if (mObject) mObject->release();
}

NSNotification* NSNotification::notificationWithName(NSString* name, NSObject* object)
{
  NSNotification* n = alloc();
  n->mName = name ? static_cast<NSString*>(name->retain()) : nil;
  n->mObject = object ? object->retain() : nil;
  return static_cast<NSNotification*>(n->autorelease());
}
