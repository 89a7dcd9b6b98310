// One picture of the editor's artwork while it is being drawn: a Raster_SysBitmap whose pixels the
// drawing context and the raster library share. It starts fully transparent; shapes and text land
// with anti-aliased edges through the drawing context, which blends as premultiplied colour, so
// transparent surroundings stay clean. ToStraightAlpha() turns the result into the straight alpha the
// PNG files carry, and is the last thing done to a picture.
//
// A canvas may draw at a whole-number scale for high-density screens: every coordinate, size, pen
// width and font size below stays in the picture's own (1x) pixels and is multiplied on the way to
// the bitmap, so shapes and lettering come out with crisp edges at the larger size rather than as an
// enlarged 1x picture. Width() and Height() answer 1x pixels; Bitmap() has the scaled size.
#pragma once

#include "gdi/gdi.h"
#include "raster/Raster_SysBitmap.h"

#include <functional>
#include <vector>

struct Rgb
{
  int r = 0, g = 0, b = 0;
  // Each channel scaled by factor (1 = unchanged), clamped to 0..255.
  Rgb Scaled(double factor) const;
  // Part of the way (0..1) towards another colour.
  Rgb Mix(const Rgb& other, double amount) const;
};

class ImageCanvas
{
public:
  ImageCanvas(int width, int height, int scale = 1);
  ImageCanvas(const ImageCanvas&) = delete;
  ImageCanvas& operator=(const ImageCanvas&) = delete;

  bool IsValid() { return mBitmap.getBits() && mBitmap.getDC(); }
  Raster_SysBitmap& Bitmap() { return mBitmap; }
  int Width() { return mBitmap.getWidth() / mScale; }
  int Height() { return mBitmap.getHeight() / mScale; }
  int Scale() const { return mScale; }

  // Shapes: corners are pixel edges (right and bottom exclusive).
  void FillRect(int l, int t, int r, int b, Rgb color, float alpha = 1.0f);
  void FillEllipse(int l, int t, int r, int b, Rgb color, float alpha = 1.0f);
  // A circle of radius rad around (cx, cy) counted in pixel edges, so odd sizes need a .5 centre.
  void FillCircle(double cx, double cy, double rad, Rgb color, float alpha = 1.0f);
  void StrokeCircle(double cx, double cy, double rad, int width, Rgb color, float alpha = 1.0f);
  // Quarter circles at the corners; each part is covered once, so translucent colours blend evenly.
  void FillRoundRect(int l, int t, int r, int b, int radius, Rgb color, float alpha = 1.0f);
  void FillPolygon(const std::vector<POINT>& points, Rgb color, float alpha = 1.0f);
  void Polyline(const std::vector<POINT>& points, int width, Rgb color, float alpha = 1.0f);

  // Colour running from top to bottom (opaque; meant for the opaque background).
  void VerticalGradient(int l, int t, int r, int b, Rgb top, Rgb bottom);

  // Text in the font file at a pixel size, placed in box by GDI_DrawText's format flags. Answers the
  // text's width (rounded to 1x pixels), or -1 when the font file cannot be used.
  int Text(const char* fontFile, int size, const char* text, RECT box, Rgb color, int format);
  // Width of the text as the 1x picture lays it out (at every scale), or -1 when the font file cannot
  // be used.
  int TextWidth(const char* fontFile, int size, const char* text);

  // Multiplies the colour of every pixel in the rectangle by light(x, y), keeping its alpha (pixel
  // centres at x + 0.5, y + 0.5; at a scale, the centres of the smaller bitmap pixels in 1x units).
  void Shade(int l, int t, int r, int b, const std::function<double(double x, double y)>& light);

  // Keeps only what lies inside the clip rectangle while draw runs.
  void Clipped(int l, int t, int r, int b, const std::function<void()>& draw);

  // From the drawing context's premultiplied blending to straight alpha.
  void ToStraightAlpha();

private:
  void WithObjects(HGDIOBJ__* pen, HGDIOBJ__* brush, const std::function<void()>& draw);
  // Where one line of text lies in box at 1x, as the drawing context places it.
  RECT LineBox(const char* fontFile, int size, const char* text, RECT box, int format);
  int S(int v) const { return v * mScale; }
  std::vector<POINT> S(const std::vector<POINT>& points) const;

  int mScale;
  Raster_SysBitmap mBitmap;
};
