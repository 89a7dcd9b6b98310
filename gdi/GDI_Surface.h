#pragma once
// GDI_Surface: the pixel target behind a drawing context (what a context's "platform context" is in
// this build). It names a block of pixels (bytes X, R, G, B each, rows top-down) and carries the
// drawing state that can be saved and restored: the clip rectangle, the origin offset and whether
// edges are anti-aliased. Memory contexts make their own; GDI_CreateGfxContext wraps one owned by
// the caller (a window host, for instance).

#include <vector>

struct GDI_SurfaceState
{
  // Clip in device pixels, right and bottom exclusive; always inside the surface.
  int mClipLeft = 0, mClipTop = 0, mClipRight = 0, mClipBottom = 0;
  // Added to every user coordinate.
  int mOriginX = 0, mOriginY = 0;
  bool mAntiAlias = true;
};

struct GDI_Surface
{
  GDI_Surface() {}
  GDI_Surface(unsigned char* bits, int width, int height, int rowBytes) { Reset(bits, width, height, rowBytes); }

  // Points the surface at new pixels and clears its state (clip = whole surface).
  void Reset(unsigned char* bits, int width, int height, int rowBytes)
  {
    const bool ok = bits && width > 0 && height > 0 && rowBytes >= width * 4;
    mBits = ok ? bits : nullptr;
    mWidth = ok ? width : 0;
    mHeight = ok ? height : 0;
    mRowBytes = ok ? rowBytes : 0;
    mState = GDI_SurfaceState();
    mState.mClipRight = mWidth;
    mState.mClipBottom = mHeight;
    mSaved.clear();
  }

  void SaveState() { mSaved.push_back(mState); }
  // An unmatched restore is ignored.
  void RestoreState()
  {
    if (mSaved.empty()) return;
    mState = mSaved.back();
    mSaved.pop_back();
  }

  // Narrows the clip to a rectangle in user coordinates (it can only shrink). 64-bit arithmetic so
  // that huge coordinates cannot wrap.
  void ClipToRect(long long l, long long t, long long r, long long b)
  {
    l += mState.mOriginX;
    r += mState.mOriginX;
    t += mState.mOriginY;
    b += mState.mOriginY;
    if (l > mState.mClipLeft) mState.mClipLeft = (int)(l < mState.mClipRight ? l : mState.mClipRight);
    if (t > mState.mClipTop) mState.mClipTop = (int)(t < mState.mClipBottom ? t : mState.mClipBottom);
    if (r < mState.mClipRight) mState.mClipRight = (int)(r > mState.mClipLeft ? r : mState.mClipLeft);
    if (b < mState.mClipBottom) mState.mClipBottom = (int)(b > mState.mClipTop ? b : mState.mClipTop);
  }

  void Translate(int dx, int dy)
  {
    mState.mOriginX += dx;
    mState.mOriginY += dy;
  }

  bool ClipIsEmpty() const
  {
    return !mBits || mState.mClipRight <= mState.mClipLeft || mState.mClipBottom <= mState.mClipTop;
  }

  unsigned char* Pixel(int x, int y) const { return mBits + (long)y * mRowBytes + (long)x * 4; }

  unsigned char* mBits = nullptr;
  int mWidth = 0, mHeight = 0, mRowBytes = 0;
  GDI_SurfaceState mState;
  std::vector<GDI_SurfaceState> mSaved;
};
