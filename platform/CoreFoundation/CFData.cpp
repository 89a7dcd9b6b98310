// Immutable byte buffers.
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFRuntime.h>

#include <cstdio>
#include <cstring>
#include <vector>

struct __CFData : __CFRuntimeBase
{
  std::vector<UInt8> mBytes;
};

namespace {

bool EqualData(CFTypeRef a, CFTypeRef b)
{
  return static_cast<const __CFData*>(a)->mBytes == static_cast<const __CFData*>(b)->mBytes;
}

CFHashCode HashData(CFTypeRef d)
{
  // FNV-1a over the bytes.
  CFHashCode h = 1469598103934665603ULL;
  for (UInt8 byte : static_cast<const __CFData*>(d)->mBytes) h = (h ^ byte) * 1099511628211ULL;
  return h;
}

std::string DescribeData(CFTypeRef d)
{
  const auto& bytes = static_cast<const __CFData*>(d)->mBytes;
  std::string text = "<";
  char hex[3];
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i && i % 4 == 0) text += ' ';
    std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
    text += hex;
  }
  return text + ">";
}

const CFRuntimeClass kDataClass = {"CFData", kCFRuntimeDataTypeID, CFRuntimeFinalize<__CFData>, EqualData,
                                   HashData, DescribeData};

const __CFData* Checked(CFDataRef data, const char* function)
{
  const __CFData* d = CFRuntimeCast<__CFData>(data, &kDataClass);
  if (!d) CFRuntimeFatal(function, "not a data object");
  return d;
}

} // namespace

CFTypeID CFDataGetTypeID(void)
{
  return kCFRuntimeDataTypeID;
}

CFDataRef CFDataCreate(CFAllocatorRef allocator, const UInt8* bytes, CFIndex length)
{
  if (length < 0 || (length > 0 && !bytes)) return nullptr;
  __CFData* d = CFRuntimeCreate<__CFData>(allocator, &kDataClass);
  if (d && length > 0) d->mBytes.assign(bytes, bytes + length);
  return d;
}

CFIndex CFDataGetLength(CFDataRef theData)
{
  return static_cast<CFIndex>(Checked(theData, "CFDataGetLength")->mBytes.size());
}

const UInt8* CFDataGetBytePtr(CFDataRef theData)
{
  const __CFData* d = Checked(theData, "CFDataGetBytePtr");
  static const UInt8 kNoBytes = 0; // a valid address even for empty data, so copies of 0 bytes are safe
  return d->mBytes.empty() ? &kNoBytes : d->mBytes.data();
}

void CFDataGetBytes(CFDataRef theData, CFRange range, UInt8* buffer)
{
  const __CFData* d = Checked(theData, "CFDataGetBytes");
  const CFIndex size = static_cast<CFIndex>(d->mBytes.size());
  if (!buffer || range.location < 0 || range.length < 0 || range.location > size ||
      range.length > size - range.location)
    return;
  if (range.length > 0) std::memcpy(buffer, d->mBytes.data() + range.location, static_cast<size_t>(range.length));
}
