#pragma once
// RenderNotifierList: the host's render notifiers, changed under the plug-in lock on any thread and
// read by a render that may take no lock (fast dispatch).
//
// Every change publishes a new immutable array; a render reads whichever array is current inside a
// ReadScope. A replaced array is freed only by a later change (or the destructor) that finds no
// render reading, so a render never sees memory go away under it, allocates nothing and never
// waits. There is no limit on the number of notifiers.

#include <AudioUnit/AudioUnit.h>

#include <atomic>
#include <memory>
#include <vector>

class RenderNotifierList
{
public:
  struct Notifier
  {
    AURenderCallback mFunc;
    void* mFuncArgs;
  };

  // One published array; never changed once published.
  struct Array
  {
    std::vector<Notifier> mItems;
    int Size() const { return static_cast<int>(mItems.size()); }
  };

  RenderNotifierList();
  ~RenderNotifierList();
  RenderNotifierList(const RenderNotifierList&) = delete;
  RenderNotifierList& operator=(const RenderNotifierList&) = delete;

  // Changes; the caller serializes them (the plug-in lock).
  void Add(AURenderCallback func, void* funcArgs);
  // Removes the first record with this function (the argument is not compared).
  void RemoveFirst(AURenderCallback func);

  // Marks a render as reading for its lifetime. Lock-free, allocation-free.
  class ReadScope
  {
  public:
    explicit ReadScope(const RenderNotifierList& list) : mList(list)
    {
      mList.mReaders.fetch_add(1, std::memory_order_seq_cst);
    }
    ~ReadScope() { mList.mReaders.fetch_sub(1, std::memory_order_release); }
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;
    // The array current now; valid until this scope ends.
    const Array& Current() const { return *mList.mCurrent.load(std::memory_order_seq_cst); }

  private:
    const RenderNotifierList& mList;
  };

  // Arrays replaced but not yet freed (for tests of the reclamation).
  size_t RetiredCount() const { return mRetired.size(); }

private:
  void Publish(std::unique_ptr<Array> next);

  std::atomic<const Array*> mCurrent;
  mutable std::atomic<int> mReaders{0};
  std::unique_ptr<Array> mOwned;                // what mCurrent points at
  std::vector<std::unique_ptr<Array>> mRetired; // replaced, possibly still read
};
