#include "raster/Raster_SysBitmap.h"

#include "gdi/gdi.h"

Raster_SysBitmap::Raster_SysBitmap(int w, int h)
{
  resize(w, h);
}

Raster_SysBitmap::~Raster_SysBitmap()
{
  if (mDC) GDI_DeleteGfxContext(mDC);
}

bool Raster_SysBitmap::resize(int w, int h)
{
  if (w == mWidth && h == mHeight) return false;
  mWidth = w;
  mHeight = h;

  if (w > 0 && h > 0 && mBits && mRowSpan >= w && mAllocHeight >= h) return true; // still fits

  if (mDC) GDI_DeleteGfxContext(mDC);
  mDC = nullptr;
  mBits = nullptr;

  // A size with no pixels (including a negative one) leaves an empty bitmap.
  if (w <= 0 || h <= 0) {
    mWidth = w < 0 ? 0 : w;
    mHeight = h < 0 ? 0 : h;
    mRowSpan = mAllocHeight = 0;
    return false;
  }

  // Round up to a multiple of 4 without overflowing near INT_MAX.
  mRowSpan = w > 0x7FFFFFF0 ? w : (w + 3) & ~3;
  mAllocHeight = h;
  mDC = GDI_CreateMemContext(nullptr, mRowSpan, h);
  if (mDC) mBits = (Raster_PixelWord*)GDI_GetCtxFrameBuffer(mDC);
  if (!mBits) {
    if (mDC) GDI_DeleteGfxContext(mDC);
    mDC = nullptr;
    mWidth = mHeight = mRowSpan = mAllocHeight = 0;
  }
  return true;
}
