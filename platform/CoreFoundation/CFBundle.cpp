// Bundles: folders known to the process, found by path or by the identifier in their Info.plist.
#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFRuntime.h>
#include <CoreFoundation/CFString.h>

#include <plist/plist.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

struct __CFBundle : __CFRuntimeBase
{
  ~__CFBundle()
  {
    if (mIdentifier) CFRelease(mIdentifier);
    for (auto& entry : mInfoStrings)
      if (entry.second) CFRelease(entry.second);
  }
  std::string mPath; // the bundle folder, without a trailing slash
  CFStringRef mIdentifier = nullptr;
  // String values of Info.plist read so far (null for absent keys); handed out borrowed.
  std::map<std::string, CFStringRef> mInfoStrings;
};

namespace {

const CFRuntimeClass kBundleClass = {
    "CFBundle", kCFRuntimeBundleTypeID, CFRuntimeFinalize<__CFBundle>, nullptr, nullptr, nullptr};

std::mutex& RegistryMutex()
{
  static std::mutex sMutex;
  return sMutex;
}

// Every known bundle, each with one reference held by the registry for the life of the process.
std::vector<__CFBundle*>& Registry()
{
  static auto* sBundles = new std::vector<__CFBundle*>();
  return *sBundles;
}

bool IsDirectory(const std::string& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// A string value at the top of <bundle>/Contents/Info.plist, or "" when there is none.
std::string ReadInfoString(const std::string& bundlePath, const char* key)
{
  std::ifstream file(bundlePath + "/Contents/Info.plist", std::ios::binary);
  if (!file) return "";
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  plist_t root = nullptr;
  plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
  std::string identifier;
  if (root && plist_get_node_type(root) == PLIST_DICT) {
    plist_t item = plist_dict_get_item(root, key);
    if (item && plist_get_node_type(item) == PLIST_STRING) {
      uint64_t length = 0;
      const char* text = plist_get_string_ptr(item, &length);
      if (text) identifier.assign(text, static_cast<size_t>(length));
    }
  }
  if (root) plist_free(root);
  return identifier;
}

// The known bundle for a canonical folder path, made known when new. Caller holds the registry lock.
__CFBundle* FindOrAdd(const std::string& path)
{
  for (__CFBundle* b : Registry())
    if (b->mPath == path) return b;
  __CFBundle* b = CFRuntimeCreate<__CFBundle>(kCFAllocatorDefault, &kBundleClass);
  if (!b) return nullptr;
  b->mPath = path;
  const std::string identifier = ReadInfoString(path, "CFBundleIdentifier");
  if (!identifier.empty())
    b->mIdentifier = CFStringCreateWithCString(kCFAllocatorDefault, identifier.c_str(), kCFStringEncodingUTF8);
  Registry().push_back(b);
  return b;
}

std::string Canonical(const std::string& path)
{
  char resolved[PATH_MAX];
  if (!realpath(path.c_str(), resolved)) return "";
  return resolved;
}

const __CFBundle* Checked(CFBundleRef bundle, const char* function)
{
  const __CFBundle* b = CFRuntimeCast<__CFBundle>(bundle, &kBundleClass);
  if (!b) CFRuntimeFatal(function, "not a bundle");
  return b;
}

CFURLRef MakeURL(const std::string& path, bool isDirectory)
{
  return CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(path.c_str()),
                                                 static_cast<CFIndex>(path.size()), isDirectory);
}

} // namespace

CFTypeID CFBundleGetTypeID(void)
{
  return kCFRuntimeBundleTypeID;
}

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL)
{
  if (!bundleURL) return nullptr;
  char path[PATH_MAX];
  if (!CFURLGetFileSystemRepresentation(bundleURL, true, reinterpret_cast<UInt8*>(path), sizeof path)) return nullptr;
  const std::string canonical = Canonical(path);
  if (canonical.empty() || !IsDirectory(canonical)) return nullptr;
  std::lock_guard<std::mutex> lock(RegistryMutex());
  __CFBundle* b = FindOrAdd(canonical);
  if (b) CFRetain(b);
  return b;
}

CFBundleRef CFBundleGetMainBundle(void)
{
  static __CFBundle* sMain = [] {
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return static_cast<__CFBundle*>(nullptr);
    std::string folder(exe, static_cast<size_t>(n));
    folder = folder.substr(0, folder.find_last_of('/'));
    if (folder.empty()) folder = "/";
    std::lock_guard<std::mutex> lock(RegistryMutex());
    return FindOrAdd(Canonical(folder));
  }();
  return sMain;
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID)
{
  if (!bundleID) return nullptr;
  CFBundleGetMainBundle(); // the main bundle is known from the first look-up on
  std::lock_guard<std::mutex> lock(RegistryMutex());
  for (__CFBundle* b : Registry())
    if (b->mIdentifier && CFEqual(b->mIdentifier, bundleID)) return b;
  return nullptr;
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle)
{
  return Checked(bundle, "CFBundleGetIdentifier")->mIdentifier;
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle)
{
  return MakeURL(Checked(bundle, "CFBundleCopyBundleURL")->mPath, true);
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName)
{
  const __CFBundle* b = Checked(bundle, "CFBundleCopyResourceURL");
  if (!resourceName) return nullptr;
  const std::string& name = CFRuntimeStringText(resourceName);
  if (name.empty()) return nullptr;
  std::string path = b->mPath + "/Contents/Resources/";
  if (subDirName && !CFRuntimeStringText(subDirName).empty()) path += CFRuntimeStringText(subDirName) + "/";
  path += name;
  if (resourceType && !CFRuntimeStringText(resourceType).empty()) {
    const std::string& type = CFRuntimeStringText(resourceType);
    path += (type[0] == '.' ? "" : ".") + type;
  }
  if (!Exists(path)) return nullptr;
  return MakeURL(path, IsDirectory(path));
}

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key)
{
  __CFBundle* b = const_cast<__CFBundle*>(Checked(bundle, "CFBundleGetValueForInfoDictionaryKey"));
  if (!key) return nullptr;
  const std::string& name = CFRuntimeStringText(key);
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto found = b->mInfoStrings.find(name);
  if (found != b->mInfoStrings.end()) return found->second;
  const std::string value = ReadInfoString(b->mPath, name.c_str());
  CFStringRef text =
      value.empty() ? nullptr : CFStringCreateWithCString(kCFAllocatorDefault, value.c_str(), kCFStringEncodingUTF8);
  b->mInfoStrings[name] = text;
  return text;
}
