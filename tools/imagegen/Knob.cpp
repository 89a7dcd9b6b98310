// The knob: a black knurled body and a satin cap, lit from the upper left, with a cream pointer.
// The light stays put while the knob turns, so the body and cap are drawn for each frame and only
// the pointer and knurling are turned, by a filtered raster rotation for smooth sub-pixel travel.
#include "tools/imagegen/PedalArt.h"

#include "raster/Raster_Blit.h"
#include "raster/Raster_Fill.h"

#include <cmath>

namespace {

using namespace Palette;

constexpr double kBodyR = 27.0, kCapR = 20.0;
constexpr Rgb kBody{40, 36, 33};
constexpr Rgb kPointer{244, 232, 204};

// A layer of one colour at varying alpha, drawn upright: its colour also fills the transparent
// pixels so that filtering at the edges does not darken.
void MakeLayer(ImageCanvas& layer, Rgb color)
{
  Raster_Clear(&layer.Bitmap(), Raster_RGBA(color.r, color.g, color.b, 0));
}

// Blends an upright layer onto the canvas turned by degrees clockwise about the frame centre.
void BlendTurned(ImageCanvas& canvas, ImageCanvas& layer, double degrees)
{
  const double a = degrees * M_PI / 180.0, s = std::sin(a), co = std::cos(a);
  // Pixel indices sample pixel centres; the frame centre (37.5, 37.5) is index 37.
  // In the bitmaps' own pixels, whatever scale they are drawn at.
  Raster_IBitmap& target = canvas.Bitmap();
  Raster_IBitmap& source = layer.Bitmap();
  const double k = target.getWidth() / 2.0 - 0.5;
  const double u0 = k - k * (co + s), v0 = k - k * (co - s);
  Raster_DeltaBlit(&target, &source, 0, 0, target.getWidth(), target.getHeight(), (float)u0, (float)v0,
                   (float)source.getWidth(), (float)source.getHeight(), co, -s, s, co, 0.0, 0.0, false, 1.0f,
                   RASTER_BLEND_COPY | RASTER_BLEND_FILTER_BILINEAR | RASTER_BLEND_USE_SOURCE_ALPHA);
}

} // namespace

void DrawKnob(ImageCanvas& c, double degrees)
{
  const double cx = c.Width() / 2.0, cy = c.Height() / 2.0;
  // A soft shadow cast down and to the right.
  for (int i = 0; i < 4; i++) c.FillCircle(cx + 1.5, cy + 3.0, kBodyR + 2.5 - i, kBlack, 0.13f);
  c.FillCircle(cx, cy, kBodyR, kBody);
  ShadeDisc(c, cx, cy, kBodyR, 0.5);

  // Knurling: one upright ridge, dealt round the body in 9-degree steps (kept inside the body's
  // opaque part so the filtered edges never reach its rim).
  ImageCanvas knurl(c.Width(), c.Height(), c.Scale());
  MakeLayer(knurl, kWhite);
  knurl.FillRect(37, 12, 38, 15, kWhite, 0.22f);
  for (int i = 0; i < 40; i++) BlendTurned(c, knurl, degrees + i * 9.0);

  // The cap's rim, then its satin face with the cone of reflected light machined caps show.
  c.FillCircle(cx, cy + 0.5, kCapR + 1.0, kBlack, 0.6f);
  c.FillCircle(cx, cy, kCapR, kBody.Scaled(1.35));
  c.Shade(0, 0, c.Width(), c.Height(), [&](double x, double y) {
    const double cover = InDisc(x, y, cx, cy, kCapR);
    if (cover <= 0.0) return 1.0;
    const double angle = std::atan2(y - cy, x - cx);
    const double cone = 0.22 * std::cos(2.0 * (angle + M_PI / 4.0)) - 0.10 * std::sin(angle + M_PI / 4.0);
    return 1.0 + (DomeLight(x, y, cx, cy, kCapR, 0.35) - 1.0 + cone) * cover;
  });
  c.StrokeCircle(cx, cy, kCapR, 1, kWhite, 0.10f);

  ImageCanvas pointer(c.Width(), c.Height(), c.Scale());
  MakeLayer(pointer, kPointer);
  pointer.FillRect(36, 12, 39, 31, kPointer);
  BlendTurned(c, pointer, degrees);
}
