// The raster library's blits and fills against pixman, side by side in one run.
//
// pixman gets its fastest native layouts: premultiplied a8r8g8b8 sources composited onto x8r8g8b8.
// The content is semi-transparent (every alpha between 32 and 223) so that neither side can take an
// opaque or fully transparent shortcut. The editor-sized cases use 208 x 326 pixels; scaling uses a
// 256 x 256 image enlarged to 512 x 512 (bilinear on both sides) and reduced to 128 x 128 (a 3 x 3 box
// here against pixman's 2 x 2 bilinear). The "Scalar" variants run with the vectorised paths switched
// off, for comparison.

#include "raster/Raster_Blit.h"
#include "raster/Raster_BlitSIMD.h"
#include "raster/Raster_Fill.h"
#include "raster/Raster_MemBitmap.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace {

const int kEditorW = 208, kEditorH = 326;

struct Colour
{
  int r, g, b, a;
};

std::vector<Colour> makeContent(int w, int h, unsigned seed)
{
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> channel(0, 255), alpha(32, 223);
  std::vector<Colour> c((size_t)w * h);
  for (Colour& p : c) p = Colour{channel(rng), channel(rng), channel(rng), alpha(rng)};
  return c;
}

// One picture in both libraries' layouts: the raster library's straight A,R,G,B bytes, pixman's
// premultiplied a8r8g8b8 words.
struct Picture
{
  Picture(int w, int h, unsigned seed, bool opaqueDest = false)
      : mRaster(std::make_unique<Raster_MemBitmap>(w, h, 4)), mPixmanBits((size_t)w * h)
  {
    const std::vector<Colour> content = makeContent(w, h, seed);
    Raster_PixelWord* bits = mRaster->getBits();
    const int span = mRaster->getRowSpan();
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) {
        Colour c = content[(size_t)y * w + x];
        if (opaqueDest) c.a = 255;
        bits[y * span + x] = Raster_RGBA(c.r, c.g, c.b, c.a);
        const auto pre = [&](int v) { return (uint32_t)((v * c.a + 127) / 255); };
        mPixmanBits[(size_t)y * w + x] = ((uint32_t)c.a << 24) | (pre(c.r) << 16) | (pre(c.g) << 8) | pre(c.b);
      }
    mPixman = pixman_image_create_bits(opaqueDest ? PIXMAN_x8r8g8b8 : PIXMAN_a8r8g8b8, w, h, mPixmanBits.data(), w * 4);
  }
  ~Picture() { pixman_image_unref(mPixman); }

  std::unique_ptr<Raster_MemBitmap> mRaster;
  std::vector<uint32_t> mPixmanBits;
  pixman_image_t* mPixman;
};

struct ScalarOnly
{
  ScalarOnly() : mWas(Raster_BlitSimdEnabled()) { Raster_SetBlitSimdEnabled(false); }
  ~ScalarOnly() { Raster_SetBlitSimdEnabled(mWas); }
  bool mWas;
};

void countPixels(benchmark::State& state, long long pixels)
{
  state.SetItemsProcessed(state.iterations() * pixels);
}

// --- opaque copy -----------------------------------------------------------------------------------

void BM_OpaqueCopy_Raster(benchmark::State& state)
{
  Picture src(kEditorW, kEditorH, 1), dest(kEditorW, kEditorH, 2, true);
  for (auto _ : state) {
    Raster_Blit(dest.mRaster.get(), src.mRaster.get(), 0, 0, nullptr, 1.0f, RASTER_BLEND_COPY);
    benchmark::ClobberMemory();
  }
  countPixels(state, kEditorW * kEditorH);
}

void BM_OpaqueCopy_Pixman(benchmark::State& state)
{
  Picture src(kEditorW, kEditorH, 1), dest(kEditorW, kEditorH, 2, true);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, src.mPixman, nullptr, dest.mPixman, 0, 0, 0, 0, 0, 0, kEditorW, kEditorH);
    benchmark::ClobberMemory();
  }
  countPixels(state, kEditorW * kEditorH);
}

// --- half-alpha solid fill -------------------------------------------------------------------------

void BM_HalfFill_Raster(benchmark::State& state)
{
  Picture dest(kEditorW, kEditorH, 2, true);
  for (auto _ : state) {
    Raster_FillRect(dest.mRaster.get(), 0, 0, kEditorW, kEditorH, Raster_RGBA(40, 120, 200, 255), 0.5f,
                    RASTER_BLEND_COPY);
    benchmark::ClobberMemory();
  }
  countPixels(state, kEditorW * kEditorH);
}

void BM_HalfFill_Pixman(benchmark::State& state)
{
  Picture dest(kEditorW, kEditorH, 2, true);
  // The same colour at alpha 0.5, premultiplied (16-bit channels).
  const pixman_color_t colour = {(uint16_t)(40 * 257 / 2), (uint16_t)(120 * 257 / 2), (uint16_t)(200 * 257 / 2),
                                 0x8000};
  pixman_image_t* solid = pixman_image_create_solid_fill(&colour);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, solid, nullptr, dest.mPixman, 0, 0, 0, 0, 0, 0, kEditorW, kEditorH);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(solid);
  countPixels(state, kEditorW * kEditorH);
}

// --- source-alpha blit -----------------------------------------------------------------------------

void sourceAlphaBlit(benchmark::State& state)
{
  Picture src(kEditorW, kEditorH, 1), dest(kEditorW, kEditorH, 2, true);
  for (auto _ : state) {
    Raster_Blit(dest.mRaster.get(), src.mRaster.get(), 0, 0, nullptr, 1.0f,
                RASTER_BLEND_COPY | RASTER_BLEND_USE_SOURCE_ALPHA);
    benchmark::ClobberMemory();
  }
  countPixels(state, kEditorW * kEditorH);
}

void BM_SourceAlphaBlit_Raster(benchmark::State& state)
{
  sourceAlphaBlit(state);
}

void BM_SourceAlphaBlit_RasterScalar(benchmark::State& state)
{
  ScalarOnly scalar;
  sourceAlphaBlit(state);
}

void BM_SourceAlphaBlit_Pixman(benchmark::State& state)
{
  Picture src(kEditorW, kEditorH, 1), dest(kEditorW, kEditorH, 2, true);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, src.mPixman, nullptr, dest.mPixman, 0, 0, 0, 0, 0, 0, kEditorW, kEditorH);
    benchmark::ClobberMemory();
  }
  countPixels(state, kEditorW * kEditorH);
}

// --- scaling ---------------------------------------------------------------------------------------

void rasterScale(benchmark::State& state, int to)
{
  Picture src(256, 256, 3), dest(to, to, 4, true);
  for (auto _ : state) {
    Raster_ScaledBlit(dest.mRaster.get(), src.mRaster.get(), 0, 0, to, to, 0, 0, 256, 256, 1.0f,
                      RASTER_BLEND_FILTER_BILINEAR);
    benchmark::ClobberMemory();
  }
  countPixels(state, (long long)to * to);
}

void pixmanScale(benchmark::State& state, int to)
{
  Picture src(256, 256, 3), dest(to, to, 4, true);
  pixman_transform_t t;
  const pixman_fixed_t scale = pixman_double_to_fixed(256.0 / to);
  pixman_transform_init_scale(&t, scale, scale);
  pixman_image_set_transform(src.mPixman, &t);
  pixman_image_set_filter(src.mPixman, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, src.mPixman, nullptr, dest.mPixman, 0, 0, 0, 0, 0, 0, to, to);
    benchmark::ClobberMemory();
  }
  countPixels(state, (long long)to * to);
}

void BM_BilinearUp512_Raster(benchmark::State& state)
{
  rasterScale(state, 512);
}
void BM_BilinearUp512_RasterScalar(benchmark::State& state)
{
  ScalarOnly scalar;
  rasterScale(state, 512);
}
void BM_BilinearUp512_Pixman(benchmark::State& state)
{
  pixmanScale(state, 512);
}

void BM_Reduce128_RasterBox3(benchmark::State& state)
{
  rasterScale(state, 128);
}
void BM_Reduce128_RasterBox3Scalar(benchmark::State& state)
{
  ScalarOnly scalar;
  rasterScale(state, 128);
}
void BM_Reduce128_PixmanBilinear(benchmark::State& state)
{
  pixmanScale(state, 128);
}

} // namespace

BENCHMARK(BM_OpaqueCopy_Raster);
BENCHMARK(BM_OpaqueCopy_Pixman);
BENCHMARK(BM_HalfFill_Raster);
BENCHMARK(BM_HalfFill_Pixman);
BENCHMARK(BM_SourceAlphaBlit_Raster);
BENCHMARK(BM_SourceAlphaBlit_RasterScalar);
BENCHMARK(BM_SourceAlphaBlit_Pixman);
BENCHMARK(BM_BilinearUp512_Raster);
BENCHMARK(BM_BilinearUp512_RasterScalar);
BENCHMARK(BM_BilinearUp512_Pixman);
BENCHMARK(BM_Reduce128_RasterBox3);
BENCHMARK(BM_Reduce128_RasterBox3Scalar);
BENCHMARK(BM_Reduce128_PixmanBilinear);

BENCHMARK_MAIN();
