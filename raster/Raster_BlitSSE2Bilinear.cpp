// SSE2 bilinear sampling rows (Raster_SIMD_BilinearRow), exact to the scalar four-tap formula
//   S = wTL*a + wTR*b + wBL*c + w11*d,  w11 = (xf*yf) >> 16, wTR = xf - w11, wBL = yf - w11,
//   wTL = 65536 - yf - wTR,  result = S >> 16
// with a = top[cx], b = top[cx+1], c = bottom[cx], d = bottom[cx+1].
//
// Rewritten as S = ((65536 - yf)*a + yf*c) + wTR*(b - a) + w11*(d - c), the first bracket depends only on
// the source column and the row, so for steps of at most one source pixel (enlargements) it is worked
// out once per column and shared by the destination pixels that fall in that column; each pixel then
// needs two multiply-adds. Larger steps weigh the four taps of each pixel directly. Weights can exceed a
// signed 16-bit lane, so every multiply-add works on a weight's high and low bytes separately and the
// total is rebuilt as (high << 8) + low, which is exact.

#include "raster/Raster_BlitAVX2.h"
#include "raster/Raster_BlitSIMD.h"
#include "raster/Raster_BlitSSE2Config.h"
#include "raster/Raster_Template_Blit2.h"

namespace {

inline Raster_PixelWord bilinearPixel(const Raster_PixelWord* top, const Raster_PixelWord* bottom, int u, int yf)
{
  const int cx = u / 65536;
  return Raster_BlitDetail::mix4(top[cx], top[cx + 1], bottom[cx], bottom[cx + 1], (unsigned)u & 0xFFFF, (unsigned)yf);
}

} // namespace

#if RASTER_BLIT_SSE2

namespace {

inline __m128i pairOf(__m128i left, __m128i right)
{
  return _mm_or_si128(left, _mm_slli_epi32(right, 16));
}

// Four taps per pixel, for steps above one source pixel.
template <int kLane>
inline __m128i fourTaps(const Raster_PixelWord* top, const Raster_PixelWord* bottom, int cx, __m128i hiT, __m128i loT,
                        __m128i hiB, __m128i loB)
{
  const __m128i zero = _mm_setzero_si128();
  const __m128i t = _mm_loadl_epi64((const __m128i*)(top + cx));
  const __m128i b = _mm_loadl_epi64((const __m128i*)(bottom + cx));
  const __m128i tp = _mm_unpacklo_epi8(_mm_unpacklo_epi8(t, _mm_srli_si128(t, 4)), zero);
  const __m128i bp = _mm_unpacklo_epi8(_mm_unpacklo_epi8(b, _mm_srli_si128(b, 4)), zero);
  const int sel = kLane * 0x55;
  const __m128i high =
      _mm_add_epi32(_mm_madd_epi16(tp, _mm_shuffle_epi32(hiT, sel)), _mm_madd_epi16(bp, _mm_shuffle_epi32(hiB, sel)));
  const __m128i low =
      _mm_add_epi32(_mm_madd_epi16(tp, _mm_shuffle_epi32(loT, sel)), _mm_madd_epi16(bp, _mm_shuffle_epi32(loB, sel)));
  return _mm_srli_epi32(_mm_add_epi32(_mm_slli_epi32(high, 8), low), 16);
}

__m128i positions(int u0, int du, int i)
{
  return _mm_set_epi32((int)(u0 + (long long)(i + 3) * du), (int)(u0 + (long long)(i + 2) * du),
                       (int)(u0 + (long long)(i + 1) * du), (int)(u0 + (long long)i * du));
}

void rowWideSteps(Raster_PixelWord* out, const Raster_PixelWord* top, const Raster_PixelWord* bottom, int u0, int du,
                  int yf, int n)
{
  const __m128i low16 = _mm_set1_epi32(0xFFFF);
  const __m128i byteMask = _mm_set1_epi32(0xFF);
  const __m128i one = _mm_set1_epi32(65536);
  const __m128i yv = _mm_set1_epi32(yf);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i xf = _mm_and_si128(positions(u0, du, i), low16);
    const __m128i w11 = _mm_mulhi_epu16(xf, yv); // (xf * yf) >> 16; the upper 16-bit lanes are 0 * 0
    const __m128i wTR = _mm_sub_epi32(xf, w11);
    const __m128i wBL = _mm_sub_epi32(yv, w11);
    const __m128i wTL = _mm_sub_epi32(_mm_sub_epi32(one, yv), wTR);
    const __m128i hiT = pairOf(_mm_srli_epi32(wTL, 8), _mm_srli_epi32(wTR, 8));
    const __m128i loT = pairOf(_mm_and_si128(wTL, byteMask), _mm_and_si128(wTR, byteMask));
    const __m128i hiB = pairOf(_mm_srli_epi32(wBL, 8), _mm_srli_epi32(w11, 8));
    const __m128i loB = pairOf(_mm_and_si128(wBL, byteMask), _mm_and_si128(w11, byteMask));
    const int ua = (int)(u0 + (long long)i * du), ub = (int)(u0 + (long long)(i + 1) * du);
    const int uc = (int)(u0 + (long long)(i + 2) * du), ud = (int)(u0 + (long long)(i + 3) * du);
    const __m128i p0 = fourTaps<0>(top, bottom, ua / 65536, hiT, loT, hiB, loB);
    const __m128i p1 = fourTaps<1>(top, bottom, ub / 65536, hiT, loT, hiB, loB);
    const __m128i p2 = fourTaps<2>(top, bottom, uc / 65536, hiT, loT, hiB, loB);
    const __m128i p3 = fourTaps<3>(top, bottom, ud / 65536, hiT, loT, hiB, loB);
    _mm_storeu_si128((__m128i*)(out + i), _mm_packus_epi16(_mm_packs_epi32(p0, p1), _mm_packs_epi32(p2, p3)));
  }
  for (; i < n; i++) out[i] = bilinearPixel(top, bottom, (int)(u0 + (long long)i * du), yf);
}

// Per source column k (relative to the first one used): mColumn[k] = (65536 - yf) * a + yf * c per
// channel, and mSlope[k] = the 16-bit pairs (b - a, d - c) per channel.
struct ColumnTable
{
  enum { kMaxPixels = 256, kMaxColumns = kMaxPixels + 2 };
  __m128i mColumn[kMaxColumns];
  __m128i mSlope[kMaxColumns];

  void build(const Raster_PixelWord* top, const Raster_PixelWord* bottom, int first, int count, int yf)
  {
    const __m128i zero = _mm_setzero_si128();
    const int lead = 65536 - yf;
    const __m128i hiW = _mm_set1_epi32((lead >> 8) | ((yf >> 8) << 16));
    const __m128i loW = _mm_set1_epi32((lead & 0xFF) | ((yf & 0xFF) << 16));
    // (a, c) pairs of columns first .. first + count (one more than the table holds, for the slopes).
    __m128i pairs[kMaxColumns + 1];
    int k = 0;
    for (; k + 2 <= count + 1; k += 2) {
      const __m128i t = _mm_loadl_epi64((const __m128i*)(top + first + k));
      const __m128i b = _mm_loadl_epi64((const __m128i*)(bottom + first + k));
      const __m128i ac = _mm_unpacklo_epi8(t, b);
      pairs[k] = _mm_unpacklo_epi8(ac, zero);
      pairs[k + 1] = _mm_unpackhi_epi8(ac, zero);
    }
    if (k < count + 1) {
      const __m128i t = _mm_cvtsi32_si128((int)top[first + k]);
      const __m128i b = _mm_cvtsi32_si128((int)bottom[first + k]);
      pairs[k] = _mm_unpacklo_epi8(_mm_unpacklo_epi8(t, b), zero);
    }
    for (k = 0; k < count; k++) {
      mColumn[k] = _mm_add_epi32(_mm_slli_epi32(_mm_madd_epi16(pairs[k], hiW), 8), _mm_madd_epi16(pairs[k], loW));
      mSlope[k] = _mm_sub_epi16(pairs[k + 1], pairs[k]);
    }
  }
};

template <int kLane>
inline __m128i fromTable(const ColumnTable& table, int k, __m128i hiW, __m128i loW)
{
  const int sel = kLane * 0x55;
  const __m128i slope = table.mSlope[k];
  const __m128i high = _mm_madd_epi16(slope, _mm_shuffle_epi32(hiW, sel));
  const __m128i low = _mm_madd_epi16(slope, _mm_shuffle_epi32(loW, sel));
  const __m128i s = _mm_add_epi32(table.mColumn[k], _mm_add_epi32(_mm_slli_epi32(high, 8), low));
  return _mm_srli_epi32(s, 16);
}

// One chunk of at most kMaxPixels pixels with |du| <= 65536.
void rowNarrowSteps(Raster_PixelWord* out, const Raster_PixelWord* top, const Raster_PixelWord* bottom, int u0, int du,
                    int yf, int n, ColumnTable& table)
{
  const int uLast = (int)(u0 + (long long)(n - 1) * du);
  const int first = (du >= 0 ? u0 : uLast) / 65536, last = (du >= 0 ? uLast : u0) / 65536;
  table.build(top, bottom, first, last - first + 1, yf);

  const __m128i low16 = _mm_set1_epi32(0xFFFF);
  const __m128i byteMask16 = _mm_set1_epi16(0xFF);
  const __m128i yv = _mm_set1_epi32(yf);
  // Positions advance in wrapping (unsigned) arithmetic: only those of real pixels are used, and they
  // all lie inside the source.
  const __m128i step4 = _mm_set1_epi32((int)(4u * (unsigned)du));
  __m128i uv = positions(u0, du, 0);
  unsigned u = (unsigned)u0;
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i xf = _mm_and_si128(uv, low16);
    uv = _mm_add_epi32(uv, step4);
    const __m128i w11 = _mm_mulhi_epu16(xf, yv);
    const __m128i weights = pairOf(_mm_sub_epi32(xf, w11), w11); // 16-bit pairs (wTR, w11)
    const __m128i hiW = _mm_srli_epi16(weights, 8);
    const __m128i loW = _mm_and_si128(weights, byteMask16);
    const int ka = (int)u / 65536 - first;
    const int kb = (int)(u + (unsigned)du) / 65536 - first;
    const int kc = (int)(u + 2u * (unsigned)du) / 65536 - first;
    const int kd = (int)(u + 3u * (unsigned)du) / 65536 - first;
    u += 4u * (unsigned)du;
    const __m128i p0 = fromTable<0>(table, ka, hiW, loW);
    const __m128i p1 = fromTable<1>(table, kb, hiW, loW);
    const __m128i p2 = fromTable<2>(table, kc, hiW, loW);
    const __m128i p3 = fromTable<3>(table, kd, hiW, loW);
    _mm_storeu_si128((__m128i*)(out + i), _mm_packus_epi16(_mm_packs_epi32(p0, p1), _mm_packs_epi32(p2, p3)));
  }
  for (; i < n; i++) out[i] = bilinearPixel(top, bottom, (int)(u0 + (long long)i * du), yf);
}

} // namespace

void Raster_SIMD_BilinearRow(Raster_PixelWord* out, const Raster_PixelWord* top, const Raster_PixelWord* bottom, int u0,
                             int du, int yf, int n)
{
  if (du > 65536 || du < -65536) {
    rowWideSteps(out, top, bottom, u0, du, yf, n);
    return;
  }
  if (Raster_BlitAvx2Active()) {
    const int done = Raster_AVX2_BilinearNarrowRow(out, top, bottom, u0, du, yf, n);
    out += done;
    u0 = (int)(u0 + (long long)done * du);
    n -= done;
  }
  ColumnTable table;
  for (int i = 0; i < n; i += ColumnTable::kMaxPixels) {
    const int chunk = n - i < ColumnTable::kMaxPixels ? n - i : ColumnTable::kMaxPixels;
    rowNarrowSteps(out + i, top, bottom, (int)(u0 + (long long)i * du), du, yf, chunk, table);
  }
}

#else

void Raster_SIMD_BilinearRow(Raster_PixelWord* out, const Raster_PixelWord* top, const Raster_PixelWord* bottom, int u0,
                             int du, int yf, int n)
{
  for (int i = 0; i < n; i++) out[i] = bilinearPixel(top, bottom, (int)(u0 + (long long)i * du), yf);
}

#endif
