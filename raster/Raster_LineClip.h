#pragma once
// The Cohen-Sutherland line clipper behind ClipLine and ClipFLine, over a coordinate type T: long long
// for the integer clipper (the moved coordinate is computed in double and truncated) and double for the
// float one. Working wider than int lets end points at +-1e9, or a translation by a clip origin, be
// clipped without overflow; the moved coordinate always lies between the two end points.

#include <cmath>

namespace Raster_LineClipDetail {

enum { kLeft = 1, kRight = 2, kTop = 4, kBottom = 8 };

template <class T>
int outcode(T x, T y, T w, T h)
{
  int c = 0;
  if (x < 0)
    c |= kLeft;
  else if (x >= w)
    c |= kRight;
  if (y < 0)
    c |= kTop;
  else if (y >= h)
    c |= kBottom;
  return c;
}

// The moved coordinate: truncated toward zero for integer T, kept for floating T.
template <class T>
T fromDouble(double v)
{
  return (T)v;
}

} // namespace Raster_LineClipDetail

// Clips in place to 0..w-1 x 0..h-1; false when rejected. Each end point moves at most once per edge,
// so the loop ends; the cap only guards against rounding that would keep a point just outside.
template <class T>
bool Raster_ClipLineT(T& x1, T& y1, T& x2, T& y2, T w, T h)
{
  using namespace Raster_LineClipDetail;
  int c1 = outcode(x1, y1, w, h), c2 = outcode(x2, y2, w, h);
  for (int guard = 0; c1 | c2; ++guard) {
    if ((c1 & c2) || guard >= 16) return false;
    const bool first = c1 != 0;
    const int c = first ? c1 : c2;
    const double X1 = (double)x1, Y1 = (double)y1, X2 = (double)x2, Y2 = (double)y2;
    T x, y;
    if (c & kBottom) {
      y = h - 1;
      x = fromDouble<T>(X1 + (X2 - X1) * ((double)h - Y1) / (Y2 - Y1));
    } else if (c & kTop) {
      y = 0;
      x = fromDouble<T>(X1 + (X2 - X1) * (-Y1) / (Y2 - Y1));
    } else if (c & kRight) {
      x = w - 1;
      y = fromDouble<T>(Y1 + (Y2 - Y1) * ((double)w - X1) / (X2 - X1));
    } else {
      x = 0;
      y = fromDouble<T>(Y1 + (Y2 - Y1) * (-X1) / (X2 - X1));
    }
    if (first) {
      x1 = x;
      y1 = y;
      c1 = outcode(x1, y1, w, h);
    } else {
      x2 = x;
      y2 = y;
      c2 = outcode(x2, y2, w, h);
    }
  }
  return true;
}
