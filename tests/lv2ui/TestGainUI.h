// A small product for the LV2 UI tests: a gain with a mute footswitch and a lamp that follows it,
// built over the UI-side base the way a product's class template is.
#pragma once

#include "lv2/ui/IEffectLV2UIPlug.h"

class TestGainUI : public IEffectLV2UIPlug
{
public:
  enum EParams { kGain = 0, kMute, kNumParams };

  explicit TestGainUI(InstanceInfo info);
  void OnParamChange(int paramIdx) override;

private:
  int mLampControlIdx = -1;
};
