// Reading one UTF-8 character for the cached fonts.

#include "raster/Raster_Font.h"

#include <climits>

namespace {

bool continuation(const unsigned char* p, int i, int avail)
{
  return i < avail && (p[i] & 0xC0) == 0x80;
}

} // namespace

int Raster_UTF8Char(const char* str, int avail, unsigned short* out)
{
  unsigned short dummy;
  if (!out) out = &dummy;
  if (!str || avail <= 0) {
    *out = 0;
    return 0;
  }
  const unsigned char* p = (const unsigned char*)str;
  const unsigned c = p[0];
  *out = (unsigned short)c;
  if (c == 0) return 0;
  if (c >= 0xC2 && c <= 0xDF && continuation(p, 1, avail)) {
    *out = (unsigned short)(((c & 0x1F) << 6) | (p[1] & 0x3F));
    return 2;
  }
  if (c >= 0xE0 && c <= 0xEF && continuation(p, 1, avail) && continuation(p, 2, avail)) {
    const unsigned code = ((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    // Overlong forms and surrogate halves are not characters: the lead byte stands alone.
    if (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF)) return 1;
    *out = (unsigned short)code;
    return 3;
  }
  if (c >= 0xF0 && c <= 0xF4 && continuation(p, 1, avail) && continuation(p, 2, avail) && continuation(p, 3, avail)) {
    *out = 32; // beyond the 16-bit codes the cache keeps
    return 4;
  }
  return 1;
}

int utf8char(const char* p, unsigned short* out)
{
  return Raster_UTF8Char(p, INT_MAX, out);
}
