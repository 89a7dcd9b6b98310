#include "graphics/IGraphicsTypes.h"

#include "containers/Core_CopyText.h"

IText::IText(int size, const IColor* color, const char* face, EStyle style, EAlign align, int orientation,
             EQuality quality)
    : mSize(size), mColor(color ? *color : DEFAULT_TEXT_COLOR), mEntryBgColor(DEFAULT_TEXT_ENTRY_BGCOLOR),
      mEntryFgColor(DEFAULT_TEXT_ENTRY_FGCOLOR), mStyle(style), mAlign(align), mOrientation(orientation),
      mQuality(quality), mCachedFont(nullptr)
{
  Core_CopyText(mFace, face ? face : "Monaco", kFaceSize);
}
