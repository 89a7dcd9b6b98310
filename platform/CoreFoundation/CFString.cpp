// Strings: UTF-8 text with UTF-16 lengths, conversions, comparison and constant strings.
#include <CoreFoundation/CFRuntime.h>
#include <CoreFoundation/CFString.h>

#include <cstring>
#include <functional>
#include <map>
#include <mutex>

struct __CFString : __CFRuntimeBase
{
  explicit __CFString(std::string text) : mText(std::move(text)) {}
  std::string mText;
  CFIndex mUTF16Length = 0;
};

namespace {

bool EqualStrings(CFTypeRef a, CFTypeRef b)
{
  return static_cast<const __CFString*>(a)->mText == static_cast<const __CFString*>(b)->mText;
}

CFHashCode HashString(CFTypeRef s)
{
  return std::hash<std::string>()(static_cast<const __CFString*>(s)->mText);
}

std::string DescribeString(CFTypeRef s)
{
  return static_cast<const __CFString*>(s)->mText;
}

const CFRuntimeClass kStringClass = {"CFString", kCFRuntimeStringTypeID, CFRuntimeFinalize<__CFString>, EqualStrings,
                                     HashString, DescribeString};

// Length in UTF-16 units of valid UTF-8, or -1 when the bytes are not valid UTF-8.
CFIndex UTF16Length(const std::string& text)
{
  CFIndex units = 0;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    size_t extra;
    uint32_t cp;
    if (c < 0x80) {
      extra = 0;
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      cp = c & 0x07;
    } else
      return -1;
    if (i + extra >= n && extra > 0) return -1; // truncated sequence
    for (size_t k = 1; k <= extra; ++k) {
      const unsigned char cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) return -1;
      cp = (cp << 6) | (cc & 0x3F);
    }
    static const uint32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    units += cp >= 0x10000 ? 2 : 1;
    i += extra + 1;
  }
  return units;
}

bool IsASCII(const std::string& text)
{
  for (unsigned char c : text)
    if (c > 0x7F) return false;
  return true;
}

bool Supported(CFStringEncoding encoding)
{
  return encoding == kCFStringEncodingUTF8 || encoding == kCFStringEncodingASCII;
}

__CFString* Cast(CFStringRef s)
{
  return CFRuntimeCast<__CFString>(s, &kStringClass);
}

__CFString* CheckedCast(CFStringRef s, const char* function)
{
  __CFString* string = Cast(s);
  if (!string) CFRuntimeFatal(function, "not a string");
  return string;
}

CFStringRef Make(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding)
{
  if (!cStr || !Supported(encoding)) return nullptr;
  std::string text(cStr);
  if (encoding == kCFStringEncodingASCII && !IsASCII(text)) return nullptr;
  const CFIndex units = UTF16Length(text);
  if (units < 0) return nullptr;
  __CFString* s = CFRuntimeCreate<__CFString>(alloc, &kStringClass, std::move(text));
  if (s) s->mUTF16Length = units;
  return s;
}

} // namespace

CFStringRef CFRuntimeCreateString(CFAllocatorRef allocator, std::string text)
{
  const CFIndex units = UTF16Length(text);
  __CFString* s = CFRuntimeCreate<__CFString>(allocator, &kStringClass, std::move(text));
  if (s) s->mUTF16Length = units < 0 ? 0 : units;
  return s;
}

const std::string& CFRuntimeStringText(CFStringRef string)
{
  static const std::string kEmpty;
  const __CFString* s = Cast(string);
  return s ? s->mText : kEmpty;
}

CFTypeID CFStringGetTypeID(void)
{
  return kCFRuntimeStringTypeID;
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding)
{
  return Make(alloc, cStr, encoding);
}

CFStringRef CFStringCreateWithCStringNoCopy(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding,
                                            CFAllocatorRef contentsDeallocator)
{
  CFStringRef s = Make(alloc, cStr, encoding);
  if (cStr && contentsDeallocator != kCFAllocatorNull)
    CFAllocatorDeallocate(contentsDeallocator, const_cast<char*>(cStr));
  return s;
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef theString)
{
  CheckedCast(theString, "CFStringCreateCopy");
  return static_cast<CFStringRef>(CFRetain(theString));
}

CFIndex CFStringGetLength(CFStringRef theString)
{
  return CheckedCast(theString, "CFStringGetLength")->mUTF16Length;
}

Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize, CFStringEncoding encoding)
{
  const __CFString* s = CheckedCast(theString, "CFStringGetCString");
  const bool fits = buffer && bufferSize > 0 && static_cast<size_t>(bufferSize) > s->mText.size();
  const bool representable = Supported(encoding) && (encoding != kCFStringEncodingASCII || IsASCII(s->mText));
  if (!fits || !representable) {
    if (buffer && bufferSize > 0) buffer[0] = '\0';
    return false;
  }
  std::memcpy(buffer, s->mText.c_str(), s->mText.size() + 1);
  return true;
}

const char* CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding)
{
  const __CFString* s = CheckedCast(theString, "CFStringGetCStringPtr");
  return encoding == kCFStringEncodingUTF8 ? s->mText.c_str() : nullptr;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding)
{
  if (length < 0 || !Supported(encoding)) return kCFNotFound;
  // One UTF-16 unit needs at most three UTF-8 bytes (a surrogate pair, two units, needs four).
  return encoding == kCFStringEncodingUTF8 ? length * 3 : length;
}

CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2, CFStringCompareFlags compareOptions)
{
  const std::string& a = CheckedCast(theString1, "CFStringCompare")->mText;
  const std::string& b = CheckedCast(theString2, "CFStringCompare")->mText;
  if (compareOptions != 0) CFRuntimeFatal("CFStringCompare", "comparison options are not supported");
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = static_cast<unsigned char>(a[i]);
    const unsigned char y = static_cast<unsigned char>(b[i]);
    // UTF-8 byte order is code-point order.
    if (x != y) return x < y ? kCFCompareLessThan : kCFCompareGreaterThan;
  }
  if (a.size() == b.size()) return kCFCompareEqualTo;
  return a.size() < b.size() ? kCFCompareLessThan : kCFCompareGreaterThan;
}

CFStringRef __CFStringMakeConstantString(const char* cStr)
{
  static std::mutex sMutex;
  static std::map<std::string, __CFString*>* sConstants = new std::map<std::string, __CFString*>();
  std::lock_guard<std::mutex> lock(sMutex);
  auto found = sConstants->find(cStr);
  if (found != sConstants->end()) return found->second;
  auto* s = static_cast<__CFString*>(
      const_cast<__CFString*>(static_cast<const __CFString*>(CFRuntimeCreateString(kCFAllocatorDefault, cStr))));
  s->mImmortal = true;
  (*sConstants)[cStr] = s;
  return s;
}
