// gain_make_images OUTDIR: draws Gain's two pictures with the project's drawing context and raster
// library and writes them as PNG files into OUTDIR (an existing folder):
//   gain_background.png  the panel, its name and the legends under the two knob places;
//   gain_knob.png        the knob strip, its pointer sweeping 270 degrees over the frames.
// Lettering comes from Debian's fonts-dejavu-core, named by path, so every machine draws the same.
#include "examples/gain/GainPlug.h"
#include "tools/files/PngWriter.h"
#include "tools/imagegen/ImageCanvas.h"

#include "raster/Raster_Blit.h"
#include "raster/Raster_MemBitmap.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace {

const char kFont[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr Rgb kPanel{38, 52, 64}, kPanelLow{22, 30, 38}, kInk{226, 232, 236}, kAccent{236, 170, 60};
constexpr Rgb kBlack{0, 0, 0}, kCap{70, 76, 82};
constexpr int kTextFormat = TEXT_CENTER | TEXT_VCENTER | TEXT_SINGLELINE | TEXT_NOPREFIX | TEXT_NOCLIP;

// Where the knobs sit (left edges as GainPlug::AttachEditor places them).
constexpr int kKnobLeft[] = {22, 122};
constexpr int kKnobTop = 52;

void DrawBackground(ImageCanvas& c)
{
  c.VerticalGradient(0, 0, kGainEditorWidth, kGainEditorHeight, kPanel, kPanelLow);
  c.FillRect(0, 34, kGainEditorWidth, 36, kAccent);
  c.Text(kFont, 17, "GAIN", RECT{0, 6, kGainEditorWidth, 30}, kInk, kTextFormat);
  const char* legends[] = {"GAIN dB", "PAN"};
  for (int k = 0; k < 2; ++k) {
    const double cx = kKnobLeft[k] + kGainKnobSize / 2.0, cy = kKnobTop + kGainKnobSize / 2.0;
    // A dotted scale round the knob, from 7 o'clock to 5 o'clock.
    for (int i = 0; i <= 10; ++i) {
      const double a = (-135.0 + 27.0 * i) * M_PI / 180.0;
      c.FillCircle(cx + 33.0 * std::sin(a), cy - 33.0 * std::cos(a), i % 5 ? 1.2 : 1.8, kInk, 0.8f);
    }
    const int l = kKnobLeft[k] - 10;
    c.Text(kFont, 10, legends[k], RECT{l, 120, l + kGainKnobSize + 20, 140}, kInk, kTextFormat);
  }
}

// One knob frame, its pointer turned by degrees clockwise from straight up.
void DrawKnob(ImageCanvas& c, double degrees)
{
  const double centre = kGainKnobSize / 2.0, a = degrees * M_PI / 180.0;
  c.FillCircle(centre + 1.0, centre + 2.0, 25.0, kBlack, 0.35f);
  c.FillCircle(centre, centre, 25.0, kPanelLow);
  c.FillCircle(centre, centre, 21.0, kCap);
  c.StrokeCircle(centre, centre, 21.0, 1, kInk, 0.15f);
  // The pointer: a thin wedge from near the centre to the rim.
  const double s = std::sin(a), co = std::cos(a);
  auto at = [&](double along, double across) {
    return POINT{static_cast<int>(std::lround(centre + along * s + across * co)),
                 static_cast<int>(std::lround(centre - along * co + across * s))};
  };
  c.FillPolygon({at(6.0, -2.0), at(20.0, -1.5), at(20.0, 1.5), at(6.0, 2.0)}, kAccent);
}

struct Picture
{
  const char* file;
  int width, frameHeight, frames;
  std::function<void(ImageCanvas&, int frame)> draw;
};

bool WritePicture(const Picture& picture, const std::string& dir)
{
  Raster_MemBitmap strip(picture.width, picture.frameHeight * picture.frames);
  if (!strip.getBits()) return false;
  for (int f = 0; f < picture.frames; ++f) {
    ImageCanvas canvas(picture.width, picture.frameHeight);
    if (!canvas.IsValid()) return false;
    picture.draw(canvas, f);
    canvas.ToStraightAlpha();
    Raster_Blit(&strip, &canvas.Bitmap(), 0, f * picture.frameHeight, nullptr, 1.0f, RASTER_BLEND_COPY);
  }
  std::string error;
  if (!WritePngFile(&strip, dir + "/" + picture.file, error)) {
    std::fprintf(stderr, "gain_make_images: %s\n", error.c_str());
    return false;
  }
  return true;
}

} // namespace

int main(int argc, char** argv)
{
  if (argc != 2 || !argv[1][0] || argv[1][0] == '-') {
    std::fputs("usage: gain_make_images OUTDIR\n", stderr);
    return 2;
  }
  const Picture pictures[] = {
      {"gain_background.png", kGainEditorWidth, kGainEditorHeight, 1, [](ImageCanvas& c, int) { DrawBackground(c); }},
      {"gain_knob.png", kGainKnobSize, kGainKnobSize, kGainKnobFrames,
       [](ImageCanvas& c, int f) { DrawKnob(c, -135.0 + 270.0 * f / (kGainKnobFrames - 1)); }},
  };
  for (const Picture& picture : pictures) {
    if (!WritePicture(picture, argv[1])) {
      std::fprintf(stderr, "gain_make_images: cannot draw %s\n", picture.file);
      return 1;
    }
  }
  return 0;
}
