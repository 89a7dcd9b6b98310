// Reading one UTF-8 character for the cached fonts, with the drawing-context layer's reader, so that
// bad text reads the same on the cache's path as on the platform's.

#include "raster/Raster_Font.h"

#include <climits>

#include "gdi/GDI_UTF8.h"

int Raster_UTF8Char(const char* str, int avail, unsigned short* out)
{
  unsigned short dummy;
  if (!out) out = &dummy;
  unsigned int code = 0;
  const int n = GDI_DecodeUTF8(str, avail, &code);
  if (n <= 0 || code == 0) {
    *out = 0; // the terminator, or nothing left
    return 0;
  }
  *out = code > 0xFFFF ? 32 : static_cast<unsigned short>(code); // beyond the 16-bit codes the cache keeps
  return n;
}

int utf8char(const char* p, unsigned short* out)
{
  return Raster_UTF8Char(p, INT_MAX, out);
}
