// RealtimeProbe: counts what a thread does that a render thread must not do (allocate, free, take a
// lock) while a probe scope is open on it.
//
// Every program that links the tools library gets the interception: malloc, calloc, realloc, free,
// operator new and delete, and pthread_mutex_lock are defined here and forward to the C library's
// own (in sanitizer builds the sanitizer's allocator hooks count allocations instead, and the lock
// forwards to the sanitizer's interceptor). Outside a scope nothing is counted and nothing changes.
// The program exports these symbols, so a component bundle loaded at run time calls them too.
//
//   RealtimeProbe probe;              // counting starts on this thread
//   ... renders ...
//   RealtimeCounts c = probe.Counts(); // allocations, frees, locks, contended locks so far
//
// Only the opening thread is counted; scopes do not nest.
#pragma once

struct RealtimeCounts
{
  long allocations = 0;
  long frees = 0;
  long locks = 0;          // pthread_mutex_lock calls
  long contendedLocks = 0; // of those, the ones that found the mutex held by another thread
};

class RealtimeProbe
{
public:
  RealtimeProbe();
  ~RealtimeProbe();
  RealtimeProbe(const RealtimeProbe&) = delete;
  RealtimeProbe& operator=(const RealtimeProbe&) = delete;

  RealtimeCounts Counts() const;
  // Pauses counting on this thread (for the probe's own bookkeeping between measured calls).
  void Pause();
  void Resume();

  // Whether allocations are seen in this build (false only if the sanitizer refused the hooks).
  static bool CountsAllocations();
};
