// Image objects: loading from PNG files, building from pixel rows, icons, sizes and image lists.

#include "gdi/GDI_Image.h"
#include "gdi/GDI_Records.h"

#include <png.h>

#include <cstring>
#include <new>
#include <vector>

struct GDI_ImageList
{
  std::vector<HGDIOBJ__*> mImages; // one reference each
};

namespace {
// An image object owning the image (null image: null object).
HGDIOBJ__* WrapImage(GDI_Image* image)
{
  if (!image) return nullptr;
  HGDIOBJ__* obj = GDP_OBJECT_NEW();
  if (!obj) {
    GDI_ImageRelease(image);
    return nullptr;
  }
  obj->mType = GDI_OBJ_IMAGE;
  obj->mWidth = 1;
  obj->mImage = image;
  return obj;
}

GDI_Image* ReadPng(const char* path)
{
  png_image png;
  std::memset(&png, 0, sizeof(png));
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path)) return nullptr;
  png.format = PNG_FORMAT_ARGB; // bytes A, R, G, B: this layer's pixel order
  GDI_Image* image = (png.width <= 0x7FFFFFFF && png.height <= 0x7FFFFFFF)
                         ? GDI_ImageCreate((int)png.width, (int)png.height)
                         : nullptr;
  if (!image || !png_image_finish_read(&png, nullptr, image->mPixels.data(), 0, nullptr)) {
    png_image_free(&png);
    GDI_ImageRelease(image);
    return nullptr;
  }
  return image;
}

const HGDIOBJ__* LiveImage(const HGDIOBJ__* obj)
{
  return GDI_IsLiveObject(obj) && obj->mType == GDI_OBJ_IMAGE && obj->mImage ? obj : nullptr;
}
} // namespace

HGDIOBJ__* LoadNamedImage(const char* name, bool alphaFromColorKey)
{
  // Only file paths: there is no catalogue of named system images here.
  if (!name || !std::strchr(name, '/')) return nullptr;
  GDI_Image* image = ReadPng(name);
  if (!image) return nullptr;
  if (alphaFromColorKey) {
    unsigned char* p = image->mPixels.data();
    for (size_t i = 0, n = (size_t)image->mWidth * image->mHeight; i < n; i++, p += 4)
      if (p[1] == 255 && p[2] == 0 && p[3] == 255) p[0] = p[1] = p[2] = p[3] = 0;
  }
  return WrapImage(image);
}

HGDIOBJ__* CreateBitmap(int w, int h, int planes, int bpp, const void* bits)
{
  (void)planes;
  if (bpp != 32) return nullptr;
  GDI_Image* image = GDI_ImageCreate(w, h);
  if (image && bits) std::memcpy(image->mPixels.data(), bits, image->mPixels.size());
  return WrapImage(image);
}

HGDIOBJ__* CreateIconIndirect(const ICONINFO* info)
{
  if (!info) return nullptr;
  const HGDIOBJ__* color = LiveImage(info->hbmColor);
  if (!color) return nullptr;
  GDI_Image* copy = new (std::nothrow) GDI_Image(*color->mImage);
  return WrapImage(copy);
}

GDI_Image* GetNSImageFromHICON(HGDIOBJ__* icon)
{
  const HGDIOBJ__* obj = LiveImage(icon);
  return obj ? obj->mImage : nullptr;
}

int GetObject(HGDIOBJ__* obj, int bufsize, void* buf)
{
  const HGDIOBJ__* image = LiveImage(obj);
  if (!image || !buf || bufsize < (int)sizeof(BITMAP)) return 0;
  BITMAP bm;
  bm.bmWidth = image->mImage->mWidth;
  bm.bmHeight = image->mImage->mHeight;
  std::memcpy(buf, &bm, sizeof(bm));
  return (int)sizeof(BITMAP);
}

HIMAGELIST ImageList_CreateEx()
{
  return new (std::nothrow) GDI_ImageList;
}

int ImageList_ReplaceIcon(HIMAGELIST list, int index, HGDIOBJ__* icon)
{
  if (!list || !LiveImage(icon)) return -1;
  HGDIOBJ__* ref = GDI_CloneGDIObject(icon);
  if (index >= 0 && index < (int)list->mImages.size()) {
    DeleteObject(list->mImages[index]);
    list->mImages[index] = ref;
    return index;
  }
  list->mImages.push_back(ref);
  return (int)list->mImages.size() - 1;
}

int ImageList_GetImageCount(HIMAGELIST list)
{
  return list ? (int)list->mImages.size() : 0;
}

void ImageList_Remove(HIMAGELIST list, int index)
{
  if (!list) return;
  if (index == -1) {
    for (HGDIOBJ__* obj : list->mImages) DeleteObject(obj);
    list->mImages.clear();
    return;
  }
  if (index < 0 || index >= (int)list->mImages.size()) return;
  DeleteObject(list->mImages[index]);
  list->mImages.erase(list->mImages.begin() + index);
}

void ImageList_Destroy(HIMAGELIST list)
{
  if (!list) return;
  ImageList_Remove(list, -1);
  delete list;
}
