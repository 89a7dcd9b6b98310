#include "lv2/ui/LV2UIEntry.h"

#include <CoreFoundation/CoreFoundation.h>

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
    instance->mPlug = product.mMake(info);
    IGraphics* editor = instance->mPlug ? dynamic_cast<IGraphics*>(instance->mPlug->GetGUI()) : nullptr;
    std::string error;
    if (!instance->mWindow.Open(editor, parent, &error)) {
      Refuse(product, error);
      return nullptr;
    }
    if (widget) *widget = reinterpret_cast<LV2UI_Widget>(static_cast<uintptr_t>(instance->mWindow.XWindow()));
    auto* resize = static_cast<const LV2UI_Resize*>(FeatureData(features, LV2_UI__resize));
    if (resize && resize->ui_resize)
      resize->ui_resize(resize->handle, instance->mWindow.Width(), instance->mWindow.Height());
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
  return nullptr;
}
