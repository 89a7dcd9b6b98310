// Validation: the saved state, clean output for noise, and rendering while another thread sets
// parameters.
#include "tools/validate/ValidateChecks.h"

#include "tools/files/AUPresetFile.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>

using namespace validate;

namespace {

// Sets every parameter to a random value in its range (whole numbers for indexed ones).
std::string Randomize(ComponentHost& host, Noise& noise)
{
  std::vector<ParameterDescription> params;
  std::string error;
  if (!DescribeParameters(host, params, error)) return error;
  for (const ParameterDescription& p : params) {
    double v = p.info.minValue + noise.Unit() * (static_cast<double>(p.info.maxValue) - p.info.minValue);
    if (p.info.unit == kAudioUnitParameterUnit_Indexed || p.info.unit == kAudioUnitParameterUnit_Boolean)
      v = std::floor(v + 0.5);
    const OSStatus status = host.SetParameter(p.id, static_cast<float>(v));
    if (status != noErr) return "set parameter " + std::to_string(p.id) + ": " + DescribeStatus(status);
  }
  return "";
}

std::string CopyState(ComponentHost& host, AUPresetContents& out)
{
  CFPropertyListRef state = nullptr;
  const OSStatus status = host.CopyClassInfo(state);
  if (status != noErr || !state) return "class info: " + DescribeStatus(status);
  std::string error;
  const bool ok = AUPresetFromDictionary(static_cast<CFDictionaryRef>(state), out, error);
  CFRelease(state);
  return ok ? "" : error;
}

OSStatus Restore(ComponentHost& host, const AUPresetContents& contents)
{
  CFMutableDictionaryRef dictionary = AUPresetToDictionary(contents);
  if (!dictionary) return coreFoundationUnknownErr;
  const OSStatus status = host.RestoreClassInfo(dictionary);
  CFRelease(dictionary);
  return status;
}

bool SameState(const AUPresetContents& a, const AUPresetContents& b)
{
  return a.version == b.version && a.type == b.type && a.subtype == b.subtype && a.manufacturer == b.manufacturer &&
         a.name == b.name && a.data == b.data;
}

// Renders `blocks` blocks of seeded noise; appends channel 0 and 1 to `out`.
std::string RenderNoise(ComponentHost& host, std::uint32_t seed, int blocks, std::vector<float>& out)
{
  Noise noise(seed);
  Planar in(2, 512), result(2, 512);
  for (int b = 0; b < blocks; ++b) {
    for (auto& channel : in.data) noise.Fill(channel.data(), 512, 0.5f);
    const OSStatus status = host.Render(in.in.data(), result.out.data(), 512);
    if (status != noErr) return "render: " + DescribeStatus(status);
    for (const auto& channel : result.data) out.insert(out.end(), channel.begin(), channel.end());
  }
  return "";
}

} // namespace

CheckOutcome CheckStateRoundTrip(ValidateContext& context, int)
{
  ComponentHost first, second;
  std::string error;
  if (!PrepareHost(context, first, Stereo(44100, 512), error) ||
      !PrepareHost(context, second, Stereo(44100, 512), error))
    return Fail(error);
  Noise noise(context.seed);
  if (!(error = Randomize(first, noise)).empty()) return Fail(error);
  AUPresetContents saved, restored;
  if (!(error = CopyState(first, saved)).empty()) return Fail(error);
  OSStatus status = Restore(second, saved);
  if (status != noErr) return Fail("restore: " + DescribeStatus(status));
  if (!(error = CopyState(second, restored)).empty()) return Fail(error);
  if (!SameState(saved, restored)) return Fail("the restored instance saves a different state");
  // Every parameter reads the same on both.
  std::vector<AudioUnitParameterID> ids;
  first.ParameterList(ids);
  for (AudioUnitParameterID id : ids) {
    AudioUnitParameterValue a = NAN, b = NAN;
    first.GetParameter(id, a);
    second.GetParameter(id, b);
    if (a != b)
      return Fail("parameter " + std::to_string(id) + " reads " + std::to_string(b) + " after restore, not " +
                  std::to_string(a));
  }
  std::vector<float> audioFirst, audioSecond;
  if (!(error = RenderNoise(first, context.seed, 8, audioFirst)).empty()) return Fail(error);
  if (!(error = RenderNoise(second, context.seed, 8, audioSecond)).empty()) return Fail(error);
  for (size_t i = 0; i < audioFirst.size(); ++i)
    if (std::memcmp(&audioFirst[i], &audioSecond[i], sizeof(float)) != 0)
      return Fail("audio after restore differs at sample " + std::to_string(i));
  return Pass(std::to_string(saved.data.size()) + " bytes of data");
}

CheckOutcome CheckForeignStateRefused(ValidateContext& context, int)
{
  ComponentHost host;
  std::string error;
  if (!PrepareHost(context, host, Stereo(44100, 512), error)) return Fail(error);
  AUPresetContents own, after;
  if (!(error = CopyState(host, own)).empty()) return Fail(error);
  AUPresetContents foreign = own;
  foreign.subtype ^= 0x01010101;
  for (auto& byte : foreign.data) byte ^= 0x5A;
  const OSStatus status = Restore(host, foreign);
  if (status == noErr) return Fail("a state with another subtype was accepted");
  if (!(error = CopyState(host, after)).empty()) return Fail(error);
  if (!SameState(own, after)) return Fail("the refused state changed the unit");
  AUPresetContents truncated = own;
  truncated.data.resize(truncated.data.size() / 2);
  if (Restore(host, truncated) == noErr) return Fail("a state with truncated data was accepted");
  return Pass(DescribeStatus(status));
}

CheckOutcome CheckNoiseOutputClean(ValidateContext& context, int)
{
  // The unit's own switches pick its signal paths: one pass with every switch (indexed parameter)
  // at its maximum, then one more per switch with that one at its minimum.
  std::vector<ParameterDescription> switches;
  {
    ComponentHost probe;
    std::vector<ParameterDescription> params;
    std::string error;
    if (!PrepareHost(context, probe, Stereo(44100, 512), error)) return Fail(error);
    if (!DescribeParameters(probe, params, error)) return Fail(error);
    for (const ParameterDescription& p : params)
      if (p.info.unit == kAudioUnitParameterUnit_Indexed || p.info.unit == kAudioUnitParameterUnit_Boolean)
        switches.push_back(p);
  }
  // Loud noise, then silence: filters ringing down into silence are where denormals appear.
  for (size_t pass = 0; pass <= switches.size(); ++pass) {
    ComponentHost host;
    std::string error;
    if (!PrepareHost(context, host, Stereo(44100, 512), error)) return Fail(error);
    Noise noise(context.seed + static_cast<std::uint32_t>(pass));
    if (!(error = Randomize(host, noise)).empty()) return Fail(error);
    std::string setting = "every switch at its maximum";
    for (size_t i = 0; i < switches.size(); ++i) {
      const bool low = i + 1 == pass;
      host.SetParameter(switches[i].id, low ? switches[i].info.minValue : switches[i].info.maxValue);
      if (low) setting = "\"" + switches[i].name + "\" at its minimum";
    }
    Planar in(2, 512), out(2, 512);
    for (int block = 0; block < 260; ++block) { // 2 s of noise, 1 s of silence
      const bool loud = block < 172;
      for (auto& channel : in.data) {
        if (loud)
          noise.Fill(channel.data(), 512, 1.0f);
        else
          std::fill(channel.begin(), channel.end(), 0.0f);
      }
      const OSStatus status = host.Render(in.in.data(), out.out.data(), 512);
      if (status != noErr) return Fail("render: " + DescribeStatus(status));
      const std::string bad = FindBadSample(out, 2, 512);
      if (!bad.empty()) return Fail(setting + ", block " + std::to_string(block) + ": " + bad);
    }
  }
  return Pass(std::to_string(switches.size() + 1) + " settings of the switches");
}

CheckOutcome CheckRenderWhileSettingParameters(ValidateContext& context, int)
{
  ComponentHost host;
  std::string error;
  if (!PrepareHost(context, host, Stereo(44100, 256), error)) return Fail(error);
  std::vector<ParameterDescription> params;
  if (!DescribeParameters(host, params, error)) return Fail(error);
  std::atomic<bool> rendering{true};
  std::atomic<int> setFailures{0};
  std::thread setter([&] {
    Noise noise(context.seed);
    while (rendering.load()) {
      for (const ParameterDescription& p : params) {
        const double v = p.info.minValue + noise.Unit() * (static_cast<double>(p.info.maxValue) - p.info.minValue);
        if (host.SetParameter(p.id, static_cast<float>(v)) != noErr) ++setFailures;
      }
    }
  });
  Noise noise(context.seed + 7);
  Planar in(2, 256), out(2, 256);
  std::string renderError;
  for (int block = 0; block < 400 && renderError.empty(); ++block) {
    for (auto& channel : in.data) noise.Fill(channel.data(), 256, 0.5f);
    const OSStatus status = host.Render(in.in.data(), out.out.data(), 256);
    if (status != noErr)
      renderError = "render: " + DescribeStatus(status);
    else
      renderError = FindBadSample(out, 2, 256);
  }
  rendering = false;
  setter.join();
  if (!renderError.empty()) return Fail(renderError);
  if (setFailures) return Fail(std::to_string(setFailures.load()) + " parameter changes refused");
  // Both threads are done: a value set now reads back unchanged.
  for (const ParameterDescription& p : params) {
    host.SetParameter(p.id, p.info.maxValue);
    AudioUnitParameterValue back = NAN;
    host.GetParameter(p.id, back);
    if (back != p.info.maxValue) return Fail("parameter " + std::to_string(p.id) + " reads " + std::to_string(back));
  }
  return Pass();
}
