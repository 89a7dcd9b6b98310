// brindle_make_images: a fresh run reproduces the committed pictures pixel for pixel, at the sizes
// and frame counts the editor loads them with; the pictures show what their frames stand for.
#include "raster/raster.h"

#include "tests/tools/test_temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/wait.h>

namespace {

struct Expected
{
  const char* file;
  int width, frameHeight, frames;
  bool opaque; // else every frame's corners are transparent
};

const Expected kPictures[] = {
    {"background.png", 208, 326, 1, true},       {"brindle_led.png", 26, 26, 2, false},
    {"brindle_switch_01.png", 48, 24, 2, false}, {"brindle_switch_02.png", 48, 48, 2, false},
    {"brindle_knob_01.png", 75, 75, 65, false},  {"brindle_about.png", 198, 160, 1, true},
};

int RunGenerator(const std::string& args)
{
  const int raw = std::system((std::string(BRINDLE_MAKE_IMAGES_EXE) + " " + args + " >/dev/null 2>&1").c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::unique_ptr<Raster_IBitmap> Load(const std::string& path)
{
  return std::unique_ptr<Raster_IBitmap>(Raster_LoadPNG(path.c_str()));
}

unsigned int Pixel(Raster_IBitmap& bm, int x, int y)
{
  return bm.getBits()[x + y * bm.getRowSpan()];
}

// Where the cream pointer points in one knob frame: degrees clockwise from straight up.
double PointerDegrees(Raster_IBitmap& knob, int frame)
{
  double sx = 0, sy = 0, n = 0;
  for (int y = 0; y < 75; y++)
    for (int x = 0; x < 75; x++) {
      const unsigned int p = Pixel(knob, x, frame * 75 + y);
      if (Raster_GetR(p) > 200 && Raster_GetG(p) > 180 && Raster_GetA(p) == 255) {
        sx += x + 0.5 - 37.5;
        sy += y + 0.5 - 37.5;
        n++;
      }
    }
  return n ? std::atan2(sx, -sy) * 180.0 / M_PI : 999.0;
}

TEST(MakeImages, FreshRunMatchesCommittedPictures)
{
  TempDir dir;
  ASSERT_EQ(RunGenerator(dir.Path() + "/out"), 0);
  const std::string committed = std::string(std::getenv("BRINDLE_SOURCE_DIR")) + "/resources/img/";
  // Every picture at its own size and in the larger sets (name@2x.png, name@3x.png) drawn at two and
  // three times it.
  for (int scale : {1, 2, 3})
    for (Expected e : kPictures) {
      std::string file = e.file;
      if (scale > 1) file.insert(file.rfind('.'), "@" + std::to_string(scale) + "x");
      e.width *= scale;
      e.frameHeight *= scale;
      SCOPED_TRACE(file);
      auto fresh = Load(dir.Path() + "/out/" + file), kept = Load(committed + file);
      ASSERT_TRUE(fresh && kept);
      ASSERT_EQ(fresh->getWidth(), e.width);
      ASSERT_EQ(fresh->getHeight(), e.frameHeight * e.frames);
      ASSERT_EQ(kept->getWidth(), e.width);
      ASSERT_EQ(kept->getHeight(), e.frameHeight * e.frames);
      int differing = 0;
      for (int y = 0; y < fresh->getHeight(); y++)
        for (int x = 0; x < e.width; x++) differing += Pixel(*fresh, x, y) != Pixel(*kept, x, y);
      EXPECT_EQ(differing, 0);

      // Controls are blended onto the enclosure: clear corners in every frame. Panels are opaque.
      for (int f = 0; f < e.frames; f++) {
        const int top = f * e.frameHeight, bottom = top + e.frameHeight - 1, right = e.width - 1;
        for (unsigned int p :
             {Pixel(*fresh, 0, top), Pixel(*fresh, right, top), Pixel(*fresh, 0, bottom), Pixel(*fresh, right, bottom)})
          EXPECT_EQ(Raster_GetA(p), e.opaque ? 255 : 0) << "frame " << f;
      }
      if (e.opaque) {
        for (int y = 0; y < fresh->getHeight(); y++)
          for (int x = 0; x < e.width; x++) ASSERT_EQ(Raster_GetA(Pixel(*fresh, x, y)), 255) << x << "," << y;
      }
    }
}

TEST(MakeImages, LargerSetsAreThePicturesDrawnLarger)
{
  // Each 2x frame, averaged over 2 x 2 blocks, is its 1x frame again within the anti-aliasing of edges
  // drawn at the finer size; the knob's pointer turns the same way in every set.
  const std::string img = std::string(std::getenv("BRINDLE_SOURCE_DIR")) + "/resources/img/";
  for (const Expected& e : kPictures) {
    SCOPED_TRACE(e.file);
    std::string file = e.file;
    file.insert(file.rfind('.'), "@2x");
    auto small = Load(img + e.file), big = Load(img + file);
    ASSERT_TRUE(small && big);
    double sum = 0;
    for (int y = 0; y < small->getHeight(); y++)
      for (int x = 0; x < e.width; x++)
        for (int shift : {0, 8, 16, 24}) {
          auto c = [&](int bx, int by) { return static_cast<double>((Pixel(*big, bx, by) >> shift) & 0xFF); };
          const double box =
              (c(2 * x, 2 * y) + c(2 * x + 1, 2 * y) + c(2 * x, 2 * y + 1) + c(2 * x + 1, 2 * y + 1)) / 4;
          sum += std::fabs(box - ((Pixel(*small, x, y) >> shift) & 0xFF));
        }
    EXPECT_LT(sum / (4.0 * e.width * small->getHeight()), 3.5);
  }
}

TEST(MakeImages, FramesShowTheirStates)
{
  auto knob = Load(std::string(std::getenv("BRINDLE_SOURCE_DIR")) + "/resources/img/brindle_knob_01.png");
  auto lamp = Load(std::string(std::getenv("BRINDLE_SOURCE_DIR")) + "/resources/img/brindle_led.png");
  ASSERT_TRUE(knob && lamp);
  // The pointer turns clockwise, linearly, from -135 degrees to +135.
  for (int f = 0; f < 65; f++) EXPECT_NEAR(PointerDegrees(*knob, f), -135.0 + 270.0 * f / 64, 2.0) << f;
  // The lit lamp's centre is far brighter than the unlit one's.
  EXPECT_GT(Raster_GetR(Pixel(*lamp, 13, 26 + 13)), Raster_GetR(Pixel(*lamp, 13, 13)) + 100);
}

TEST(MakeImages, CommandLine)
{
  TempDir dir;
  const struct
  {
    std::string args;
    int status;
  } cases[] = {
      {"--help", 0},
      {"", 2},                          // no folder
      {"-x", 2},                        // unknown option
      {"a b", 2},                       // two folders
      {"/proc/brindle-no-such/out", 1}, // cannot be created
      {"/dev/null", 1},                 // exists, not a folder
  };
  for (const auto& c : cases) EXPECT_EQ(RunGenerator(c.args), c.status) << c.args;
  EXPECT_TRUE(dir.Entries().empty());
}

} // namespace
