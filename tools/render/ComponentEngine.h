// The render engine that drives Brindle through its Audio Unit component, as a host does: the
// bundle is loaded, an instance opened and configured (stream formats, maximum frames, sample
// rate, render callback), optionally given a saved state, initialized, and each block goes through
// AudioUnitRender; settings arrive as set-parameter calls. Its output is bit-identical to the
// direct engine's for the same input and the same (single-precision) parameter values.
#pragma once

#include "tools/files/AUPresetFile.h"
#include "tools/render/RenderEngine.h"

#include <memory>
#include <optional>
#include <string>

struct ComponentEngineOptions
{
  std::string bundlePath;                 // resolved bundle folder
  std::optional<AUPresetContents> preset; // restored before any setting when present
};

std::unique_ptr<IRenderEngine> MakeComponentEngine(const ComponentEngineOptions& options);
