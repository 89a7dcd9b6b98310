#include "tools/validate/ValidateDriverSupport.h"

#include <cmath>

namespace validate {

std::unique_ptr<PluginInstance> PreparedInstance(DriverContext& context, double rate, int maxFrames, std::string& error)
{
  std::unique_ptr<PluginInstance> instance = context.driver->Create(error);
  if (!instance) return nullptr;
  if (!instance->Prepare(rate, maxFrames, error)) return nullptr;
  return instance;
}

std::string RenderNoise(PluginInstance& instance, Noise& noise, Planar& in, Planar& out, int frames, float amplitude,
                        const ParameterChange* changes, int changeCount)
{
  for (int c = 0; c < 2; ++c) noise.Fill(in.data[c].data(), frames, amplitude);
  if (!instance.Render(in.in.data(), out.out.data(), frames, changes, changeCount))
    return "a render of " + std::to_string(frames) + " frames was refused";
  return FindBadSample(out, 2, frames);
}

std::string DriverParametersInRange(PluginInstance& instance)
{
  for (const DriverParameter& p : instance.Parameters()) {
    double value = 0;
    if (!instance.GetValue(p.id, value)) return Label(p) + " cannot be read";
    if (!std::isfinite(value) || value < p.minimum || value > p.maximum)
      return Label(p) + " reads " + std::to_string(value) + ", outside [" + std::to_string(p.minimum) + ", " +
             std::to_string(p.maximum) + "]";
  }
  return {};
}

std::string Label(const DriverParameter& parameter)
{
  return "'" + parameter.name + "' (id " + std::to_string(parameter.id) + ")";
}

} // namespace validate
