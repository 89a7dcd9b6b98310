/*
 * ComponentBundle.h — loading a plug-in component bundle the way a host does on a Mac: the bundle
 * becomes known to CFBundle, its shared library is loaded, and every component its Info.plist lists
 * is registered with the Component Manager under the entry function the library exports.
 *
 * Bundle layout:
 *
 *   Brindle.component/
 *     Contents/
 *       Info.plist            (XML or binary property list)
 *       <CFBundleExecutable>.so
 *       Resources/            (images and other resources, found with CFBundleCopyResourceURL)
 *
 * Info.plist keys read here (a dictionary at the top level):
 *
 *   CFBundleIdentifier   string, required: what CFBundleGetBundleWithIdentifier finds the bundle by,
 *                        e.g. "com.tallowby.audiounit.Brindle".
 *   CFBundleExecutable   string, required: the library's base name; "Brindle" loads
 *                        Contents/Brindle.so.
 *   AudioComponents      array, required, one dictionary per component, each with:
 *       type             string of exactly four characters, e.g. "aufx" (or "auvw" for a view
 *                        component);
 *       subtype          four characters, e.g. "bdl3";
 *       manufacturer     four characters, e.g. "Qxlo";
 *       name             string, e.g. "tallowby: Brindle";
 *       version          integer, the component's version word, e.g. 131840 (0x00020300 = 2.3.0);
 *       entryPoint       string: the exported C symbol of the component's Component Manager entry,
 *                        ComponentResult entry(ComponentParameters*, void* storage), e.g.
 *                        "Brindle_Entry" for the effect and "Brindle_ViewEntry" for its view.
 *
 * Four-character codes become big-endian 32-bit values ("aufx" = 0x61756678), as on a Mac.
 *
 * The plug-in library links brindle_platform, which is a shared library: host and plug-in then share
 * one Component Manager (instance storage set inside the plug-in is seen by the host), one bundle
 * registry and one set of event listeners, as they share the system frameworks on a Mac.
 */
#ifndef BRINDLE_PLATFORM_COMPONENTBUNDLE_H
#define BRINDLE_PLATFORM_COMPONENTBUNDLE_H

#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/Components.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { kBrindleHost_MaxBundleComponents = 8 };

typedef struct BrindleHost_BundleComponent
{
  Component component;              /* as registered */
  ComponentDescription description; /* type, subtype, manufacturer; flags 0 */
  char name[256];
  UInt32 version;
  char entryPoint[128];
} BrindleHost_BundleComponent;

typedef struct BrindleHost_ComponentBundle
{
  CFBundleRef bundle; /* borrowed: known bundles live as long as the process */
  void* library;      /* the loaded shared library */
  UInt32 componentCount;
  BrindleHost_BundleComponent components[kBrindleHost_MaxBundleComponents];
} BrindleHost_ComponentBundle;

/* Loads the bundle folder at bundlePath and registers its components; on failure nothing stays
 * registered or loaded and *out is zeroed. Results:
 *   noErr                      loaded;
 *   fnfErr                     no such folder, no Contents/Info.plist, or no library file;
 *   memFullErr                 the Component Manager table is full;
 *   paramErr                   NULL argument, or Info.plist unreadable or missing a required key, a
 *                              code not of four characters, or more than
 *                              kBrindleHost_MaxBundleComponents components;
 *   unresolvedComponentDLLErr  the library does not load or lacks an entry point (the reason is
 *                              written to standard error). */
OSStatus BrindleHost_LoadComponentBundle(const char* bundlePath, BrindleHost_ComponentBundle* out);

/* Unregisters the bundle's components and unloads the library. validInstancesExist (and nothing
 * changes) while any of its components has open instances. The bundle stays known to CFBundle. */
OSStatus BrindleHost_UnloadComponentBundle(BrindleHost_ComponentBundle* bundle);

#ifdef __cplusplus
}
#endif

#endif
