#pragma once
// Whether the SSE2 blit rows are compiled in: on x86 builds with SSE2 unless BRINDLE_RASTER_NO_SIMD is
// defined, in which case every Raster_SIMD_ routine is its scalar stand-in and the switch stays off.

#if defined(__SSE2__) && !defined(BRINDLE_RASTER_NO_SIMD)
#define RASTER_BLIT_SSE2 1
#include <emmintrin.h>
#else
#define RASTER_BLIT_SSE2 0
#endif
