#include "plugcore/Base64.h"

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(char c)
{
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

} // namespace

int Base64Decode(const char* text, unsigned char* out, int outSize)
{
  if (!text || !out || outSize <= 0) return 0;
  unsigned int bits = 0;
  int nBits = 0;
  int written = 0;
  for (const char* p = text; written < outSize; ++p) {
    const int v = SextetOf(*p);
    if (v < 0) break;
    bits = ((bits << 6) | static_cast<unsigned int>(v)) & 0xFFFFFu;
    nBits += 6;
    if (nBits >= 8) {
      nBits -= 8;
      out[written++] = static_cast<unsigned char>((bits >> nBits) & 0xFF);
    }
  }
  return written;
}

std::string Base64Encode(const unsigned char* data, int size)
{
  std::string text;
  if (!data || size <= 0) return text;
  text.reserve(static_cast<size_t>((size + 2) / 3) * 4);
  for (int i = 0; i < size; i += 3) {
    const int n = size - i < 3 ? size - i : 3;
    unsigned int group = static_cast<unsigned int>(data[i]) << 16;
    if (n > 1) group |= static_cast<unsigned int>(data[i + 1]) << 8;
    if (n > 2) group |= data[i + 2];
    text += kAlphabet[(group >> 18) & 63];
    text += kAlphabet[(group >> 12) & 63];
    text += n > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    text += n > 2 ? kAlphabet[group & 63] : '=';
  }
  return text;
}
