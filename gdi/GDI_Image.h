#pragma once
// GDI_Image: the pixels behind an image object (LoadNamedImage, CreateBitmap, icons). Pixels are
// 4 bytes each in the frame-buffer order (A, R, G, B; byte 0 is alpha, not premultiplied), rows
// top-down with no padding.

#include <vector>

struct GDI_Image
{
  int mWidth = 0;
  int mHeight = 0;
  std::vector<unsigned char> mPixels; // mWidth * mHeight * 4 bytes
};

// A zeroed image, or null for non-positive or oversized dimensions.
GDI_Image* GDI_ImageCreate(int w, int h);
void GDI_ImageRelease(GDI_Image* image);
