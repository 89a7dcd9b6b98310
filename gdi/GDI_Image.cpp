// Image pixel blocks.

#include "gdi/GDI_Image.h"

#include <cstddef>
#include <new>

namespace {
const long long kMaxImagePixels = 1ll << 28;
}

GDI_Image* GDI_ImageCreate(int w, int h)
{
  if (w <= 0 || h <= 0 || (long long)w * h > kMaxImagePixels) return nullptr;
  GDI_Image* image = new (std::nothrow) GDI_Image;
  if (!image) return nullptr;
  try {
    image->mPixels.assign((std::size_t)w * h * 4, 0);
  } catch (...) {
    delete image;
    return nullptr;
  }
  image->mWidth = w;
  image->mHeight = h;
  return image;
}

void GDI_ImageRelease(GDI_Image* image)
{
  delete image;
}
