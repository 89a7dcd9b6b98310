// An off-screen picture for the brindle plots: a Raster_SysBitmap, so rectangles go through the
// raster library and text and anti-aliased lines through the drawing context over the same pixels.
// It owns the handful of fonts a figure uses and turns opaque before it is saved.
#pragma once

#include "gdi/gdi.h"
#include "raster/Raster_SysBitmap.h"

#include <string>
#include <vector>

struct FigureColor
{
  int r = 0, g = 0, b = 0;
  // This colour laid over white with the given weight (0 = white, 1 = the colour).
  FigureColor Tint(double weight) const;
};

class FigureCanvas
{
public:
  enum TextStyle { kSmall, kBody, kHeading, kTitle, kStyleCount };
  enum Align { kAlignLeft, kAlignCenter, kAlignRight };

  FigureCanvas(int width, int height, FigureColor background);
  ~FigureCanvas();
  FigureCanvas(const FigureCanvas&) = delete;
  FigureCanvas& operator=(const FigureCanvas&) = delete;

  // False when the picture could not be allocated (drawing then does nothing).
  bool IsValid() { return mBitmap.getBits() != nullptr; }
  Raster_SysBitmap& Bitmap() { return mBitmap; }
  int Width() { return mBitmap.getWidth(); }
  int Height() { return mBitmap.getHeight(); }

  void FillRect(int x, int y, int w, int h, FigureColor color, float alpha = 1.0f);
  // An outline one pixel wide just inside the rectangle.
  void FrameRect(int x, int y, int w, int h, FigureColor color);
  // An anti-aliased polyline; pixels outside clip (when given) stay untouched.
  void Polyline(const std::vector<POINT>& points, FigureColor color, int width, const RECT* clip = nullptr);

  // One line of text whose top is at y, placed left of, centred on or right of x. Answers its width.
  int Text(int x, int y, const std::string& text, TextStyle style, FigureColor color, Align align = kAlignLeft);
  int TextWidth(const std::string& text, TextStyle style);
  // The text, or as much of its start as fits in maxWidth followed by an ellipsis.
  std::string Elide(const std::string& text, TextStyle style, int maxWidth);
  int LineHeight(TextStyle style);

  // Alpha 255 everywhere: the drawing context leaves the alpha byte to its own devices.
  void MakeOpaque();

private:
  Raster_SysBitmap mBitmap;
  HGDIOBJ__* mFonts[kStyleCount] = {};
};
