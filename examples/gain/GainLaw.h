// GainLaw: what the Gain plug-in does to a signal, as plain numbers, so that the plug-in, its tools
// and its tests share one definition.
//
// "Gain" is in decibels; "Pan" runs from -100 (hard left) through 0 to 100 (hard right). Stereo uses
// the constant-power (-3 dB) pan law: with theta = (pan / 100 + 1) * pi / 4 the left channel is
// scaled by gain * cos(theta) and the right by gain * sin(theta), so left^2 + right^2 stays gain^2
// wherever the pan is, and each side sits 3 dB down at the centre. A single channel has nothing to
// pan and is scaled by the gain alone.
#pragma once

#include <algorithm>
#include <cmath>

struct GainChannelGains
{
  double left = 1.0;
  double right = 1.0;
  double mono = 1.0;
};

namespace GainLaw {
constexpr double kMinDb = -60.0;
constexpr double kMaxDb = 12.0;
constexpr double kMaxPan = 100.0;

inline double DbToLinear(double db)
{
  return std::pow(10.0, db / 20.0);
}

// Out-of-range settings are held at the nearest end; callers never pass NaN (the parameters clamp
// and the plug-in ignores non-finite values).
inline GainChannelGains Gains(double gainDb, double pan)
{
  const double linear = DbToLinear(std::clamp(gainDb, kMinDb, kMaxDb));
  const double theta = (std::clamp(pan, -kMaxPan, kMaxPan) / kMaxPan + 1.0) * (M_PI / 4.0);
  GainChannelGains g;
  g.left = linear * std::cos(theta);
  g.right = linear * std::sin(theta);
  g.mono = linear;
  return g;
}
} // namespace GainLaw
