// Which driver a path asks for: a .vst3 or .lv2 bundle, or a file exporting clap_entry.
#include "tools/validate/PluginDriver.h"

#include <dlfcn.h>
#include <sys/stat.h>

namespace {

bool EndsWith(const std::string& text, const std::string& tail)
{
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string WithoutTrailingSlashes(std::string path)
{
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

} // namespace

std::unique_ptr<PluginDriver> OpenPluginDriver(const std::string& rawPath, const std::string& plugin, bool& recognised,
                                               std::string& error)
{
  std::string path = WithoutTrailingSlashes(rawPath);
  // dlopen searches the library path for a bare name; the user means the file here.
  if (path.find('/') == std::string::npos) path = "./" + path;
  recognised = true;
  struct stat info
  {};
  const bool exists = stat(path.c_str(), &info) == 0;
  if (EndsWith(path, ".vst3")) return OpenVst3Driver(path, plugin, error);
  if (EndsWith(path, ".lv2")) return OpenLv2Driver(path, plugin, error);
  if (EndsWith(path, ".clap")) return OpenClapDriver(path, plugin, error);
  // Any other regular file is a CLAP module if it exports the entry.
  if (exists && S_ISREG(info.st_mode)) {
    if (void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL)) {
      const bool clap = dlsym(handle, "clap_entry") != nullptr;
      dlclose(handle);
      if (clap) return OpenClapDriver(path, plugin, error);
    }
    error = path + ": not a plug-in (a .component, .vst3 or .lv2 bundle, or a module exporting clap_entry)";
    return nullptr;
  }
  recognised = false;
  return nullptr;
}
