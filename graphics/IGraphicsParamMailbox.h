#pragma once
// IGraphicsParamMailbox: values handed to the editor from threads other than its user-interface thread.
//
// A host may set parameters on any thread, its audio thread included. Such a thread must not touch the
// controls (the user-interface thread reads and draws them) and must not allocate or lock, so it only
// posts the value here: one slot per index, the latest value wins. The user-interface thread takes the
// posted values, in index order, before it looks for stale controls.
//
// Slots live in fixed-size chunks that are never moved or freed while the mailbox exists, so growing it
// (on the user-interface thread) never disturbs a concurrent Post: a poster sees either the new chunk or
// none, and a post to an index that has no slot yet is dropped. Posting is wait-free: two relaxed or
// release stores and one load per call.

#include <atomic>
#include <memory>

class IGraphicsParamMailbox
{
public:
  static constexpr int kChunkSize = 64;
  static constexpr int kMaxChunks = 1024;
  static constexpr int kMaxSlots = kChunkSize * kMaxChunks; // posts beyond this many indices are dropped

  IGraphicsParamMailbox() = default;
  ~IGraphicsParamMailbox();

  IGraphicsParamMailbox(const IGraphicsParamMailbox&) = delete;
  IGraphicsParamMailbox& operator=(const IGraphicsParamMailbox&) = delete;

  // User-interface thread only: makes sure indices 0..count-1 have slots. Never shrinks.
  void Reserve(int count);
  int Capacity() const { return mCapacity.load(std::memory_order_acquire); }

  // Any thread, real-time safe. False when index has no slot (the value is dropped).
  bool Post(int index, double value);

  // User-interface thread only: calls apply(index, value) for every posted slot in index order and empties
  // it. Returns the number of values applied.
  template <class Apply>
  int Take(Apply&& apply)
  {
    if (!mAnyPending.exchange(false, std::memory_order_acq_rel)) return 0;
    int applied = 0;
    const int n = Capacity();
    for (int i = 0; i < n; ++i) {
      Slot& slot = SlotAt(i);
      if (!slot.mPending.exchange(false, std::memory_order_acq_rel)) continue;
      apply(i, slot.mValue.load(std::memory_order_relaxed));
      ++applied;
    }
    return applied;
  }

  // User-interface thread only: forgets the value posted for index, if any. For a value set on the
  // user-interface thread, which is newer than anything posted before it; a post that races with the drop
  // is newer still and may stay.
  void Drop(int index);

  // User-interface thread only: forgets every posted value.
  void Clear();

private:
  struct Slot
  {
    std::atomic<double> mValue{0.0};
    std::atomic<bool> mPending{false};
  };
  struct Chunk
  {
    Slot mSlots[kChunkSize];
  };
  static_assert(std::atomic<double>::is_always_lock_free, "posting must not take a lock");

  Slot& SlotAt(int i) { return mChunks[i / kChunkSize].load(std::memory_order_acquire)->mSlots[i % kChunkSize]; }

  std::atomic<Chunk*> mChunks[kMaxChunks] = {};
  std::atomic<int> mCapacity{0};
  std::atomic<bool> mAnyPending{false};
};
