// Fuzzes the .aupreset reader (XML and binary property lists). What it accepts must survive being
// written and read again unchanged, and through a class-info dictionary and back.

#include "tools/files/AUPresetFile.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool Same(const AUPresetContents& a, const AUPresetContents& b)
{
  return a.version == b.version && a.type == b.type && a.subtype == b.subtype && a.manufacturer == b.manufacturer &&
         a.data == b.data;
}

void Fail(const char* what)
{
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  AUPresetContents contents;
  std::string error;
  if (!AUPresetFromBytes(std::string(reinterpret_cast<const char*>(data), size), contents, error)) {
    if (error.empty() || error.find('\n') != std::string::npos) Fail("a refusal without a one-line reason");
    return 0;
  }
  AUPresetContents again;
  if (!AUPresetFromBytes(AUPresetToXml(contents), again, error) || !Same(contents, again))
    Fail("written and read again, the preset changed");
  CFMutableDictionaryRef dictionary = AUPresetToDictionary(contents);
  if (!dictionary) return 0; // a name that is not UTF-8 makes no CFString
  if (!AUPresetFromDictionary(dictionary, again, error) || !Same(contents, again))
    Fail("through a dictionary, the preset changed");
  CFRelease(dictionary);
  return 0;
}
