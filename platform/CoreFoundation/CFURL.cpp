// File URLs: absolute paths, resolved against the working directory when made.
#include <CoreFoundation/CFRuntime.h>
#include <CoreFoundation/CFURL.h>

#include <cstring>
#include <functional>
#include <unistd.h>

struct __CFURL : __CFRuntimeBase
{
  std::string mPath;
  bool mIsDirectory = false;
};

namespace {

bool EqualURLs(CFTypeRef a, CFTypeRef b)
{
  const auto* x = static_cast<const __CFURL*>(a);
  const auto* y = static_cast<const __CFURL*>(b);
  return x->mPath == y->mPath && x->mIsDirectory == y->mIsDirectory;
}

CFHashCode HashURL(CFTypeRef u)
{
  return std::hash<std::string>()(static_cast<const __CFURL*>(u)->mPath);
}

std::string DescribeURL(CFTypeRef u)
{
  return "file://" + static_cast<const __CFURL*>(u)->mPath;
}

const CFRuntimeClass kURLClass = {"CFURL", kCFRuntimeURLTypeID, CFRuntimeFinalize<__CFURL>, EqualURLs,
                                  HashURL, DescribeURL};

const __CFURL* Checked(CFURLRef url, const char* function)
{
  const __CFURL* u = CFRuntimeCast<__CFURL>(url, &kURLClass);
  if (!u) CFRuntimeFatal(function, "not a URL");
  return u;
}

} // namespace

CFTypeID CFURLGetTypeID(void)
{
  return kCFRuntimeURLTypeID;
}

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef allocator, const UInt8* buffer, CFIndex bufLen,
                                                 Boolean isDirectory)
{
  if (!buffer || bufLen <= 0) return nullptr;
  std::string path(reinterpret_cast<const char*>(buffer), static_cast<size_t>(bufLen));
  path.resize(std::strlen(path.c_str())); // a terminating zero inside bufLen ends the path
  if (path.empty()) return nullptr;
  if (path[0] != '/') {
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return nullptr;
    path = std::string(cwd) + "/" + path;
  }
  // A directory URL carries a trailing slash, a file URL none.
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (isDirectory && path != "/") path += '/';
  __CFURL* u = CFRuntimeCreate<__CFURL>(allocator, &kURLClass);
  if (!u) return nullptr;
  u->mPath = std::move(path);
  u->mIsDirectory = isDirectory;
  return u;
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxBufLen)
{
  const __CFURL* u = Checked(url, "CFURLGetFileSystemRepresentation");
  std::string path = u->mPath;
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  if (!buffer || maxBufLen <= 0 || static_cast<size_t>(maxBufLen) <= path.size()) return false;
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return true;
}
