// The bundle description writer run at build time: linked with one product's LV2 entry, it writes
// that product's Turtle files (LV2BundleWriter.h) into a bundle folder.
#include <cstdio>
#include <cstring>
#include <string>

#include "lv2/LV2BundleWriter.h"

extern "C" const LV2_Descriptor* lv2_descriptor(uint32_t index);

namespace {
const char kUsage[] = "usage: lv2-bundle-ttl --out DIR --binary FILE --data FILE [--category CLASS]\n"
                      "                      [--ui-uri URI --ui-binary FILE [--ui-class CLASS] [--ui-see-also FILE]]\n";
}

int main(int argc, char** argv)
{
  std::string dir;
  LV2BundleOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    const char* value = argv[++i];
    if (arg == "--out")
      dir = value;
    else if (arg == "--binary")
      options.mBinary = value;
    else if (arg == "--data")
      options.mDataFile = value;
    else if (arg == "--category")
      options.mCategory = value;
    else if (arg == "--ui-uri")
      options.mUIURI = value;
    else if (arg == "--ui-binary")
      options.mUIBinary = value;
    else if (arg == "--ui-class")
      options.mUIClass = value;
    else if (arg == "--ui-see-also")
      options.mUISeeAlso = value;
    else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (dir.empty() || options.mBinary.empty() || options.mDataFile.empty() ||
      options.mUIURI.empty() != options.mUIBinary.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string error;
  if (!LV2WriteBundle(lv2_descriptor, dir, options, &error)) {
    std::fprintf(stderr, "lv2-bundle-ttl: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
