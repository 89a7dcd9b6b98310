// ComponentEngine: IRenderEngine over ComponentHost.
#include "tools/render/ComponentEngine.h"

#include "tools/host/ComponentHost.h"

namespace {

class ComponentEngine final : public IRenderEngine
{
public:
  explicit ComponentEngine(const ComponentEngineOptions& options) : mOptions(options) {}

  bool Open(const RenderFormat& format, std::string& error) override
  {
    if (!CheckRenderFormat(format, error)) return false;
    Component component = nullptr;
    if (!LoadBrindleComponent(mOptions.bundlePath, component, error)) return false;
    OSStatus status = mHost.Open(component);
    if (status != noErr) return Fail("cannot open the component", status, error);
    HostFormat hostFormat;
    hostFormat.sampleRate = format.sampleRate;
    hostFormat.inChannels = hostFormat.outChannels = format.channels;
    hostFormat.maxFrames = format.maxFrames;
    if ((status = mHost.Configure(hostFormat)) != noErr)
      return Fail("the component refused the stream set-up", status, error);
    if (mOptions.preset && !RestorePreset(*mOptions.preset, error)) return false;
    if ((status = mHost.Initialize()) != noErr) return Fail("the component did not initialize", status, error);
    return true;
  }

  bool SetParam(int index, double value, std::string& error) override
  {
    const OSStatus status =
        mHost.SetParameter(static_cast<AudioUnitParameterID>(index), static_cast<AudioUnitParameterValue>(value));
    return status == noErr || Fail("the component refused parameter " + std::to_string(index), status, error);
  }

  bool Render(const float* const* in, float* const* out, int frames, std::string& error) override
  {
    const OSStatus status = mHost.Render(in, out, frames);
    return status == noErr || Fail("the component failed to render", status, error);
  }

private:
  static bool Fail(const std::string& what, OSStatus status, std::string& error)
  {
    error = what + ": " + DescribeStatus(status);
    return false;
  }

  bool RestorePreset(const AUPresetContents& preset, std::string& error)
  {
    CFMutableDictionaryRef dictionary = AUPresetToDictionary(preset);
    if (!dictionary) {
      error = "out of memory building the preset";
      return false;
    }
    const OSStatus status = mHost.RestoreClassInfo(dictionary);
    CFRelease(dictionary);
    return status == noErr || Fail("the component refused the preset", status, error);
  }

  ComponentEngineOptions mOptions;
  ComponentHost mHost;
};

} // namespace

std::unique_ptr<IRenderEngine> MakeComponentEngine(const ComponentEngineOptions& options)
{
  return std::make_unique<ComponentEngine>(options);
}
