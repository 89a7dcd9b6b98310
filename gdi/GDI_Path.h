#pragma once
// Paths in user coordinates and their conversion to pixels: filling with the non-zero winding rule
// (anti-aliased by exact area coverage, or thresholded at half coverage when anti-aliasing is off)
// and stroking polylines as unions of segment quads with round joins. Everything is clipped to
// the surface's clip before any pixel is touched, so arbitrary coordinates are safe.

#include <vector>

struct GDI_Color;
struct GDI_Surface;

struct GDI_PointF
{
  double x, y;
};

class GDI_Path
{
public:
  void MoveTo(double x, double y);
  void LineTo(double x, double y);
  // Cubic Bézier from the current point, flattened into line segments.
  void CubicTo(double x1, double y1, double x2, double y2, double x3, double y3);
  void AddRect(double l, double t, double r, double b);
  // The ellipse inscribed in (l, t, r, b).
  void AddEllipse(double l, double t, double r, double b);
  // A closed convex polygon around (cx, cy) approximating a circle.
  void AddDisc(double cx, double cy, double radius);

  bool IsEmpty() const { return mContours.empty(); }
  const std::vector<std::vector<GDI_PointF>>& Contours() const { return mContours; }

private:
  std::vector<std::vector<GDI_PointF>> mContours; // each implicitly closed when filled
};

// Fills with the non-zero rule, coordinates offset by the surface's origin.
void GDI_FillPath(GDI_Surface* surface, const GDI_Path& path, const GDI_Color& color, bool antiAlias);

// Strokes each contour of the path as a polyline (closed ones also join last to first) with the
// given line width.
void GDI_StrokePath(GDI_Surface* surface, const GDI_Path& path, bool closed, double width, const GDI_Color& color,
                    bool antiAlias);

// Fills an axis-aligned rectangle (fractional edges get partial coverage).
void GDI_FillRectF(GDI_Surface* surface, double l, double t, double r, double b, const GDI_Color& color,
                   bool antiAlias);
