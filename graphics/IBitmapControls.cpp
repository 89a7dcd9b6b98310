#include "graphics/IBitmapControls.h"

#include <cmath>

#include "graphics/IGraphics.h"

namespace {

IRECT OneFrameRect(int x, int y, const IBitmap& bitmap)
{
  return IRECT(x, y, x + bitmap.mWidth, y + bitmap.FrameHeight());
}

IBitmap BitmapOrEmpty(const IBitmap* bitmap)
{
  return bitmap ? *bitmap : IBitmap();
}

} // namespace

int IBitmapFrameState(double value, int frames)
{
  if (frames < 2) return 1;
  // Held in range before the conversion: (int) of a value beyond int's range is undefined.
  const double i = 0.5 + value * (frames - 1);
  if (!(i >= 0.0)) return 1; // below 0, or NaN
  if (i >= frames - 1.0) return frames;
  return static_cast<int>(i) + 1;
}

// ---- IPanelControl ----

IPanelControl::IPanelControl(IEffectBase* plug, const IRECT& rect, const IColor* color)
    : IControl(plug, rect, -1, kBlendAlpha), mColor(color ? *color : COLOR_BLACK)
{}

bool IPanelControl::Draw(IGraphics* graphics)
{
  graphics->FillIRect(&mColor, &mRect, &mBlend);
  return true;
}

// ---- IBitmapControl ----

IBitmapControl::IBitmapControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                               EBlendMethod blendMethod)
    : IControl(plug, OneFrameRect(x, y, BitmapOrEmpty(bitmap)), paramIdx, blendMethod), mBitmap(BitmapOrEmpty(bitmap))
{}

int IBitmapControl::FrameState() const
{
  return IBitmapFrameState(mValue, mBitmap.mFrames);
}

bool IBitmapControl::Draw(IGraphics* graphics)
{
  graphics->DrawBitmap(&mBitmap, &mRect, FrameState(), &mBlend);
  return true;
}

// ---- ISwitchControl ----

ISwitchControl::ISwitchControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                               EBlendMethod blendMethod)
    : IBitmapControl(plug, x, y, paramIdx, bitmap, blendMethod)
{}

void ISwitchControl::Step()
{
  const int n = mBitmap.mFrames;
  mValue += n >= 2 ? 1.0 / (n - 1) : 1.0;
  // A little slack, so that sums of 1/(n-1) that land just above 1 are kept (SetDirty clamps them to 1).
  if (mValue > 1.001) mValue = 0.0;
  SetDirty(true);
}

void ISwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  Step();
}

void ISwitchControl::OnMouseDblClick(int, int, IMouseMod*)
{
  Step();
}

// ---- IInvisibleSwitchControl ----

IInvisibleSwitchControl::IInvisibleSwitchControl(IEffectBase* plug, const IRECT& rect, int paramIdx)
    : IControl(plug, rect, paramIdx, kBlendCopy)
{}

void IInvisibleSwitchControl::OnMouseDown(int, int, IMouseMod*)
{
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  SetDirty(true);
}

// ---- IOnOffControl ----

IOnOffControl::IOnOffControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap)
    : IControl(plug, OneFrameRect(x, y, BitmapOrEmpty(bitmap)), paramIdx), mBitmap(BitmapOrEmpty(bitmap))
{}

void IOnOffControl::OnMouseDown(int, int, IMouseMod*)
{
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  mPressState = 2;
  SetDirty(true);
}

void IOnOffControl::OnMouseUp(int, int, IMouseMod*)
{
  mPressState = 1;
  SetDirty(true);
}

bool IOnOffControl::Draw(IGraphics* graphics)
{
  graphics->DrawBitmap(&mBitmap, &mRect, mPressState, &mBlend);
  return true;
}

// ---- IKnobControl ----

IKnobControl::IKnobControl(IEffectBase* plug, const IRECT& rect, int paramIdx, EDirection direction, double gearing)
    : IControl(plug, rect, paramIdx), mDirection(direction), mGearing(gearing)
{}

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* mod)
{
  double gearing = mGearing;
  if (mod && (mod->control || mod->shift)) gearing *= 10.0;
  const double step = mDirection == kVertical
                          ? static_cast<double>(dY) / (static_cast<double>(mRect.top) - mRect.bottom) / gearing
                          : static_cast<double>(dX) / (static_cast<double>(mRect.right) - mRect.left) / gearing;
  // A knob with no extent, or a gearing of 0, has no meaningful step (0/0 would clamp the value to the
  // bottom); the drag is ignored. An infinite step is a legitimate jump to an end.
  if (std::isnan(step)) return;
  mValue += step;
  SetDirty(true);
}

// ---- IKnobMultiControl ----

IKnobMultiControl::IKnobMultiControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                                     EDirection direction, double gearing)
    : IKnobControl(plug, OneFrameRect(x, y, BitmapOrEmpty(bitmap)), paramIdx, direction, gearing),
      mBitmap(BitmapOrEmpty(bitmap))
{}

bool IKnobMultiControl::Draw(IGraphics* graphics)
{
  graphics->DrawBitmap(&mBitmap, &mRect, IBitmapFrameState(mValue, mBitmap.mFrames), &mBlend);
  return true;
}

// ---- IBitmapOverlayControl ----

IBitmapOverlayControl::IBitmapOverlayControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                                             const IRECT& targetArea)
    : ISwitchControl(plug, x, y, paramIdx, bitmap), mTargetArea(targetArea)
{
  // Closed from the start: only the target area opens it, even before the first draw.
  mHitRect = mTargetArea;
}

bool IBitmapOverlayControl::Draw(IGraphics* graphics)
{
  if (mValue < 0.5) {
    mHitRect = mTargetArea;
    return true;
  }
  mHitRect = mRect;
  return IBitmapControl::Draw(graphics);
}
