// Brindle's editor redraw against pixman compositing the same layers, side by side in one run.
//
// The editor side is the real thing: a Brindle instance built in-process with its editor, its images
// loaded from the built component bundle, redrawn by IGraphics::Draw (no window is open, so the
// screen copy returns at once). The pixman side composites the same layers with OVER onto an
// x8r8g8b8 canvas of the same size: the background, the lit lamp, the cabinet switch, the released
// footswitch and the two knobs at mid travel (the about overlay is closed and draws nothing), from
// premultiplied a8r8g8b8 copies of the same images. The knob case moves one knob and repaints only
// the stale rectangle, as the redraw timer does; its counter reports the area repainted.

#include <CoreFoundation/CoreFoundation.h>
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "effect/Brindle.h"
#include "effect/BrindleEditor.h"
#include "BrindleIdentity.h"
#include "au/AUPlugFactory.h"
#include "graphics/IControl.h"
#include "graphics/mac/IGraphicsMac.h"
#include "raster/Raster_IBitmap.h"
#include "raster/Raster_PNG.h"
#include "raster/Raster_SysBitmap.h"

namespace {

// Makes the bundle known by its identifier, as a host's loading does, so the editor finds its images.
bool KnowBundle()
{
  static const bool known = [] {
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const UInt8*>(BRINDLE_COMPONENT_BUNDLE), sizeof(BRINDLE_COMPONENT_BUNDLE) - 1, true);
    CFBundleRef bundle = CFBundleCreate(nullptr, url);
    CFRelease(url);
    return bundle != nullptr; // known bundles stay for the process
  }();
  return known;
}

struct Editor
{
  Editor()
      : plug(static_cast<Brindle*>(MakeAUPlug<Brindle, BrindleIdentity>())),
        graphics(dynamic_cast<IGraphicsMac*>(plug->GetGUI()))
  {}
  std::unique_ptr<Brindle> plug;
  IGraphicsMac* graphics;
};

void BM_EditorFullRedraw(benchmark::State& state)
{
  if (!KnowBundle()) return state.SkipWithError("no component bundle");
  Editor editor;
  IRECT all(0, 0, kBrindleEditorWidth, kBrindleEditorHeight);
  for (auto _ : state) {
    editor.graphics->SetAllControlsDirty();
    editor.graphics->Draw(&all);
    benchmark::DoNotOptimize(editor.graphics->GetCanvas()->getBits());
  }
  state.counters["px"] = static_cast<double>(all.Width()) * all.Height();
}
BENCHMARK(BM_EditorFullRedraw);

void BM_EditorKnobDragRepaint(benchmark::State& state)
{
  if (!KnowBundle()) return state.SkipWithError("no component bundle");
  Editor editor;
  IRECT all(0, 0, kBrindleEditorWidth, kBrindleEditorHeight);
  editor.graphics->Draw(&all);
  IControl* knob = editor.graphics->GetControl(4); // Level
  double area = 0;
  int step = 0;
  for (auto _ : state) {
    knob->SetValueFromPlug((step++ % 64) / 64.0);
    IRECT stale;
    editor.graphics->IsDirty(&stale);
    editor.graphics->Draw(&stale);
    area = static_cast<double>(stale.Width()) * stale.Height();
  }
  state.counters["px"] = area;
}
BENCHMARK(BM_EditorKnobDragRepaint);

// A premultiplied pixman copy of one frame of a shipped image.
struct PixmanLayer
{
  PixmanLayer(const char* file, int frames, int frame, int atX, int atY) : x(atX), y(atY)
  {
    std::string path = std::string(BRINDLE_COMPONENT_BUNDLE) + "/Contents/Resources/" + file;
    std::unique_ptr<Raster_IBitmap> image(Raster_LoadPNG(path.c_str(), nullptr));
    if (!image) return;
    w = image->getWidth();
    h = image->getHeight() / frames;
    bits.resize(static_cast<size_t>(w) * h);
    const Raster_PixelWord* src = image->getBits() + static_cast<size_t>(frame) * h * image->getRowSpan();
    for (int row = 0; row < h; ++row)
      for (int col = 0; col < w; ++col) {
        const uint32_t p = src[static_cast<size_t>(row) * image->getRowSpan() + col];
        const uint32_t a = p & 0xFF, r = (p >> 8) & 0xFF, g = (p >> 16) & 0xFF, b = (p >> 24) & 0xFF;
        const auto pre = [a](uint32_t v) { return (v * a + 127) / 255; };
        bits[static_cast<size_t>(row) * w + col] = a << 24 | pre(r) << 16 | pre(g) << 8 | pre(b);
      }
    pix = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, bits.data(), w * 4);
  }
  PixmanLayer(const PixmanLayer&) = delete;
  PixmanLayer& operator=(const PixmanLayer&) = delete;
  ~PixmanLayer()
  {
    if (pix) pixman_image_unref(pix);
  }
  int x, y, w = 0, h = 0;
  std::vector<uint32_t> bits;
  pixman_image_t* pix = nullptr;
};

void BM_PixmanSameLayers(benchmark::State& state)
{
  if (!KnowBundle()) return state.SkipWithError("no component bundle");
  const PixmanLayer layers[] = {
      {"background.png", 1, 0, 0, 0},          {"brindle_led.png", 2, 1, 91, 15},
      {"brindle_switch_01.png", 2, 1, 80, 61}, {"brindle_switch_02.png", 2, 0, 80, 172},
      {"brindle_knob_01.png", 65, 32, 18, 86}, {"brindle_knob_01.png", 65, 32, 115, 86},
  };
  for (const PixmanLayer& layer : layers)
    if (!layer.pix) return state.SkipWithError("missing image");
  std::vector<uint32_t> canvasBits(static_cast<size_t>(kBrindleEditorWidth) * kBrindleEditorHeight);
  pixman_image_t* canvas = pixman_image_create_bits(PIXMAN_x8r8g8b8, kBrindleEditorWidth, kBrindleEditorHeight,
                                                    canvasBits.data(), kBrindleEditorWidth * 4);
  for (auto _ : state) {
    for (const PixmanLayer& layer : layers)
      pixman_image_composite32(PIXMAN_OP_OVER, layer.pix, nullptr, canvas, 0, 0, 0, 0, layer.x, layer.y, layer.w,
                               layer.h);
    benchmark::DoNotOptimize(canvasBits.data());
  }
  pixman_image_unref(canvas);
}
BENCHMARK(BM_PixmanSameLayers);

} // namespace

BENCHMARK_MAIN();
