/*
 * X11Pixels.h — turning our 32-bit pixels into the pixel words of an X visual.
 *
 * Two kinds of source pixels reach an X window: a window's backing store (bytes B, G, R, A,
 * premultiplied) and the drawing-context layer's frames (bytes X, R, G, B) that our menus and
 * dialogs are drawn in. A PixelLayout says where red, green and blue sit in the 4 source bytes.
 * An XLayout says how the visual wants them: its red, green and blue masks, the bits of a 32-bit
 * word left over for alpha (depth 32), and the byte order the image is stored in. The copy keeps
 * the picture's colours exact on any TrueColor visual of depth 24 or 32 in either byte order, and
 * makes the window opaque.
 */
#ifndef BRINDLE_PLATFORM_X11PIXELS_H
#define BRINDLE_PLATFORM_X11PIXELS_H

#include <cstddef>
#include <cstdint>

namespace BrindleHost {

struct PixelLayout
{
  int mRed, mGreen, mBlue; // byte offsets in a 4-byte pixel
};
constexpr PixelLayout kBackingStoreLayout = {2, 1, 0};
constexpr PixelLayout kContextFrameLayout = {1, 2, 3};

struct XLayout
{
  uint32_t mRedMask = 0xFF0000, mGreenMask = 0xFF00, mBlueMask = 0xFF;
  int mDepth = 24;        // 24 or 32; at 32 the bits outside the colour masks are alpha
  bool mMSBFirst = false; // byte order of the stored 32-bit words
};

/* The 32-bit word (in host order) the visual uses for an opaque colour. */
uint32_t XPixelWord(const XLayout& layout, uint8_t r, uint8_t g, uint8_t b);

/* Copies a w x h block: source rows of srcStride bytes, destination rows of dstStride bytes with
 * 4 bytes per pixel. */
void ConvertPixels(const uint8_t* src, size_t srcStride, PixelLayout from, uint8_t* dst, size_t dstStride,
                   const XLayout& to, int w, int h);

} // namespace BrindleHost

#endif
