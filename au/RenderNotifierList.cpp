// Render notifiers published as immutable arrays, reclaimed once no render reads them.
#include "au/RenderNotifierList.h"

RenderNotifierList::RenderNotifierList() : mCurrent(nullptr), mOwned(new Array)
{
  mCurrent.store(mOwned.get(), std::memory_order_seq_cst);
}

// The owner is going away: no render can be running on it any more.
RenderNotifierList::~RenderNotifierList() = default;

void RenderNotifierList::Add(AURenderCallback func, void* funcArgs)
{
  std::unique_ptr<Array> next(new Array(*mOwned));
  next->mItems.push_back(Notifier{func, funcArgs});
  Publish(std::move(next));
}

void RenderNotifierList::RemoveFirst(AURenderCallback func)
{
  for (size_t i = 0; i < mOwned->mItems.size(); ++i) {
    if (mOwned->mItems[i].mFunc != func) continue;
    std::unique_ptr<Array> next(new Array(*mOwned));
    next->mItems.erase(next->mItems.begin() + static_cast<long>(i));
    Publish(std::move(next));
    return;
  }
}

void RenderNotifierList::Publish(std::unique_ptr<Array> next)
{
  // Room for the retired array first, so that nothing can fail once the new one is visible.
  mRetired.reserve(mRetired.size() + 1);
  mCurrent.store(next.get(), std::memory_order_seq_cst);
  mRetired.push_back(std::move(mOwned));
  mOwned = std::move(next);
  // A render that counted itself in before the store above may still hold any retired array; one
  // that counts itself in after it can only find the new one. Both sides are sequentially
  // consistent, so seeing no reader here means no retired array is in use.
  if (mReaders.load(std::memory_order_seq_cst) == 0) mRetired.clear();
}
