// BrindlePlug's member definitions. Include this only in the one file that instantiates the
// product for an adapter (`template class BrindlePlug<IEffectXYZ>;`); everyone else includes
// BrindlePlug.h or the adapter's product header.
#pragma once

#include "BrindleIdentity.h"
#include "effect/BrindleEditor.h"
#include "effect/BrindlePlug.h"
#include "graphics/IBitmapControls.h"
#include "graphics/mac/IGraphicsMac.h"
#include "containers/Core_Mutex.h"
#include "plugcore/AudioPath.h"
#include "plugcore/IParam.h"

#include <cmath>

template <class TAdapter>
BrindlePlug<TAdapter>::BrindlePlug(InstanceInfo instanceInfo)
    : TAdapter(instanceInfo, kNumParams, BrindleIdentity::kChannelIO, kNumPresets, BrindleIdentity::kName, "",
               BrindleIdentity::kMaker, BrindleIdentity::kVersion, BrindleIdentity::kUniqueID, BrindleIdentity::kMfrID,
               0, false, false, false, 0)
{
  // The filter bank and the noise table are built by Init() at the end.
  InitParams();

  // One factory preset; "Level" and "Attack" go in as doubles, the two switches as ints.
  this->MakePreset("Init", 1.0, 0.5, 1, 1);
  this->MakeDefaultPreset("Init", 15);

  if constexpr (TAdapter::kMakesEditor) AttachEditor();
  Init();
}

template <class TAdapter>
void BrindlePlug<TAdapter>::InitParams()
{
  this->GetParam(kLevel)->InitDouble("Level", 0.5, 0.0, 1.0, 0.001, "", "", 1.0);
  this->GetParam(kAttack)->InitDouble("Attack", 0.5, 0.0, 1.0, 0.001, "", "", 1.0);
  for (int idx : {kEffect, kCabinet}) {
    IParam* param = this->GetParam(idx);
    param->InitEnum(idx == kEffect ? "Effect" : "Cabinet", 1, 2, "", "");
    param->SetDisplayText(0, "Off");
    param->SetDisplayText(1, "On");
  }
}

template <class TAdapter>
void BrindlePlug<TAdapter>::OnParamChange(int paramIdx)
{
  Core_MutexLock lock(this->mMutex);
  const IParam* param = this->GetParam(paramIdx);
  if (!param) return;
  const double value = param->Value();
  // Switches act on the value truncated toward zero; anything but 0 or 1 (0.7, NaN) leaves them.
  const double truncated = std::trunc(value);
  switch (paramIdx) {
  case kLevel:
    mOutputGain.store(value * 4.0, std::memory_order_relaxed);
    break;
  case kAttack:
    mAttack.store(value, std::memory_order_relaxed);
    mDrive.store(value * 5.0, std::memory_order_relaxed);
    break;
  case kEffect:
    if (truncated == 1.0 || truncated == 0.0) {
      const bool on = truncated == 1.0;
      this->ShowControlValueInEditor(mLampControlIdx, on ? 1.0 : 0.0);
      mEffectOn.store(on, std::memory_order_relaxed);
    }
    break;
  case kCabinet:
    if (truncated == 1.0)
      mCabinetOn.store(true, std::memory_order_relaxed);
    else if (truncated == 0.0)
      mCabinetOn.store(false, std::memory_order_relaxed);
    break;
  default:
    break;
  }
}

template <class TAdapter>
void BrindlePlug<TAdapter>::Init()
{
  this->OnParamReset();
  mFilterSampleRate = this->GetSampleRate();
  mPrevSampleRate = mFilterSampleRate;
  BrindleDesignFilters(mDSP, mFilterSampleRate);
  BrindleFillNoiseTable(mNoiseTable);
  BrindleFastKernel(); // settles the CPU check here rather than on the first render
}

template <class TAdapter>
void BrindlePlug<TAdapter>::Reset()
{
  Core_MutexLock lock(this->mMutex);
  mFilterSampleRate = this->GetSampleRate();
  // Written as "not equal" so that a NaN rate on either side counts as a change.
  if (!(mFilterSampleRate == mPrevSampleRate)) {
    mPrevSampleRate = mFilterSampleRate;
    Init();
    return;
  }
  // Same rate: the design and the noise table stay, but a host resets (or deactivates and
  // activates) to start a new stream, which must not begin with the last one's tail.
  mDSP.biquadFilterReset();
}

template <class TAdapter>
BrindleSettings BrindlePlug<TAdapter>::CurrentSettings() const
{
  BrindleSettings s;
  s.outputGain = mOutputGain.load(std::memory_order_relaxed);
  s.drive = mDrive.load(std::memory_order_relaxed);
  s.attack = mAttack.load(std::memory_order_relaxed);
  s.effectOn = mEffectOn.load(std::memory_order_relaxed);
  s.cabinetOn = mCabinetOn.load(std::memory_order_relaxed);
  return s;
}

template <class TAdapter>
BRINDLE_AUDIO_PATH void BrindlePlug<TAdapter>::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  const BrindleBlock block{inputs[0], inputs[1], outputs[0], outputs[1], nFrames};
  BrindleProcessFast(mDSP, CurrentSettings(), mNoiseTable, block);
}

template <class TAdapter>
BRINDLE_AUDIO_PATH bool BrindlePlug<TAdapter>::ProcessDoubleToSingle(double** inputs, float** outputs, int nFrames)
{
  const BrindleFloatOutBlock block{inputs[0], inputs[1], outputs[0], outputs[1], nFrames};
  BrindleProcessFast(mDSP, CurrentSettings(), mNoiseTable, block);
  return true;
}

template <class TAdapter>
void BrindlePlug<TAdapter>::DriveA(double input, double& output)
{
  BrindleDriveA(mDSP, mDrive.load(std::memory_order_relaxed), mAttack.load(std::memory_order_relaxed),
                mOutputGain.load(std::memory_order_relaxed), input, output);
}

template <class TAdapter>
void BrindlePlug<TAdapter>::Cab(double input, double& output)
{
  BrindleCab(mDSP, input, output);
}

template <class TAdapter>
void BrindlePlug<TAdapter>::add_white_noise(float& x)
{
  BrindleNoiseStep(rand_state, x);
}

template <class TAdapter>
void BrindlePlug<TAdapter>::AttachEditor()
{
  IGraphicsMac* graphics = new IGraphicsMac(this, kBrindleEditorWidth, kBrindleEditorHeight, 0);
  graphics->SetBundleID(this->GetBundleID());
  graphics->AttachBackground(kBrindleBackgroundId, kBrindleBackgroundFile);

  IBitmap lamp = graphics->LoadIBitmap(kBrindleLedId, kBrindleLedFile, 2);
  SetLampControlIdx(graphics->AttachControl(new IBitmapControl(this, 91, 15, -1, &lamp, kBlendAlpha)));

  IBitmap cabinet = graphics->LoadIBitmap(kBrindleSwitch01Id, kBrindleSwitch01File, 2);
  graphics->AttachControl(new ISwitchControl(this, 80, 61, kCabinet, &cabinet, kBlendAlpha));

  IBitmap footswitch = graphics->LoadIBitmap(kBrindleSwitch02Id, kBrindleSwitch02File, 2);
  graphics->AttachControl(new IOnOffControl(this, 80, 172, kEffect, &footswitch));

  IBitmap knob = graphics->LoadIBitmap(kBrindleKnobId, kBrindleKnobFile, 65);
  graphics->AttachControl(new IKnobMultiControl(this, 18, 86, kLevel, &knob, kVertical, 4.0));
  graphics->AttachControl(new IKnobMultiControl(this, 115, 86, kAttack, &knob, kVertical, 4.0));

  IBitmap about = graphics->LoadIBitmap(kBrindleAboutId, kBrindleAboutFile, 1);
  IRECT aboutTarget(10, 35, 80, 55);
  graphics->AttachControl(new IBitmapOverlayControl(this, 5, 156, -1, &about, aboutTarget));

  // From here on the plug-in owns the editor.
  this->AttachGraphics(graphics);
}
