#include "graphics/ScaledBitmapStorage.h"

#include <cmath>

#include "raster/Raster_IBitmap.h"

ScaledBitmapStorage& ScaledBitmapStorage::Instance()
{
  static ScaledBitmapStorage sInstance;
  return sInstance;
}

ScaledBitmapStorage::Key ScaledBitmapStorage::MakeKey(const Raster_IBitmap* image, double scale, int frames,
                                                      bool horizontal)
{
  return Key(image, std::lround(scale * 1000.0), frames, horizontal);
}

void ScaledBitmapStorage::NoteSource(const Raster_IBitmap* image, int id, const char* name)
{
  if (!image || !name || !*name) return;
  Core_MutexLock lock(mMutex);
  mSources[image] = {id, name};
}

bool ScaledBitmapStorage::FindSource(const Raster_IBitmap* image, int* id, std::string* name)
{
  Core_MutexLock lock(mMutex);
  const auto found = mSources.find(image);
  if (found == mSources.end()) return false;
  *id = found->second.first;
  *name = found->second.second;
  return true;
}

Raster_IBitmap* ScaledBitmapStorage::Find(const Raster_IBitmap* image, double scale, int frames, bool horizontal)
{
  Core_MutexLock lock(mMutex);
  const auto found = mScaled.find(MakeKey(image, scale, frames, horizontal));
  return found == mScaled.end() ? nullptr : found->second.get();
}

Raster_IBitmap* ScaledBitmapStorage::Add(const Raster_IBitmap* image, double scale, int frames, bool horizontal,
                                         Raster_IBitmap* scaled)
{
  std::unique_ptr<Raster_IBitmap> owned(scaled);
  Core_MutexLock lock(mMutex);
  auto& slot = mScaled[MakeKey(image, scale, frames, horizontal)];
  if (!slot) slot = std::move(owned);
  return slot.get();
}

void ScaledBitmapStorage::Forget(const Raster_IBitmap* image)
{
  Core_MutexLock lock(mMutex);
  mSources.erase(image);
  for (auto it = mScaled.begin(); it != mScaled.end();)
    it = std::get<0>(it->first) == image ? mScaled.erase(it) : std::next(it);
}

int ScaledBitmapStorage::Count()
{
  Core_MutexLock lock(mMutex);
  return static_cast<int>(mScaled.size());
}

std::string ScaledImageName(const std::string& name, int set)
{
  if (name.empty()) return name;
  const std::string suffix = "@" + std::to_string(set) + "x";
  const size_t slash = name.find_last_of('/');
  const size_t dot = name.find_last_of('.');
  // A dot that starts the file's name (".png") begins no extension.
  const size_t fileStart = slash == std::string::npos ? 0 : slash + 1;
  const bool hasExtension = dot != std::string::npos && dot > fileStart;
  if (!hasExtension) return name + suffix;
  return name.substr(0, dot) + suffix + name.substr(dot);
}
