// The editor at a display scale: the mapping between editor and device pixels, the canvas, the choice
// and reduction of image sets, and drawing (fills, text) at the scaled size.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <map>
#include <string>

#include "graphics/BitmapStorage.h"
#include "graphics/FontStorage.h"
#include "graphics/IBitmapControls.h"
#include "graphics/ScaledBitmapStorage.h"
#include "tests/graphics/GraphicsTestSupport.h"

namespace {

constexpr unsigned int kClear = 0;

unsigned int Solid(int r, int g, int b)
{
  return 0xFFu | static_cast<unsigned>(r) << 8 | static_cast<unsigned>(g) << 16 | static_cast<unsigned>(b) << 24;
}

const unsigned int kBase = Solid(200, 0, 0), kSet2 = Solid(0, 200, 0), kSet3 = Solid(0, 0, 200);

// Images by file name: each a solid colour of a given size, or frames of one colour each stacked
// top to bottom.
class NamedImageGraphics : public TestGraphics
{
public:
  using TestGraphics::TestGraphics;
  struct Image
  {
    int w, h;
    std::vector<unsigned int> frameColors;
  };
  Raster_IBitmap* OSLoadBitmap(int, const char* name) override
  {
    mAsked.push_back(name);
    const auto found = mNamed.find(name);
    if (found == mNamed.end()) return nullptr;
    const Image& image = found->second;
    auto* bitmap = new Raster_MemBitmap(image.w, image.h, 4);
    const int frames = static_cast<int>(image.frameColors.size());
    for (int y = 0; y < image.h; ++y)
      for (int x = 0; x < image.w; ++x)
        bitmap->getBits()[y * bitmap->getRowSpan() + x] = image.frameColors[y * frames / image.h];
    return bitmap;
  }
  std::map<std::string, Image> mNamed;
  std::vector<std::string> mAsked;
};

struct ScaledEditor
{
  explicit ScaledEditor(int w = 60, int h = 40) : graphics(new NamedImageGraphics(&plug, w, h, 0))
  {
    plug.AttachGraphics(graphics);
  }
  void Clear()
  {
    Raster_SysBitmap* canvas = graphics->GetCanvas();
    for (int y = 0; y < canvas->getHeight(); ++y)
      for (int x = 0; x < canvas->getWidth(); ++x) canvas->getBits()[y * canvas->getRowSpan() + x] = kClear;
  }
  unsigned int Pixel(int x, int y) { return graphics->Pixel(x, y); }
  GraphicsTestPlug plug;
  NamedImageGraphics* graphics; // owned by the plug-in
};

TEST(IGraphicsScale, DevicePixelsMapBackToTheEditorPixelTheyLieIn)
{
  ScaledEditor e;
  for (double scale : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0}) {
    SCOPED_TRACE(scale);
    e.graphics->SetScale(scale);
    IGraphics& g = *e.graphics;
    for (int px = -60; px < 1000; ++px) {
      const int v = g.FromDevice(px);
      ASSERT_LE(g.ToDevice(v), px);
      ASSERT_GT(g.ToDevice(v + 1), px);
    }
    for (int v = -20; v < 400; ++v) {
      ASSERT_EQ(g.FromDevice(g.ToDevice(v)), v);
      ASSERT_EQ(g.ToDevice(v), static_cast<int>(std::floor(v * scale + 0.5)));
    }
    // A control's device rectangle holds exactly the device pixels whose editor pixel its rectangle holds.
    const IRECT controls[] = {{91, 15, 117, 41}, {80, 61, 128, 85}, {18, 86, 93, 161}, {5, 156, 203, 316}};
    for (const IRECT& r : controls) {
      EXPECT_EQ(g.FromDevice(g.ToDevice(r)), r);
      const IRECT d = g.ToDevice(r);
      for (int px = d.left - 3; px < d.right + 3; ++px)
        ASSERT_EQ(px >= d.left && px < d.right, r.Contains(g.FromDevice(px), r.top)) << px;
    }
    EXPECT_TRUE(g.ToDevice(IRECT()).IsEmpty());
    EXPECT_TRUE(g.FromDevice(IRECT()).IsEmpty());
  }
  // Hostile coordinates neither overflow nor hang, at any scale.
  for (double scale : {1.0, 1.5, 3.0}) {
    e.graphics->SetScale(scale);
    for (int v : {INT_MIN, INT_MIN + 1, -1, INT_MAX - 1, INT_MAX}) {
      const int d = e.graphics->ToDevice(v), back = e.graphics->FromDevice(v);
      EXPECT_EQ(d < 0, v < 0) << scale << " " << v;
      EXPECT_EQ(back < 0, v < 0) << scale << " " << v;
    }
  }
}

TEST(IGraphicsScale, TheScaleIsHeldInRangeAndSizesTheCanvas)
{
  ScaledEditor e(208, 326);
  struct Case
  {
    double asked, scale;
    int w, h;
  };
  const Case cases[] = {
      {2.0, 2.0, 416, 652},      {1.5, 1.5, 312, 489},       {1.0, 1.0, 208, 326},  {3.0, 3.0, 624, 978},
      {0.5, 1.0, 208, 326},      {0.0, 1.0, 208, 326},       {-2.0, 1.0, 208, 326}, {NAN, 1.0, 208, 326},
      {INFINITY, 3.0, 624, 978}, {-INFINITY, 1.0, 208, 326}, {7.0, 3.0, 624, 978},  {1.25, 1.25, 260, 408},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.asked);
    e.graphics->SetScale(c.asked);
    EXPECT_EQ(e.graphics->GetScale(), c.scale);
    EXPECT_EQ(e.graphics->Width(), 208); // the layout does not change
    EXPECT_EQ(e.graphics->ScaledWidth(), c.w);
    EXPECT_EQ(e.graphics->ScaledHeight(), c.h);
    EXPECT_EQ(e.graphics->GetCanvas()->getWidth(), c.w);
    EXPECT_EQ(e.graphics->GetCanvas()->getHeight(), c.h);
  }

  // A change marks every control dirty (the whole canvas is new); the same scale again changes nothing.
  e.graphics->SetScale(2.0);
  std::vector<std::string> log;
  e.graphics->AttachControl(new RecordingControl(&e.plug, IRECT(10, 10, 20, 20), -1, &log, "a"));
  e.graphics->AttachControl(new RecordingControl(&e.plug, IRECT(30, 5, 40, 15), -1, &log, "b"));
  IRECT dirty;
  e.graphics->IsDirty(&dirty);
  e.graphics->Draw(&dirty);
  IRECT none;
  EXPECT_FALSE(e.graphics->IsDirty(&none));
  e.graphics->SetScale(2.0);
  EXPECT_FALSE(e.graphics->IsDirty(&none));
  e.graphics->SetScale(1.5);
  IRECT stale;
  ASSERT_TRUE(e.graphics->IsDirty(&stale));
  EXPECT_EQ(stale, IRECT(10, 5, 40, 20)); // editor pixels, as the platform expects them
  log.clear();
  e.graphics->Draw(&stale);
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
  // A resize keeps the scale.
  e.graphics->Resize(100, 50);
  EXPECT_EQ(e.graphics->GetCanvas()->getWidth(), 150);
  EXPECT_EQ(e.graphics->GetCanvas()->getHeight(), 75);
}

TEST(IGraphicsScale, BitmapsComeFromTheNearestLargerSetReducedToTheScale)
{
  struct Case
  {
    const char* name;
    double scale;
    bool have2, have3, wrong2; // wrong2: a 2x file of the wrong size
    unsigned int shows;
    const char* asked; // the sets looked for, in order
  };
  const Case cases[] = {
      {"s1", 1.0, true, true, false, kBase, ""},
      {"s125", 1.25, true, true, false, kSet2, "@2x"},
      {"s15", 1.5, true, true, false, kSet2, "@2x"},
      {"s2", 2.0, true, true, false, kSet2, "@2x"},
      {"s25", 2.5, true, true, false, kSet3, "@3x"},
      {"s3", 3.0, true, true, false, kSet3, "@3x"},
      {"only3", 1.5, false, true, false, kSet3, "@2x@3x"},
      {"only2at25", 2.5, true, false, false, kBase, "@3x"}, // a smaller set is never enlarged
      {"none", 2.0, false, false, false, kBase, "@2x@3x"},
      {"wrong2", 2.0, false, false, true, kBase, "@2x@3x"},
  };
  int id = 61100;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScaledEditor e(40, 30);
    const std::string base = std::string("img/") + c.name;
    e.graphics->mNamed[base + ".png"] = {10, 8, {kBase}};
    if (c.have2) e.graphics->mNamed[base + "@2x.png"] = {20, 16, {kSet2}};
    if (c.wrong2) e.graphics->mNamed[base + "@2x.png"] = {21, 16, {kSet2}};
    if (c.have3) e.graphics->mNamed[base + "@3x.png"] = {30, 24, {kSet3}};
    IBitmap bitmap = e.graphics->LoadIBitmap(++id, (base + ".png").c_str());
    e.graphics->AttachControl(new IBitmapControl(&e.plug, 7, 5, -1, &bitmap));
    e.graphics->SetScale(c.scale);
    e.Clear();
    IRECT all(0, 0, 40, 30);
    e.graphics->Draw(&all);
    std::string asked;
    for (const std::string& name : e.graphics->mAsked)
      if (name != base + ".png") asked += name.substr(base.size(), 3);
    EXPECT_EQ(asked, c.asked);
    // The image fills exactly the control's device rectangle, in the chosen set's colour.
    const IRECT d = e.graphics->ToDevice(IRECT(7, 5, 17, 13));
    for (int y = d.top - 1; y <= d.bottom; ++y)
      for (int x = d.left - 1; x <= d.right; ++x) {
        const bool inside = x >= d.left && x < d.right && y >= d.top && y < d.bottom;
        ASSERT_EQ(e.Pixel(x, y), inside ? c.shows : kClear) << x << "," << y;
      }
    // Drawing again reuses what was made: no file is read twice.
    const size_t loads = e.graphics->mAsked.size();
    e.graphics->SetAllControlsDirty();
    e.graphics->Draw(&all);
    EXPECT_EQ(e.graphics->mAsked.size(), loads);
  }
}

TEST(IGraphicsScale, StripsAreReducedFrameByFrame)
{
  // Two frames, red over green, only at 1x and 2x: at 1.5 and 2.5 the frame drawn shows none of its
  // neighbour along the shared edge, where one filtered reduction of the whole strip would blend them.
  const unsigned int red = Solid(255, 0, 0), green = Solid(0, 255, 0);
  int id = 61200;
  for (double scale : {1.5, 2.0, 2.5, 3.0}) {
    for (int state : {1, 2}) {
      SCOPED_TRACE(std::to_string(scale) + " state " + std::to_string(state));
      ScaledEditor e(30, 30);
      const std::string name = "strip" + std::to_string(id);
      e.graphics->mNamed[name + ".png"] = {10, 14, {red, green}};
      e.graphics->mNamed[name + "@2x.png"] = {20, 28, {red, green}};
      IBitmap strip = e.graphics->LoadIBitmap(++id, (name + ".png").c_str(), 2);
      auto* control = new ISwitchControl(&e.plug, 3, 5, -1, &strip);
      e.graphics->AttachControl(control);
      control->SetValueFromPlug(state == 2 ? 1.0 : 0.0);
      e.graphics->SetScale(scale);
      e.Clear();
      IRECT all(0, 0, 30, 30);
      e.graphics->Draw(&all);
      const IRECT d = e.graphics->ToDevice(IRECT(3, 5, 13, 12));
      for (int y = d.top; y < d.bottom; ++y)
        for (int x = d.left; x < d.right; ++x) ASSERT_EQ(e.Pixel(x, y), state == 2 ? green : red) << x << "," << y;
    }
  }
}

TEST(IGraphicsScale, FillsPointsAndTextLandOnTheScaledPixels)
{
  ScaledEditor e(60, 40);
  e.graphics->SetScale(2.0);
  e.Clear();
  IRECT r(2, 3, 5, 6);
  e.graphics->FillIRect(&COLOR_RED, &r);
  e.graphics->ForcePixel(&COLOR_BLUE, 10, 10);
  e.graphics->DrawPoint(&COLOR_GREEN, 12.0f, 10.0f);
  int red = 0, blue = 0, green = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 120; ++x) {
      const unsigned int p = e.Pixel(x, y);
      red += p == COLOR_RED.ToPixelWord() && x >= 4 && x < 10 && y >= 6 && y < 12;
      blue += p == COLOR_BLUE.ToPixelWord() && x >= 20 && x < 22 && y >= 20 && y < 22;
      green += p == COLOR_GREEN.ToPixelWord() && x >= 24 && x < 26 && y >= 20 && y < 22;
    }
  EXPECT_EQ(red, 36);
  EXPECT_EQ(blue, 4);
  EXPECT_EQ(green, 4);
  EXPECT_EQ(e.graphics->GetPoint(10, 10).ToPixelWord(), COLOR_BLUE.ToPixelWord());
  EXPECT_FALSE(e.graphics->ForcePixel(&COLOR_BLUE, 60, 0)); // outside the editor, though inside the canvas

  // Text measures in editor pixels at every scale, and is drawn with a font of the scaled size (made
  // for it, not the editor-size glyphs enlarged): its ink is about twice as tall.
  char str[] = "Level";
  IText style(17, &COLOR_BLACK, nullptr, IText::kStyleNormal, IText::kAlignLeft);
  auto inkRows = [&](ScaledEditor& editor, int height) {
    int top = INT_MAX, bottom = -1;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < editor.graphics->GetCanvas()->getWidth(); ++x)
        if (editor.Pixel(x, y) != kClear) {
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
    return bottom - top + 1;
  };
  ScaledEditor one(60, 40);
  one.Clear();
  IRECT measured1(2, 2, 60, 40), measured2(2, 2, 60, 40);
  ASSERT_TRUE(one.graphics->MeasureIText(&style, str, &measured1));
  ASSERT_TRUE(e.graphics->MeasureIText(&style, str, &measured2));
  EXPECT_EQ(measured1, measured2);
  IText big = style;
  big.mSize = 34;
  big.mCachedFont = nullptr;
  const bool madeBefore = FontStorage::Instance().Find(&big) != nullptr;
  e.Clear();
  IRECT at(2, 2, 60, 40);
  ASSERT_TRUE(one.graphics->DrawIText(&style, str, &at));
  ASSERT_TRUE(e.graphics->DrawIText(&style, str, &at));
  EXPECT_TRUE(madeBefore || FontStorage::Instance().Find(&big) != nullptr);
  const int rows1 = inkRows(one, 40), rows2 = inkRows(e, 80);
  EXPECT_GE(rows2, 2 * rows1 - 2);
  EXPECT_LE(rows2, 2 * rows1 + 2);
}

TEST(IGraphicsScale, ImagesTheCacheDoesNotOwnAreScaledForOneDrawOnly)
{
  ScaledEditor e(30, 30);
  e.graphics->SetScale(2.0);
  Raster_MemBitmap own(4, 4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) own.getBits()[y * own.getRowSpan() + x] = kSet2;
  IBitmap bitmap(&own, 4, 4);
  const int kept = ScaledBitmapStorage::Instance().Count();
  e.graphics->AttachControl(new RecordingControl(&e.plug, IRECT(0, 0, 1, 1), -1, nullptr, "pass"));
  e.Clear();
  IRECT dest(1, 1, 5, 5), all(0, 0, 30, 30);
  e.graphics->SetAllControlsDirty();
  e.graphics->Draw(&all); // sets the draw pass's rectangle
  ASSERT_TRUE(e.graphics->DrawBitmap(&bitmap, &dest, 1));
  EXPECT_EQ(e.Pixel(2, 2), kSet2);
  EXPECT_EQ(e.Pixel(9, 9), kSet2);
  EXPECT_EQ(e.Pixel(10, 10), kClear);
  EXPECT_EQ(ScaledBitmapStorage::Instance().Count(), kept);
  // A released image takes what was made from it along.
  e.graphics->mNamed["gone.png"] = {4, 4, {kBase}};
  IBitmap loaded = e.graphics->LoadIBitmap(61300, "gone.png");
  ASSERT_TRUE(e.graphics->DrawBitmap(&loaded, &dest, 1));
  EXPECT_EQ(ScaledBitmapStorage::Instance().Count(), kept + 1);
  e.graphics->ReleaseBitmap(&loaded);
  EXPECT_EQ(ScaledBitmapStorage::Instance().Count(), kept);
}

TEST(IGraphicsScale, LargerSetNamesGoBeforeTheExtension)
{
  const struct
  {
    const char* name;
    int set;
    const char* larger;
  } cases[] = {
      {"resources/img/knob.png", 2, "resources/img/knob@2x.png"},
      {"knob.PNG", 3, "knob@3x.PNG"},
      {"dir.v2/knob", 2, "dir.v2/knob@2x"},
      {"a.b.png", 2, "a.b@2x.png"},
      {".png", 2, ".png@2x"},
      {"", 2, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ScaledImageName(c.name, c.set), c.larger) << c.name;
}

} // namespace
