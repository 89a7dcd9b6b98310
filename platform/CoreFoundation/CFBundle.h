/*
 * CFBundle.h — bundles: folders laid out as X.component/Contents/{Info.plist, Resources/, ...}.
 *
 * A bundle becomes known to the process when it is created (CFBundleCreate, which the component
 * loader of BrindleHost/ComponentBundle.h calls for every bundle it loads); from then on
 * CFBundleGetBundleWithIdentifier finds it by the CFBundleIdentifier of its Info.plist. Known bundles
 * stay known for the life of the process, as loaded bundles do on a Mac. The main bundle is the
 * folder of the running executable; it has an identifier only when that folder is itself a bundle
 * with an Info.plist.
 */
#ifndef BRINDLE_PLATFORM_CFBUNDLE_H
#define BRINDLE_PLATFORM_CFBUNDLE_H

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFURL.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct __CFBundle* CFBundleRef;

CFTypeID CFBundleGetTypeID(void);
/* The bundle at bundleURL (a folder), retained: the known bundle for that folder when there is one,
 * else a new one. NULL when the folder does not exist. */
CFBundleRef CFBundleCreate(CFAllocatorRef allocator, CFURLRef bundleURL);
/* Borrowed references. */
CFBundleRef CFBundleGetMainBundle(void);
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID);
CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
/* A string value from the top level of the bundle's Info.plist (borrowed), or NULL when the key is
 * absent or not a string; other value types are not read. */
CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key);
/* New URLs. A resource is looked for as Contents/Resources/[subDirName/]name[.type]; NULL when no
 * such file exists. */
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName);

#ifdef __cplusplus
}
#endif

#endif
