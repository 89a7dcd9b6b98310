/*
 * CFRuntime.h — the object model behind the CoreFoundation stand-in (internal to the platform
 * library). Every object starts with __CFRuntimeBase: its class, an atomic retain count and the
 * allocator whose memory holds it. Objects are C++ structs built in that memory with placement new
 * and destroyed when the count reaches zero.
 */
#ifndef BRINDLE_PLATFORM_CFRUNTIME_H
#define BRINDLE_PLATFORM_CFRUNTIME_H

#include <atomic>
#include <new>
#include <string>
#include <utility>

#include <CoreFoundation/CFBase.h>

struct __CFRuntimeBase;

struct CFRuntimeClass
{
  const char* mName;
  CFTypeID mTypeID;
  void (*mFinalize)(__CFRuntimeBase* object); // runs the object's destructor
  bool (*mEqual)(CFTypeRef a, CFTypeRef b);   // NULL: identity
  CFHashCode (*mHash)(CFTypeRef object);      // NULL: address
  std::string (*mDescribe)(CFTypeRef object); // NULL: "<name 0x...>"
};

struct __CFRuntimeBase
{
  const CFRuntimeClass* mClass = nullptr;
  std::atomic<CFIndex> mRetainCount{1};
  CFAllocatorRef mAllocator = nullptr; // retained unless it is a built-in allocator
  bool mImmortal = false;              // constants: never freed, retain/release do nothing
};

enum CFRuntimeTypeID : CFTypeID {
  kCFRuntimeAllocatorTypeID = 2,
  kCFRuntimeStringTypeID = 7,
  kCFRuntimeNumberTypeID = 22,
  kCFRuntimeDataTypeID = 20,
  kCFRuntimeArrayTypeID = 19,
  kCFRuntimeDictionaryTypeID = 18,
  kCFRuntimeURLTypeID = 29,
  kCFRuntimeBundleTypeID = 31
};

// Memory from the allocator (NULL = system); NULL when it has none.
void* CFRuntimeAllocate(CFAllocatorRef allocator, size_t size);
void CFRuntimeRetainAllocator(CFAllocatorRef allocator);

template <class T>
void CFRuntimeFinalize(__CFRuntimeBase* object)
{
  static_cast<T*>(object)->~T();
}

// Builds a T (derived from __CFRuntimeBase) in the allocator's memory with a retain count of one.
template <class T, class... Args>
T* CFRuntimeCreate(CFAllocatorRef allocator, const CFRuntimeClass* cls, Args&&... args)
{
  void* memory = CFRuntimeAllocate(allocator, sizeof(T));
  if (!memory) return nullptr;
  T* object = new (memory) T(std::forward<Args>(args)...);
  object->mClass = cls;
  object->mAllocator = allocator;
  CFRuntimeRetainAllocator(allocator);
  return object;
}

// The object as its class, or NULL when it is NULL or of another class.
template <class T>
T* CFRuntimeCast(CFTypeRef object, const CFRuntimeClass* cls)
{
  auto* base = static_cast<__CFRuntimeBase*>(const_cast<void*>(object));
  return (base && base->mClass == cls) ? static_cast<T*>(base) : nullptr;
}

// A new string object holding UTF-8 text (no validation; the text must be valid UTF-8).
CFStringRef CFRuntimeCreateString(CFAllocatorRef allocator, std::string text);
// The UTF-8 text of a string object ("" for NULL or another class).
const std::string& CFRuntimeStringText(CFStringRef string);
// The text CFCopyDescription would give.
std::string CFRuntimeDescribe(CFTypeRef object);

// Stops the process with a message: for misuse that would crash on a Mac too.
[[noreturn]] void CFRuntimeFatal(const char* function, const char* message);

#endif
