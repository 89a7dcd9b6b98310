// Validation: rendering at every common rate and slice size, the frame limit, bypass and reset.
#include "tools/validate/ValidateChecks.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace validate;

namespace {

constexpr int kMaxFrames = 4096;
const int kSliceSizes[] = {1, 64, 137, 512, 4096};

// Switches bypass and reads it back: the failure, or empty when the unit took the setting. The read
// starts from the opposite value, so a read that fails cannot pass.
std::string SwitchBypass(ComponentHost& host, bool on)
{
  const UInt32 value = on ? 1 : 0;
  const std::string word = on ? "on" : "off";
  const OSStatus status = host.Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, value);
  if (status != noErr) return "bypass " + word + ": " + DescribeStatus(status);
  UInt32 state = 1 - value;
  host.Get(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, state);
  if (state != value) return "bypass reads " + std::to_string(state) + " after switching it " + word;
  return "";
}

} // namespace

CheckOutcome CheckRenderAtRate(ValidateContext& context, int sampleRate)
{
  ComponentHost host;
  std::string error;
  if (!PrepareHost(context, host, Stereo(sampleRate, kMaxFrames), error)) return Fail(error);
  Float64 rate = 0;
  host.Get(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, rate);
  if (rate != sampleRate) return Fail("sample rate reads " + std::to_string(rate));
  Noise noise(context.seed);
  Planar in(2, kMaxFrames), out(2, kMaxFrames);
  for (int frames : kSliceSizes) {
    for (int c = 0; c < 2; ++c) noise.Fill(in.data[static_cast<size_t>(c)].data(), frames, 0.5f);
    const OSStatus status = host.Render(in.in.data(), out.out.data(), frames);
    if (status != noErr) return Fail(std::to_string(frames) + " frames: " + DescribeStatus(status));
    const std::string bad = FindBadSample(out, 2, frames);
    if (!bad.empty()) return Fail(std::to_string(frames) + " frames: " + bad);
  }
  return Pass();
}

CheckOutcome CheckOversizeRenderRefused(ValidateContext& context, int)
{
  ComponentHost host;
  std::string error;
  if (!PrepareHost(context, host, Stereo(44100, kMaxFrames), error)) return Fail(error);
  Planar in(2, kMaxFrames + 1), out(2, kMaxFrames + 1);
  for (auto& channel : out.data) std::fill(channel.begin(), channel.end(), 7.0f);
  const long pulls = host.InputPulls();
  const OSStatus status = host.Render(in.in.data(), out.out.data(), kMaxFrames + 1);
  if (status == noErr)
    return Fail(std::to_string(kMaxFrames + 1) + " frames accepted with a maximum of " + std::to_string(kMaxFrames));
  if (host.InputPulls() != pulls) return Fail("refused, but pulled input first");
  for (const auto& channel : out.data)
    for (float v : channel)
      if (v != 7.0f) return Fail("refused, but wrote output");
  // The unit still renders a legal slice afterwards.
  const OSStatus after = host.Render(in.in.data(), out.out.data(), kMaxFrames);
  if (after != noErr) return Fail("a legal slice after the refusal: " + DescribeStatus(after));
  return Pass(DescribeStatus(status));
}

CheckOutcome CheckBypass(ValidateContext& context, int)
{
  ComponentHost host;
  std::string error;
  if (!PrepareHost(context, host, Stereo(44100, 512), error)) return Fail(error);
  Noise noise(context.seed);
  Planar in(2, 512), out(2, 512);
  for (auto& channel : in.data) noise.Fill(channel.data(), 512, 0.5f);
  std::string failure = SwitchBypass(host, true);
  if (!failure.empty()) return Fail(failure);
  OSStatus status;
  if ((status = host.Render(in.in.data(), out.out.data(), 512)) != noErr)
    return Fail("bypassed render: " + DescribeStatus(status));
  for (int c = 0; c < 2; ++c)
    if (std::memcmp(in.data[c].data(), out.data[c].data(), 512 * sizeof(float)) != 0)
      return Fail("bypassed output of channel " + std::to_string(c) + " differs from its input");
  if (!(failure = SwitchBypass(host, false)).empty()) return Fail(failure);
  if ((status = host.Render(in.in.data(), out.out.data(), 512)) != noErr)
    return Fail("render: " + DescribeStatus(status));
  if (std::memcmp(in.data[0].data(), out.data[0].data(), 512 * sizeof(float)) == 0)
    return Fail("output still equals input with bypass off");
  return Pass();
}

CheckOutcome CheckReset(ValidateContext& context, int)
{
  ComponentHost host;
  std::string error;
  if (!PrepareHost(context, host, Stereo(44100, 512), error)) return Fail(error);
  Noise noise(context.seed);
  Planar in(2, 512), out(2, 512);
  for (int block = 0; block < 3; ++block) {
    for (auto& channel : in.data) noise.Fill(channel.data(), 512, 0.5f);
    if (block == 1) {
      const OSStatus status = AudioUnitReset(host.Unit(), kAudioUnitScope_Global, 0);
      if (status != noErr) return Fail("reset: " + DescribeStatus(status));
    }
    const OSStatus status = host.Render(in.in.data(), out.out.data(), 512);
    if (status != noErr) return Fail("render after reset: " + DescribeStatus(status));
    const std::string bad = FindBadSample(out, 2, 512);
    if (!bad.empty()) return Fail(bad);
  }
  host.Uninitialize();
  const OSStatus status = AudioUnitReset(host.Unit(), kAudioUnitScope_Global, 0);
  if (status != noErr) return Fail("reset while uninitialized: " + DescribeStatus(status));
  return Pass();
}
