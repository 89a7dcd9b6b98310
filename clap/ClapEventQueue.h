#pragma once
// ClapEventQueue: what the editor tells the host (gesture begin, value, gesture end), carried from the
// editor's thread to whichever thread next hands events to the host (process on the audio thread,
// flush on either). One writer and one reader at a time; the ABI never runs process and flush at once,
// so the reader side may move between threads. Fixed capacity, no allocation after construction, no
// lock: a full queue drops the newest entry (the host then misses one intermediate value of a drag,
// never the end of a gesture it saw begin, which is kept room for).
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

struct ClapHostEvent
{
  enum EKind : uint8_t { kGestureBegin, kValue, kGestureEnd };
  EKind mKind = kValue;
  uint32_t mParamID = 0;
  double mValue = 0.0; // plain value, for kValue
};

class ClapEventQueue
{
public:
  explicit ClapEventQueue(size_t capacity) : mSlots(capacity + 1) {}

  // Writer side. Values leave two slots free, so that a gesture begun can always end.
  bool Push(const ClapHostEvent& event)
  {
    const size_t head = mHead.load(std::memory_order_relaxed);
    const size_t tail = mTail.load(std::memory_order_acquire);
    const size_t used = (head + mSlots.size() - tail) % mSlots.size();
    const size_t reserve =
        event.mKind == ClapHostEvent::kGestureEnd ? 0 : (event.mKind == ClapHostEvent::kValue ? 2 : 1);
    if (used + 1 + reserve > mSlots.size() - 1) return false;
    mSlots[head] = event;
    mHead.store((head + 1) % mSlots.size(), std::memory_order_release);
    return true;
  }

  // Reader side: the oldest entry, left in place until Pop.
  bool Peek(ClapHostEvent* out) const
  {
    const size_t tail = mTail.load(std::memory_order_relaxed);
    if (tail == mHead.load(std::memory_order_acquire)) return false;
    *out = mSlots[tail];
    return true;
  }
  void Pop() { mTail.store((mTail.load(std::memory_order_relaxed) + 1) % mSlots.size(), std::memory_order_release); }
  bool Empty() const { return mTail.load(std::memory_order_acquire) == mHead.load(std::memory_order_acquire); }

private:
  std::vector<ClapHostEvent> mSlots;
  std::atomic<size_t> mHead{0}; // next slot the writer fills
  std::atomic<size_t> mTail{0}; // next slot the reader takes
};
