#pragma once
// LV2TestPlug: a small product over any adapter base, built into its own LV2 bundle for the LV2
// adapter's tests. Each parameter type once ("Gain" in dB, a switch, a three-way enum, a whole
// number), one "Init" factory preset, and processing a test can check exactly: every output is
// the sum of the inputs times the gain, negated when "Invert" is on. It also counts the frames
// and the longest block it was asked to process.
#include <algorithm>
#include <cmath>

#include "containers/Core_Mutex.h"
#include "plugcore/IParam.h"

template <class TAdapter>
class LV2TestPlug : public TAdapter
{
public:
  enum EParams { kGain = 0, kInvert, kMode, kSteps, kNumParams };

  explicit LV2TestPlug(typename TAdapter::InstanceInfo info)
      : TAdapter(info, kNumParams, "1-1 2-2", 1, "LV2 Test Plug", "", "brindle tests", 0x00010203, 0x6c763274,
                 0x42746573, 0, false, false, false, 0)
  {
    this->GetParam(kGain)->InitDouble("Gain", 0.0, -24.0, 12.0, 0.1, "dB");
    this->GetParam(kInvert)->InitBool("Invert", false);
    IParam* mode = this->GetParam(kMode);
    mode->InitEnum("Mode", 0, 3);
    mode->SetDisplayText(0, "Soft");
    mode->SetDisplayText(1, "Hard");
    mode->SetDisplayText(2, "Fold \"x\"");
    this->GetParam(kSteps)->InitInt("Steps", 4, 1, 8, "st");
    this->MakePreset("Init", -6.0, 1, 2, 3);
    this->OnParamReset();
  }

  void OnParamChange(int paramIdx) override
  {
    Core_MutexLock lock(this->GetMutex());
    const IParam* gain = this->GetParam(kGain);
    const IParam* invert = this->GetParam(kInvert);
    if (paramIdx == kGain || paramIdx == kInvert) mFactor = gain->DBToAmp() * (invert->Bool() ? -1.0 : 1.0);
  }

  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override
  {
    mLongestBlock = std::max(mLongestBlock, nFrames);
    mFrames += nFrames;
    for (int i = 0; i < nFrames; ++i) {
      double sum = 0.0;
      for (int c = 0; c < this->NInChannels(); ++c) sum += inputs[c][i];
      for (int c = 0; c < this->NOutChannels(); ++c) outputs[c][i] = sum * mFactor;
    }
  }

  double mFactor = 1.0;
  int mLongestBlock = 0;
  long long mFrames = 0;
};
