#pragma once
// The two scratch bitmaps every cached font shares: one that glyphs are rendered into and one for
// platform text drawn into bitmaps without a drawing context. Made on first use, held while any font
// lives (a reference count), deleted with the last font. Editor thread only.

class Raster_SysBitmap;

// Makes sure the glyph scratch exists and is at least size x size; when it had to grow its context is
// set up for rendering masks (white text, opaque black background). Null when it cannot be made.
Raster_SysBitmap* Raster_FontGlyphScratch(int size);
// The platform-text scratch, at least w x h (and at least 4 x 4).
Raster_SysBitmap* Raster_FontNativeScratch(int w, int h);
void Raster_FontScratchAcquire();
void Raster_FontScratchRelease();
