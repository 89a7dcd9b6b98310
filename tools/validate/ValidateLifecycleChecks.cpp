// Validation: opening and closing, the properties every host reads, channel configurations.
#include "tools/validate/ValidateChecks.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace validate;

namespace {

// Longest acceptable open or close; hosts scan many plug-ins and give up on slow ones.
constexpr double kMaxOpenCloseMs = 1000.0;

double Milliseconds(std::chrono::steady_clock::duration d)
{
  return std::chrono::duration<double, std::milli>(d).count();
}

struct RequiredProperty
{
  const char* name;
  AudioUnitPropertyID id;
  AudioUnitScope scope;
  AudioUnitElement element;
  UInt32 size; // 0: any positive multiple of `unit`
  UInt32 unit;
  bool writable;
};

const RequiredProperty kProperties[] = {
    {"ClassInfo", kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, sizeof(CFPropertyListRef), 0, true},
    {"SampleRate", kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, sizeof(Float64), 0, true},
    {"ParameterList", kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, 0, sizeof(AudioUnitParameterID),
     false},
    {"ParameterInfo", kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, 0, sizeof(AudioUnitParameterInfo), 0,
     false},
    {"StreamFormat (input)", kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0,
     sizeof(AudioStreamBasicDescription), 0, true},
    {"StreamFormat (output)", kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0,
     sizeof(AudioStreamBasicDescription), 0, true},
    {"ElementCount (input)", kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, sizeof(UInt32), 0, false},
    {"ElementCount (output)", kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, sizeof(UInt32), 0, false},
    {"Latency", kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, sizeof(Float64), 0, false},
    {"TailTime", kAudioUnitProperty_TailTime, kAudioUnitScope_Global, 0, sizeof(Float64), 0, false},
    {"SupportedNumChannels", kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, 0,
     sizeof(AUChannelInfo), false},
    {"MaximumFramesPerSlice", kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, sizeof(UInt32), 0,
     true},
    {"BypassEffect", kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, sizeof(UInt32), 0, true},
    {"LastRenderError", kAudioUnitProperty_LastRenderError, kAudioUnitScope_Global, 0, sizeof(OSStatus), 0, false},
    {"FactoryPresets", kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, sizeof(CFArrayRef), 0, false},
    {"PresentPreset", kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, sizeof(AUPreset), 0, true},
    {"FastDispatch (render)", kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect,
     sizeof(void*), 0, false},
};

// What the property's value must satisfy beyond its size; "" when it does. Releases what it gets.
std::string CheckValue(ComponentHost& host, const RequiredProperty& property, std::vector<unsigned char>& bytes)
{
  auto as = [&](auto& value) { std::memcpy(&value, bytes.data(), sizeof value); };
  switch (property.id) {
  case kAudioUnitProperty_ClassInfo:
  case kAudioUnitProperty_FactoryPresets: {
    CFTypeRef object = nullptr;
    as(object);
    if (!object) return "no object returned";
    const bool dictionary = CFGetTypeID(object) == CFDictionaryGetTypeID();
    const bool nonEmptyArray =
        CFGetTypeID(object) == CFArrayGetTypeID() && CFArrayGetCount(static_cast<CFArrayRef>(object)) > 0;
    CFRelease(object);
    if (property.id == kAudioUnitProperty_ClassInfo && !dictionary) return "not a dictionary";
    if (property.id == kAudioUnitProperty_FactoryPresets && !nonEmptyArray) return "not a non-empty array";
    return "";
  }
  case kAudioUnitProperty_SampleRate: {
    Float64 rate = 0;
    as(rate);
    return rate > 0 && std::isfinite(rate) ? "" : "sample rate " + std::to_string(rate);
  }
  case kAudioUnitProperty_Latency:
  case kAudioUnitProperty_TailTime: {
    Float64 seconds = -1;
    as(seconds);
    return seconds >= 0 && std::isfinite(seconds) ? "" : "negative or non-finite: " + std::to_string(seconds);
  }
  case kAudioUnitProperty_StreamFormat: {
    AudioStreamBasicDescription f{};
    as(f);
    if (f.mFormatID != kAudioFormatLinearPCM || !(f.mFormatFlags & kAudioFormatFlagIsFloat) ||
        f.mBitsPerChannel != 32 || f.mChannelsPerFrame < 1)
      return "not 32-bit float linear PCM with channels";
    return "";
  }
  case kAudioUnitProperty_ElementCount: {
    UInt32 count = 0;
    as(count);
    return count >= 1 ? "" : "no buses";
  }
  case kAudioUnitProperty_MaximumFramesPerSlice: {
    UInt32 frames = 0;
    as(frames);
    return frames >= 1 ? "" : "zero frames";
  }
  case kAudioUnitProperty_PresentPreset: {
    AUPreset preset{};
    as(preset);
    if (preset.presetName) CFRelease(preset.presetName);
    return preset.presetName ? "" : "no preset name";
  }
  case kAudioUnitProperty_ParameterInfo: {
    AudioUnitParameterInfo info{};
    as(info);
    const bool named = info.cfNameString != nullptr || info.name[0] != '\0';
    ReleaseParameterInfoNames(info);
    return named ? "" : "no parameter name";
  }
  case kAudioUnitProperty_FastDispatch: {
    void* function = nullptr;
    as(function);
    return function ? "" : "no function";
  }
  default:
    (void)host;
    return "";
  }
}

} // namespace

std::vector<std::string> RequiredPropertyNames()
{
  std::vector<std::string> names;
  for (const RequiredProperty& p : kProperties) names.push_back(p.name);
  return names;
}

CheckOutcome CheckOpenCloseTimes(ValidateContext& context, int)
{
  const auto t0 = std::chrono::steady_clock::now();
  ComponentInstance instance = nullptr;
  const OSErr status = OpenAComponent(context.component, &instance);
  const auto t1 = std::chrono::steady_clock::now();
  if (status != noErr || !instance) return Fail("open: " + DescribeStatus(status));
  const OSErr closed = CloseComponent(instance);
  const auto t2 = std::chrono::steady_clock::now();
  if (closed != noErr) return Fail("close: " + DescribeStatus(closed));
  const double openMs = Milliseconds(t1 - t0), closeMs = Milliseconds(t2 - t1);
  char note[96];
  std::snprintf(note, sizeof note, "open %.3f ms, close %.3f ms", openMs, closeMs);
  if (openMs > kMaxOpenCloseMs || closeMs > kMaxOpenCloseMs)
    return Fail(std::string(note) + " (limit " + std::to_string(static_cast<int>(kMaxOpenCloseMs)) + " ms)");
  return Pass(note);
}

CheckOutcome CheckRepeatedOpenClose(ValidateContext& context, int cycles)
{
  const long before = CountComponentInstances(context.component);
  for (int i = 0; i < cycles; ++i) {
    ComponentInstance instance = nullptr;
    const OSErr status = OpenAComponent(context.component, &instance);
    if (status != noErr || !instance) return Fail("open " + std::to_string(i + 1) + ": " + DescribeStatus(status));
    if (GetComponentVersion(instance) <= 0) {
      CloseComponent(instance);
      return Fail("cycle " + std::to_string(i + 1) + ": no version");
    }
    const OSErr closed = CloseComponent(instance);
    if (closed != noErr) return Fail("close " + std::to_string(i + 1) + ": " + DescribeStatus(closed));
  }
  const long after = CountComponentInstances(context.component);
  if (after != before) return Fail(std::to_string(after - before) + " instances left open");
  return Pass();
}

CheckOutcome CheckRequiredProperty(ValidateContext& context, int index)
{
  const RequiredProperty& property = kProperties[index];
  ComponentHost host;
  const OSStatus opened = host.Open(context.component);
  if (opened != noErr) return Fail("open: " + DescribeStatus(opened));
  UInt32 size = 0;
  Boolean writable = false;
  OSStatus status =
      AudioUnitGetPropertyInfo(host.Unit(), property.id, property.scope, property.element, &size, &writable);
  if (status != noErr) return Fail("property info: " + DescribeStatus(status));
  if (property.size ? size != property.size : (size == 0 || size % property.unit != 0))
    return Fail("reported size " + std::to_string(size));
  if (property.writable && !writable) return Fail("not reported writable");
  std::vector<unsigned char> bytes(size);
  UInt32 got = size;
  status = AudioUnitGetProperty(host.Unit(), property.id, property.scope, property.element, bytes.data(), &got);
  if (status != noErr) return Fail("get: " + DescribeStatus(status));
  const std::string problem = CheckValue(host, property, bytes);
  return problem.empty() ? Pass() : Fail(problem);
}

CheckOutcome CheckChannelConfigurations(ValidateContext& context, int)
{
  std::vector<AUChannelInfo> reported;
  {
    ComponentHost host;
    const OSStatus opened = host.Open(context.component);
    if (opened != noErr) return Fail("open: " + DescribeStatus(opened));
    const OSStatus status = host.ChannelConfigurations(reported);
    if (status != noErr) return Fail("SupportedNumChannels: " + DescribeStatus(status));
    if (reported.empty()) return Fail("no configuration reported");
  }
  auto matches = [&](int in, int out) {
    for (const AUChannelInfo& c : reported)
      if ((c.inChannels == -1 || c.inChannels == in) && (c.outChannels == -1 || c.outChannels == out)) return true;
    return false;
  };
  std::string accepted;
  for (int in = 1; in <= 3; ++in)
    for (int out = 1; out <= 3; ++out) {
      const std::string pair = std::to_string(in) + "-" + std::to_string(out);
      HostFormat format{44100.0, in, out, 512};
      ComponentHost host;
      std::string error;
      const bool ok = PrepareHost(context, host, format, error);
      if (ok != matches(in, out))
        return Fail(pair + (ok ? " accepted but not reported" : " reported but refused (" + error + ")"));
      if (!ok) continue;
      Planar audio(std::max(in, out), 64);
      Noise noise(context.seed);
      for (int c = 0; c < in; ++c) noise.Fill(audio.data[static_cast<size_t>(c)].data(), 64, 0.5f);
      Planar result(out, 64);
      const OSStatus status = host.Render(audio.in.data(), result.out.data(), 64);
      if (status != noErr) return Fail(pair + " render: " + DescribeStatus(status));
      const std::string bad = FindBadSample(result, out, 64);
      if (!bad.empty()) return Fail(pair + ": " + bad);
      accepted += (accepted.empty() ? "" : " ") + pair;
    }
  return Pass("accepted " + accepted);
}
