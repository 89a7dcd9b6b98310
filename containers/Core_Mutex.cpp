#include "containers/Core_Mutex.h"

namespace {
// The thread's pthread handle serves as its identity: unique among live threads and never null. Not a
// thread-local: in a dynamically loaded bundle the first touch of one on a new audio thread allocates
// its block, and leak checkers mishandle those blocks.
const void* CurrentThreadId()
{
  return reinterpret_cast<const void*>(pthread_self());
}
} // namespace

Core_Mutex::Core_Mutex() : mOwner(nullptr)
{
  pthread_mutex_init(&mMutex, nullptr);
}

Core_Mutex::~Core_Mutex()
{
  pthread_mutex_destroy(&mMutex);
}

bool Core_Mutex::IsHeldByCurrentThread() const
{
  return mOwner.load(std::memory_order_relaxed) == CurrentThreadId();
}

void Core_Mutex::Enter()
{
  if (IsHeldByCurrentThread()) {
    ++mCount;
    return;
  }
  pthread_mutex_lock(&mMutex);
  mOwner.store(CurrentThreadId(), std::memory_order_relaxed);
  mCount = 0;
}

void Core_Mutex::Leave()
{
  // A Leave without a matching Enter by this thread would unlock someone else's lock.
  if (!IsHeldByCurrentThread()) return;
  if (--mCount < 0) {
    mOwner.store(nullptr, std::memory_order_relaxed);
    mCount = 0;
    pthread_mutex_unlock(&mMutex);
  }
}
