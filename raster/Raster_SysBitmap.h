#pragma once
// A bitmap whose pixels are the frame buffer of a memory drawing context, so that platform drawing (text,
// images) and raster drawing land in the same memory and the frame can go to the screen unconverted.
//
// Rows are padded to a multiple of 4 pixels. Shrinking keeps the context and its wider rows; growing past
// the allocated rows or span makes a new context (contents are then unspecified: callers redraw).

#include "raster/Raster_IBitmap.h"

class Raster_SysBitmap : public Raster_IBitmap
{
public:
  Raster_SysBitmap(int w = 0, int h = 0);
  ~Raster_SysBitmap() override;

  Raster_SysBitmap(const Raster_SysBitmap&) = delete;
  Raster_SysBitmap& operator=(const Raster_SysBitmap&) = delete;

  Raster_PixelWord* getBits() override { return mBits; }
  int getWidth() override { return mWidth; }
  int getHeight() override { return mHeight; }
  int getRowSpan() override { return mRowSpan; }
  bool resize(int w, int h) override;
  HDC__* getDC() override { return mDC; }

private:
  int mWidth = 0;
  int mHeight = 0;
  int mRowSpan = 0; // pixels per row of the frame buffer
  int mAllocHeight = 0;
  Raster_PixelWord* mBits = nullptr;
  HDC__* mDC = nullptr; // owned
};
