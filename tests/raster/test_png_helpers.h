#pragma once
// Encoding small PNGs in memory for the loader tests (libpng's writer), and patching their chunks.

#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct TestPngLayout
{
  int width = 1, height = 1;
  int bitDepth = 8;
  int colorType = PNG_COLOR_TYPE_RGB_ALPHA;
  bool interlaced = false;
  std::vector<png_color> palette;
  std::vector<png_byte> trnsAlpha; // palette transparency
  bool hasTrnsColor = false;
  png_color_16 trnsColor{};
  // Raw rows exactly as PNG stores them (packed samples, 16-bit big-endian).
  std::vector<std::vector<png_byte>> rows;
};

inline std::vector<unsigned char> EncodeTestPng(const TestPngLayout& layout)
{
  std::vector<unsigned char> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t n) {
        auto* v = (std::vector<unsigned char>*)png_get_io_ptr(p);
        v->insert(v->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, layout.width, layout.height, layout.bitDepth, layout.colorType,
               layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!layout.palette.empty()) png_set_PLTE(png, info, layout.palette.data(), (int)layout.palette.size());
  if (!layout.trnsAlpha.empty() || layout.hasTrnsColor)
    png_set_tRNS(png, info, layout.trnsAlpha.empty() ? nullptr : layout.trnsAlpha.data(), (int)layout.trnsAlpha.size(),
                 layout.hasTrnsColor ? &layout.trnsColor : nullptr);
  png_write_info(png, info);
  std::vector<png_bytep> rowPtrs;
  for (auto& r : layout.rows) rowPtrs.push_back(const_cast<png_bytep>(r.data()));
  png_write_image(png, rowPtrs.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// A PNG whose header claims w x h but whose data is a few bytes: signature, IHDR (valid CRC), a tiny
// IDAT and IEND.
inline std::vector<unsigned char> ForgedHeaderPng(uint32_t w, uint32_t h)
{
  std::vector<unsigned char> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto put32 = [&](uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back((unsigned char)(v >> s));
  };
  auto chunk = [&](const char* type, const std::vector<unsigned char>& data) {
    put32((uint32_t)data.size());
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put32((uint32_t)crc32(0, out.data() + start, (uInt)(out.size() - start)));
  };
  std::vector<unsigned char> ihdr;
  for (uint32_t v : {w, h})
    for (int s = 24; s >= 0; s -= 8) ihdr.push_back((unsigned char)(v >> s));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0}); // 8-bit RGBA, no interlace
  chunk("IHDR", ihdr);
  chunk("IDAT", {0x78, 0x9C, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
  chunk("IEND", {});
  return out;
}
