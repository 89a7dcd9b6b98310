// Loading a PNG from the main bundle's resources folder by file name.

#include "raster/Raster_PNG.h"

#include <cstring>
#include <string>

#include <CoreFoundation/CoreFoundation.h>

namespace {

const size_t kMaxNameLength = 400;
const int kPathBufferSize = 1536;

// The main bundle's folder as a file-system path; empty when there is none.
std::string mainBundlePath()
{
  char buf[kPathBufferSize];
  buf[0] = 0;
  CFBundleRef bundle = CFBundleGetMainBundle();
  if (!bundle) return std::string();
  CFURLRef url = CFBundleCopyBundleURL(bundle);
  if (!url) return std::string();
  const bool ok = CFURLGetFileSystemRepresentation(url, true, (UInt8*)buf, sizeof(buf));
  CFRelease(url);
  if (!ok) return std::string();
  buf[sizeof(buf) - 1] = 0;
  return std::string(buf);
}

} // namespace

Raster_IBitmap* Raster_LoadPNGFromNamedResource(const char* name, Raster_IBitmap* bmp)
{
  if (!name || std::strlen(name) > kMaxNameLength) return nullptr;
  const std::string base = mainBundlePath();
  if (base.empty()) return nullptr;
  const std::string path = base + "/Contents/Resources/" + name;
  return Raster_LoadPNG(path.c_str(), bmp);
}
