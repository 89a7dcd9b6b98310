// Circles, filled circles, arcs and rounded rectangles.

#include "raster/Raster_Shapes.h"

#include "raster/Raster_CircleDrawer.h"
#include "raster/Raster_Glyph.h"
#include "raster/Raster_Line.h"

#include <cmath>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMaxRadius = 1048576.0; // beyond this a circle's walk would take seconds

// The stored rings for the radii 1.5 .. 4 in half steps: squares of 2r + 1 pixels whose centre is the
// circle's. Without aa a pixel is 255 when its centre lies within half a pixel of the circle; with aa
// its coverage falls off linearly over one pixel.
const unsigned char* smallCircleMask(int index, bool aa)
{
  struct Masks
  {
    std::vector<unsigned char> m[2][6];
  };
  static const Masks masks = [] {
    Masks all;
    auto& m = all.m;
    for (int i = 0; i < 6; ++i) {
      const double r = 1.5 + 0.5 * i;
      const int n = 4 + i;
      for (int k = 0; k < 2; ++k) m[k][i].resize((size_t)n * n);
      for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
          const double off = std::fabs(std::hypot(x - r, y - r) - r);
          m[0][i][y * n + x] = off < 0.5 ? 255 : 0;
          m[1][i][y * n + x] = off < 1.0 ? (unsigned char)((1.0 - off) * 255.0 + 0.5) : 0;
        }
      }
    }
    return all;
  }();
  return masks.m[aa ? 1 : 0][index].data();
}

// Which stored ring draws radius r, or -1.
int smallCircleIndex(float r)
{
  for (int i = 0; i < 6; ++i)
    if (r == 1.5f + 0.5f * (float)i) return i;
  return -1;
}

struct CircleJob
{
  Raster_ShapeTarget t;
  int left, top, right, bottom; // clip rectangle in memory coordinates
  float cx, cy, r;              // cy in memory coordinates
  unsigned int color;
  float alpha;
  int mode;
  bool aa, filled;
};

void runCircle(const CircleJob& j)
{
  const int weight = Raster_WeightFromAlpha(j.alpha);
  const int icx = (int)(j.cx + 0.5f), icy = (int)(j.cy + 0.5f);
  const double margin = j.r + 2.0;
  const bool nearEdge =
      j.cx - margin < j.left || j.cy - margin < j.top || j.cx + margin >= j.right || j.cy + margin >= j.bottom;
  auto draw = [&](auto kernel) {
    _Raster_CircleDrawer<decltype(kernel)> d;
    d.mTarget = j.t;
    d.mLeft = j.left;
    d.mTop = j.top;
    d.mRight = j.right;
    d.mBottom = j.bottom;
    d.mClipPoints = nearEdge;
    d.mColor = Raster_LineColor(j.color);
    d.mAlpha = weight;
    if (j.aa)
      d.DrawClippedCircleAA(icx, icy, j.r, j.filled);
    else
      d.DrawClippedCircle(icx, icy, (int)(j.r + 0.5f), j.filled);
  };
  if (j.aa)
    Raster_WithShapeVaryingKernel(j.mode, weight, draw);
  else
    Raster_WithShapeKernel(j.mode, weight, draw);
}

// Fills in the parts every circle shares; false when nothing is to be drawn. The circle's box must
// meet the bitmap, which also keeps the centre within reach of int arithmetic.
bool prepareCircle(Raster_IBitmap* dest, float cx, float cy, float r, unsigned int color, float alpha, int mode,
                   bool aa, bool filled, CircleJob* j)
{
  if (!Raster_AllFinite(cx, cy, r, alpha) || r < 0 || r > kMaxRadius) return false;
  if (!Raster_GetShapeTarget(dest, &j->t)) return false;
  j->alpha = Raster_ShapeAlpha(color, alpha, mode);
  if (Raster_WeightFromAlpha(j->alpha) == 0) return false;
  j->cx = cx;
  j->cy = (float)j->t.mirrorY((double)cy);
  j->r = r;
  if (j->cx + r + 2 < 0 || j->cy + r + 2 < 0 || j->cx - r - 2 >= j->t.mWidth || j->cy - r - 2 >= j->t.mHeight)
    return false;
  j->left = j->top = 0;
  j->right = j->t.mWidth;
  j->bottom = j->t.mHeight;
  j->color = color;
  j->mode = mode;
  j->aa = aa;
  j->filled = filled;
  return true;
}

} // namespace

void Raster_Circle(Raster_IBitmap* dest, float cx, float cy, float r, unsigned int color, float alpha, int mode,
                   bool aa)
{
  const int small = smallCircleIndex(r);
  if (small >= 0 && Raster_AllFinite(cx, cy, r, alpha) && std::fabs(cx) < 1e9f && std::fabs(cy) < 1e9f) {
    const int n = 4 + small;
    Raster_DrawGlyph(dest, (int)(cx - r), (int)(cy - r), color, smallCircleMask(small, aa), n, n,
                     Raster_ShapeAlpha(color, alpha, mode), mode);
    return;
  }
  CircleJob j;
  if (prepareCircle(dest, cx, cy, r, color, alpha, mode, aa, false, &j)) runCircle(j);
}

void Raster_FillCircle(Raster_IBitmap* dest, float cx, float cy, float r, unsigned int color, float alpha, int mode,
                       bool aa)
{
  CircleJob j;
  if (prepareCircle(dest, cx, cy, r, color, alpha, mode, aa, true, &j)) runCircle(j);
}

void Raster_Arc(Raster_IBitmap* dest, float cx, float cy, float r, float angleFrom, float angleTo, unsigned int color,
                float alpha, int mode, bool aa)
{
  if (!Raster_AllFinite(angleFrom, angleTo, 0, 0)) return;
  if (std::fabs((double)angleTo - angleFrom) >= 2 * kPi) {
    Raster_Circle(dest, cx, cy, r, color, alpha, mode, aa);
    return;
  }
  CircleJob j;
  if (!prepareCircle(dest, cx, cy, r, color, alpha, mode, aa, false, &j)) return;
  double from = angleFrom, to = angleTo;
  if (j.t.mFlipped) {
    from = kPi - from;
    to = kPi - to;
  }
  if (to < from) std::swap(from, to);
  from = std::fmod(from, 2 * kPi) + 2 * kPi;
  to = std::fmod(to, 2 * kPi) + 2 * kPi;
  if (to < from) to += 2 * kPi;

  // Rounded end point of the arc at angle a.
  const double icx = (int)(j.cx + 0.5f), icy = (int)(j.cy + 0.5f);
  auto endX = [&](double a) { return (int)(j.cx + j.r * std::sin(a) + 0.5); };
  auto endY = [&](double a) { return (int)(j.cy - j.r * std::cos(a) + 0.5); };
  const CircleJob whole = j;
  const double quarter = kPi / 2;
  for (int piece = 0; piece < 9 && from < to; ++piece) {
    const double next = std::min(to, (std::floor(from / quarter + 1e-9) + 1) * quarter);
    const int x1 = endX(from), y1 = endY(from), x2 = endX(next), y2 = endY(next);
    const int hiX = std::max(x1, x2), hiY = std::max(y1, y2);
    j.left = std::max(0, std::min(x1, x2));
    j.top = std::max(0, std::min(y1, y2));
    j.right = std::min(whole.right, hiX + (hiX != icx ? 1 : 0));
    j.bottom = std::min(whole.bottom, hiY + (hiY != icy ? 1 : 0));
    if (j.left < j.right && j.top < j.bottom) runCircle(j);
    from = next;
  }
}

void Raster_RoundRect(Raster_IBitmap* dest, float x, float y, float w, float h, int radius, unsigned int color,
                      float alpha, int mode, bool aa)
{
  if (!Raster_AllFinite(x, y, w, h)) return;
  auto toInt = [](double v) { return v >= 2147483647.0 ? INT_MAX : (v <= -2147483648.0 ? INT_MIN : (int)v); };
  const double rr = std::floor(std::min({(double)radius, (double)w / 2, (double)h / 2}));
  if (radius <= 0 || rr < 2) {
    Raster_DrawRect(dest, toInt(x), toInt(y), toInt(w), toInt(h), color, alpha, mode);
    return;
  }
  const double r = rr, X = x, Y = y, W = w, H = h;
  Raster_Line(dest, toInt(X + r), toInt(Y), toInt(X + W - r), toInt(Y), color, alpha, mode, aa);
  Raster_Line(dest, toInt(X + r - 1), toInt(Y + H), toInt(X + W - r), toInt(Y + H), color, alpha, mode, aa);
  Raster_Line(dest, toInt(X + W), toInt(Y + r), toInt(X + W), toInt(Y + H - r), color, alpha, mode, aa);
  Raster_Line(dest, toInt(X), toInt(Y + r - 1), toInt(X), toInt(Y + H - r), color, alpha, mode, aa);
  const float fr = (float)r;
  Raster_Arc(dest, (float)(X + r), (float)(Y + r), fr, (float)(-kPi / 2), 0.0f, color, alpha, mode, aa);
  Raster_Arc(dest, (float)(X + W - r), (float)(Y + r), fr, 0.0f, (float)(kPi / 2), color, alpha, mode, aa);
  Raster_Arc(dest, (float)(X + W - r), (float)(Y + H - r), fr, (float)(kPi / 2), (float)kPi, color, alpha, mode, aa);
  Raster_Arc(dest, (float)(X + r), (float)(Y + H - r), fr, (float)kPi, (float)(3 * kPi / 2), color, alpha, mode, aa);
}
