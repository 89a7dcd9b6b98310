// Helpers shared by the validation checks.
#include "tools/validate/ValidateSupport.h"

#include <cmath>

namespace validate {

Planar::Planar(int channels, int frames)
    : data(static_cast<size_t>(channels), std::vector<float>(static_cast<size_t>(frames > 0 ? frames : 1)))
{
  for (auto& channel : data) {
    in.push_back(channel.data());
    out.push_back(channel.data());
  }
}

HostFormat Stereo(double rate, int maxFrames)
{
  HostFormat format;
  format.sampleRate = rate;
  format.inChannels = format.outChannels = 2;
  format.maxFrames = maxFrames;
  return format;
}

bool PrepareHost(ValidateContext& context, ComponentHost& host, const HostFormat& format, std::string& error)
{
  OSStatus status = host.Open(context.component);
  if (status != noErr) {
    error = "open: " + DescribeStatus(status);
    return false;
  }
  if ((status = host.Configure(format)) != noErr) {
    error = "configuration: " + DescribeStatus(status);
    return false;
  }
  if ((status = host.Initialize()) != noErr) {
    error = "initialize: " + DescribeStatus(status);
    return false;
  }
  return true;
}

std::string FindBadSample(const Planar& audio, int channels, int frames, bool allowSubnormal)
{
  for (int c = 0; c < channels; ++c)
    for (int i = 0; i < frames; ++i) {
      const float v = audio.data[static_cast<size_t>(c)][static_cast<size_t>(i)];
      const int kind = std::fpclassify(v);
      const char* what = kind == FP_NAN                            ? "NaN"
                         : kind == FP_INFINITE                     ? "infinity"
                         : kind == FP_SUBNORMAL && !allowSubnormal ? "denormal"
                                                                   : nullptr;
      if (what) return std::string(what) + " at channel " + std::to_string(c) + " frame " + std::to_string(i);
    }
  return "";
}

bool DescribeParameters(ComponentHost& host, std::vector<ParameterDescription>& out, std::string& error)
{
  out.clear();
  std::vector<AudioUnitParameterID> ids;
  const OSStatus status = host.ParameterList(ids);
  if (status != noErr) {
    error = "parameter list: " + DescribeStatus(status);
    return false;
  }
  for (AudioUnitParameterID id : ids) {
    ParameterDescription d{id, {}, {}};
    const OSStatus s = host.Get(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, d.info);
    if (s != noErr) {
      error = "parameter " + std::to_string(id) + " info: " + DescribeStatus(s);
      return false;
    }
    d.name = d.info.cfNameString ? StringFromCF(d.info.cfNameString) : std::string(d.info.name);
    ReleaseParameterInfoNames(d.info);
    out.push_back(d);
  }
  return true;
}

} // namespace validate
