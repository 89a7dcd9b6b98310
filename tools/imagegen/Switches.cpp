// The lamp, the cabinet toggle and the footswitch, each in its two states.
#include "tools/imagegen/PedalArt.h"

#include <cmath>

namespace {

using namespace Palette;

constexpr Rgb kLensDark{92, 12, 10};
constexpr Rgb kLensLit{255, 48, 28};
constexpr Rgb kLensHot{255, 196, 150};

int Round(double v)
{
  return static_cast<int>(std::lround(v));
}

// A regular hexagon (a nut) of the given outer radius.
std::vector<POINT> Hexagon(double cx, double cy, double radius)
{
  std::vector<POINT> points;
  for (int i = 0; i < 6; i++) {
    const double a = (30.0 + 60.0 * i) * M_PI / 180.0;
    points.push_back({Round(cx + radius * std::cos(a)), Round(cy + radius * std::sin(a))});
  }
  return points;
}

} // namespace

void DrawLamp(ImageCanvas& c, bool lit)
{
  const double cx = 13, cy = 13;
  if (lit) {
    // Light spilling past the bezel.
    for (int i = 0; i < 4; i++) c.FillCircle(cx, cy, 13.0 - i * 0.8, kLensLit, 0.16f);
  }
  c.FillCircle(cx + 0.5, cy + 1.0, 10.5, kBlack, 0.45f);
  c.FillCircle(cx, cy, 10, kChrome);
  ShadeDisc(c, cx, cy, 10, 0.5);
  c.FillCircle(cx, cy, 7.5, kBlack, 0.8f);
  c.FillCircle(cx, cy, 7, lit ? kLensLit : kLensDark);
  // The lens is a dome: lit from inside it glows at the centre, unlit it catches the room's light.
  if (lit) {
    c.FillCircle(cx, cy, 4.5, kLensHot.Mix(kLensLit, 0.5), 0.6f);
    c.FillCircle(cx, cy, 2.5, kLensHot, 0.8f);
    c.FillCircle(cx, cy, 10, kLensLit, 0.18f);
  } else {
    ShadeDisc(c, cx, cy, 7, 0.6);
  }
  c.FillEllipse(8, 8, 13, 12, kWhite, lit ? 0.55f : 0.35f);
}

void DrawToggle(ImageCanvas& c, bool on)
{
  const double cx = 24, cy = 12;
  // The nut around the bushing.
  c.FillPolygon(Hexagon(cx + 0.5, cy + 1.5, 9.5), kBlack, 0.4f);
  c.FillPolygon(Hexagon(cx, cy, 9.5), kChrome.Scaled(0.8));
  ShadeDisc(c, cx, cy, 9, 0.5);
  c.FillCircle(cx, cy, 5.5, kChrome.Scaled(0.55));
  ShadeDisc(c, cx, cy, 5.5, 0.6);
  // The bat lever pointing towards the side it is thrown to, with its shadow on the enclosure.
  const double dir = on ? 1.0 : -1.0, tip = cx + dir * 17.0;
  const std::vector<POINT> lever = {{Round(cx), Round(cy - 2.5)},
                                    {Round(tip), Round(cy - 2)},
                                    {Round(tip), Round(cy + 2)},
                                    {Round(cx), Round(cy + 2.5)}};
  std::vector<POINT> shade = lever;
  for (POINT& p : shade) p.y += 2;
  c.FillPolygon(shade, kBlack, 0.35f);
  c.FillCircle(tip + dir * 0.5, cy + 2.0, 4.0, kBlack, 0.35f);
  c.FillPolygon(lever, kChrome);
  c.FillCircle(tip, cy, 4.0, kChrome);
  c.Shade(0, 0, c.Width(), c.Height(), [&](double x, double y) {
    // The lever is a cylinder: bright along its top, dark below; the ball tip is a dome.
    const double across = (y - cy) / 4.0;
    const double along = (x - cx) * dir;
    if (along < 5.5 || std::fabs(across) > 1.2) return 1.0;
    const double tipLight = DomeLight(x, y, tip, cy, 4.0, 0.5);
    const double barLight = 1.15 - 0.35 * across;
    const double t = InDisc(x, y, tip, cy, 4.0);
    return barLight + (tipLight - barLight) * t;
  });
  c.FillCircle(cx, cy, 2.0, kChrome.Scaled(0.9));
}

void DrawFootswitch(ImageCanvas& c, bool pressed)
{
  const double cx = 24, cy = 24;
  c.FillPolygon(Hexagon(cx + 1, cy + 2, 21), kBlack, 0.4f);
  // The nut, its bevelled rim a little darker than its face.
  c.FillPolygon(Hexagon(cx, cy, 21), kChrome.Scaled(0.5));
  c.FillPolygon(Hexagon(cx, cy, 20), kChrome.Scaled(0.85));
  ShadeDisc(c, cx, cy, 21, 0.45);
  // The bushing the plunger rides in.
  c.FillCircle(cx, cy, 16, kChrome.Scaled(0.35));
  c.FillCircle(cx, cy, 15, kBlack, 0.5f);
  // Released the cap stands proud and throws a shadow; pressed it sinks into the bushing: smaller,
  // lower, darker, with no shadow of its own.
  const double capY = pressed ? cy + 1.0 : cy - 1.0, capR = pressed ? 12.5 : 14.0;
  if (!pressed) c.FillCircle(cx + 1.0, cy + 2.0, 14.0, kBlack, 0.55f);
  c.FillCircle(cx, capY, capR, kChrome.Scaled(pressed ? 0.72 : 0.95));
  ShadeDisc(c, cx, capY, capR, pressed ? 0.35 : 0.6);
  // The cap's domed top.
  c.StrokeCircle(cx, capY, capR - 3.0, 1, kWhite, pressed ? 0.12f : 0.3f);
  c.FillEllipse(Round(cx - 8), Round(capY - 9), Round(cx), Round(capY - 4), kWhite, pressed ? 0.2f : 0.45f);
}
