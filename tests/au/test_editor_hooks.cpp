// What the adapter offers once a plug-in has an editor: the view component list,
// the Cocoa view (bundle URL and factory class), and host parameter changes shown
// in the editor.
#include <BrindleHost/ComponentBundle.h>

#include "AUTestFixture.h"
#include "BrindleIdentity.h"
#include "au/AUPlugFactory.h"

namespace {
struct EditorLog
{
  std::vector<std::tuple<int, double, bool>> mCalls;
  int mResizes = 0;
  bool mDeleted = false;
};
EditorLog gEditorLog;

class FakeEditor : public IEditorDelegate
{
public:
  ~FakeEditor() override { gEditorLog.mDeleted = true; }
  void SetParameterFromPlug(int idx, double value, bool normalized) override
  {
    gEditorLog.mCalls.emplace_back(idx, value, normalized);
  }
  void SetControlFromPlug(int, double) override {}
  void PrepDraw() override {}
  void PromptForFile(Core_String* file, EFileAction, Core_String*, char*) override { file->Set(""); }
};

class EditorPlug : public TestPlug
{
public:
  EditorPlug() : TestPlug(IEffectInstanceInfo{"com.tallowby.audiounit.Brindle", "Test_View"})
  {
    AttachGraphics(new FakeEditor);
  }
  void OnWindowResize() override { ++gEditorLog.mResizes; }
};

IEffectAU* MakeEditorPlug()
{
  return new EditorPlug;
}

class AUEditorTest : public AUHostTest
{
protected:
  void SetUp() override
  {
    gEditorLog = EditorLog();
    AUHostTest::SetUp();
    // Reopen with an editor-carrying plug.
    Close(mUnit);
    IEffectAU::SetPlugFactory(&MakeEditorPlug);
    mUnit = Open();
    ASSERT_NE(mUnit, nullptr);
  }
};
} // namespace

TEST_F(AUEditorTest, ViewPropertiesNameTheBundleAndTheFactoryClass)
{
  // Attaching showed every parameter's normalized value: Gain 1 of 0..2 is 0.5.
  ASSERT_GE(gEditorLog.mCalls.size(), static_cast<size_t>(TestPlug::kNumParams));
  EXPECT_EQ(gEditorLog.mCalls[0], std::make_tuple(0, 0.5, true));

  ComponentDescription cd;
  UInt32 size = sizeof(cd);
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_GetUIComponentList, kAudioUnitScope_Global, 0, &cd, &size),
            noErr);
  EXPECT_EQ(cd.componentType, 0x61757677u); // 'auvw'
  EXPECT_EQ(cd.componentSubType, kTestSubType);
  EXPECT_EQ(cd.componentManufacturer, kTestMfr);
  EXPECT_EQ(cd.componentFlags, 0u);

  // The Cocoa view needs the bundle to be known by its identifier.
  BrindleHost_ComponentBundle bundle;
  ASSERT_EQ(BrindleHost_LoadComponentBundle(BRINDLE_COMPONENT_BUNDLE, &bundle), noErr);
  AudioUnitCocoaViewInfo view = {nullptr, {nullptr}};
  size = sizeof(view);
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &view, &size), noErr);
  char path[1024] = {};
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(view.mCocoaAUViewBundleLocation, true, reinterpret_cast<UInt8*>(path),
                                               sizeof(path)));
  const std::string p(path);
  EXPECT_NE(p.find("Brindle.component"), std::string::npos) << p;
  EXPECT_EQ(ToStd(view.mCocoaAUViewClass[0]), "Test_View");
  CFRelease(view.mCocoaAUViewBundleLocation);
  CFRelease(view.mCocoaAUViewClass[0]);
  EXPECT_EQ(BrindleHost_UnloadComponentBundle(&bundle), noErr);
}

TEST_F(AUEditorTest, HostChangesReachTheEditorUnclampedAndCloseDeletesIt)
{
  gEditorLog.mCalls.clear();
  ASSERT_EQ(AudioUnitSetParameter(mUnit, TestPlug::kGain, kAudioUnitScope_Global, 0, 5.0f, 0), noErr);
  ASSERT_EQ(gEditorLog.mCalls.size(), 1u);
  EXPECT_EQ(gEditorLog.mCalls[0], std::make_tuple(0, 5.0, false));

  Plug(mUnit)->ResizeGraphics(300, 200);
  EXPECT_EQ(gEditorLog.mResizes, 1);

  Close(mUnit);
  EXPECT_TRUE(gEditorLog.mDeleted);
}
