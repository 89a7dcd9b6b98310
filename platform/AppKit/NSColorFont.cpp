// Colours and fonts.
#include <AppKit/NSColor.h>
#include <AppKit/NSFont.h>

#include <cmath>

namespace {
CGFloat Unit(CGFloat v)
{
  return v > 0 ? (v < 1 ? v : 1) : 0;
} // NaN becomes 0
} // namespace

NSColor* NSColor::colorWithCalibratedRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
  NSColor* c = alloc();
  c->mRed = Unit(red);
  c->mGreen = Unit(green);
  c->mBlue = Unit(blue);
  c->mAlpha = Unit(alpha);
  return static_cast<NSColor*>(c->autorelease());
}

NSFont::~NSFont()
{
  if (mName) mName->release();
}

NSFont* NSFont::fontWithName(NSString* name, CGFloat size)
{
  NSFont* f = alloc();
  f->mName = static_cast<NSString*>((name ? name : NSString::string())->retain());
  f->mSize = size > 0 && size <= 1000 ? size : 12;
  return static_cast<NSFont*>(f->autorelease());
}
