// Dictionaries: keys and values held through the dictionary's callbacks, in insertion order.
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFRuntime.h>

#include <cstdio>
#include <utility>
#include <vector>

struct __CFDictionary : __CFRuntimeBase
{
  ~__CFDictionary()
  {
    for (auto& entry : mEntries) ReleaseEntry(entry);
  }
  void ReleaseEntry(const std::pair<const void*, const void*>& entry)
  {
    if (mKeyCallBacks.release) mKeyCallBacks.release(mAllocator, entry.first);
    if (mValueCallBacks.release) mValueCallBacks.release(mAllocator, entry.second);
  }
  CFDictionaryKeyCallBacks mKeyCallBacks{};
  CFDictionaryValueCallBacks mValueCallBacks{};
  std::vector<std::pair<const void*, const void*>> mEntries;
};

namespace {

bool KeysEqual(const __CFDictionary* d, const void* a, const void* b)
{
  if (a == b) return true;
  return d->mKeyCallBacks.equal && d->mKeyCallBacks.equal(a, b);
}

bool ValuesEqual(const __CFDictionary* d, const void* a, const void* b)
{
  if (a == b) return true;
  return d->mValueCallBacks.equal && d->mValueCallBacks.equal(a, b);
}

// Index of the entry for key, or -1.
long Find(const __CFDictionary* d, const void* key)
{
  for (size_t i = 0; i < d->mEntries.size(); ++i)
    if (KeysEqual(d, d->mEntries[i].first, key)) return static_cast<long>(i);
  return -1;
}

bool EqualDictionaries(CFTypeRef a, CFTypeRef b)
{
  const auto* x = static_cast<const __CFDictionary*>(a);
  const auto* y = static_cast<const __CFDictionary*>(b);
  if (x->mEntries.size() != y->mEntries.size()) return false;
  for (const auto& entry : x->mEntries) {
    const long j = Find(y, entry.first);
    if (j < 0 || !ValuesEqual(x, entry.second, y->mEntries[static_cast<size_t>(j)].second)) return false;
  }
  return true;
}

std::string DescribeItem(CFStringRef (*copy)(const void*), const void* item)
{
  if (!copy) {
    char address[32];
    std::snprintf(address, sizeof address, "%p", item);
    return address;
  }
  CFStringRef d = copy(item);
  std::string text = d ? CFRuntimeStringText(d) : "";
  if (d) CFRelease(d);
  return text;
}

std::string DescribeDictionary(CFTypeRef object)
{
  const auto* d = static_cast<const __CFDictionary*>(object);
  std::string text = "{";
  for (size_t i = 0; i < d->mEntries.size(); ++i) {
    text += i ? "; " : "";
    text += DescribeItem(d->mKeyCallBacks.copyDescription, d->mEntries[i].first);
    text += " = ";
    text += DescribeItem(d->mValueCallBacks.copyDescription, d->mEntries[i].second);
  }
  return text + "}";
}

const CFRuntimeClass kDictionaryClass = {
    "CFDictionary", kCFRuntimeDictionaryTypeID, CFRuntimeFinalize<__CFDictionary>, EqualDictionaries,
    nullptr,        DescribeDictionary};

__CFDictionary* Checked(CFDictionaryRef dict, const char* function)
{
  __CFDictionary* d = CFRuntimeCast<__CFDictionary>(dict, &kDictionaryClass);
  if (!d) CFRuntimeFatal(function, "not a dictionary");
  return d;
}

const void* RetainKey(__CFDictionary* d, const void* key)
{
  return d->mKeyCallBacks.retain ? d->mKeyCallBacks.retain(d->mAllocator, key) : key;
}

const void* RetainValue(__CFDictionary* d, const void* value)
{
  return d->mValueCallBacks.retain ? d->mValueCallBacks.retain(d->mAllocator, value) : value;
}

} // namespace

CFTypeID CFDictionaryGetTypeID(void)
{
  return kCFRuntimeDictionaryTypeID;
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks)
{
  if (capacity < 0) return nullptr;
  __CFDictionary* d = CFRuntimeCreate<__CFDictionary>(allocator, &kDictionaryClass);
  if (!d) return nullptr;
  if (keyCallBacks) d->mKeyCallBacks = *keyCallBacks;
  if (valueCallBacks) d->mValueCallBacks = *valueCallBacks;
  if (capacity > 0) d->mEntries.reserve(static_cast<size_t>(capacity));
  return d;
}

CFIndex CFDictionaryGetCount(CFDictionaryRef theDict)
{
  return static_cast<CFIndex>(Checked(theDict, "CFDictionaryGetCount")->mEntries.size());
}

const void* CFDictionaryGetValue(CFDictionaryRef theDict, const void* key)
{
  const __CFDictionary* d = Checked(theDict, "CFDictionaryGetValue");
  const long i = Find(d, key);
  return i < 0 ? nullptr : d->mEntries[static_cast<size_t>(i)].second;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef theDict, const void* key, const void** value)
{
  const __CFDictionary* d = Checked(theDict, "CFDictionaryGetValueIfPresent");
  const long i = Find(d, key);
  if (i < 0) return false;
  if (value) *value = d->mEntries[static_cast<size_t>(i)].second;
  return true;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef theDict, const void* key)
{
  return Find(Checked(theDict, "CFDictionaryContainsKey"), key) >= 0;
}

void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void* key, const void* value)
{
  __CFDictionary* d = Checked(theDict, "CFDictionarySetValue");
  const long i = Find(d, key);
  if (i < 0) {
    const void* heldKey = RetainKey(d, key);
    d->mEntries.emplace_back(heldKey, RetainValue(d, value));
    return;
  }
  auto& entry = d->mEntries[static_cast<size_t>(i)];
  const void* old = entry.second;
  entry.second = RetainValue(d, value); // retained first: old and new may be the same object
  if (d->mValueCallBacks.release) d->mValueCallBacks.release(d->mAllocator, old);
}

void CFDictionaryAddValue(CFMutableDictionaryRef theDict, const void* key, const void* value)
{
  __CFDictionary* d = Checked(theDict, "CFDictionaryAddValue");
  if (Find(d, key) >= 0) return;
  const void* heldKey = RetainKey(d, key);
  d->mEntries.emplace_back(heldKey, RetainValue(d, value));
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef theDict, const void* key)
{
  __CFDictionary* d = Checked(theDict, "CFDictionaryRemoveValue");
  const long i = Find(d, key);
  if (i < 0) return;
  const auto entry = d->mEntries[static_cast<size_t>(i)];
  d->mEntries.erase(d->mEntries.begin() + i);
  d->ReleaseEntry(entry);
}
