#include "tests/examples/ExampleBundles.h"

#include <gtest/gtest.h>

namespace {

LoadedBundle Load(const char* path)
{
  LoadedBundle loaded;
  // Anything the bundle's classes say while registering (a clash of names, say) goes to stderr.
  testing::internal::CaptureStderr();
  loaded.status = BrindleHost_LoadComponentBundle(path, &loaded.bundle);
  loaded.loadErrors = testing::internal::GetCapturedStderr();
  for (UInt32 i = 0; i < loaded.bundle.componentCount; ++i) {
    if (loaded.bundle.components[i].description.componentType == 0x61756678) { // 'aufx'
      loaded.effect = loaded.bundle.components[i].component;
      loaded.description = loaded.bundle.components[i].description;
    }
  }
  return loaded;
}

} // namespace

const LoadedBundle& BrindleBundle()
{
  static const LoadedBundle sBundle = Load(BRINDLE_COMPONENT_BUNDLE);
  return sBundle;
}

const LoadedBundle& GainBundle()
{
  static const LoadedBundle sBundle = Load(GAIN_COMPONENT_BUNDLE);
  return sBundle;
}
