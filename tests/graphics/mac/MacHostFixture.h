// A plug-in with an AppKit editor in a headless window: a bundle of its own (made in a temporary
// folder, with a few images), the editor's view in a window, and helpers to send raw AppKit events.
#pragma once

#include <AppKit/AppKit.h>
#include <BrindleHost/Headless.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "graphics/mac/IGraphicsCocoa.h"
#include "graphics/mac/IGraphicsMac.h"
#include "tests/graphics/GraphicsTestSupport.h"
#include "tests/tools/test_temp_dir.h"

constexpr const char* kMacTestBundleID = "com.tallowby.test.machost";

// A bundle folder with Info.plist and, in Resources, the lamp image as "led.png" and a file that is
// not a PNG at all as "corrupt.png". Made once per process (known bundles stay known); the folder
// that holds it goes when the process ends.
inline const TempDir& TestBundleFolder()
{
  static TempDir dir;
  return dir;
}

inline std::string MakeTestBundle()
{
  static std::string made;
  if (!made.empty()) return made;
  const std::string bundle = TestBundleFolder() / "MacHost.component";
  std::system(("mkdir -p '" + bundle + "/Contents/Resources'").c_str());
  std::ofstream(bundle + "/Contents/Info.plist")
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
         "<key>CFBundleIdentifier</key><string>"
      << kMacTestBundleID << "</string><key>CFBundleExecutable</key><string>MacHost</string></dict></plist>\n";
  std::ofstream(bundle + "/Contents/MacHost.so") << "not loaded";
  const char* source = std::getenv("BRINDLE_SOURCE_DIR");
  std::system(("cp '" + std::string(source ? source : ".") + "/resources/img/brindle_led.png' '" + bundle +
               "/Contents/Resources/led.png'")
                  .c_str());
  std::ofstream(bundle + "/Contents/Resources/corrupt.png") << "\x89PNG\r\n\x1a\nthis is no image";
  NSAutoreleasePool pool;
  NSBundle::bundleWithPath(NSString::stringWithUTF8String(bundle.c_str()));
  made = bundle;
  return bundle;
}

// Records what reaches it, modifier keys included.
class ModControl : public IControl
{
public:
  ModControl(IEffectBase* plug, const IRECT& r, int paramIdx = -1) : IControl(plug, r, paramIdx) {}
  bool Draw(IGraphics*) override { return true; }
  void OnMouseDown(int x, int y, IMouseMod* m) override
  {
    Note("down", x, y, m);
    IControl::OnMouseDown(x, y, m);
  }
  void OnMouseDblClick(int x, int y, IMouseMod* m) override { Note("dbl", x, y, m); }
  void OnMouseWheel(int, int, IMouseMod* m, int d) override { Note("wheel", d, 0, m); }
  bool OnKeyDown(int, int, int key) override
  {
    mLog.push_back("key " + std::to_string(key));
    return true;
  }
  std::vector<std::string> mLog;

private:
  void Note(const char* what, int a, int b, IMouseMod* m)
  {
    mLog.push_back(std::string(what) + " " + std::to_string(a) + "," + std::to_string(b) + " " + (m->left ? "L" : "") +
                   (m->right ? "R" : "") + (m->shift ? "S" : "") + (m->control ? "C" : "") + (m->alt ? "A" : ""));
  }
};

// The editor (200 x 326) of a GraphicsTestPlug, open in a window.
struct MacEditor
{
  MacEditor()
  {
    NSApplicationLoad();
    graphics = new IGraphicsMac(&plug, 200, 326, 0);
    graphics->SetBundleID(kMacTestBundleID);
    graphics->AttachPanelBackground(&COLOR_GRAY);
    control = new ModControl(&plug, IRECT(0, 0, 200, 326));
    graphics->AttachControl(control);
    plug.AttachGraphics(graphics);
    Open();
  }
  ~MacEditor() { Close(); }

  void Open()
  {
    window = NSWindow::alloc()->initWithContentRect(NSMakeRect(0, 0, 200, 326), 0, NSBackingStoreBuffered, NO);
    window->setReleasedWhenClosed(NO);
    view = static_cast<NSView*>(graphics->OpenWindow(window->contentView()));
    window->makeKeyAndOrderFront(nullptr);
  }
  void Close()
  {
    if (!window) return;
    if (view && graphics->GetWindow() == view) view->removeFromSuperview();
    window->close();
    window->release();
    window = nullptr;
    view = nullptr;
  }
  void Mouse(NSEventType type, double x, double y, NSUInteger flags = 0, NSInteger clicks = 1)
  {
    NSAutoreleasePool pool;
    BrindleHost::DeliverEvent(NSEvent::mouseEventWithType(type, NSMakePoint(x, y), flags, 0, window->windowNumber(),
                                                          nullptr, 0, clicks, 1.0f));
  }

  GraphicsTestPlug plug;
  IGraphicsMac* graphics = nullptr; // owned by the plug-in
  ModControl* control = nullptr;
  NSWindow* window = nullptr;
  NSView* view = nullptr;
};
