// Rendering through a module and directly through the product, with the same parameter changes at
// the same frames: three blocks of kFrames at kRate, a test signal in, the changes in the second block.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "clap/IEffectCLAP.h"

struct Change
{
  uint32_t frame;
  clap_id id;
  double value;
};

constexpr uint32_t kFrames = 512;
constexpr double kRate = 48000.0;
using Channels = std::vector<std::vector<float>>;

Channels RenderThroughClap(const char* modulePath, const char* id, uint32_t channels,
                           const std::vector<Change>& changes);
// The product's own processing call, split at the changes by hand.
Channels RenderDirect(std::unique_ptr<IEffectCLAP> plug, uint32_t channels, const std::vector<Change>& changes);
double MaxDifference(const Channels& a, const Channels& b);
IEffectCLAP::InstanceInfo Variant(int channelIOIdx);
