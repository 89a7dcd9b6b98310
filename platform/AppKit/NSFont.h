/*
 * NSFont.h — a font by face name and point size. Faces are found by fontconfig when text is drawn;
 * a face that does not exist falls back to a default face, so fontWithName never answers nil.
 */
#ifndef BRINDLE_PLATFORM_NSFONT_H
#define BRINDLE_PLATFORM_NSFONT_H

#include <Foundation/NSString.h>

class NSFont : public NSObject
{
public:
  ~NSFont() override;
  /* Autoreleased. A nil or empty name is the default face; sizes of zero or less (or absurd ones)
   * become 12 points. */
  static NSFont* fontWithName(NSString* name, CGFloat size);
  const char* className() const override { return "NSFont"; }
  NSString* fontName() const { return mName; }
  CGFloat pointSize() const { return mSize; }

private:
  NS_DECLARE_ALLOC(NSFont)
  NSString* mName = nil;
  CGFloat mSize = 12;
};

#endif
