#include "lv2/ui/LV2UIEntry.h"

#include <CoreFoundation/CoreFoundation.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "graphics/IGraphics.h"
#include "lv2/LV2PortLayout.h"
#include "lv2/ui/LV2UIWindow.h"

namespace {

struct LV2UIInstance
{
  // Declared first, destroyed last: the window closes before the editor it shows goes.
  std::unique_ptr<IEffectLV2UIPlug> mPlug;
  LV2UIWindow mWindow;
  const LV2UI_Resize* mResize = nullptr;
  LV2_URID mScaleFactor = 0, mFloat = 0; // 0 when the host maps no URIs
  float mReportedScale = 1.0f;           // what options get hands out (it must outlive the call)
};

void Refuse(const LV2UIProduct& product, const std::string& why)
{
  std::fprintf(stderr, "%s UI: %s\n", product.mName ? product.mName : "plug-in", why.c_str());
}

const LV2_Feature* FindFeature(const LV2_Feature* const* features, const char* uri)
{
  for (const LV2_Feature* const* f = features; f && *f; ++f)
    if ((*f)->URI && std::strcmp((*f)->URI, uri) == 0) return *f;
  return nullptr;
}

const void* FeatureData(const LV2_Feature* const* features, const char* uri)
{
  const LV2_Feature* feature = FindFeature(features, uri);
  return feature ? feature->data : nullptr;
}

// Makes the bundle folder known to the bundle registry; true when its Info.plist names bundleID.
bool RegisterBundle(const char* bundlePath, const char* bundleID)
{
  if (!bundlePath || !*bundlePath) return false;
  const std::string path(bundlePath);
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      kCFAllocatorDefault, reinterpret_cast<const UInt8*>(path.c_str()), static_cast<CFIndex>(path.size()), true);
  CFBundleRef bundle = url ? CFBundleCreate(kCFAllocatorDefault, url) : nullptr;
  if (url) CFRelease(url);
  if (!bundle) return false;
  CFStringRef id = CFBundleGetIdentifier(bundle);
  char text[256] = {};
  const bool named =
      id && CFStringGetCString(id, text, sizeof(text), kCFStringEncodingUTF8) && std::strcmp(text, bundleID) == 0;
  CFRelease(bundle); // the registry keeps every bundle it has seen
  return named;
}

// The port of parameter 0 in the variant pluginURI names: after its audio inputs and outputs.
bool FirstControlPort(const LV2UIProduct& product, const char* pluginURI, uint32_t* port)
{
  if (!pluginURI) return false;
  for (const LV2Variant& variant : LV2Variants(product.mChannelIO)) {
    if (LV2VariantURI(product.mPluginURI, variant) != pluginURI) continue;
    *port = static_cast<uint32_t>(variant.mIn + variant.mOut);
    return true;
  }
  return false;
}

LV2UIInstance* Instance(LV2UI_Handle handle)
{
  return static_cast<LV2UIInstance*>(handle);
}

// The host's ui:scaleFactor among options (an atom:Float), or 0 when it gives none that can be read.
float ScaleFactorIn(const LV2UIInstance& instance, const LV2_Options_Option* options)
{
  if (!instance.mScaleFactor) return 0.0f;
  for (const LV2_Options_Option* o = options; o && o->key; ++o) {
    if (o->key != instance.mScaleFactor || o->type != instance.mFloat || o->size != sizeof(float) || !o->value)
      continue;
    float value;
    std::memcpy(&value, o->value, sizeof(value));
    if (std::isfinite(value) && value > 0.0f) return value;
  }
  return 0.0f;
}

void ReportSize(LV2UIInstance& instance)
{
  if (instance.mResize && instance.mResize->ui_resize)
    instance.mResize->ui_resize(instance.mResize->handle, instance.mWindow.Width(), instance.mWindow.Height());
}

// Options interface: the host may change ui:scaleFactor while the editor is open, and read it back.
uint32_t GetOptions(LV2_Handle handle, LV2_Options_Option* options)
{
  LV2UIInstance* instance = Instance(handle);
  if (!instance || !instance->mScaleFactor) return LV2_OPTIONS_ERR_UNKNOWN;
  uint32_t result = LV2_OPTIONS_SUCCESS;
  for (LV2_Options_Option* o = options; o && o->key; ++o) {
    if (o->key != instance->mScaleFactor) {
      result |= LV2_OPTIONS_ERR_BAD_KEY;
      continue;
    }
    const IGraphics* editor = instance->mPlug ? dynamic_cast<IGraphics*>(instance->mPlug->GetGUI()) : nullptr;
    instance->mReportedScale = editor ? static_cast<float>(editor->GetScale()) : 1.0f;
    o->size = sizeof(float);
    o->type = instance->mFloat;
    o->value = &instance->mReportedScale;
  }
  return result;
}

uint32_t SetOptions(LV2_Handle handle, const LV2_Options_Option* options)
{
  try {
    LV2UIInstance* instance = Instance(handle);
    if (!instance) return LV2_OPTIONS_ERR_UNKNOWN;
    const float scale = ScaleFactorIn(*instance, options);
    if (scale <= 0.0f) return LV2_OPTIONS_ERR_BAD_KEY;
    const int width = instance->mWindow.Width(), height = instance->mWindow.Height();
    if (!instance->mWindow.SetScale(scale)) return LV2_OPTIONS_ERR_UNKNOWN;
    if (instance->mWindow.Width() != width || instance->mWindow.Height() != height) ReportSize(*instance);
    return LV2_OPTIONS_SUCCESS;
  } catch (...) {
    return LV2_OPTIONS_ERR_UNKNOWN;
  }
}

const LV2_Options_Interface kOptionsInterface = {&GetOptions, &SetOptions};

int Idle(LV2UI_Handle handle)
{
  try {
    LV2UIInstance* instance = Instance(handle);
    return instance && instance->mWindow.Idle() ? 0 : 1;
  } catch (...) {
    return 1;
  }
}

const LV2UI_Idle_Interface kIdleInterface = {&Idle};

} // namespace

LV2UI_Handle LV2UIInstantiate(const LV2UIProduct& product, const char* pluginURI, const char* bundlePath,
                              LV2UI_Write_Function writeFunction, LV2UI_Controller controller, LV2UI_Widget* widget,
                              const LV2_Feature* const* features)
{
  try {
    // The parent is an X window id, so 0 is as good as no parent at all.
    const uintptr_t parent = reinterpret_cast<uintptr_t>(FeatureData(features, LV2_UI__parent));
    if (!parent) {
      Refuse(product, "the host offers no parent window (ui:parent); this editor only opens inside one");
      return nullptr;
    }
    uint32_t firstControlPort = 0;
    if (!FirstControlPort(product, pluginURI, &firstControlPort)) {
      Refuse(product, std::string("'") + (pluginURI ? pluginURI : "") + "' is not one of this UI's plug-ins");
      return nullptr;
    }
    if (!RegisterBundle(bundlePath, product.mBundleID)) {
      Refuse(product, std::string("the bundle at '") + (bundlePath ? bundlePath : "") +
                          "' has no Contents/Info.plist naming " + product.mBundleID);
      return nullptr;
    }

    IEffectLV2UIPlug::InstanceInfo info;
    info.mBundleID = product.mBundleID;
    info.mWrite = writeFunction;
    info.mController = controller;
    info.mTouch = static_cast<const LV2UI_Touch*>(FeatureData(features, LV2_UI__touch));
    info.mFirstControlPort = firstControlPort;

    auto instance = std::make_unique<LV2UIInstance>();
    if (auto* map = static_cast<const LV2_URID_Map*>(FeatureData(features, LV2_URID__map)); map && map->map) {
      instance->mScaleFactor = map->map(map->handle, LV2_UI__scaleFactor);
      instance->mFloat = map->map(map->handle, LV2_ATOM__Float);
    }
    // Without the host's factor the editor follows the display, as the host's own toolkit would.
    const float scale =
        ScaleFactorIn(*instance, static_cast<const LV2_Options_Option*>(FeatureData(features, LV2_OPTIONS__options)));
    instance->mPlug = product.mMake(info);
    IGraphics* editor = instance->mPlug ? dynamic_cast<IGraphics*>(instance->mPlug->GetGUI()) : nullptr;
    std::string error;
    if (!instance->mWindow.Open(editor, parent, &error, scale)) {
      Refuse(product, error);
      return nullptr;
    }
    if (widget) *widget = reinterpret_cast<LV2UI_Widget>(static_cast<uintptr_t>(instance->mWindow.XWindow()));
    instance->mResize = static_cast<const LV2UI_Resize*>(FeatureData(features, LV2_UI__resize));
    ReportSize(*instance);
    return instance.release();
  } catch (...) {
    Refuse(product, "the editor could not be made");
    return nullptr;
  }
}

void LV2UICleanup(LV2UI_Handle handle)
{
  try {
    delete Instance(handle);
  } catch (...) {}
}

void LV2UIPortEvent(LV2UI_Handle handle, uint32_t portIndex, uint32_t bufferSize, uint32_t format, const void* buffer)
{
  LV2UIInstance* instance = Instance(handle);
  if (!instance || !instance->mPlug || !buffer || format != 0 || bufferSize != sizeof(float)) return;
  try {
    float value;
    std::memcpy(&value, buffer, sizeof(value));
    instance->mPlug->SetFromPort(portIndex, value);
  } catch (...) {}
}

const void* LV2UIExtensionData(const char* uri)
{
  if (uri && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &kIdleInterface;
  if (uri && std::strcmp(uri, LV2_OPTIONS__interface) == 0) return &kOptionsInterface;
  return nullptr;
}
