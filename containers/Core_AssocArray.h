#pragma once
// Core_AssocArrayImpl: an array of (key, value) pairs kept sorted by key, with
// binary-search lookup. The concrete type supplies how keys compare and, where
// needed, how keys are duplicated on insertion and how keys and values are
// disposed of; each of these may be absent. Keys and values must be trivially
// copyable (pairs move as raw bytes).
//
// Core_StringKeyedArray: the same keyed by NUL-terminated strings, compared with
// strcmp (case-sensitive), copied with strdup and freed with free.

#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "containers/Core_HeapBuf.h"

template <class K, class V>
class Core_AssocArrayImpl
{
  static_assert(std::is_trivially_copyable<K>::value && std::is_trivially_copyable<V>::value,
                "pairs are moved as raw bytes");

public:
  typedef int (*CompareFn)(K* a, K* b);
  typedef K (*DuplicateFn)(K key);
  typedef void (*DisposeKeyFn)(K key);
  typedef void (*DisposeValueFn)(V value);

  explicit Core_AssocArrayImpl(CompareFn compare, DuplicateFn duplicate = nullptr, DisposeKeyFn disposeKey = nullptr,
                               DisposeValueFn disposeValue = nullptr)
      : mHeap(512), mCompare(compare), mDuplicate(duplicate), mDisposeKey(disposeKey), mDisposeValue(disposeValue)
  {}
  ~Core_AssocArrayImpl() { DeleteAll(); }

  Core_AssocArrayImpl(const Core_AssocArrayImpl&) = delete;
  Core_AssocArrayImpl& operator=(const Core_AssocArrayImpl&) = delete;

  int GetSize() const { return mHeap.GetSize() / static_cast<int>(sizeof(Pair)); }

  // Pointer to the stored value of key (null when absent); storedKeyOut gets the stored key.
  V* GetPtr(K key, K* storedKeyOut = nullptr) const
  {
    bool found = false;
    const int i = Search(key, &found);
    if (!found) return nullptr;
    Pair* p = Pairs() + i;
    if (storedKeyOut) *storedKeyOut = p->key;
    return &p->value;
  }
  bool Exists(K key) const { return GetPtr(key) != nullptr; }
  V Get(K key, V notFound = V()) const
  {
    V* v = GetPtr(key);
    return v ? *v : notFound;
  }

  // The pair at index in key order; notFound outside the array.
  V Enumerate(int index, K* keyOut = nullptr, V notFound = V()) const
  {
    if (index < 0 || index >= GetSize()) return notFound;
    Pair* p = Pairs() + index;
    if (keyOut) *keyOut = p->key;
    return p->value;
  }

  // Adds or replaces the value for key. Returns the pair's index, or -1 when the
  // array could not grow (nothing changes then).
  int Insert(K key, V value, K* storedKeyOut = nullptr)
  {
    bool found = false;
    const int i = Search(key, &found);
    if (found) {
      Pair* p = Pairs() + i;
      if (mDisposeValue) mDisposeValue(p->value);
      p->value = value;
      if (storedKeyOut) *storedKeyOut = p->key;
      return i;
    }
    const int n = GetSize();
    mHeap.Resize((n + 1) * static_cast<int>(sizeof(Pair)), true);
    if (GetSize() != n + 1) return -1;
    Pair* p = Pairs() + i;
    std::memmove(static_cast<void*>(p + 1), static_cast<const void*>(p), sizeof(Pair) * static_cast<size_t>(n - i));
    p->key = mDuplicate ? mDuplicate(key) : key;
    p->value = value;
    if (storedKeyOut) *storedKeyOut = p->key;
    return i;
  }

  // Removes key (disposing its key and value); false when absent.
  bool Delete(K key)
  {
    bool found = false;
    const int i = Search(key, &found);
    if (!found) return false;
    DeleteByIndex(i);
    return true;
  }

  void DeleteByIndex(int index)
  {
    const int n = GetSize();
    if (index < 0 || index >= n) return;
    Pair* p = Pairs() + index;
    Dispose(*p);
    std::memmove(static_cast<void*>(p), static_cast<const void*>(p + 1),
                 sizeof(Pair) * static_cast<size_t>(n - index - 1));
    mHeap.Resize((n - 1) * static_cast<int>(sizeof(Pair)), true);
  }

  // Disposes every key and value and frees the storage.
  void DeleteAll()
  {
    Pair* p = Pairs();
    for (int i = 0, n = GetSize(); i < n; ++i) Dispose(p[i]);
    mHeap.Resize(0, true);
  }

private:
  struct Pair
  {
    K key;
    V value;
  };

  Pair* Pairs() const { return static_cast<Pair*>(mHeap.Get()); }

  // Index of key, or of the place it would be inserted at.
  int Search(K key, bool* found) const
  {
    int lo = 0, hi = GetSize();
    Pair* p = Pairs();
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      const int cmp = mCompare(&key, &p[mid].key);
      if (cmp == 0) {
        *found = true;
        return mid;
      }
      if (cmp < 0)
        hi = mid;
      else
        lo = mid + 1;
    }
    *found = false;
    return lo;
  }

  void Dispose(Pair& p)
  {
    if (mDisposeKey) mDisposeKey(p.key);
    if (mDisposeValue) mDisposeValue(p.value);
  }

  Core_HeapBuf mHeap;
  CompareFn mCompare;
  DuplicateFn mDuplicate;
  DisposeKeyFn mDisposeKey;
  DisposeValueFn mDisposeValue;
};

template <class V>
class Core_StringKeyedArray : public Core_AssocArrayImpl<const char*, V>
{
public:
  explicit Core_StringKeyedArray(void (*disposeValue)(V) = nullptr)
      : Core_AssocArrayImpl<const char*, V>(&CompareKeys, &DuplicateKey, &FreeKey, disposeValue)
  {}

private:
  static int CompareKeys(const char** a, const char** b) { return strcmp(*a, *b); }
  static const char* DuplicateKey(const char* key) { return strdup(key); }
  static void FreeKey(const char* key) { std::free(const_cast<char*>(key)); }
};
