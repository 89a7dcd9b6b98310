#include "graphics/IStandardControls.h"

#include <cmath>
#include <cstring>

#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConvert.h"
#include "plugcore/IEffectBase.h"

namespace {

IBitmap BitmapOrEmpty(const IBitmap* bitmap)
{
  return bitmap ? *bitmap : IBitmap();
}

IGraphics* EditorOf(IEffectBase* plug)
{
  return plug ? dynamic_cast<IGraphics*>(plug->GetGUI()) : nullptr;
}

void CopyText(char* dest, const char* src, int size)
{
  std::strncpy(dest, src ? src : "", static_cast<size_t>(size) - 1);
  dest[size - 1] = '\0';
}

} // namespace

// ---- IContactControl, IButtonSwitchControl ----

void IContactControl::OnMouseUp(int, int, IMouseMod*)
{
  mValue = 0.0;
  SetDirty(true);
}

void IButtonSwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  mPressed = true;
  SetDirty(true);
}

void IButtonSwitchControl::OnMouseUp(int, int, IMouseMod*)
{
  mPressed = false;
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  SetDirty(true);
}

bool IButtonSwitchControl::Draw(IGraphics* graphics)
{
  graphics->DrawBitmap(&mBitmap, &mRect, mPressed ? 2 : 1, &mBlend);
  return true;
}

// ---- IRadioButtonsControl ----

IRadioButtonsControl::IRadioButtonsControl(IEffectBase* plug, const IRECT& rect, int paramIdx, int nButtons,
                                           const IBitmap* bitmap, EDirection direction, bool reverse)
    : IControl(plug, rect, paramIdx), mButtons(64), mBitmap(BitmapOrEmpty(bitmap))
{
  const int n = nButtons < 1 ? 1 : nButtons > 4096 ? 4096 : nButtons;
  const bool vertical = direction == kVertical;
  const long long size = vertical ? mBitmap.FrameHeight() : mBitmap.mWidth;
  const long long extent = vertical ? rect.Height() : rect.Width();
  // Positions from the exact gap so that the last button ends flush with the far edge.
  const double pitch = n > 1 ? static_cast<double>(extent - size) / (n - 1) : 0.0;
  for (int j = 0; j < n; ++j) {
    const long long offset = static_cast<long long>(std::floor(j * pitch + 0.5));
    const long long near = vertical ? rect.top : rect.left, far = vertical ? rect.bottom : rect.right;
    const long long start = reverse ? far - size - offset : near + offset;
    IRECT r = vertical ? IRECT(rect.left, GraphicsClampToInt(start), GraphicsClampToInt(rect.left + mBitmap.mWidth),
                               GraphicsClampToInt(start + size))
                       : IRECT(GraphicsClampToInt(start), rect.top, GraphicsClampToInt(start + size),
                               GraphicsClampToInt(rect.top + mBitmap.FrameHeight()));
    mButtons.Add(r);
  }
}

int IRadioButtonsControl::ActiveButton() const
{
  const int n = NButtons();
  const double i = 0.5 + mValue * (n - 1);
  if (!(i >= 0.0)) return 0;
  return i >= n - 1 ? n - 1 : static_cast<int>(i);
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (mod && mod->right) {
    PromptUserInput();
    return;
  }
  const int n = NButtons();
  for (int j = 0; j < n; ++j) {
    if (ButtonRect(j).Contains(x, y)) {
      mValue = n > 1 ? static_cast<double>(j) / (n - 1) : 0.0;
      SetDirty(true);
      return;
    }
  }
}

bool IRadioButtonsControl::Draw(IGraphics* graphics)
{
  const int active = ActiveButton();
  for (int j = 0, n = NButtons(); j < n; ++j) {
    IRECT r = ButtonRect(j);
    graphics->DrawBitmap(&mBitmap, &r, j == active ? 2 : 1, &mBlend);
  }
  return true;
}

// ---- IFaderControl ----

IFaderControl::IFaderControl(IEffectBase* plug, int x, int y, int len, int paramIdx, const IBitmap* handle,
                             EDirection direction, bool onlyHandle)
    : IControl(plug, IRECT(), paramIdx), mLen(len), mHandle(BitmapOrEmpty(handle)), mDirection(direction),
      mOnlyHandle(onlyHandle)
{
  mRect = direction == kVertical ? IRECT(x, y, GraphicsClampToInt(static_cast<long long>(x) + mHandle.mWidth),
                                         GraphicsClampToInt(static_cast<long long>(y) + len))
                                 : IRECT(x, y, GraphicsClampToInt(static_cast<long long>(x) + len),
                                         GraphicsClampToInt(static_cast<long long>(y) + mHandle.FrameHeight()));
  mHitRect = mRect;
}

int IFaderControl::HandleSize() const
{
  return mDirection == kVertical ? mHandle.FrameHeight() : mHandle.mWidth;
}

IRECT IFaderControl::HandleRect() const
{
  const int h = HandleSize();
  const double travel = static_cast<double>(mLen) - h;
  if (mDirection == kVertical) {
    const long long top = mRect.top + static_cast<long long>(GraphicsToInt(travel * (1.0 - mValue)));
    return IRECT(mRect.left, GraphicsClampToInt(top), mRect.right, GraphicsClampToInt(top + h));
  }
  const long long left = mRect.left + static_cast<long long>(GraphicsToInt(travel * mValue));
  return IRECT(GraphicsClampToInt(left), mRect.top, GraphicsClampToInt(left + h), mRect.bottom);
}

void IFaderControl::SnapTo(int x, int y)
{
  const int h = HandleSize();
  const double travel = static_cast<double>(mLen) - h;
  // A track no longer than the handle has nowhere to move it.
  if (travel <= 0.0) return;
  if (mDirection == kVertical)
    mValue = 1.0 - (static_cast<double>(y) - mRect.top - h / 2) / travel;
  else
    mValue = (static_cast<double>(x) - mRect.left - h / 2) / travel;
  SetDirty(true);
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
  if (mod && mod->right) {
    PromptUserInput();
    return;
  }
  SnapTo(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int, int, IMouseMod*)
{
  SnapTo(x, y);
}

bool IFaderControl::IsHit(int x, int y)
{
  if (mOnlyHandle) return HandleRect().Contains(x, y);
  return IControl::IsHit(x, y);
}

bool IFaderControl::Draw(IGraphics* graphics)
{
  IRECT r = HandleRect();
  graphics->DrawBitmap(&mHandle, &r, 1, &mBlend);
  return true;
}

// ---- Knobs ----

IKnobLineControl::IKnobLineControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IColor* color,
                                   double innerRadius, double outerRadius, double minAngle, double maxAngle,
                                   EDirection direction, double gearing)
    : IKnobControl(plug, rect, paramIdx, direction, gearing), mColor(color ? *color : COLOR_BLACK),
      mInnerRadius(static_cast<float>(innerRadius)),
      mOuterRadius(static_cast<float>(outerRadius == 0.0 ? rect.Width() * 0.5 : outerRadius)), mMinAngle(minAngle),
      mMaxAngle(maxAngle)
{}

bool IKnobLineControl::Draw(IGraphics* graphics)
{
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  graphics->DrawRadialLine(&mColor, mRect.CenterX(), mRect.CenterY(), static_cast<float>(angle), mInnerRadius,
                           mOuterRadius, &mBlend, true);
  return true;
}

IKnobRotaterControl::IKnobRotaterControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                                         double minAngle, double maxAngle, int yOffsetZeroDeg, EDirection direction,
                                         double gearing)
    : IKnobControl(plug, IRECT(x, y, x + BitmapOrEmpty(bitmap).mWidth, y + BitmapOrEmpty(bitmap).mHeight), paramIdx,
                   direction, gearing),
      mBitmap(BitmapOrEmpty(bitmap)), mMinAngle(minAngle), mMaxAngle(maxAngle), mYOffset(yOffsetZeroDeg)
{}

bool IKnobRotaterControl::Draw(IGraphics* graphics)
{
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  const int cx = mRect.left + mBitmap.mWidth / 2, cy = mRect.top + mBitmap.mHeight / 2;
  graphics->DrawRotatedBitmap(&mBitmap, cx, cy, angle, mYOffset, &mBlend);
  return true;
}

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* base,
                                                   const IBitmap* mask, const IBitmap* top, double minAngleDegrees,
                                                   double maxAngleDegrees, EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, x + BitmapOrEmpty(base).mWidth, y + BitmapOrEmpty(base).mHeight), paramIdx,
                   direction, gearing),
      mBase(BitmapOrEmpty(base)), mMask(BitmapOrEmpty(mask)), mTop(BitmapOrEmpty(top)), mMinAngle(minAngleDegrees),
      mMaxAngle(maxAngleDegrees)
{}

bool IKnobRotatingMaskControl::Draw(IGraphics* graphics)
{
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  graphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRect.left, mRect.top, angle, &mBlend);
  return true;
}

// ---- Invisible areas and buttons ----

IInvisibleSelectControl::IInvisibleSelectControl(IEffectBase* plug, const IRECT& rect, int paramIdx)
    : IControl(plug, rect, paramIdx, kBlendCopy)
{}

void IInvisibleSelectControl::OnMouseUp(int, int y, IMouseMod*)
{
  const int h = mRect.Height();
  if (h <= 0) return;
  mValue = (static_cast<double>(y) - mRect.top) / h;
  SetDirty(true);
}

IURLControl::IURLControl(IEffectBase* plug, const IRECT& rect, const char* url, const char* backupURL,
                         const char* errMsgOnFailure)
    : IControl(plug, rect)
{
  CopyText(mURL, url, kTextSize);
  CopyText(mBackupURL, backupURL, kTextSize);
  CopyText(mErrMsg, errMsgOnFailure, kTextSize);
}

void IURLControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* graphics = EditorOf(mPlug);
  if (!graphics) return;
  const char* err = mErrMsg[0] ? mErrMsg : nullptr;
  if (!graphics->OpenURL(mURL, nullptr, nullptr, err) && mBackupURL[0])
    graphics->OpenURL(mBackupURL, nullptr, nullptr, err);
}

IFileSelectorControl::IFileSelectorControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IBitmap* bitmap,
                                           EFileAction action, const char* dir, const char* extensions)
    : IControl(plug, rect, paramIdx), mBitmap(BitmapOrEmpty(bitmap)), mDir(dir), mExtensions(extensions),
      mAction(action)
{}

void IFileSelectorControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* graphics = EditorOf(mPlug);
  if (!graphics) return;
  mState = kFSSelecting;
  SetDirty(false);
  // The prompt may write into the extensions; hand it a copy.
  Core_String extensions(mExtensions);
  graphics->PromptForFile(&mFile, mAction, &mDir, const_cast<char*>(extensions.Get()));
  mValue += 1.0;
  if (mValue > 1.0) mValue = 0.0;
  mState = kFSDone;
  SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* graphics)
{
  if (mState == kFSSelecting) graphics->DrawBitmap(&mBitmap, &mRect, 1, &mBlend);
  return true;
}

bool IFileSelectorControl::IsDirty()
{
  if (mDirty) return true;
  if (mState == kFSDone) {
    mState = kFSNone;
    return true;
  }
  return false;
}

void IFileSelectorControl::GetLastSelectedFileForPlug(Core_String* path) const
{
  if (path) path->Set(mFile.Get());
}

void IFileSelectorControl::SetLastSelectedFileFromPlug(const char* path)
{
  mFile.Set(path);
}
