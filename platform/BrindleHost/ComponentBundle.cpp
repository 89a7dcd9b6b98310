// Loading a component bundle: Info.plist through libplist, the library through dlopen, the entry
// points through dlsym, and each listed component registered with the Component Manager.
#include <BrindleHost/ComponentBundle.h>

#include <plist/plist.h>

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

namespace {

struct PlistHolder
{
  ~PlistHolder()
  {
    if (mRoot) plist_free(mRoot);
  }
  plist_t mRoot = nullptr;
};

bool IsFile(const std::string& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsDirectory(const std::string& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool GetString(plist_t dict, const char* key, std::string* out)
{
  plist_t item = plist_dict_get_item(dict, key);
  if (!item || plist_get_node_type(item) != PLIST_STRING) return false;
  uint64_t length = 0;
  const char* text = plist_get_string_ptr(item, &length);
  if (!text) return false;
  out->assign(text, static_cast<size_t>(length));
  return true;
}

bool GetFourCharCode(plist_t dict, const char* key, OSType* out)
{
  std::string text;
  if (!GetString(dict, key, &text) || text.size() != 4) return false;
  *out = 0;
  for (unsigned char c : text) *out = (*out << 8) | c;
  return true;
}

bool GetUnsigned(plist_t dict, const char* key, UInt32* out)
{
  plist_t item = plist_dict_get_item(dict, key);
  if (!item || plist_get_node_type(item) != PLIST_UINT) return false;
  uint64_t value = 0;
  plist_get_uint_val(item, &value);
  if (value > 0xFFFFFFFFULL) return false;
  *out = static_cast<UInt32>(value);
  return true;
}

// Fills the component records from the AudioComponents array; false when anything is missing.
bool ReadComponents(plist_t root, BrindleHost_ComponentBundle* out)
{
  plist_t list = plist_dict_get_item(root, "AudioComponents");
  if (!list || plist_get_node_type(list) != PLIST_ARRAY) return false;
  const uint32_t count = plist_array_get_size(list);
  if (count == 0 || count > kBrindleHost_MaxBundleComponents) return false;
  for (uint32_t i = 0; i < count; ++i) {
    plist_t entry = plist_array_get_item(list, i);
    if (!entry || plist_get_node_type(entry) != PLIST_DICT) return false;
    BrindleHost_BundleComponent& c = out->components[i];
    std::string name, entryPoint;
    if (!GetFourCharCode(entry, "type", &c.description.componentType) ||
        !GetFourCharCode(entry, "subtype", &c.description.componentSubType) ||
        !GetFourCharCode(entry, "manufacturer", &c.description.componentManufacturer) ||
        !GetString(entry, "name", &name) || !GetUnsigned(entry, "version", &c.version) ||
        !GetString(entry, "entryPoint", &entryPoint) || name.size() >= sizeof c.name || entryPoint.empty() ||
        entryPoint.size() >= sizeof c.entryPoint)
      return false;
    std::memcpy(c.name, name.c_str(), name.size() + 1);
    std::memcpy(c.entryPoint, entryPoint.c_str(), entryPoint.size() + 1);
  }
  out->componentCount = count;
  return true;
}

void UnregisterAll(BrindleHost_ComponentBundle* bundle)
{
  for (UInt32 i = 0; i < bundle->componentCount; ++i)
    if (bundle->components[i].component) UnregisterComponent(bundle->components[i].component);
}

} // namespace

OSStatus BrindleHost_LoadComponentBundle(const char* bundlePath, BrindleHost_ComponentBundle* out)
{
  if (!out) return paramErr;
  *out = BrindleHost_ComponentBundle{};
  if (!bundlePath) return paramErr;
  std::string folder(bundlePath);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  const std::string plistPath = folder + "/Contents/Info.plist";
  if (!IsDirectory(folder) || !IsFile(plistPath)) return fnfErr;

  std::ifstream file(plistPath, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  PlistHolder plist;
  plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &plist.mRoot);
  if (!plist.mRoot || plist_get_node_type(plist.mRoot) != PLIST_DICT) return paramErr;
  std::string identifier, executable;
  if (!GetString(plist.mRoot, "CFBundleIdentifier", &identifier) || identifier.empty() ||
      !GetString(plist.mRoot, "CFBundleExecutable", &executable) || executable.empty() ||
      executable.find('/') != std::string::npos)
    return paramErr;
  BrindleHost_ComponentBundle loaded{};
  if (!ReadComponents(plist.mRoot, &loaded)) return paramErr;

  const std::string libraryPath = folder + "/Contents/" + executable + ".so";
  if (!IsFile(libraryPath)) return fnfErr;
  void* library = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "BrindleHost: cannot load %s: %s\n", libraryPath.c_str(), dlerror());
    return unresolvedComponentDLLErr;
  }
  for (UInt32 i = 0; i < loaded.componentCount; ++i) {
    BrindleHost_BundleComponent& c = loaded.components[i];
    void* symbol = dlsym(library, c.entryPoint);
    if (!symbol) {
      std::fprintf(stderr, "BrindleHost: %s has no entry point %s\n", libraryPath.c_str(), c.entryPoint);
      UnregisterAll(&loaded);
      dlclose(library);
      return unresolvedComponentDLLErr;
    }
    // The component name travels as a Pascal string, as in a component resource.
    unsigned char pascalName[256];
    const size_t length = std::strlen(c.name);
    pascalName[0] = static_cast<unsigned char>(length);
    std::memcpy(pascalName + 1, c.name, length);
    char* namePointer = reinterpret_cast<char*>(pascalName);
    ComponentRoutineUPP entry;
    static_assert(sizeof entry == sizeof symbol, "entry points are plain code addresses");
    std::memcpy(&entry, &symbol, sizeof entry);
    c.component = RegisterComponent(&c.description, entry, 0, &namePointer, nullptr, nullptr);
    if (!c.component) {
      UnregisterAll(&loaded);
      dlclose(library);
      return memFullErr;
    }
  }

  // Known to CFBundle from now on, so the plug-in finds its own bundle by identifier.
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      kCFAllocatorDefault, reinterpret_cast<const UInt8*>(folder.c_str()), static_cast<CFIndex>(folder.size()), true);
  CFBundleRef bundle = url ? CFBundleCreate(kCFAllocatorDefault, url) : nullptr;
  if (url) CFRelease(url);
  if (bundle) CFRelease(bundle); // the process-wide registry keeps it
  loaded.bundle = bundle;
  loaded.library = library;
  *out = loaded;
  return noErr;
}

OSStatus BrindleHost_UnloadComponentBundle(BrindleHost_ComponentBundle* bundle)
{
  if (!bundle || !bundle->library) return paramErr;
  for (UInt32 i = 0; i < bundle->componentCount; ++i)
    if (CountComponentInstances(bundle->components[i].component) > 0) return validInstancesExist;
  UnregisterAll(bundle);
  dlclose(bundle->library);
  *bundle = BrindleHost_ComponentBundle{};
  return noErr;
}
