#include "au/IEffectAUStrings.h"

#include <vector>

CFStringRef IEffectAU_MakeCFString(const char* text)
{
  return CFStringCreateWithCString(kCFAllocatorDefault, text ? text : "", kCFStringEncodingUTF8);
}

std::string IEffectAU_CFStringToUTF8(CFStringRef str)
{
  if (!str) return std::string();
  const CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(str), kCFStringEncodingUTF8) + 1;
  if (size <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(size), '\0');
  if (!CFStringGetCString(str, buffer.data(), size, kCFStringEncodingUTF8)) return std::string();
  return std::string(buffer.data());
}

void IEffectAU_CutUTF8(std::string* text, size_t maxBytes)
{
  if (text->size() <= maxBytes) return;
  size_t n = maxBytes;
  while (n > 0 && (static_cast<unsigned char>((*text)[n]) & 0xC0) == 0x80) --n;
  text->resize(n);
}
