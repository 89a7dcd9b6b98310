// What the format-neutral checks of `brindle validate` share: the context (a loaded plug-in
// driver) and helpers that make, prepare and render instances through it.
#pragma once

#include "tools/validate/PluginDriver.h"
#include "tools/validate/ValidateSupport.h"

#include <memory>
#include <string>

struct DriverContext
{
  PluginDriver* driver = nullptr;
  std::uint32_t seed = 1;
  int level = 5;
};

namespace validate {

// A new instance prepared for stereo at rate in blocks up to maxFrames; null with the reason.
std::unique_ptr<PluginInstance> PreparedInstance(DriverContext& context, double rate, int maxFrames,
                                                 std::string& error);

// Renders `frames` of fresh noise at amplitude; "" when the plug-in took the block and every sample
// out is finite and normal, else what went wrong.
std::string RenderNoise(PluginInstance& instance, Noise& noise, Planar& in, Planar& out, int frames,
                        float amplitude = 0.5f, const ParameterChange* changes = nullptr, int changeCount = 0);

// "" when every listed parameter reads back finite and inside its range.
std::string DriverParametersInRange(PluginInstance& instance);

// "Drive (id 3)".
std::string Label(const DriverParameter& parameter);

} // namespace validate
