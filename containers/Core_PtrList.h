#pragma once
// Core_PtrList: a growable array of pointers to T.
//
// The list does not own its items by itself: removal operations take a flag saying
// whether to delete the removed items (with `delete`, or with the given deleter).
// When emptying with deletion, items go from last to first and each is dropped from
// the list before it is deleted, so the list never holds a freed pointer.

#include <cstring>

#include "containers/Core_HeapBuf.h"

template <class T>
class Core_PtrList
{
public:
  explicit Core_PtrList(int granularity = 64) : mHeap(granularity) {}

  Core_PtrList(const Core_PtrList&) = delete;
  Core_PtrList& operator=(const Core_PtrList&) = delete;

  T** GetList() const { return static_cast<T**>(mHeap.Get()); }
  int GetSize() const { return mHeap.GetSize() / static_cast<int>(sizeof(T*)); }

  // The item at index, or null outside the list.
  T* Get(int index) const { return index >= 0 && index < GetSize() ? GetList()[index] : nullptr; }
  T* GetLast() const { return Get(GetSize() - 1); }

  // Appends item; returns it, or null when the list could not grow.
  T* Add(T* item)
  {
    const int n = GetSize();
    if (!Grow(n + 1)) return nullptr;
    GetList()[n] = item;
    return item;
  }

  // Inserts at index (clamped to 0..size); later items move up. Null when out of memory.
  T* Insert(int index, T* item)
  {
    const int n = GetSize();
    if (index < 0) index = 0;
    if (index > n) index = n;
    if (!Grow(n + 1)) return nullptr;
    T** list = GetList();
    std::memmove(list + index + 1, list + index, sizeof(T*) * static_cast<size_t>(n - index));
    list[index] = item;
    return item;
  }

  // Replaces the item at index without deleting the old one; ignored outside the list.
  void Set(int index, T* item)
  {
    if (index >= 0 && index < GetSize()) GetList()[index] = item;
  }

  // Index of the first occurrence of item, or -1.
  int Find(const T* item) const
  {
    T** list = GetList();
    for (int i = 0, n = GetSize(); i < n; ++i)
      if (list[i] == item) return i;
    return -1;
  }

  // Removes the item at index (nothing outside the list), deleting it when asked.
  void Delete(int index, bool deleteItems = false, void (*deleter)(void*) = nullptr)
  {
    const int n = GetSize();
    if (index < 0 || index >= n) return;
    T** list = GetList();
    T* item = list[index];
    std::memmove(list + index, list + index + 1, sizeof(T*) * static_cast<size_t>(n - index - 1));
    mHeap.Resize((n - 1) * static_cast<int>(sizeof(T*)), false);
    if (deleteItems) Dispose(item, deleter);
  }

  // Removes every item (last to first, deleting each when asked); keeps the allocation.
  void Empty(bool deleteItems = false, void (*deleter)(void*) = nullptr)
  {
    if (deleteItems) {
      for (int n = GetSize(); n > 0; n = GetSize()) {
        T* item = GetList()[n - 1];
        mHeap.Resize((n - 1) * static_cast<int>(sizeof(T*)), false);
        Dispose(item, deleter);
      }
    }
    mHeap.Resize(0, false);
  }

private:
  bool Grow(int count)
  {
    mHeap.Resize(count * static_cast<int>(sizeof(T*)), false);
    return GetSize() == count;
  }

  static void Dispose(T* item, void (*deleter)(void*))
  {
    if (deleter)
      deleter(item);
    else
      delete item;
  }

  Core_HeapBuf mHeap;
};
