#include "graphics/BitmapStorage.h"

#include "raster/Raster_IBitmap.h"

BitmapStorage& BitmapStorage::Instance()
{
  // A function-local static: built on first use, so an editor created during another object's static
  // construction still finds it.
  static BitmapStorage storage;
  return storage;
}

BitmapStorage::~BitmapStorage()
{
  Core_MutexLock lock(mMutex);
  for (int i = 0, n = mBitmaps.GetSize(); i < n; ++i) delete mBitmaps.Get(i)->mBitmap;
  mBitmaps.Empty(true);
}

Raster_IBitmap* BitmapStorage::Find(int id)
{
  Core_MutexLock lock(mMutex);
  for (int i = 0, n = mBitmaps.GetSize(); i < n; ++i) {
    const BitmapKey* key = mBitmaps.Get(i);
    if (key->mId == id) return key->mBitmap;
  }
  return nullptr;
}

void BitmapStorage::Add(Raster_IBitmap* bitmap, int id)
{
  if (!bitmap) return;
  Core_MutexLock lock(mMutex);
  BitmapKey* key = new BitmapKey{id, bitmap};
  // Out of memory: the bitmap stays usable for its handles, it is only not cached (and so never freed).
  if (!mBitmaps.Add(key)) delete key;
}

bool BitmapStorage::Remove(Raster_IBitmap* bitmap)
{
  if (!bitmap) return false;
  Core_MutexLock lock(mMutex);
  for (int i = 0, n = mBitmaps.GetSize(); i < n; ++i) {
    if (mBitmaps.Get(i)->mBitmap == bitmap) {
      mBitmaps.Delete(i, true);
      delete bitmap;
      return true;
    }
  }
  return false;
}

bool BitmapStorage::Contains(const Raster_IBitmap* bitmap)
{
  Core_MutexLock lock(mMutex);
  for (int i = 0, n = mBitmaps.GetSize(); i < n; ++i)
    if (mBitmaps.Get(i)->mBitmap == bitmap) return true;
  return false;
}

int BitmapStorage::Count()
{
  Core_MutexLock lock(mMutex);
  return mBitmaps.GetSize();
}
