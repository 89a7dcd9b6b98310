// .aupreset reading and writing over libplist.
#include "tools/files/AUPresetFile.h"

#include "plugcore/PresetFiles.h"
#include "tools/host/ComponentHost.h"
#include "tools/files/OutputFiles.h"
#include "tools/files/OutputTarget.h"

#include <plist/plist.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct PlistDeleter
{
  void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

const char* const kIntegerKeys[] = {"version", "type", "subtype", "manufacturer"};

std::int32_t* IntegerField(AUPresetContents& c, int i)
{
  std::int32_t* fields[] = {&c.version, &c.type, &c.subtype, &c.manufacturer};
  return fields[i];
}

CFStringRef MakeKey(const char* key)
{
  return CFStringCreateWithCString(kCFAllocatorDefault, key, kCFStringEncodingUTF8);
}

// The value for key, borrowed; null when absent.
const void* DictionaryValue(CFDictionaryRef dictionary, const char* key)
{
  CFStringRef cfKey = MakeKey(key);
  if (!cfKey) return nullptr;
  const void* value = CFDictionaryGetValue(dictionary, cfKey);
  CFRelease(cfKey);
  return value;
}

bool SetValue(CFMutableDictionaryRef dictionary, const char* key, CFTypeRef value)
{
  CFStringRef cfKey = MakeKey(key);
  if (!cfKey || !value) {
    if (cfKey) CFRelease(cfKey);
    if (value) CFRelease(value);
    return false;
  }
  CFDictionarySetValue(dictionary, cfKey, value);
  CFRelease(cfKey);
  CFRelease(value);
  return true;
}

} // namespace

bool AUPresetFromDictionary(CFDictionaryRef dictionary, AUPresetContents& out, std::string& error)
{
  if (!dictionary || CFGetTypeID(dictionary) != CFDictionaryGetTypeID()) {
    error = "the state is not a dictionary";
    return false;
  }
  AUPresetContents c;
  for (int i = 0; i < 4; ++i) {
    const void* value = DictionaryValue(dictionary, kIntegerKeys[i]);
    if (!value || CFGetTypeID(value) != CFNumberGetTypeID() ||
        !CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt32Type, IntegerField(c, i))) {
      error = std::string("the state has no integer \"") + kIntegerKeys[i] + "\"";
      return false;
    }
  }
  const void* name = DictionaryValue(dictionary, "name");
  if (!name || CFGetTypeID(name) != CFStringGetTypeID()) {
    error = "the state has no string \"name\"";
    return false;
  }
  c.name = StringFromCF(static_cast<CFStringRef>(name));
  const void* data = DictionaryValue(dictionary, "data");
  if (!data || CFGetTypeID(data) != CFDataGetTypeID()) {
    error = "the state has no \"data\"";
    return false;
  }
  const UInt8* bytes = CFDataGetBytePtr(static_cast<CFDataRef>(data));
  const CFIndex length = CFDataGetLength(static_cast<CFDataRef>(data));
  if (length > 0) c.data.assign(bytes, bytes + length);
  out = std::move(c);
  return true;
}

CFMutableDictionaryRef AUPresetToDictionary(const AUPresetContents& contents)
{
  CFMutableDictionaryRef dictionary = CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks,
                                                                &kCFTypeDictionaryValueCallBacks);
  if (!dictionary) return nullptr;
  AUPresetContents c = contents;
  bool ok = true;
  for (int i = 0; i < 4 && ok; ++i)
    ok = SetValue(dictionary, kIntegerKeys[i],
                  CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, IntegerField(c, i)));
  ok = ok && SetValue(dictionary, "name",
                      CFStringCreateWithCString(kCFAllocatorDefault, c.name.c_str(), kCFStringEncodingUTF8));
  ok = ok && SetValue(dictionary, "data",
                      CFDataCreate(kCFAllocatorDefault, c.data.data(), static_cast<CFIndex>(c.data.size())));
  if (!ok) {
    CFRelease(dictionary);
    return nullptr;
  }
  return dictionary;
}

std::string AUPresetToXml(const AUPresetContents& contents)
{
  AUPresetContents c = contents;
  PlistPtr root(plist_new_dict());
  for (int i = 0; i < 4; ++i)
    plist_dict_set_item(root.get(), kIntegerKeys[i],
                        plist_new_uint(static_cast<std::uint64_t>(static_cast<std::int64_t>(*IntegerField(c, i)))));
  plist_dict_set_item(root.get(), "name", plist_new_string(c.name.c_str()));
  plist_dict_set_item(root.get(), "data", plist_new_data(reinterpret_cast<const char*>(c.data.data()), c.data.size()));
  char* xml = nullptr;
  uint32_t length = 0;
  plist_to_xml(root.get(), &xml, &length);
  std::string text = xml ? std::string(xml, length) : std::string();
  if (xml) plist_to_xml_free(xml);
  return text;
}

bool AUPresetFromBytes(const std::string& bytes, AUPresetContents& out, std::string& error)
{
  if (bytes.empty()) {
    error = "the file is empty";
    return false;
  }
  if (bytes.size() > static_cast<size_t>(kPresetFileMaxBytes)) {
    error = "the file is larger than the 1 MiB preset file limit";
    return false;
  }
  plist_t parsed = nullptr;
  plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &parsed);
  PlistPtr root(parsed);
  if (!parsed) {
    error = "not a property list (malformed or truncated)";
    return false;
  }
  if (plist_get_node_type(parsed) != PLIST_DICT) {
    error = "the property list is not a dictionary";
    return false;
  }
  AUPresetContents c;
  for (int i = 0; i < 4; ++i) {
    plist_t item = plist_dict_get_item(parsed, kIntegerKeys[i]);
    if (!item || plist_get_node_type(item) != PLIST_UINT) {
      error = std::string("no integer \"") + kIntegerKeys[i] + "\"";
      return false;
    }
    std::uint64_t raw = 0;
    plist_get_uint_val(item, &raw);
    // Codes may be written signed (as the class-info numbers are) or unsigned.
    const std::int64_t value = static_cast<std::int64_t>(raw);
    if (value < INT32_MIN || value > static_cast<std::int64_t>(UINT32_MAX)) {
      error = std::string("\"") + kIntegerKeys[i] + "\" is out of range";
      return false;
    }
    *IntegerField(c, i) = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  }
  plist_t name = plist_dict_get_item(parsed, "name");
  if (!name || plist_get_node_type(name) != PLIST_STRING) {
    error = "no string \"name\"";
    return false;
  }
  // By pointer and length: a string holding a zero byte would stop libplist's copying reader with an
  // assertion. The name is a C string everywhere after this, so it ends at its first zero.
  uint64_t nameLength = 0;
  const char* text = plist_get_string_ptr(name, &nameLength);
  c.name = text ? std::string(text, strnlen(text, static_cast<size_t>(nameLength))) : std::string();
  plist_t data = plist_dict_get_item(parsed, "data");
  if (!data || plist_get_node_type(data) != PLIST_DATA) {
    error = "no \"data\"";
    return false;
  }
  char* bytesOut = nullptr;
  uint64_t length = 0;
  plist_get_data_val(data, &bytesOut, &length);
  if (bytesOut && length > 0) c.data.assign(bytesOut, bytesOut + length);
  std::free(bytesOut);
  out = std::move(c);
  return true;
}

namespace {

constexpr size_t kMaxPresetBytes = size_t{1} << 24;

// Reads at most kMaxPresetBytes + 1 bytes, so a device or a huge file is refused without being read
// whole; a folder or an oversized regular file is refused before reading at all.
bool ReadBoundedFile(const std::string& path, std::string& bytes, std::string& error)
{
  // Non-blocking open so a FIFO without a writer cannot hang the command; reads then block again.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot read '" + path + "': " + std::strerror(errno);
    return false;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  struct stat st;
  bool ok = fstat(fd, &st) == 0;
  if (!ok) {
    error = "cannot read '" + path + "': " + std::strerror(errno);
  } else if (S_ISDIR(st.st_mode)) {
    error = "'" + path + "' is a folder, not a preset file";
    ok = false;
  } else if (S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) > kMaxPresetBytes) {
    error = "'" + path + "' is too large for a preset (" + std::to_string(st.st_size) + " bytes)";
    ok = false;
  }
  bytes.clear();
  char buffer[1 << 16];
  while (ok) {
    const size_t want = std::min(sizeof buffer, kMaxPresetBytes + 1 - bytes.size());
    const ssize_t n = read(fd, buffer, want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = "cannot read '" + path + "': " + std::strerror(errno);
      ok = false;
    }
    if (n <= 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
    if (bytes.size() > kMaxPresetBytes) {
      error = "'" + path + "' is too large for a preset (more than " + std::to_string(kMaxPresetBytes) + " bytes)";
      ok = false;
    }
  }
  close(fd);
  return ok;
}

} // namespace

bool ReadAUPresetFile(const std::string& path, AUPresetContents& out, std::string& error)
{
  std::string bytes;
  if (!ReadBoundedFile(path, bytes, error)) return false;
  std::string reason;
  if (!AUPresetFromBytes(bytes, out, reason)) {
    error = "'" + path + "' is not a usable .aupreset: " + reason;
    return false;
  }
  return true;
}

bool WriteAUPresetFile(const std::string& path, const AUPresetContents& contents, std::string& error)
{
  const std::string xml = AUPresetToXml(contents);
  if (xml.empty()) {
    error = "cannot encode the preset";
    return false;
  }
  return WriteOutputFile(path, xml, error);
}

bool CheckAUPresetIdentity(const AUPresetContents& contents, OSType type, OSType subtype, OSType manufacturer,
                           std::string& error)
{
  const OSType t = static_cast<OSType>(contents.type), s = static_cast<OSType>(contents.subtype),
               m = static_cast<OSType>(contents.manufacturer);
  if (t == type && s == subtype && m == manufacturer) return true;
  error = "the preset belongs to component " + FourCharText(t) + "/" + FourCharText(s) + "/" + FourCharText(m) +
          ", not " + FourCharText(type) + "/" + FourCharText(subtype) + "/" + FourCharText(manufacturer);
  return false;
}
