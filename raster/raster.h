#pragma once
// The whole raster library in one include: the pixel and blend-mode words, bitmaps, the combine kernels,
// blits and scaling, fills and pixel operations, lines, curves and shapes, glyph masks and cached fonts, and PNG loading.
//
// Every drawing operation takes a float alpha and a blend-mode word, clips to its bitmaps, honours
// flipped bitmaps and draws nothing on null or empty input; per-pixel arithmetic is integer fixed point
// (Raster_FixedPoint.h).

#include "raster/Raster_FixedPoint.h"
#include "raster/Raster_IBitmap.h"
#include "raster/Raster_Kernels.h"
#include "raster/Raster_MemBitmap.h"
#include "raster/Raster_Pixel.h"
#include "raster/Raster_SysBitmap.h"

#include "raster/Raster_Blit.h"
#include "raster/Raster_Fill.h"
#include "raster/Raster_Font.h"
#include "raster/Raster_Glyph.h"
#include "raster/Raster_Line.h"
#include "raster/Raster_Shapes.h"
#include "raster/Raster_PNG.h"
