#pragma once
// A heap-backed bitmap: every loaded image, scaled copy and glyph cache lives in one.
//
// Rows are padded to the line alignment (4 pixels for every user here) and the pixels start on a 64-byte
// boundary. The storage only grows: resizing to something that fits keeps it in place (contents are then
// unspecified, callers clear or redraw), and growing leaves 25 % slack for the next resize.

#include "raster/Raster_IBitmap.h"

#include <cstddef>

class Raster_MemBitmap : public Raster_IBitmap
{
public:
  Raster_MemBitmap(int w = 0, int h = 0, unsigned int align = 4);
  ~Raster_MemBitmap() override;

  Raster_MemBitmap(const Raster_MemBitmap&) = delete;
  Raster_MemBitmap& operator=(const Raster_MemBitmap&) = delete;

  Raster_PixelWord* getBits() override;
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return (mWidth + mLineAlignMask) & ~mLineAlignMask; }
  bool resize(int w, int h) override;

  size_t getAllocatedSize() const { return mAllocSize; }

private:
  void freeStorage();

  void* mStorage = nullptr; // as allocated; the bits start at the next 64-byte boundary
  size_t mAllocSize = 0;    // usable bytes from the aligned start
  int mWidth = 0;
  int mHeight = 0;
  int mLineAlignMask = 0;
};
