// Trapezoids, convex polygons and triangles, filled span by span.

#include "raster/Raster_Shapes.h"

#include "raster/Raster_LineClass.h"
#include "raster/Raster_ShapeTarget.h"
#include "raster/Raster_Template_Blit0.h"

#include <algorithm>
#include <vector>

namespace {

// The rows y1..y2 of a trapezoid in memory coordinates, its edges in 16.16 (long long, so end points
// far outside the bitmap step without overflow). Span(row pointer, first column, count) fills one row.
template <class Span>
void walkTrapezoid(const Raster_ShapeTarget& t, long long tl, long long tr, long long y1, long long bl, long long br,
                   long long y2, Span&& span)
{
  if (y2 < y1) {
    std::swap(tl, bl);
    std::swap(tr, br);
    std::swap(y1, y2);
  }
  if (std::max({tl, tr, bl, br}) < 0 || std::min({tl, tr, bl, br}) >= t.mWidth || y2 < 0 || y1 >= t.mHeight) return;
  const long long dy = y2 - y1;
  auto slope = [dy](long long from, long long to) -> long long {
    if (dy == 0) return 0;
    const double s = 65536.0 / (double)dy * (double)(to - from);
    const double lim = 536870912.0; // 2^29
    return (long long)(s > lim ? lim : (s < -lim ? -lim : s));
  };
  const long long sl = slope(tl, bl), sr = slope(tr, br);
  // Edges start at the pixel centre so that rounding lands both end rows on their given columns.
  long long L = tl * 65536 + 0x8000, R = tr * 65536 + 0x8000;
  long long y = y1;
  if (y < 0) {
    L += sl * -y;
    R += sr * -y;
    y = 0;
  }
  const long long last = std::min(y2, (long long)t.mHeight - 1);
  for (; y <= last; ++y, L += sl, R += sr) {
    long long a = L >> 16, b = R >> 16;
    if (a > b) std::swap(a, b);
    if (a < 0) a = 0;
    if (b >= t.mWidth) b = t.mWidth - 1;
    if (a <= b) span(t.at((int)a, (int)y), (int)(b - a + 1));
  }
}

template <class K>
struct _Raster_Fill
{
  static void FillClippedTrapezoid(const Raster_ShapeTarget& t, long long tl, long long tr, long long y1, long long bl,
                                   long long br, long long y2, const Raster_LineColor& c, int alpha)
  {
    walkTrapezoid(t, tl, tr, y1, bl, br, y2,
                  [&](Raster_PixelWord* p, int n) { __Raster_LineClassSimple<K>::Raster_HorizLine(p, n, c, alpha); });
  }
};

template <class W>
struct _Raster_FillFast
{
  static void FillClippedTrapezoidFAST(const Raster_ShapeTarget& t, long long tl, long long tr, long long y1,
                                       long long bl, long long br, long long y2, Raster_PixelWord color)
  {
    walkTrapezoid(t, tl, tr, y1, bl, br, y2,
                  [&](Raster_PixelWord* p, int n) { _Raster_Template_Blit0<W>::solidRowFAST(p, n, color); });
  }
};

// A trapezoid in memory coordinates: copy mode at the weights 256, 128, 64 and 192 fills words.
void fillTrapezoid(const Raster_ShapeTarget& t, long long tl, long long tr, long long y1, long long bl, long long br,
                   long long y2, unsigned int color, int weight, int mode)
{
  if ((mode & RASTER_BLEND_MODE_MASK) == RASTER_BLEND_COPY) {
    switch (weight) {
    case 256:
      _Raster_FillFast<_Raster_CombinePixelsClobberFAST>::FillClippedTrapezoidFAST(t, tl, tr, y1, bl, br, y2, color);
      return;
    case 128:
      _Raster_FillFast<_Raster_CombinePixelsHalfMix2FAST>::FillClippedTrapezoidFAST(t, tl, tr, y1, bl, br, y2, color);
      return;
    case 64:
      _Raster_FillFast<_Raster_CombinePixelsQuarterMix2FAST>::FillClippedTrapezoidFAST(t, tl, tr, y1, bl, br, y2,
                                                                                       color);
      return;
    case 192:
      _Raster_FillFast<_Raster_CombinePixelsThreeQuarterMix2FAST>::FillClippedTrapezoidFAST(t, tl, tr, y1, bl, br, y2,
                                                                                            color);
      return;
    default:
      break;
    }
  }
  const Raster_LineColor c(color);
  Raster_WithShapeKernel(mode, weight, [&](auto kernel) {
    _Raster_Fill<decltype(kernel)>::FillClippedTrapezoid(t, tl, tr, y1, bl, br, y2, c, weight);
  });
}

struct Vertex
{
  long long x, y;
};

// x of the segment a-b at row y, rounded to the nearest column (a.y <= y <= b.y, a.y < b.y).
long long xAt(const Vertex& a, const Vertex& b, long long y)
{
  return (long long)std::floor((double)a.x + (double)(b.x - a.x) * (double)(y - a.y) / (double)(b.y - a.y) + 0.5);
}

// One side of the polygon from the top vertex down: each next vertex is the one below whose slope
// points furthest outward (leftmost for the left chain), the nearest among equals.
std::vector<Vertex> chain(const std::vector<Vertex>& pts, const Vertex& start, bool left)
{
  std::vector<Vertex> out{start};
  Vertex cur = start;
  while (true) {
    const Vertex* best = nullptr;
    for (const Vertex& v : pts) {
      if (v.y <= cur.y) continue;
      if (!best) {
        best = &v;
        continue;
      }
      // Compare (v.x - cur.x) / (v.y - cur.y) with best's without dividing.
      const double lhs = (double)(v.x - cur.x) * (double)(best->y - cur.y);
      const double rhs = (double)(best->x - cur.x) * (double)(v.y - cur.y);
      if ((left ? lhs < rhs : lhs > rhs) || (lhs == rhs && v.y < best->y)) best = &v;
    }
    if (!best) break;
    cur = *best;
    out.push_back(cur);
  }
  return out;
}

// x of a chain at row y.
long long chainX(const std::vector<Vertex>& c, long long y)
{
  for (size_t i = 1; i < c.size(); ++i)
    if (y <= c[i].y) return xAt(c[i - 1], c[i], y);
  return c.back().x;
}

long long clampX(long long x)
{
  const long long lim = 1LL << 40;
  return x < -lim ? -lim : (x > lim ? lim : x);
}

} // namespace

void Raster_FillTrapezoid(Raster_IBitmap* dest, int topLeft, int topRight, int y1, int bottomLeft, int bottomRight,
                          int y2, unsigned int color, float alpha, int mode)
{
  Raster_ShapeTarget t;
  if (!Raster_GetShapeTarget(dest, &t)) return;
  const int weight = Raster_WeightFromAlpha(Raster_ShapeAlpha(color, alpha, mode));
  if (weight == 0) return;
  long long Y1 = y1, Y2 = y2;
  if (t.mFlipped) {
    Y1 = t.mHeight - 1 - Y1;
    Y2 = t.mHeight - 1 - Y2;
  }
  fillTrapezoid(t, topLeft, topRight, Y1, bottomLeft, bottomRight, Y2, color, weight, mode);
}

void Raster_FillConvexPolygon(Raster_IBitmap* dest, const int* x, const int* y, int npoints, unsigned int color,
                              float alpha, int mode)
{
  if (!x || !y || npoints < 3) return;
  Raster_ShapeTarget t;
  if (!Raster_GetShapeTarget(dest, &t)) return;
  const int weight = Raster_WeightFromAlpha(Raster_ShapeAlpha(color, alpha, mode));
  if (weight == 0) return;

  std::vector<Vertex> pts((size_t)npoints);
  for (int i = 0; i < npoints; ++i) pts[i] = {x[i], t.mFlipped ? (long long)t.mHeight - 1 - y[i] : (long long)y[i]};
  std::sort(pts.begin(), pts.end(),
            [](const Vertex& a, const Vertex& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
  const long long top = pts.front().y, bottom = pts.back().y;
  if (top == bottom) {
    fillTrapezoid(t, pts.front().x, pts.back().x, top, pts.front().x, pts.back().x, top, color, weight, mode);
    return;
  }
  if (bottom < 0 || top >= t.mHeight) return;

  // The top row's leftmost and rightmost vertices start the two chains.
  size_t topRight = 0;
  while (topRight + 1 < pts.size() && pts[topRight + 1].y == top) ++topRight;
  const std::vector<Vertex> left = chain(pts, pts.front(), true), right = chain(pts, pts[topRight], false);

  // Bands between consecutive vertex rows; each band stops a row short of the next so that no row is
  // filled twice, the last one reaching the bottom.
  std::vector<long long> rows;
  for (const Vertex& v : left) rows.push_back(v.y);
  for (const Vertex& v : right) rows.push_back(v.y);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (size_t i = 0; i + 1 < rows.size(); ++i) {
    const long long ya = rows[i], yb = i + 2 == rows.size() ? rows[i + 1] : rows[i + 1] - 1;
    if (yb < 0 || ya >= t.mHeight) continue;
    const long long la = ya == top ? pts.front().x : chainX(left, ya);
    const long long ra = ya == top ? pts[topRight].x : chainX(right, ya);
    fillTrapezoid(t, clampX(la), clampX(ra), ya, clampX(chainX(left, yb)), clampX(chainX(right, yb)), yb, color, weight,
                  mode);
  }
}

void Raster_FillTriangle(Raster_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, unsigned int color,
                         float alpha, int mode)
{
  const int xs[3] = {x1, x2, x3}, ys[3] = {y1, y2, y3};
  Raster_FillConvexPolygon(dest, xs, ys, 3, color, alpha, mode);
}
