#pragma once
// AVX2 forms of the vectorised blit rows, for CPUs that have it (checked once per process). Each does
// the same integer arithmetic as its SSE2 form eight pixels (or columns) at a time, handles only the
// leading whole groups of eight and returns how many it did; the caller finishes the row with the
// SSE2 form. The AVX2 code is compiled for that target function by function, so the library as a
// whole still runs on any x86-64.

#include "raster/Raster_BlitSIMD.h"
#include "raster/Raster_BlitSSE2Config.h"

#if RASTER_BLIT_SSE2 && (defined(__x86_64__) || defined(__i386__))
#define RASTER_BLIT_AVX2 1
#else
#define RASTER_BLIT_AVX2 0
#endif

// True when the vectorised paths are on and the AVX2 forms are compiled in, switched on and
// supported by this CPU.
bool Raster_BlitAvx2Active();

int Raster_AVX2_CopySourceAlphaRow(Raster_PixelWord* d, const Raster_PixelWord* s, int n);
int Raster_AVX2_CopySourceAlphaWeightedRow(Raster_PixelWord* d, const Raster_PixelWord* s, int n, int alpha);
int Raster_AVX2_ColumnSums(uint16_t* sums, const Raster_PixelWord* const* rows, int rowCount, int x0, int n);
// Pixels whose windows are all three columns wide, four at a time, dividing by the 16-bit magic
// multiplier given (exact for totals of count3 = 3 * rowCount taps); stops at the first group of four
// with another window width.
int Raster_AVX2_Box3FromColumnSums(Raster_PixelWord* out, const uint16_t* sums, const int* first, const int* last,
                                   int n, uint16_t magic);
// Raster_SIMD_BoxHalving3 with sums starting at the first window's first column.
int Raster_AVX2_BoxHalving3(Raster_PixelWord* out, const uint16_t* sums, int n, uint16_t magic);
// Raster_SIMD_BilinearRow for steps of at most one source pixel (|du| <= 65536).
int Raster_AVX2_BilinearNarrowRow(Raster_PixelWord* out, const Raster_PixelWord* top, const Raster_PixelWord* bottom,
                                  int u0, int du, int yf, int n);
