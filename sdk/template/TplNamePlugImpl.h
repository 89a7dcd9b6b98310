// TplNamePlug's member definitions. Only the files that instantiate the product for an adapter
// include this (brindle_add_plugin generates them); everyone else includes TplNamePlug.h.
#pragma once

#include "TplNameIdentity.h"
#include "TplNamePlug.h"
#include "containers/Core_Mutex.h"
#include "graphics/IBitmapControls.h"
#include "graphics/mac/IGraphicsMac.h"
#include "plugcore/AudioPath.h"
#include "plugcore/IParam.h"

#include <cmath>

template <class TAdapter>
TplNamePlug<TAdapter>::TplNamePlug(InstanceInfo instanceInfo)
    : TAdapter(instanceInfo, kNumParams, TplNameIdentity::kChannelIO, 1, TplNameIdentity::kName, "",
               TplNameIdentity::kMaker, TplNameIdentity::kVersion, TplNameIdentity::kUniqueID, TplNameIdentity::kMfrID,
               0, false, false, false, 0)
{
  this->GetParam(kGain)->InitDouble("Gain", kDefaultDb, kMinDb, kMaxDb, 0.1, "dB");
  this->MakePreset("Init", kDefaultDb);
  if constexpr (TAdapter::kMakesEditor) AttachEditor();
  this->OnParamReset();
  mApplied = mGain.load(std::memory_order_relaxed);
}

template <class TAdapter>
void TplNamePlug<TAdapter>::OnParamChange(int paramIdx)
{
  Core_MutexLock lock(this->mMutex);
  const IParam* param = this->GetParam(paramIdx);
  // A NaN from a host leaves the gain as it was.
  if (paramIdx != kGain || !param || !std::isfinite(param->Value())) return;
  const double db = std::fmin(std::fmax(param->Value(), kMinDb), kMaxDb);
  mGain.store(std::pow(10.0, db / 20.0), std::memory_order_relaxed);
}

template <class TAdapter>
void TplNamePlug<TAdapter>::Reset()
{
  // A fresh start has no earlier block to ramp from.
  Core_MutexLock lock(this->mMutex);
  mApplied = mGain.load(std::memory_order_relaxed);
}

template <class TAdapter>
BRINDLE_AUDIO_PATH void TplNamePlug<TAdapter>::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  if (nFrames <= 0) return;
  // Ramped across the block, so that a turned knob does not click.
  const double target = mGain.load(std::memory_order_relaxed);
  const double step = (target - mApplied) / nFrames;
  const int channels = this->IsOutChannelConnected(1) ? 2 : 1;
  for (int c = 0; c < channels; ++c)
    for (int i = 0; i < nFrames; ++i) outputs[c][i] = inputs[c][i] * (mApplied + step * (i + 1));
  mApplied = target;
}

template <class TAdapter>
void TplNamePlug<TAdapter>::AttachEditor()
{
  IGraphicsMac* graphics = new IGraphicsMac(this, kTplNameEditorWidth, kTplNameEditorHeight, 0);
  graphics->SetBundleID(this->GetBundleID());
  graphics->AttachBackground(200, kTplNameBackgroundFile);
  IBitmap knob = graphics->LoadIBitmap(201, kTplNameKnobFile, kTplNameKnobFrames);
  graphics->AttachControl(new IKnobMultiControl(this, kTplNameKnobLeft, kTplNameKnobTop, kGain, &knob, kVertical, 4.0));
  // From here on the plug-in owns the editor.
  this->AttachGraphics(graphics);
}
