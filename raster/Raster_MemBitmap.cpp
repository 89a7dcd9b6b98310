#include "raster/Raster_MemBitmap.h"

#include <climits>
#include <cstdint>
#include <cstdlib>

namespace {

// Pixel storage beyond this many bytes counts as an allocation failure: every offset a raster loop computes
// then fits an int, and an absurd request cannot commit gigabytes of address space.
const long long kMaxPixelBytes = (long long)INT_MAX - 1024;

// Line alignments above 64 pixels are not used by anything; larger ones are held at 64.
const unsigned int kMaxAlignPixels = 64;

int alignMaskFor(unsigned int align)
{
  if (align < 2) return 0;
  unsigned int lowest = align & (~align + 1u);
  if (lowest > kMaxAlignPixels) lowest = kMaxAlignPixels;
  return (int)lowest - 1;
}

} // namespace

Raster_MemBitmap::Raster_MemBitmap(int w, int h, unsigned int align) : mLineAlignMask(alignMaskFor(align))
{
  if (w || h) resize(w, h);
}

Raster_MemBitmap::~Raster_MemBitmap()
{
  freeStorage();
}

void Raster_MemBitmap::freeStorage()
{
  std::free(mStorage);
  mStorage = nullptr;
  mAllocSize = 0;
}

Raster_PixelWord* Raster_MemBitmap::getBits()
{
  if (!mStorage) return nullptr;
  const uintptr_t aligned = ((uintptr_t)mStorage + 63) & ~(uintptr_t)63;
  return (Raster_PixelWord*)aligned;
}

bool Raster_MemBitmap::resize(int w, int h)
{
  if (w == mWidth && h == mHeight) return false;
  mWidth = w;
  mHeight = h;

  // A negative size holds no pixels (rather than a negative span times a negative height).
  long long needed = 0;
  if (w > 0 && h > 0) {
    const long long span = ((long long)w + mLineAlignMask) & ~(long long)mLineAlignMask;
    needed = span * h * 4;
  }

  if (needed <= 0) {
    freeStorage();
    mWidth = mHeight = 0;
    return true;
  }

  if (needed > kMaxPixelBytes) {
    freeStorage();
  } else if (!mStorage) {
    mStorage = std::malloc((size_t)needed + 63);
    mAllocSize = mStorage ? (size_t)needed : 0;
  } else if (mAllocSize >= (size_t)needed) {
    return true; // fits: storage stays where it is
  } else {
    const size_t grown = (size_t)needed + (size_t)needed / 4;
    void* p = std::realloc(mStorage, grown + 63);
    if (p) {
      mStorage = p;
      mAllocSize = grown;
    } else {
      std::free(mStorage);
      mStorage = std::malloc((size_t)needed + 63);
      mAllocSize = mStorage ? (size_t)needed : 0;
    }
  }

  if (!mStorage) {
    mAllocSize = 0;
    mWidth = mHeight = 0;
  }
  return true;
}
