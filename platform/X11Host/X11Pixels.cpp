// Pixel words for X visuals.
#include <X11Host/X11Pixels.h>

namespace BrindleHost {

namespace {

// Places an 8-bit channel under a mask of any width and position (wider masks repeat the high bits,
// so 0xFF fills the mask).
uint32_t Place(uint32_t mask, uint8_t value)
{
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  int bits = 0;
  while (shift + bits < 32 && ((mask >> (shift + bits)) & 1)) ++bits;
  uint32_t v;
  if (bits <= 8) {
    v = value >> (8 - bits);
  } else {
    v = 0;
    for (int filled = 0; filled < bits; filled += 8) v = v << 8 | value;
    v >>= (bits + 7) / 8 * 8 - bits;
  }
  return (v << shift) & mask;
}

bool HostIsMSBFirst()
{
  const uint32_t one = 1;
  return *reinterpret_cast<const uint8_t*>(&one) == 0;
}

} // namespace

uint32_t XPixelWord(const XLayout& layout, uint8_t r, uint8_t g, uint8_t b)
{
  uint32_t word = Place(layout.mRedMask, r) | Place(layout.mGreenMask, g) | Place(layout.mBlueMask, b);
  if (layout.mDepth == 32) word |= ~(layout.mRedMask | layout.mGreenMask | layout.mBlueMask);
  return word;
}

void ConvertPixels(const uint8_t* src, size_t srcStride, PixelLayout from, uint8_t* dst, size_t dstStride,
                   const XLayout& to, int w, int h)
{
  if (!src || !dst || w <= 0 || h <= 0) return;
  const bool swap = to.mMSBFirst != HostIsMSBFirst();
  const bool common = to.mRedMask == 0xFF0000 && to.mGreenMask == 0xFF00 && to.mBlueMask == 0xFF;
  const uint32_t alpha = to.mDepth == 32 ? XPixelWord(to, 0, 0, 0) : 0;
  for (int y = 0; y < h; ++y) {
    const uint8_t* s = src + static_cast<size_t>(y) * srcStride;
    uint32_t* d = reinterpret_cast<uint32_t*>(dst + static_cast<size_t>(y) * dstStride);
    for (int x = 0; x < w; ++x, s += 4) {
      uint32_t word = common ? (alpha | static_cast<uint32_t>(s[from.mRed]) << 16 |
                                static_cast<uint32_t>(s[from.mGreen]) << 8 | s[from.mBlue])
                             : XPixelWord(to, s[from.mRed], s[from.mGreen], s[from.mBlue]);
      if (swap) word = __builtin_bswap32(word);
      d[x] = word;
    }
  }
}

} // namespace BrindleHost
