// PNG decoding through libpng: the transformations that turn every colour type into A, R, G, B bytes,
// rows landing straight in the bitmap, and clean failure on anything malformed.

#include "raster/Raster_PNG.h"

#include "raster/Raster_MemBitmap.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <memory>
#include <vector>

namespace {

// Deflate cannot expand data by more than 1032:1, so an image whose raw rows need more than this much
// per compressed byte is truncated for certain: refuse it before allocating its pixels.
const double kMaxInflateRatio = 1100.0;
const double kInflateSlackBytes = 65536.0;
// Nothing the editor draws comes near this; it bounds the pixels any input can make us allocate.
const png_uint_32 kMaxSide = 32768;
const double kMaxPixels = 32.0 * 1024 * 1024; // 128 MB of pixels

struct MemReader
{
  const unsigned char* mPos;
  int mLeft;
};

void staticPngReadFunc(png_structp png, png_bytep out, png_size_t want)
{
  MemReader* rd = (MemReader*)png_get_io_ptr(png);
  std::memset(out, 0, want);
  const png_size_t n = (png_size_t)rd->mLeft < want ? (png_size_t)rd->mLeft : want;
  if (n) std::memcpy(out, rd->mPos, n);
  rd->mPos += n;
  rd->mLeft -= (int)n;
  // Running out is a truncated stream: say so now rather than decoding zeros.
  if (n < want) png_error(png, "PNG data truncated");
}

// The size of the image's raw (filtered, undecoded) rows, in bytes.
double rawImageBytes(png_uint_32 w, png_uint_32 h, int bitDepth, int colorType)
{
  int channels = 1;
  switch (colorType) {
  case PNG_COLOR_TYPE_GRAY_ALPHA:
    channels = 2;
    break;
  case PNG_COLOR_TYPE_RGB:
    channels = 3;
    break;
  case PNG_COLOR_TYPE_RGB_ALPHA:
    channels = 4;
    break;
  default:
    break;
  }
  const double rowBytes = ((double)w * channels * bitDepth + 7.0) / 8.0;
  return (double)h * (rowBytes + 1.0);
}

// Everything both loaders share once the reader is attached: header, transformations, target bitmap,
// rows. The caller has established the error return point; state that must survive a longjmp lives in
// *st (never in locals of this frame).
struct DecodeState
{
  png_structp mPng = nullptr;
  png_infop mInfo = nullptr;
  Raster_IBitmap* mTarget = nullptr;
  bool mOwnsTarget = false;
  png_bytep* mRows = nullptr;
};

bool decode(DecodeState* st, Raster_IBitmap* bmp, double inputBytes, bool honourFlip)
{
  png_structp png = st->mPng;
  png_infop info = st->mInfo;
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colorType = 0, interlace = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return false;
  if ((double)width * height > kMaxPixels) return false;
  if (inputBytes >= 0 &&
      rawImageBytes(width, height, bitDepth, colorType) > inputBytes * kMaxInflateRatio + kInflateSlackBytes)
    return false;

  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_set_tRNS_to_alpha(png);
    colorType |= PNG_COLOR_MASK_ALPHA;
  }
  if (bitDepth == 16) png_set_strip_16(png);
  if (bitDepth < 8) png_set_packing(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  if (colorType & PNG_COLOR_MASK_ALPHA)
    png_set_swap_alpha(png);
  else
    png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);

  // Settle the transformations now so that the decoded row size can be checked against the bitmap's
  // rows before anything is written into them.
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != (png_size_t)width * 4) return false;

  if (!bmp) {
    st->mTarget = new Raster_MemBitmap((int)width, (int)height, 4);
    st->mOwnsTarget = true;
  } else {
    bmp->resize((int)width, (int)height);
    st->mTarget = bmp;
  }
  Raster_IBitmap* t = st->mTarget;
  Raster_PixelWord* bits = t->getBits();
  if (!bits || t->getWidth() != (int)width || t->getHeight() != (int)height || t->getRowSpan() < (int)width)
    return false;

  st->mRows = (png_bytep*)std::malloc(sizeof(png_bytep) * height);
  if (!st->mRows) return false;
  const bool flip = honourFlip && t->isFlipped();
  for (png_uint_32 i = 0; i < height; ++i) {
    const png_uint_32 memRow = flip ? height - 1 - i : i;
    st->mRows[i] = (png_bytep)(bits + (size_t)memRow * (size_t)t->getRowSpan());
  }
  png_read_image(png, st->mRows);
  return true;
}

// Frees everything; answers the bitmap on success, else null (deleting a bitmap the loader made).
Raster_IBitmap* finish(DecodeState* st, bool ok)
{
  if (st->mPng) png_destroy_read_struct(&st->mPng, st->mInfo ? &st->mInfo : nullptr, nullptr);
  std::free(st->mRows);
  st->mRows = nullptr;
  if (ok) return st->mTarget;
  if (st->mOwnsTarget) delete st->mTarget;
  return nullptr;
}

// The version the loader was written against; libpng accepts any 1.6.x library for it.
const char* const kPngVersion = "1.6.8";

// Decoding failures are answered with null; libpng's own messages would only land on the host's
// console, so errors go straight back to the set-jump point and warnings are dropped.
void silentError(png_structp png, png_const_charp)
{
  png_longjmp(png, 1);
}
void silentWarning(png_structp, png_const_charp) {}

bool createStructs(DecodeState* st)
{
  st->mPng = png_create_read_struct(kPngVersion, nullptr, silentError, silentWarning);
  if (!st->mPng) return false;
  st->mInfo = png_create_info_struct(st->mPng);
  return st->mInfo != nullptr;
}

struct FileCloser
{
  void operator()(FILE* f) const { std::fclose(f); }
};

} // namespace

Raster_IBitmap* Raster_LoadPNG(const char* filename, Raster_IBitmap* bmp)
{
  if (!filename || !*filename) return nullptr;
  std::unique_ptr<FILE, FileCloser> fp(std::fopen(filename, "rb"));
  if (!fp) return nullptr;

  double fileBytes = -1.0;
  if (std::fseek(fp.get(), 0, SEEK_END) == 0) {
    const long n = std::ftell(fp.get());
    if (n >= 0) fileBytes = (double)n;
    std::rewind(fp.get());
  }

  // The decoder state lives on the heap behind a pointer that is fixed before setjmp, so a longjmp back
  // here finds it intact.
  const auto st = std::make_unique<DecodeState>();
  if (!createStructs(st.get())) return finish(st.get(), false);
  if (setjmp(*png_set_longjmp_fn(st->mPng, longjmp, sizeof(jmp_buf)))) return finish(st.get(), false);
  png_init_io(st->mPng, fp.get());
  const bool ok = decode(st.get(), bmp, fileBytes, true);
  return finish(st.get(), ok);
}

Raster_IBitmap* Raster_LoadPNGFromMemory(const void* data, int len, Raster_IBitmap* bmp)
{
  if (!data || len < 8) return nullptr;
  if (png_sig_cmp((png_const_bytep)data, 0, 8) != 0) return nullptr;

  MemReader rd{(const unsigned char*)data, len};
  const auto st = std::make_unique<DecodeState>();
  if (!createStructs(st.get())) return finish(st.get(), false);
  if (setjmp(*png_set_longjmp_fn(st->mPng, longjmp, sizeof(jmp_buf)))) return finish(st.get(), false);
  png_set_read_fn(st->mPng, &rd, staticPngReadFunc);
  // Rows land in memory order whatever the flipped flag (unlike Raster_LoadPNG).
  const bool ok = decode(st.get(), bmp, (double)len, false);
  return finish(st.get(), ok);
}

Raster_IBitmap* Raster_LoadPNGFromResource(void* module, int resid, Raster_IBitmap* bmp)
{
  (void)module;
  (void)resid;
  (void)bmp;
  return nullptr;
}

// ---- the registered loader --------------------------------------------------------------------------

Raster_ImageLoaderRec* Raster_ImageLoaderList = nullptr;

Raster_IBitmap* Raster_PNGLoader::loadfunc(const char* filename, bool checkExtension, Raster_IBitmap* bmp)
{
  if (!filename) return nullptr;
  if (checkExtension) {
    const char* p = filename + std::strlen(filename);
    while (p > filename && *p != '.' && *p != '/' && *p != '\\') --p;
    if (strcasecmp(p, ".png") != 0) return nullptr;
  }
  return Raster_LoadPNG(filename, bmp);
}

const char* Raster_PNGLoader::get_extlist()
{
  return "PNG files (*.PNG)\0*.PNG\0";
}

namespace {

struct PNGLoaderRegistration
{
  Raster_ImageLoaderRec mRec{Raster_PNGLoader::loadfunc, Raster_PNGLoader::get_extlist, nullptr};
  PNGLoaderRegistration()
  {
    mRec.mNext = Raster_ImageLoaderList;
    Raster_ImageLoaderList = &mRec;
  }
};
PNGLoaderRegistration sPNGLoaderRegistration;

} // namespace
