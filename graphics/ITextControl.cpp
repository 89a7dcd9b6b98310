#include "graphics/ITextControl.h"

#include <cstring>

#include "graphics/IGraphics.h"
#include "plugcore/IEffectBase.h"
#include "plugcore/IParam.h"

namespace {

IGraphics* EditorOf(IEffectBase* plug)
{
  return plug ? dynamic_cast<IGraphics*>(plug->GetGUI()) : nullptr;
}

// DrawIText takes a writable string; hand it a copy so the control's own text stays untouched.
void DrawTextOf(IGraphics* graphics, IText* style, const IRECT& rect, const char* str)
{
  if (!str || !*str) return;
  Core_String copy(str);
  IRECT r = rect;
  graphics->DrawIText(style, const_cast<char*>(copy.Get()), &r);
}

} // namespace

// ---- ITextControl ----

ITextControl::ITextControl(IEffectBase* plug, const IRECT& rect, const IText* text, const char* str)
    : ITextControl(plug, rect, -1, text, str)
{}

ITextControl::ITextControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IText* text, const char* str)
    : IControl(plug, rect, paramIdx), mStr(str)
{
  if (text) mText = *text;
}

bool ITextControl::Draw(IGraphics* graphics)
{
  DrawTextOf(graphics, &mText, mRect, mStr.Get());
  return true;
}

bool ITextControl::HasText(const char* str) const
{
  return std::strcmp(mStr.Get(), str ? str : "") == 0;
}

void ITextControl::SetTextFromPlug(const char* str)
{
  if (HasText(str)) return;
  SetDirty(false);
  mStr.Set(str);
}

// ---- IUserTextControl ----

void IUserTextControl::OnMouseDown(int, int, IMouseMod*)
{
  if (IGraphics* graphics = EditorOf(mPlug)) graphics->CreateTextEntry(this, &mText, &mRect, mStr.Get(), nullptr);
}

void IUserTextControl::TextFromTextEntry(const char* text)
{
  mStr.Set(text);
  SetDirty(false);
}

// ---- ICaptionControl ----

ICaptionControl::ICaptionControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IText* text,
                                 bool showParamLabel)
    : ITextControl(plug, rect, paramIdx, text, ""), mShowParamLabel(showParamLabel)
{}

void ICaptionControl::OnMouseDown(int, int, IMouseMod* mod)
{
  if (mod && (mod->left || mod->right)) PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int, int, IMouseMod*)
{
  PromptUserInput();
}

bool ICaptionControl::Draw(IGraphics* graphics)
{
  const IParam* param = mPlug && mParamIdx >= 0 ? mPlug->GetParam(mParamIdx) : nullptr;
  if (param) {
    char text[IParam::kDisplayBufferSize];
    param->GetDisplayForHost(text, true, sizeof text);
    mStr.Set(text);
    const char* label = param->GetLabelForHost();
    if (mShowParamLabel && label && *label) {
      mStr.Append(" ");
      mStr.Append(label);
    }
  }
  return ITextControl::Draw(graphics);
}

// ---- IEditableTextControl ----

IEditableTextControl::IEditableTextControl(IEffectBase* plug, const IRECT& rect, const IText* text, const char* str,
                                           bool editable, bool showAsPassword)
    : ITextControl(plug, rect, text, str), mShowAsPassword(showAsPassword)
{
  mDblAsSingleClick = true;
  mDisablePrompt = !editable;
}

void IEditableTextControl::OnMouseDown(int, int, IMouseMod*)
{
  if (mDisablePrompt) return;
  // Unbound: the entry's text comes back through TextFromTextEntry.
  if (IGraphics* graphics = EditorOf(mPlug)) graphics->CreateTextEntry(this, &mText, &mRect, mStr.Get(), nullptr);
  mRedraw = true;
}

void IEditableTextControl::TextFromTextEntry(const char* text)
{
  mStr.Set(text);
  SetDirty(false);
}

bool IEditableTextControl::Draw(IGraphics* graphics)
{
  if ((mBGColor.alpha & 0xFF) != 0) graphics->FillIRect(&mBGColor, &mRect, &mBlend);
  if (!mShowAsPassword) return ITextControl::Draw(graphics);
  char stars[100];
  const int n = mStr.GetLength() < 99 ? mStr.GetLength() : 99;
  std::memset(stars, '*', static_cast<size_t>(n));
  stars[n] = '\0';
  DrawTextOf(graphics, &mText, mRect, stars);
  return true;
}

// ---- ISpinnerControl ----

ISpinnerControl::ISpinnerControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IText* text,
                                 IParam* ownParam, bool showValue, bool showLabel, EDirection direction, double gearing)
    : ITextControl(plug, rect, paramIdx, text, ""), mOwnParam(ownParam), mShowValue(showValue), mShowLabel(showLabel),
      mDirection(direction), mGearing(gearing)
{}

IParam* ISpinnerControl::ShownParam() const
{
  if (mParamIdx >= 0) return mPlug ? mPlug->GetParam(mParamIdx) : nullptr;
  return mOwnParam;
}

void ISpinnerControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod*)
{
  if (mGearing == 0.0) return;
  if (mDirection == kVertical) {
    const int extent = mRect.top - mRect.bottom;
    if (extent == 0) return;
    mValue += static_cast<double>(dY) / extent / mGearing;
  } else {
    const int extent = mRect.right - mRect.left;
    if (extent == 0) return;
    mValue += static_cast<double>(dX) / extent / mGearing;
  }
  SetDirty(true);
}

void ISpinnerControl::OnMouseWheel(int, int, IMouseMod* mod, int d)
{
  const IParam* param = ShownParam();
  const bool fine = mod && (mod->control || mod->shift);
  if (param && param->mStep != 0.0)
    mValue += d * param->mStep;
  else
    mValue += d * (fine ? 0.001 : 0.01);
  // SetDirty clamps into [0, 1] with the default clamp bounds.
  SetDirty(true);
}

bool ISpinnerControl::Draw(IGraphics* graphics)
{
  IParam* param = ShownParam();
  mStr.Set("");
  if (param) {
    if (mParamIdx < 0) param->SetNormalized(mValue);
    if (mShowValue) {
      char text[IParam::kDisplayBufferSize];
      param->GetDisplayForHost(text, true, sizeof text);
      mStr.Set(text);
    }
    const char* label = param->GetLabelForHost();
    if (mShowLabel && label && *label) {
      if (mStr.GetLength()) mStr.Append(" ");
      mStr.Append(label);
    }
  }
  return ITextControl::Draw(graphics);
}

// ---- IBitmapTextControl ----

IBitmapTextControl::IBitmapTextControl(IEffectBase* plug, const IRECT& rect, const IBitmap* font, const char* str,
                                       const IText* text, int charWidth, int charHeight, int charSpacing)
    : IBitmapControl(plug, rect.left, rect.top, -1, font), mStr(str), mCharWidth(charWidth), mCharHeight(charHeight),
      mCharSpacing(charSpacing)
{
  mRect = mHitRect = rect;
  if (text) mText = *text;
}

bool IBitmapTextControl::Draw(IGraphics* graphics)
{
  DrawBitmapedText(graphics, &mBitmap, &mRect, &mText, &mBlend, mStr.Get(), true, false, mCharWidth, mCharHeight,
                   mCharSpacing);
  return true;
}

void IBitmapTextControl::SetTextFromPlug(const char* str)
{
  if (std::strcmp(mStr.Get(), str ? str : "") == 0) return;
  SetDirty(false);
  mStr.Set(str);
}
