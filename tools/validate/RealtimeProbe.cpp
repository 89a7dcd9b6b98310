// The interception behind RealtimeProbe. Counters are plain thread-local words: the functions here
// run inside malloc and must themselves neither allocate nor lock.
#include "tools/validate/RealtimeProbe.h"

#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define BRINDLE_PROBE_SANITIZER_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define BRINDLE_PROBE_SANITIZER_HOOKS 1
#endif
#endif

#ifdef BRINDLE_PROBE_SANITIZER_HOOKS
// The sanitizer runtimes' allocation hooks. Declared here because GCC ships no
// <sanitizer/allocator_interface.h>; the signature is the runtimes' own.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*mallocHook)(const volatile void*, size_t),
                                                         void (*freeHook)(const volatile void*));
#endif

namespace {

thread_local bool tArmed = false;
thread_local RealtimeCounts tCounts;

void CountAllocation()
{
  if (tArmed) ++tCounts.allocations;
}
void CountFree(const volatile void* p)
{
  if (tArmed && p) ++tCounts.frees;
}

using LockFunction = int (*)(pthread_mutex_t*);
std::atomic<LockFunction> sRealLock{nullptr};
std::atomic<LockFunction> sRealTryLock{nullptr};

// The next definitions in the lookup order: the C library's, or a sanitizer's interceptor. Threads
// racing here store the same values.
LockFunction RealLock()
{
  LockFunction f = sRealLock.load(std::memory_order_relaxed);
  if (!f) {
    f = reinterpret_cast<LockFunction>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
    sRealLock.store(f, std::memory_order_relaxed);
  }
  return f;
}
LockFunction RealTryLock()
{
  LockFunction f = sRealTryLock.load(std::memory_order_relaxed);
  if (!f) {
    f = reinterpret_cast<LockFunction>(dlsym(RTLD_NEXT, "pthread_mutex_trylock"));
    sRealTryLock.store(f, std::memory_order_relaxed);
  }
  return f;
}

#ifdef BRINDLE_PROBE_SANITIZER_HOOKS
void MallocHook(const volatile void*, size_t)
{
  CountAllocation();
}
void FreeHook(const volatile void* p)
{
  CountFree(p);
}
const bool sHooked = __sanitizer_install_malloc_and_free_hooks(MallocHook, FreeHook) != 0;
#else
const bool sHooked = true;
#endif

} // namespace

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex)
{
  if (!tArmed) return RealLock()(mutex);
  ++tCounts.locks;
  // Trying first tells an uncontended acquisition from one that had to wait.
  const int tried = RealTryLock()(mutex);
  if (tried != EBUSY) return tried;
  ++tCounts.contendedLocks;
  return RealLock()(mutex);
}

#ifndef BRINDLE_PROBE_SANITIZER_HOOKS
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);

void* malloc(size_t size)
{
  CountAllocation();
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size)
{
  CountAllocation();
  return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size)
{
  CountAllocation();
  if (p && size) CountFree(p);
  return __libc_realloc(p, size);
}
void free(void* p)
{
  CountFree(p);
  __libc_free(p);
}
}

// operator new and delete come here explicitly, whatever the C++ library does underneath.
void* operator new(size_t size)
{
  if (void* p = malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size)
{
  return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
  return malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
  return malloc(size ? size : 1);
}
void operator delete(void* p) noexcept
{
  free(p);
}
void operator delete[](void* p) noexcept
{
  free(p);
}
void operator delete(void* p, size_t) noexcept
{
  free(p);
}
void operator delete[](void* p, size_t) noexcept
{
  free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
  free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
  free(p);
}
#endif

RealtimeProbe::RealtimeProbe()
{
  // Resolved before counting starts: the lookup itself may allocate.
  RealLock();
  RealTryLock();
  tCounts = RealtimeCounts();
  tArmed = true;
}

RealtimeProbe::~RealtimeProbe()
{
  tArmed = false;
}

RealtimeCounts RealtimeProbe::Counts() const
{
  return tCounts;
}

void RealtimeProbe::Pause()
{
  tArmed = false;
}
void RealtimeProbe::Resume()
{
  tArmed = true;
}

bool RealtimeProbe::CountsAllocations()
{
  return sHooked;
}
