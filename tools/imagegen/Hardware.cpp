// Shared metal parts and lighting: screws and the dome light every round part is shaded with.
#include "tools/imagegen/PedalArt.h"

#include <algorithm>
#include <cmath>

double DomeLight(double x, double y, double cx, double cy, double radius, double strength)
{
  const double dx = (x - cx) / radius, dy = (y - cy) / radius;
  // Towards the upper left brightens, towards the lower right darkens; the rim falls off a little.
  const double toward = -(dx + dy) * 0.7071;
  const double rim = std::min(1.0, dx * dx + dy * dy);
  return 1.0 + strength * toward - 0.25 * strength * rim;
}

double InDisc(double x, double y, double cx, double cy, double radius)
{
  const double d = std::hypot(x - cx, y - cy);
  return std::max(0.0, std::min(1.0, radius + 0.5 - d));
}

void ShadeDisc(ImageCanvas& canvas, double cx, double cy, double radius, double strength)
{
  const int l = static_cast<int>(std::floor(cx - radius - 1)), t = static_cast<int>(std::floor(cy - radius - 1));
  const int r = static_cast<int>(std::ceil(cx + radius + 1)), b = static_cast<int>(std::ceil(cy + radius + 1));
  canvas.Shade(l, t, r, b, [&](double x, double y) {
    return 1.0 + (DomeLight(x, y, cx, cy, radius, strength) - 1.0) * InDisc(x, y, cx, cy, radius);
  });
}

void DrawScrew(ImageCanvas& canvas, double cx, double cy, double radius, double degrees)
{
  using namespace Palette;
  canvas.FillCircle(cx + 0.5, cy + 1.0, radius + 1.0, kBlack, 0.35f);
  canvas.FillCircle(cx, cy, radius, kChrome.Scaled(0.85));
  ShadeDisc(canvas, cx, cy, radius, 0.45);
  const double a = degrees * M_PI / 180.0, dx = std::cos(a) * (radius - 1.0), dy = std::sin(a) * (radius - 1.0);
  const std::vector<POINT> slot = {
      {static_cast<int>(std::lround(cx - dx - 0.5)), static_cast<int>(std::lround(cy - dy - 0.5))},
      {static_cast<int>(std::lround(cx + dx - 0.5)), static_cast<int>(std::lround(cy + dy - 0.5))}};
  canvas.Polyline(slot, 1, kBlack, 0.75f);
}
