// RenderJob: reads a sound file, runs it through an IRenderEngine in fixed-size blocks and writes
// the result with the input's channel count and sample rate, in the container the output's name or
// type asks for (see AudioFormatChoice.h) and otherwise the input's format. It refuses to write over
// its own input, and reports an input cut short and samples clipped by an integer output.
#pragma once

#include "tools/render/RenderEngine.h"

#include <cstdint>
#include <string>
#include <vector>

struct RenderSettings
{
  // Unset values keep the plug-in's defaults.
  bool hasLevel = false;
  double level = 0.0; // "Level", 0..1
  bool hasAttack = false;
  double attack = 0.0; // "Attack", 0..1
  int effect = -1;     // "Effect": -1 unset, 0 Off, 1 On
  int cabinet = -1;    // "Cabinet": -1 unset, 0 Off, 1 On
  int blockSize = 512;
  bool progress = false; // draw a progress bar on stderr
  std::string type;      // output container name ("wav", "flac"); empty: from the output's name
};

struct RenderStats
{
  std::int64_t frames = 0;
  double seconds = 0.0; // time spent inside the engine
  double sampleRate = 0.0;
  int channels = 0;
  std::int64_t clipped = 0;          // samples beyond full scale written into an integer encoding
  std::vector<std::string> warnings; // things the user should hear about though the render succeeded
};

constexpr int kMaxBlockSize = 1 << 20;

bool RenderFile(const std::string& inPath, const std::string& outPath, const RenderSettings& settings,
                IRenderEngine& engine, RenderStats& stats, std::string& error);
