// IGraphics: lines and shapes, each a thin translation onto one or a few raster calls.

#include <cmath>
#include <initializer_list>
#include <vector>

#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConvert.h"
#include "raster/Raster_Fill.h"
#include "raster/Raster_Line.h"
#include "raster/Raster_Shapes.h"
#include "raster/Raster_SysBitmap.h"

namespace {

bool AllFinite(std::initializer_list<float> values)
{
  for (float v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

float Clamp01(float f)
{
  return f < 0.0f ? 0.0f : f > 1.0f ? 1.0f : f;
}

} // namespace

bool IGraphics::DrawLine(const IColor* color, float x1, float y1, float x2, float y2, const IChannelBlend* blend,
                         bool antiAlias)
{
  // A NaN would truncate to a real pixel and draw a line nobody asked for.
  if (!color || !AllFinite({x1, y1, x2, y2})) return false;
  // Positions scale; the line stays one device pixel wide.
  const float k = static_cast<float>(mScale);
  x1 *= k;
  y1 *= k;
  x2 *= k;
  y2 *= k;
  Raster_Line(mCanvas.get(), GraphicsToInt(x1), GraphicsToInt(y1), GraphicsToInt(x2), GraphicsToInt(y2),
              color->ToPixelWord(), GraphicsWeight(blend), GraphicsLineMode(blend), antiAlias);
  return true;
}

bool IGraphics::DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                               const IChannelBlend* blend, bool antiAlias)
{
  const float s = std::sin(angle), c = std::cos(angle);
  return DrawLine(color, cx + rMin * s, cy - rMin * c, cx + rMax * s, cy - rMax * c, blend, antiAlias);
}

bool IGraphics::DrawVerticalLine(const IColor* color, int x, int y1, int y2)
{
  if (!color) return false;
  Raster_Line(mCanvas.get(), ToDevice(x), ToDevice(y1), ToDevice(x), ToDevice(y2), color->ToPixelWord(), 1.0f, 0,
              false);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* color, int y, int x1, int x2)
{
  if (!color) return false;
  Raster_Line(mCanvas.get(), ToDevice(x1), ToDevice(y), ToDevice(x2), ToDevice(y), color->ToPixelWord(), 1.0f, 0,
              false);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* color, IRECT* rect, float f)
{
  if (!rect) return false;
  const int x = GraphicsClampToInt(static_cast<long long>(rect->left) + GraphicsToInt(rect->Width() * Clamp01(f)));
  return DrawVerticalLine(color, x, rect->top, rect->bottom);
}

bool IGraphics::DrawHorizontalLine(const IColor* color, IRECT* rect, float f)
{
  if (!rect) return false;
  const int y = GraphicsClampToInt(static_cast<long long>(rect->bottom) - GraphicsToInt(rect->Height() * Clamp01(f)));
  return DrawHorizontalLine(color, y, rect->left, rect->right);
}

bool IGraphics::DrawRect(const IColor* color, IRECT* editorRect)
{
  if (!color || !editorRect) return false;
  IRECT deviceRect = ToDevice(*editorRect);
  IRECT* rect = &deviceRect;
  const unsigned int word = color->ToPixelWord();
  Raster_IBitmap* canvas = mCanvas.get();
  Raster_Line(canvas, rect->left, rect->top, rect->right, rect->top, word, 1.0f, 0, false);
  Raster_Line(canvas, rect->left, rect->bottom, rect->right, rect->bottom, word, 1.0f, 0, false);
  Raster_Line(canvas, rect->left, rect->top, rect->left, rect->bottom, word, 1.0f, 0, false);
  Raster_Line(canvas, rect->right, rect->top, rect->right, rect->bottom, word, 1.0f, 0, false);
  return true;
}

bool IGraphics::DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
                        const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return false;
  const float k = static_cast<float>(mScale);
  Raster_Arc(mCanvas.get(), cx * k, cy * k, r * k, minAngle, maxAngle, color->ToPixelWord(), GraphicsWeight(blend),
             GraphicsFillMode(blend), antiAlias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* color, float cx, float cy, float r, const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return false;
  const float k = static_cast<float>(mScale);
  Raster_Circle(mCanvas.get(), cx * k, cy * k, r * k, color->ToPixelWord(), GraphicsWeight(blend),
                GraphicsFillMode(blend), antiAlias);
  return true;
}

bool IGraphics::RoundRect(const IColor* color, IRECT* editorRect, const IChannelBlend* blend, int cornerRadius,
                          bool antiAlias)
{
  if (!color || !editorRect) return false;
  IRECT deviceRect = ToDevice(*editorRect);
  IRECT* rect = &deviceRect;
  cornerRadius = ToDevice(cornerRadius);
  Raster_RoundRect(mCanvas.get(), static_cast<float>(rect->left), static_cast<float>(rect->top),
                   static_cast<float>(rect->Width()), static_cast<float>(rect->Height()), cornerRadius,
                   color->ToPixelWord(), GraphicsWeight(blend), GraphicsFillMode(blend), antiAlias);
  return true;
}

bool IGraphics::FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend, bool antiAlias)
{
  if (!color) return false;
  const float k = static_cast<float>(mScale);
  Raster_FillCircle(mCanvas.get(), static_cast<float>(cx) * k, static_cast<float>(cy) * k, r * k, color->ToPixelWord(),
                    GraphicsWeight(blend), GraphicsFillMode(blend), antiAlias);
  return true;
}

bool IGraphics::FillRoundRect(const IColor* color, IRECT* editorRect, const IChannelBlend* blend, int cr,
                              bool antiAlias)
{
  if (!color || !editorRect) return false;
  IRECT deviceRect = ToDevice(*editorRect);
  IRECT* rect = &deviceRect;
  cr = ToDevice(cr);
  const unsigned int word = color->ToPixelWord();
  const float weight = GraphicsWeight(blend);
  const int mode = GraphicsFillMode(blend);
  // 64-bit sums: a hostile radius must not wrap a coordinate into the canvas.
  const long long l = rect->left, t = rect->top, r = rect->right, b = rect->bottom, c = cr;
  const int w = rect->Width(), h = rect->Height();
  Raster_IBitmap* canvas = mCanvas.get();
  Raster_FillRect(canvas, GraphicsClampToInt(l + c), rect->top, GraphicsClampToInt(w - 2 * c), h, word, weight, mode);
  Raster_FillRect(canvas, rect->left, GraphicsClampToInt(t + c), cr, GraphicsClampToInt(h - 2 * c), word, weight, mode);
  Raster_FillRect(canvas, GraphicsClampToInt(r - c), GraphicsClampToInt(t + c), cr, GraphicsClampToInt(h - 2 * c), word,
                  weight, mode);
  const float radius = static_cast<float>(cr);
  const float left = static_cast<float>(l + c), right = static_cast<float>(r - c - 1);
  const float top = static_cast<float>(t + c), bottom = static_cast<float>(b - c - 1);
  Raster_FillCircle(canvas, left, top, radius, word, weight, mode, antiAlias);
  Raster_FillCircle(canvas, right, bottom, radius, word, weight, mode, antiAlias);
  Raster_FillCircle(canvas, right, top, radius, word, weight, mode, antiAlias);
  Raster_FillCircle(canvas, left, bottom, radius, word, weight, mode, antiAlias);
  return true;
}

bool IGraphics::FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* blend)
{
  if (!color) return false;
  Raster_FillTriangle(mCanvas.get(), ToDevice(x1), ToDevice(y1), ToDevice(x2), ToDevice(y2), ToDevice(x3), ToDevice(y3),
                      color->ToPixelWord(), GraphicsWeight(blend), GraphicsFillMode(blend));
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* color, int* x, int* y, int npoints, const IChannelBlend* blend)
{
  if (!color || !x || !y || npoints < 3) return false;
  std::vector<int> dx, dy;
  if (mScale != 1.0) {
    dx.reserve(static_cast<size_t>(npoints));
    dy.reserve(static_cast<size_t>(npoints));
    for (int i = 0; i < npoints; ++i) {
      dx.push_back(ToDevice(x[i]));
      dy.push_back(ToDevice(y[i]));
    }
    x = dx.data();
    y = dy.data();
  }
  Raster_FillConvexPolygon(mCanvas.get(), x, y, npoints, color->ToPixelWord(), GraphicsWeight(blend),
                           GraphicsFillMode(blend));
  return true;
}
