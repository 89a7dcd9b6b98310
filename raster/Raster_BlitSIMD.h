#pragma once
// Vectorised inner loops behind the blits, and the switch that turns them off.
//
// Each routine here produces exactly the integers of the plain scalar loop it stands in for; the scalar
// loops stay the reference, and turning the switch off (Raster_SetBlitSimdEnabled(false), or building with
// BRINDLE_RASTER_NO_SIMD) runs them alone, for comparison in tests and benchmarks. The routines do no
// clipping: callers pass only pixels whose every tap lies inside the source.

#include "raster/Raster_Pixel.h"

// True when the vectorised paths are compiled in and switched on (the default).
bool Raster_BlitSimdEnabled();
// Switch the vectorised paths on or off for the whole process (not thread-safe; meant for tests and
// benchmarks). Without SIMD support compiled in they stay off.
void Raster_SetBlitSimdEnabled(bool on);
// Whether the AVX2 forms are used where the CPU has them (on by default); off, the SSE2 forms run alone.
// The same caveats as above.
bool Raster_BlitAvx2Enabled();
void Raster_SetBlitAvx2Enabled(bool on);

// Source-alpha copy at full weight, n pixels from s onto d.
void Raster_SIMD_CopySourceAlphaRow(Raster_PixelWord* d, const Raster_PixelWord* s, int n);

// Source-alpha copy at a weight 0 < alpha < 256, n pixels from s onto d.
void Raster_SIMD_CopySourceAlphaWeightedRow(Raster_PixelWord* d, const Raster_PixelWord* s, int n, int alpha);

// Half mix of two words, n pixels: d = ((d >> 1) & 0x7F7F7F7F) + ((s >> 1) & 0x7F7F7F7F).
void Raster_SIMD_HalfMixRow(Raster_PixelWord* d, const Raster_PixelWord* s, int n);

// Four-tap bilinear sampling of n pixels between image rows top and bottom: pixel i samples at
// u = u0 + i * du (16.16) with the row fraction yf. Every pixel must satisfy u >= -65535 and
// u / 65536 + 1 < the row length.
void Raster_SIMD_BilinearRow(Raster_PixelWord* out, const Raster_PixelWord* top, const Raster_PixelWord* bottom, int u0,
                             int du, int yf, int n);

// Channel sums of a vertical run of rows: sums[x] holds the four byte sums (A, R, G, B as 16-bit lanes)
// of column x0 + x over rows[0 .. rowCount), for n columns. rowCount is at most 255.
void Raster_SIMD_ColumnSums(uint16_t* sums, const Raster_PixelWord* const* rows, int rowCount, int x0, int n);

// Box average from column sums: out[i] = per channel (sum of sums[c0 .. c1)) / count, for the window
// [c0, c1) of each output pixel given by first[i] and last[i] (exclusive) relative to sums, and count =
// (c1 - c0) * rowCount. Every channel total must stay below 65536.
void Raster_SIMD_BoxFromColumnSums(Raster_PixelWord* out, const uint16_t* sums, const int* first, const int* last,
                                   int rowCount, int n);

// The same for n pixels whose windows are three columns wide and two apart (halving): out[i] averages
// the columns [c0 + 2i, c0 + 2i + 3) of sums. sums holds two columns past the last window.
void Raster_SIMD_BoxHalving3(Raster_PixelWord* out, const uint16_t* sums, int c0, int rowCount, int n);

// Opaque copy of a w x h glyph-mask block (rows maskSpan bytes apart) in colour word c (alpha byte 255)
// onto d (rows destStep bytes apart): each pixel with coverage m > 0 gets the copy kernel at weight
// m + 1, d = s + (d - s) * (255 - m) / 256 per byte; m = 0 leaves it.
void Raster_SIMD_GlyphCopyBlock(unsigned char* d, long destStep, const unsigned char* mask, int maskSpan, int w, int h,
                                Raster_PixelWord c);
