#pragma once
// Circles, arcs, rounded rectangles, trapezoids, convex polygons, triangles and Bezier curves, drawn
// straight into a bitmap.
//
// Like the lines of Raster_Line.h, every shape takes a pixel-word colour, a float alpha and a
// blend-mode word, combines each touched pixel with the mode's kernel (the colour's four channels at a
// per-pixel weight; RASTER_BLEND_USE_SOURCE_ALPHA scales the alpha by the colour's alpha byte), mirrors
// y on flipped bitmaps and clips exactly. Filled shapes touch every covered pixel once. NaN or infinite
// coordinates draw nothing.

#include "raster/Raster_IBitmap.h"

// Centre and radius in pixels. The radii 1.5, 2, 2.5, 3, 3.5 and 4 are drawn from stored rings of 4 to 9
// pixels square (Raster_DrawGlyph) at ((int)(cx - r), (int)(cy - r)). Radii above 2^20 draw nothing.
void Raster_Circle(Raster_IBitmap* dest, float cx, float cy, float r, unsigned int color, float alpha, int mode,
                   bool aa);
void Raster_FillCircle(Raster_IBitmap* dest, float cx, float cy, float r, unsigned int color, float alpha, int mode,
                       bool aa);
// Angles in radians, 0 pointing up and growing clockwise: the point at angle a is
// (cx + r sin a, cy - r cos a). A span of 2 pi or more is the whole circle.
void Raster_Arc(Raster_IBitmap* dest, float cx, float cy, float r, float angleFrom, float angleTo, unsigned int color,
                float alpha, int mode, bool aa);
// Four straight sides and four quarter arcs of radius floor(min(radius, w / 2, h / 2)); below 2 a plain
// Raster_DrawRect of the truncated rectangle.
void Raster_RoundRect(Raster_IBitmap* dest, float x, float y, float w, float h, int radius, unsigned int color,
                      float alpha, int mode, bool aa);

// Top edge topLeft..topRight at row y1, bottom edge bottomLeft..bottomRight at row y2, all inclusive.
void Raster_FillTrapezoid(Raster_IBitmap* dest, int topLeft, int topRight, int y1, int bottomLeft, int bottomRight,
                          int y2, unsigned int color, float alpha, int mode);
// The convex hull of the points (any order), edges included; fewer than 3 points draw nothing.
void Raster_FillConvexPolygon(Raster_IBitmap* dest, const int* x, const int* y, int npoints, unsigned int color,
                              float alpha, int mode);
void Raster_FillTriangle(Raster_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3, unsigned int color,
                         float alpha, int mode);

// Curves as chains of Raster_FLine segments: the number of segments is the control polygon's length
// (over the part inside the bitmap's columns) divided by tolerance (<= 0 counts as 1), at least 1.
void Raster_DrawQBezier(Raster_IBitmap* dest, float x0, float y0, float x1, float y1, float xEnd, float yEnd,
                        unsigned int color, float alpha, int mode, bool aa, float tolerance);
void Raster_DrawCBezier(Raster_IBitmap* dest, float x0, float y0, float x1, float y1, float x2, float y2, float xEnd,
                        float yEnd, unsigned int color, float alpha, int mode, bool aa, float tolerance);
// The area between a cubic curve and row fillY (Raster_FillCBezier) or column fillX (Raster_FillCBezierX).
void Raster_FillCBezier(Raster_IBitmap* dest, float x0, float y0, float x1, float y1, float x2, float y2, float xEnd,
                        float yEnd, int fillY, unsigned int color, float alpha, int mode, float tolerance);
void Raster_FillCBezierX(Raster_IBitmap* dest, float x0, float y0, float x1, float y1, float x2, float y2, float xEnd,
                         float yEnd, int fillX, unsigned int color, float alpha, int mode, float tolerance);
