#include "tools/play/PlayState.h"

#include "tools/files/AUPresetFile.h"
#include "tools/files/PresetCodec.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

// mkdir -p for a folder path; false with the reason.
bool MakeFolders(const std::string& folder, std::string& error)
{
  for (size_t at = 1; at <= folder.size(); ++at) {
    if (at != folder.size() && folder[at] != '/') continue;
    const std::string part = folder.substr(0, at);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      error = "cannot make the folder '" + part + "': " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

bool UnitState(ComponentHost& host, AUPresetContents& state, std::string& error)
{
  CFPropertyListRef info = nullptr;
  const OSStatus status = host.CopyClassInfo(info);
  if (status != noErr || !info) {
    error = "the component did not give its state: " + DescribeStatus(status);
    return false;
  }
  const bool ok = CFGetTypeID(info) == CFDictionaryGetTypeID() &&
                  AUPresetFromDictionary(static_cast<CFDictionaryRef>(info), state, error);
  CFRelease(info);
  if (!ok && error.empty()) error = "the component's state is not a dictionary";
  return ok;
}

bool RestoreState(ComponentHost& host, const AUPresetContents& state, std::string& error)
{
  CFMutableDictionaryRef dictionary = AUPresetToDictionary(state);
  if (!dictionary) {
    error = "out of memory building the preset";
    return false;
  }
  const OSStatus status = host.RestoreClassInfo(dictionary);
  CFRelease(dictionary);
  if (status != noErr) error = "the component refused the preset: " + DescribeStatus(status);
  return status == noErr;
}

} // namespace

std::string PlayConfigFolder()
{
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/brindle";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config/brindle";
  return "";
}

std::string PluginNameOfBundle(const std::string& bundlePath)
{
  std::string path = bundlePath;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

std::string PlayStatePath(const std::string& pluginName)
{
  const std::string folder = PlayConfigFolder();
  if (folder.empty()) return "";
  std::string safe;
  for (char c : pluginName)
    safe += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.') ? c : '_';
  if (safe.empty() || safe[0] == '.') safe = "plugin" + safe;
  return folder + "/" + safe + ".aupreset";
}

bool SaveUnitState(ComponentHost& host, const std::string& path, std::string& error)
{
  AUPresetContents state;
  const size_t slash = path.rfind('/');
  return UnitState(host, state, error) &&
         (slash == std::string::npos || slash == 0 || MakeFolders(path.substr(0, slash), error)) &&
         WriteAUPresetFile(path, state, error);
}

bool LoadUnitPreset(ComponentHost& host, const std::string& path, std::string& error)
{
  AUPresetContents state;
  const PresetFormat format = PresetFormatOf(path);
  if (format == PresetFormat::kAUPreset) {
    ComponentDescription description{};
    if (!ReadAUPresetFile(path, state, error)) return false;
    if (GetComponentInfo(reinterpret_cast<Component>(host.Unit()), &description, nullptr, nullptr, nullptr) == noErr &&
        !CheckAUPresetIdentity(state, description.componentType, description.componentSubType,
                               description.componentManufacturer, error))
      return false;
  } else {
    PresetCodec codec;
    if (!codec.LoadAsState(path, state, error)) return false;
  }
  return RestoreState(host, state, error);
}

bool SaveUnitPreset(ComponentHost& host, const std::string& path, std::string& error)
{
  AUPresetContents state;
  if (!UnitState(host, state, error)) return false;
  if (PresetFormatOf(path) == PresetFormat::kAUPreset) return WriteAUPresetFile(path, state, error);
  PresetCodec codec;
  return codec.FromAUPreset(state, error) && codec.Save(path, error);
}
