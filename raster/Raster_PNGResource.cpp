// Loading a PNG from the main bundle's resources folder by file name.

#include "raster/Raster_PNG.h"

#include <cstring>
#include <string>

#if RASTER_HAVE_CFBUNDLE
#include <CoreFoundation/CoreFoundation.h>
#else
#include <unistd.h>
#endif

namespace {

const size_t kMaxNameLength = 400;
const int kPathBufferSize = 1536;

// The main bundle's folder as a file-system path; empty when there is none.
std::string mainBundlePath()
{
  char buf[kPathBufferSize];
  buf[0] = 0;
#if RASTER_HAVE_CFBUNDLE
  CFBundleRef bundle = CFBundleGetMainBundle();
  if (!bundle) return std::string();
  CFURLRef url = CFBundleCopyBundleURL(bundle);
  if (!url) return std::string();
  const bool ok = CFURLGetFileSystemRepresentation(url, true, (UInt8 *)buf, sizeof(buf));
  CFRelease(url);
  if (!ok) return std::string();
  buf[sizeof(buf) - 1] = 0;
  return std::string(buf);
#else
  // Without the bundle services, the main bundle is the running executable's folder.
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return std::string();
  buf[n] = 0;
  std::string path(buf);
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
#endif
}

} // namespace

Raster_IBitmap *Raster_LoadPNGFromNamedResource(const char *name, Raster_IBitmap *bmp)
{
  if (!name || std::strlen(name) > kMaxNameLength) return nullptr;
  const std::string base = mainBundlePath();
  if (base.empty()) return nullptr;
  const std::string path = base + "/Contents/Resources/" + name;
  return Raster_LoadPNG(path.c_str(), bmp);
}
