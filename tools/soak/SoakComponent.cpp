#include "tools/soak/SoakComponent.h"

#include "tools/files/AUPresetFile.h"

namespace {

bool Fail(const std::string& what, OSStatus status, std::string& error)
{
  error = what + ": " + DescribeStatus(status);
  return false;
}

// Two class-info dictionaries hold the same state: identity, name and data byte for byte.
bool SameState(CFPropertyListRef a, CFPropertyListRef b, std::string& error)
{
  AUPresetContents x, y;
  if (!AUPresetFromDictionary(static_cast<CFDictionaryRef>(a), x, error) ||
      !AUPresetFromDictionary(static_cast<CFDictionaryRef>(b), y, error))
    return false;
  if (x.version != y.version || x.type != y.type || x.subtype != y.subtype || x.manufacturer != y.manufacturer) {
    error = "the class info's identity changed";
    return false;
  }
  if (x.name != y.name) {
    error = "the class info's name reads \"" + y.name + "\", not \"" + x.name + "\"";
    return false;
  }
  if (x.data != y.data) {
    size_t at = 0;
    while (at < x.data.size() && at < y.data.size() && x.data[at] == y.data[at]) ++at;
    error = "the class info's data differs from byte " + std::to_string(at) + " on (" + std::to_string(y.data.size()) +
            " bytes read back, " + std::to_string(x.data.size()) + " restored)";
    return false;
  }
  return true;
}

} // namespace

SoakComponent::~SoakComponent() = default;

bool SoakComponent::Open(const std::string& bundle, double rate, int maxFrames, std::string& error)
{
  Component component = nullptr;
  if (!LoadBrindleComponent(bundle, component, error)) return false;
  OSStatus status = mHost.Open(component);
  if (status != noErr) return Fail("cannot open the component", status, error);
  HostFormat format;
  format.sampleRate = rate;
  format.inChannels = format.outChannels = 2;
  format.maxFrames = maxFrames;
  if ((status = mHost.Configure(format)) != noErr)
    return Fail("the component refused the stream set-up", status, error);
  if ((status = mHost.Initialize()) != noErr) return Fail("the component did not initialize", status, error);

  std::vector<AudioUnitParameterID> ids;
  if ((status = mHost.ParameterList(ids)) != noErr) return Fail("parameter list", status, error);
  for (AudioUnitParameterID id : ids) {
    AudioUnitParameterInfo info{};
    if ((status = mHost.Get(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, info)) != noErr)
      return Fail("parameter " + std::to_string(id) + " info", status, error);
    SoakParameter p;
    p.id = id;
    p.name = info.cfNameString ? StringFromCF(info.cfNameString) : std::string(info.name);
    ReleaseParameterInfoNames(info);
    p.minimum = info.minValue;
    p.maximum = info.maxValue;
    p.stepped = info.unit == kAudioUnitParameterUnit_Indexed || info.unit == kAudioUnitParameterUnit_Boolean;
    mParameters.push_back(p);
  }
  if (mParameters.empty()) {
    error = "the component lists no parameters";
    return false;
  }
  return true;
}

bool SoakComponent::Render(const float* const* in, float* const* out, int frames, std::string& error)
{
  const OSStatus status = mHost.Render(in, out, frames);
  return status == noErr || Fail("render of " + std::to_string(frames) + " frames", status, error);
}

bool SoakComponent::Automate(const SoakParameter& parameter, float value, std::string& error)
{
  std::lock_guard<std::mutex> lock(mGate);
  OSStatus status = mHost.SetParameter(parameter.id, value);
  if (status != noErr) return Fail("set \"" + parameter.name + "\" to " + std::to_string(value), status, error);
  AudioUnitParameterValue back = 0.0f;
  if ((status = mHost.GetParameter(parameter.id, back)) != noErr)
    return Fail("read \"" + parameter.name + "\"", status, error);
  if (back != value) {
    error = "\"" + parameter.name + "\" set to " + std::to_string(value) + " reads " + std::to_string(back);
    return false;
  }
  return true;
}

bool SoakComponent::CopyState(CFPropertyListRef& out, std::string& error)
{
  const OSStatus status = mHost.CopyClassInfo(out);
  if (status == noErr && out) return true;
  if (out) CFRelease(out);
  out = nullptr;
  return Fail("class info", status == noErr ? kAudioUnitErr_InvalidPropertyValue : status, error);
}

bool SoakComponent::StateRoundTrip(CFPropertyListRef& previous, bool& changed, std::string& error)
{
  CFPropertyListRef now = nullptr, before = nullptr, after = nullptr;
  if (!CopyState(now, error)) return false;
  bool ok = false;
  {
    std::lock_guard<std::mutex> lock(mGate);
    if (CopyState(before, error)) {
      const OSStatus status = mHost.RestoreClassInfo(previous);
      ok = status == noErr ? CopyState(after, error) : Fail("restoring the class info", status, error);
    }
  }
  if (ok) ok = SameState(previous, after, error);
  if (ok) {
    std::string same;
    changed = !SameState(previous, before, same);
  } else {
    error = "state round trip: " + error;
  }
  for (CFPropertyListRef p : {before, after})
    if (p) CFRelease(p);
  CFRelease(previous);
  previous = now;
  return ok;
}
