// libpng encoding through the safe output path.
#include "tools/files/PngWriter.h"

#include "raster/Raster_IBitmap.h"
#include "tools/files/OutputFiles.h"

#include <png.h>

#include <csetjmp>
#include <string>
#include <vector>

namespace {

// Where libpng's bytes go, and the system's reason when they do not get there.
struct PngSink
{
  SafeOutput* out;
  std::string error;
};

void WriteBytes(png_structp png, png_bytep data, size_t count)
{
  PngSink* sink = static_cast<PngSink*>(png_get_io_ptr(png));
  if (!sink->out->WriteAll(data, count, sink->error)) png_error(png, "write failed");
}

void FlushNothing(png_structp) {}

// The caller says what failed; libpng's own messages would add a second line.
void SilentError(png_structp png, png_const_charp)
{
  png_longjmp(png, 1);
}

void SilentWarning(png_structp, png_const_charp) {}

// Only plain data lives in this frame, since libpng reports errors by longjmp-ing back into it.
bool EncodeRows(PngSink* sink, int width, int height, unsigned char** rows)
{
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, &SilentError, &SilentWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, sink, &WriteBytes, &FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

} // namespace

bool WritePngFile(Raster_IBitmap* bitmap, const std::string& path, std::string& error)
{
  Raster_PixelWord* bits = bitmap ? bitmap->getBits() : nullptr;
  const int width = bitmap ? bitmap->getWidth() : 0;
  const int height = bitmap ? bitmap->getHeight() : 0;
  if (!bits || width <= 0 || height <= 0) {
    error = "nothing to write: the picture is empty";
    return false;
  }

  // RGBA bytes from the pixel words, so the file does not depend on the machine's byte order.
  std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
  std::vector<unsigned char*> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    const Raster_PixelWord* src = Raster_ImageRow(bitmap, bits, y);
    unsigned char* dst = &pixels[static_cast<size_t>(y) * width * 4];
    rows[static_cast<size_t>(y)] = dst;
    for (int x = 0; x < width; ++x, dst += 4) {
      dst[0] = static_cast<unsigned char>(Raster_GetR(src[x]));
      dst[1] = static_cast<unsigned char>(Raster_GetG(src[x]));
      dst[2] = static_cast<unsigned char>(Raster_GetB(src[x]));
      dst[3] = static_cast<unsigned char>(Raster_GetA(src[x]));
    }
  }

  SafeOutput out;
  if (!out.Open(path, error)) return false;
  PngSink sink{&out, std::string()};
  if (!EncodeRows(&sink, width, height, rows.data())) {
    error = sink.error.empty() ? "cannot write '" + path + "': the PNG encoder failed" : sink.error;
    return false;
  }
  return out.Commit(error);
}
