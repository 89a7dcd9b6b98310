// libpng encoding into a temporary file, then rename into place.
#include "tools/files/PngWriter.h"

#include "raster/Raster_IBitmap.h"
#include "tools/files/OutputFiles.h"
#include "tools/files/OutputTarget.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Only plain data lives in this frame, since libpng reports errors by longjmp-ing back into it.
bool EncodeRows(FILE* file, int width, int height, unsigned char** rows)
{
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
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
  png_init_io(png, file);
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

  OutputTarget target;
  if (!ResolveOutputTarget(path, target, error)) return false;
  const bool stream = target.kind == OutputKind::kStream;
  std::string temp = TempPatternFor(target.path);
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  const int fd = stream ? OpenStreamOutput(target, error) : mkstemp(name.data());
  if (fd < 0) {
    if (!stream) error = "cannot create a file in '" + FolderOf(target.path) + "': " + std::strerror(errno);
    return false;
  }
  temp = stream ? std::string() : std::string(name.data());
  FILE* file = fdopen(fd, "wb");
  if (!file) {
    error = std::string("cannot write '") + path + "': " + std::strerror(errno);
    close(fd);
    if (!stream) unlink(temp.c_str());
    return false;
  }
  const bool encoded = EncodeRows(file, width, height, rows.data());
  const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
  const bool closed = std::fclose(file) == 0;
  if (!encoded || !flushed || !closed) {
    error = "cannot write '" + path + "': " + (encoded ? std::strerror(errno) : "the PNG encoder failed");
    if (!stream) unlink(temp.c_str());
    return false;
  }
  if (stream) return true;
  if (!MoveOutputIntoPlace(temp, target.path, error)) {
    unlink(temp.c_str());
    return false;
  }
  return true;
}
