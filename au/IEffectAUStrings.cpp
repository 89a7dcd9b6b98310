#include "au/IEffectAUStrings.h"

#include <vector>

CFStringRef IEffectAU_MakeCFString(const char* text)
{
  return CFStringCreateWithCString(kCFAllocatorDefault, text ? text : "", kCFStringEncodingUTF8);
}

std::string IEffectAU_CFStringToUTF8(CFStringRef str)
{
  if (!str) return std::string();
  const CFIndex size =
    CFStringGetMaximumSizeForEncoding(CFStringGetLength(str), kCFStringEncodingUTF8) + 1;
  if (size <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(size), '\0');
  if (!CFStringGetCString(str, buffer.data(), size, kCFStringEncodingUTF8)) return std::string();
  return std::string(buffer.data());
}
