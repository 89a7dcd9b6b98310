#pragma once
// The line loops, written once over a combine kernel K (Raster_Kernels.h) and instantiated per blend
// mode by Raster_Line.cpp and Raster_FLine.cpp. Coordinates are memory coordinates of a
// Raster_ShapeTarget and already clipped: every pixel a loop touches lies inside the bitmap.
//
// Weights are integers (256 = full). Anti-aliased steps carry a 16.16 error accumulator: 65536 is one
// pixel along the minor axis.

#include "raster/Raster_Kernels.h"
#include "raster/Raster_ShapeTarget.h"

#include "raster/Raster_KernelChoice.h"

#include <algorithm>
#include <cmath>

// A whole-word kernel (Raster_Kernels.h, "FAST") behind the per-byte kernel interface, so the same
// loops serve the exact word formulas of the copy weights 64, 128, 192 and 256. The colour word is
// rebuilt from the offered channels, which the compiler folds out of the loop.
template <class W>
struct Raster_WordKernel
{
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    (void)alpha;
    W::doPix((Raster_PixelWord*)dest, Raster_RGBA(r, g, b, a));
  }
};

// Pixel colour handed to every kernel call of one line.
struct Raster_LineColor
{
  int r, g, b, a;
  explicit Raster_LineColor(unsigned int c) : r(Raster_GetR(c)), g(Raster_GetG(c)), b(Raster_GetB(c)), a(Raster_GetA(c))
  {}
};

template <class K>
struct __Raster_LineClassSimple
{
  // n pixels from p, each the previous one moved by step pixels (1 along a row, the span down a
  // column, span +- 1 along a diagonal).
  static void Raster_HorizLine(Raster_PixelWord* p, int n, const Raster_LineColor& c, int alpha)
  {
    run(p, 1, n, c, alpha);
  }
  static void Raster_VertLine(Raster_PixelWord* p, long span, int n, const Raster_LineColor& c, int alpha)
  {
    run(p, span, n, c, alpha);
  }
  static void Raster_DiagLine(Raster_PixelWord* p, long step, int n, const Raster_LineColor& c, int alpha)
  {
    run(p, step, n, c, alpha);
  }

  // An anti-aliased exact diagonal of n + 1 pixels: each diagonal pixel at weight diagAlpha (K), and
  // between two of them the pixel beside (xStep) and the one below or above (yStep) at sideAlpha
  // (KSide) - the two pixels the step cuts through.
  template <class KSide>
  static void Raster_DiagLineAA(Raster_PixelWord* p, long xStep, long yStep, int n, const Raster_LineColor& c,
                                int diagAlpha, int sideAlpha)
  {
    const long step = xStep + yStep;
    for (int i = 0; i <= n; ++i, p += step) {
      K::doPix((unsigned char*)p, c.r, c.g, c.b, c.a, diagAlpha);
      if (i == n || sideAlpha == 0) continue;
      KSide::doPix((unsigned char*)(p + xStep), c.r, c.g, c.b, c.a, sideAlpha);
      KSide::doPix((unsigned char*)(p + yStep), c.r, c.g, c.b, c.a, sideAlpha);
    }
  }

private:
  static inline void run(Raster_PixelWord* p, long step, int n, const Raster_LineColor& c, int alpha)
  {
    for (int i = 0; i < n; ++i, p += step) K::doPix((unsigned char*)p, c.r, c.g, c.b, c.a, alpha);
  }
};

template <class K>
struct __Raster_LineClass
{
  // Any slope from (x1, y1) to (x2, y2), both inside the target. Without aa: exactly n + 1 pixels
  // (n = the major delta), drawn from both ends toward the middle so the line is symmetric; the minor
  // axis moves when the error reaches half a pixel. With aa: end points at alpha, and each inner step
  // splits the weight between the pixel on the line and its minor-axis neighbour by the error.
  static void Raster_LineImpl(const Raster_ShapeTarget& t, int x1, int y1, int x2, int y2, const Raster_LineColor& c,
                              int alpha, bool aa)
  {
    const int dx = x2 - x1, dy = y2 - y1;
    const int adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const long sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -t.mSpan : t.mSpan;
    const bool xMajor = adx >= ady;
    const int n = xMajor ? adx : ady;
    if (n == 0) {
      K::doPix((unsigned char*)t.at(x1, y1), c.r, c.g, c.b, c.a, alpha);
      return;
    }
    const long majorStep = xMajor ? sx : sy, minorStep = xMajor ? sy : sx;
    const int errStep = (int)((double)(xMajor ? ady : adx) / n * 65536.0);
    Raster_PixelWord *front = t.at(x1, y1), *back = t.at(x2, y2);

    if (!aa) {
      int err = 0;
      for (int i = (n + 1) / 2; i > 0; --i) {
        K::doPix((unsigned char*)front, c.r, c.g, c.b, c.a, alpha);
        K::doPix((unsigned char*)back, c.r, c.g, c.b, c.a, alpha);
        front += majorStep;
        back -= majorStep;
        err += errStep;
        if (err >= 0x8000) {
          front += minorStep;
          back -= minorStep;
          err -= 0x10000;
        }
      }
      if ((n & 1) == 0) K::doPix((unsigned char*)front, c.r, c.g, c.b, c.a, alpha);
      return;
    }

    K::doPix((unsigned char*)front, c.r, c.g, c.b, c.a, alpha);
    K::doPix((unsigned char*)back, c.r, c.g, c.b, c.a, alpha);
    int err = errStep;
    const int inner = n - 1; // pixels strictly between the end points
    for (int i = inner / 2; i > 0; --i) {
      front += majorStep;
      back -= majorStep;
      pair(front, minorStep, err, c, alpha);
      pair(back, -minorStep, err, c, alpha);
      err += errStep;
      if (err >= 0x10000) {
        front += minorStep;
        back -= minorStep;
        err -= 0x10000;
      }
    }
    if (inner & 1) pair(front + majorStep, minorStep, err, c, alpha);
  }

  // Sub-pixel anti-aliased line, already clipped. Walks the major axis from ceil(start) to floor(end);
  // each step splits the weight between floor(minor) and the next pixel by the minor fraction.
  static void Raster_FLineImpl(const Raster_ShapeTarget& t, double x1, double y1, double x2, double y2,
                               const Raster_LineColor& c, int alpha)
  {
    const bool xMajor = std::fabs(x2 - x1) >= std::fabs(y2 - y1);
    double a1 = xMajor ? x1 : y1, b1 = xMajor ? y1 : x1, a2 = xMajor ? x2 : y2, b2 = xMajor ? y2 : x2;
    if (a2 < a1) {
      std::swap(a1, a2);
      std::swap(b1, b2);
    }
    const double slope = (b2 - b1) / (a2 - a1);
    const int majorLimit = xMajor ? t.mWidth : t.mHeight;
    const int first = (int)std::max(0.0, std::ceil(a1)), last = (int)std::min(majorLimit - 1.0, std::floor(a2));
    if (first > last) return;
    // The minor coordinate in 16.16, stepped by the slope; a falling line steps it downward, which is
    // the mirrored accumulator rising by |slope|.
    long long minor = (long long)std::floor((b1 + (first - a1) * slope) * 65536.0);
    const long long step = (long long)(slope * 65536.0);
    const int limit = xMajor ? t.mHeight : t.mWidth;
    for (int m = first; m <= last; ++m, minor += step) {
      const long long mi = minor >> 16;
      const int f = (int)(minor & 0xFFFF);
      int wNear = 255 - f / 256, wFar = f / 256;
      if (alpha != 256) {
        wNear = wNear * alpha / 256;
        wFar = wFar * alpha / 256;
      }
      plot(t, xMajor, m, mi, limit, c, wNear);
      plot(t, xMajor, m, mi + 1, limit, c, wFar);
    }
  }

  // Runs of onLength drawn and offLength skipped pixels over n pixels from p.
  static void DashedLine(Raster_PixelWord* p, long step, int n, int onLength, int offLength, const Raster_LineColor& c,
                         int alpha)
  {
    const long long period = (long long)onLength + offLength;
    long long phase = 0;
    for (int i = 0; i < n; ++i, p += step) {
      if (phase < onLength) K::doPix((unsigned char*)p, c.r, c.g, c.b, c.a, alpha);
      if (++phase >= period) phase = 0;
    }
  }

private:
  static inline void pair(Raster_PixelWord* p, long minorStep, int err, const Raster_LineColor& c, int alpha)
  {
    int wOn = 255 - err / 256, wNext = err / 256;
    if (alpha != 256) {
      wOn = wOn * alpha / 256;
      wNext = wNext * alpha / 256;
    }
    if (wOn) K::doPix((unsigned char*)p, c.r, c.g, c.b, c.a, wOn);
    if (wNext) K::doPix((unsigned char*)(p + minorStep), c.r, c.g, c.b, c.a, wNext);
  }

  // Float rounding may put the far pixel of an end step one past the edge: check before touching it.
  static inline void plot(const Raster_ShapeTarget& t, bool xMajor, int major, long long minor, int limit,
                          const Raster_LineColor& c, int w)
  {
    if (w == 0 || minor < 0 || minor >= limit) return;
    Raster_PixelWord* p = xMajor ? t.at(major, (int)minor) : t.at((int)minor, major);
    K::doPix((unsigned char*)p, c.r, c.g, c.b, c.a, w);
  }
};

// The kernel for a solid run (horizontal, vertical, diagonal lines): the exact word formulas for copy
// at alpha exactly 1.0, 0.5, 0.25 and 0.75, else as Raster_WithShapeKernel.
template <class Fn>
bool Raster_WithShapeWordKernel(float alpha, int mode, int weight, Fn&& fn)
{
  switch (Raster_ShapeWordWeight(alpha, mode)) {
  case 256:
    fn(Raster_WordKernel<_Raster_CombinePixelsClobberFAST>{});
    return true;
  case 128:
    fn(Raster_WordKernel<_Raster_CombinePixelsHalfMix2FAST>{});
    return true;
  case 64:
    fn(Raster_WordKernel<_Raster_CombinePixelsQuarterMix2FAST>{});
    return true;
  case 192:
    fn(Raster_WordKernel<_Raster_CombinePixelsThreeQuarterMix2FAST>{});
    return true;
  default:
    return Raster_WithShapeKernel(mode, weight, fn);
  }
}
