#pragma once
// Brindle's parameters, by index, for every place that names one: the plug-in, its editor layout,
// the command-line tools and the tests. The order is the order hosts see.

struct BrindleParams
{
  enum EParams { kLevel = 0, kAttack, kEffect, kCabinet, kNumParams };
  static constexpr int kNumPresets = 1;
};
