// IGraphics: routing mouse and key events to the controls, and the host-automation query.
//
// Handlers read what they need from a control (its parameter index) before calling into it, so a control
// that changes the editor from its handler (a resize deletes every control) leaves nothing dangling here.

#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConvert.h"
#include "plugcore/IEffectBase.h"

int IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver)
{
  if (mCaptureIdx >= 0) return mCaptureIdx;
  for (int i = NControls() - 1; i >= 0; --i) {
    IControl* control = GetControl(i);
    if (control->IsHidden()) continue;
    if (control->IsGrayed() && !(mouseOver && control->GetMOWhenGrayed())) continue;
    if (control->IsHit(x, y)) return i;
  }
  return -1;
}

void IGraphics::ReleaseMouseCapture()
{
  mCaptureIdx = -1;
  mLastMouseX = mLastMouseY = -1;
}

void IGraphics::EndMousePress()
{
  if (mCaptureIdx < 0) return;
  IMouseMod released; // no button: it is not held any more
  OnMouseUp(mLastMouseX, mLastMouseY, &released);
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod)
{
  ReleaseMouseCapture();
  const int idx = HitControlIdx(x, y);
  IControl* control = GetControl(idx);
  if (!control) return;
  mCaptureIdx = idx;
  mLastMouseX = x;
  mLastMouseY = y;
  const int paramIdx = control->ParamIdx();
  if (paramIdx >= 0 && mPlug) mPlug->BeginInformHostOfParamChange(paramIdx);
  control->OnMouseDown(x, y, mod);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod)
{
  const int idx = GetMouseControlIdx(x, y);
  ReleaseMouseCapture();
  IControl* control = GetControl(idx);
  if (!control) return;
  const int paramIdx = control->ParamIdx();
  control->OnMouseUp(x, y, mod);
  if (paramIdx >= 0 && mPlug) mPlug->EndInformHostOfParamChange(paramIdx);
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod)
{
  IControl* control = GetControl(mCaptureIdx);
  if (!control || (x == mLastMouseX && y == mLastMouseY)) return;
  // Deltas are taken in 64 bits and held in range: a position jump across the whole int range is hostile,
  // not a drag.
  const int dX = GraphicsDelta(x, mLastMouseX);
  const int dY = GraphicsDelta(y, mLastMouseY);
  mLastMouseX = x;
  mLastMouseY = y;
  control->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
  ReleaseMouseCapture();
  const int idx = HitControlIdx(x, y);
  IControl* control = GetControl(idx);
  if (!control) return false;
  if (control->GetDblAsSingleClick()) {
    mCaptureIdx = idx;
    mLastMouseX = x;
    mLastMouseY = y;
    control->OnMouseDown(x, y, mod);
    return true;
  }
  control->OnMouseDblClick(x, y, mod);
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d)
{
  if (IControl* control = GetControl(GetMouseControlIdx(x, y))) control->OnMouseWheel(x, y, mod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod)
{
  if (!mTrackHover) return false;
  const int idx = GetMouseControlIdx(x, y, true);
  IControl* control = GetControl(idx);
  if (!control) return true;
  mLastMouseX = x;
  mLastMouseY = y;
  control->OnMouseOver(x, y, mod);
  if (mHoverIdx >= 0 && mHoverIdx != idx) {
    if (IControl* previous = GetControl(mHoverIdx)) previous->OnMouseOut();
  }
  mHoverIdx = idx;
  return true;
}

void IGraphics::OnMouseOut()
{
  for (int i = 0, n = NControls(); i < n; ++i) GetControl(i)->OnMouseOut();
  mHoverIdx = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key)
{
  int idx = GetMouseControlIdx(x, y);
  if (idx < 0) idx = 0;
  if (idx == 0) return mKeyCatcher ? mKeyCatcher->OnKeyDown(x, y, key) : false;
  IControl* control = GetControl(idx);
  return control ? control->OnKeyDown(x, y, key) : false;
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y)
{
  const int idx = GetMouseControlIdx(x, y);
  const IControl* control = idx > 0 ? GetControl(idx) : nullptr;
  mLastClickedParam = control ? control->ParamIdx() : -1;
  return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation()
{
  const int idx = mLastClickedParam;
  mLastClickedParam = -1;
  return idx;
}
