// IGraphics: the display scale. Editor pixels stay the currency of every call; the canvas and what is
// drawn into it are device pixels, and bitmaps are swapped for images made for the scale.

#include <cmath>
#include <memory>
#include <string>

#include "graphics/BitmapStorage.h"
#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConvert.h"
#include "graphics/ScaledBitmapStorage.h"
#include "raster/Raster_Blit.h"
#include "raster/Raster_MemBitmap.h"
#include "raster/Raster_SysBitmap.h"

namespace {

int RoundToInt(double v)
{
  return GraphicsToInt(std::floor(v + 0.5));
}

} // namespace

void IGraphics::OnScaleChanged() {}

void IGraphics::SetScale(double scale)
{
  // Not a number, or below 1, is 1: a host's nonsense must not shrink the editor below its layout.
  if (!(scale >= kMinScale)) scale = kMinScale;
  if (scale > kMaxScale) scale = kMaxScale;
  if (scale == mScale) return;
  mScale = scale;
  if (mCanvas) {
    mCanvas = std::make_unique<Raster_SysBitmap>(ScaledWidth(), ScaledHeight());
    SetAllControlsDirty();
  }
  OnScaleChanged();
}

int IGraphics::ToDevice(int v) const
{
  if (mScale == 1.0) return v;
  return RoundToInt(v * mScale);
}

IRECT IGraphics::ToDevice(const IRECT& r) const
{
  if (r.IsEmpty()) return r;
  return IRECT(ToDevice(r.left), ToDevice(r.top), ToDevice(r.right), ToDevice(r.bottom));
}

int IGraphics::FromDevice(int px) const
{
  if (mScale == 1.0) return px;
  const double v = std::ceil((px + 0.5) / mScale) - 1.0;
  int x = GraphicsToInt(v);
  // The division may land a hair off an exact edge; settle on the defining inequality (a step or two
  // at most; near the ends of the int range the mapping saturates and the estimate stands).
  for (int i = 0; i < 2 && x > INT_MIN && ToDevice(x) > px; ++i) --x;
  for (int i = 0; i < 2 && x < INT_MAX && ToDevice(x + 1) <= px; ++i) ++x;
  return x;
}

IRECT IGraphics::FromDevice(const IRECT& r) const
{
  if (r.IsEmpty() || mScale == 1.0) return r;
  const int right = FromDevice(GraphicsDelta(r.right, 1)), bottom = FromDevice(GraphicsDelta(r.bottom, 1));
  return IRECT(FromDevice(r.left), FromDevice(r.top), GraphicsClampToInt(right + 1LL),
               GraphicsClampToInt(bottom + 1LL));
}

Raster_IBitmap* IGraphics::ScaledImage(const IBitmap* bitmap, double* scaleX, double* scaleY)
{
  *scaleX = *scaleY = 1.0;
  Raster_IBitmap* image = bitmap ? bitmap->mImage : nullptr;
  if (!image || mScale == 1.0 || bitmap->mWidth <= 0 || bitmap->mHeight <= 0) return image;
  ScaledBitmapStorage& storage = ScaledBitmapStorage::Instance();
  const int frames = bitmap->mFrames > 1 ? bitmap->mFrames : 1;
  Raster_IBitmap* scaled = nullptr;
  if (!BitmapStorage::Instance().Contains(image)) {
    // An image the cache does not own may go away and its address come back as another image, so
    // what is made from it serves until the next Draw only.
    scaled = MakeScaledImage(bitmap);
    if (!scaled) return image;
    mUncachedScaled.emplace_back(scaled);
  } else if (!(scaled = storage.Find(image, mScale, frames, bitmap->mFramesHorizontal))) {
    // Made outside the cache's lock; two editors making the same one at once keep the first.
    Raster_IBitmap* made = MakeScaledImage(bitmap);
    if (!made) return image;
    scaled = storage.Add(image, mScale, frames, bitmap->mFramesHorizontal, made);
  }
  *scaleX = static_cast<double>(scaled->getWidth()) / bitmap->mWidth;
  *scaleY = static_cast<double>(scaled->getHeight()) / bitmap->mHeight;
  return scaled;
}

Raster_IBitmap* IGraphics::MakeScaledImage(const IBitmap* bitmap)
{
  Raster_IBitmap* base = bitmap->mImage;
  const int w = base->getWidth(), h = base->getHeight();
  if (w <= 0 || h <= 0) return nullptr;

  // Frames are reduced one by one, so that none bleeds into its neighbour and each comes out whole.
  const bool horizontal = bitmap->mFramesHorizontal;
  int frames = bitmap->mFrames > 1 ? bitmap->mFrames : 1;
  if ((horizontal ? w : h) % frames != 0) frames = 1;
  const int fw = horizontal ? w / frames : w, fh = horizontal ? h : h / frames;
  const int dfw = RoundToInt(fw * mScale) > 0 ? RoundToInt(fw * mScale) : 1;
  const int dfh = RoundToInt(fh * mScale) > 0 ? RoundToInt(fh * mScale) : 1;

  // The nearest larger image set drawn for that scale, else a larger one, else the image itself.
  std::unique_ptr<Raster_IBitmap> larger;
  int set = 1;
  int id = -1;
  std::string name;
  if (ScaledBitmapStorage::Instance().FindSource(base, &id, &name)) {
    for (int candidate = mScale <= 2.0 ? 2 : 3; candidate <= static_cast<int>(kMaxScale) && !larger; ++candidate) {
      std::unique_ptr<Raster_IBitmap> loaded(OSLoadBitmap(id, ScaledImageName(name, candidate).c_str()));
      // A set that is not exactly the larger size of the same picture is not one.
      if (loaded && loaded->getWidth() == w * candidate && loaded->getHeight() == h * candidate) {
        larger = std::move(loaded);
        set = candidate;
      }
    }
  }
  Raster_IBitmap* source = larger ? larger.get() : base;

  auto scaled = std::make_unique<Raster_MemBitmap>(horizontal ? dfw * frames : dfw, horizontal ? dfh : dfh * frames, 4);
  if (!scaled->getBits()) return nullptr;
  for (int k = 0; k < frames; ++k) {
    const int dx = horizontal ? k * dfw : 0, dy = horizontal ? 0 : k * dfh;
    const int sx = horizontal ? k * fw * set : 0, sy = horizontal ? 0 : k * fh * set;
    Raster_ScaledBlit(scaled.get(), source, dx, dy, dfw, dfh, static_cast<float>(sx), static_cast<float>(sy),
                      static_cast<float>(fw * set), static_cast<float>(fh * set), 1.0f,
                      RASTER_BLEND_COPY | RASTER_BLEND_FILTER_BILINEAR);
  }
  return scaled.release();
}
