#pragma once
// The circle loops, written once over a combine kernel K and instantiated per blend mode by
// Raster_Circle.cpp. Coordinates are memory coordinates of a Raster_ShapeTarget. Everything drawn is
// limited to a clip rectangle (the bitmap, or for arcs the part of it one quarter may touch); spans
// are always cut to it, single points are checked only when the circle comes near the rectangle's edge.

#include "raster/Raster_LineClass.h"
#include "raster/Raster_ShapeTarget.h"

#include <cmath>
#include <type_traits>

template <class K>
struct _Raster_CircleDrawer
{
  Raster_ShapeTarget mTarget;
  int mLeft = 0, mTop = 0, mRight = 0, mBottom = 0; // clip rectangle, right and bottom exclusive
  bool mClipPoints = false;
  Raster_LineColor mColor{0};
  int mAlpha = 0;

  void DrawClippedPt(int x, int y, int w) const
  {
    if (w == 0) return;
    if (mClipPoints && (x < mLeft || y < mTop || x >= mRight || y >= mBottom)) return;
    K::doPix((unsigned char*)mTarget.at(x, y), mColor.r, mColor.g, mColor.b, mColor.a, w);
  }

  // Inclusive span x1..x2 of row y.
  void DrawClippedHorzLine(int x1, int x2, int y, int w) const
  {
    if (w == 0 || y < mTop || y >= mBottom) return;
    if (x1 < mLeft) x1 = mLeft;
    if (x2 >= mRight) x2 = mRight - 1;
    if (x1 > x2) return;
    Raster_PixelWord* p = mTarget.at(x1, y);
    if constexpr (std::is_same<K, _Raster_CombinePixelsCopyNoClamp>::value) {
      // At full weight the mixing copy gives the colour itself: write words.
      if (w == 256) {
        const Raster_PixelWord c = Raster_RGBA(mColor.r, mColor.g, mColor.b, mColor.a);
        for (int i = 0, n = x2 - x1 + 1; i < n; ++i) p[i] = c;
        return;
      }
    }
    __Raster_LineClassSimple<K>::Raster_HorizLine(p, x2 - x1 + 1, mColor, w);
  }

  // Inclusive span y1..y2 of column x.
  void DrawClippedVertLine(int x, int y1, int y2, int w) const
  {
    if (w == 0 || x < mLeft || x >= mRight) return;
    if (y1 < mTop) y1 = mTop;
    if (y2 >= mBottom) y2 = mBottom - 1;
    if (y1 > y2) return;
    Raster_PixelWord* p = mTarget.at(x, y1);
    if constexpr (std::is_same<K, _Raster_CombinePixelsCopyNoClamp>::value) {
      if (w == 256) {
        const Raster_PixelWord c = Raster_RGBA(mColor.r, mColor.g, mColor.b, mColor.a);
        for (int i = 0, n = y2 - y1 + 1; i < n; ++i, p += mTarget.mSpan) *p = c;
        return;
      }
    }
    __Raster_LineClassSimple<K>::Raster_VertLine(p, mTarget.mSpan, y2 - y1 + 1, mColor, w);
  }

  // Midpoint circle of integer centre and radius; filled, every covered pixel once.
  void DrawClippedCircle(int cx, int cy, int r, bool filled) const
  {
    if (filled) {
      DrawClippedVertLine(cx, cy - r, cy + r, mAlpha);
      DrawClippedHorzLine(cx - r, cx - 1, cy, mAlpha);
      DrawClippedHorzLine(cx + 1, cx + r, cy, mAlpha);
    } else {
      DrawClippedPt(cx, cy - r, mAlpha);
      DrawClippedPt(cx, cy + r, mAlpha);
      DrawClippedPt(cx - r, cy, mAlpha);
      DrawClippedPt(cx + r, cy, mAlpha);
    }
    int x = r, e = -r;
    for (int y = 1; y < x; ++y) {
      const int xn = e >= 0 ? x - 1 : x;
      if (filled) {
        DrawClippedVertLine(cx - y, cy - xn, cy - y - 1, mAlpha);
        DrawClippedVertLine(cx - y, cy + y + 1, cy + xn, mAlpha);
        DrawClippedVertLine(cx + y, cy - xn, cy - y - 1, mAlpha);
        DrawClippedVertLine(cx + y, cy + y + 1, cy + xn, mAlpha);
        DrawClippedHorzLine(cx - xn, cx - y, cy - y, mAlpha);
        DrawClippedHorzLine(cx + y, cx + xn, cy - y, mAlpha);
        DrawClippedHorzLine(cx - xn, cx - y, cy + y, mAlpha);
        DrawClippedHorzLine(cx + y, cx + xn, cy + y, mAlpha);
      } else {
        plot4(cx, cy, y, xn, mAlpha);
        if (y != xn) plot4(cx, cy, xn, y, mAlpha);
      }
      e += 2 * (e < 0 ? y : y - x) + 1;
      x = xn;
    }
  }

  // Anti-aliased circle of integer centre and float radius. Row by row of one octant the exact edge
  // x = sqrt(r^2 - y^2) splits the weight between the pixel at floor(x) and the one just outside; a
  // filled circle fills up to floor(x) instead. The other octants by symmetry, diagonal points once.
  void DrawClippedCircleAA(int cx, int cy, double r, bool filled) const
  {
    int yStop = 0; // last row of the octant walk
    while (true) {
      const double x = edge(r, yStop + 1);
      if (x < 0 || (int)std::floor(x + 0.5) < yStop + 1) break;
      ++yStop;
    }
    for (int y = 0; y <= yStop; ++y) {
      const double x = edge(r, y);
      const int fx = (int)std::floor(x);
      const int wOut = (int)((x - fx) * mAlpha);
      if (!filled) {
        plot8(cx, cy, fx + 1, y, wOut);
        plot8(cx, cy, fx, y, mAlpha - wOut);
        continue;
      }
      // Rows within the octant walk: whole spans with their edge pixels.
      DrawClippedHorzLine(cx - fx, cx + fx, cy - y, mAlpha);
      if (y) DrawClippedHorzLine(cx - fx, cx + fx, cy + y, mAlpha);
      plot4(cx, cy, fx + 1, y, wOut);
      if (fx + 1 > yStop) plot4(cx, cy, y, fx + 1, wOut);
    }
    if (!filled) return;
    // Rows beyond the walk: column y reaches from yStop + 1 out to its edge floor(x(y)), and as that
    // edge shrinks with y, each such row is one span over the columns that reach it.
    int col = yStop, colEdge = (int)std::floor(edge(r, col));
    for (int dy = yStop + 1;; ++dy) {
      while (col >= 0 && colEdge < dy) {
        --col;
        if (col >= 0) colEdge = (int)std::floor(edge(r, col));
      }
      if (col < 0) break;
      DrawClippedHorzLine(cx - col, cx + col, cy - dy, mAlpha);
      DrawClippedHorzLine(cx - col, cx + col, cy + dy, mAlpha);
    }
  }

private:
  static double edge(double r, int y)
  {
    if (y == 0) return r;
    const double q = r * r - (double)y * y;
    return q < 0 ? -1.0 : std::sqrt(q);
  }

  // (cx +- dx, cy +- dy), each distinct point once.
  void plot4(int cx, int cy, int dx, int dy, int w) const
  {
    DrawClippedPt(cx + dx, cy + dy, w);
    if (dx) DrawClippedPt(cx - dx, cy + dy, w);
    if (dy) {
      DrawClippedPt(cx + dx, cy - dy, w);
      if (dx) DrawClippedPt(cx - dx, cy - dy, w);
    }
  }
  // plot4 of (dx, dy) and of the mirrored (dy, dx) unless that is the same point set.
  void plot8(int cx, int cy, int dx, int dy, int w) const
  {
    plot4(cx, cy, dx, dy, w);
    if (dx != dy) plot4(cx, cy, dy, dx, w);
  }
};
