#pragma once
// Helpers for reading a memory context's pixels in the drawing-context tests.

#include "gdi/gdi.h"

#include <gtest/gtest.h>

// Owns a memory context for the length of a test.
class MemContext
{
public:
  MemContext(int w, int h) : mW(w), mH(h), mDC(GDI_CreateMemContext(nullptr, w, h)) {}
  ~MemContext() { GDI_DeleteGfxContext(mDC); }
  MemContext(const MemContext&) = delete;
  MemContext& operator=(const MemContext&) = delete;

  HDC__* dc() const { return mDC; }
  int w() const { return mW; }
  int h() const { return mH; }
  unsigned char* px(int x, int y) const
  {
    return static_cast<unsigned char*>(GDI_GetCtxFrameBuffer(mDC)) + 4 * (x + y * mW);
  }
  // Channel c (0 = X, 1 = R, 2 = G, 3 = B) of pixel (x, y).
  int at(int x, int y, int c) const { return px(x, y)[c]; }
  bool touched(int x, int y) const { return px(x, y)[0] || px(x, y)[1] || px(x, y)[2] || px(x, y)[3]; }

  // Bounding box of touched pixels; empty (0,0,0,0) when nothing was drawn.
  RECT inkBox() const
  {
    RECT r = {mW, mH, -1, -1};
    for (int y = 0; y < mH; y++)
      for (int x = 0; x < mW; x++)
        if (touched(x, y)) {
          if (x < r.left) r.left = x;
          if (y < r.top) r.top = y;
          if (x + 1 > r.right) r.right = x + 1;
          if (y + 1 > r.bottom) r.bottom = y + 1;
        }
    if (r.right < 0) return RECT{0, 0, 0, 0};
    return r;
  }

  // Sum of one channel over the whole frame.
  long sum(int c) const
  {
    long s = 0;
    for (int y = 0; y < mH; y++)
      for (int x = 0; x < mW; x++) s += px(x, y)[c];
    return s;
  }

  int countTouched() const
  {
    int n = 0;
    for (int y = 0; y < mH; y++)
      for (int x = 0; x < mW; x++) n += touched(x, y);
    return n;
  }

private:
  int mW, mH;
  HDC__* mDC;
};

// DejaVu Sans (units per em 2048) is installed; its metrics and advances are the hand-computed
// reference values of the text tests.
inline HGDIOBJ__* MakeFont(int size, const char* face = "DejaVu Sans", int weight = FW_NORMAL, char italic = 0,
                           char quality = 0)
{
  return CreateFont(size, 0, 0, 0, weight, italic, 0, 0, 0, 0, 0, quality, 0, face);
}
