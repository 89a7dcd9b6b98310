#include "graphics/ITextControl.h"

#include <cstring>

#include "graphics/IGraphics.h"

ITextControl::ITextControl(IEffectBase* plug, const IRECT& rect, const IText* text, const char* str)
  : IControl(plug, rect), mStr(str)
{
  if (text) mText = *text;
}

bool ITextControl::Draw(IGraphics* graphics)
{
  if (mStr.GetLength() == 0) return true;
  // DrawIText takes a writable string; hand it a copy so the control's own text stays untouched.
  Core_String copy(mStr);
  IRECT rect = mRect;
  graphics->DrawIText(&mText, const_cast<char*>(copy.Get()), &rect);
  return true;
}

bool ITextControl::HasText(const char* str) const { return std::strcmp(mStr.Get(), str ? str : "") == 0; }

void ITextControl::SetTextFromPlug(const char* str)
{
  if (HasText(str)) return;
  SetDirty(false);
  mStr.Set(str);
}
