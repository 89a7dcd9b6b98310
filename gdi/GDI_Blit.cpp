// Copying pixels between contexts and drawing images, scaled with nearest-pixel sampling.

#include "gdi/GDI_Image.h"
#include "gdi/GDI_Paint.h"
#include "gdi/GDI_Records.h"
#include "gdi/GDI_Surface.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
struct SourcePixels
{
  const unsigned char* mBits;
  long mRowBytes;
  int mWidth, mHeight;
};

// Draws source area (sx0, sy0)-(sx1, sy1) (inside the source) onto destination area
// (dx0, dy0)-(dx1, dy1) in user coordinates. A destination pixel is drawn when its centre lies in
// the area; it takes the source pixel under the corresponding point. With useAlpha the source's
// byte 0 weights the colour (not premultiplied); otherwise the source is opaque.
void DrawScaled(GDI_Surface* dst, double dx0, double dy0, double dx1, double dy1, const SourcePixels& src, double sx0,
                double sy0, double sx1, double sy1, bool useAlpha)
{
  if (!(dx1 > dx0) || !(dy1 > dy0) || !(sx1 > sx0) || !(sy1 > sy0)) return;
  const GDI_SurfaceState& st = dst->mState;
  dx0 += st.mOriginX;
  dx1 += st.mOriginX;
  dy0 += st.mOriginY;
  dy1 += st.mOriginY;
  // Pixels whose centres fall inside the destination area, limited to the clip.
  const double fx0 = std::max((double)st.mClipLeft, std::ceil(dx0 - 0.5));
  const double fx1 = std::min((double)st.mClipRight, std::ceil(dx1 - 0.5));
  const double fy0 = std::max((double)st.mClipTop, std::ceil(dy0 - 0.5));
  const double fy1 = std::min((double)st.mClipBottom, std::ceil(dy1 - 0.5));
  if (!(fx1 > fx0) || !(fy1 > fy0)) return;
  const int px0 = (int)fx0, px1 = (int)fx1, py0 = (int)fy0, py1 = (int)fy1;

  const double scaleX = (sx1 - sx0) / (dx1 - dx0), scaleY = (sy1 - sy0) / (dy1 - dy0);
  const int colMin = std::max(0, (int)std::floor(sx0)), colMax = std::min(src.mWidth - 1, (int)std::ceil(sx1) - 1);
  const int rowMin = std::max(0, (int)std::floor(sy0)), rowMax = std::min(src.mHeight - 1, (int)std::ceil(sy1) - 1);
  if (colMax < colMin || rowMax < rowMin) return;

  std::vector<int> cols(px1 - px0);
  for (int px = px0; px < px1; px++) {
    // Clamped while still a double: extreme scales must not overflow the conversion.
    const double c = std::floor(sx0 + (px + 0.5 - dx0) * scaleX);
    cols[px - px0] = (int)std::min((double)colMax, std::max((double)colMin, c));
  }
  for (int py = py0; py < py1; py++) {
    const double r = std::floor(sy0 + (py + 0.5 - dy0) * scaleY);
    const int row = (int)std::min((double)rowMax, std::max((double)rowMin, r));
    const unsigned char* srow = src.mBits + (long)row * src.mRowBytes;
    unsigned char* d = dst->Pixel(px0, py);
    for (int px = px0; px < px1; px++, d += 4) {
      const unsigned char* s = srow + (long)cols[px - px0] * 4;
      if (!useAlpha) {
        d[0] = 255;
        d[1] = s[1];
        d[2] = s[2];
        d[3] = s[3];
        continue;
      }
      GDI_Color c;
      c.mValid = 1;
      c.mRed = s[1];
      c.mGreen = s[2];
      c.mBlue = s[3];
      c.mAlpha = 1.0f;
      GDI_BlendPixel(d, c, s[0]);
    }
  }
}
} // namespace

void BitBlt(HDC__* dst, int x, int y, int w, int h, HDC__* src, int sx, int sy, int mode)
{
  StretchBlt(dst, x, y, w, h, src, sx, sy, w, h, mode);
}

void StretchBlt(HDC__* dst, int x, int y, int w, int h, HDC__* src, int sx, int sy, int sw, int sh, int mode)
{
  GDI_Surface* d = GDI_DrawableSurface(dst);
  if (!d || !GDI_IsLiveContext(src) || !src->mOwnedBuffer || !src->mSurface) return;
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return;
  const GDI_Surface* s = src->mSurface;

  // Clip the source area to the source and move the destination edges with it.
  double sx0 = sx, sy0 = sy, sx1 = (double)sx + sw, sy1 = (double)sy + sh;
  double dx0 = x, dy0 = y, dx1 = (double)x + w, dy1 = (double)y + h;
  const double fx = (double)w / sw, fy = (double)h / sh;
  if (sx0 < 0) {
    dx0 += -sx0 * fx;
    sx0 = 0;
  }
  if (sy0 < 0) {
    dy0 += -sy0 * fy;
    sy0 = 0;
  }
  if (sx1 > s->mWidth) {
    dx1 -= (sx1 - s->mWidth) * fx;
    sx1 = s->mWidth;
  }
  if (sy1 > s->mHeight) {
    dy1 -= (sy1 - s->mHeight) * fy;
    sy1 = s->mHeight;
  }
  if (!(sx1 > sx0) || !(sy1 > sy0)) return;

  // Copying within one frame reads from a snapshot so overlapping areas come out right.
  std::vector<unsigned char> snapshot;
  SourcePixels pixels = {s->mBits, s->mRowBytes, s->mWidth, s->mHeight};
  if (s->mBits == d->mBits) {
    snapshot.assign(s->mBits, s->mBits + (size_t)s->mRowBytes * s->mHeight);
    pixels.mBits = snapshot.data();
  }
  DrawScaled(d, dx0, dy0, dx1, dy1, pixels, sx0, sy0, sx1, sy1, mode == GDI_BLIT_SOURCE_ALPHA);
}

void DrawImageInRect(HDC__* ctx, HGDIOBJ__* image, const RECT* r)
{
  GDI_Surface* d = GDI_DrawableSurface(ctx);
  if (!d || !r || !GDI_IsLiveObject(image) || image->mType != GDI_OBJ_IMAGE || !image->mImage) return;
  const GDI_Image* img = image->mImage;
  if (img->mWidth <= 0 || img->mHeight <= 0) return;
  const SourcePixels pixels = {img->mPixels.data(), (long)img->mWidth * 4, img->mWidth, img->mHeight};
  DrawScaled(d, r->left, r->top, r->right, r->bottom, pixels, 0, 0, img->mWidth, img->mHeight, true);
}
