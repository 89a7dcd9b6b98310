// GainPlug's member definitions. Include this only in the one file that instantiates the product
// for an adapter (`template class GainPlug<IEffectXYZ>;`); everyone else includes GainPlug.h or the
// adapter's product header.
#pragma once

#include "GainIdentity.h"
#include "examples/gain/GainPlug.h"
#include "graphics/IBitmapControls.h"
#include "graphics/mac/IGraphicsMac.h"
#include "containers/Core_Mutex.h"
#include "plugcore/AudioPath.h"
#include "plugcore/IParam.h"

#include <cmath>

template <class TAdapter>
GainPlug<TAdapter>::GainPlug(InstanceInfo instanceInfo)
    : TAdapter(instanceInfo, kNumParams, GainIdentity::kChannelIO, kNumPresets, GainIdentity::kName, "",
               GainIdentity::kMaker, GainIdentity::kVersion, GainIdentity::kUniqueID, GainIdentity::kMfrID, 0, false,
               false, false, 0)
{
  InitParams();
  this->MakePreset("Init", 0.0, 0.0);
  if constexpr (TAdapter::kMakesEditor) AttachEditor();
  this->OnParamReset();
  mApplied = TargetGains();
}

template <class TAdapter>
void GainPlug<TAdapter>::InitParams()
{
  this->GetParam(kGain)->InitDouble("Gain", 0.0, GainLaw::kMinDb, GainLaw::kMaxDb, 0.1, "dB");
  this->GetParam(kPan)->InitDouble("Pan", 0.0, -GainLaw::kMaxPan, GainLaw::kMaxPan, 1.0, "%");
}

template <class TAdapter>
void GainPlug<TAdapter>::OnParamChange(int paramIdx)
{
  Core_MutexLock lock(this->mMutex);
  const IParam* param = this->GetParam(paramIdx);
  if (!param) return;
  const double value = param->Value();
  // A NaN from a host leaves the setting as it was rather than silencing or blowing up the output.
  if (!std::isfinite(value)) return;
  if (paramIdx == kGain)
    mGainDb.store(value, std::memory_order_relaxed);
  else if (paramIdx == kPan)
    mPan.store(value, std::memory_order_relaxed);
}

template <class TAdapter>
GainChannelGains GainPlug<TAdapter>::TargetGains() const
{
  return GainLaw::Gains(mGainDb.load(std::memory_order_relaxed), mPan.load(std::memory_order_relaxed));
}

template <class TAdapter>
void GainPlug<TAdapter>::Reset()
{
  // A fresh start has no earlier block to ramp from.
  Core_MutexLock lock(this->mMutex);
  mApplied = TargetGains();
}

namespace GainDetail {
// out = in * gain, moving the gain linearly from `from` to `to` across the block.
BRINDLE_AUDIO_PATH inline void Ramp(const double* in, double* out, int nFrames, double from, double to)
{
  if (from == to) {
    for (int i = 0; i < nFrames; ++i) out[i] = in[i] * to;
    return;
  }
  const double step = (to - from) / nFrames;
  for (int i = 0; i < nFrames; ++i) out[i] = in[i] * (from + step * (i + 1));
}
} // namespace GainDetail

template <class TAdapter>
BRINDLE_AUDIO_PATH void GainPlug<TAdapter>::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  if (nFrames <= 0) return;
  const GainChannelGains target = TargetGains();
  if (this->IsOutChannelConnected(1)) {
    GainDetail::Ramp(inputs[0], outputs[0], nFrames, mApplied.left, target.left);
    GainDetail::Ramp(inputs[1], outputs[1], nFrames, mApplied.right, target.right);
  } else {
    GainDetail::Ramp(inputs[0], outputs[0], nFrames, mApplied.mono, target.mono);
  }
  mApplied = target;
}

template <class TAdapter>
void GainPlug<TAdapter>::AttachEditor()
{
  IGraphicsMac* graphics = new IGraphicsMac(this, kGainEditorWidth, kGainEditorHeight, 0);
  graphics->SetBundleID(this->GetBundleID());
  graphics->AttachBackground(200, kGainBackgroundFile);
  // One strip, two knobs: both sit on the same row as drawn into the background.
  IBitmap knob = graphics->LoadIBitmap(201, kGainKnobFile, kGainKnobFrames);
  graphics->AttachControl(new IKnobMultiControl(this, 22, 52, kGain, &knob, kVertical, 4.0));
  graphics->AttachControl(new IKnobMultiControl(this, 122, 52, kPan, &knob, kVertical, 4.0));
  // From here on the plug-in owns the editor.
  this->AttachGraphics(graphics);
}
