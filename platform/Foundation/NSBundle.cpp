// NSBundle over CFBundle; one shared NSBundle per bundle.
#include <Foundation/NSBundle.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <map>
#include <mutex>

namespace {

std::mutex& BundleMutex()
{
  static std::mutex sMutex;
  return sMutex;
}

std::string URLPath(CFURLRef url)
{
  if (!url) return "";
  char path[PATH_MAX];
  const bool ok = CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(path), sizeof path);
  CFRelease(url);
  return ok ? path : "";
}

bool IsFile(const std::string& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

NSString* Make(const std::string& text)
{
  return NSString::stringWithUTF8String(text.c_str());
}

} // namespace

NSBundle* NSBundle::forCFBundle(CFBundleRef bundle)
{
  if (!bundle) return nil;
  std::lock_guard<std::mutex> lock(BundleMutex());
  // Known bundles live as long as the process; so do their NSBundles.
  static auto* sBundles = new std::map<CFBundleRef, NSBundle*>();
  NSBundle*& b = (*sBundles)[bundle];
  if (!b) b = new NSBundle(bundle);
  return b;
}

NSBundle* NSBundle::bundleWithIdentifier(NSString* identifier)
{
  if (!identifier) return nil;
  CFStringRef id = identifier->createCFString();
  if (!id) return nil;
  CFBundleRef bundle = CFBundleGetBundleWithIdentifier(id);
  CFRelease(id);
  return forCFBundle(bundle);
}

NSBundle* NSBundle::bundleWithPath(NSString* path)
{
  if (!path || path->text().empty()) return nil;
  const std::string& p = path->stringByExpandingTildeInPath()->text();
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(p.c_str()),
                                                         static_cast<CFIndex>(p.size()), true);
  if (!url) return nil;
  CFBundleRef bundle = CFBundleCreate(kCFAllocatorDefault, url);
  CFRelease(url);
  if (!bundle) return nil;
  NSBundle* b = forCFBundle(bundle);
  CFRelease(bundle); // the registry keeps its own reference
  return b;
}

NSBundle* NSBundle::mainBundle()
{
  return forCFBundle(CFBundleGetMainBundle());
}

NSString* NSBundle::bundleIdentifier() const
{
  CFStringRef id = CFBundleGetIdentifier(mBundle);
  return id ? NSString::stringWithCFString(id) : nil;
}

NSString* NSBundle::bundlePath() const
{
  return Make(URLPath(CFBundleCopyBundleURL(mBundle)));
}

NSString* NSBundle::resourcePath() const
{
  return Make(URLPath(CFBundleCopyBundleURL(mBundle)) + "/Contents/Resources");
}

NSString* NSBundle::executablePath() const
{
  CFTypeRef name = CFBundleGetValueForInfoDictionaryKey(mBundle, CFSTR("CFBundleExecutable"));
  if (!name) return nil;
  const char* text = CFStringGetCStringPtr(static_cast<CFStringRef>(name), kCFStringEncodingUTF8);
  if (!text || !text[0]) return nil;
  const std::string path = URLPath(CFBundleCopyBundleURL(mBundle)) + "/Contents/" + text + ".so";
  return IsFile(path) ? Make(path) : nil;
}

NSString* NSBundle::pathForResource(NSString* name, NSString* type) const
{
  if (!name) return nil;
  CFStringRef n = name->createCFString();
  CFStringRef t = type ? type->createCFString() : nullptr;
  const std::string path = URLPath(CFBundleCopyResourceURL(mBundle, n, t, nullptr));
  if (n) CFRelease(n);
  if (t) CFRelease(t);
  return path.empty() ? nil : Make(path);
}

BOOL NSBundle::load()
{
  if (mLibrary) return YES;
  NSString* path = executablePath();
  if (!path) return NO;
  // Never closed: code and classes of a loaded bundle stay for the life of the process.
  mLibrary = dlopen(path->UTF8String(), RTLD_NOW | RTLD_LOCAL);
  if (!mLibrary) std::fprintf(stderr, "[bundle] cannot load %s: %s\n", path->UTF8String(), dlerror());
  return mLibrary ? YES : NO;
}

Class NSBundle::classNamed(NSString* name)
{
  if (!name) return nullptr;
  if (Class known = NSClassFromString(name)) return known;
  if (!load()) return nullptr;
  return NSClassFromString(name);
}
