// IGraphics: the dirty/draw cycle, the bitmap members and the pixel and rectangle fills.

#include <cmath>

#include "graphics/BitmapStorage.h"
#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConvert.h"
#include "graphics/ScaledBitmapStorage.h"
#include "raster/Raster_Blit.h"
#include "raster/Raster_Fill.h"
#include "raster/Raster_MemBitmap.h"
#include "raster/Raster_SysBitmap.h"

namespace {
constexpr double kPi = 3.14159265358979323846;
}

// ---- Drawing cycle ----

bool IGraphics::IsDirty(IRECT* rect)
{
  ApplyPostedValues();
  if (!rect) return false;
  bool dirty = false;
  for (int i = 0, n = NControls(); i < n; ++i) {
    IControl* control = GetControl(i);
    if (control->IsDirty()) {
      *rect = rect->Union(*control->GetRECT());
      dirty = true;
    }
  }
  return dirty;
}

bool IGraphics::Draw(IRECT* rect)
{
  mUncachedScaled.clear();
  const int n = NControls();
  if (n == 0) return true;
  if (!rect) return false;

  if (mStrictDrawing) {
    mClipRect = *rect;
    const IRECT editor(0, 0, mWidth, mHeight);
    for (int i = 0; i < n; ++i) {
      IControl* control = GetControl(i);
      // Only a control whose area this pass repaints is up to date afterwards; one outside it keeps its
      // dirty state for the pass that reaches it. A hidden control's area is repainted without it; a
      // control with no area, or none inside the editor, has nothing any pass could repaint.
      const IRECT* area = control->GetRECT();
      const bool reached = rect->Intersects(*area);
      if (reached && !control->IsHidden()) control->Draw(this);
      if (reached || area->IsEmpty() || !editor.Intersects(*area)) control->SetClean();
    }
  } else {
    IControl* background = GetControl(0);
    if (background->IsDirty()) {
      mClipRect = *background->GetRECT();
      for (int i = 0; i < n; ++i) {
        IControl* control = GetControl(i);
        if (i == 0 || !control->IsHidden()) {
          control->Draw(this);
          control->SetClean();
        }
      }
    } else {
      for (int i = 1; i < n; ++i) {
        IControl* dirty = GetControl(i);
        if (!dirty->IsDirty()) continue;
        mClipRect = *dirty->GetRECT();
        for (int j = 0; j < n; ++j) {
          IControl* control = GetControl(j);
          if (!control->IsHidden() && (j == i || control->GetRECT()->Intersects(mClipRect))) control->Draw(this);
        }
        dirty->SetClean();
      }
    }
  }
  return DrawScreen(rect);
}

// ---- Bitmaps ----

IBitmap IGraphics::LoadIBitmap(int id, const char* name, int nFrames, bool framesHorizontal)
{
  BitmapStorage& storage = BitmapStorage::Instance();
  Raster_IBitmap* image = storage.Find(id);
  if (!image) {
    // Loaded outside the cache's lock; two editors loading the same id at once each keep an entry.
    image = OSLoadBitmap(id, name);
    if (image) ScaledBitmapStorage::Instance().NoteSource(image, id, name);
    // A missing image still gets an (empty) entry, so that the editor opens and the id stays stable.
    if (!image) image = new Raster_MemBitmap(0, 0, 4);
    storage.Add(image, id);
  }
  return IBitmap(image, image->getWidth(), image->getHeight(), nFrames, framesHorizontal);
}

void IGraphics::RetainBitmap(IBitmap* bitmap)
{
  if (bitmap && bitmap->mImage) BitmapStorage::Instance().Add(bitmap->mImage, -1);
}

void IGraphics::ReleaseBitmap(IBitmap* bitmap)
{
  if (!bitmap) return;
  const Raster_IBitmap* image = bitmap->mImage;
  if (BitmapStorage::Instance().Remove(bitmap->mImage)) {
    ScaledBitmapStorage::Instance().Forget(image);
    bitmap->mImage = nullptr;
  }
}

IBitmap IGraphics::ScaleBitmap(IBitmap* bitmap, int w, int h)
{
  if (!bitmap) return IBitmap();
  auto* scaled = new Raster_MemBitmap(w > 0 ? w : 0, h > 0 ? h : 0, 4);
  Raster_ScaledBlit(scaled, bitmap->mImage, 0, 0, scaled->getWidth(), scaled->getHeight(), 0.0f, 0.0f,
                    static_cast<float>(bitmap->mWidth), static_cast<float>(bitmap->mHeight), 1.0f,
                    RASTER_BLEND_COPY | RASTER_BLEND_FILTER_BILINEAR);
  BitmapStorage::Instance().Add(scaled, -1);
  return IBitmap(scaled, scaled->getWidth(), scaled->getHeight(), bitmap->mFrames, false);
}

IBitmap IGraphics::CropBitmap(IBitmap* bitmap, IRECT* rect)
{
  if (!bitmap || !rect) return IBitmap();
  const int w = rect->Width(), h = rect->Height();
  auto* cropped = new Raster_MemBitmap(w > 0 ? w : 0, h > 0 ? h : 0, 4);
  Raster_Blit(cropped, bitmap->mImage, 0, 0, rect->left, rect->top, cropped->getWidth(), cropped->getHeight(), 1.0f,
              RASTER_BLEND_COPY);
  BitmapStorage::Instance().Add(cropped, -1);
  return IBitmap(cropped, cropped->getWidth(), cropped->getHeight(), bitmap->mFrames, false);
}

unsigned int* IGraphics::GetBits()
{
  return mCanvas ? mCanvas->getBits() : nullptr;
}

// ---- Bitmap drawing ----

bool IGraphics::BlitToCanvas(Raster_IBitmap* image, const IRECT& dest, int srcX, int srcY, const IChannelBlend* blend)
{
  if (!mCanvas) return true;
  IRECT area = dest.Intersection(ToDevice(mClipRect));
  // The canvas bounds every coordinate below, so no offset can overflow; the raster blit clips the same way.
  area = area.Intersection(IRECT(0, 0, mCanvas->getWidth(), mCanvas->getHeight()));
  if (area.IsEmpty() || area.Width() <= 0 || area.Height() <= 0) return true;
  const int sx = GraphicsClampToInt(static_cast<long long>(srcX) + area.left - dest.left);
  const int sy = GraphicsClampToInt(static_cast<long long>(srcY) + area.top - dest.top);
  Raster_Blit(mCanvas.get(), image, area.left, area.top, sx, sy, area.Width(), area.Height(), GraphicsWeight(blend),
              GraphicsFillMode(blend));
  return true;
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend)
{
  if (!bitmap || !dest || !mCanvas) return true;
  if (mScale == 1.0) return BlitToCanvas(bitmap->mImage, *dest, srcX, srcY, blend);
  double scaleX = 1.0, scaleY = 1.0;
  Raster_IBitmap* image = ScaledImage(bitmap, &scaleX, &scaleY);
  // A frame offset lands on the scaled image's frame edge: frames were scaled one by one.
  return BlitToCanvas(image, ToDevice(*dest), GraphicsToInt(std::floor(srcX * scaleX + 0.5)),
                      GraphicsToInt(std::floor(srcY * scaleY + 0.5)), blend);
}

bool IGraphics::DrawBitmap(IBitmap* bitmap, IRECT* dest, int state, const IChannelBlend* blend)
{
  if (!bitmap) return true;
  int srcX = 0, srcY = 0;
  if (bitmap->mFrames > 1 && state > 1) {
    const double k = state - 1.0;
    // A state past the last frame reads beyond the image, where the blit finds nothing to copy.
    if (bitmap->mFramesHorizontal)
      srcX = GraphicsToInt(k * bitmap->mWidth / bitmap->mFrames + 0.5);
    else
      srcY = GraphicsToInt(k * bitmap->mHeight / bitmap->mFrames + 0.5);
  }
  return DrawBitmap(bitmap, dest, srcX, srcY, blend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* bitmap, int centreX, int centreY, double angle, int yOffsetZeroDeg,
                                  const IChannelBlend* blend)
{
  if (!bitmap || !mCanvas) return true;
  double scaleX = 1.0, scaleY = 1.0;
  Raster_IBitmap* image = ScaledImage(bitmap, &scaleX, &scaleY);
  const int w = mScale == 1.0 ? bitmap->mWidth : image->getWidth();
  const int h = mScale == 1.0 ? bitmap->mHeight : image->getHeight();
  centreX = ToDevice(centreX);
  centreY = ToDevice(centreY);
  Raster_RotatedBlit(mCanvas.get(), image, GraphicsClampToInt(static_cast<long long>(centreX) - w / 2),
                     GraphicsClampToInt(static_cast<long long>(centreY) - h / 2), w, h, 0.0f, 0.0f,
                     static_cast<float>(w), static_cast<float>(h), static_cast<float>(angle), false,
                     GraphicsWeight(blend), GraphicsFillMode(blend) | RASTER_BLEND_FILTER_BILINEAR, 0.0f,
                     static_cast<float>(yOffsetZeroDeg * scaleY));
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angleDegrees,
                                const IChannelBlend* blend)
{
  if (!base || !mask || !top || !base->mImage) return true;
  if (!mScratch) mScratch = std::make_unique<Raster_MemBitmap>(0, 0, 4);
  double scaleX = 1.0, scaleY = 1.0;
  Raster_IBitmap* baseImage = ScaledImage(base, &scaleX, &scaleY);
  Raster_IBitmap* maskImage = ScaledImage(mask, &scaleX, &scaleY);
  Raster_IBitmap* topImage = ScaledImage(top, &scaleX, &scaleY);
  const int w = mScale == 1.0 ? base->mWidth : baseImage->getWidth();
  const int h = mScale == 1.0 ? base->mHeight : baseImage->getHeight();
  const float radians = static_cast<float>(angleDegrees * kPi / 180.0);
  const float centreDx = (w % 2 == 0) ? 0.0f : -0.5f;

  Raster_Copy(mScratch.get(), baseImage);
  Raster_ClearRect(mScratch.get(), 0, 0, w, h, 0xFFFFFF00u, 0);
  Raster_RotatedBlit(mScratch.get(), maskImage, 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h),
                     radians, true, 1.0f,
                     RASTER_BLEND_ADD | RASTER_BLEND_USE_SOURCE_ALPHA | RASTER_BLEND_FILTER_BILINEAR, centreDx, 0.0f);
  Raster_RotatedBlit(mScratch.get(), topImage, 0, 0, w, h, 0.0f, 0.0f, static_cast<float>(w), static_cast<float>(h),
                     radians, true, 1.0f,
                     RASTER_BLEND_COPY | RASTER_BLEND_USE_SOURCE_ALPHA | RASTER_BLEND_FILTER_BILINEAR, centreDx, 0.0f);

  x = ToDevice(x);
  y = ToDevice(y);
  const IRECT dest(x, y, GraphicsClampToInt(static_cast<long long>(x) + w),
                   GraphicsClampToInt(static_cast<long long>(y) + h));
  return BlitToCanvas(mScratch.get(), dest, 0, 0, blend);
}

// ---- Pixels and fills ----

bool IGraphics::DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend, bool)
{
  if (!color) return false;
  const int px = GraphicsToInt(x + 0.5), py = GraphicsToInt(y + 0.5);
  if (mScale == 1.0) {
    Raster_PutPixel(mCanvas.get(), px, py, color->ToPixelWord(), GraphicsWeight(blend), GraphicsLineMode(blend));
    return true;
  }
  // One editor pixel is a block of device pixels.
  const IRECT block = ToDevice(IRECT(px, py, GraphicsClampToInt(px + 1LL), GraphicsClampToInt(py + 1LL)));
  Raster_FillRect(mCanvas.get(), block.left, block.top, block.Width(), block.Height(), color->ToPixelWord(),
                  GraphicsWeight(blend), GraphicsLineMode(blend));
  return true;
}

bool IGraphics::ForcePixel(const IColor* color, int x, int y)
{
  if (!color || !mCanvas || !mCanvas->getBits()) return false;
  if (x < 0 || y < 0 || ToDevice(x) >= mCanvas->getWidth() || ToDevice(y) >= mCanvas->getHeight()) return false;
  // One editor pixel is a block of device pixels (one pixel at scale 1).
  const int right = ToDevice(x + 1) < mCanvas->getWidth() ? ToDevice(x + 1) : mCanvas->getWidth();
  const int bottom = ToDevice(y + 1) < mCanvas->getHeight() ? ToDevice(y + 1) : mCanvas->getHeight();
  for (int py = ToDevice(y); py < bottom; ++py)
    for (int px = ToDevice(x); px < right; ++px)
      mCanvas->getBits()[static_cast<long>(py) * mCanvas->getRowSpan() + px] = color->ToPixelWord();
  return true;
}

IColor IGraphics::GetPoint(int x, int y)
{
  return IColor::FromPixelWord(Raster_GetPixel(mCanvas.get(), ToDevice(x), ToDevice(y)));
}

bool IGraphics::FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend)
{
  if (!color || !rect) return false;
  const IRECT area = ToDevice(*rect);
  Raster_FillRect(mCanvas.get(), area.left, area.top, area.Width(), area.Height(), color->ToPixelWord(),
                  GraphicsWeight(blend), GraphicsFillMode(blend));
  return true;
}
