#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "GraphicsTestSupport.h"
#include "graphics/BitmapStorage.h"
#include "graphics/IBitmapControls.h"
#include "raster/Raster_Fill.h"

namespace {

constexpr unsigned int kMarker = 0x12345678u;

// Runs a drawing callback inside a draw pass over clip, on a canvas cleared to kMarker.
struct CallbackControl : IControl
{
  CallbackControl(IEffectBase* plug, std::function<void(IGraphics*)> fn)
      : IControl(plug, IRECT(0, 0, 1, 1)), mFn(std::move(fn))
  {}
  bool Draw(IGraphics* g) override
  {
    mFn(g);
    return true;
  }
  std::function<void(IGraphics*)> mFn;
};

void DrawWithClip(EditorFixture& f, IRECT clip, std::function<void(IGraphics*)> fn)
{
  Raster_Clear(f.graphics->GetCanvas(), kMarker);
  auto* painter = dynamic_cast<CallbackControl*>(f.graphics->GetControl(0));
  if (!painter) {
    painter = f.Add<CallbackControl>(nullptr);
    painter->SetRECT(IRECT(INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2)); // inside every pass
  }
  painter->mFn = std::move(fn);
  f.graphics->Draw(&clip);
  painter->mFn = [](IGraphics*) {};
}

// Every canvas pixel is the striped image at (x - ox, y - oy) inside `inside`, else the marker.
void ExpectBlit(TestGraphics* g, const IRECT& inside, int ox, int oy)
{
  int wrong = 0;
  for (int y = 0; y < g->Height(); ++y)
    for (int x = 0; x < g->Width(); ++x) {
      const unsigned int want = inside.Contains(x, y) ? StripePixel(x - ox, y - oy) : kMarker;
      if (g->Pixel(x, y) != want && ++wrong <= 3)
        ADD_FAILURE() << "pixel " << x << "," << y << " " << std::hex << g->Pixel(x, y) << " want " << want;
    }
}

} // namespace

TEST(IGraphicsBitmaps, CacheKeepsOneImagePerIdAndOwnsMadeImages)
{
  EditorFixture f;
  f.graphics->mImages[9001] = {8, 6};
  const IBitmap first = f.graphics->LoadIBitmap(9001, "a.png", 2);
  const IBitmap again = f.graphics->LoadIBitmap(9001, "other-name.png", 3);
  EXPECT_EQ(first.mImage, again.mImage);
  EXPECT_EQ(f.graphics->mLoads, 1);
  EXPECT_EQ(again.mFrames, 3);
  EXPECT_EQ(first.mWidth, 8);
  EXPECT_EQ(first.mHeight, 6);

  // A missing image is an empty bitmap, cached like any other.
  const IBitmap missing = f.graphics->LoadIBitmap(9002, "nowhere.png");
  ASSERT_NE(missing.mImage, nullptr);
  EXPECT_EQ(missing.mWidth, 0);
  EXPECT_EQ(f.graphics->LoadIBitmap(9002, "nowhere.png").mImage, missing.mImage);
  EXPECT_EQ(f.graphics->mLoads, 2);

  BitmapStorage& storage = BitmapStorage::Instance();
  const int before = storage.Count();
  IBitmap scaled = f.graphics->ScaleBitmap(const_cast<IBitmap*>(&first), 16, 3);
  EXPECT_EQ(storage.Count(), before + 1);
  EXPECT_EQ(scaled.mWidth, 16);
  EXPECT_EQ(scaled.mHeight, 3);
  EXPECT_EQ(scaled.mFrames, 2);
  EXPECT_FALSE(scaled.mFramesHorizontal);

  IBitmap horizontal = first;
  horizontal.mFramesHorizontal = true;
  IRECT area(2, 1, 5, 5);
  IBitmap cropped = f.graphics->CropBitmap(&horizontal, &area);
  EXPECT_EQ(cropped.mWidth, 3);
  EXPECT_EQ(cropped.mHeight, 4);
  EXPECT_FALSE(cropped.mFramesHorizontal);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(cropped.mImage->getBits()[y * cropped.mImage->getRowSpan() + x], StripePixel(x + 2, y + 1));
  IRECT hostile(5, 5, -100, INT_MIN);
  EXPECT_EQ(f.graphics->CropBitmap(&horizontal, &hostile).mWidth, 0);
  EXPECT_EQ(f.graphics->ScaleBitmap(&horizontal, -4, INT_MIN).mWidth, 0);
  EXPECT_EQ(storage.Count(), before + 4);

  f.graphics->ReleaseBitmap(&scaled);
  EXPECT_EQ(scaled.mImage, nullptr);
  f.graphics->ReleaseBitmap(&scaled); // already gone: nothing happens
  auto* own = MakeStripedImage(2, 2);
  IBitmap retained(own, 2, 2);
  f.graphics->RetainBitmap(&retained);
  EXPECT_EQ(storage.Count(), before + 4);
  IBitmap stranger(MakeStripedImage(1, 1), 1, 1);
  f.graphics->ReleaseBitmap(&stranger); // not the cache's: left alone
  EXPECT_NE(stranger.mImage, nullptr);
  delete stranger.mImage;
}

TEST(IGraphicsBitmaps, DrawBitmapClipsToThePassAndSelectsFrames)
{
  EditorFixture f(64, 48);
  // A vertical strip of 65 frames, each 3 rows: state 65 reads from row 64 * 3 = 192.
  f.graphics->mImages[9010] = {10, 195};
  IBitmap strip = f.graphics->LoadIBitmap(9010, "strip.png", 65);
  const IChannelBlend copy(kBlendCopy);
  struct Case
  {
    const char* name;
    IRECT clip, dest;
    int state;
    IRECT inside;
    int srcRow;
  };
  const Case cases[] = {
      {"state 1 reads row 0", IRECT(0, 0, 64, 48), IRECT(5, 5, 15, 8), 1, IRECT(5, 5, 15, 8), 0},
      {"state 65 reads row 192", IRECT(0, 0, 64, 48), IRECT(5, 5, 15, 8), 65, IRECT(5, 5, 15, 8), 192},
      {"states below 1 read frame 0", IRECT(0, 0, 64, 48), IRECT(5, 5, 15, 8), -7, IRECT(5, 5, 15, 8), 0},
      {"half outside the clip: the inside part, same offset", IRECT(10, 6, 64, 48), IRECT(5, 5, 15, 8), 2,
       IRECT(10, 6, 15, 8), 3},
      {"dest taller than a frame runs on into the next frames", IRECT(0, 0, 64, 48), IRECT(0, 0, 10, 9), 64,
       IRECT(0, 0, 10, 6), 189},
      {"a state past the image draws nothing", IRECT(0, 0, 64, 48), IRECT(5, 5, 15, 8), 66, IRECT(), 0},
      {"INT_MAX state draws nothing", IRECT(0, 0, 64, 48), IRECT(5, 5, 15, 8), INT_MAX, IRECT(), 0},
      {"dest beyond the canvas", IRECT(0, 0, 64, 48), IRECT(INT_MAX - 5, 0, INT_MAX, 3), 1, IRECT(), 0},
      {"dest from INT_MIN is clipped", IRECT(0, 0, 64, 48), IRECT(INT_MIN, INT_MIN, 3, 3), 1, IRECT(), 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    IRECT dest = k.dest;
    DrawWithClip(f, k.clip, [&](IGraphics* g) { EXPECT_TRUE(g->DrawBitmap(&strip, &dest, k.state, &copy)); });
    ExpectBlit(f.graphics, k.inside, k.dest.left, k.dest.top - k.srcRow);
  }

  // An empty pass rectangle draws nothing, nor do null or frameless bitmaps.
  IBitmap frameless = strip;
  frameless.mFrames = 0;
  IBitmap imageless(nullptr, 10, 10, 2);
  IRECT dest(0, 0, 10, 3);
  // Loose drawing with a dirty, empty background gives a pass over an empty rectangle.
  f.graphics->SetStrictDrawing(false);
  f.graphics->GetControl(0)->SetRECT(IRECT());
  bool drawn = false;
  DrawWithClip(f, IRECT(0, 0, 64, 48), [&](IGraphics* g) { drawn = g->DrawBitmap(&strip, &dest, 1, &copy); });
  EXPECT_TRUE(drawn);
  EXPECT_TRUE(f.graphics->GetClipRect().IsEmpty());
  ExpectBlit(f.graphics, IRECT(), 0, 0);
  f.graphics->SetStrictDrawing(true);
  f.graphics->GetControl(0)->SetRECT(IRECT(0, 0, 64, 48));
  DrawWithClip(f, IRECT(0, 0, 64, 48), [&](IGraphics* g) {
    g->DrawBitmap(&imageless, &dest, 2);
    g->DrawBitmap(nullptr, &dest, 2);
    g->DrawBitmap(&strip, nullptr, 2);
    g->DrawBitmap(&frameless, &dest, 5, &copy);
  });
  ExpectBlit(f.graphics, IRECT(0, 0, 10, 3), 0, 0);
}

TEST(IGraphicsBitmaps, FillsAndPixelsIgnoreTheClipButStayOnTheCanvas)
{
  EditorFixture f(16, 16);
  Raster_Clear(f.graphics->GetCanvas(), kMarker);
  IRECT r(2, 2, 4, 3);
  f.graphics->FillIRect(&COLOR_RED, &r);
  EXPECT_EQ(f.graphics->GetPoint(3, 2), COLOR_RED);
  EXPECT_EQ(f.graphics->Pixel(4, 2), kMarker);
  const struct
  {
    int x, y;
    bool written;
  } points[] = {{0, 0, true}, {15, 15, true}, {16, 0, false}, {-1, 3, false}, {INT_MAX, INT_MIN, false}};
  for (const auto& p : points) EXPECT_EQ(f.graphics->ForcePixel(&COLOR_BLUE, p.x, p.y), p.written) << p.x;
  EXPECT_EQ(f.graphics->GetPoint(15, 15), COLOR_BLUE);
  EXPECT_EQ(f.graphics->GetPoint(-1, 99), COLOR_TRANSPARENT);
  f.graphics->DrawPoint(&COLOR_GREEN, 6.6f, 7.4f);
  EXPECT_EQ(f.graphics->GetPoint(7, 7), COLOR_GREEN);
  IRECT huge(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  f.graphics->FillIRect(&COLOR_WHITE, &huge);
  f.graphics->DrawPoint(&COLOR_GREEN, 1e30f, -1e30f);
  // No text is done at once; a text without a style cannot be drawn.
  EXPECT_TRUE(f.graphics->DrawIText(nullptr, nullptr, &r));
  char text[] = "x";
  EXPECT_FALSE(f.graphics->DrawIText(nullptr, text, &r));
}
