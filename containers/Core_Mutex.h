#pragma once
// Core_Mutex: a recursive lock over a POSIX mutex. A thread that already holds it
// may enter again; it is released when every Enter has been matched by a Leave.
// Core_MutexLock holds a Core_Mutex for the lifetime of a scope.

#include <pthread.h>

#include <atomic>

class Core_Mutex
{
public:
  Core_Mutex();
  ~Core_Mutex();

  Core_Mutex(const Core_Mutex&) = delete;
  Core_Mutex& operator=(const Core_Mutex&) = delete;

  void Enter();
  void Leave();

  // True when the calling thread holds the lock.
  bool IsHeldByCurrentThread() const;

private:
  pthread_mutex_t mMutex;
  // Identity of the holding thread, null when free. Read by every thread that
  // tries to enter (to spot re-entry) but written only by the holder, so a thread
  // can only ever find its own identity here while it really holds the lock;
  // atomic so that the unlocked read is well defined.
  std::atomic<const void*> mOwner;
  int mCount = 0; // extra entries beyond the first; touched only by the holder
};

class Core_MutexLock
{
public:
  explicit Core_MutexLock(Core_Mutex& mutex) : mMutex(mutex) { mMutex.Enter(); }
  ~Core_MutexLock() { mMutex.Leave(); }
  Core_MutexLock(const Core_MutexLock&) = delete;
  Core_MutexLock& operator=(const Core_MutexLock&) = delete;

private:
  Core_Mutex& mMutex;
};
