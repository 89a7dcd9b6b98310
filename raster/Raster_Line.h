#pragma once
// Lines: integer and sub-pixel lines (optionally anti-aliased), dashed lines, rectangle outlines, and
// the line clippers they use.
//
// Every line takes a pixel-word colour, a float alpha and a blend-mode word (Raster_Pixel.h) and
// combines each touched pixel with the mode's kernel, offering the colour's four channels at a per-pixel
// weight; RASTER_BLEND_USE_SOURCE_ALPHA scales the alpha by the colour's alpha byte. Flipped bitmaps are
// drawn by mirroring y. End points may lie anywhere, far outside the bitmap included: lines are clipped
// to it exactly; NaN or infinite coordinates draw nothing.

#include "raster/Raster_IBitmap.h"

// Cohen-Sutherland clip of a line to 0..w-1 x 0..h-1, moving the outside end point to the edges in the
// order bottom, top, right, left. False when nothing of the line remains.
bool ClipLine(int* x1, int* y1, int* x2, int* y2, int w, int h);
// The same against the rectangle left..right-1 x top..bottom-1.
bool Raster_ClipLine(int* x1, int* y1, int* x2, int* y2, int left, int top, int right, int bottom);
// Float twins: the same rules without truncating the moved coordinates.
bool ClipFLine(float* x1, float* y1, float* x2, float* y2, int w, int h);
bool Raster_ClipFLine(float* x1, float* y1, float* x2, float* y2, int left, int top, int right, int bottom);

// Both end points inclusive. Horizontal, vertical and exact diagonal lines have their own loops; only
// diagonals and other slopes are anti-aliased.
void Raster_Line(Raster_IBitmap* dest, int x1, int y1, int x2, int y2, unsigned int color, float alpha, int mode,
                 bool aa);
// Sub-pixel line; without aa, Raster_Line of the truncated coordinates.
void Raster_FLine(Raster_IBitmap* dest, float x1, float y1, float x2, float y2, unsigned int color, float alpha,
                  int mode, bool aa);
// Horizontal or vertical only (others draw nothing): runs of onLength drawn and offLength skipped pixels
// from the first end point up to, not including, the second.
void Raster_DashedLine(Raster_IBitmap* dest, int x1, int y1, int x2, int y2, int onLength, int offLength,
                       unsigned int color, float alpha, int mode, bool aa);

// The outline (x, y) - (x + w, y + h) as four lines: it covers w + 1 by h + 1 pixels.
void Raster_DrawRect(Raster_IBitmap* dest, int x, int y, int w, int h, unsigned int color, float alpha, int mode);
// Fill (x + 1, y + 1, w - 1, h - 1) with fillColor, then the outline in lineColor.
void Raster_BorderedRect(Raster_IBitmap* dest, int x, int y, int w, int h, unsigned int fillColor,
                         unsigned int lineColor, float alpha, int mode);
