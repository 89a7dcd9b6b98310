/*
 * NSBundle.h — bundles as AppKit sees them, over CFBundle (CoreFoundation/CFBundle.h). A bundle
 * becomes known when BrindleHost_LoadComponentBundle or CFBundleCreate sees it; bundleWithPath
 * makes it known too. The objects are shared: asking twice for the same bundle gives the same
 * NSBundle, which lives as long as the process.
 *
 * Layout: <bundle>/Contents/Info.plist, <bundle>/Contents/<CFBundleExecutable>.so,
 * <bundle>/Contents/Resources/.
 */
#ifndef BRINDLE_PLATFORM_NSBUNDLE_H
#define BRINDLE_PLATFORM_NSBUNDLE_H

#include <CoreFoundation/CFBundle.h>
#include <Foundation/NSString.h>

class NSBundle : public NSObject
{
public:
  /* nil when no such bundle is known or exists. */
  static NSBundle* bundleWithIdentifier(NSString* identifier);
  static NSBundle* bundleWithPath(NSString* path);
  static NSBundle* mainBundle();
  const char* className() const override { return "NSBundle"; }

  CFBundleRef CFBundle() const { return mBundle; }
  NSString* bundleIdentifier() const;
  NSString* bundlePath() const;
  NSString* resourcePath() const;
  /* nil when Info.plist names no executable or the file does not exist. */
  NSString* executablePath() const;
  /* The resource's full path, or nil when there is no such file. */
  NSString* pathForResource(NSString* name, NSString* type) const;
  /* Loads the executable (once); YES when it is loaded. */
  BOOL load();
  BOOL isLoaded() const { return mLibrary != nullptr; }
  /* Loads the code when needed, then looks the class up by name; nil when absent. */
  Class classNamed(NSString* name);

private:
  explicit NSBundle(CFBundleRef bundle) : mBundle(bundle) {}
  static NSBundle* forCFBundle(CFBundleRef bundle);
  CFBundleRef mBundle;
  void* mLibrary = nullptr;
};

#endif
