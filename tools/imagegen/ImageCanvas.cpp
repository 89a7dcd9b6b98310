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

ImageCanvas::ImageCanvas(int width, int height, int scale)
    : mScale(scale > 0 ? scale : 1), mBitmap(width * mScale, height * mScale)
{
  // A memory context starts zeroed: every pixel transparent.
  if (HDC__* dc = mBitmap.getDC()) SetBkMode(dc, TRANSPARENT);
}

std::vector<POINT> ImageCanvas::S(const std::vector<POINT>& points) const
{
  std::vector<POINT> scaled = points;
  for (POINT& p : scaled) {
    p.x = S(p.x);
    p.y = S(p.y);
  }
  return scaled;
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
  const RECT box = {S(l), S(t), S(r), S(b)};
  GDI_FillRect(mBitmap.getDC(), &box, brush);
  DeleteObject(brush);
}

void ImageCanvas::FillEllipse(int l, int t, int r, int b, Rgb color, float alpha)
{
  WithObjects(nullptr, CreateSolidBrushAlpha(ContextColor(color), alpha),
              [&] { Ellipse(mBitmap.getDC(), S(l), S(t), S(r), S(b)); });
}

void ImageCanvas::FillCircle(double cx, double cy, double rad, Rgb color, float alpha)
{
  FillEllipse(static_cast<int>(std::lround(cx - rad)), static_cast<int>(std::lround(cy - rad)),
              static_cast<int>(std::lround(cx + rad)), static_cast<int>(std::lround(cy + rad)), color, alpha);
}

void ImageCanvas::StrokeCircle(double cx, double cy, double rad, int width, Rgb color, float alpha)
{
  // Rounded to the picture's own pixels first, so that every scale draws the same circle.
  WithObjects(CreatePenAlpha(PS_SOLID, S(width), ContextColor(color), alpha), nullptr, [&] {
    Ellipse(mBitmap.getDC(), S(static_cast<int>(std::lround(cx - rad))), S(static_cast<int>(std::lround(cy - rad))),
            S(static_cast<int>(std::lround(cx + rad))), S(static_cast<int>(std::lround(cy + rad))));
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
  WithObjects(nullptr, CreateSolidBrushAlpha(ContextColor(color), alpha), [&] {
    const std::vector<POINT> scaled = S(points);
    GDI_Polygon(mBitmap.getDC(), scaled.data(), static_cast<int>(scaled.size()));
  });
}

void ImageCanvas::Polyline(const std::vector<POINT>& points, int width, Rgb color, float alpha)
{
  WithObjects(CreatePenAlpha(PS_SOLID, S(width), ContextColor(color), alpha), nullptr, [&] {
    const std::vector<POINT> scaled = S(points);
    const int count = static_cast<int>(scaled.size());
    PolyPolyline(mBitmap.getDC(), scaled.data(), &count, 1);
  });
}

void ImageCanvas::VerticalGradient(int l, int t, int r, int b, Rgb top, Rgb bottom)
{
  l = S(l);
  t = S(t);
  r = S(r);
  b = S(b);
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
  HGDIOBJ__* font = GDI_CreateFontFromFile(fontFile, S(size), ANTIALIASED_QUALITY);
  if (!dc || !font) {
    DeleteObject(font);
    return -1;
  }
  HGDIOBJ__* previous = SelectObject(dc, font);
  SetTextColor(dc, ContextColor(color));
  RECT measure = box;
  GDI_DrawText(dc, text, -1, &measure, format | TEXT_CALCRECT);
  int width = measure.right - measure.left;
  if (mScale == 1 || !(format & TEXT_SINGLELINE)) {
    box = RECT{S(box.left), S(box.top), S(box.right), S(box.bottom)};
    GDI_DrawText(dc, text, -1, &box, format & ~TEXT_CALCRECT);
  } else {
    // The larger font is not exactly the 1x font enlarged (hinting, rounded metrics), so the line is
    // centred on where the 1x line lies, scaled, rather than placed in the box afresh: the lettering
    // then sits where the 1x picture has it.
    const RECT line = LineBox(fontFile, size, text, box, format);
    const int w = measure.right - measure.left, h = measure.bottom - measure.top;
    RECT at = {S(line.left) + (S(line.right - line.left) - w) / 2, S(line.top) + (S(line.bottom - line.top) - h) / 2,
               S(box.right), S(box.bottom)};
    at.right = std::max(at.right, at.left + w);
    at.bottom = std::max(at.bottom, at.top + h);
    GDI_DrawText(dc, text, -1, &at,
                 (format & ~(TEXT_CALCRECT | TEXT_CENTER | TEXT_RIGHT | TEXT_VCENTER | TEXT_BOTTOM)) | TEXT_NOCLIP);
    width = line.right - line.left;
  }
  SelectObject(dc, previous);
  DeleteObject(font);
  return mScale == 1 ? width : (format & TEXT_SINGLELINE) ? width : (width + mScale / 2) / mScale;
}

RECT ImageCanvas::LineBox(const char* fontFile, int size, const char* text, RECT box, int format)
{
  RECT measure = {0, 0, 0, 0};
  HDC__* dc = mBitmap.getDC();
  HGDIOBJ__* font = GDI_CreateFontFromFile(fontFile, size, ANTIALIASED_QUALITY);
  if (dc && font) {
    HGDIOBJ__* previous = SelectObject(dc, font);
    GDI_DrawText(dc, text, -1, &measure, (format | TEXT_CALCRECT) & ~(TEXT_CENTER | TEXT_RIGHT | TEXT_VCENTER));
    SelectObject(dc, previous);
  }
  DeleteObject(font);
  // Placed in the box as the drawing context places a line.
  const long long w = measure.right - measure.left, h = measure.bottom - measure.top;
  long long x = box.left, y = box.top;
  if (format & TEXT_RIGHT)
    x = static_cast<long long>(box.right) - w;
  else if (format & TEXT_CENTER)
    x += (static_cast<long long>(box.right) - box.left) / 2 - w / 2;
  if (format & TEXT_BOTTOM)
    y = static_cast<long long>(box.bottom) - h;
  else if (format & TEXT_VCENTER)
    y += (static_cast<long long>(box.bottom) - box.top) / 2 - h / 2;
  return RECT{static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + w), static_cast<int>(y + h)};
}

int ImageCanvas::TextWidth(const char* fontFile, int size, const char* text)
{
  // Measured with the 1x font at every scale: layout decisions taken from widths (a size that fits)
  // must come out the same in every set, whatever the larger font's unhinted widths say.
  HDC__* dc = mBitmap.getDC();
  HGDIOBJ__* font = GDI_CreateFontFromFile(fontFile, size, ANTIALIASED_QUALITY);
  if (!dc || !font) {
    DeleteObject(font);
    return -1;
  }
  HGDIOBJ__* previous = SelectObject(dc, font);
  RECT measure = {0, 0, 0, 0};
  GDI_DrawText(dc, text, -1, &measure, TEXT_CALCRECT | TEXT_SINGLELINE | TEXT_NOPREFIX);
  SelectObject(dc, previous);
  DeleteObject(font);
  return measure.right - measure.left;
}

void ImageCanvas::Shade(int l, int t, int r, int b, const std::function<double(double, double)>& light)
{
  Raster_PixelWord* bits = mBitmap.getBits();
  if (!bits) return;
  l = std::max(S(l), 0);
  t = std::max(S(t), 0);
  r = std::min(S(r), mBitmap.getWidth());
  b = std::min(S(b), mBitmap.getHeight());
  const double k = mScale;
  for (int y = t; y < b; y++) {
    Raster_PixelWord* row = Raster_ImageRow(&mBitmap, bits, y);
    for (int x = l; x < r; x++) {
      const Raster_PixelWord p = row[x];
      const int a = Raster_GetA(p);
      if (!a) continue;
      const double f = light((x + 0.5) / k, (y + 0.5) / k);
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
  const RECT clip = {S(l), S(t), S(r), S(b)};
  GDI_SetClipRegion(dc, &clip);
  draw();
  GDI_PopClipRegion(dc);
}

void ImageCanvas::ToStraightAlpha()
{
  Raster_PixelWord* bits = mBitmap.getBits();
  if (!bits) return;
  for (int y = 0; y < mBitmap.getHeight(); y++) {
    Raster_PixelWord* row = Raster_ImageRow(&mBitmap, bits, y);
    for (int x = 0; x < mBitmap.getWidth(); x++) {
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
