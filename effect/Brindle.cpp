// Brindle: construction, parameter handling, set-up and block processing.
#include "effect/Brindle.h"
#include "plugcore/AudioPath.h"

#include <cmath>

namespace {

constexpr int FourCharCode(const char (&code)[5])
{
  return static_cast<int>((static_cast<unsigned>(static_cast<unsigned char>(code[0])) << 24) |
                          (static_cast<unsigned>(static_cast<unsigned char>(code[1])) << 16) |
                          (static_cast<unsigned>(static_cast<unsigned char>(code[2])) << 8) |
                          static_cast<unsigned>(static_cast<unsigned char>(code[3])));
}

constexpr int kVersion = 0x00020300; // 2.3.0
constexpr int kUniqueID = FourCharCode("bdl3");
constexpr int kMfrID = FourCharCode("Qxlo");
constexpr int kLatency = 0;

} // namespace

Brindle::Brindle(IEffectInstanceInfo instanceInfo)
  : IEffectAU(instanceInfo, kNumParams, "1-1 2-2", kNumPresets, "Brindle", "", "tallowby", kVersion,
              kUniqueID, kMfrID, kLatency, false, false, false, 0)
{
  // The filter bank and the noise table are built by Init() at the end.
  InitParams();

  // One factory preset; "Level" and "Attack" go in as doubles, the two switches as ints.
  MakePreset("Init", 1.0, 0.5, 1, 1);
  MakeDefaultPreset("Init", 15);

  AttachEditor(); // BrindleEditor.cpp
  Init();
}

Brindle::~Brindle() = default;

void Brindle::InitParams()
{
  GetParam(kLevel)->InitDouble("Level", 0.5, 0.0, 1.0, 0.001, "", "", 1.0);
  GetParam(kAttack)->InitDouble("Attack", 0.5, 0.0, 1.0, 0.001, "", "", 1.0);
  for (int idx : {kEffect, kCabinet}) {
    IParam* param = GetParam(idx);
    param->InitEnum(idx == kEffect ? "Effect" : "Cabinet", 1, 2, "", "");
    param->SetDisplayText(0, "Off");
    param->SetDisplayText(1, "On");
  }
}

void Brindle::OnParamChange(int paramIdx)
{
  Core_MutexLock lock(mMutex);
  const IParam* param = GetParam(paramIdx);
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
      ShowControlValueInEditor(mLampControlIdx, on ? 1.0 : 0.0);
      mEffectOn.store(on, std::memory_order_relaxed);
    }
    break;
  case kCabinet:
    if (truncated == 1.0) mCabinetOn.store(true, std::memory_order_relaxed);
    else if (truncated == 0.0) mCabinetOn.store(false, std::memory_order_relaxed);
    break;
  default:
    break;
  }
}

void Brindle::Init()
{
  OnParamReset();
  mFilterSampleRate = GetSampleRate();
  mPrevSampleRate = mFilterSampleRate;
  BrindleDesignFilters(mDSP, mFilterSampleRate);
  BrindleFillNoiseTable(mNoiseTable);
  BrindleFastKernel(); // settles the CPU check here rather than on the first render
}

void Brindle::Reset()
{
  Core_MutexLock lock(mMutex);
  mFilterSampleRate = GetSampleRate();
  // Written as "not equal" so that a NaN rate on either side counts as a change.
  if (!(mFilterSampleRate == mPrevSampleRate)) {
    mPrevSampleRate = mFilterSampleRate;
    Init();
  }
}

BrindleSettings Brindle::CurrentSettings() const
{
  BrindleSettings s;
  s.outputGain = mOutputGain.load(std::memory_order_relaxed);
  s.drive = mDrive.load(std::memory_order_relaxed);
  s.attack = mAttack.load(std::memory_order_relaxed);
  s.effectOn = mEffectOn.load(std::memory_order_relaxed);
  s.cabinetOn = mCabinetOn.load(std::memory_order_relaxed);
  return s;
}

BRINDLE_AUDIO_PATH void Brindle::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  const BrindleBlock block{inputs[0], inputs[1], outputs[0], outputs[1], nFrames};
  BrindleProcessFast(mDSP, CurrentSettings(), mNoiseTable, block);
}

void Brindle::DriveA(double input, double& output)
{
  BrindleDriveA(mDSP, mDrive.load(std::memory_order_relaxed), mAttack.load(std::memory_order_relaxed),
                mOutputGain.load(std::memory_order_relaxed), input, output);
}

void Brindle::Cab(double input, double& output)
{
  BrindleCab(mDSP, input, output);
}

void Brindle::add_white_noise(float& x)
{
  BrindleNoiseStep(rand_state, x);
}
