#pragma once
// Moving pixels from one bitmap into another: a straight copy, the clipped rectangle blit every control
// image goes through, scaled blits (nearest, bilinear, or box-filtered when shrinking), rotated and general
// affine ("delta") blits, a warp through a grid of source coordinates, a 2:1 reduction and a small blur.
//
// Every operation clips against both bitmaps, honours flipped bitmaps on either side, and combines each
// pixel with the kernel that the blend-mode word and weight choose (Raster_KernelChoice.h). Nothing is
// reported: null bitmaps, bitmaps without bits, empty clips, zero weights and unknown modes draw nothing.
// Source positions inside the scaled, rotated and delta blits are 16.16 fixed point (Raster_FixedPoint.h).

#include "gdi/gdi.h"
#include "raster/Raster_IBitmap.h"

// dest takes src's size, then src is copied into it.
void Raster_Copy(Raster_IBitmap* dest, Raster_IBitmap* src);

// Blit srcrect (the whole source when null) with its top-left at (dstx, dsty). Copy mode without the
// source-alpha flag copies whole rows at alpha 1.0 and mixes words half and half at 0.5; the channel-copy
// modes (0xF0-0xFF) copy one byte of each pixel into another and ignore the weight. Filter bits are ignored.
void Raster_Blit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, RECT* srcrect, float alpha, int mode);
// The same with the source rectangle (srcx, srcy) - (srcx + srcw, srcy + srch).
void Raster_Blit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
                 float alpha, int mode);

// Map the source rectangle onto the destination rectangle. A negative dstw or dsth mirrors. With the
// bilinear filter, shrinking by 1.7 or more in both directions averages a 3 x 3 (or, beyond 3:1, 5 x 5)
// box around each sample instead. Equal sizes become a plain Raster_Blit.
void Raster_ScaledBlit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                       float srcy, float srcw, float srch, float alpha, int mode);

// Turn the source rectangle by angle (radians) into the destination rectangle: the destination's centre
// shows the source rectangle's centre moved by (centerDx, centerDy) source pixels. With clipToSource the
// samples stay inside the source rectangle, otherwise inside the whole source.
void Raster_RotatedBlit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                        float srcy, float srcw, float srch, float angle, bool clipToSource, float alpha, int mode,
                        float centerDx, float centerDy);

// General affine blit: the destination rectangle's top-left samples (srcx, srcy); each pixel to the right
// moves the sample by (dudx, dvdx), each row down by (dudy, dvdy), and after each row dudx and dvdx change
// by dudxPerRow and dvdxPerRow.
void Raster_DeltaBlit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                      float srcy, float srcw, float srch, double dudx, double dvdx, double dudy, double dvdy,
                      double dudxPerRow, double dvdxPerRow, bool clipToSource, float alpha, int mode);

// Warp through a grid of columns x rows source positions (u, v pairs, row by row) spread evenly over the
// destination rectangle; each grid cell is drawn as one delta blit.
void Raster_TransformBlit(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                          float* points, int columns, int rows, float alpha, int mode);
void Raster_TransformBlit2(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                           double* points, int columns, int rows, float alpha, int mode);

// dest's top-left gets src reduced 2:1, each pixel the average of a 2 x 2 block (by quarter words).
void Raster_HalveBlitAA(Raster_IBitmap* dest, Raster_IBitmap* src);

// A small blur of the source rectangle into dest at (dstx, dsty): half the centre plus its neighbours.
// dest may be src (the pass reads the pixels as they were before it).
void Raster_Blur(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch);
