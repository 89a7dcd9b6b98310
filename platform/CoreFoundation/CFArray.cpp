// Arrays: values held through the array's callbacks, released when removed or when the array goes.
#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFRuntime.h>

#include <cstdio>
#include <vector>

struct __CFArray : __CFRuntimeBase
{
  ~__CFArray()
  {
    if (mCallBacks.release)
      for (const void* value : mValues) mCallBacks.release(mAllocator, value);
  }
  CFArrayCallBacks mCallBacks{}; // all NULL: raw pointers, compared by identity
  bool mMutable = false;
  std::vector<const void*> mValues;
};

namespace {

bool ValuesEqual(const __CFArray* a, const void* x, const void* y)
{
  if (x == y) return true;
  return a->mCallBacks.equal && a->mCallBacks.equal(x, y);
}

bool EqualArrays(CFTypeRef a, CFTypeRef b)
{
  const auto* x = static_cast<const __CFArray*>(a);
  const auto* y = static_cast<const __CFArray*>(b);
  if (x->mValues.size() != y->mValues.size() || x->mCallBacks.equal != y->mCallBacks.equal) return false;
  for (size_t i = 0; i < x->mValues.size(); ++i)
    if (!ValuesEqual(x, x->mValues[i], y->mValues[i])) return false;
  return true;
}

std::string DescribeArray(CFTypeRef a)
{
  const auto* x = static_cast<const __CFArray*>(a);
  std::string text = "(";
  for (size_t i = 0; i < x->mValues.size(); ++i) {
    text += i ? ", " : "";
    if (x->mCallBacks.copyDescription) {
      CFStringRef d = x->mCallBacks.copyDescription(x->mValues[i]);
      text += d ? CFRuntimeStringText(d) : "";
      if (d) CFRelease(d);
    } else {
      char address[32];
      std::snprintf(address, sizeof address, "%p", x->mValues[i]);
      text += address;
    }
  }
  return text + ")";
}

const CFRuntimeClass kArrayClass = {"CFArray", kCFRuntimeArrayTypeID, CFRuntimeFinalize<__CFArray>, EqualArrays,
                                    nullptr,   DescribeArray};

__CFArray* Checked(CFArrayRef array, const char* function)
{
  __CFArray* a = CFRuntimeCast<__CFArray>(array, &kArrayClass);
  if (!a) CFRuntimeFatal(function, "not an array");
  return a;
}

__CFArray* CheckedMutable(CFMutableArrayRef array, const char* function)
{
  __CFArray* a = Checked(array, function);
  if (!a->mMutable) CFRuntimeFatal(function, "array is immutable");
  return a;
}

__CFArray* Make(CFAllocatorRef allocator, CFIndex capacity, const CFArrayCallBacks* callBacks)
{
  __CFArray* a = CFRuntimeCreate<__CFArray>(allocator, &kArrayClass);
  if (!a) return nullptr;
  if (callBacks) a->mCallBacks = *callBacks;
  if (capacity > 0) a->mValues.reserve(static_cast<size_t>(capacity));
  return a;
}

void Append(__CFArray* a, const void* value)
{
  a->mValues.push_back(a->mCallBacks.retain ? a->mCallBacks.retain(a->mAllocator, value) : value);
}

} // namespace

CFTypeID CFArrayGetTypeID(void)
{
  return kCFRuntimeArrayTypeID;
}

CFArrayRef CFArrayCreate(CFAllocatorRef allocator, const void** values, CFIndex numValues,
                         const CFArrayCallBacks* callBacks)
{
  if (numValues < 0 || (numValues > 0 && !values)) return nullptr;
  __CFArray* a = Make(allocator, numValues, callBacks);
  if (a)
    for (CFIndex i = 0; i < numValues; ++i) Append(a, values[i]);
  return a;
}

CFMutableArrayRef CFArrayCreateMutable(CFAllocatorRef allocator, CFIndex capacity, const CFArrayCallBacks* callBacks)
{
  if (capacity < 0) return nullptr;
  __CFArray* a = Make(allocator, capacity, callBacks);
  if (a) a->mMutable = true;
  return a;
}

CFIndex CFArrayGetCount(CFArrayRef theArray)
{
  return static_cast<CFIndex>(Checked(theArray, "CFArrayGetCount")->mValues.size());
}

const void* CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx)
{
  const __CFArray* a = Checked(theArray, "CFArrayGetValueAtIndex");
  if (idx < 0 || static_cast<size_t>(idx) >= a->mValues.size()) return nullptr;
  return a->mValues[static_cast<size_t>(idx)];
}

void CFArrayAppendValue(CFMutableArrayRef theArray, const void* value)
{
  Append(CheckedMutable(theArray, "CFArrayAppendValue"), value);
}

void CFArrayRemoveValueAtIndex(CFMutableArrayRef theArray, CFIndex idx)
{
  __CFArray* a = CheckedMutable(theArray, "CFArrayRemoveValueAtIndex");
  if (idx < 0 || static_cast<size_t>(idx) >= a->mValues.size()) return;
  const void* value = a->mValues[static_cast<size_t>(idx)];
  a->mValues.erase(a->mValues.begin() + idx);
  if (a->mCallBacks.release) a->mCallBacks.release(a->mAllocator, value);
}

CFIndex CFArrayGetFirstIndexOfValue(CFArrayRef theArray, CFRange range, const void* value)
{
  const __CFArray* a = Checked(theArray, "CFArrayGetFirstIndexOfValue");
  const CFIndex count = static_cast<CFIndex>(a->mValues.size());
  if (range.location < 0 || range.length < 0 || range.location > count || range.length > count - range.location)
    return kCFNotFound;
  for (CFIndex i = range.location; i < range.location + range.length; ++i)
    if (ValuesEqual(a, a->mValues[static_cast<size_t>(i)], value)) return i;
  return kCFNotFound;
}
