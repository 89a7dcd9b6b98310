// PNG loading: every colour type and depth to A, R, G, B bytes, caller bitmaps, and malformed input.

#include "raster/Raster_MemBitmap.h"
#include "raster/Raster_PNG.h"

#include "tests/raster/test_bitmap_helpers.h"
#include "tests/raster/test_png_helpers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

std::unique_ptr<Raster_IBitmap> LoadMem(const std::vector<unsigned char>& png, Raster_IBitmap* into = nullptr)
{
  Raster_IBitmap* bm = Raster_LoadPNGFromMemory(png.data(), (int)png.size(), into);
  if (into) {
    EXPECT_TRUE(bm == nullptr || bm == into);
    return nullptr;
  }
  return std::unique_ptr<Raster_IBitmap>(bm);
}

Raster_PixelWord At(Raster_IBitmap* bm, int x, int y)
{
  return bm->getBits()[y * bm->getRowSpan() + x];
}

std::string WriteTemp(const std::vector<unsigned char>& data, const std::string& dir, const std::string& name)
{
  const std::string path = dir + "/" + name;
  std::ofstream f(path, std::ios::binary);
  f.write((const char*)data.data(), (std::streamsize)data.size());
  return path;
}

std::string TempDir()
{
  const char* t = std::getenv("TMPDIR");
  return t && *t ? t : "/tmp";
}

} // namespace

TEST(RasterPNG, RgbaAndRgbEightBit)
{
  TestPngLayout rgba;
  rgba.width = 2;
  rgba.rows = {{10, 20, 30, 40, 250, 251, 252, 0}};
  auto bm = LoadMem(EncodeTestPng(rgba));
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(bm->getWidth(), 2);
  EXPECT_EQ(bm->getHeight(), 1);
  EXPECT_EQ(bm->getRowSpan(), 4);
  EXPECT_EQ(At(bm.get(), 0, 0), Raster_RGBA(10, 20, 30, 40)); // straight alpha, not premultiplied
  EXPECT_EQ(At(bm.get(), 1, 0), Raster_RGBA(250, 251, 252, 0));

  TestPngLayout rgb;
  rgb.colorType = PNG_COLOR_TYPE_RGB;
  rgb.height = 2;
  rgb.rows = {{1, 2, 3}, {4, 5, 6}};
  bm = LoadMem(EncodeTestPng(rgb));
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(At(bm.get(), 0, 0), Raster_RGBA(1, 2, 3, 255));
  EXPECT_EQ(At(bm.get(), 0, 1), Raster_RGBA(4, 5, 6, 255));
}

TEST(RasterPNG, PaletteWithTransparency)
{
  TestPngLayout s;
  s.colorType = PNG_COLOR_TYPE_PALETTE;
  s.width = 3;
  s.palette = {{255, 0, 0}, {0, 255, 0}, {1, 2, 3}};
  s.trnsAlpha = {128}; // entries past the table are opaque
  s.rows = {{0, 1, 2}};
  auto bm = LoadMem(EncodeTestPng(s));
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(At(bm.get(), 0, 0), Raster_RGBA(255, 0, 0, 128));
  EXPECT_EQ(At(bm.get(), 1, 0), Raster_RGBA(0, 255, 0, 255));
  EXPECT_EQ(At(bm.get(), 2, 0), Raster_RGBA(1, 2, 3, 255));

  // Two-bit palette indices without transparency: packed samples unpack, alpha 255.
  s.bitDepth = 2;
  s.trnsAlpha.clear();
  s.rows = {{(png_byte)((2 << 6) | (0 << 4) | (1 << 2))}};
  bm = LoadMem(EncodeTestPng(s));
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(At(bm.get(), 0, 0), Raster_RGBA(1, 2, 3, 255));
  EXPECT_EQ(At(bm.get(), 1, 0), Raster_RGBA(255, 0, 0, 255));
  EXPECT_EQ(At(bm.get(), 2, 0), Raster_RGBA(0, 255, 0, 255));
}

TEST(RasterPNG, GreyDepths)
{
  TestPngLayout g16;
  g16.colorType = PNG_COLOR_TYPE_GRAY;
  g16.bitDepth = 16;
  g16.width = 2;
  g16.rows = {{0xAB, 0x12, 0x00, 0xFF}};
  auto bm = LoadMem(EncodeTestPng(g16));
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(At(bm.get(), 0, 0), Raster_RGBA(0xAB, 0xAB, 0xAB, 255)); // the high byte
  EXPECT_EQ(At(bm.get(), 1, 0), Raster_RGBA(0, 0, 0, 255));

  TestPngLayout g1;
  g1.colorType = PNG_COLOR_TYPE_GRAY;
  g1.bitDepth = 1;
  g1.width = 3;
  g1.rows = {{0xA0}}; // 1, 0, 1
  bm = LoadMem(EncodeTestPng(g1));
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(At(bm.get(), 0, 0), Raster_RGBA(255, 255, 255, 255));
  EXPECT_EQ(At(bm.get(), 1, 0), Raster_RGBA(0, 0, 0, 255));
  EXPECT_EQ(At(bm.get(), 2, 0), Raster_RGBA(255, 255, 255, 255));

  TestPngLayout ga;
  ga.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
  ga.rows = {{77, 200}};
  bm = LoadMem(EncodeTestPng(ga));
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(At(bm.get(), 0, 0), Raster_RGBA(77, 77, 77, 200));

  // Grey with a transparent key value: the key gets alpha 0, other levels 255.
  TestPngLayout gk;
  gk.colorType = PNG_COLOR_TYPE_GRAY;
  gk.width = 2;
  gk.hasTrnsColor = true;
  gk.trnsColor.gray = 50;
  gk.rows = {{50, 60}};
  bm = LoadMem(EncodeTestPng(gk));
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(At(bm.get(), 0, 0), Raster_RGBA(50, 50, 50, 0));
  EXPECT_EQ(At(bm.get(), 1, 0), Raster_RGBA(60, 60, 60, 255));
}

TEST(RasterPNG, SixteenBitRgbaAndInterlaced)
{
  TestPngLayout s;
  s.bitDepth = 16;
  s.rows = {{0x10, 0xFF, 0x20, 0x00, 0x30, 0x80, 0x40, 0x01}};
  auto bm = LoadMem(EncodeTestPng(s));
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(At(bm.get(), 0, 0), Raster_RGBA(0x10, 0x20, 0x30, 0x40));

  TestPngLayout il;
  il.colorType = PNG_COLOR_TYPE_RGB;
  il.interlaced = true;
  il.width = il.height = 9;
  for (int y = 0; y < 9; ++y) {
    std::vector<png_byte> row;
    for (int x = 0; x < 9; ++x) row.insert(row.end(), {(png_byte)x, (png_byte)y, (png_byte)(x * y)});
    il.rows.push_back(row);
  }
  bm = LoadMem(EncodeTestPng(il));
  ASSERT_NE(bm, nullptr);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x) EXPECT_EQ(At(bm.get(), x, y), Raster_RGBA(x, y, x * y, 255)) << x << "," << y;
}

TEST(RasterPNG, CallerBitmapsAreResizedAndFlipHonoured)
{
  TestPngLayout s;
  s.colorType = PNG_COLOR_TYPE_RGB;
  s.width = 20;
  s.height = 5;
  for (int y = 0; y < 5; ++y) s.rows.push_back(std::vector<png_byte>(60, (png_byte)y));
  const auto png = EncodeTestPng(s);

  Raster_MemBitmap mine(10, 10, 4);
  ASSERT_EQ(Raster_LoadPNGFromMemory(png.data(), (int)png.size(), &mine), &mine);
  EXPECT_EQ(mine.getWidth(), 20);
  EXPECT_EQ(mine.getHeight(), 5);
  EXPECT_EQ(PixelOf(mine, 19, 4), Raster_RGBA(4, 4, 4, 255));

  // A flipped bitmap that cannot change size: a mismatch fails; from memory a match loads its rows in
  // memory order (image row 0 lands in the last image row), from a file bottom-up.
  FlippedTestBitmap wrong(3, 3);
  EXPECT_EQ(Raster_LoadPNGFromMemory(png.data(), (int)png.size(), &wrong), nullptr);
  FlippedTestBitmap fl(20, 5);
  ASSERT_EQ(Raster_LoadPNGFromMemory(png.data(), (int)png.size(), &fl), &fl);
  for (int y = 0; y < 5; ++y) EXPECT_EQ(fl.at(7, 4 - y), Raster_RGBA(y, y, y, 255));
  EXPECT_TRUE(fl.guardsIntact());

  const std::string path = WriteTemp(png, TempDir(), "raster_png_flip_" + std::to_string(getpid()) + ".png");
  FlippedTestBitmap fl2(20, 5);
  ASSERT_EQ(Raster_LoadPNG(path.c_str(), &fl2), &fl2);
  for (int y = 0; y < 5; ++y) EXPECT_EQ(fl2.at(0, y), Raster_RGBA(y, y, y, 255));
  std::remove(path.c_str());
}

TEST(RasterPNG, FilesAndTheRegisteredLoader)
{
  TestPngLayout s;
  s.rows = {{9, 8, 7, 6}};
  const auto png = EncodeTestPng(s);
  const std::string base = TempDir() + "/raster_png_" + std::to_string(getpid());
  const std::string upper = WriteTemp(png, TempDir(), "raster_png_" + std::to_string(getpid()) + ".PNG");
  const std::string other = WriteTemp(png, TempDir(), "raster_png_" + std::to_string(getpid()) + ".jpg");

  std::unique_ptr<Raster_IBitmap> bm(Raster_LoadPNG(upper.c_str(), nullptr));
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(At(bm.get(), 0, 0), Raster_RGBA(9, 8, 7, 6));
  EXPECT_EQ(Raster_LoadPNG((base + ".missing.png").c_str(), nullptr), nullptr);
  EXPECT_EQ(Raster_LoadPNG(nullptr, nullptr), nullptr);

  ASSERT_NE(Raster_ImageLoaderList, nullptr);
  const Raster_ImageLoaderRec* rec = Raster_ImageLoaderList;
  while (rec && rec->loadfunc != Raster_PNGLoader::loadfunc) rec = rec->mNext;
  ASSERT_NE(rec, nullptr);
  const char* ext = rec->get_extlist();
  EXPECT_STREQ(ext, "PNG files (*.PNG)");
  EXPECT_STREQ(ext + std::strlen(ext) + 1, "*.PNG");
  EXPECT_EQ(ext[std::strlen(ext) + 1 + 5 + 1], '\0');

  bm.reset(rec->loadfunc(upper.c_str(), true, nullptr)); // extension matched without regard to case
  EXPECT_NE(bm, nullptr);
  EXPECT_EQ(rec->loadfunc(other.c_str(), true, nullptr), nullptr);
  bm.reset(rec->loadfunc(other.c_str(), false, nullptr)); // unchecked: the content decides
  EXPECT_NE(bm, nullptr);
  EXPECT_EQ(rec->loadfunc("images.png/noext", true, nullptr), nullptr);
  std::remove(upper.c_str());
  std::remove(other.c_str());

  EXPECT_EQ(Raster_LoadPNGFromResource(nullptr, 101, nullptr), nullptr);
}

TEST(RasterPNG, NamedResourceFromTheMainBundle)
{
  char exe[1024];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
  ASSERT_GT(n, 0);
  exe[n] = 0;
  std::string dir(exe);
  dir = dir.substr(0, dir.rfind('/'));
  const std::string res = dir + "/Contents/Resources";
  ASSERT_EQ(std::system(("mkdir -p '" + res + "'").c_str()), 0);

  TestPngLayout s;
  s.rows = {{1, 2, 3, 4}};
  const std::string name = "raster_named_" + std::to_string(getpid()) + ".png";
  const std::string path = WriteTemp(EncodeTestPng(s), res, name);
  std::unique_ptr<Raster_IBitmap> bm(Raster_LoadPNGFromNamedResource(name.c_str(), nullptr));
  ASSERT_NE(bm, nullptr);
  EXPECT_EQ(At(bm.get(), 0, 0), Raster_RGBA(1, 2, 3, 4));
  std::remove(path.c_str());

  EXPECT_EQ(Raster_LoadPNGFromNamedResource(name.c_str(), nullptr), nullptr);
  EXPECT_EQ(Raster_LoadPNGFromNamedResource(std::string(401, 'a').c_str(), nullptr), nullptr);
  EXPECT_EQ(Raster_LoadPNGFromNamedResource(nullptr, nullptr), nullptr);
}

TEST(RasterPNG, MalformedInputFailsCleanly)
{
  TestPngLayout s;
  s.colorType = PNG_COLOR_TYPE_RGB;
  s.width = s.height = 16;
  for (int y = 0; y < 16; ++y) {
    std::vector<png_byte> row;
    for (int i = 0; i < 48; ++i) row.push_back((png_byte)(i * 7 + y * 13));
    s.rows.push_back(row);
  }
  const auto png = EncodeTestPng(s);
  ASSERT_NE(LoadMem(png), nullptr);

  // Truncated anywhere before the image data ends.
  for (size_t cut : {png.size() / 4, png.size() / 2, png.size() - 20}) {
    std::vector<unsigned char> part(png.begin(), png.begin() + (long)cut);
    EXPECT_EQ(LoadMem(part), nullptr) << cut;
  }
  // A flipped byte inside the image data breaks its checksum.
  std::vector<unsigned char> bad = png;
  bad[bad.size() - 20] ^= 0x55;
  EXPECT_EQ(LoadMem(bad), nullptr);
  // Not a PNG at all, or too short to tell: the buffer holds exactly 7 bytes (ASan guards the rest).
  std::vector<unsigned char> junk(png.begin(), png.end());
  junk[1] = 'X';
  EXPECT_EQ(LoadMem(junk), nullptr);
  std::unique_ptr<unsigned char[]> seven(new unsigned char[7]);
  std::memcpy(seven.get(), png.data(), 7);
  EXPECT_EQ(Raster_LoadPNGFromMemory(seven.get(), 7, nullptr), nullptr);
  EXPECT_EQ(Raster_LoadPNGFromMemory(nullptr, 100, nullptr), nullptr);
  EXPECT_EQ(Raster_LoadPNGFromMemory(png.data(), -1, nullptr), nullptr);

  // A caller's bitmap keeps the image's size when decoding fails midway.
  Raster_MemBitmap mine(2, 2, 4);
  std::vector<unsigned char> cutData(png.begin(), png.end() - 20);
  EXPECT_EQ(Raster_LoadPNGFromMemory(cutData.data(), (int)cutData.size(), &mine), nullptr);
  EXPECT_EQ(mine.getWidth(), 16);
}

TEST(RasterPNG, AbsurdHeadersAllocateNothing)
{
  for (auto wh : {std::pair<uint32_t, uint32_t>{100000, 100000}, {20000, 20000}, {1, 1u << 30}, {0, 5}}) {
    const auto png = ForgedHeaderPng(wh.first, wh.second);
    Raster_MemBitmap mine(3, 3, 4);
    EXPECT_EQ(LoadMem(png), nullptr);
    EXPECT_EQ(Raster_LoadPNGFromMemory(png.data(), (int)png.size(), &mine), nullptr);
    EXPECT_EQ(mine.getWidth(), 3); // refused before touching the caller's bitmap
  }
  // From a file too: the file's size bounds what its header may claim.
  const std::string path =
      WriteTemp(ForgedHeaderPng(100000, 100000), TempDir(), "raster_png_forged_" + std::to_string(getpid()) + ".png");
  EXPECT_EQ(Raster_LoadPNG(path.c_str(), nullptr), nullptr);
  std::remove(path.c_str());
}
