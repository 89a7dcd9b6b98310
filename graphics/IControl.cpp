#include "graphics/IControl.h"

#include <cmath>
#include <cstdio>

#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConvert.h"
#include "graphics/ITextControl.h"
#include "plugcore/IEffectBase.h"

IControl::IControl(IEffectBase* plug, const IRECT& rect, int paramIdx, EBlendMethod blendMethod)
    : mPlug(plug), mRect(rect), mHitRect(rect), mParamIdx(paramIdx), mAuxParams(16 * sizeof(AuxParam)),
      mBlend(blendMethod, 1.0f)
{}

IControl::~IControl() = default;

void IControl::OnMouseDown(int, int, IMouseMod* mod)
{
  if (mod && mod->right) PromptUserInput();
}

void IControl::OnMouseUp(int, int, IMouseMod*) {}

void IControl::OnMouseDrag(int, int, int, int, IMouseMod*) {}

void IControl::OnMouseDblClick(int, int, IMouseMod*)
{
  if (mDefaultValue >= 0.0) {
    mValue = mDefaultValue;
    SetDirty(true);
  }
}

void IControl::OnMouseWheel(int, int, IMouseMod* mod, int d)
{
  // The wheel adjusts a parameter. A control without one shows a value someone else sets (a lamp) or
  // changes on a click (an overlay); the wheel must not change it behind the plug-in's back.
  if (mParamIdx < 0) return;
  const bool fine = mod && (mod->control || mod->shift);
  mValue += d * (fine ? 0.001 : 0.01);
  SetDirty(true);
}

bool IControl::OnKeyDown(int, int, int)
{
  return false;
}

void IControl::OnMouseOver(int, int, IMouseMod*) {}

void IControl::OnMouseOut() {}

void IControl::SetValueFromPlug(double value)
{
  if (std::isnan(value)) return;
  if (mDefaultValue < 0.0) {
    mDefaultValue = mValue = value;
  } else if (value != mValue) {
    mValue = value;
    SetDirty(false);
    mRedraw = true;
  }
}

void IControl::TextFromTextEntry(const char*) {}

void IControl::Hide(bool hide)
{
  mHide = hide;
  mRedraw = true;
  SetDirty(false);
}

void IControl::GrayOut(bool gray)
{
  mGrayed = gray;
  mBlend.weight = gray ? 0.25f : 1.0f;
  SetDirty(false);
}

bool IControl::IsHit(int x, int y)
{
  return mHitRect.Contains(x, y);
}

void IControl::SetDirty(bool pushParamToPlug)
{
  // NaN compares false with everything and would otherwise stay in mValue for good.
  if (std::isnan(mValue) || mValue < mClampLo)
    mValue = mClampLo;
  else if (mValue > mClampHi)
    mValue = mClampHi;
  mDirty = true;

  if (!pushParamToPlug || !mPlug || mParamIdx < 0) return;
  // The user's value is newer than one another thread posted to the editor before it.
  if (auto* graphics = dynamic_cast<IGraphics*>(mPlug->GetGUI())) graphics->DropPostedParam(mParamIdx);
  mPlug->SetParameterFromGUI(mParamIdx, mValue);

  const IParam* param = mPlug->GetParam(mParamIdx);
  if (!param) return;
  if (mValueDisplay) {
    char display[IParam::kDisplayBufferSize];
    param->GetDisplayForHost(param->mValue, false, display, true);
    char text[2 * IParam::kTextSize + 2];
    std::snprintf(text, sizeof(text), "%.32s %.32s", display, param->GetLabelForHost());
    mValueDisplay->SetTextFromPlug(text);
  }
  if (mNameDisplay) mNameDisplay->SetTextFromPlug(param->GetNameForHost());
}

void IControl::SetClean()
{
  mDirty = mRedraw;
  mRedraw = false;
}

bool IControl::IsDirty()
{
  return mDirty;
}

void IControl::OnGUIIdle() {}

void IControl::SetAuxParamValueFromPlug(int auxParamIdx, double value)
{
  if (auxParamIdx < 0 || auxParamIdx >= mAuxParams.GetSize()) return;
  AuxParam* aux = GetAuxParam(auxParamIdx);
  if (aux->mValue != value) {
    aux->mValue = value;
    SetDirty(false);
    mRedraw = true;
  }
}

void IControl::SetValueFromUserInput(double value)
{
  if (std::isnan(value) || value == mValue) return;
  mValue = value;
  SetDirty(true);
  mRedraw = true;
}

void IControl::PromptUserInput()
{
  if (mParamIdx < 0 || mDisablePrompt || !mPlug) return;
  const IParam* param = mPlug->GetParam(mParamIdx);
  if (!param) return;
  IRECT rect = mRect;
  if (param->GetNDisplayTexts() == 0) {
    const int cx = GraphicsToInt(mRect.CenterX());
    const int cy = GraphicsToInt(mRect.CenterY());
    rect = IRECT(cx - 15, cy - 8, cx + 15, cy + 8);
  }
  PromptUserInput(&rect);
}

void IControl::PromptUserInput(IRECT* rect)
{
  if (mParamIdx < 0 || mDisablePrompt || !mPlug || !rect) return;
  IGraphics* graphics = dynamic_cast<IGraphics*>(mPlug->GetGUI());
  if (!graphics) return;
  graphics->PromptUserInput(this, mPlug->GetParam(mParamIdx), rect);
  mRedraw = true;
}

int IControl::AuxParamIdx(int paramIdx) const
{
  const AuxParam* aux = mAuxParams.Get();
  for (int i = 0, n = mAuxParams.GetSize(); i < n; ++i)
    if (aux[i].mParamIdx == paramIdx) return i;
  return -1;
}

void IControl::AddAuxParam(int paramIdx)
{
  mAuxParams.Add(AuxParam{0.0, paramIdx});
}

void IControl::SetAllAuxParamsFromGUI()
{
  if (!mPlug) return;
  const AuxParam* aux = mAuxParams.Get();
  for (int i = 0, n = mAuxParams.GetSize(); i < n; ++i) mPlug->SetParameterFromGUI(aux[i].mParamIdx, aux[i].mValue);
}
