#include "gdi/GDI_UTF8.h"

namespace {

// The second byte's range for each lead byte, which rules out overlong forms, surrogate halves and code
// points past U+10FFFF; further bytes are 0x80-0xBF. lo > hi: the byte leads no sequence.
struct Lead
{
  int length;
  unsigned char lo, hi;
  unsigned int bits; // the lead byte's payload mask
};

Lead LeadOf(unsigned int c)
{
  if (c >= 0xC2 && c <= 0xDF) return {2, 0x80, 0xBF, 0x1F};
  if (c == 0xE0) return {3, 0xA0, 0xBF, 0x0F};
  if (c == 0xED) return {3, 0x80, 0x9F, 0x0F};
  if (c >= 0xE1 && c <= 0xEF) return {3, 0x80, 0xBF, 0x0F};
  if (c == 0xF0) return {4, 0x90, 0xBF, 0x07};
  if (c == 0xF4) return {4, 0x80, 0x8F, 0x07};
  if (c >= 0xF1 && c <= 0xF3) return {4, 0x80, 0xBF, 0x07};
  return {1, 1, 0, 0xFF};
}

} // namespace

int GDI_DecodeUTF8(const char* p, int avail, unsigned int* code)
{
  unsigned int ignored;
  if (!code) code = &ignored;
  if (!p || avail <= 0) {
    *code = 0;
    return 0;
  }
  const unsigned char* s = reinterpret_cast<const unsigned char*>(p);
  *code = s[0];
  const Lead lead = LeadOf(s[0]);
  if (lead.length == 1 || avail < lead.length) return 1;
  if (s[1] < lead.lo || s[1] > lead.hi) return 1;
  unsigned int value = s[0] & lead.bits;
  for (int i = 1; i < lead.length; ++i) {
    if ((s[i] & 0xC0) != 0x80) return 1;
    value = value << 6 | (s[i] & 0x3F);
  }
  *code = value;
  return lead.length;
}
