#pragma once
// Core_TypedBuf: a Core_HeapBuf viewed as an array of T.
//
// T must be trivially copyable: elements move with the raw bytes when the buffer
// grows. Sizes count elements; a size whose byte count would not fit an int is
// refused and leaves the buffer unchanged.

#include <climits>
#include <cstring>
#include <type_traits>

#include "containers/Core_HeapBuf.h"

template <class T>
class Core_TypedBuf
{
  static_assert(std::is_trivially_copyable<T>::value, "Core_TypedBuf holds raw elements");

public:
  explicit Core_TypedBuf(int granularity = 4096) : mHeap(granularity) {}

  T* Get() const { return static_cast<T*>(mHeap.Get()); }
  int GetSize() const { return mHeap.GetSize() / static_cast<int>(sizeof(T)); }

  // Returns the elements, or null for size 0 or when storage could not be had.
  T* Resize(int newsize, bool allowShrink = true)
  {
    if (newsize < 0) newsize = 0;
    if (static_cast<long long>(newsize) * static_cast<long long>(sizeof(T)) > INT_MAX) return nullptr;
    mHeap.Resize(newsize * static_cast<int>(sizeof(T)), allowShrink);
    return GetSize() == newsize && newsize ? Get() : nullptr;
  }

  // Appends one element; returns a pointer to it, or null when out of memory.
  T* Add(const T& value)
  {
    const int n = GetSize();
    if (!Resize(n + 1, false)) return nullptr;
    T* slot = Get() + n;
    std::memcpy(static_cast<void*>(slot), &value, sizeof(T));
    return slot;
  }

  // Sets every element's bytes to zero.
  void Zero()
  {
    if (GetSize()) std::memset(static_cast<void*>(Get()), 0, sizeof(T) * static_cast<size_t>(GetSize()));
  }

  Core_HeapBuf& GetHeap() { return mHeap; }
  const Core_HeapBuf& GetHeap() const { return mHeap; }

private:
  Core_HeapBuf mHeap;
};
