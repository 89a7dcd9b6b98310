// Drawing-context shapes and text, raster gradients and per-pixel shading over one bitmap.
#include "tools/imagegen/ImageCanvas.h"

#include "raster/Raster_Fill.h"

#include <algorithm>
#include <cmath>

namespace {

int Channel(double v)
{
  return std::min(255, std::max(0, static_cast<int>(std::lround(v))));
}

int ContextColor(Rgb c)
{
  return GDI_RGB(c.r, c.g, c.b);
}

HGDIOBJ__* const kNoPen = reinterpret_cast<HGDIOBJ__*>(1);
HGDIOBJ__* const kNoBrush = reinterpret_cast<HGDIOBJ__*>(2);

} // namespace

Rgb Rgb::Scaled(double factor) const
{
  return Rgb{Channel(r * factor), Channel(g * factor), Channel(b * factor)};
}

Rgb Rgb::Mix(const Rgb& other, double amount) const
{
  return Rgb{Channel(r + (other.r - r) * amount), Channel(g + (other.g - g) * amount),
             Channel(b + (other.b - b) * amount)};
}

ImageCanvas::ImageCanvas(int width, int height) : mBitmap(width, height)
{
  // A memory context starts zeroed: every pixel transparent.
  if (HDC__* dc = mBitmap.getDC()) SetBkMode(dc, TRANSPARENT);
}

void ImageCanvas::WithObjects(HGDIOBJ__* pen, HGDIOBJ__* brush, const std::function<void()>& draw)
{
  HDC__* dc = mBitmap.getDC();
  if (!dc) return;
  HGDIOBJ__* oldPen = SelectObject(dc, pen ? pen : kNoPen);
  HGDIOBJ__* oldBrush = SelectObject(dc, brush ? brush : kNoBrush);
  draw();
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  if (pen) DeleteObject(pen);
  if (brush) DeleteObject(brush);
}

void ImageCanvas::FillRect(int l, int t, int r, int b, Rgb color, float alpha)
{
  HGDIOBJ__* brush = CreateSolidBrushAlpha(ContextColor(color), alpha);
  const RECT box = {l, t, r, b};
  GDI_FillRect(mBitmap.getDC(), &box, brush);
  DeleteObject(brush);
}

void ImageCanvas::FillEllipse(int l, int t, int r, int b, Rgb color, float alpha)
{
  WithObjects(nullptr, CreateSolidBrushAlpha(ContextColor(color), alpha),
              [&] { Ellipse(mBitmap.getDC(), l, t, r, b); });
}

void ImageCanvas::FillCircle(double cx, double cy, double rad, Rgb color, float alpha)
{
  FillEllipse(static_cast<int>(std::lround(cx - rad)), static_cast<int>(std::lround(cy - rad)),
              static_cast<int>(std::lround(cx + rad)), static_cast<int>(std::lround(cy + rad)), color, alpha);
}

void ImageCanvas::StrokeCircle(double cx, double cy, double rad, int width, Rgb color, float alpha)
{
  WithObjects(CreatePenAlpha(PS_SOLID, width, ContextColor(color), alpha), nullptr, [&] {
    Ellipse(mBitmap.getDC(), static_cast<int>(std::lround(cx - rad)), static_cast<int>(std::lround(cy - rad)),
            static_cast<int>(std::lround(cx + rad)), static_cast<int>(std::lround(cy + rad)));
  });
}

void ImageCanvas::FillRoundRect(int l, int t, int r, int b, int radius, Rgb color, float alpha)
{
  radius = std::max(0, std::min(radius, std::min(r - l, b - t) / 2));
  FillRect(l + radius, t, r - radius, b, color, alpha);
  FillRect(l, t + radius, l + radius, b - radius, color, alpha);
  FillRect(r - radius, t + radius, r, b - radius, color, alpha);
  if (radius == 0) return;
  const int d = 2 * radius;
  // Each corner's quarter circle: the whole circle clipped to the corner square the rectangles leave.
  const int corners[4][2] = {{l, t}, {r - radius, t}, {l, b - radius}, {r - radius, b - radius}};
  for (const auto& c : corners) {
    const int el = c[0] == l ? l : r - d, et = c[1] == t ? t : b - d;
    Clipped(c[0], c[1], c[0] + radius, c[1] + radius, [&] { FillEllipse(el, et, el + d, et + d, color, alpha); });
  }
}

void ImageCanvas::FillPolygon(const std::vector<POINT>& points, Rgb color, float alpha)
{
  WithObjects(nullptr, CreateSolidBrushAlpha(ContextColor(color), alpha),
              [&] { GDI_Polygon(mBitmap.getDC(), points.data(), static_cast<int>(points.size())); });
}

void ImageCanvas::Polyline(const std::vector<POINT>& points, int width, Rgb color, float alpha)
{
  WithObjects(CreatePenAlpha(PS_SOLID, width, ContextColor(color), alpha), nullptr, [&] {
    const int count = static_cast<int>(points.size());
    PolyPolyline(mBitmap.getDC(), points.data(), &count, 1);
  });
}

void ImageCanvas::VerticalGradient(int l, int t, int r, int b, Rgb top, Rgb bottom)
{
  const int h = b - t;
  if (h <= 0 || r <= l) return;
  // Per-row steps reach the bottom colour on the last row.
  const float rows = static_cast<float>(std::max(1, h - 1));
  Raster_GradRect(&mBitmap, l, t, r - l, h, top.r / 255.0f, top.g / 255.0f, top.b / 255.0f, 1.0f, 0, 0, 0, 0,
                  (bottom.r - top.r) / 255.0f / rows, (bottom.g - top.g) / 255.0f / rows,
                  (bottom.b - top.b) / 255.0f / rows, 0, RASTER_BLEND_COPY);
}

int ImageCanvas::Text(const char* fontFile, int size, const char* text, RECT box, Rgb color, int format)
{
  HDC__* dc = mBitmap.getDC();
  HGDIOBJ__* font = GDI_CreateFontFromFile(fontFile, size, ANTIALIASED_QUALITY);
  if (!dc || !font) {
    DeleteObject(font);
    return -1;
  }
  HGDIOBJ__* previous = SelectObject(dc, font);
  SetTextColor(dc, ContextColor(color));
  RECT measure = box;
  GDI_DrawText(dc, text, -1, &measure, format | TEXT_CALCRECT);
  GDI_DrawText(dc, text, -1, &box, format & ~TEXT_CALCRECT);
  SelectObject(dc, previous);
  DeleteObject(font);
  return measure.right - measure.left;
}

int ImageCanvas::TextWidth(const char* fontFile, int size, const char* text)
{
  return Text(fontFile, size, text, RECT{0, 0, 0, 0}, Rgb{}, TEXT_CALCRECT | TEXT_SINGLELINE | TEXT_NOPREFIX);
}

void ImageCanvas::Shade(int l, int t, int r, int b, const std::function<double(double, double)>& light)
{
  Raster_PixelWord* bits = mBitmap.getBits();
  if (!bits) return;
  l = std::max(l, 0);
  t = std::max(t, 0);
  r = std::min(r, Width());
  b = std::min(b, Height());
  for (int y = t; y < b; y++) {
    Raster_PixelWord* row = Raster_ImageRow(&mBitmap, bits, y);
    for (int x = l; x < r; x++) {
      const Raster_PixelWord p = row[x];
      const int a = Raster_GetA(p);
      if (!a) continue;
      const double f = light(x + 0.5, y + 0.5);
      // Premultiplied colour may not exceed its alpha.
      auto scale = [&](int c) { return std::min(a, Channel(c * f)); };
      row[x] = Raster_RGBA(scale(Raster_GetR(p)), scale(Raster_GetG(p)), scale(Raster_GetB(p)), a);
    }
  }
}

void ImageCanvas::Clipped(int l, int t, int r, int b, const std::function<void()>& draw)
{
  HDC__* dc = mBitmap.getDC();
  GDI_PushClipRegion(dc);
  const RECT clip = {l, t, r, b};
  GDI_SetClipRegion(dc, &clip);
  draw();
  GDI_PopClipRegion(dc);
}

void ImageCanvas::ToStraightAlpha()
{
  Raster_PixelWord* bits = mBitmap.getBits();
  if (!bits) return;
  for (int y = 0; y < Height(); y++) {
    Raster_PixelWord* row = Raster_ImageRow(&mBitmap, bits, y);
    for (int x = 0; x < Width(); x++) {
      const int a = Raster_GetA(row[x]);
      if (a == 255) continue;
      if (a == 0) {
        row[x] = 0; // one transparent value, whatever was blended underneath
        continue;
      }
      auto straight = [a](int c) { return std::min(255, (c * 255 + a / 2) / a); };
      row[x] =
          Raster_RGBA(straight(Raster_GetR(row[x])), straight(Raster_GetG(row[x])), straight(Raster_GetB(row[x])), a);
    }
  }
}
