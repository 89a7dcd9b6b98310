// Path construction and stroking (strokes become filled outlines).

#include "gdi/GDI_Path.h"

#include <algorithm>
#include <cmath>

namespace {
const double kPi = 3.14159265358979323846;

// Segments used for a curve of the given size in pixels: enough for sub-pixel smoothness on
// screen-sized shapes, bounded for absurd ones.
int CurveSegments(double size)
{
  if (!(size > 0.0)) return 8;
  const double n = std::ceil(std::sqrt(size) * 4.0);
  return (int)std::min(1024.0, std::max(8.0, n));
}

double SignedArea(const std::vector<GDI_PointF>& c)
{
  double a = 0.0;
  for (size_t i = 0, n = c.size(); i < n; i++) {
    const GDI_PointF &p = c[i], &q = c[(i + 1) % n];
    a += p.x * q.y - q.x * p.y;
  }
  return a * 0.5;
}

// Adds a contour with positive orientation, so that overlapping pieces of one stroke add up
// rather than cancel under the non-zero rule.
void AddOriented(std::vector<std::vector<GDI_PointF>>& out, std::vector<GDI_PointF> c)
{
  if (SignedArea(c) < 0.0) std::reverse(c.begin(), c.end());
  out.push_back(std::move(c));
}
} // namespace

void GDI_Path::MoveTo(double x, double y)
{
  mContours.push_back({{x, y}});
}

void GDI_Path::LineTo(double x, double y)
{
  if (mContours.empty()) mContours.push_back({});
  mContours.back().push_back({x, y});
}

void GDI_Path::CubicTo(double x1, double y1, double x2, double y2, double x3, double y3)
{
  if (mContours.empty() || mContours.back().empty()) {
    MoveTo(x3, y3);
    return;
  }
  const GDI_PointF p0 = mContours.back().back();
  const double hull = std::hypot(x1 - p0.x, y1 - p0.y) + std::hypot(x2 - x1, y2 - y1) + std::hypot(x3 - x2, y3 - y2);
  const int n = CurveSegments(hull);
  for (int i = 1; i <= n; i++) {
    const double t = (double)i / n, u = 1.0 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    LineTo(a * p0.x + b * x1 + c * x2 + d * x3, a * p0.y + b * y1 + c * y2 + d * y3);
  }
}

void GDI_Path::AddRect(double l, double t, double r, double b)
{
  mContours.push_back({{l, t}, {r, t}, {r, b}, {l, b}});
}

void GDI_Path::AddEllipse(double l, double t, double r, double b)
{
  const double cx = (l + r) * 0.5, cy = (t + b) * 0.5, rx = std::fabs(r - l) * 0.5, ry = std::fabs(b - t) * 0.5;
  const int n = CurveSegments(2.0 * kPi * std::max(rx, ry));
  std::vector<GDI_PointF> c;
  c.reserve(n);
  for (int i = 0; i < n; i++) {
    const double a = 2.0 * kPi * i / n;
    c.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
  }
  mContours.push_back(std::move(c));
}

void GDI_Path::AddDisc(double cx, double cy, double radius)
{
  AddEllipse(cx - radius, cy - radius, cx + radius, cy + radius);
}

void GDI_StrokePath(GDI_Surface* surface, const GDI_Path& path, bool closed, double width, const GDI_Color& color,
                    bool antiAlias)
{
  if (!(width > 0.0)) return;
  const double hw = width * 0.5;
  GDI_Path outline;
  std::vector<std::vector<GDI_PointF>> pieces;
  for (const std::vector<GDI_PointF>& c : path.Contours()) {
    const size_t n = c.size();
    if (n < 2) continue;
    const size_t segments = closed ? n : n - 1;
    for (size_t i = 0; i < segments; i++) {
      const GDI_PointF a = c[i], b = c[(i + 1) % n];
      const double dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
      if (!(len > 0.0) || !std::isfinite(len)) continue;
      const double nx = -dy / len * hw, ny = dx / len * hw;
      AddOriented(pieces, {{a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}});
      // Round joins close the wedge between thick segments; thin lines do not need them.
      if (width > 1.5 && (closed || i + 1 < segments)) {
        GDI_Path disc;
        disc.AddDisc(b.x, b.y, hw);
        AddOriented(pieces, disc.Contours().front());
      }
    }
  }
  for (std::vector<GDI_PointF>& p : pieces) {
    outline.MoveTo(p[0].x, p[0].y);
    for (size_t i = 1; i < p.size(); i++) outline.LineTo(p[i].x, p[i].y);
  }
  GDI_FillPath(surface, outline, color, antiAlias);
}

void GDI_FillRectF(GDI_Surface* surface, double l, double t, double r, double b, const GDI_Color& color, bool antiAlias)
{
  if (!(r > l) || !(b > t)) return;
  GDI_Path p;
  p.AddRect(l, t, r, b);
  GDI_FillPath(surface, p, color, antiAlias);
}
