// Rendering through a module and directly through the product, with the same parameter changes at
// the same frames: three blocks of kFrames at kRate, a test signal in, the changes in the second block.
#pragma once

#include <memory>
#include <vector>

#include "vst3/IEffectVST3.h"

struct Change
{
  int frame;
  vst3::ParamID id;
  double normalized;
};

constexpr int kFrames = 512;
constexpr double kRate = 48000.0;
using Channels = std::vector<std::vector<double>>;

std::unique_ptr<IEffectVST3> MakeDirectBrindle();
Channels RenderThroughVst3(const char* bundle, int channels, const std::vector<Change>& changes,
                           vst3::int32 sampleSize);
// The product's own processing call, split at the changes by hand, values set through IParam's mapping.
Channels RenderDirect(std::unique_ptr<IEffectVST3> plug, int channels, const std::vector<Change>& changes);
double MaxDifference(const Channels& a, const Channels& b);
