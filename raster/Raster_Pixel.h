#pragma once
// The raster pixel word and the blend-mode word.
//
// A pixel is one 32-bit word: alpha in bits 0-7, red 8-15, green 16-23, blue 24-31, so its bytes in
// memory are A, R, G, B - the layout of the memory drawing contexts that back the editor's frame, which
// therefore needs no conversion on its way to the screen. Colours are straight (not premultiplied).
//
// Every drawing operation takes a float alpha and a blend-mode word: the mode in bits 0-7, the sampling
// filter in bits 8-15, and a flag asking to weight each pixel by the source's (or colour's) own alpha.

#include <cstdint>

typedef unsigned int Raster_PixelWord;
static_assert(sizeof(Raster_PixelWord) == 4, "the pixel word is 32 bits");

// Byte index of each channel inside a pixel in memory.
enum {
  kRaster_ByteA = 0,
  kRaster_ByteR = 1,
  kRaster_ByteG = 2,
  kRaster_ByteB = 3,
};

inline Raster_PixelWord Raster_RGBA(int r, int g, int b, int a)
{
  return ((Raster_PixelWord)(b & 0xFF) << 24) | ((Raster_PixelWord)(g & 0xFF) << 16) |
         ((Raster_PixelWord)(r & 0xFF) << 8) | (Raster_PixelWord)(a & 0xFF);
}
inline int Raster_GetA(Raster_PixelWord c)
{
  return (int)(c & 0xFF);
}
inline int Raster_GetR(Raster_PixelWord c)
{
  return (int)((c >> 8) & 0xFF);
}
inline int Raster_GetG(Raster_PixelWord c)
{
  return (int)((c >> 16) & 0xFF);
}
inline int Raster_GetB(Raster_PixelWord c)
{
  return (int)((c >> 24) & 0xFF);
}

// Blend-mode word: the mode.
#define RASTER_BLEND_MODE_MASK 0xFF
#define RASTER_BLEND_COPY 0
#define RASTER_BLEND_ADD 1
#define RASTER_BLEND_DODGE 2
#define RASTER_BLEND_MUL 3
#define RASTER_BLEND_OVERLAY 4
#define RASTER_BLEND_HSVADJ 5
// 0xF0-0xFF: copy one channel (blits only): source byte = mode & 3, destination byte = (mode >> 2) & 3.
#define RASTER_BLEND_CHANCOPY 0xF0

// Blend-mode word: the sampling filter. Anything other than bilinear samples the nearest pixel.
#define RASTER_BLEND_FILTER_MASK 0xFF00
#define RASTER_BLEND_FILTER_BILINEAR 0x100

// Blend-mode word: weight each pixel by the source pixel's alpha (blits) or the colour's alpha (fills, lines).
#define RASTER_BLEND_USE_SOURCE_ALPHA 0x10000
