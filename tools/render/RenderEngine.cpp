// The format check shared by the render engines, so both refuse the same streams with the same words.
#include "tools/render/RenderEngine.h"

#include <cmath>

bool CheckRenderFormat(const RenderFormat& format, std::string& error)
{
  if (format.channels < 1 || format.channels > 2) {
    error = "only mono and stereo are supported";
    return false;
  }
  if (!(format.sampleRate > 0.0) || !std::isfinite(format.sampleRate)) {
    error = "invalid sample rate";
    return false;
  }
  return true;
}
