// Gain's parameters by index, for the plug-in, its editor layout and its tests. The order is the
// order hosts see.
#pragma once

struct GainParams
{
  enum EParams { kGain = 0, kPan, kNumParams };
  static constexpr int kNumPresets = 1;
};
