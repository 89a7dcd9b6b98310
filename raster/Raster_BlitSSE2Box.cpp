// SSE2 box-filter rows for strong reductions (Raster_SIMD_ColumnSums, Raster_SIMD_BoxFromColumnSums).
// With equal weights the box is (sum of taps) / (number of taps); the sums are built per source column
// once per destination row and then added across each pixel's window.

#include "raster/Raster_BlitAVX2.h"
#include "raster/Raster_BlitSIMD.h"
#include "raster/Raster_BlitSSE2Config.h"

namespace {

void columnSumsScalar(uint16_t* sums, const Raster_PixelWord* const* rows, int rowCount, int x0, int n)
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

Raster_PixelWord boxScalar(const uint16_t* sums, int first, int last, int rowCount)
{
  unsigned t[4] = {0, 0, 0, 0};
  for (int c = first; c < last; c++)
    for (int k = 0; k < 4; k++) t[k] += sums[4 * c + k];
  const unsigned count = (unsigned)((last - first) * rowCount);
  Raster_PixelWord out = 0;
  if (!count) return out;
  // t / count through a rounded-up reciprocal: exact while t * count < 2^32, and every total here is
  // below 65536 and every count below 65536.
  const uint64_t reciprocal = uint64_t{0xFFFFFFFF} / count + 1;
  for (int k = 0; k < 4; k++) out |= (Raster_PixelWord)((t[k] * reciprocal) >> 32) << (8 * k);
  return out;
}

} // namespace

#if RASTER_BLIT_SSE2

namespace {

// Division of a channel total by a tap count through a 16-bit multiply-high: exact for every total a
// window of that many pixels can reach, which is checked once here rather than trusted.
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

const DivisionTable& divisionTable()
{
  static const DivisionTable table;
  return table;
}

} // namespace

void Raster_SIMD_ColumnSums(uint16_t* sums, const Raster_PixelWord* const* rows, int rowCount, int x0, int n)
{
  // Even bytes (A, G) and odd bytes (R, B) are summed in separate 16-bit lanes without unpacking; one
  // interleave per four columns restores the A, R, G, B order.
  const __m128i evenBytes = _mm_set1_epi16(0xFF);
  int i = Raster_BlitAvx2Active() ? Raster_AVX2_ColumnSums(sums, rows, rowCount, x0, n) : 0;
  for (; i + 4 <= n; i += 4) {
    __m128i even = _mm_setzero_si128(), odd = _mm_setzero_si128();
    for (int r = 0; r < rowCount; r++) {
      const __m128i p = _mm_loadu_si128((const __m128i*)(rows[r] + x0 + i));
      even = _mm_add_epi16(even, _mm_and_si128(p, evenBytes));
      odd = _mm_add_epi16(odd, _mm_srli_epi16(p, 8));
    }
    _mm_storeu_si128((__m128i*)(sums + 4 * i), _mm_unpacklo_epi16(even, odd));
    _mm_storeu_si128((__m128i*)(sums + 4 * i + 8), _mm_unpackhi_epi16(even, odd));
  }
  columnSumsScalar(sums + 4 * i, rows, rowCount, x0 + i, n - i);
}

void Raster_SIMD_BoxFromColumnSums(Raster_PixelWord* out, const uint16_t* sums, const int* first, const int* last,
                                   int rowCount, int n)
{
  const DivisionTable& table = divisionTable();
  int i = 0;
  // Pairs of pixels whose windows are three columns wide: the common case of 2:1 to 3:1 reductions.
  const int count3 = 3 * rowCount;
  if (count3 <= DivisionTable::kMaxCount && table.mExact[count3]) {
    const __m128i magic = _mm_set1_epi16((short)table.mMagic[count3]);
    if (Raster_BlitAvx2Active()) {
      // Groups of four three-column windows; a pixel with another window (at the clamp edges) goes
      // the general way and the groups resume after it.
      while (i + 4 <= n) {
        i += Raster_AVX2_Box3FromColumnSums(out + i, sums, first + i, last + i, n - i, table.mMagic[count3]);
        if (i + 4 > n) break;
        out[i] = boxScalar(sums, first[i], last[i], rowCount);
        i++;
      }
    }
    for (; i + 2 <= n; i += 2) {
      if (last[i] - first[i] != 3 || last[i + 1] - first[i + 1] != 3) {
        out[i] = boxScalar(sums, first[i], last[i], rowCount);
        out[i + 1] = boxScalar(sums, first[i + 1], last[i + 1], rowCount);
        continue;
      }
      const __m128i a0 = _mm_loadu_si128((const __m128i*)(sums + 4 * first[i]));
      const __m128i a1 = _mm_loadu_si128((const __m128i*)(sums + 4 * first[i + 1]));
      const __m128i b0 = _mm_loadl_epi64((const __m128i*)(sums + 4 * first[i] + 8));
      const __m128i b1 = _mm_loadl_epi64((const __m128i*)(sums + 4 * first[i + 1] + 8));
      const __m128i total = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi64(a0, a1), _mm_unpackhi_epi64(a0, a1)),
                                          _mm_unpacklo_epi64(b0, b1));
      const __m128i q = _mm_mulhi_epu16(total, magic);
      _mm_storel_epi64((__m128i*)(out + i), _mm_packus_epi16(q, q));
    }
  }
  for (; i < n; i++) out[i] = boxScalar(sums, first[i], last[i], rowCount);
}

void Raster_SIMD_BoxHalving3(Raster_PixelWord* out, const uint16_t* sums, int c0, int rowCount, int n)
{
  const DivisionTable& table = divisionTable();
  const int count3 = 3 * rowCount;
  int i = 0;
  if (count3 <= DivisionTable::kMaxCount && table.mExact[count3]) {
    const uint16_t* c = sums + 4 * c0;
    if (Raster_BlitAvx2Active()) i = Raster_AVX2_BoxHalving3(out, c, n, table.mMagic[count3]);
    const __m128i magic = _mm_set1_epi16((short)table.mMagic[count3]);
    for (; i + 2 <= n; i += 2) {
      // Columns k = 2i on: (k, k + 2) + (k + 1, k + 3) + (k + 2, k + 4) are pixels i and i + 1.
      const __m128i a = _mm_loadu_si128((const __m128i*)(c + 8 * i));
      const __m128i b = _mm_loadu_si128((const __m128i*)(c + 8 * i + 8));
      const __m128i e = _mm_loadl_epi64((const __m128i*)(c + 8 * i + 16));
      const __m128i total =
          _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi64(a, b), _mm_unpackhi_epi64(a, b)), _mm_unpacklo_epi64(b, e));
      const __m128i q = _mm_mulhi_epu16(total, magic);
      _mm_storel_epi64((__m128i*)(out + i), _mm_packus_epi16(q, q));
    }
  }
  for (; i < n; i++) out[i] = boxScalar(sums, c0 + 2 * i, c0 + 2 * i + 3, rowCount);
}

#else

void Raster_SIMD_ColumnSums(uint16_t* sums, const Raster_PixelWord* const* rows, int rowCount, int x0, int n)
{
  columnSumsScalar(sums, rows, rowCount, x0, n);
}

void Raster_SIMD_BoxFromColumnSums(Raster_PixelWord* out, const uint16_t* sums, const int* first, const int* last,
                                   int rowCount, int n)
{
  for (int i = 0; i < n; i++) out[i] = boxScalar(sums, first[i], last[i], rowCount);
}

void Raster_SIMD_BoxHalving3(Raster_PixelWord* out, const uint16_t* sums, int c0, int rowCount, int n)
{
  for (int i = 0; i < n; i++) out[i] = boxScalar(sums, c0 + 2 * i, c0 + 2 * i + 3, rowCount);
}

#endif
