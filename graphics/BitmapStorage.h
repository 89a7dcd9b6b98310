#pragma once
// BitmapStorage: the process-wide cache of the editor's images. Every image an editor loads, scales, crops
// or retains is kept here, keyed by its resource id (-1 for images the editor made itself), and lives until
// the process exits unless it is released. Editors opened later, and other instances of the plug-in in
// the same process, draw from the same images.
//
// Every operation takes the cache's own recursive lock for its duration only.

#include "containers/Core_Mutex.h"
#include "containers/Core_PtrList.h"

class Raster_IBitmap;

class BitmapStorage
{
public:
  struct BitmapKey
  {
    int mId;
    Raster_IBitmap* mBitmap; // owned by the cache
  };

  // The one instance of the process.
  static BitmapStorage& Instance();

  BitmapStorage() = default;
  ~BitmapStorage();

  BitmapStorage(const BitmapStorage&) = delete;
  BitmapStorage& operator=(const BitmapStorage&) = delete;

  // The bitmap of the first key with this id, in insertion order; null when there is none.
  Raster_IBitmap* Find(int id);
  // Appends a key; the cache takes ownership. A null bitmap is ignored.
  void Add(Raster_IBitmap* bitmap, int id);
  // Removes the first key holding this bitmap and deletes the bitmap; true when it was found. A bitmap the
  // cache does not hold is left alone.
  bool Remove(Raster_IBitmap* bitmap);
  // True when some key holds this bitmap.
  bool Contains(const Raster_IBitmap* bitmap);
  // Number of keys (for diagnostics and tests).
  int Count();

private:
  Core_PtrList<BitmapKey> mBitmaps;
  Core_Mutex mMutex;
};
