// IGraphics: construction, attaching controls, the parameter linkage (with its cross-thread posting), and
// the platform defaults.

#include "graphics/IGraphics.h"

#include "graphics/IBitmapControls.h"
#include "plugcore/IEffectBase.h"
#include "raster/Raster_MemBitmap.h"
#include "raster/Raster_SysBitmap.h"

// The thread check runs on a host's audio thread too, so it must not lock.
static_assert(std::atomic<std::thread::id>::is_always_lock_free, "the thread check must not take a lock");

IGraphics::IGraphics(IEffectBase* plug, int width, int height, int frameRate)
    : mPlug(plug), mWidth(width), mHeight(height), mFrameRate(frameRate > 0 ? frameRate : kDefaultFrameRate),
      mUIThread(std::this_thread::get_id())
{}

IGraphics::~IGraphics()
{
  mKeyCatcher.reset();
  DeleteControls();
}

void IGraphics::DeleteControls()
{
  mControls.Empty(true);
}

// ---- Platform defaults ----

bool IGraphics::MeasureIText(IText* text, char* str, IRECT* rect)
{
  return DrawIText(text, str, rect, true);
}

bool IGraphics::WindowIsOpen()
{
  return GetWindow() != nullptr;
}

const char* IGraphics::GetGUIAPI()
{
  return "";
}

void* IGraphics::OpenWindow(void*, void*, short, short)
{
  return nullptr;
}

void IGraphics::AttachSubWindow(void*) {}

void IGraphics::RemoveSubWindow() {}

void IGraphics::HideMouseCursor() {}

void IGraphics::ShowMouseCursor() {}

// ---- Construction, threads ----

void IGraphics::PrepDraw()
{
  mCanvas = std::make_unique<Raster_SysBitmap>(ScaledWidth(), ScaledHeight());
  mScratch = std::make_unique<Raster_MemBitmap>(0, 0, 4);
  if (mPlug) mPostedParams.Reserve(mPlug->NParams());
  mPostedControls.Reserve(NControls());
}

void IGraphics::SetUIThread()
{
  mUIThread.store(std::this_thread::get_id(), std::memory_order_release);
}

bool IGraphics::IsUIThread() const
{
  return mUIThread.load(std::memory_order_acquire) == std::this_thread::get_id();
}

void IGraphics::Resize(int w, int h)
{
  mWidth = w;
  mHeight = h;
  ReleaseMouseCapture();
  mHoverIdx = -1;
  DeleteControls();
  // Values posted for the deleted controls must not land on the ones attached next at the same indices.
  mPostedControls.Clear();
  mCanvas.reset();
  mScratch.reset();
  PrepDraw();
  if (mPlug) mPlug->ResizeGraphics(w, h);
}

// ---- Attaching controls ----

int IGraphics::AttachControl(IControl* control)
{
  if (!control) return -1;
  if (!mControls.Add(control)) {
    delete control; // the editor owns what it was given, even when it cannot keep it
    return -1;
  }
  ReserveControlSlots();
  return NControls() - 1;
}

void IGraphics::ReserveControlSlots()
{
  // Controls attached after PrepDraw get their slot here; before it, PrepDraw sizes them all at once.
  if (mCanvas && IsUIThread()) mPostedControls.Reserve(NControls());
}

void IGraphics::AttachBackground(int id, const char* name)
{
  IBitmap bitmap = LoadIBitmap(id, name, 1);
  IControl* background = new IBitmapControl(mPlug, 0, 0, -1, &bitmap, kBlendCopy);
  if (!mControls.Insert(0, background)) delete background;
  ReserveControlSlots();
}

void IGraphics::AttachPanelBackground(const IColor* color)
{
  IControl* panel = new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), color);
  if (!mControls.Insert(0, panel)) delete panel;
  ReserveControlSlots();
}

void IGraphics::AttachKeyCatcher(IControl* control)
{
  if (control != mKeyCatcher.get()) mKeyCatcher.reset(control);
}

void IGraphics::HideControl(int paramIdx, bool hide)
{
  for (int i = 0, n = NControls(); i < n; ++i) {
    IControl* control = GetControl(i);
    if (control->ParamIdx() == paramIdx) control->Hide(hide);
  }
}

void IGraphics::GrayOutControl(int paramIdx, bool gray)
{
  for (int i = 0, n = NControls(); i < n; ++i) {
    IControl* control = GetControl(i);
    if (control->ParamIdx() == paramIdx) control->GrayOut(gray);
  }
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized)
{
  if (!normalized) {
    const IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return; // real bounds mean nothing without the parameter
    lo = param->GetNormalized(lo);
    hi = param->GetNormalized(hi);
  }
  for (int i = 0, n = NControls(); i < n; ++i) {
    IControl* control = GetControl(i);
    if (control->ParamIdx() == paramIdx) control->Clamp(lo, hi);
  }
}

// ---- Parameter linkage ----

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
  if (!normalized) {
    // Reads the parameter's bounds only; the caller holds the plug-in's mutex.
    const IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!param) return;
    value = param->GetNormalized(value);
  }
  if (IsUIThread()) {
    // An older value posted from another thread must not overwrite this one at the next redraw.
    DropPostedParam(paramIdx);
    SetParameterFromPlugNow(paramIdx, value);
  } else {
    mPostedParams.Post(paramIdx, value);
  }
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue)
{
  if (IsUIThread()) {
    mPostedControls.Drop(controlIdx);
    SetControlFromPlugNow(controlIdx, normalizedValue);
  } else {
    mPostedControls.Post(controlIdx, normalizedValue);
  }
}

void IGraphics::SetParameterFromPlugNow(int paramIdx, double normalizedValue)
{
  for (int i = 0, n = NControls(); i < n; ++i) {
    IControl* control = GetControl(i);
    if (control->ParamIdx() == paramIdx) control->SetValueFromPlug(normalizedValue);
    const int auxIdx = control->AuxParamIdx(paramIdx);
    if (auxIdx >= 0) control->SetAuxParamValueFromPlug(auxIdx, normalizedValue);
  }
}

void IGraphics::SetControlFromPlugNow(int controlIdx, double normalizedValue)
{
  if (IControl* control = GetControl(controlIdx)) control->SetValueFromPlug(normalizedValue);
}

void IGraphics::ApplyPostedValues()
{
  mPostedParams.Take([this](int idx, double value) { SetParameterFromPlugNow(idx, value); });
  mPostedControls.Take([this](int idx, double value) { SetControlFromPlugNow(idx, value); });
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  DropPostedParam(paramIdx);
  for (int i = 0, n = NControls(); i < n; ++i) {
    IControl* control = GetControl(i);
    if (control->ParamIdx() == paramIdx) control->SetValueFromUserInput(normalizedValue);
  }
}

void IGraphics::SetAllControlsDirty()
{
  for (int i = 0, n = NControls(); i < n; ++i) GetControl(i)->SetDirty(false);
}

void IGraphics::SetStrictDrawing(bool strict)
{
  mStrictDrawing = strict;
  SetAllControlsDirty();
}

void IGraphics::OnGUIIdle()
{
  for (int i = 0, n = NControls(); i < n; ++i) GetControl(i)->OnGUIIdle();
}
