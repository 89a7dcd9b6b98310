// SSE2 versions of the blit inner loops (see Raster_BlitSIMD.h). Each reproduces the integer arithmetic of
// the scalar kernel exactly; where SSE2 is not available (or BRINDLE_RASTER_NO_SIMD is defined) the same
// entry points run plain scalar code and the switch stays off.

#include "raster/Raster_BlitSIMD.h"
#include "raster/Raster_BlitSSE2Config.h"

namespace {

bool gSimdOn = RASTER_HAVE_SSE2 != 0;

// --- scalar forms, used for tails and when SSE2 is missing ---

inline void copySourceAlphaPixel(Raster_PixelWord *d, Raster_PixelWord s)
{
  const int sa = (int)(s & 0xFF);
  if (sa == 0) return;
  unsigned char *db = (unsigned char *)d;
  const int inv = 255 - sa;
  for (int c = 1; c < 4; c++) {
    const int sc = (int)((s >> (8 * c)) & 0xFF);
    db[c] = (unsigned char)(sc + (db[c] - sc) * inv / 256);
  }
  const int a = db[0] + sa;
  db[0] = (unsigned char)(a > 255 ? 255 : a);
}

// Division of a channel total by a tap count through a 16-bit multiply: exact for every total a window of
// that many pixels can reach, which is checked once here rather than trusted.
struct DivisionTable
{
  enum { kMaxCount = 64 };
  uint16_t mMagic[kMaxCount + 1];
  bool mExact[kMaxCount + 1];

  DivisionTable()
  {
    mMagic[0] = mMagic[1] = 0;
    mExact[0] = mExact[1] = false;
    for (unsigned c = 2; c <= kMaxCount; c++) {
      const unsigned m = (65536 + c - 1) / c;
      bool ok = true;
      for (unsigned x = 0; x <= 255 * c && ok; x++) ok = ((x * m) >> 16) == x / c;
      mMagic[c] = (uint16_t)m;
      mExact[c] = ok;
    }
  }
};

[[maybe_unused]] const DivisionTable &divisionTable()
{
  static const DivisionTable table;
  return table;
}

} // namespace

bool Raster_BlitSimdEnabled() { return gSimdOn; }

void Raster_SetBlitSimdEnabled(bool on) { gSimdOn = on && RASTER_HAVE_SSE2; }

#if RASTER_HAVE_SSE2

void Raster_SIMD_CopySourceAlphaRow(Raster_PixelWord *d, const Raster_PixelWord *s, int n)
{
  const __m128i zero = _mm_setzero_si128();
  const __m128i alphaByte = _mm_set1_epi32(0xFF);
  const __m128i ones = _mm_set1_epi32(-1);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i sv = _mm_loadu_si128((const __m128i *)(s + i));
    const __m128i dv = _mm_loadu_si128((const __m128i *)(d + i));
    const __m128i sa = _mm_and_si128(sv, alphaByte);
    __m128i sa4 = _mm_or_si128(sa, _mm_slli_epi32(sa, 8));
    sa4 = _mm_or_si128(sa4, _mm_slli_epi32(sa4, 16));
    const __m128i inv = _mm_xor_si128(sa4, ones); // 255 - sa in every byte

    // (d - s) * inv / 256 truncates toward zero: the magnitude is |d - s| * inv >> 8, its sign that of d - s.
    const __m128i sOver = _mm_subs_epu8(sv, dv);
    const __m128i dOver = _mm_subs_epu8(dv, sv);
    const __m128i diff = _mm_or_si128(sOver, dOver);
    const __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(diff, zero), _mm_unpacklo_epi8(inv, zero)), 8);
    const __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(diff, zero), _mm_unpackhi_epi8(inv, zero)), 8);
    const __m128i q = _mm_packus_epi16(lo, hi);
    const __m128i dBelow = _mm_cmpeq_epi8(dOver, zero); // d <= s: the change is subtracted
    const __m128i up = _mm_andnot_si128(dBelow, q);
    const __m128i down = _mm_and_si128(dBelow, q);
    const __m128i colour = _mm_sub_epi8(_mm_add_epi8(sv, up), down);

    const __m128i alpha = _mm_and_si128(_mm_adds_epu8(dv, sa), alphaByte); // min(255, d + sa)
    __m128i out = _mm_or_si128(_mm_andnot_si128(alphaByte, colour), alpha);
    const __m128i keep = _mm_cmpeq_epi32(sa, zero); // fully transparent source pixels leave d alone
    out = _mm_or_si128(_mm_and_si128(keep, dv), _mm_andnot_si128(keep, out));
    _mm_storeu_si128((__m128i *)(d + i), out);
  }
  for (; i < n; i++) copySourceAlphaPixel(d + i, s[i]);
}

void Raster_SIMD_HalfMixRow(Raster_PixelWord *d, const Raster_PixelWord *s, int n)
{
  const __m128i mask = _mm_set1_epi32(0x7F7F7F7F);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i sv = _mm_loadu_si128((const __m128i *)(s + i));
    const __m128i dv = _mm_loadu_si128((const __m128i *)(d + i));
    const __m128i out =
        _mm_add_epi32(_mm_and_si128(_mm_srli_epi32(dv, 1), mask), _mm_and_si128(_mm_srli_epi32(sv, 1), mask));
    _mm_storeu_si128((__m128i *)(d + i), out);
  }
  for (; i < n; i++) d[i] = ((d[i] >> 1) & 0x7F7F7F7F) + ((s[i] >> 1) & 0x7F7F7F7F);
}

void Raster_SIMD_ColumnSums(uint16_t *sums, const Raster_PixelWord *const *rows, int rowCount, int x0, int n)
{
  const __m128i zero = _mm_setzero_si128();
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i lo = zero, hi = zero;
    for (int r = 0; r < rowCount; r++) {
      const __m128i p = _mm_loadu_si128((const __m128i *)(rows[r] + x0 + i));
      lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(p, zero));
      hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(p, zero));
    }
    _mm_storeu_si128((__m128i *)(sums + 4 * i), lo);
    _mm_storeu_si128((__m128i *)(sums + 4 * i + 8), hi);
  }
  for (; i < n; i++) {
    unsigned t[4] = {0, 0, 0, 0};
    for (int r = 0; r < rowCount; r++) {
      const Raster_PixelWord p = rows[r][x0 + i];
      for (int c = 0; c < 4; c++) t[c] += (p >> (8 * c)) & 0xFF;
    }
    for (int c = 0; c < 4; c++) sums[4 * i + c] = (uint16_t)t[c];
  }
}

void Raster_SIMD_BoxFromColumnSums(Raster_PixelWord *out, const uint16_t *sums, const int *first, const int *last,
                                   int rowCount, int n)
{
  const DivisionTable &table = divisionTable();
  const __m128i zero = _mm_setzero_si128();
  for (int i = 0; i < n; i++) {
    __m128i acc = zero;
    for (int c = first[i]; c < last[i]; c++)
      acc = _mm_add_epi16(acc, _mm_loadl_epi64((const __m128i *)(sums + 4 * c)));
    const int count = (last[i] - first[i]) * rowCount;
    if (count == 1) {
      out[i] = (Raster_PixelWord)_mm_cvtsi128_si32(_mm_packus_epi16(acc, zero));
    } else if (count > 1 && count <= DivisionTable::kMaxCount && table.mExact[count]) {
      const __m128i q = _mm_mulhi_epu16(acc, _mm_set1_epi16((short)table.mMagic[count]));
      out[i] = (Raster_PixelWord)_mm_cvtsi128_si32(_mm_packus_epi16(q, zero));
    } else if (count > 0) {
      uint16_t t[8];
      _mm_storeu_si128((__m128i *)t, acc);
      out[i] = (Raster_PixelWord)(t[0] / count) | ((Raster_PixelWord)(t[1] / count) << 8) |
               ((Raster_PixelWord)(t[2] / count) << 16) | ((Raster_PixelWord)(t[3] / count) << 24);
    } else {
      out[i] = 0;
    }
  }
}

#else // scalar stand-ins when SSE2 is not compiled in

void Raster_SIMD_CopySourceAlphaRow(Raster_PixelWord *d, const Raster_PixelWord *s, int n)
{
  for (int i = 0; i < n; i++) copySourceAlphaPixel(d + i, s[i]);
}

void Raster_SIMD_HalfMixRow(Raster_PixelWord *d, const Raster_PixelWord *s, int n)
{
  for (int i = 0; i < n; i++) d[i] = ((d[i] >> 1) & 0x7F7F7F7F) + ((s[i] >> 1) & 0x7F7F7F7F);
}

void Raster_SIMD_ColumnSums(uint16_t *sums, const Raster_PixelWord *const *rows, int rowCount, int x0, int n)
{
  for (int i = 0; i < n; i++) {
    unsigned t[4] = {0, 0, 0, 0};
    for (int r = 0; r < rowCount; r++) {
      const Raster_PixelWord p = rows[r][x0 + i];
      for (int c = 0; c < 4; c++) t[c] += (p >> (8 * c)) & 0xFF;
    }
    for (int c = 0; c < 4; c++) sums[4 * i + c] = (uint16_t)t[c];
  }
}

void Raster_SIMD_BoxFromColumnSums(Raster_PixelWord *out, const uint16_t *sums, const int *first, const int *last,
                                   int rowCount, int n)
{
  for (int i = 0; i < n; i++) {
    unsigned t[4] = {0, 0, 0, 0};
    for (int c = first[i]; c < last[i]; c++)
      for (int k = 0; k < 4; k++) t[k] += sums[4 * c + k];
    const unsigned count = (unsigned)((last[i] - first[i]) * rowCount);
    out[i] = 0;
    if (count)
      for (int k = 0; k < 4; k++) out[i] |= (t[k] / count) << (8 * k);
  }
}

#endif
