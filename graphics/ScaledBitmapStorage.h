#pragma once
// ScaledBitmapStorage: the process-wide cache of the editor's images at display scales other than 1.
//
// It remembers which file each loaded image came from (so that the larger image sets beside it can be
// found when a scale needs them) and keeps each image made for a scale, keyed by the 1x image, the scale
// and the frame layout. Like BitmapStorage, what it holds lives until the process exits unless the 1x
// image is released. Every operation takes the cache's own recursive lock for its duration only.

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "containers/Core_Mutex.h"

class Raster_IBitmap;

class ScaledBitmapStorage
{
public:
  static ScaledBitmapStorage& Instance();

  // The file an image was loaded from; a later note for the same image wins.
  void NoteSource(const Raster_IBitmap* image, int id, const char* name);
  // False when the image was not loaded from a file (the editor made it).
  bool FindSource(const Raster_IBitmap* image, int* id, std::string* name);

  // The image made for (image, scale, frames, horizontal), or null.
  Raster_IBitmap* Find(const Raster_IBitmap* image, double scale, int frames, bool horizontal);
  // Keeps scaled (owned from now on) for the key and answers the image kept: when another editor added
  // one for the same key first, that one is kept and scaled is deleted.
  Raster_IBitmap* Add(const Raster_IBitmap* image, double scale, int frames, bool horizontal, Raster_IBitmap* scaled);
  // Forgets everything made from image (it is about to be deleted).
  void Forget(const Raster_IBitmap* image);
  // Number of scaled images kept (for tests).
  int Count();

private:
  // The scale is kept in thousandths, so that 1.5 from any computation meets 1.5.
  using Key = std::tuple<const Raster_IBitmap*, long, int, bool>;
  static Key MakeKey(const Raster_IBitmap* image, double scale, int frames, bool horizontal);

  std::map<Key, std::unique_ptr<Raster_IBitmap>> mScaled;
  std::map<const Raster_IBitmap*, std::pair<int, std::string>> mSources;
  Core_Mutex mMutex;
};

// "dir/name.png" -> "dir/name@2x.png" for set 2: the suffix goes before the last extension of the file
// part (or at the end when it has none). Empty for an empty name.
std::string ScaledImageName(const std::string& name, int set);
