#pragma once
// Core_HeapBuf: a growable block of bytes with a fixed growth and shrink policy.
//
// Growing over-allocates (by half the new size, at least the granularity) so that
// repeated appends stay cheap; large granularities (4096 and up) round the block to
// whole pages less a small header allowance. Shrinking keeps the block unless the
// caller allows it and the new size falls well below what is allocated. Nothing
// throws: a failed allocation leaves the buffer exactly as it was.

class Core_HeapBuf
{
public:
  explicit Core_HeapBuf(int granularity = 4096, int minAllocSize = 0);
  ~Core_HeapBuf();

  Core_HeapBuf(const Core_HeapBuf&) = delete;
  Core_HeapBuf& operator=(const Core_HeapBuf&) = delete;
  Core_HeapBuf(Core_HeapBuf&& other) noexcept;
  Core_HeapBuf& operator=(Core_HeapBuf&& other) noexcept;

  void* Get() const { return mBuf; }
  int GetSize() const { return mSize; }
  int GetAllocated() const { return mAlloc; }
  int GetGranularity() const { return mGranularity; }
  void SetGranularity(int granularity) { mGranularity = granularity > 0 ? granularity : 1; }
  void SetMinAllocSize(int size) { mMinAlloc = size > 0 ? size : 0; }

  // Sets the used size to newsize (negative counts as 0) and returns the data, or
  // null when the size is 0. When storage cannot be had the buffer is unchanged and
  // the old data (null when empty) is returned; callers compare GetSize().
  void* Resize(int newsize, bool allowShrink = true);

  // Makes this buffer a byte copy of other (sizes equal); false when out of memory.
  bool CopyFrom(const Core_HeapBuf& other);

  // Allocated size the growth policy picks for newsize bytes, or -1 when that size
  // would not fit an int. Exposed for the policy's tests.
  long long AllocationFor(int newsize) const;

private:
  void* mBuf = nullptr;
  int mGranularity;
  int mAlloc = 0;
  int mSize = 0;
  int mMinAlloc;
};
