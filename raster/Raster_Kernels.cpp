#include "raster/Raster_Kernels.h"

#include "raster/Raster_KernelChoice.h"

static_assert(_Raster_RGB2HSV_invtabData.v[0] == 0, "reciprocal table entry 0");
static_assert(_Raster_RGB2HSV_invtabData.v[1] == 65535, "reciprocal table entry 1");
static_assert(_Raster_RGB2HSV_invtabData.v[255] == 256, "reciprocal table entry 255");

unsigned int Raster_CombinePixels(unsigned int dest, unsigned int src, float alpha, int mode)
{
  const int w = Raster_WeightFromAlpha(alpha);
  unsigned int out = dest;
  unsigned char* p = (unsigned char*)&out;
  Raster_WithKernel(mode & (RASTER_BLEND_MODE_MASK | RASTER_BLEND_USE_SOURCE_ALPHA), w, [&](auto kernel) {
    decltype(kernel)::doPix(p, Raster_GetR(src), Raster_GetG(src), Raster_GetB(src), Raster_GetA(src), w);
  });
  return out;
}

namespace {

// The shared body of the two integer entry points; they differ only in which kernel family they pick.
template <bool Clamp>
void combinePixels2(unsigned int* dest, int r, int g, int b, int a, int alpha, int mode)
{
  if (!dest) return;
  // Callers may offer any ints; keep them where the kernels' int arithmetic cannot overflow.
  alpha = Raster_LimitWeight(alpha, kRaster_WeightLimit);
  r = Raster_LimitChannel(r, alpha);
  g = Raster_LimitChannel(g, alpha);
  b = Raster_LimitChannel(b, alpha);
  a = Raster_LimitChannel(a, alpha);
  unsigned char* p = (unsigned char*)dest;
  const int kernelMode = mode & (RASTER_BLEND_MODE_MASK | RASTER_BLEND_USE_SOURCE_ALPHA);
  auto apply = [&](auto kernel) { decltype(kernel)::doPix(p, r, g, b, a, alpha); };
  if constexpr (Clamp)
    Raster_WithClampKernel(kernelMode, alpha, apply);
  else
    Raster_WithKernel(kernelMode, alpha, apply);
}

} // namespace

void Raster_CombinePixels2(unsigned int* dest, int r, int g, int b, int a, int alpha, int mode)
{
  combinePixels2<false>(dest, r, g, b, a, alpha, mode);
}

void Raster_CombinePixels2Clamp(unsigned int* dest, int r, int g, int b, int a, int alpha, int mode)
{
  combinePixels2<true>(dest, r, g, b, a, alpha, mode);
}
