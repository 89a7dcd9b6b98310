// The small blur and the 2:1 reduction: both sums of shifted-and-masked words, so no channel carries into
// the next (each mask keeps a channel's share below its byte).

#include "raster/Raster_Blit.h"

#include "raster/Raster_BlitInternal.h"
#include "raster/Raster_Template_Blit2.h"

#include <algorithm>
#include <cstring>
#include <vector>

using namespace Raster_BlitDetail;

namespace {

inline Raster_PixelWord half(Raster_PixelWord p)
{
  return (p >> 1) & 0x7F7F7F7Fu;
}
inline Raster_PixelWord quarter(Raster_PixelWord p)
{
  return (p >> 2) & 0x3F3F3F3Fu;
}
inline Raster_PixelWord eighth(Raster_PixelWord p)
{
  return (p >> 3) & 0x1F1F1F1Fu;
}

// One blurred row from the original rows above (null on the first row), here and below (null on the
// last). A missing vertical neighbour doubles the other one's share, a missing horizontal one likewise.
void blurRow(Raster_PixelWord* out, const Raster_PixelWord* above, const Raster_PixelWord* row,
             const Raster_PixelWord* below, int w)
{
  for (int x = 0; x < w; x++) {
    Raster_PixelWord p = half(row[x]);
    if (x == 0)
      p += quarter(row[1]);
    else if (x == w - 1)
      p += quarter(row[x - 1]);
    else
      p += eighth(row[x - 1]) + eighth(row[x + 1]);
    if (!above)
      p += quarter(below[x]);
    else if (!below)
      p += quarter(above[x]);
    else
      p += eighth(above[x]) + eighth(below[x]);
    out[x] = p;
  }
}

} // namespace

void Raster_Blur(Raster_IBitmap* dest, Raster_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch)
{
  if (!dest || !src) return;
  // The same clip as the rectangle blit; the blur needs at least two pixels each way.
  Raster_ClippedBlit clip;
  if (!Raster_ClipBlit(dest, src, dstx, dsty, srcx, srcy, (long long)srcx + srcw, (long long)srcy + srch, 2, &clip))
    return;
  const int w = clip.mW, h = clip.mH;
  Raster_PixelWord* d = clip.mDest;
  const Raster_PixelWord* s = clip.mSrc;
  const long destStep = clip.mDestStep, srcStep = clip.mSrcStep;

  if (dest != src) {
    for (int y = 0; y < h; y++)
      blurRow(rowAt(d, destStep, y), y > 0 ? rowAt(s, srcStep, y - 1) : nullptr, rowAt(s, srcStep, y),
              y < h - 1 ? rowAt(s, srcStep, y + 1) : nullptr, w);
    return;
  }

  if (clip.mDstX != clip.mSrcX || clip.mDstY != clip.mSrcY) {
    // In place at an offset: later rows may read pixels already written, so blur from a copy.
    std::vector<Raster_PixelWord> copy((size_t)w * (size_t)h);
    for (int y = 0; y < h; y++) memcpy(&copy[(size_t)y * w], rowAt(s, srcStep, y), (size_t)w * 4);
    for (int y = 0; y < h; y++)
      blurRow(rowAt(d, destStep, y), y > 0 ? &copy[(size_t)(y - 1) * w] : nullptr, &copy[(size_t)y * w],
              y < h - 1 ? &copy[(size_t)(y + 1) * w] : nullptr, w);
    return;
  }

  // In place over the same rectangle: keep the row above and the current row as they were before the
  // pass; the row below is still untouched when it is read.
  Raster_PixelWord stackRows[2 * 1024];
  std::vector<Raster_PixelWord> heapRows;
  Raster_PixelWord* saved = stackRows;
  if (w > 1024) {
    heapRows.resize((size_t)w * 2);
    saved = heapRows.data();
  }
  Raster_PixelWord *prev = saved, *cur = saved + w;
  for (int y = 0; y < h; y++) {
    Raster_PixelWord* row = rowAt(d, destStep, y);
    memcpy(cur, row, (size_t)w * 4);
    blurRow(row, y > 0 ? prev : nullptr, cur, y < h - 1 ? rowAt(d, destStep, y + 1) : nullptr, w);
    std::swap(prev, cur);
  }
}

void Raster_HalveBlitAA(Raster_IBitmap* dest, Raster_IBitmap* src)
{
  if (!dest || !src) return;
  const int w = std::min(dest->getWidth(), src->getWidth() / 2);
  const int h = std::min(dest->getHeight(), src->getHeight() / 2);
  if (w < 1 || h < 1) return;
  Raster_PixelWord* dbits = dest->getBits();
  Raster_PixelWord* sbits = src->getBits();
  if (!dbits || !sbits) return;
  for (int y = 0; y < h; y++) {
    // Memory rows: the 2:1 reduction does not look at the flipped flag.
    Raster_PixelWord* d = dbits + (size_t)y * dest->getRowSpan();
    const Raster_PixelWord* a = sbits + (size_t)(2 * y) * src->getRowSpan();
    const Raster_PixelWord* b = a + src->getRowSpan();
    for (int x = 0; x < w; x++)
      d[x] = quarter(a[2 * x]) + quarter(a[2 * x + 1]) + quarter(b[2 * x]) + quarter(b[2 * x + 1]);
  }
}
