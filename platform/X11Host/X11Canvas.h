/*
 * X11Canvas.h — a small window of our own (a menu, an alert, a file window) with a drawing
 * context to paint it in: draw into Context(), then Present() shows it. Text, fills and frames
 * use the drawing-context layer, so these windows look the same on every X server.
 */
#ifndef BRINDLE_PLATFORM_X11CANVAS_H
#define BRINDLE_PLATFORM_X11CANVAS_H

#include <X11Host/X11Display.h>

#include "gdi/gdi.h"

#include <memory>
#include <string>

namespace BrindleHost {

class X11Canvas
{
public:
  /* At display point (x, y), top left; a popup bypasses the window manager. */
  X11Canvas(X11Backend& backend, int x, int y, int w, int h, bool popup, const std::string& title);
  ~X11Canvas();
  X11Canvas(const X11Canvas&) = delete;
  X11Canvas& operator=(const X11Canvas&) = delete;

  Window XWindow() const { return mWindow; }
  int X() const { return mX; }
  int Y() const { return mY; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  bool Contains(int rootX, int rootY) const
  {
    return rootX >= mX && rootY >= mY && rootX < mX + mWidth && rootY < mY + mHeight;
  }
  void Map();

  HDC__* Context() const { return mContext; }
  void Fill(const RECT& r, int colour);
  void Frame(const RECT& r, int colour);
  /* Text in the UI font (bold: the heading font), with GDI_DrawText's format flags. */
  void Text(RECT r, const std::string& text, int colour, int format, bool bold = false);
  static int MeasureText(const std::string& text, bool bold = false);
  void Present();

private:
  X11Backend& mBackend;
  Window mWindow = 0;
  GC mGC = nullptr;
  int mX, mY, mWidth, mHeight;
  HDC__* mContext = nullptr;
  HGDIOBJ__* mFont = nullptr;
  HGDIOBJ__* mBold = nullptr;
  std::unique_ptr<X11Image> mImage;
};

/* The colours of our windows. */
constexpr int kPanelColour = GDI_RGB(236, 236, 236);
constexpr int kTextColour = GDI_RGB(20, 20, 20);
constexpr int kDisabledColour = GDI_RGB(150, 150, 150);
constexpr int kHighlightColour = GDI_RGB(48, 110, 220);
constexpr int kEdgeColour = GDI_RGB(130, 130, 130);
constexpr int kFieldColour = GDI_RGB(255, 255, 255);

} // namespace BrindleHost

#endif
