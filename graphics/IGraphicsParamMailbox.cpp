#include "graphics/IGraphicsParamMailbox.h"

IGraphicsParamMailbox::~IGraphicsParamMailbox()
{
  for (auto& chunk : mChunks) delete chunk.load(std::memory_order_relaxed);
}

void IGraphicsParamMailbox::Reserve(int count)
{
  if (count > kMaxSlots) count = kMaxSlots;
  const int have = Capacity();
  if (count <= have) return;
  for (int c = have / kChunkSize, last = (count - 1) / kChunkSize; c <= last; ++c) {
    if (!mChunks[c].load(std::memory_order_relaxed)) mChunks[c].store(new Chunk, std::memory_order_release);
  }
  // Published after the chunks, so a poster that sees the new capacity also sees its chunks.
  mCapacity.store((count + kChunkSize - 1) / kChunkSize * kChunkSize, std::memory_order_release);
}

bool IGraphicsParamMailbox::Post(int index, double value)
{
  if (index < 0 || index >= Capacity()) return false;
  Slot& slot = SlotAt(index);
  slot.mValue.store(value, std::memory_order_relaxed);
  slot.mPending.store(true, std::memory_order_release);
  mAnyPending.store(true, std::memory_order_release);
  return true;
}

void IGraphicsParamMailbox::Drop(int index)
{
  if (index < 0 || index >= Capacity()) return;
  // mAnyPending stays as it is: Take finds nothing in this slot and moves on.
  SlotAt(index).mPending.store(false, std::memory_order_release);
}

void IGraphicsParamMailbox::Clear()
{
  mAnyPending.store(false, std::memory_order_relaxed);
  for (int i = 0, n = Capacity(); i < n; ++i) SlotAt(i).mPending.store(false, std::memory_order_relaxed);
}
