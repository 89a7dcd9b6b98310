// Bitmap contexts over caller memory and the images copied out of them.
#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGPixelLayout.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

struct CGColorSpace
{
  int mRefs = 1;
};

struct CGImage
{
  int mRefs = 1;
  size_t mWidth = 0, mHeight = 0, mBytesPerRow = 0;
  CGBitmapInfo mInfo = 0;
  CGPixelLayout mLayout;
  std::vector<uint8_t> mPixels;
};

namespace {

// Device space: whole pixels, origin at the bottom-left of the bitmap, y up.
struct DeviceBox
{
  long x0 = 0, y0 = 0, x1 = 0, y1 = 0; // right and top exclusive
  bool Empty() const { return x1 <= x0 || y1 <= y0; }
};

struct GState
{
  // Axis-aligned CTM: device = (sx * x + tx, sy * y + ty).
  double sx = 1, sy = 1, tx = 0, ty = 0;
  DeviceBox clip;
  uint32_t fill = 0xFF000000; // premultiplied 0xAARRGGBB
};

bool Finite(CGRect r)
{
  return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
         std::isfinite(r.size.height);
}

CGRect Standardized(CGRect r)
{
  if (r.size.width < 0) {
    r.origin.x += r.size.width;
    r.size.width = -r.size.width;
  }
  if (r.size.height < 0) {
    r.origin.y += r.size.height;
    r.size.height = -r.size.height;
  }
  return r;
}

// A device edge rounded to a whole pixel and kept inside a range long enough for any bitmap.
long Edge(double v)
{
  const double limit = 1e12;
  v = std::floor(v + 0.5);
  return static_cast<long>(std::max(-limit, std::min(limit, v)));
}

} // namespace

struct CGContext
{
  int mRefs = 1;
  uint8_t* mData = nullptr;
  size_t mWidth = 0, mHeight = 0, mBytesPerRow = 0;
  CGBitmapInfo mInfo = 0;
  CGPixelLayout mLayout;
  GState mState;
  std::vector<GState> mSaved;
  unsigned long long mBytesWritten = 0;

  double DeviceX(double x) const { return mState.sx * x + mState.tx; }
  double DeviceY(double y) const { return mState.sy * y + mState.ty; }

  // The user rectangle in device pixels, clipped.
  DeviceBox Box(CGRect r) const
  {
    const double xa = DeviceX(r.origin.x), xb = DeviceX(r.origin.x + r.size.width);
    const double ya = DeviceY(r.origin.y), yb = DeviceY(r.origin.y + r.size.height);
    DeviceBox b{Edge(std::min(xa, xb)), Edge(std::min(ya, yb)), Edge(std::max(xa, xb)), Edge(std::max(ya, yb))};
    b.x0 = std::max(b.x0, mState.clip.x0);
    b.y0 = std::max(b.y0, mState.clip.y0);
    b.x1 = std::min(b.x1, mState.clip.x1);
    b.y1 = std::min(b.y1, mState.clip.y1);
    return b;
  }

  uint8_t* Pixel(long x, long deviceY) const
  {
    const size_t row = mHeight - 1 - static_cast<size_t>(deviceY);
    return mData + row * mBytesPerRow + static_cast<size_t>(x) * 4;
  }
};

// ---- Colour space ----

CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void)
{
  return new CGColorSpace;
}

CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space)
{
  if (space) ++space->mRefs;
  return space;
}

void CGColorSpaceRelease(CGColorSpaceRef space)
{
  if (space && --space->mRefs == 0) delete space;
}

// ---- Images ----

size_t CGImageGetWidth(CGImageRef image)
{
  return image ? image->mWidth : 0;
}
size_t CGImageGetHeight(CGImageRef image)
{
  return image ? image->mHeight : 0;
}
size_t CGImageGetBytesPerRow(CGImageRef image)
{
  return image ? image->mBytesPerRow : 0;
}
CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image)
{
  return image ? image->mInfo : 0;
}

CGImageRef CGImageRetain(CGImageRef image)
{
  if (image) ++image->mRefs;
  return image;
}

void CGImageRelease(CGImageRef image)
{
  if (image && --image->mRefs == 0) delete image;
}

// ---- Bitmap contexts ----

CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent, size_t bytesPerRow,
                                   CGColorSpaceRef, CGBitmapInfo bitmapInfo)
{
  CGPixelLayout layout;
  const size_t maxSide = 1u << 20;
  if (!data || width == 0 || height == 0 || width > maxSide || height > maxSide || bitsPerComponent != 8 ||
      bytesPerRow < width * 4 || !CGPixelLayout::FromBitmapInfo(bitmapInfo, &layout))
    return nullptr;
  CGContext* c = new CGContext;
  c->mData = static_cast<uint8_t*>(data);
  c->mWidth = width;
  c->mHeight = height;
  c->mBytesPerRow = bytesPerRow;
  c->mInfo = bitmapInfo;
  c->mLayout = layout;
  c->mState.clip = {0, 0, static_cast<long>(width), static_cast<long>(height)};
  return c;
}

void* CGBitmapContextGetData(CGContextRef c)
{
  return c ? c->mData : nullptr;
}
size_t CGBitmapContextGetWidth(CGContextRef c)
{
  return c ? c->mWidth : 0;
}
size_t CGBitmapContextGetHeight(CGContextRef c)
{
  return c ? c->mHeight : 0;
}
size_t CGBitmapContextGetBytesPerRow(CGContextRef c)
{
  return c ? c->mBytesPerRow : 0;
}
CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef c)
{
  return c ? c->mInfo : 0;
}

CGImageRef CGBitmapContextCreateImage(CGContextRef c)
{
  if (!c) return nullptr;
  CGImage* image = new CGImage;
  image->mWidth = c->mWidth;
  image->mHeight = c->mHeight;
  image->mBytesPerRow = c->mWidth * 4;
  image->mInfo = c->mInfo;
  image->mLayout = c->mLayout;
  image->mPixels.resize(image->mBytesPerRow * image->mHeight);
  for (size_t row = 0; row < c->mHeight; ++row)
    std::memcpy(&image->mPixels[row * image->mBytesPerRow], c->mData + row * c->mBytesPerRow, image->mBytesPerRow);
  return image;
}

CGContextRef CGContextRetain(CGContextRef c)
{
  if (c) ++c->mRefs;
  return c;
}

void CGContextRelease(CGContextRef c)
{
  if (c && --c->mRefs == 0) delete c;
}

unsigned long long BrindleHost_CGContextGetBytesWritten(CGContextRef c)
{
  return c ? c->mBytesWritten : 0;
}

// ---- State ----

void CGContextSaveGState(CGContextRef c)
{
  if (c) c->mSaved.push_back(c->mState);
}

void CGContextRestoreGState(CGContextRef c)
{
  if (!c || c->mSaved.empty()) return;
  c->mState = c->mSaved.back();
  c->mSaved.pop_back();
}

void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty)
{
  if (!c || !std::isfinite(tx) || !std::isfinite(ty)) return;
  c->mState.tx += c->mState.sx * tx;
  c->mState.ty += c->mState.sy * ty;
}

void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy)
{
  if (!c || !std::isfinite(sx) || !std::isfinite(sy) || sx == 0 || sy == 0) return;
  c->mState.sx *= sx;
  c->mState.sy *= sy;
}

void CGContextClipToRect(CGContextRef c, CGRect rect)
{
  if (!c) return;
  if (!Finite(rect)) {
    c->mState.clip = DeviceBox();
    return;
  }
  DeviceBox b = c->Box(Standardized(rect));
  if (b.Empty()) b = DeviceBox();
  c->mState.clip = b;
}

CGRect CGContextGetClipBoundingBox(CGContextRef c)
{
  if (!c || c->mState.clip.Empty()) return CGRectMake(0, 0, 0, 0);
  const GState& s = c->mState;
  const double xa = (s.clip.x0 - s.tx) / s.sx, xb = (s.clip.x1 - s.tx) / s.sx;
  const double ya = (s.clip.y0 - s.ty) / s.sy, yb = (s.clip.y1 - s.ty) / s.sy;
  return CGRectMake(std::min(xa, xb), std::min(ya, yb), std::fabs(xb - xa), std::fabs(yb - ya));
}

// ---- Drawing ----

void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image)
{
  if (!c || !image || !Finite(rect) || image->mWidth == 0 || image->mHeight == 0) return;
  rect = Standardized(rect);
  if (rect.size.width == 0 || rect.size.height == 0) return;
  const DeviceBox box = c->Box(rect);
  if (box.Empty()) return;
  // Image column 0 sits at the rect's smallest user x, image row 0 at its largest user y, wherever
  // the CTM puts those edges.
  const double left = c->DeviceX(rect.origin.x);
  const double width = c->DeviceX(rect.origin.x + rect.size.width) - left;
  const double top = c->DeviceY(rect.origin.y + rect.size.height);
  const double height = c->DeviceY(rect.origin.y) - top;
  const long iw = static_cast<long>(image->mWidth), ih = static_cast<long>(image->mHeight);
  std::vector<long> columns(static_cast<size_t>(box.x1 - box.x0));
  for (long x = box.x0; x < box.x1; ++x) {
    const long u = static_cast<long>(std::floor((x + 0.5 - left) / width * iw));
    columns[static_cast<size_t>(x - box.x0)] = std::max(0L, std::min(iw - 1, u));
  }
  const bool opaque = !image->mLayout.mHasAlpha;
  for (long y = box.y0; y < box.y1; ++y) {
    long v = static_cast<long>(std::floor((y + 0.5 - top) / height * ih));
    v = std::max(0L, std::min(ih - 1, v));
    const uint8_t* srcRow = &image->mPixels[static_cast<size_t>(v) * image->mBytesPerRow];
    uint8_t* dst = c->Pixel(box.x0, y);
    for (long x = box.x0; x < box.x1; ++x, dst += 4) {
      const uint32_t src = image->mLayout.Read(srcRow + columns[static_cast<size_t>(x - box.x0)] * 4);
      c->mLayout.Write(dst, opaque ? src : CGPixelLayout::Over(src, c->mLayout.Read(dst)));
    }
  }
  c->mBytesWritten +=
      static_cast<unsigned long long>(box.x1 - box.x0) * static_cast<unsigned long long>(box.y1 - box.y0) * 4;
}

void CGContextSetRGBFillColor(CGContextRef c, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
  if (!c) return;
  auto unit = [](CGFloat v) {
    if (!(v > 0)) return 0.0; // NaN too
    return v > 1 ? 1.0 : v;
  };
  const double a = unit(alpha);
  auto byte = [](double v) { return static_cast<uint32_t>(std::floor(v * 255 + 0.5)); };
  c->mState.fill = byte(a) << 24 | byte(unit(red) * a) << 16 | byte(unit(green) * a) << 8 | byte(unit(blue) * a);
}

void CGContextFillRect(CGContextRef c, CGRect rect)
{
  if (!c || !Finite(rect)) return;
  const DeviceBox box = c->Box(Standardized(rect));
  if (box.Empty()) return;
  const uint32_t fill = c->mState.fill;
  for (long y = box.y0; y < box.y1; ++y) {
    uint8_t* dst = c->Pixel(box.x0, y);
    for (long x = box.x0; x < box.x1; ++x, dst += 4)
      c->mLayout.Write(dst, CGPixelLayout::Over(fill, c->mLayout.Read(dst)));
  }
  c->mBytesWritten +=
      static_cast<unsigned long long>(box.x1 - box.x0) * static_cast<unsigned long long>(box.y1 - box.y0) * 4;
}
