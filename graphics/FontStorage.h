#pragma once
// FontStorage: the process-wide cache of the editor's fonts. A text style (IText) is drawn with a cached
// raster font made once per face, size, style and orientation and kept until the process exits; colour and
// quality are not part of the key, so styles that differ only in them share one font (the first style's
// quality wins). Every editor in the process, and every instance of the plug-in, draws from the same fonts.
//
// Every operation takes the cache's own recursive lock for its duration only.

#include "containers/Core_Mutex.h"
#include "containers/Core_PtrList.h"
#include "graphics/IGraphicsTypes.h"

class Raster_IFont;

class FontStorage
{
public:
  struct FontKey
  {
    int mSize, mOrientation, mStyle;
    char mFace[IText::kFaceSize];
    Raster_IFont* mFont; // owned by the cache
  };

  // The one instance of the process.
  static FontStorage& Instance();

  FontStorage() = default;
  ~FontStorage();

  FontStorage(const FontStorage&) = delete;
  FontStorage& operator=(const FontStorage&) = delete;

  // The font of the first key whose size, orientation, style and face (case-sensitive) equal the
  // style's; null when there is none.
  Raster_IFont* Find(const IText* text);
  // Appends a key for the style; the cache takes ownership. A null font or style is ignored.
  void Add(Raster_IFont* font, const IText* text);
  // Number of keys (for diagnostics and tests).
  int Count();

private:
  Core_PtrList<FontKey> mFonts;
  Core_Mutex mMutex;
};
