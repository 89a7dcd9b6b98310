/*
 * CGPixelLayout.h — where the four 8-bit components of a 32-bit pixel sit in memory for a bitmap
 * info word, and reading and writing pixels through that layout. Internal to CoreGraphics.
 */
#ifndef BRINDLE_PLATFORM_CGPIXELLAYOUT_H
#define BRINDLE_PLATFORM_CGPIXELLAYOUT_H

#include <CoreGraphics/CGImage.h>

#include <cstdint>

struct CGPixelLayout
{
  // Byte offsets within the pixel; mAlpha is the skipped byte when mHasAlpha is false.
  int mAlpha = 0, mRed = 1, mGreen = 2, mBlue = 3;
  bool mHasAlpha = false;
  bool mPremultiplied = false;

  // False for layouts that are not 8-bit, 32-bit integer pixels.
  static bool FromBitmapInfo(CGBitmapInfo info, CGPixelLayout* out)
  {
    if (info & kCGBitmapFloatComponents) return false;
    const uint32_t alpha = info & kCGBitmapAlphaInfoMask;
    const uint32_t order = info & kCGBitmapByteOrderMask;
    if (order != kCGBitmapByteOrderDefault && order != kCGBitmapByteOrder32Big && order != kCGBitmapByteOrder32Little)
      return false;
    bool alphaFirst;
    CGPixelLayout l;
    switch (alpha) {
    case kCGImageAlphaPremultipliedLast:
      alphaFirst = false;
      l.mHasAlpha = l.mPremultiplied = true;
      break;
    case kCGImageAlphaPremultipliedFirst:
      alphaFirst = true;
      l.mHasAlpha = l.mPremultiplied = true;
      break;
    case kCGImageAlphaLast:
      alphaFirst = false;
      l.mHasAlpha = true;
      break;
    case kCGImageAlphaFirst:
      alphaFirst = true;
      l.mHasAlpha = true;
      break;
    case kCGImageAlphaNoneSkipLast:
      alphaFirst = false;
      break;
    case kCGImageAlphaNoneSkipFirst:
      alphaFirst = true;
      break;
    default:
      return false; // no 32-bit layout without an alpha or skip byte
    }
    // Positions in the 32-bit word written most significant byte first.
    int word[4];
    if (alphaFirst) {
      word[0] = 0;
      word[1] = 1;
      word[2] = 2;
      word[3] = 3;
    } // A R G B
    else {
      word[0] = 3;
      word[1] = 0;
      word[2] = 1;
      word[3] = 2;
    } // R G B A
    const bool reversed = order == kCGBitmapByteOrder32Little;
    auto place = [&](int i) { return reversed ? 3 - word[i] : word[i]; };
    l.mAlpha = place(0);
    l.mRed = place(1);
    l.mGreen = place(2);
    l.mBlue = place(3);
    *out = l;
    return true;
  }

  // Premultiplied A, R, G, B packed as 0xAARRGGBB.
  uint32_t Read(const uint8_t* p) const
  {
    uint32_t a = mHasAlpha ? p[mAlpha] : 255, r = p[mRed], g = p[mGreen], b = p[mBlue];
    if (mHasAlpha && !mPremultiplied && a != 255) {
      r = (r * a + 127) / 255;
      g = (g * a + 127) / 255;
      b = (b * a + 127) / 255;
    }
    return a << 24 | r << 16 | g << 8 | b;
  }

  void Write(uint8_t* p, uint32_t argb) const
  {
    uint32_t a = argb >> 24, r = (argb >> 16) & 255, g = (argb >> 8) & 255, b = argb & 255;
    if (!mHasAlpha) {
      a = 255; // the skipped byte: colour stays premultiplied against an opaque background
    } else if (!mPremultiplied && a != 0 && a != 255) {
      r = (r * 255 + a / 2) / a;
      g = (g * 255 + a / 2) / a;
      b = (b * 255 + a / 2) / a;
      if (r > 255) r = 255;
      if (g > 255) g = 255;
      if (b > 255) b = 255;
    }
    p[mAlpha] = static_cast<uint8_t>(a);
    p[mRed] = static_cast<uint8_t>(r);
    p[mGreen] = static_cast<uint8_t>(g);
    p[mBlue] = static_cast<uint8_t>(b);
  }

  // Source-over of two premultiplied 0xAARRGGBB pixels.
  static uint32_t Over(uint32_t src, uint32_t dst)
  {
    const uint32_t sa = src >> 24;
    if (sa == 255) return src;
    if (sa == 0) return dst;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const uint32_t s = (src >> shift) & 255, d = (dst >> shift) & 255;
      uint32_t v = s + (d * (255 - sa) + 127) / 255;
      if (v > 255) v = 255;
      out |= v << shift;
    }
    return out;
  }
};

#endif
