// DirectEngine: runs a Brindle object in-process, feeding it exactly as the Audio Unit adapter
// does: float buffers attached to the plug-in base (converted to double, unconnected inputs read
// zeros), ProcessDoubleReplacing, and the result converted back to float.
#include "tools/RenderEngine.h"

#include "BrindleIdentity.h"
#include "au/AUPlugFactory.h"
#include "effect/Brindle.h"

namespace {

class DirectEngine final : public IRenderEngine
{
public:
  bool Open(const RenderFormat& format, std::string& error) override
  {
    if (!CheckRenderFormat(format, error)) return false;
    mPlug = std::make_unique<Brindle>(MakeAUInstanceInfo<BrindleIdentity>());
    mChannels = format.channels;
    mPlug->SetSampleRate(format.sampleRate);
    mPlug->SetInputChannelConnections(0, mPlug->NInChannels(), false);
    mPlug->SetOutputChannelConnections(0, mPlug->NOutChannels(), false);
    mPlug->SetInputChannelConnections(0, mChannels, true);
    mPlug->SetOutputChannelConnections(0, mChannels, true);
    mPlug->SetBlockSize(format.maxFrames);
    mPlug->ZeroScratchBuffers();
    mPlug->Reset();
    mPlug->OnParamReset();
    return true;
  }

  bool SetParam(int index, double value, std::string& error) override
  {
    IParam* param = mPlug ? mPlug->GetParam(index) : nullptr;
    if (!param) {
      error = "no such parameter";
      return false;
    }
    // A host hands parameter values over as 32-bit floats; round the same way so that this engine
    // and the component give the same output.
    param->Set(static_cast<float>(value));
    mPlug->OnParamChange(index);
    return true;
  }

  bool Render(const float* const* in, float* const* out, int frames, std::string& error) override
  {
    if (!mPlug || frames < 0 || frames > mPlug->GetBlockSize()) {
      error = "render block larger than the prepared size";
      return false;
    }
    mPlug->AttachInputBuffers(0, mChannels, const_cast<float**>(in), frames);
    mPlug->AttachOutputBuffers(0, mChannels, const_cast<float**>(out));
    mPlug->ProcessBuffers(0.0f, frames);
    return true;
  }

private:
  std::unique_ptr<Brindle> mPlug;
  int mChannels = 0;
};

} // namespace

std::unique_ptr<IRenderEngine> MakeDirectEngine()
{
  return std::make_unique<DirectEngine>();
}
