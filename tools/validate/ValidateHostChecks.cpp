// Validation of what the strictest hosts try: selecting each factory preset, the writable flag of
// automatable parameters, NaN, infinite and out-of-range parameter values, state dictionaries of
// random bytes, formats read back after they are set, every readable property, and a live
// instance reconfigured and rendering correctly after.
#include "tools/validate/ValidateChecks.h"

#include "tools/files/AUPresetFile.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

using namespace validate;

namespace {

std::string Label(const ParameterDescription& p)
{
  return std::to_string(p.id) + " \"" + p.name + "\"";
}

// Every parameter's name and value, for a failure message: "(Level 0.5, Attack 1)".
std::string ParameterValues(ComponentHost& host)
{
  std::vector<ParameterDescription> params;
  std::string error;
  if (!DescribeParameters(host, params, error)) return "";
  std::string text;
  for (const ParameterDescription& p : params) {
    AudioUnitParameterValue value = NAN;
    host.GetParameter(p.id, value);
    char number[32];
    std::snprintf(number, sizeof number, "%.9g", static_cast<double>(value));
    text += (text.empty() ? "(" : ", ") + p.name + " " + number;
  }
  return text.empty() ? text : text + ")";
}

// Every parameter reads a finite value within its range; "" when so.
std::string ParametersInRange(ComponentHost& host)
{
  std::vector<ParameterDescription> params;
  std::string error;
  if (!DescribeParameters(host, params, error)) return error;
  for (const ParameterDescription& p : params) {
    AudioUnitParameterValue v = NAN;
    host.GetParameter(p.id, v);
    if (!std::isfinite(v) || v < p.info.minValue || v > p.info.maxValue)
      return Label(p) + " reads " + std::to_string(v);
  }
  return "";
}

// A block of noise renders to finite, normal output; "" when so.
std::string RendersClean(ComponentHost& host, std::uint32_t seed, int channels = 2, bool allowSubnormal = false)
{
  Noise noise(seed);
  Planar in(channels, 256), out(channels, 256);
  for (auto& channel : in.data) noise.Fill(channel.data(), 256, 0.5f);
  const OSStatus status = host.Render(in.in.data(), out.out.data(), 256);
  if (status != noErr) return "render: " + DescribeStatus(status);
  return FindBadSample(out, channels, 256, allowSubnormal);
}

std::string PresetName(ComponentHost& host, int& number)
{
  AUPreset preset{-1, nullptr};
  host.Get(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, preset);
  number = preset.presetNumber;
  const std::string name = StringFromCF(preset.presetName);
  if (preset.presetName) CFRelease(preset.presetName);
  return name;
}

// Releases the objects a property reply hands to the host.
void ReleaseReply(AudioUnitPropertyID id, std::vector<unsigned char>& bytes)
{
  auto release = [&](size_t offset) {
    CFTypeRef object = nullptr;
    if (bytes.size() >= offset + sizeof object) std::memcpy(&object, bytes.data() + offset, sizeof object);
    if (object) CFRelease(object);
  };
  switch (id) {
  case kAudioUnitProperty_ClassInfo:
  case kAudioUnitProperty_ParameterValueStrings:
  case kAudioUnitProperty_FactoryPresets:
  case kAudioUnitProperty_ElementName:
    release(0);
    break;
  case kAudioUnitProperty_CurrentPreset:
  case kAudioUnitProperty_PresentPreset:
    release(offsetof(AUPreset, presetName));
    break;
  case kAudioUnitProperty_CocoaUI:
    release(offsetof(AudioUnitCocoaViewInfo, mCocoaAUViewBundleLocation));
    release(offsetof(AudioUnitCocoaViewInfo, mCocoaAUViewClass));
    break;
  case kAudioUnitProperty_ParameterInfo: {
    AudioUnitParameterInfo info;
    std::memcpy(&info, bytes.data(), sizeof info);
    ReleaseParameterInfoNames(info);
    break;
  }
  default:
    break;
  }
}

} // namespace

CheckOutcome CheckFactoryPresets(ValidateContext& context, int)
{
  ComponentHost host;
  std::string error;
  if (!PrepareHost(context, host, Stereo(44100, 512), error)) return Fail(error);
  std::vector<std::pair<int, std::string>> presets;
  OSStatus status = host.FactoryPresets(presets);
  if (status != noErr || presets.empty()) return Fail("no factory presets (" + DescribeStatus(status) + ")");
  for (const auto& [number, name] : presets) {
    AUPreset preset{number, nullptr};
    if ((status = host.Set(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, preset)) != noErr)
      return Fail("selecting preset " + std::to_string(number) + ": " + DescribeStatus(status));
    int current = -1;
    const std::string currentName = PresetName(host, current);
    if (current != number || currentName != name)
      return Fail("selected preset " + std::to_string(number) + " \"" + name + "\", reads " + std::to_string(current) +
                  " \"" + currentName + "\"");
    CFPropertyListRef state = nullptr;
    if ((status = host.CopyClassInfo(state)) != noErr || !state) return Fail("class info: " + DescribeStatus(status));
    AUPresetContents contents;
    const bool ok = AUPresetFromDictionary(static_cast<CFDictionaryRef>(state), contents, error);
    CFRelease(state);
    if (!ok) return Fail(error);
    if (contents.name != name) return Fail("class info names \"" + contents.name + "\", not \"" + name + "\"");
    if (!(error = RendersClean(host, context.seed)).empty()) return Fail(error);
  }
  return Pass(std::to_string(presets.size()) + " presets");
}

CheckOutcome CheckWritableFlags(ValidateContext& context, int)
{
  ComponentHost host;
  std::vector<ParameterDescription> params;
  std::string error;
  if (host.Open(context.component) != noErr) return Fail("open");
  if (!DescribeParameters(host, params, error)) return Fail(error);
  int writable = 0;
  for (const ParameterDescription& p : params) {
    if (!(p.info.flags & kAudioUnitParameterFlag_IsWritable)) continue;
    ++writable;
    // A writable parameter takes a value a host automates it to.
    if (host.SetParameter(p.id, p.info.maxValue) != noErr) return Fail(Label(p) + ": writable but refuses a value");
    AudioUnitParameterValue back = NAN;
    host.GetParameter(p.id, back);
    if (back != p.info.maxValue) return Fail(Label(p) + ": writable but does not keep its value");
  }
  if (writable == 0) return Fail("no parameter can be automated");
  return Pass(std::to_string(writable) + " of " + std::to_string(params.size()) + " writable");
}

CheckOutcome CheckHostileParameterValues(ValidateContext& context, int)
{
  ComponentHost host;
  std::string error;
  if (!PrepareHost(context, host, Stereo(44100, 256), error)) return Fail(error);
  std::vector<ParameterDescription> params;
  if (!DescribeParameters(host, params, error)) return Fail(error);
  const float inf = std::numeric_limits<float>::infinity();
  const float hostile[] = {
      NAN,    -NAN,   inf,  -inf, std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
      1e-45f, -1e30f, 1e30f};
  for (const ParameterDescription& p : params) {
    for (float value : hostile) {
      host.SetParameter(p.id, value); // refusing or clamping are both fine
      if (!(error = ParametersInRange(host)).empty())
        return Fail("after setting " + std::to_string(value) + ": " + error);
      if (!(error = RendersClean(host, context.seed)).empty())
        return Fail(Label(p) + " = " + std::to_string(value) + ": " + error);
    }
    // Unknown parameters and scopes are refused, not answered.
    AudioUnitParameterValue v = 0;
    if (AudioUnitGetParameter(host.Unit(), p.id, kAudioUnitScope_Input, 0, &v) == noErr)
      return Fail(Label(p) + " answered in the input scope");
  }
  AudioUnitParameterValue v = 0;
  if (host.GetParameter(static_cast<AudioUnitParameterID>(params.size() + 1000), v) == noErr ||
      host.SetParameter(static_cast<AudioUnitParameterID>(-1), 0.5f) == noErr)
    return Fail("a parameter that is not listed was answered");
  return Pass();
}

CheckOutcome CheckRandomStateDictionaries(ValidateContext& context, int)
{
  ComponentHost host;
  std::string error;
  if (!PrepareHost(context, host, Stereo(44100, 256), error)) return Fail(error);
  CFPropertyListRef state = nullptr;
  if (host.CopyClassInfo(state) != noErr || !state) return Fail("class info");
  AUPresetContents own;
  const bool ok = AUPresetFromDictionary(static_cast<CFDictionaryRef>(state), own, error);
  CFRelease(state);
  if (!ok) return Fail(error);
  Noise noise(context.seed);
  const int rounds = 20 * context.level;
  int accepted = 0;
  for (int round = 0; round < rounds; ++round) {
    AUPresetContents random = own;
    const size_t size = round % 4 == 0 ? own.data.size() : noise.NextWord() % (2 * own.data.size() + 2);
    random.data.resize(size);
    for (auto& byte : random.data) byte = static_cast<unsigned char>(noise.NextWord());
    if (round % 5 == 1) random.name.assign(noise.NextWord() % 300, static_cast<char>('A' + round % 26));
    CFMutableDictionaryRef dictionary = AUPresetToDictionary(random);
    if (!dictionary) return Fail("could not build a dictionary");
    const OSStatus status = host.RestoreClassInfo(dictionary);
    CFRelease(dictionary);
    accepted += status == noErr;
    if (!(error = ParametersInRange(host)).empty()) return Fail("round " + std::to_string(round) + ": " + error);
    // Random bytes restore any in-range value, tiny ones included, so the output may be scaled into
    // denormals; it must still be finite.
    if (!(error = RendersClean(host, context.seed, 2, true)).empty())
      return Fail("round " + std::to_string(round) + ": " + error + " " + ParameterValues(host));
  }
  return Pass(std::to_string(rounds) + " dictionaries, " + std::to_string(accepted) + " accepted");
}

CheckOutcome CheckFormatsReadBack(ValidateContext& context, int)
{
  const double rates[] = {22050, 44100, 48000, 88200, 96000, 192000};
  ComponentHost host;
  if (host.Open(context.component) != noErr) return Fail("open");
  std::vector<AUChannelInfo> configs;
  host.ChannelConfigurations(configs);
  for (const AUChannelInfo& config : configs) {
    for (double rate : rates) {
      for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output}) {
        const int channels = scope == kAudioUnitScope_Input ? config.inChannels : config.outChannels;
        if (channels <= 0) continue;
        AudioStreamBasicDescription set{};
        set.mSampleRate = rate;
        set.mFormatID = kAudioFormatLinearPCM;
        set.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
        set.mBytesPerPacket = set.mBytesPerFrame = sizeof(float);
        set.mFramesPerPacket = 1;
        set.mChannelsPerFrame = static_cast<UInt32>(channels);
        set.mBitsPerChannel = 32;
        OSStatus status = host.Set(kAudioUnitProperty_StreamFormat, scope, 0, set);
        if (status != noErr)
          return Fail(std::to_string(channels) + " channels at " + std::to_string(rate) +
                      " Hz refused: " + DescribeStatus(status));
        AudioStreamBasicDescription back{};
        status = host.Get(kAudioUnitProperty_StreamFormat, scope, 0, back);
        if (status != noErr || std::memcmp(&set, &back, sizeof set) != 0)
          return Fail(std::to_string(channels) + " channels at " + std::to_string(rate) + " Hz read back as " +
                      std::to_string(back.mChannelsPerFrame) + " channels at " + std::to_string(back.mSampleRate) +
                      " Hz");
      }
    }
  }
  return Pass();
}

CheckOutcome CheckEveryReadableProperty(ValidateContext& context, int)
{
  ComponentHost host;
  std::string error;
  if (!PrepareHost(context, host, Stereo(44100, 512), error)) return Fail(error);
  int read = 0;
  for (AudioUnitPropertyID id = 0; id <= 64; ++id) {
    // Text conversions need a request record filled in; the parameter checks cover them.
    if (id == kAudioUnitProperty_ParameterStringFromValue || id == kAudioUnitProperty_ParameterIDName ||
        id == kAudioUnitProperty_ParameterClumpName || id == kAudioUnitProperty_ParameterValueFromString)
      continue;
    for (AudioUnitScope scope : {kAudioUnitScope_Global, kAudioUnitScope_Input, kAudioUnitScope_Output}) {
      UInt32 size = 0;
      Boolean writable = false;
      if (AudioUnitGetPropertyInfo(host.Unit(), id, scope, 0, &size, &writable) != noErr || size == 0) continue;
      if (size > 1 << 16) return Fail("property " + std::to_string(id) + " reports " + std::to_string(size) + " bytes");
      std::vector<unsigned char> bytes(size, 0);
      UInt32 got = size;
      const OSStatus status = AudioUnitGetProperty(host.Unit(), id, scope, 0, bytes.data(), &got);
      if (status != noErr)
        return Fail("property " + std::to_string(id) + " in scope " + std::to_string(scope) +
                    ": info answered, get refused with " + DescribeStatus(status));
      if (got > size)
        return Fail("property " + std::to_string(id) + " wrote " + std::to_string(got) + " bytes into " +
                    std::to_string(size));
      ReleaseReply(id, bytes);
      ++read;
    }
  }
  return Pass(std::to_string(read) + " properties read");
}

CheckOutcome CheckReconfigureLiveInstance(ValidateContext& context, int)
{
  struct Setup
  {
    double rate;
    int channels;
  };
  const Setup setups[] = {{48000, 2}, {96000, 1}, {44100, 2}, {88200, 1}, {48000, 1}, {44100, 2}};
  ComponentHost live;
  std::string error;
  if (!PrepareHost(context, live, Stereo(44100, 512), error)) return Fail(error);
  if (!(error = RendersClean(live, context.seed)).empty()) return Fail(error);
  for (const Setup& s : setups) {
    const std::string what =
        std::to_string(s.channels) + " channels at " + std::to_string(static_cast<int>(s.rate)) + " Hz";
    live.Uninitialize();
    HostFormat format{s.rate, s.channels, s.channels, 512};
    OSStatus status = live.Configure(format);
    if (status == noErr) status = live.Initialize();
    if (status != noErr) return Fail(what + ": " + DescribeStatus(status));
    Float64 rate = 0;
    live.Get(kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, rate);
    if (rate != s.rate) return Fail(what + ": sample rate reads " + std::to_string(rate));
    // Reconfigured and reset, the unit renders what a fresh unit set up the same way renders.
    ComponentHost fresh;
    if (!PrepareHost(context, fresh, format, error)) return Fail(what + " (fresh): " + error);
    AudioUnitReset(live.Unit(), kAudioUnitScope_Global, 0);
    Noise noise(context.seed);
    Planar in(s.channels, 512), a(s.channels, 512), b(s.channels, 512);
    for (auto& channel : in.data) noise.Fill(channel.data(), 512, 0.5f);
    if ((status = live.Render(in.in.data(), a.out.data(), 512)) != noErr)
      return Fail(what + " render: " + DescribeStatus(status));
    if ((status = fresh.Render(in.in.data(), b.out.data(), 512)) != noErr)
      return Fail(what + " fresh render: " + DescribeStatus(status));
    if (!(error = FindBadSample(a, s.channels, 512)).empty()) return Fail(what + ": " + error);
    for (int c = 0; c < s.channels; ++c)
      if (std::memcmp(a.data[c].data(), b.data[c].data(), 512 * sizeof(float)) != 0)
        return Fail(what + ": output differs from a fresh unit's");
  }
  return Pass();
}
