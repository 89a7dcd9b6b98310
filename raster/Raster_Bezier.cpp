// Quadratic and cubic Bezier curves, drawn as chains of sub-pixel lines or filled to a row or column.

#include "raster/Raster_Shapes.h"

#include "raster/Raster_Line.h"
#include "raster/Raster_ShapeTarget.h"

#include <algorithm>
#include <cmath>

namespace {

// A curve of at most cubic degree per axis: p(t) = a t^3 + b t^2 + c t + d.
struct Poly
{
  double a = 0, b = 0, c = 0, d = 0;
  double at(double t) const { return ((a * t + b) * t + c) * t + d; }
};

struct Curve
{
  Poly u, v; // u is the axis the curve is ordered and clipped along
  double length = 0;
};

// Segments cap: beyond it extra segments cannot add visible detail to any bitmap this draws into.
constexpr int kMaxSegments = 65536;

// The first t in [from, 1] where p(t) crosses level, by bisection inside 64 slices; 'to' when none.
double firstCrossing(const Poly& p, double level, double from, double to)
{
  const int slices = 64;
  double t0 = from, f0 = p.at(t0) - level;
  for (int i = 1; i <= slices; ++i) {
    const double t1 = from + (to - from) * i / slices, f1 = p.at(t1) - level;
    if ((f0 <= 0) != (f1 <= 0)) {
      double lo = t0, hi = t1;
      for (int k = 0; k < 40; ++k) {
        const double mid = (lo + hi) / 2;
        if ((p.at(mid) - level <= 0) == (f0 <= 0))
          lo = mid;
        else
          hi = mid;
      }
      return (lo + hi) / 2;
    }
    t0 = t1;
    f0 = f1;
  }
  return to;
}

// The parameter range whose u stays within 0..limit (the curve is ordered so u grows overall), and the
// number of segments for it.
bool clipRange(const Curve& c, double limit, float tolerance, double* t0, double* t1, int* segments)
{
  *t0 = 0;
  *t1 = 1;
  if (c.u.at(0) < 0) *t0 = firstCrossing(c.u, 0, 0, 1);
  if (c.u.at(1) > limit) *t1 = firstCrossing(c.u, limit, *t0, 1);
  if (*t1 <= *t0) return false;
  const double tol = tolerance > 0 ? tolerance : 1.0;
  const double n = c.length * (*t1 - *t0) / tol;
  *segments = n >= kMaxSegments ? kMaxSegments : std::max(1, (int)n);
  return true;
}

bool finite(std::initializer_list<float> vs)
{
  for (float v : vs)
    if (!std::isfinite(v)) return false;
  return true;
}

double dist(double x0, double y0, double x1, double y1)
{
  return std::hypot(x1 - x0, y1 - y0);
}

// Cubic through P0..P3 with u the x axis (or y when byY), ordered so u increases end to end.
Curve cubic(double x0, double y0, double x1, double y1, double x2, double y2, double x3, double y3, bool byY)
{
  double U[4] = {x0, x1, x2, x3}, V[4] = {y0, y1, y2, y3};
  if (byY) std::swap(U, V);
  if (U[3] < U[0]) {
    std::reverse(U, U + 4);
    std::reverse(V, V + 4);
  }
  Curve c;
  auto coef = [](const double* P, Poly& p) {
    p.c = 3 * (P[1] - P[0]);
    p.b = 3 * (P[2] - P[1]) - p.c;
    p.a = P[3] - P[0] - p.c - p.b;
    p.d = P[0];
  };
  coef(U, c.u);
  coef(V, c.v);
  c.length = dist(U[0], V[0], U[1], V[1]) + dist(U[1], V[1], U[2], V[2]) + dist(U[2], V[2], U[3], V[3]);
  return c;
}

// FLine between successive points of the curve, the last one at the clipped end.
void strokeCurve(Raster_IBitmap* dest, const Curve& c, bool byY, double limit, float tolerance, unsigned int color,
                 float alpha, int mode, bool aa)
{
  double t0, t1;
  int n;
  if (!clipRange(c, limit, tolerance, &t0, &t1, &n)) return;
  double pu = c.u.at(t0), pv = c.v.at(t0);
  for (int i = 1; i <= n; ++i) {
    const double t = i == n ? t1 : t0 + (t1 - t0) * i / n;
    const double u = c.u.at(t), v = c.v.at(t);
    if (byY)
      Raster_FLine(dest, (float)pv, (float)pu, (float)v, (float)u, color, alpha, mode, aa);
    else
      Raster_FLine(dest, (float)pu, (float)pv, (float)u, (float)v, color, alpha, mode, aa);
    pu = u;
    pv = v;
  }
}

// The area between the curve and the line v = fill, column by column (u being the column axis).
// Successive sample points, rounded to whole pixels, bound each run of columns; each column is filled
// once: a quadrilateral per run, two triangles where the curve crosses the fill line, a vertical line
// for a run of one column.
void fillCurve(Raster_IBitmap* dest, const Curve& c, bool byY, double limit, long long fill, float tolerance,
               unsigned int color, float alpha, int mode)
{
  double t0, t1;
  int n;
  if (!clipRange(c, limit, tolerance, &t0, &t1, &n)) return;
  auto px = [](double v) { return (long long)std::floor(std::max(-1e15, std::min(1e15, v)) + 0.5); };
  auto toInt = [](long long v) { return (int)std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, v)); };
  auto poly = [&](std::initializer_list<long long> us, std::initializer_list<long long> vs) {
    int xs[4], ys[4], k = 0;
    auto ui = us.begin(), vi = vs.begin();
    for (; ui != us.end(); ++ui, ++vi, ++k) {
      xs[k] = toInt(byY ? *vi : *ui);
      ys[k] = toInt(byY ? *ui : *vi);
    }
    Raster_FillConvexPolygon(dest, xs, ys, k, color, alpha, mode);
  };
  long long lastCol = LLONG_MIN;
  long long ua = px(c.u.at(t0)), va = px(c.v.at(t0));
  for (int i = 1; i <= n; ++i) {
    const double t = i == n ? t1 : t0 + (t1 - t0) * i / n;
    const long long ub = px(c.u.at(t)), vb = px(c.v.at(t));
    const long long lo = std::max(std::min(ua, ub), lastCol == LLONG_MIN ? LLONG_MIN : lastCol + 1);
    const long long hi = std::max(ua, ub);
    if (lo <= hi) {
      // v along the segment at column u.
      auto vAt = [&](long long u) {
        return ua == ub ? vb : va + (long long)std::llround((double)(vb - va) * (u - ua) / (double)(ub - ua));
      };
      const long long v0 = vAt(lo), v1 = vAt(hi);
      if (lo == hi) {
        if (byY)
          Raster_Line(dest, toInt(v1), toInt(lo), toInt(fill), toInt(lo), color, alpha, mode, false);
        else
          Raster_Line(dest, toInt(lo), toInt(v1), toInt(lo), toInt(fill), color, alpha, mode, false);
      } else if ((v0 < fill && v1 > fill) || (v0 > fill && v1 < fill)) {
        const long long cross = lo + (long long)std::llround((double)(hi - lo) * (fill - v0) / (double)(v1 - v0));
        poly({lo, cross, lo}, {v0, fill, fill});
        if (cross < hi) poly({cross + 1, hi, hi}, {fill, v1, fill});
      } else {
        poly({lo, hi, hi, lo}, {v0, v1, fill, fill});
      }
      lastCol = hi;
    }
    ua = ub;
    va = vb;
  }
}

} // namespace

void Raster_DrawQBezier(Raster_IBitmap* dest, float x0, float y0, float x1, float y1, float xEnd, float yEnd,
                        unsigned int color, float alpha, int mode, bool aa, float tolerance)
{
  if (!dest || !finite({x0, y0, x1, y1, xEnd, yEnd, tolerance})) return;
  double X0 = x0, Y0 = y0, X2 = xEnd, Y2 = yEnd;
  if (X2 < X0) {
    std::swap(X0, X2);
    std::swap(Y0, Y2);
  }
  // (1 - t)^2 P0 + 2t(1 - t) P1 + t^2 P2 as a polynomial.
  Curve c;
  c.u = {0, X0 - 2.0 * x1 + X2, 2.0 * (x1 - X0), X0};
  c.v = {0, Y0 - 2.0 * y1 + Y2, 2.0 * (y1 - Y0), Y0};
  c.length = dist(X0, Y0, x1, y1) + dist(x1, y1, X2, Y2);
  strokeCurve(dest, c, false, dest->getWidth() - 1.0, tolerance, color, alpha, mode, aa);
}

void Raster_DrawCBezier(Raster_IBitmap* dest, float x0, float y0, float x1, float y1, float x2, float y2, float xEnd,
                        float yEnd, unsigned int color, float alpha, int mode, bool aa, float tolerance)
{
  if (!dest || !finite({x0, y0, x1, y1, x2, y2, xEnd, yEnd, tolerance})) return;
  const Curve c = cubic(x0, y0, x1, y1, x2, y2, xEnd, yEnd, false);
  strokeCurve(dest, c, false, dest->getWidth(), tolerance, color, alpha, mode, aa);
}

void Raster_FillCBezier(Raster_IBitmap* dest, float x0, float y0, float x1, float y1, float x2, float y2, float xEnd,
                        float yEnd, int fillY, unsigned int color, float alpha, int mode, float tolerance)
{
  if (!dest || !finite({x0, y0, x1, y1, x2, y2, xEnd, yEnd, tolerance})) return;
  const Curve c = cubic(x0, y0, x1, y1, x2, y2, xEnd, yEnd, false);
  fillCurve(dest, c, false, dest->getWidth(), fillY, tolerance, color, alpha, mode);
}

void Raster_FillCBezierX(Raster_IBitmap* dest, float x0, float y0, float x1, float y1, float x2, float y2, float xEnd,
                         float yEnd, int fillX, unsigned int color, float alpha, int mode, float tolerance)
{
  if (!dest || !finite({x0, y0, x1, y1, x2, y2, xEnd, yEnd, tolerance})) return;
  const Curve c = cubic(x0, y0, x1, y1, x2, y2, xEnd, yEnd, true);
  fillCurve(dest, c, true, dest->getHeight(), fillX, tolerance, color, alpha, mode);
}
