// Raster fills plus drawing-context text and lines over one bitmap.
#include "tools/plot/FigureCanvas.h"

#include "raster/Raster_Fill.h"

#include <algorithm>

namespace {

struct FontChoice
{
  int pixels;
  int weight;
};
// Indexed by FigureCanvas::TextStyle.
constexpr FontChoice kFontChoices[] = {{11, FW_NORMAL}, {13, FW_NORMAL}, {15, FW_BOLD}, {22, FW_BOLD}};

Raster_PixelWord Pixel(FigureColor c)
{
  return Raster_RGBA(c.r, c.g, c.b, 255);
}

int ContextColor(FigureColor c)
{
  return GDI_RGB(c.r, c.g, c.b);
}

} // namespace

FigureColor FigureColor::Tint(double weight) const
{
  auto mix = [weight](int channel) { return static_cast<int>(255.0 + (channel - 255.0) * weight + 0.5); };
  return FigureColor{mix(r), mix(g), mix(b)};
}

FigureCanvas::FigureCanvas(int width, int height, FigureColor background) : mBitmap(width, height)
{
  static_assert(sizeof kFontChoices / sizeof kFontChoices[0] == kStyleCount, "one font per text style");
  for (int i = 0; i < kStyleCount; ++i)
    mFonts[i] = CreateFont(kFontChoices[i].pixels, 0, 0, 0, kFontChoices[i].weight, 0, 0, 0, 0, 0, 0,
                           ANTIALIASED_QUALITY, 0, "DejaVu Sans");
  if (HDC__* dc = mBitmap.getDC()) SetBkMode(dc, TRANSPARENT);
  FillRect(0, 0, width, height, background);
}

FigureCanvas::~FigureCanvas()
{
  // Nothing may stay selected into the context while its fonts go.
  if (HDC__* dc = mBitmap.getDC()) SelectObject(dc, reinterpret_cast<HGDIOBJ__*>(3));
  for (HGDIOBJ__* font : mFonts) DeleteObject(font);
}

void FigureCanvas::FillRect(int x, int y, int w, int h, FigureColor color, float alpha)
{
  Raster_FillRect(&mBitmap, x, y, w, h, Pixel(color), alpha, RASTER_BLEND_COPY);
}

void FigureCanvas::FrameRect(int x, int y, int w, int h, FigureColor color)
{
  if (w <= 0 || h <= 0) return;
  FillRect(x, y, w, 1, color);
  FillRect(x, y + h - 1, w, 1, color);
  FillRect(x, y, 1, h, color);
  FillRect(x + w - 1, y, 1, h, color);
}

void FigureCanvas::Polyline(const std::vector<POINT>& points, FigureColor color, int width, const RECT* clip)
{
  HDC__* dc = mBitmap.getDC();
  if (!dc || points.size() < 2) return;
  HGDIOBJ__* pen = CreatePen(PS_SOLID, width, ContextColor(color));
  HGDIOBJ__* previous = SelectObject(dc, pen);
  GDI_PushClipRegion(dc);
  if (clip) GDI_SetClipRegion(dc, clip);
  const int count = static_cast<int>(points.size());
  PolyPolyline(dc, points.data(), &count, 1);
  GDI_PopClipRegion(dc);
  SelectObject(dc, previous);
  DeleteObject(pen);
}

int FigureCanvas::TextWidth(const std::string& text, TextStyle style)
{
  HDC__* dc = mBitmap.getDC();
  if (!dc || text.empty()) return 0;
  SelectObject(dc, mFonts[style]);
  RECT r = {0, 0, 0, 0};
  GDI_DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r, TEXT_CALCRECT | TEXT_SINGLELINE | TEXT_NOPREFIX);
  return r.right - r.left;
}

std::string FigureCanvas::Elide(const std::string& text, TextStyle style, int maxWidth)
{
  if (TextWidth(text, style) <= maxWidth) return text;
  const std::string ellipsis = "\xE2\x80\xA6";
  std::string cut = text;
  while (!cut.empty()) {
    // Drop one whole UTF-8 character: its continuation bytes, then its lead byte.
    while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80) cut.pop_back();
    if (!cut.empty()) cut.pop_back();
    if (TextWidth(cut + ellipsis, style) <= maxWidth) break;
  }
  return cut + ellipsis;
}

int FigureCanvas::LineHeight(TextStyle style)
{
  HDC__* dc = mBitmap.getDC();
  if (!dc) return kFontChoices[style].pixels;
  SelectObject(dc, mFonts[style]);
  TEXTMETRIC tm;
  GetTextMetrics(dc, &tm);
  return tm.tmHeight;
}

int FigureCanvas::Text(int x, int y, const std::string& text, TextStyle style, FigureColor color, Align align)
{
  HDC__* dc = mBitmap.getDC();
  if (!dc || text.empty()) return 0;
  const int width = TextWidth(text, style);
  if (align == kAlignCenter) x -= width / 2;
  if (align == kAlignRight) x -= width;
  SetTextColor(dc, ContextColor(color));
  RECT r = {x, y, x + width + 1, y + LineHeight(style) + 1};
  GDI_DrawText(dc, text.c_str(), static_cast<int>(text.size()), &r, TEXT_SINGLELINE | TEXT_NOPREFIX | TEXT_NOCLIP);
  return width;
}

void FigureCanvas::MakeOpaque()
{
  Raster_ClearRect(&mBitmap, 0, 0, mBitmap.getWidth(), mBitmap.getHeight(), ~0xFFu, 0xFFu);
}
