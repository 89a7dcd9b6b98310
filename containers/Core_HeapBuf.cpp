#include "containers/Core_HeapBuf.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

Core_HeapBuf::Core_HeapBuf(int granularity, int minAllocSize)
    : mGranularity(granularity > 0 ? granularity : 1), mMinAlloc(minAllocSize > 0 ? minAllocSize : 0)
{}

Core_HeapBuf::~Core_HeapBuf()
{
  std::free(mBuf);
}

Core_HeapBuf::Core_HeapBuf(Core_HeapBuf&& other) noexcept
    : mBuf(std::exchange(other.mBuf, nullptr)), mGranularity(other.mGranularity),
      mAlloc(std::exchange(other.mAlloc, 0)), mSize(std::exchange(other.mSize, 0)), mMinAlloc(other.mMinAlloc)
{}

Core_HeapBuf& Core_HeapBuf::operator=(Core_HeapBuf&& other) noexcept
{
  if (this != &other) {
    std::free(mBuf);
    mBuf = std::exchange(other.mBuf, nullptr);
    mAlloc = std::exchange(other.mAlloc, 0);
    mSize = std::exchange(other.mSize, 0);
    mGranularity = other.mGranularity;
    mMinAlloc = other.mMinAlloc;
  }
  return *this;
}

long long Core_HeapBuf::AllocationFor(int newsize) const
{
  long long alloc = 0;
  if (newsize > 0) {
    long long c = std::max<long long>(newsize / 2, mGranularity);
    if (mGranularity > 4095) {
      c &= ~4095LL;
      c = std::min<long long>(std::max<long long>(c, 4096), 0x400000);
      alloc = ((static_cast<long long>(newsize) + c + 96) & ~4095LL) - 96;
    } else {
      alloc = static_cast<long long>(newsize) + c;
    }
  }
  alloc = std::max<long long>(alloc, mMinAlloc);
  // Sizes near INT_MAX cannot be represented; such a request simply fails.
  return alloc > INT_MAX ? -1 : alloc;
}

void* Core_HeapBuf::Resize(int newsize, bool allowShrink)
{
  if (newsize < 0) newsize = 0;
  if (newsize == mSize) return newsize ? mBuf : nullptr;

  long long threshold = 0;
  if (allowShrink && newsize < mSize) {
    threshold = std::min<long long>(static_cast<long long>(mAlloc) - 4LL * mGranularity, mAlloc / 2);
    if (threshold < 1) threshold = 1;
  }

  if (newsize > mAlloc || newsize < threshold) {
    const long long alloc = AllocationFor(newsize);
    if (alloc < 0) return mSize ? mBuf : nullptr;
    if (alloc == 0) {
      std::free(mBuf);
      mBuf = nullptr;
      mAlloc = mSize = 0;
      return nullptr;
    }
    void* grown = std::realloc(mBuf, static_cast<size_t>(alloc));
    if (!grown) {
      // Some allocators refuse to move a block in place; try a fresh one.
      grown = std::malloc(static_cast<size_t>(alloc));
      if (!grown) return mSize ? mBuf : nullptr;
      if (mBuf) std::memcpy(grown, mBuf, static_cast<size_t>(std::min(mSize, newsize)));
      std::free(mBuf);
    }
    mBuf = grown;
    mAlloc = static_cast<int>(alloc);
  }
  mSize = newsize;
  return newsize ? mBuf : nullptr;
}

bool Core_HeapBuf::CopyFrom(const Core_HeapBuf& other)
{
  if (this == &other) return true;
  const int n = other.mSize;
  Resize(n, false);
  if (mSize != n) return false;
  if (n) std::memcpy(mBuf, other.mBuf, static_cast<size_t>(n));
  return true;
}
