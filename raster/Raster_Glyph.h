#pragma once
// Blending a caller's 8-bit coverage mask into a bitmap in one colour: the glyph routine behind the
// cached fonts (Raster_CachedFont.h) and the small stored circles.
//
// Each mask byte is a coverage 0..255; a pixel with coverage c > 0 combines the colour's four channels
// at weight alpha * 256 * c / 256 with the mode's kernel (copy, add, dodge, multiply, overlay, HSV
// adjust; other modes draw nothing). The mask box is clipped to the bitmap; flipped bitmaps are honoured.

#include "raster/Raster_IBitmap.h"

void Raster_DrawGlyph(Raster_IBitmap* dest, int x, int y, unsigned int color, const unsigned char* mask, int maskWidth,
                      int maskHeight, float alpha, int mode);
// maskSpan: bytes from one mask row to the next.
void Raster_DrawGlyphEx(Raster_IBitmap* dest, int x, int y, unsigned int color, const unsigned char* mask,
                        int maskWidth, int maskSpan, int maskHeight, float alpha, int mode);
