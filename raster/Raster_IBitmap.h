#pragma once
// The bitmap interface every raster operation reads and writes through.
//
// Pixel (x, y) is word x + y * getRowSpan() from getBits() (the span counts pixels and is at least the
// width). A bitmap whose isFlipped() answers true keeps its rows bottom-up: image row y lies at memory row
// getHeight() - 1 - y, and every raster operation honours that for sources and destinations alike.

#include "raster/Raster_Pixel.h"

struct HDC__;

class Raster_IBitmap
{
public:
  virtual ~Raster_IBitmap() {}

  virtual Raster_PixelWord* getBits() = 0; // memory row 0, or null without storage
  virtual int getWidth() = 0;
  virtual int getHeight() = 0;
  virtual int getRowSpan() = 0; // pixels per memory row
  virtual bool isFlipped() { return false; }
  virtual bool resize(int w, int h) = 0; // true when the size changed
  virtual HDC__* getDC() { return nullptr; }
  virtual int Extended(int id, void* data)
  {
    (void)id;
    (void)data;
    return 0;
  }
};

// Address of image row y (0 = top) of a bitmap with bits, honouring the flipped flag. No bounds check:
// callers clip first.
inline Raster_PixelWord* Raster_ImageRow(Raster_IBitmap* bm, Raster_PixelWord* bits, int y)
{
  const int memRow = bm->isFlipped() ? bm->getHeight() - 1 - y : y;
  return bits + (long)memRow * bm->getRowSpan();
}

// Byte step from one image row to the next: negative for a flipped bitmap.
inline long Raster_ImageRowStep(Raster_IBitmap* bm)
{
  const long step = (long)bm->getRowSpan() * (long)sizeof(Raster_PixelWord);
  return bm->isFlipped() ? -step : step;
}
