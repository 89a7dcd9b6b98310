#pragma once
// LV2UIEntry: the functions behind a product's LV2 UI descriptor.
//
// A product's UI library (made by the brindle_lv2_ui CMake function from LV2UIDescriptor.cpp.in)
// exports lv2ui_descriptor and forwards each descriptor call here with a small description of the
// product: its URIs, bundle identifier, channel configurations and a function that builds the
// product over IEffectLV2UIPlug. Instantiation:
//
//   - needs the host's ui:parent (an X window the editor goes into) and refuses without one;
//   - refuses a plug-in URI that is none of the product's variants (LV2PortLayout.h), whose
//     control ports follow its audio ports;
//   - makes the bundle folder known to the bundle registry, so that the editor finds its images,
//     which the bundle carries as Contents/Resources/ beside Contents/Info.plist (whose
//     CFBundleIdentifier is the product's bundle identifier);
//   - builds the product, opens its editor in the parent (LV2UIWindow.h) at the host's
//     ui:scaleFactor (an options feature, with urid:map; else the display's scale) and tells the host
//     the editor's scaled size through ui:resize when offered; the widget is the editor's X window.
//
// The host drives the editor through ui:idleInterface (extension data); through opts:interface it may
// set a new ui:scaleFactor while the editor is open, which makes the window again at the new size in
// the same parent (a new widget) and tells the host the size through ui:resize. Refusals are one line on
// standard error. Nothing thrown inside reaches the host.

#include <lv2/ui/ui.h>

#include <memory>

#include "lv2/ui/IEffectLV2UIPlug.h"

struct LV2UIProduct
{
  const char* mName;      // for messages
  const char* mPluginURI; // the product's base URI; each variant adds its fragment
  const char* mBundleID;
  const char* mChannelIO;
  // Builds the product over the UI-side base; may throw.
  std::unique_ptr<IEffectLV2UIPlug> (*mMake)(const IEffectLV2UIPlug::InstanceInfo& info);
};

LV2UI_Handle LV2UIInstantiate(const LV2UIProduct& product, const char* pluginURI, const char* bundlePath,
                              LV2UI_Write_Function writeFunction, LV2UI_Controller controller, LV2UI_Widget* widget,
                              const LV2_Feature* const* features);
void LV2UICleanup(LV2UI_Handle handle);
// Control ports take protocol 0 (one float); anything else is ignored.
void LV2UIPortEvent(LV2UI_Handle handle, uint32_t portIndex, uint32_t bufferSize, uint32_t format, const void* buffer);
// The idle interface for LV2_UI__idleInterface, the options interface for LV2_OPTIONS__interface; null
// for anything else.
const void* LV2UIExtensionData(const char* uri);
