// Lines, circles and cached text of the raster library against cairo, side by side in one run.
//
// cairo draws into its fastest native layout for an opaque editor frame, an RGB24 image surface, with
// its default anti-aliasing; both sides draw into a 208 x 326 frame (the editor's size) with an opaque
// colour. Text is 12-pixel DejaVu Sans, 20 characters; the raster side goes through the glyph cache
// (TEXT_NONATIVE), cairo through its own glyph cache, both as text (show_text, which converts the UTF-8
// each time) and as pre-converted glyphs (show_glyphs, cairo's fastest text path).

#include "raster/Raster_Fill.h"
#include "raster/Raster_Font.h"
#include "raster/Raster_Line.h"
#include "raster/Raster_MemBitmap.h"
#include "raster/Raster_Shapes.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <memory>
#include <vector>

namespace {

const int kW = 208, kH = 326;
const unsigned int kColour = 0xC0804020u | 0xFF; // opaque
const char kText[] = "Level 12.5 dB attack";     // 20 characters

// The line: 200 pixels along its major axis, at a slope that needs anti-aliasing.
const int kX1 = 4, kY1 = 20, kX2 = 204, kY2 = 93;

struct CairoFrame
{
  CairoFrame()
  {
    mSurface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
    mCr = cairo_create(mSurface);
    cairo_set_source_rgb(mCr, 0.1, 0.1, 0.1);
    cairo_paint(mCr);
    cairo_set_source_rgb(mCr, 0x40 / 255.0, 0x80 / 255.0, 0xC0 / 255.0);
  }
  ~CairoFrame()
  {
    cairo_destroy(mCr);
    cairo_surface_destroy(mSurface);
  }
  cairo_surface_t* mSurface;
  cairo_t* mCr;
};

std::unique_ptr<Raster_MemBitmap> rasterFrame()
{
  auto bm = std::make_unique<Raster_MemBitmap>(kW, kH, 4);
  Raster_Clear(bm.get(), 0x1A1A1AFFu);
  return bm;
}

void BM_Line200AA_Raster(benchmark::State& state)
{
  auto bm = rasterFrame();
  for (auto _ : state) {
    Raster_Line(bm.get(), kX1, kY1, kX2, kY2, kColour, 1.0f, RASTER_BLEND_COPY, true);
    benchmark::ClobberMemory();
  }
}

void BM_Line200AA_RasterSubPixel(benchmark::State& state)
{
  auto bm = rasterFrame();
  for (auto _ : state) {
    Raster_FLine(bm.get(), kX1 + 0.5f, kY1 + 0.5f, kX2 + 0.5f, kY2 + 0.5f, kColour, 1.0f, RASTER_BLEND_COPY, true);
    benchmark::ClobberMemory();
  }
}

void BM_Line200AA_Cairo(benchmark::State& state)
{
  CairoFrame f;
  cairo_set_line_width(f.mCr, 1.0);
  for (auto _ : state) {
    cairo_move_to(f.mCr, kX1 + 0.5, kY1 + 0.5);
    cairo_line_to(f.mCr, kX2 + 0.5, kY2 + 0.5);
    cairo_stroke(f.mCr);
  }
  cairo_surface_flush(f.mSurface);
}

void BM_FillCircle40AA_Raster(benchmark::State& state)
{
  auto bm = rasterFrame();
  for (auto _ : state) {
    Raster_FillCircle(bm.get(), 104.0f, 163.0f, 40.0f, kColour, 1.0f, RASTER_BLEND_COPY, true);
    benchmark::ClobberMemory();
  }
}

void BM_FillCircle40AA_Cairo(benchmark::State& state)
{
  CairoFrame f;
  for (auto _ : state) {
    cairo_arc(f.mCr, 104.5, 163.5, 40.0, 0.0, 6.283185307179586);
    cairo_fill(f.mCr);
  }
  cairo_surface_flush(f.mSurface);
}

void BM_Text20_RasterCached(benchmark::State& state)
{
  auto bm = rasterFrame();
  Raster_CachedFont font;
  font.SetFromHFont(CreateFont(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans"), FONT_OWNS_HFONT);
  font.SetTextColor(kColour);
  RECT r = {4, 100, kW, 130};
  font.DrawText(bm.get(), kText, -1, &r, TEXT_NONATIVE); // fill the cache
  for (auto _ : state) {
    RECT at = r;
    benchmark::DoNotOptimize(font.DrawText(bm.get(), kText, -1, &at, TEXT_NONATIVE));
    benchmark::ClobberMemory();
  }
}

void setCairoFont(cairo_t* cr)
{
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 12.0);
}

void BM_Text20_CairoShowText(benchmark::State& state)
{
  CairoFrame f;
  setCairoFont(f.mCr);
  for (auto _ : state) {
    cairo_move_to(f.mCr, 4, 112);
    cairo_show_text(f.mCr, kText);
  }
  cairo_surface_flush(f.mSurface);
}

void BM_Text20_CairoShowGlyphs(benchmark::State& state)
{
  CairoFrame f;
  setCairoFont(f.mCr);
  cairo_glyph_t* glyphs = nullptr;
  int count = 0;
  cairo_scaled_font_text_to_glyphs(cairo_get_scaled_font(f.mCr), 4, 112, kText, -1, &glyphs, &count, nullptr, nullptr,
                                   nullptr);
  for (auto _ : state) cairo_show_glyphs(f.mCr, glyphs, count);
  cairo_surface_flush(f.mSurface);
  cairo_glyph_free(glyphs);
}

} // namespace

BENCHMARK(BM_Line200AA_Raster);
BENCHMARK(BM_Line200AA_RasterSubPixel);
BENCHMARK(BM_Line200AA_Cairo);
BENCHMARK(BM_FillCircle40AA_Raster);
BENCHMARK(BM_FillCircle40AA_Cairo);
BENCHMARK(BM_Text20_RasterCached);
BENCHMARK(BM_Text20_CairoShowText);
BENCHMARK(BM_Text20_CairoShowGlyphs);
