// The editor's expected picture, worked out independently of the raster library: the shipped PNGs are
// decoded with libpng's own reader and layered with the source-alpha arithmetic written out here, so
// a snapshot that matches proves the whole path (cache, frame choice, blits, screen copy) right.
#pragma once

#include <png.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

struct TestImage
{
  int w = 0, h = 0;
  std::vector<uint8_t> rgba; // straight (not premultiplied) R, G, B, A bytes, rows top to bottom

  const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * w + x) * 4]; }
  uint8_t* At(int x, int y) { return &rgba[(static_cast<size_t>(y) * w + x) * 4]; }
};

inline bool LoadTestPng(const std::string& path, TestImage& out)
{
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGBA;
  out.w = static_cast<int>(image.width);
  out.h = static_cast<int>(image.height);
  out.rgba.assign(PNG_IMAGE_SIZE(image), 0);
  if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) return false;
  return true;
}

// Copies the whole image over the canvas at (x, y): the background's opaque blend.
inline void CompositeCopy(TestImage& canvas, const TestImage& src, int x, int y)
{
  for (int row = 0; row < src.h; ++row)
    for (int col = 0; col < src.w; ++col) {
      const int cx = x + col, cy = y + row;
      if (cx < 0 || cy < 0 || cx >= canvas.w || cy >= canvas.h) continue;
      std::copy(src.At(col, row), src.At(col, row) + 4, canvas.At(cx, cy));
    }
}

// Draws frame `frame` of a vertical strip of `frames` at (x, y) with the source's alpha at full
// weight: a = 0 keeps the canvas, a = 255 replaces it, anything between moves each colour from the
// source towards the canvas by (255 - a) / 256 (integer arithmetic, truncating) and adds a to the
// canvas alpha (at most 255).
inline void CompositeFrame(TestImage& canvas, const TestImage& strip, int frames, int frame, int x, int y)
{
  const int frameH = strip.h / frames;
  for (int row = 0; row < frameH; ++row)
    for (int col = 0; col < strip.w; ++col) {
      const int cx = x + col, cy = y + row;
      if (cx < 0 || cy < 0 || cx >= canvas.w || cy >= canvas.h) continue;
      const uint8_t* s = strip.At(col, frame * frameH + row);
      uint8_t* d = canvas.At(cx, cy);
      const int sa = s[3];
      if (sa == 0) continue;
      if (sa == 255) {
        d[0] = s[0], d[1] = s[1], d[2] = s[2], d[3] = 255;
        continue;
      }
      for (int c = 0; c < 3; ++c) d[c] = static_cast<uint8_t>(s[c] + (d[c] - s[c]) * (255 - sa) / 256);
      d[3] = static_cast<uint8_t>(std::min(255, d[3] + sa));
    }
}
