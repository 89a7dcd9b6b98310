// Brindle and Gain in one host process: both bundles loaded through the host's bundle loader, one
// instance of each open, both editors opened through the Cocoa-view property. Each bundle names its
// own view factory and registers its editor classes under its own suffix, once, with no clash; a
// knob turned in one editor moves only its own unit.
#include "tests/examples/ExampleBundles.h"
#include "tools/host/ComponentHost.h"
#include "tools/host/EditorHost.h"

#include <AppKit/AppKit.h>
#include <Foundation/NSObjCRuntime.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Expected
{
  const LoadedBundle& (*bundle)();
  const char* subtype;
  const char* viewFactory;
  const char* suffix;
  int editorWidth, editorHeight;
};

const Expected kPlugins[] = {
    {BrindleBundle, "bdl3", "Brindle_View", "_vBrindle_au", 208, 326},
    {GainBundle, "gnp1", "Gain_View", "_vGain_au", 200, 150},
};

// The editor's classes by base name, with the superclass each is registered under.
const std::pair<const char*, const char*> kEditorClasses[] = {
    {"IGraphicsCocoa", "NSView"},  {"CocoaFormatter", "NSFormatter"}, {"IGraphicsMenuRcvr", "NSView"},
    {"IGraphicsNSMenu", "NSMenu"}, {"CustomCocoaWindow", "NSWindow"},
};

std::string ViewFactoryName(AudioUnit unit)
{
  AudioUnitCocoaViewInfo info = {nullptr, {nullptr}};
  UInt32 size = sizeof(info);
  if (AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size) != noErr)
    return "";
  const std::string name = StringFromCF(info.mCocoaAUViewClass[0]);
  if (info.mCocoaAUViewBundleLocation) CFRelease(info.mCocoaAUViewBundleLocation);
  if (info.mCocoaAUViewClass[0]) CFRelease(info.mCocoaAUViewClass[0]);
  return name;
}

} // namespace

TEST(SideBySide, BothBundlesLoadWithoutAClashAndRegisterTheirOwnClasses)
{
  for (const Expected& e : kPlugins) {
    const LoadedBundle& loaded = e.bundle();
    SCOPED_TRACE(e.viewFactory);
    ASSERT_EQ(loaded.status, noErr);
    ASSERT_NE(loaded.effect, nullptr);
    EXPECT_EQ(FourCharText(loaded.description.componentSubType), e.subtype);
    // A second registration of any name would have been reported while the bundle loaded.
    EXPECT_EQ(loaded.loadErrors.find("implemented in two places"), std::string::npos) << loaded.loadErrors;
    ASSERT_NE(objc_getClass(e.viewFactory), nullptr);
    for (const auto& [base, super] : kEditorClasses) {
      const std::string name = std::string(base) + e.suffix;
      Class cls = objc_getClass(name.c_str());
      ASSERT_NE(cls, nullptr) << name;
      EXPECT_STREQ(cls->superclassName, super) << name;
    }
    // The registered view class makes objects that call themselves by that name.
    const std::string viewClass = std::string("IGraphicsCocoa") + e.suffix;
    NSObject* probe = objc_getClass(viewClass.c_str())->alloc();
    EXPECT_STREQ(probe->className(), viewClass.c_str());
    probe->release();
  }
  EXPECT_NE(GainBundle().effect, BrindleBundle().effect);
  // Nothing is registered under the bare, unsuffixed names.
  EXPECT_EQ(objc_getClass("IGraphicsCocoa"), nullptr);
}

TEST(SideBySide, BothEditorsOpenInOneProcessEachWithItsOwnViewClass)
{
  ComponentHost hosts[2];
  EditorHost editors[2];
  for (int i = 0; i < 2; ++i) {
    const Expected& e = kPlugins[i];
    SCOPED_TRACE(e.viewFactory);
    ASSERT_NE(e.bundle().effect, nullptr);
    ASSERT_EQ(hosts[i].Open(e.bundle().effect), noErr);
    ASSERT_EQ(hosts[i].Configure(HostFormat{44100.0, 2, 2, 256}), noErr);
    ASSERT_EQ(hosts[i].Initialize(), noErr);
    EXPECT_EQ(ViewFactoryName(hosts[i].Unit()), e.viewFactory);
  }
  for (int i = 0; i < 2; ++i) {
    const Expected& e = kPlugins[i];
    std::string error;
    ASSERT_TRUE(editors[i].Open(hosts[i].Unit(), error)) << error;
    EXPECT_EQ(editors[i].Width(), e.editorWidth);
    EXPECT_EQ(editors[i].Height(), e.editorHeight);
    EXPECT_EQ(std::string(editors[i].View()->className()), std::string("IGraphicsCocoa") + e.suffix);
  }
  // Both open at once; a drag on Gain's "Gain" knob moves Gain's parameter and nothing of Brindle's.
  auto values = [](ComponentHost& host, int count) {
    std::vector<AudioUnitParameterValue> v(static_cast<size_t>(count));
    for (int p = 0; p < count; ++p) host.GetParameter(static_cast<AudioUnitParameterID>(p), v[static_cast<size_t>(p)]);
    return v;
  };
  const auto brindleBefore = values(hosts[0], 4);
  AudioUnitParameterValue gainBefore = 0, gainAfter = 0;
  hosts[1].GetParameter(0, gainBefore);
  editors[1].Drag(50, 80, 0, -20);
  editors[0].Ticks(1);
  editors[1].Ticks(1);
  hosts[1].GetParameter(0, gainAfter);
  EXPECT_GT(gainAfter, gainBefore);
  EXPECT_EQ(values(hosts[0], 4), brindleBefore);
  for (EditorHost& editor : editors) editor.Close();
}
