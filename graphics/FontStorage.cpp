#include "graphics/FontStorage.h"

#include <cstring>

#include "raster/Raster_Font.h"

FontStorage& FontStorage::Instance()
{
  static FontStorage storage;
  return storage;
}

FontStorage::~FontStorage()
{
  Core_MutexLock lock(mMutex);
  for (int i = 0, n = mFonts.GetSize(); i < n; ++i) delete mFonts.Get(i)->mFont;
  mFonts.Empty(true);
}

Raster_IFont* FontStorage::Find(const IText* text)
{
  if (!text) return nullptr;
  Core_MutexLock lock(mMutex);
  for (int i = 0, n = mFonts.GetSize(); i < n; ++i) {
    const FontKey* key = mFonts.Get(i);
    if (key->mSize == text->mSize && key->mOrientation == text->mOrientation && key->mStyle == text->mStyle &&
        std::strncmp(key->mFace, text->mFace, IText::kFaceSize) == 0)
      return key->mFont;
  }
  return nullptr;
}

void FontStorage::Add(Raster_IFont* font, const IText* text)
{
  if (!font || !text) return;
  Core_MutexLock lock(mMutex);
  FontKey* key = new FontKey{text->mSize, text->mOrientation, static_cast<int>(text->mStyle), {}, font};
  std::memcpy(key->mFace, text->mFace, IText::kFaceSize);
  key->mFace[IText::kFaceSize - 1] = '\0';
  // Out of memory: the font stays usable through the style that made it, it is only not shared.
  if (!mFonts.Add(key)) delete key;
}

int FontStorage::Count()
{
  Core_MutexLock lock(mMutex);
  return mFonts.GetSize();
}
