// TplName_make_images OUTDIR: draws the editor's two pictures with the framework's image canvas and
// writes them as PNG files into OUTDIR (an existing folder); the build runs it.
//   tplname_background.png  the panel, the plug-in's name and a scale round the knob;
//   tplname_knob.png        the knob strip, its pointer sweeping 270 degrees over the frames.
#include "TplNamePlug.h"
#include "raster/Raster_MemBitmap.h"
#include "raster/Raster_Blit.h"
#include "raster/Raster_IBitmap.h"
#include "raster/Raster_Pixel.h"
#include "tools/imagegen/ImageCanvas.h"

#include <png.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kFont[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr Rgb kPanel{44, 48, 58}, kPanelLow{24, 26, 32}, kInk{230, 232, 236}, kAccent{90, 170, 220};
constexpr int kTextFormat = TEXT_CENTER | TEXT_VCENTER | TEXT_SINGLELINE | TEXT_NOPREFIX | TEXT_NOCLIP;

void DrawBackground(ImageCanvas& c)
{
  c.VerticalGradient(0, 0, kTplNameEditorWidth, kTplNameEditorHeight, kPanel, kPanelLow);
  c.FillRect(0, 34, kTplNameEditorWidth, 36, kAccent);
  c.Text(kFont, 16, "TplName", RECT{0, 6, kTplNameEditorWidth, 30}, kInk, kTextFormat);
  const double cx = kTplNameKnobLeft + kTplNameKnobSize / 2.0, cy = kTplNameKnobTop + kTplNameKnobSize / 2.0;
  for (int i = 0; i <= 10; ++i) {
    const double a = (-135.0 + 27.0 * i) * M_PI / 180.0;
    c.FillCircle(cx + 38.0 * std::sin(a), cy - 38.0 * std::cos(a), i % 5 ? 1.2 : 1.8, kInk, 0.8f);
  }
  c.Text(kFont, 10, "GAIN dB", RECT{0, 132, kTplNameEditorWidth, 150}, kInk, kTextFormat);
}

// One knob frame, its pointer turned by degrees clockwise from straight up.
void DrawKnob(ImageCanvas& c, double degrees)
{
  const double centre = kTplNameKnobSize / 2.0, a = degrees * M_PI / 180.0, s = std::sin(a), co = std::cos(a);
  c.FillCircle(centre, centre, 29.0, kPanelLow);
  c.FillCircle(centre, centre, 25.0, Rgb{72, 78, 88});
  auto at = [&](double along, double across) {
    return POINT{static_cast<int>(std::lround(centre + along * s + across * co)),
                 static_cast<int>(std::lround(centre - along * co + across * s))};
  };
  c.FillPolygon({at(7.0, -2.0), at(24.0, -1.5), at(24.0, 1.5), at(7.0, 2.0)}, kAccent);
}

// The canvas's pixels as straight RGBA rows, through libpng's simplified writer.
bool WritePng(Raster_IBitmap& bitmap, const std::string& path)
{
  const int width = bitmap.getWidth(), height = bitmap.getHeight();
  std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    const Raster_PixelWord* row = Raster_ImageRow(&bitmap, bitmap.getBits(), y);
    for (int x = 0; x < width; ++x) {
      unsigned char* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
      p[0] = static_cast<unsigned char>(Raster_GetR(row[x]));
      p[1] = static_cast<unsigned char>(Raster_GetG(row[x]));
      p[2] = static_cast<unsigned char>(Raster_GetB(row[x]));
      p[3] = static_cast<unsigned char>(Raster_GetA(row[x]));
    }
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  return png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
}

// Frames of one size, stacked top to bottom into one picture.
template <class Draw>
bool WriteStrip(const std::string& path, int width, int frameHeight, int frames, Draw draw)
{
  Raster_MemBitmap strip(width, frameHeight * frames);
  if (!strip.getBits()) return false;
  for (int f = 0; f < frames; ++f) {
    ImageCanvas canvas(width, frameHeight);
    if (!canvas.IsValid()) return false;
    draw(canvas, f);
    canvas.ToStraightAlpha();
    Raster_Blit(&strip, &canvas.Bitmap(), 0, f * frameHeight, nullptr, 1.0f, RASTER_BLEND_COPY);
  }
  return WritePng(strip, path);
}

} // namespace

int main(int argc, char** argv)
{
  if (argc != 2) {
    std::fputs("usage: TplName_make_images OUTDIR\n", stderr);
    return 2;
  }
  const std::string dir = argv[1];
  const bool ok = WriteStrip(dir + "/tplname_background.png", kTplNameEditorWidth, kTplNameEditorHeight, 1,
                             [](ImageCanvas& c, int) { DrawBackground(c); }) &&
                  WriteStrip(dir + "/tplname_knob.png", kTplNameKnobSize, kTplNameKnobSize, kTplNameKnobFrames,
                             [](ImageCanvas& c, int f) { DrawKnob(c, -135.0 + 270.0 * f / (kTplNameKnobFrames - 1)); });
  if (!ok) std::fputs("TplName_make_images: cannot draw the pictures\n", stderr);
  return ok ? 0 : 1;
}
