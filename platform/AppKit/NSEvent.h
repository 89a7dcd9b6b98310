/*
 * NSEvent.h — input events with AppKit's type numbers, modifier bits and virtual key codes.
 *
 * Locations are in the window's coordinates (origin at the bottom left, y up). Events are made by
 * the class factories (autoreleased) and delivered with NSApplication::sendEvent; the window that
 * receives one is found by its window number.
 */
#ifndef BRINDLE_PLATFORM_NSEVENT_H
#define BRINDLE_PLATFORM_NSEVENT_H

#include <Foundation/NSString.h>

class NSGraphicsContext;
class NSWindow;

typedef NSUInteger NSEventType;
enum : NSUInteger {
  NSLeftMouseDown = 1,
  NSLeftMouseUp = 2,
  NSRightMouseDown = 3,
  NSRightMouseUp = 4,
  NSMouseMoved = 5,
  NSLeftMouseDragged = 6,
  NSRightMouseDragged = 7,
  NSKeyDown = 10,
  NSKeyUp = 11,
  NSApplicationDefined = 15,
  NSScrollWheel = 22
};

enum : NSUInteger {
  NSAlphaShiftKeyMask = 1UL << 16,
  NSShiftKeyMask = 1UL << 17,
  NSControlKeyMask = 1UL << 18,
  NSAlternateKeyMask = 1UL << 19,
  NSCommandKeyMask = 1UL << 20
};

/* Apple's virtual key codes for the keys this system names. */
enum : unsigned short {
  kVK_ANSI_A = 0x00,
  kVK_Return = 0x24,
  kVK_Tab = 0x30,
  kVK_Space = 0x31,
  kVK_Delete = 0x33, // backspace
  kVK_Escape = 0x35,
  kVK_LeftArrow = 0x7B,
  kVK_RightArrow = 0x7C,
  kVK_DownArrow = 0x7D,
  kVK_UpArrow = 0x7E
};

class NSEvent : public NSObject
{
public:
  ~NSEvent() override;
  static NSEvent* mouseEventWithType(NSEventType type, NSPoint location, NSUInteger modifierFlags, double timestamp,
                                     NSInteger windowNumber, NSGraphicsContext* context, NSInteger eventNumber,
                                     NSInteger clickCount, float pressure);
  static NSEvent* keyEventWithType(NSEventType type, NSPoint location, NSUInteger modifierFlags, double timestamp,
                                   NSInteger windowNumber, NSGraphicsContext* context, NSString* characters,
                                   NSString* charactersIgnoringModifiers, BOOL isARepeat, unsigned short keyCode);
  static NSEvent* otherEventWithType(NSEventType type, NSPoint location, NSUInteger modifierFlags, double timestamp,
                                     NSInteger windowNumber, NSGraphicsContext* context, short subtype, NSInteger data1,
                                     NSInteger data2);
  /* Not Apple's (a Mac makes scroll events through CGEvent): a wheel event of type NSScrollWheel. */
  static NSEvent* scrollEventWithLocation(NSPoint location, NSUInteger modifierFlags, NSInteger windowNumber,
                                          CGFloat deltaY);
  /* The pointer on the screen (origin at the bottom left, y up). */
  static NSPoint mouseLocation();
  const char* className() const override { return "NSEvent"; }

  NSEventType type() const { return mType; }
  NSPoint locationInWindow() const { return mLocation; }
  NSUInteger modifierFlags() const { return mModifierFlags; }
  double timestamp() const { return mTimestamp; }
  NSInteger windowNumber() const { return mWindowNumber; }
  /* The open window with that number, or nil. */
  NSWindow* window() const;
  NSGraphicsContext* context() const { return mContext; }
  NSInteger eventNumber() const { return mEventNumber; }
  NSInteger clickCount() const { return mClickCount; }
  float pressure() const { return mPressure; }
  CGFloat deltaX() const { return 0; }
  CGFloat deltaY() const { return mDeltaY; }
  /* Key events; nil for others. */
  NSString* characters() const { return mCharacters; }
  NSString* charactersIgnoringModifiers() const { return mCharactersIgnoringModifiers; }
  BOOL isARepeat() const { return mIsARepeat; }
  unsigned short keyCode() const { return mKeyCode; }
  short subtype() const { return mSubtype; }
  NSInteger data1() const { return mData1; }
  NSInteger data2() const { return mData2; }

private:
  NS_DECLARE_ALLOC(NSEvent)
  static NSEvent* make(NSEventType type, NSPoint location, NSUInteger flags, double time, NSInteger windowNumber,
                       NSGraphicsContext* context);
  NSEventType mType = 0;
  NSPoint mLocation = {0, 0};
  NSUInteger mModifierFlags = 0;
  double mTimestamp = 0;
  NSInteger mWindowNumber = 0;
  NSGraphicsContext* mContext = nil; // not retained, as it only names where the event happened
  NSInteger mEventNumber = 0;
  NSInteger mClickCount = 0;
  float mPressure = 0;
  CGFloat mDeltaY = 0;
  NSString* mCharacters = nil;
  NSString* mCharactersIgnoringModifiers = nil;
  BOOL mIsARepeat = NO;
  unsigned short mKeyCode = 0;
  short mSubtype = 0;
  NSInteger mData1 = 0, mData2 = 0;
};

#endif
