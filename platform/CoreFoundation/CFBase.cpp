// Allocators and the generic object calls: retain counts, equality, hashing and descriptions.
#include <CoreFoundation/CFRuntime.h>
#include <CoreFoundation/CFString.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

enum class AllocatorKind { kSystem, kNull, kCustom };

} // namespace

struct __CFAllocator : __CFRuntimeBase
{
  AllocatorKind mKind = AllocatorKind::kSystem;
  CFAllocatorContext mContext{};
};

namespace {

std::string DescribeAllocator(CFTypeRef object)
{
  char text[64];
  std::snprintf(text, sizeof text, "<CFAllocator %p>", object);
  return text;
}

void FinalizeAllocator(__CFRuntimeBase* object)
{
  auto* allocator = static_cast<__CFAllocator*>(object);
  if (allocator->mContext.release) allocator->mContext.release(allocator->mContext.info);
  allocator->~__CFAllocator();
}

const CFRuntimeClass kAllocatorClass = {"CFAllocator", kCFRuntimeAllocatorTypeID, FinalizeAllocator, nullptr,
                                        nullptr,       DescribeAllocator};

__CFAllocator* MakeBuiltIn(AllocatorKind kind)
{
  static_assert(sizeof(__CFAllocator) > 0, "");
  auto* allocator = new __CFAllocator(); // built-in allocators live as long as the process
  allocator->mClass = &kAllocatorClass;
  allocator->mImmortal = true;
  allocator->mKind = kind;
  return allocator;
}

__CFAllocator* SystemAllocator()
{
  static __CFAllocator* const sSystem = MakeBuiltIn(AllocatorKind::kSystem);
  return sSystem;
}

__CFAllocator* NullAllocator()
{
  static __CFAllocator* const sNull = MakeBuiltIn(AllocatorKind::kNull);
  return sNull;
}

const __CFAllocator* Resolve(CFAllocatorRef allocator)
{
  return allocator ? allocator : SystemAllocator();
}

__CFRuntimeBase* Base(CFTypeRef cf)
{
  return static_cast<__CFRuntimeBase*>(const_cast<void*>(cf));
}

} // namespace

const CFAllocatorRef kCFAllocatorSystemDefault = SystemAllocator();
const CFAllocatorRef kCFAllocatorNull = NullAllocator();

void CFRuntimeFatal(const char* function, const char* message)
{
  std::fprintf(stderr, "CoreFoundation: %s: %s\n", function, message);
  std::abort();
}

void* CFRuntimeAllocate(CFAllocatorRef allocator, size_t size)
{
  return CFAllocatorAllocate(allocator, static_cast<CFIndex>(size), 0);
}

void CFRuntimeRetainAllocator(CFAllocatorRef allocator)
{
  if (allocator) CFRetain(allocator);
}

CFTypeID CFAllocatorGetTypeID(void)
{
  return kCFRuntimeAllocatorTypeID;
}

CFAllocatorRef CFAllocatorCreate(CFAllocatorRef allocator, CFAllocatorContext* context)
{
  if (!context || !context->allocate || !context->deallocate) return nullptr;
  auto* created = CFRuntimeCreate<__CFAllocator>(allocator, &kAllocatorClass);
  if (!created) return nullptr;
  created->mKind = AllocatorKind::kCustom;
  created->mContext = *context;
  if (context->retain) created->mContext.info = const_cast<void*>(context->retain(context->info));
  return created;
}

void* CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags hint)
{
  if (size <= 0) return nullptr;
  const __CFAllocator* a = Resolve(allocator);
  switch (a->mKind) {
  case AllocatorKind::kSystem:
    return std::malloc(static_cast<size_t>(size));
  case AllocatorKind::kNull:
    return nullptr;
  case AllocatorKind::kCustom:
    return a->mContext.allocate(size, hint, a->mContext.info);
  }
  return nullptr;
}

void CFAllocatorDeallocate(CFAllocatorRef allocator, void* ptr)
{
  if (!ptr) return;
  const __CFAllocator* a = Resolve(allocator);
  switch (a->mKind) {
  case AllocatorKind::kSystem:
    std::free(ptr);
    break;
  case AllocatorKind::kNull:
    break;
  case AllocatorKind::kCustom:
    a->mContext.deallocate(ptr, a->mContext.info);
    break;
  }
}

CFTypeRef CFRetain(CFTypeRef cf)
{
  if (!cf) CFRuntimeFatal("CFRetain", "called with NULL");
  __CFRuntimeBase* base = Base(cf);
  if (!base->mImmortal) base->mRetainCount.fetch_add(1, std::memory_order_relaxed);
  return cf;
}

void CFRelease(CFTypeRef cf)
{
  if (!cf) CFRuntimeFatal("CFRelease", "called with NULL");
  __CFRuntimeBase* base = Base(cf);
  if (base->mImmortal) return;
  const CFIndex before = base->mRetainCount.fetch_sub(1, std::memory_order_acq_rel);
  if (before <= 0) CFRuntimeFatal("CFRelease", "object released more often than retained");
  if (before != 1) return;
  CFAllocatorRef allocator = base->mAllocator;
  base->mClass->mFinalize(base);
  CFAllocatorDeallocate(allocator, base);
  if (allocator) CFRelease(allocator);
}

CFIndex CFGetRetainCount(CFTypeRef cf)
{
  if (!cf) CFRuntimeFatal("CFGetRetainCount", "called with NULL");
  const __CFRuntimeBase* base = Base(cf);
  return base->mImmortal ? LONG_MAX : base->mRetainCount.load(std::memory_order_relaxed);
}

CFTypeID CFGetTypeID(CFTypeRef cf)
{
  if (!cf) CFRuntimeFatal("CFGetTypeID", "called with NULL");
  return Base(cf)->mClass->mTypeID;
}

Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2)
{
  if (!cf1 || !cf2) CFRuntimeFatal("CFEqual", "called with NULL");
  if (cf1 == cf2) return true;
  const CFRuntimeClass* cls = Base(cf1)->mClass;
  if (cls != Base(cf2)->mClass || !cls->mEqual) return false;
  return cls->mEqual(cf1, cf2);
}

CFHashCode CFHash(CFTypeRef cf)
{
  if (!cf) CFRuntimeFatal("CFHash", "called with NULL");
  const CFRuntimeClass* cls = Base(cf)->mClass;
  return cls->mHash ? cls->mHash(cf) : reinterpret_cast<CFHashCode>(cf);
}

std::string CFRuntimeDescribe(CFTypeRef object)
{
  if (!object) return "(null)";
  const CFRuntimeClass* cls = Base(object)->mClass;
  if (cls->mDescribe) return cls->mDescribe(object);
  char text[96];
  std::snprintf(text, sizeof text, "<%s %p>", cls->mName, object);
  return text;
}

CFStringRef CFCopyDescription(CFTypeRef cf)
{
  if (!cf) CFRuntimeFatal("CFCopyDescription", "called with NULL");
  return CFRuntimeCreateString(kCFAllocatorDefault, CFRuntimeDescribe(cf));
}
