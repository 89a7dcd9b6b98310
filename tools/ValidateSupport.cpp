// Helpers shared by the validation checks, and the table that orders them.
#include "tools/ValidateChecks.h"

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

std::string FindBadSample(const Planar& audio, int channels, int frames)
{
  for (int c = 0; c < channels; ++c)
    for (int i = 0; i < frames; ++i) {
      const float v = audio.data[static_cast<size_t>(c)][static_cast<size_t>(i)];
      const int kind = std::fpclassify(v);
      const char* what = kind == FP_NAN ? "NaN" : kind == FP_INFINITE ? "infinity" : kind == FP_SUBNORMAL ? "denormal" : nullptr;
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

std::vector<ValidateCheck> ValidateCheckTable()
{
  std::vector<ValidateCheck> table = {
      {"open and close times", CheckOpenCloseTimes, 0},
      {"100 open/close cycles", CheckRepeatedOpenClose, 100},
  };
  const std::vector<std::string> properties = RequiredPropertyNames();
  for (size_t i = 0; i < properties.size(); ++i)
    table.push_back({"property " + properties[i], CheckRequiredProperty, static_cast<int>(i)});
  const std::vector<ValidateCheck> rest = {
      {"parameter info", CheckParameterInfo, 0},
      {"parameter value strings", CheckParameterValueStrings, 0},
      {"parameter set and read back (minimum, maximum, default, random, clamped)", CheckParameterSetAndReadBack, 0},
      {"parameter text -> value -> text", CheckParameterTextRoundTrip, 0},
      {"channel configurations: reported accepted, others refused", CheckChannelConfigurations, 0},
      {"render at 11025 Hz (1, 64, 137, 512, 4096 frames)", CheckRenderAtRate, 11025},
      {"render at 22050 Hz (1, 64, 137, 512, 4096 frames)", CheckRenderAtRate, 22050},
      {"render at 44100 Hz (1, 64, 137, 512, 4096 frames)", CheckRenderAtRate, 44100},
      {"render at 48000 Hz (1, 64, 137, 512, 4096 frames)", CheckRenderAtRate, 48000},
      {"render at 96000 Hz (1, 64, 137, 512, 4096 frames)", CheckRenderAtRate, 96000},
      {"render at 192000 Hz (1, 64, 137, 512, 4096 frames)", CheckRenderAtRate, 192000},
      {"render one frame above the maximum refused", CheckOversizeRenderRefused, 0},
      {"bypass", CheckBypass, 0},
      {"reset", CheckReset, 0},
      {"state round trip (identical data, identical audio)", CheckStateRoundTrip, 0},
      {"state of another component refused", CheckForeignStateRefused, 0},
      {"noise in, no NaN, infinity or denormal out", CheckNoiseOutputClean, 0},
      {"render thread and parameter thread at once", CheckRenderWhileSettingParameters, 0},
  };
  table.insert(table.end(), rest.begin(), rest.end());
  return table;
}
