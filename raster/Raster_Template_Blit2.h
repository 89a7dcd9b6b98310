#pragma once
// The per-kernel inner loops of the unscaled and scaled blits, written once and instantiated for each
// combine kernel K (Raster_Kernels.h) through Raster_WithKernel. Callers clip first: every tap these
// loops read lies inside the source, and every pixel they write inside the destination.
//
// Rows are reached through byte steps (negative for flipped bitmaps); src and dest point at the first
// image row's first pixel. The kernel is offered each (filtered) source pixel's bytes 1, 2, 3 as r, g, b
// and byte 0 as a.
//
// The plain per-pixel loops are the reference. With the vectorised paths switched on
// (Raster_BlitSimdEnabled), runs of pixels whose taps all lie inside the source are sampled by the
// routines of Raster_BlitSIMD.h instead, which give the same integers.

#include "raster/Raster_BlitSIMD.h"
#include "raster/Raster_Kernels.h"

#include <type_traits>
#include <vector>

namespace Raster_BlitDetail {

inline const Raster_PixelWord* rowAt(const Raster_PixelWord* first, long step, long long y)
{
  return (const Raster_PixelWord*)((const char*)first + step * y);
}
inline Raster_PixelWord* rowAt(Raster_PixelWord* first, long step, long long y)
{
  return (Raster_PixelWord*)((char*)first + step * y);
}

template <class K>
inline void offer(Raster_PixelWord* d, Raster_PixelWord p, int alpha)
{
  K::doPix((unsigned char*)d, (int)((p >> 8) & 0xFF), (int)((p >> 16) & 0xFF), (int)(p >> 24), (int)(p & 0xFF), alpha);
}

template <class K>
inline void offerRow(Raster_PixelWord* d, const Raster_PixelWord* p, int n, int alpha)
{
  if constexpr (std::is_same<K, _Raster_CombinePixelsClobberNoClamp>::value) {
    for (int i = 0; i < n; i++) d[i] = p[i];
  } else if constexpr (std::is_same<K, _Raster_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>::value) {
    if (Raster_BlitSimdEnabled()) {
      Raster_SIMD_CopySourceAlphaRow(d, p, n);
      return;
    }
    for (int i = 0; i < n; i++) offer<K>(d + i, p[i], alpha);
  } else if constexpr (std::is_same<K, _Raster_CombinePixelsCopySourceAlphaNoClamp>::value) {
    if (Raster_BlitSimdEnabled() && alpha > 0 && alpha < 256) {
      Raster_SIMD_CopySourceAlphaWeightedRow(d, p, n, alpha);
      return;
    }
    for (int i = 0; i < n; i++) offer<K>(d + i, p[i], alpha);
  } else {
    for (int i = 0; i < n; i++) offer<K>(d + i, p[i], alpha);
  }
}

// One channel of a weighted pair or quad: the weights sum to 65536.
inline Raster_PixelWord mix2(Raster_PixelWord p, Raster_PixelWord q, unsigned wq)
{
  const unsigned wp = 65536 - wq;
  Raster_PixelWord out = 0;
  for (int sh = 0; sh < 32; sh += 8)
    out |= (Raster_PixelWord)((wp * ((p >> sh) & 0xFF) + wq * ((q >> sh) & 0xFF)) >> 16) << sh;
  return out;
}

inline Raster_PixelWord mix4(Raster_PixelWord p00, Raster_PixelWord p10, Raster_PixelWord p01, Raster_PixelWord p11,
                             unsigned xf, unsigned yf)
{
  const unsigned w11 = (yf * xf) >> 16, wTR = xf - w11, wBL = yf - w11, wTL = 65536 - yf - wTR;
  Raster_PixelWord out = 0;
  for (int sh = 0; sh < 32; sh += 8)
    out |= (Raster_PixelWord)((wTL * ((p00 >> sh) & 0xFF) + wTR * ((p10 >> sh) & 0xFF) + wBL * ((p01 >> sh) & 0xFF) +
                               w11 * ((p11 >> sh) & 0xFF)) >>
                              16)
           << sh;
  return out;
}

// Bilinear sample at (u, v) given the clamp extents; false when the position is not drawn. (cx, cy) is
// (u / 65536, v / 65536) truncated toward zero, so positions just left of or above 0 still sample the
// first column or row with their fraction bits.
inline bool sampleBilinear(const Raster_PixelWord* src, long srcStep, long long u, long long v, int clampw, int clamph,
                           Raster_PixelWord* out)
{
  if (u < -65535 || v < -65535) return false;
  const long long cx = u / 65536, cy = v / 65536;
  if (cx >= clampw || cy >= clamph) return false;
  const unsigned xf = (unsigned)(u & 0xFFFF), yf = (unsigned)(v & 0xFFFF);
  const Raster_PixelWord* row = rowAt(src, srcStep, cy);
  if (cy < clamph - 1) {
    const Raster_PixelWord* below = rowAt(src, srcStep, cy + 1);
    *out =
        cx < clampw - 1 ? mix4(row[cx], row[cx + 1], below[cx], below[cx + 1], xf, yf) : mix2(row[cx], below[cx], yf);
  } else {
    *out = cx < clampw - 1 ? mix2(row[cx], row[cx + 1], xf) : row[cx];
  }
  return true;
}

// Runs of destination columns sharing one sampling case, found once per blit (the column positions are
// the same on every row).
struct ColumnRun
{
  int mStart, mEnd; // destination columns [mStart, mEnd)
  bool mInterior;   // every bilinear tap of the run lies inside the clamp extents
};

std::vector<ColumnRun> bilinearColumnRuns(int w, long long uStart, int du, int clampw);

} // namespace Raster_BlitDetail

template <class K>
struct _Raster_Template_Blit2
{
  // Unscaled: w x h pixels, row steps in bytes.
  static void blit(Raster_PixelWord* dest, const Raster_PixelWord* src, int w, int h, long srcRowStep, long destRowStep,
                   int alpha)
  {
    using namespace Raster_BlitDetail;
    for (int y = 0; y < h; y++) {
      Raster_PixelWord* d = rowAt(dest, destRowStep, y);
      const Raster_PixelWord* s = rowAt(src, srcRowStep, y);
      offerRow<K>(d, s, w, alpha);
    }
  }

  // Scaled, nearest (filter != RASTER_BLEND_FILTER_BILINEAR) or bilinear.
  static void scaleBlit(Raster_PixelWord* dest, const Raster_PixelWord* src, int w, int h, int uStart, int vStart,
                        int du, int dv, int clampw, int clamph, long srcRowStep, long destRowStep, int alpha,
                        int filter)
  {
    using namespace Raster_BlitDetail;
    if (filter != RASTER_BLEND_FILTER_BILINEAR) {
      for (int y = 0; y < h; y++) {
        const long long v = vStart + (long long)y * dv;
        if (v < -65535 || v / 65536 >= clamph) continue;
        const Raster_PixelWord* s = rowAt(src, srcRowStep, v / 65536);
        Raster_PixelWord* d = rowAt(dest, destRowStep, y);
        long long u = uStart;
        for (int x = 0; x < w; x++, u += du)
          if (u >= -65535 && u / 65536 < clampw) offer<K>(d + x, s[u / 65536], alpha);
      }
      return;
    }
    if (Raster_BlitSimdEnabled() && clampw <= 32767) {
      scaleBlitBilinearRuns(dest, src, w, h, uStart, vStart, du, dv, clampw, clamph, srcRowStep, destRowStep, alpha);
      return;
    }
    for (int y = 0; y < h; y++) {
      const long long v = vStart + (long long)y * dv;
      Raster_PixelWord* d = rowAt(dest, destRowStep, y);
      long long u = uStart;
      for (int x = 0; x < w; x++, u += du) {
        Raster_PixelWord p;
        if (sampleBilinear(src, srcRowStep, u, v, clampw, clamph, &p)) offer<K>(d + x, p, alpha);
      }
    }
  }

  // Scaled with an n x n box (weights row by row in kernel, first tap at offset o from the sample).
  static void scaleBlitFilterDown(Raster_PixelWord* dest, const Raster_PixelWord* src, int w, int h, int uStart,
                                  int vStart, int du, int dv, int clampw, int clamph, long srcRowStep, long destRowStep,
                                  int alpha, const int* kernel, int o, int n)
  {
    using namespace Raster_BlitDetail;
    if (Raster_BlitSimdEnabled() && uniformKernel(kernel, n)) {
      filterDownUniform(dest, src, w, h, uStart, vStart, du, dv, clampw, clamph, srcRowStep, destRowStep, alpha, o, n);
      return;
    }
    for (int y = 0; y < h; y++) {
      const long long v = vStart + (long long)y * dv;
      if (v < -65535 || v / 65536 >= clamph) continue;
      const long long cy = v / 65536;
      Raster_PixelWord* d = rowAt(dest, destRowStep, y);
      long long u = uStart;
      for (int x = 0; x < w; x++, u += du) {
        if (u < -65535 || u / 65536 >= clampw) continue;
        const long long cx = u / 65536;
        long long sum[4] = {0, 0, 0, 0}, wsum = 0;
        for (int j = 0; j < n; j++) {
          const long long sy = cy + o + j;
          if (sy < 0 || sy >= clamph) continue;
          const Raster_PixelWord* s = rowAt(src, srcRowStep, sy);
          for (int i = 0; i < n; i++) {
            const long long sx = cx + o + i;
            if (sx < 0 || sx >= clampw) continue;
            const long long wt = kernel[j * n + i];
            const Raster_PixelWord p = s[sx];
            for (int c = 0; c < 4; c++) sum[c] += wt * ((p >> (8 * c)) & 0xFF);
            wsum += wt;
          }
        }
        if (wsum <= 0) continue;
        Raster_PixelWord p = 0;
        for (int c = 0; c < 4; c++) p |= (Raster_PixelWord)(sum[c] / wsum & 0xFF) << (8 * c);
        offer<K>(d + x, p, alpha);
      }
    }
  }

private:
  static void scaleBlitBilinearRuns(Raster_PixelWord* dest, const Raster_PixelWord* src, int w, int h, int uStart,
                                    int vStart, int du, int dv, int clampw, int clamph, long srcRowStep,
                                    long destRowStep, int alpha)
  {
    using namespace Raster_BlitDetail;
    constexpr bool kDirect = std::is_same<K, _Raster_CombinePixelsClobberNoClamp>::value;
    const std::vector<ColumnRun> runs = bilinearColumnRuns(w, uStart, du, clampw);
    std::vector<Raster_PixelWord> scratch(kDirect ? 0 : (size_t)w);
    for (int y = 0; y < h; y++) {
      const long long v = vStart + (long long)y * dv;
      Raster_PixelWord* d = rowAt(dest, destRowStep, y);
      const bool innerRow = v >= -65535 && v / 65536 < clamph - 1;
      for (const ColumnRun& run : runs) {
        if (innerRow && run.mInterior) {
          const long long cy = v / 65536;
          const int u0 = (int)(uStart + (long long)run.mStart * du);
          const int n = run.mEnd - run.mStart;
          Raster_PixelWord* out = kDirect ? d + run.mStart : scratch.data();
          Raster_SIMD_BilinearRow(out, rowAt(src, srcRowStep, cy), rowAt(src, srcRowStep, cy + 1), u0, du,
                                  (int)(v & 0xFFFF), n);
          if (!kDirect) offerRow<K>(d + run.mStart, out, n, alpha);
          continue;
        }
        long long u = uStart + (long long)run.mStart * du;
        for (int x = run.mStart; x < run.mEnd; x++, u += du) {
          Raster_PixelWord p;
          if (sampleBilinear(src, srcRowStep, u, v, clampw, clamph, &p)) offer<K>(d + x, p, alpha);
        }
      }
    }
  }

  static bool uniformKernel(const int* kernel, int n)
  {
    if (n < 1 || n > 5 || kernel[0] <= 0) return false;
    for (int i = 1; i < n * n; i++)
      if (kernel[i] != kernel[0]) return false;
    return true;
  }

  // Equal positive weights: (w * total) / (w * count) is total / count, so the box is a sum of column
  // sums divided by the number of taps inside the clamp extents.
  static void filterDownUniform(Raster_PixelWord* dest, const Raster_PixelWord* src, int w, int h, int uStart,
                                int vStart, int du, int dv, int clampw, int clamph, long srcRowStep, long destRowStep,
                                int alpha, int o, int n)
  {
    using namespace Raster_BlitDetail;
    // Columns drawn, and each one's window of source columns clipped to the clamp width. u moves by a
    // constant step, so the drawn columns (u in [-65535, clampw * 65536)) form one run.
    std::vector<int> first((size_t)w), last((size_t)w);
    int xBegin = -1, xEnd = -1;
    long long colMin = 0, colMax = 0;
    long long u = uStart;
    for (int x = 0; x < w && xEnd < 0; x++, u += du) {
      if (u < -65535 || u / 65536 >= clampw) {
        if (xBegin >= 0) xEnd = x;
        continue;
      }
      if (xBegin < 0) xBegin = x;
      const long long cx = u / 65536;
      long long a = cx + o, b = cx + o + n;
      if (a < 0) a = 0;
      if (b > clampw) b = clampw;
      if (x == xBegin || a < colMin) colMin = a;
      if (x == xBegin || b > colMax) colMax = b;
      first[(size_t)x] = (int)a;
      last[(size_t)x] = (int)b;
    }
    if (xBegin < 0) return;
    if (xEnd < 0) xEnd = w;
    for (int x = xBegin; x < xEnd; x++) {
      first[(size_t)x] -= (int)colMin;
      last[(size_t)x] -= (int)colMin;
    }
    const int cols = (int)(colMax - colMin);
    // Halving (the usual 2:1 reduction): the longest stretch of three-column windows two columns
    // apart goes through the row that needs no per-pixel windows.
    int runBegin = xBegin, runEnd = xBegin;
    for (int x = xBegin; x < xEnd;) {
      int e = x;
      while (e < xEnd && last[(size_t)e] - first[(size_t)e] == 3 &&
             (e == x || first[(size_t)e] == first[(size_t)e - 1] + 2))
        e++;
      if (e - x > runEnd - runBegin) {
        runBegin = x;
        runEnd = e;
      }
      x = e > x ? e : x + 1;
    }
    if (runEnd - runBegin < 4) runBegin = runEnd = xEnd;
    constexpr bool kDirect = std::is_same<K, _Raster_CombinePixelsClobberNoClamp>::value;
    std::vector<uint16_t> sums((size_t)cols * 4 + 8);
    std::vector<Raster_PixelWord> row(kDirect ? 0 : (size_t)(xEnd - xBegin));
    const Raster_PixelWord* rows[5];
    for (int y = 0; y < h; y++) {
      const long long v = vStart + (long long)y * dv;
      if (v < -65535 || v / 65536 >= clamph) continue;
      const long long cy = v / 65536;
      int rowCount = 0;
      for (int j = 0; j < n; j++) {
        const long long sy = cy + o + j;
        if (sy >= 0 && sy < clamph) rows[rowCount++] = rowAt(src, srcRowStep, sy);
      }
      Raster_SIMD_ColumnSums(sums.data(), rows, rowCount, (int)colMin, cols);
      Raster_PixelWord* d = rowAt(dest, destRowStep, y) + xBegin;
      Raster_PixelWord* out = kDirect ? d : row.data();
      Raster_SIMD_BoxFromColumnSums(out, sums.data(), first.data() + xBegin, last.data() + xBegin, rowCount,
                                    runBegin - xBegin);
      if (runEnd > runBegin)
        Raster_SIMD_BoxHalving3(out + (runBegin - xBegin), sums.data(), first[(size_t)runBegin], rowCount,
                                runEnd - runBegin);
      Raster_SIMD_BoxFromColumnSums(out + (runEnd - xBegin), sums.data(), first.data() + runEnd, last.data() + runEnd,
                                    rowCount, xEnd - runEnd);
      if (!kDirect) offerRow<K>(d, row.data(), xEnd - xBegin, alpha);
    }
  }
};
