/*
 * NSColor.h — colours as red, green, blue and alpha components from 0 to 1 (clamped).
 */
#ifndef BRINDLE_PLATFORM_NSCOLOR_H
#define BRINDLE_PLATFORM_NSCOLOR_H

#include <Foundation/NSObject.h>

class NSColor : public NSObject
{
public:
  /* Autoreleased. */
  static NSColor* colorWithCalibratedRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
  static NSColor* blackColor() { return colorWithCalibratedRed(0, 0, 0, 1); }
  static NSColor* whiteColor() { return colorWithCalibratedRed(1, 1, 1, 1); }
  const char* className() const override { return "NSColor"; }
  CGFloat redComponent() const { return mRed; }
  CGFloat greenComponent() const { return mGreen; }
  CGFloat blueComponent() const { return mBlue; }
  CGFloat alphaComponent() const { return mAlpha; }

private:
  NS_DECLARE_ALLOC(NSColor)
  CGFloat mRed = 0, mGreen = 0, mBlue = 0, mAlpha = 1;
};

#endif
