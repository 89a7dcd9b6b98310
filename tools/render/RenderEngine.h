// IRenderEngine: the small interface through which the brindle command drives the effect.
//
// The command reads audio, hands it to an engine block by block in planar 32-bit float (the form a
// host hands an Audio Unit) and writes what comes back. One engine calls the plug-in class
// directly; another can drive the same plug-in through its component interface, and must then
// give identical output. Engines report failures through a one-line message, never by throwing.
#pragma once

#include <memory>
#include <string>

struct RenderFormat
{
  double sampleRate = 44100.0;
  int channels = 2; // 1 or 2
  int maxFrames = 512;
};

class IRenderEngine
{
public:
  virtual ~IRenderEngine() = default;

  // Prepares the engine for blocks of at most format.maxFrames frames.
  virtual bool Open(const RenderFormat& format, std::string& error) = 0;
  // Sets a parameter by index to a real (not normalized) value.
  virtual bool SetParam(int index, double value, std::string& error) = 0;
  // Processes frames (<= maxFrames) from in[channel] into out[channel].
  virtual bool Render(const float* const* in, float* const* out, int frames, std::string& error) = 0;
};

// The formats every engine accepts: mono or stereo at a finite, positive sample rate. False, with
// the message for the user, for any other; engines call this first in Open.
bool CheckRenderFormat(const RenderFormat& format, std::string& error);

// The engine that constructs the Brindle class and calls it directly.
std::unique_ptr<IRenderEngine> MakeDirectEngine();
