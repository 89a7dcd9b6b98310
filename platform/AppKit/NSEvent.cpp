// Event records.
#include <AppKit/NSEvent.h>
#include <AppKit/NSWindow.h>
#include <BrindleHost/WindowBackend.h>

NSEvent::~NSEvent()
{
  if (mCharacters) mCharacters->release();
  if (mCharactersIgnoringModifiers) mCharactersIgnoringModifiers->release();
}

NSEvent* NSEvent::make(NSEventType type, NSPoint location, NSUInteger flags, double time, NSInteger windowNumber,
                       NSGraphicsContext* context)
{
  NSEvent* e = alloc();
  e->mType = type;
  e->mLocation = location;
  e->mModifierFlags = flags;
  e->mTimestamp = time;
  e->mWindowNumber = windowNumber;
  e->mContext = context;
  return static_cast<NSEvent*>(e->autorelease());
}

NSEvent* NSEvent::mouseEventWithType(NSEventType type, NSPoint location, NSUInteger modifierFlags, double timestamp,
                                     NSInteger windowNumber, NSGraphicsContext* context, NSInteger eventNumber,
                                     NSInteger clickCount, float pressure)
{
  NSEvent* e = make(type, location, modifierFlags, timestamp, windowNumber, context);
  e->mEventNumber = eventNumber;
  e->mClickCount = clickCount;
  e->mPressure = pressure;
  return e;
}

NSEvent* NSEvent::keyEventWithType(NSEventType type, NSPoint location, NSUInteger modifierFlags, double timestamp,
                                   NSInteger windowNumber, NSGraphicsContext* context, NSString* characters,
                                   NSString* charactersIgnoringModifiers, BOOL isARepeat, unsigned short keyCode)
{
  NSEvent* e = make(type, location, modifierFlags, timestamp, windowNumber, context);
  e->mCharacters = static_cast<NSString*>((characters ? characters : NSString::string())->retain());
  e->mCharactersIgnoringModifiers = static_cast<NSString*>(
      (charactersIgnoringModifiers ? charactersIgnoringModifiers : NSString::string())->retain());
  e->mIsARepeat = isARepeat;
  e->mKeyCode = keyCode;
  return e;
}

NSEvent* NSEvent::otherEventWithType(NSEventType type, NSPoint location, NSUInteger modifierFlags, double timestamp,
                                     NSInteger windowNumber, NSGraphicsContext* context, short subtype, NSInteger data1,
                                     NSInteger data2)
{
  NSEvent* e = make(type, location, modifierFlags, timestamp, windowNumber, context);
  e->mSubtype = subtype;
  e->mData1 = data1;
  e->mData2 = data2;
  return e;
}

NSEvent* NSEvent::scrollEventWithLocation(NSPoint location, NSUInteger modifierFlags, NSInteger windowNumber,
                                          CGFloat deltaY)
{
  NSEvent* e = make(NSScrollWheel, location, modifierFlags, BrindleHost::Backend().Now(), windowNumber, nil);
  e->mDeltaY = deltaY;
  return e;
}

NSPoint NSEvent::mouseLocation()
{
  BrindleHost::IWindowBackend& backend = BrindleHost::Backend();
  const CGPoint p = backend.CursorPosition();
  return NSMakePoint(p.x, backend.DisplaySize().height - p.y);
}

NSWindow* NSEvent::window() const
{
  return NSWindow::windowWithNumber(mWindowNumber);
}
