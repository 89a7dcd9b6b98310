#pragma once
// PNG decoding into raster bitmaps. Every colour type and bit depth arrives as A, R, G, B bytes per pixel
// (the raster pixel layout) with straight alpha; images without transparency come out opaque.
//
// Each loader answers the bitmap it filled, or null on any failure (unreadable file, bad signature,
// corrupt or truncated data, a size no decoder should attempt). Given a bitmap, the loader resizes it to
// the image and fills it; given null, it makes a Raster_MemBitmap (line alignment 4) that the caller owns.

#include "raster/Raster_IBitmap.h"

Raster_IBitmap* Raster_LoadPNG(const char* filename, Raster_IBitmap* bmp = nullptr);
Raster_IBitmap* Raster_LoadPNGFromMemory(const void* data, int len, Raster_IBitmap* bmp = nullptr);
// The file <main bundle>/Contents/Resources/<name>; names over 400 characters answer null.
Raster_IBitmap* Raster_LoadPNGFromNamedResource(const char* name, Raster_IBitmap* bmp = nullptr);
// Numbered resources do not exist on this platform: always null.
Raster_IBitmap* Raster_LoadPNGFromResource(void* module, int resid, Raster_IBitmap* bmp = nullptr);

// An image loader as registered in the process-wide list (most recent first).
struct Raster_ImageLoaderRec
{
  Raster_IBitmap* (*loadfunc)(const char* filename, bool checkExtension, Raster_IBitmap* bmp);
  const char* (*get_extlist)(); // pairs of description and pattern, double-terminated
  Raster_ImageLoaderRec* mNext;
};
extern Raster_ImageLoaderRec* Raster_ImageLoaderList;

struct Raster_PNGLoader
{
  // With checkExtension, names not ending in ".png" (any case) answer null without opening anything.
  static Raster_IBitmap* loadfunc(const char* filename, bool checkExtension, Raster_IBitmap* bmp);
  static const char* get_extlist();
};
