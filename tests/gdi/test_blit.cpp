// Blits between memory contexts and images drawn into contexts.

#include "gdi/GDI_Image.h"
#include "tests/gdi/GdiTestUtil.h"

#include <png.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {
// Source pixel (x, y) gets R = 10 * x + 1, G = 10 * y + 1, B = 7, alpha byte a.
void FillPattern(MemContext& m, int a = 0)
{
  for (int y = 0; y < m.h(); y++)
    for (int x = 0; x < m.w(); x++) {
      unsigned char* p = m.px(x, y);
      p[0] = (unsigned char)a;
      p[1] = (unsigned char)(10 * x + 1);
      p[2] = (unsigned char)(10 * y + 1);
      p[3] = 7;
    }
}
} // namespace

TEST(GdiBlit, CopiesPixelsOpaque)
{
  MemContext src(4, 4), dst(8, 8);
  FillPattern(src);
  BitBlt(dst.dc(), 1, 2, 3, 2, src.dc(), 1, 1, SRCCOPY);
  EXPECT_EQ(dst.countTouched(), 6);
  for (int y = 0; y < 2; y++)
    for (int x = 0; x < 3; x++) {
      EXPECT_EQ(dst.at(1 + x, 2 + y, 1), 10 * (1 + x) + 1);
      EXPECT_EQ(dst.at(1 + x, 2 + y, 2), 10 * (1 + y) + 1);
      EXPECT_EQ(dst.at(1 + x, 2 + y, 0), 255); // an opaque copy
    }
}

TEST(GdiBlit, SourceAreaIsClippedToTheSource)
{
  MemContext src(4, 4), dst(8, 8);
  FillPattern(src);
  // Source columns -2..1: the first two do not exist, so destination columns 0-1 stay untouched.
  BitBlt(dst.dc(), 0, 0, 4, 4, src.dc(), -2, 0, SRCCOPY);
  EXPECT_FALSE(dst.touched(0, 0));
  EXPECT_FALSE(dst.touched(1, 3));
  EXPECT_EQ(dst.at(2, 0, 1), 1);
  EXPECT_EQ(dst.at(3, 3, 1), 11);
  EXPECT_EQ(dst.countTouched(), 2 * 4);
  // Entirely outside the source, and bad sizes: nothing.
  BitBlt(dst.dc(), 0, 4, 4, 4, src.dc(), 4, 0, SRCCOPY);
  BitBlt(dst.dc(), 0, 4, 0, 4, src.dc(), 0, 0, SRCCOPY);
  BitBlt(dst.dc(), 0, 4, -4, 4, src.dc(), 0, 0, SRCCOPY);
  StretchBlt(dst.dc(), 0, 4, 4, 4, src.dc(), 0, 0, 0, 4, SRCCOPY);
  BitBlt(dst.dc(), INT_MAX - 1, INT_MAX - 1, 4, 4, src.dc(), 0, 0, SRCCOPY);
  BitBlt(dst.dc(), INT_MIN, INT_MIN, 4, 4, src.dc(), INT_MIN, INT_MAX, SRCCOPY);
  BitBlt(nullptr, 0, 0, 4, 4, src.dc(), 0, 0, SRCCOPY);
  BitBlt(dst.dc(), 0, 0, 4, 4, nullptr, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.countTouched(), 2 * 4);

  // Extreme scales: the whole source squeezed below one pixel, and vast source areas cut down to
  // the source draw nothing; one source pixel stretched over two billion covers the whole frame.
  MemContext big(8, 8);
  StretchBlt(big.dc(), 0, 0, 1, 1, src.dc(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, SRCCOPY);
  StretchBlt(big.dc(), 0, 0, 8, 8, src.dc(), -INT_MAX, 0, INT_MAX, 4, SRCCOPY);
  StretchBlt(big.dc(), 0, 0, 1, 1, src.dc(), 0, 0, INT_MAX, INT_MAX, SRCCOPY);
  EXPECT_EQ(big.countTouched(), 0);
  StretchBlt(big.dc(), -1000000000, -1000000000, 2000000000, 2000000000, src.dc(), 1, 2, 1, 1, SRCCOPY);
  EXPECT_EQ(big.countTouched(), 64);
  EXPECT_EQ(big.at(7, 7, 1), 11);
  EXPECT_EQ(big.at(0, 0, 2), 21);
}

TEST(GdiBlit, StretchDoublesPixels)
{
  MemContext src(2, 2), dst(4, 4);
  FillPattern(src);
  StretchBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 2, 2, SRCCOPY);
  for (int y = 0; y < 4; y++)
    for (int x = 0; x < 4; x++) {
      EXPECT_EQ(dst.at(x, y, 1), 10 * (x / 2) + 1);
      EXPECT_EQ(dst.at(x, y, 2), 10 * (y / 2) + 1);
    }
  // Halving takes every other pixel.
  MemContext big(4, 4), small(2, 2);
  FillPattern(big);
  StretchBlt(small.dc(), 0, 0, 2, 2, big.dc(), 0, 0, 4, 4, SRCCOPY);
  EXPECT_EQ(small.at(1, 1, 1), 10 * 3 + 1);
  EXPECT_EQ(small.at(0, 0, 2), 10 * 1 + 1);
}

TEST(GdiBlit, SourceAlphaMode)
{
  MemContext src(3, 1), dst(3, 1);
  FillPattern(src);
  src.px(0, 0)[0] = 0;
  src.px(1, 0)[0] = 255;
  src.px(2, 0)[0] = 128;
  HGDIOBJ__* white = CreateSolidBrush(GDI_RGB(255, 255, 255));
  RECT all = {0, 0, 3, 1};
  GDI_FillRect(dst.dc(), &all, white);
  BitBlt(dst.dc(), 0, 0, 3, 1, src.dc(), 0, 0, GDI_BLIT_SOURCE_ALPHA);
  EXPECT_EQ(dst.at(0, 0, 1), 255);                                // alpha 0: untouched
  EXPECT_EQ(dst.at(1, 0, 1), 11);                                 // alpha 255: replaced
  EXPECT_EQ(dst.at(2, 0, 1), (21 * 128 + 255 * 127 + 127) / 255); // mixed: 137
  DeleteObject(white);
}

TEST(GdiBlit, OverlappingCopyWithinOneContext)
{
  MemContext m(6, 1);
  FillPattern(m, 255);
  BitBlt(m.dc(), 1, 0, 5, 1, m.dc(), 0, 0, SRCCOPY); // shift right by one
  EXPECT_EQ(m.at(0, 0, 1), 1);
  for (int x = 1; x < 6; x++) EXPECT_EQ(m.at(x, 0, 1), 10 * (x - 1) + 1) << x;
}

TEST(GdiBlit, OnlyMemoryContextsAreSources)
{
  MemContext dst(4, 4);
  FillPattern(dst, 255);
  HDC__* wrapped = GDI_CreateGfxContext(GDI_GetCtxGC(dst.dc())); // a context over dst's own surface
  MemContext other(4, 4);
  BitBlt(other.dc(), 0, 0, 4, 4, wrapped, 0, 0, SRCCOPY);
  EXPECT_EQ(other.countTouched(), 0);
  GDI_DeleteGfxContext(wrapped);
}

TEST(GdiImages, BitmapsSizesAndDrawing)
{
  // 2 x 2: opaque red, transparent, half-transparent blue, opaque white (bytes A, R, G, B).
  const unsigned char bits[16] = {255, 255, 0, 0, 0, 9, 9, 9, 128, 0, 0, 255, 255, 255, 255, 255};
  HGDIOBJ__* img = CreateBitmap(2, 2, 1, 32, bits);
  ASSERT_NE(img, nullptr);
  BITMAP bm = {0, 0};
  EXPECT_EQ(GetObject(img, sizeof(bm), &bm), (int)sizeof(BITMAP));
  EXPECT_EQ(bm.bmWidth, 2);
  EXPECT_EQ(bm.bmHeight, 2);
  EXPECT_EQ(GetObject(img, 4, &bm), 0);
  EXPECT_EQ(GetObject(CreateBitmap(1, 1, 1, 24, bits), sizeof(bm), &bm), 0); // only 32-bit rows
  EXPECT_EQ(CreateBitmap(0, 2, 1, 32, bits), nullptr);
  EXPECT_EQ(CreateBitmap(-1, 2, 1, 32, bits), nullptr);

  // Drawn into 4 x 4: each image pixel becomes a 2 x 2 block, blended by its alpha.
  MemContext m(4, 4);
  const RECT r = {0, 0, 4, 4};
  DrawImageInRect(m.dc(), img, &r);
  EXPECT_EQ(m.at(1, 1, 1), 255);
  EXPECT_FALSE(m.touched(2, 0));
  EXPECT_EQ(m.at(1, 3, 3), 128);
  EXPECT_EQ(m.at(3, 3, 2), 255);
  DrawImageInRect(m.dc(), nullptr, &r);
  DrawImageInRect(m.dc(), img, nullptr);
  const RECT huge = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  DrawImageInRect(m.dc(), img, &huge);

  // Icons copy the colour image; the list holds its own references.
  ICONINFO info = {1, 0, 0, nullptr, img};
  HGDIOBJ__* icon = CreateIconIndirect(&info);
  ASSERT_NE(icon, nullptr);
  ASSERT_NE(GetNSImageFromHICON(icon), nullptr);
  EXPECT_NE(GetNSImageFromHICON(icon), GetNSImageFromHICON(img));
  EXPECT_EQ(GetNSImageFromHICON(icon)->mPixels[1], 255);
  DeleteObject(img);
  EXPECT_EQ(GetNSImageFromHICON(img), nullptr);

  HIMAGELIST list = ImageList_CreateEx();
  EXPECT_EQ(ImageList_ReplaceIcon(list, -1, icon), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(list, -1, icon), 1);
  EXPECT_EQ(ImageList_ReplaceIcon(list, 0, icon), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(list, -1, nullptr), -1);
  EXPECT_EQ(ImageList_GetImageCount(list), 2);
  ImageList_Remove(list, 1);
  EXPECT_EQ(ImageList_GetImageCount(list), 1);
  ImageList_Remove(list, 7); // out of range: ignored
  DeleteObject(icon);        // the list still holds a reference
  EXPECT_NE(GetNSImageFromHICON(icon), nullptr);
  ImageList_Remove(list, -1);
  EXPECT_EQ(ImageList_GetImageCount(list), 0);
  EXPECT_EQ(GetNSImageFromHICON(icon), nullptr); // last reference gone
  ImageList_Destroy(list);
  ImageList_Destroy(nullptr);
}

TEST(GdiImages, LoadsPngFilesWithColorKey)
{
  // A 2 x 1 PNG: magenta, then green.
  const std::string path = "/tmp/gdi_test_" + std::to_string(getpid()) + ".png";
  png_image png;
  std::memset(&png, 0, sizeof(png));
  png.version = PNG_IMAGE_VERSION;
  png.width = 2;
  png.height = 1;
  png.format = PNG_FORMAT_RGB;
  const unsigned char rgb[6] = {255, 0, 255, 0, 200, 0};
  ASSERT_TRUE(png_image_write_to_file(&png, path.c_str(), 0, rgb, 0, nullptr));

  HGDIOBJ__* plain = LoadNamedImage(path.c_str(), false);
  HGDIOBJ__* keyed = LoadNamedImage(path.c_str(), true);
  std::remove(path.c_str());
  ASSERT_NE(plain, nullptr);
  ASSERT_NE(keyed, nullptr);
  const GDI_Image *p = GetNSImageFromHICON(plain), *k = GetNSImageFromHICON(keyed);
  EXPECT_EQ(p->mWidth, 2);
  EXPECT_EQ(p->mPixels[0], 255); // opaque magenta
  EXPECT_EQ(p->mPixels[1], 255);
  EXPECT_EQ(p->mPixels[3], 255);
  EXPECT_EQ(k->mPixels[0], 0);   // magenta became transparent
  EXPECT_EQ(k->mPixels[4], 255); // green kept
  EXPECT_EQ(k->mPixels[6], 200);
  DeleteObject(plain);
  DeleteObject(keyed);

  EXPECT_EQ(LoadNamedImage("no-slash-name", false), nullptr);
  EXPECT_EQ(LoadNamedImage("/nonexistent/file.png", false), nullptr);
  EXPECT_EQ(LoadNamedImage(nullptr, false), nullptr);
}
