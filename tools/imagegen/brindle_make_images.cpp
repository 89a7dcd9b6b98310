// brindle_make_images OUTDIR: draws the editor's six pictures and writes them as PNG files into
// OUTDIR, once at their own size and again, from the same drawing, at two and three times it for
// high-density screens (name@2x.png, name@3x.png). The lettering comes from two font files named by path, so the pictures are the same on
// every machine that has Debian's fonts-dejavu-core, whatever else is installed.
#include "tools/files/PngWriter.h"
#include "tools/imagegen/PedalArt.h"

#include "raster/Raster_Blit.h"
#include "raster/Raster_MemBitmap.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <sys/stat.h>

namespace {

const char kUsage[] = "usage: brindle_make_images OUTDIR\n"
                      "Draws the editor's pictures (background, lamp, switches, knob strip, about panel) and writes\n"
                      "them as PNG files into OUTDIR, which is created when missing: NAME.png at the editor's own\n"
                      "size, NAME@2x.png and NAME@3x.png drawn at two and three times it.\n";

const ArtFonts kFonts = {"/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                         "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"};

constexpr int kKnobFrames = 65;
constexpr int kScales[] = {1, 2, 3};

struct Picture
{
  const char* file;
  int width, frameHeight, frames;
  std::function<void(ImageCanvas&, int frame)> draw;
};

const Picture kPictures[] = {
    {"background.png", 208, 326, 1, [](ImageCanvas& c, int) { DrawBackground(c, kFonts); }},
    {"brindle_led.png", 26, 26, 2, [](ImageCanvas& c, int f) { DrawLamp(c, f == 1); }},
    {"brindle_switch_01.png", 48, 24, 2, [](ImageCanvas& c, int f) { DrawToggle(c, f == 1); }},
    {"brindle_switch_02.png", 48, 48, 2, [](ImageCanvas& c, int f) { DrawFootswitch(c, f == 1); }},
    // The pointer sweeps 270 degrees, from 7 o'clock at frame 0 to 5 o'clock at the last frame.
    {"brindle_knob_01.png", 75, 75, kKnobFrames,
     [](ImageCanvas& c, int f) { DrawKnob(c, -135.0 + 270.0 * f / (kKnobFrames - 1)); }},
    {"brindle_about.png", 198, 160, 1, [](ImageCanvas& c, int) { DrawAbout(c, kFonts); }},
};

bool FontsUsable()
{
  bool ok = true;
  for (const std::string& path : {kFonts.bold, kFonts.regular}) {
    HGDIOBJ__* font = GDI_CreateFontFromFile(path.c_str(), 12, ANTIALIASED_QUALITY);
    if (!font) {
      std::fprintf(stderr, "brindle_make_images: cannot use the font file %s (package fonts-dejavu-core)\n",
                   path.c_str());
      ok = false;
    }
    DeleteObject(font);
  }
  return ok;
}

// "name.png" at scale 1, "name@2x.png" at 2.
std::string FileName(const char* file, int scale)
{
  const std::string name = file;
  if (scale == 1) return name;
  const size_t dot = name.rfind('.');
  return name.substr(0, dot) + "@" + std::to_string(scale) + "x" + name.substr(dot);
}

bool WritePicture(const Picture& picture, int scale, const std::string& dir)
{
  const int frameHeight = picture.frameHeight * scale;
  Raster_MemBitmap strip(picture.width * scale, frameHeight * picture.frames);
  if (!strip.getBits()) {
    std::fprintf(stderr, "brindle_make_images: out of memory for %s\n", picture.file);
    return false;
  }
  for (int f = 0; f < picture.frames; f++) {
    ImageCanvas canvas(picture.width, picture.frameHeight, scale);
    if (!canvas.IsValid()) {
      std::fprintf(stderr, "brindle_make_images: out of memory for %s\n", picture.file);
      return false;
    }
    picture.draw(canvas, f);
    canvas.ToStraightAlpha();
    Raster_Blit(&strip, &canvas.Bitmap(), 0, f * frameHeight, nullptr, 1.0f, RASTER_BLEND_COPY);
  }
  std::string error;
  if (!WritePngFile(&strip, dir + "/" + FileName(picture.file, scale), error)) {
    std::fprintf(stderr, "brindle_make_images: %s\n", error.c_str());
    return false;
  }
  return true;
}

} // namespace

int main(int argc, char** argv)
{
  if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 2 || !argv[1][0] || argv[1][0] == '-') {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string dir = argv[1];
  // Each missing folder on the way, like mkdir -p.
  for (size_t end = dir.find('/', 1);; end = dir.find('/', end + 1)) {
    const std::string part = dir.substr(0, end);
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
      std::fprintf(stderr, "brindle_make_images: cannot create %s: %s\n", part.c_str(), std::strerror(errno));
      return 1;
    }
    if (end == std::string::npos) break;
  }
  struct stat info;
  if (stat(dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    std::fprintf(stderr, "brindle_make_images: %s is not a folder\n", dir.c_str());
    return 1;
  }
  if (!FontsUsable()) return 1;
  for (int scale : kScales)
    for (const Picture& picture : kPictures)
      if (!WritePicture(picture, scale, dir)) return 1;
  return 0;
}
