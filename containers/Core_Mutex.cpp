#include "containers/Core_Mutex.h"

namespace {
// A per-thread address serves as the thread's identity: unique among live threads,
// never null, and cheaper to compare than pthread ids.
const void* CurrentThreadId()
{
  static thread_local char tag;
  return &tag;
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
