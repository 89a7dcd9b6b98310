// AVX2 forms of the blit rows (see Raster_BlitAVX2.h): the SSE2 arithmetic on 256-bit registers.

#include "raster/Raster_BlitAVX2.h"

#if RASTER_BLIT_AVX2
#include <immintrin.h>
#endif

namespace {

bool cpuHasAvx2()
{
#if RASTER_BLIT_AVX2
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

// Settled once, before main, from the CPU; the switch below can only turn it off.
const bool gCpuAvx2 = cpuHasAvx2();
bool gAvx2On = true;

} // namespace

bool Raster_BlitAvx2Enabled()
{
  return gAvx2On && gCpuAvx2;
}

void Raster_SetBlitAvx2Enabled(bool on)
{
  gAvx2On = on;
}

bool Raster_BlitAvx2Active()
{
  return gAvx2On && gCpuAvx2 && Raster_BlitSimdEnabled();
}

#if RASTER_BLIT_AVX2

#define RASTER_AVX2 __attribute__((target("avx2")))

namespace {

// copySourceAlpha4 of Raster_BlitSSE2.cpp, eight pixels at a time; every step works within 32-bit
// pixels or 16-bit lanes, so the wider registers change nothing in the results.
template <bool kWeighted>
RASTER_AVX2 inline __m256i copySourceAlpha8(__m256i sv, __m256i dv, __m256i weight)
{
  const __m256i zero = _mm256_setzero_si256();
  const __m256i alphaByte = _mm256_set1_epi32(0xFF);
  const __m256i sa = _mm256_and_si256(sv, alphaByte);
  __m256i w, inv1;
  if (kWeighted) {
    w = _mm256_srli_epi32(_mm256_mullo_epi16(_mm256_add_epi32(sa, _mm256_set1_epi32(1)), weight), 8);
    inv1 = _mm256_sub_epi32(_mm256_set1_epi32(256), w);
  } else {
    w = sa;
    inv1 = _mm256_xor_si256(sa, alphaByte);
  }
  const __m256i inv = _mm256_or_si256(inv1, _mm256_slli_epi32(inv1, 16));

  const __m256i sOver = _mm256_subs_epu8(sv, dv);
  const __m256i dOver = _mm256_subs_epu8(dv, sv);
  const __m256i diff = _mm256_or_si256(sOver, dOver);
  const __m256i qEven =
      _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(diff, _mm256_set1_epi16(0x00FF)), inv), 8);
  const __m256i qOdd =
      _mm256_and_si256(_mm256_mullo_epi16(_mm256_srli_epi16(diff, 8), inv), _mm256_set1_epi16((short)0xFF00));
  const __m256i q = _mm256_or_si256(qEven, qOdd);
  const __m256i dBelow = _mm256_cmpeq_epi8(dOver, zero);
  const __m256i colour =
      _mm256_sub_epi8(_mm256_add_epi8(sv, _mm256_andnot_si256(dBelow, q)), _mm256_and_si256(dBelow, q));

  const __m256i alpha = _mm256_and_si256(_mm256_adds_epu8(dv, w), alphaByte);
  const __m256i out = _mm256_or_si256(_mm256_andnot_si256(alphaByte, colour), alpha);
  const __m256i keep = _mm256_cmpeq_epi32(sa, zero);
  return _mm256_blendv_epi8(out, dv, keep);
}

template <bool kWeighted>
RASTER_AVX2 int copySourceAlphaRow(Raster_PixelWord* d, const Raster_PixelWord* s, int n, int alpha)
{
  const __m256i weight = _mm256_set1_epi32(alpha);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i sv = _mm256_loadu_si256((const __m256i*)(s + i));
    const __m256i dv = _mm256_loadu_si256((const __m256i*)(d + i));
    _mm256_storeu_si256((__m256i*)(d + i), copySourceAlpha8<kWeighted>(sv, dv, weight));
  }
  return i;
}

} // namespace

int Raster_AVX2_CopySourceAlphaRow(Raster_PixelWord* d, const Raster_PixelWord* s, int n)
{
  return copySourceAlphaRow<false>(d, s, n, 0);
}

int Raster_AVX2_CopySourceAlphaWeightedRow(Raster_PixelWord* d, const Raster_PixelWord* s, int n, int alpha)
{
  return copySourceAlphaRow<true>(d, s, n, alpha);
}

namespace {

// kRows > 0: that many rows, their pointers held in registers (the 3 x 3 box's case); 0: rowCount.
template <int kRows>
RASTER_AVX2 inline int columnSums(uint16_t* sums, const Raster_PixelWord* const* rows, int rowCount, int x0, int n)
{
  const int count = kRows > 0 ? kRows : rowCount;
  const Raster_PixelWord* fixed[kRows > 0 ? kRows : 1];
  for (int r = 0; r < kRows; r++) fixed[r] = rows[r] + x0;
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    // Each load widens four pixels' bytes to 16-bit lanes in their own order: no interleave after.
    __m256i low = _mm256_setzero_si256(), high = _mm256_setzero_si256();
    for (int r = 0; r < count; r++) {
      const Raster_PixelWord* row = (kRows > 0 ? fixed[r] : rows[r] + x0) + i;
      low = _mm256_add_epi16(low, _mm256_cvtepu8_epi16(_mm_loadu_si128((const __m128i*)row)));
      high = _mm256_add_epi16(high, _mm256_cvtepu8_epi16(_mm_loadu_si128((const __m128i*)(row + 4))));
    }
    _mm256_storeu_si256((__m256i*)(sums + 4 * i), low);
    _mm256_storeu_si256((__m256i*)(sums + 4 * i + 16), high);
  }
  return i;
}

} // namespace

RASTER_AVX2 int Raster_AVX2_ColumnSums(uint16_t* sums, const Raster_PixelWord* const* rows, int rowCount, int x0, int n)
{
  return rowCount == 3 ? columnSums<3>(sums, rows, rowCount, x0, n) : columnSums<0>(sums, rows, rowCount, x0, n);
}

RASTER_AVX2 int Raster_AVX2_Box3FromColumnSums(Raster_PixelWord* out, const uint16_t* sums, const int* first,
                                               const int* last, int n, uint16_t magic)
{
  const __m256i magicV = _mm256_set1_epi16((short)magic);
  const __m128i three = _mm_set1_epi32(3);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i f = _mm_loadu_si128((const __m128i*)(first + i));
    const __m128i l = _mm_loadu_si128((const __m128i*)(last + i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_sub_epi32(l, f), three)) != 0xFFFF) break;
    const uint16_t* c0 = sums + 4 * first[i];
    const uint16_t* c1 = sums + 4 * first[i + 1];
    const uint16_t* c2 = sums + 4 * first[i + 2];
    const uint16_t* c3 = sums + 4 * first[i + 3];
    // Pixels 0 and 2 in the low halves' lanes, 1 and 3 beside them: (window's first two columns),
    // (its third column).
    const __m256i a0 = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128((const __m128i*)c0)),
                                               _mm_loadu_si128((const __m128i*)c2), 1);
    const __m256i a1 = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128((const __m128i*)c1)),
                                               _mm_loadu_si128((const __m128i*)c3), 1);
    const __m256i b0 = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadl_epi64((const __m128i*)(c0 + 8))),
                                               _mm_loadl_epi64((const __m128i*)(c2 + 8)), 1);
    const __m256i b1 = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadl_epi64((const __m128i*)(c1 + 8))),
                                               _mm_loadl_epi64((const __m128i*)(c3 + 8)), 1);
    const __m256i total = _mm256_add_epi16(
        _mm256_add_epi16(_mm256_unpacklo_epi64(a0, a1), _mm256_unpackhi_epi64(a0, a1)), _mm256_unpacklo_epi64(b0, b1));
    const __m256i q = _mm256_mulhi_epu16(total, magicV); // pixels (0, 1 | 2, 3) as 16-bit channels
    const __m256i bytes = _mm256_packus_epi16(q, q);     // (0, 1, 0, 1 | 2, 3, 2, 3)
    _mm_storeu_si128((__m128i*)(out + i), _mm256_castsi256_si128(_mm256_permute4x64_epi64(bytes, 0x08)));
  }
  return i;
}

RASTER_AVX2 int Raster_AVX2_BoxHalving3(Raster_PixelWord* out, const uint16_t* sums, int n, uint16_t magic)
{
  const __m256i magicV = _mm256_set1_epi16((short)magic);
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 0, 4, 1, 5);
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    // Columns c0 .. c0 + 9 (the last never used) serve four windows: x = (c0 c1 | c2 c3),
    // y = (c4 c5 | c6 c7) and the same from c2 on give (c0 c4 | c2 c6) + (c1 c5 | c3 c7) +
    // (c2 c6 | c4 c8) = pixels (0, 2 | 1, 3).
    const uint16_t* c = sums + 8 * i;
    const __m256i x = _mm256_loadu_si256((const __m256i*)c);
    const __m256i y = _mm256_loadu_si256((const __m256i*)(c + 16));
    const __m256i x2 = _mm256_loadu_si256((const __m256i*)(c + 8));
    const __m256i y2 = _mm256_loadu_si256((const __m256i*)(c + 24));
    const __m256i total = _mm256_add_epi16(_mm256_add_epi16(_mm256_unpacklo_epi64(x, y), _mm256_unpackhi_epi64(x, y)),
                                           _mm256_unpacklo_epi64(x2, y2));
    const __m256i q = _mm256_mulhi_epu16(total, magicV);
    const __m256i bytes = _mm256_packus_epi16(q, q); // (0, 2, 0, 2 | 1, 3, 1, 3)
    _mm_storeu_si128((__m128i*)(out + i), _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(bytes, order)));
  }
  return i;
}

namespace {

// The column table of Raster_BlitSSE2Bilinear.cpp (ColumnTable), built four columns at a time: per
// source column k from the first one used, column[k] = (65536 - yf) * a + yf * c per channel as 32-bit
// lanes and slope[k] = the 16-bit pairs (b - a, d - c).
struct alignas(32) BilinearTable
{
  enum { kMaxPixels = 256, kMaxColumns = kMaxPixels + 2 };
  __m128i mColumn[kMaxColumns];
  __m128i mSlope[kMaxColumns];
};

// (a, c) of column k as 16-bit pairs per channel, for one or two columns.
RASTER_AVX2 inline __m128i pairOfColumn(const Raster_PixelWord* top, const Raster_PixelWord* bottom, int k)
{
  const __m128i t = _mm_cvtsi32_si128((int)top[k]);
  const __m128i b = _mm_cvtsi32_si128((int)bottom[k]);
  return _mm_unpacklo_epi8(_mm_unpacklo_epi8(t, b), _mm_setzero_si128());
}

RASTER_AVX2 inline void buildTable(BilinearTable& table, const Raster_PixelWord* top, const Raster_PixelWord* bottom,
                                   int first, int count, int yf)
{
  const int lead = 65536 - yf;
  const __m256i hiW = _mm256_set1_epi32((lead >> 8) | ((yf >> 8) << 16));
  const __m256i loW = _mm256_set1_epi32((lead & 0xFF) | ((yf & 0xFF) << 16));
  const Raster_PixelWord* t = top + first;
  const Raster_PixelWord* b = bottom + first;
  int k = 0;
  // Reads columns k .. k + 4, all inside the source while k + 4 <= count.
  for (; k + 4 <= count; k += 4) {
    const __m128i t0 = _mm_loadu_si128((const __m128i*)(t + k)), b0 = _mm_loadu_si128((const __m128i*)(b + k));
    const __m128i t1 = _mm_loadu_si128((const __m128i*)(t + k + 1)), b1 = _mm_loadu_si128((const __m128i*)(b + k + 1));
    const __m256i p01 = _mm256_cvtepu8_epi16(_mm_unpacklo_epi8(t0, b0)); // columns k, k + 1
    const __m256i p23 = _mm256_cvtepu8_epi16(_mm_unpackhi_epi8(t0, b0)); // k + 2, k + 3
    const __m256i n01 = _mm256_cvtepu8_epi16(_mm_unpacklo_epi8(t1, b1)); // k + 1, k + 2
    const __m256i n23 = _mm256_cvtepu8_epi16(_mm_unpackhi_epi8(t1, b1)); // k + 3, k + 4
    const __m256i c01 =
        _mm256_add_epi32(_mm256_slli_epi32(_mm256_madd_epi16(p01, hiW), 8), _mm256_madd_epi16(p01, loW));
    const __m256i c23 =
        _mm256_add_epi32(_mm256_slli_epi32(_mm256_madd_epi16(p23, hiW), 8), _mm256_madd_epi16(p23, loW));
    _mm256_store_si256((__m256i*)(table.mColumn + k), c01);
    _mm256_store_si256((__m256i*)(table.mColumn + k + 2), c23);
    _mm256_store_si256((__m256i*)(table.mSlope + k), _mm256_sub_epi16(n01, p01));
    _mm256_store_si256((__m256i*)(table.mSlope + k + 2), _mm256_sub_epi16(n23, p23));
  }
  const __m128i hi = _mm256_castsi256_si128(hiW), lo = _mm256_castsi256_si128(loW);
  for (; k < count; k++) {
    const __m128i p = pairOfColumn(t, b, k), next = pairOfColumn(t, b, k + 1);
    table.mColumn[k] = _mm_add_epi32(_mm_slli_epi32(_mm_madd_epi16(p, hi), 8), _mm_madd_epi16(p, lo));
    table.mSlope[k] = _mm_sub_epi16(next, p);
  }
}

// Pixels j and j + 4 of a group of eight from the table, their columns at byte offsets a and b: the
// weights of pixel j lie in lane j of hiW and loW, those of pixel j + 4 in lane j of the upper half,
// so one in-lane shuffle sets both.
template <int kJ>
RASTER_AVX2 inline __m256i twoFromTable(const BilinearTable& table, int a, int b, __m256i hiW, __m256i loW)
{
  const char* columns = (const char*)table.mColumn;
  const char* slopes = (const char*)table.mSlope;
  const __m256i column = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_load_si128((const __m128i*)(columns + a))),
                                                 _mm_load_si128((const __m128i*)(columns + b)), 1);
  const __m256i slope = _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_load_si128((const __m128i*)(slopes + a))),
                                                _mm_load_si128((const __m128i*)(slopes + b)), 1);
  const __m256i high = _mm256_madd_epi16(slope, _mm256_shuffle_epi32(hiW, kJ * 0x55));
  const __m256i low = _mm256_madd_epi16(slope, _mm256_shuffle_epi32(loW, kJ * 0x55));
  return _mm256_srli_epi32(_mm256_add_epi32(column, _mm256_add_epi32(_mm256_slli_epi32(high, 8), low)), 16);
}

// One chunk of n pixels, a multiple of eight and at most kMaxPixels, with |du| <= 65536.
RASTER_AVX2 void bilinearChunk(Raster_PixelWord* out, const Raster_PixelWord* top, const Raster_PixelWord* bottom,
                               int u0, int du, int yf, int n, BilinearTable& table)
{
  const int uLast = (int)(u0 + (long long)(n - 1) * du);
  const int first = (du >= 0 ? u0 : uLast) / 65536, last = (du >= 0 ? uLast : u0) / 65536;
  buildTable(table, top, bottom, first, last - first + 1, yf);

  const __m256i low16 = _mm256_set1_epi32(0xFFFF);
  const __m256i byteMask16 = _mm256_set1_epi16(0xFF);
  const __m256i yv = _mm256_set1_epi32(yf);
  const __m256i firstV = _mm256_set1_epi32(first);
  const __m256i zero = _mm256_setzero_si256();
  const unsigned step = (unsigned)du;
  // Positions advance in wrapping (unsigned) arithmetic, as in the SSE2 row.
  __m256i uv =
      _mm256_setr_epi32((int)(unsigned)u0, (int)((unsigned)u0 + step), (int)((unsigned)u0 + 2 * step),
                        (int)((unsigned)u0 + 3 * step), (int)((unsigned)u0 + 4 * step), (int)((unsigned)u0 + 5 * step),
                        (int)((unsigned)u0 + 6 * step), (int)((unsigned)u0 + 7 * step));
  const __m256i step8 = _mm256_set1_epi32((int)(8u * step));
  alignas(32) int offset[8];
  for (int i = 0; i < n; i += 8) {
    const __m256i xf = _mm256_and_si256(uv, low16);
    const __m256i w11 = _mm256_mulhi_epu16(xf, yv);
    const __m256i weights = _mm256_or_si256(_mm256_sub_epi32(xf, w11), _mm256_slli_epi32(w11, 16));
    const __m256i hiW = _mm256_srli_epi16(weights, 8);
    const __m256i loW = _mm256_and_si256(weights, byteMask16);
    // u / 65536 truncates toward zero: positions in (-65536, 0) sample column 0, where the shift
    // gives -1.
    const __m256i cx = _mm256_max_epi32(_mm256_srai_epi32(uv, 16), zero);
    _mm256_store_si256((__m256i*)offset, _mm256_slli_epi32(_mm256_sub_epi32(cx, firstV), 4));
    // Read back through memory: eight scalar loads are cheaper than the extracts the compiler would
    // otherwise use, which compete with the shuffles below for one port.
    asm volatile("" : : "r"(offset) : "memory");
    uv = _mm256_add_epi32(uv, step8);
    const __m256i p04 = twoFromTable<0>(table, offset[0], offset[4], hiW, loW);
    const __m256i p15 = twoFromTable<1>(table, offset[1], offset[5], hiW, loW);
    const __m256i p26 = twoFromTable<2>(table, offset[2], offset[6], hiW, loW);
    const __m256i p37 = twoFromTable<3>(table, offset[3], offset[7], hiW, loW);
    // (0, 1 | 4, 5) and (2, 3 | 6, 7) as 16-bit channels, then bytes (0, 1, 2, 3 | 4, 5, 6, 7).
    const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(p04, p15), _mm256_packs_epi32(p26, p37));
    _mm256_storeu_si256((__m256i*)(out + i), bytes);
  }
}

} // namespace

RASTER_AVX2 int Raster_AVX2_BilinearNarrowRow(Raster_PixelWord* out, const Raster_PixelWord* top,
                                              const Raster_PixelWord* bottom, int u0, int du, int yf, int n)
{
  BilinearTable table;
  const int whole = n & ~7;
  for (int i = 0; i < whole; i += BilinearTable::kMaxPixels) {
    const int chunk = whole - i < BilinearTable::kMaxPixels ? whole - i : BilinearTable::kMaxPixels;
    bilinearChunk(out + i, top, bottom, (int)(u0 + (long long)i * du), du, yf, chunk, table);
  }
  return whole;
}

#else

int Raster_AVX2_CopySourceAlphaRow(Raster_PixelWord*, const Raster_PixelWord*, int)
{
  return 0;
}
int Raster_AVX2_CopySourceAlphaWeightedRow(Raster_PixelWord*, const Raster_PixelWord*, int, int)
{
  return 0;
}
int Raster_AVX2_ColumnSums(uint16_t*, const Raster_PixelWord* const*, int, int, int)
{
  return 0;
}
int Raster_AVX2_Box3FromColumnSums(Raster_PixelWord*, const uint16_t*, const int*, const int*, int, uint16_t)
{
  return 0;
}
int Raster_AVX2_BoxHalving3(Raster_PixelWord*, const uint16_t*, int, uint16_t)
{
  return 0;
}
int Raster_AVX2_BilinearNarrowRow(Raster_PixelWord*, const Raster_PixelWord*, const Raster_PixelWord*, int, int, int,
                                  int)
{
  return 0;
}

#endif
