#pragma once
// Operations on the pixels of one bitmap: clearing, solid and gradient rectangle fills in any blend
// mode, per-channel multiply-and-add, masking, single-pixel reads and writes, a span fill, alpha from a
// colour key, a per-pixel callback, and comparing two bitmaps.
//
// Rectangles are x, y, w, h and are clipped to the bitmap; flipped bitmaps are honoured; a null bitmap,
// one without bits, an empty clip, a weight of 0, copy at a negative weight or an unknown mode draws
// nothing; the other modes take a negative weight as it is (add subtracts).

#include "raster/Raster_IBitmap.h"
#include "raster/Raster_Pixel.h"

void Raster_Clear(Raster_IBitmap* dest, unsigned int color);
// Each pixel P of the rectangle becomes (P & mask) | orBits.
void Raster_ClearRect(Raster_IBitmap* dest, int x, int y, int w, int h, unsigned int mask, unsigned int orBits);
void Raster_FillRect(Raster_IBitmap* dest, int x, int y, int w, int h, unsigned int color, float alpha, int mode);
// Colour components in 0..1 at the top-left, and their change per pixel rightward and per row downward.
void Raster_GradRect(Raster_IBitmap* dest, int dstx, int dsty, int dstw, int dsth, float r0, float g0, float b0,
                     float a0, float dRdx, float dGdx, float dBdx, float dAdx, float dRdy, float dGdy, float dBdy,
                     float dAdy, int mode);
// Each channel becomes clamp((channel * scale + add) >> 8) with scale and add taken * 256; the addends are
// thus in channel units.
void Raster_MultiplyAddRect(Raster_IBitmap* dest, int x, int y, int w, int h, float rScale, float gScale, float bScale,
                            float aScale, float rAdd, float gAdd, float bAdd, float aAdd);
void Raster_ProcessRect(Raster_IBitmap* dest, int x, int y, int w, int h, void (*fn)(Raster_PixelWord* p, void* ctx),
                        void* ctx);

// 0 outside the bitmap or without bits.
unsigned int Raster_GetPixel(Raster_IBitmap* bm, int x, int y);
void Raster_PutPixel(Raster_IBitmap* bm, int x, int y, unsigned int color, float alpha, int mode);

// Fills the row runs of pixels matching the seed (under compareMask) that touch column x in an unbroken
// vertical run through (x, y); a filled pixel P becomes fillColor | (P & keepMask).
void Raster_SimpleFill(Raster_IBitmap* dest, int x, int y, unsigned int fillColor, unsigned int compareMask,
                       unsigned int keepMask);
// Pixels equal to color apart from their alpha byte get alpha 0, all others alpha 255.
void Raster_SetAlphaFromColorMask(Raster_IBitmap* dest, unsigned int color);
// 0 when equal. Without diffBox: the size difference, or the first byte comparison that differs. With
// diffBox: 1 and the box (x, y, w, h) around every difference, or 0 and a zero box.
int Raster_BitmapCmp(Raster_IBitmap* a, Raster_IBitmap* b, int* diffBox);
