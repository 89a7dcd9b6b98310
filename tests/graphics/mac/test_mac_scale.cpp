// The AppKit editor at a display scale: Brindle's layout, drawn from the shipped image sets, driven
// with raw AppKit events at the view's (device) pixels. Every control is hit exactly inside its scaled
// rectangle, and a drag moves a knob as the editor pixels it covers would.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/IBitmapControls.h"
#include "tests/graphics/mac/MacHostFixture.h"

namespace {

constexpr const char* kScaleBundleID = "com.tallowby.test.macscale";

// A bundle holding every editor image in all its sets.
void MakeScaleBundle()
{
  static bool made = false;
  if (made) return;
  const std::string bundle = TestBundleFolder() / "MacScale.component";
  std::system(("mkdir -p '" + bundle + "/Contents/Resources'").c_str());
  std::ofstream(bundle + "/Contents/Info.plist")
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
         "<key>CFBundleIdentifier</key><string>"
      << kScaleBundleID << "</string><key>CFBundleExecutable</key><string>MacScale</string></dict></plist>\n";
  std::ofstream(bundle + "/Contents/MacScale.so") << "not loaded";
  const char* source = std::getenv("BRINDLE_SOURCE_DIR");
  std::system(
      ("cp '" + std::string(source ? source : ".") + "'/resources/img/*.png '" + bundle + "/Contents/Resources/'")
          .c_str());
  NSAutoreleasePool pool;
  NSBundle::bundleWithPath(NSString::stringWithUTF8String(bundle.c_str()));
  made = true;
}

// Level and Attack (0..1), Effect and Cabinet (switches), as the product has them.
class PedalPlug : public HostlessPlug
{
public:
  PedalPlug() : HostlessPlug(4, "1-1 2-2", 0, "Pedal", "Pedal", "Test", 0x10000, 1, 2, 0, false, false, false, kAPIAU)
  {
    GetParam(0)->InitDouble("Level", 0.5, 0.0, 1.0, 0.001);
    GetParam(1)->InitDouble("Attack", 0.5, 0.0, 1.0, 0.001);
    GetParam(2)->InitBool("Effect", true);
    GetParam(3)->InitBool("Cabinet", true);
  }
};

enum { kLamp = 1, kCabinet, kFootswitch, kLevel, kAttack, kAbout };

struct Control
{
  int idx;
  IRECT hit; // editor pixels
};
// The product's layout: control rectangles from the image sizes at their top-left corners.
const Control kControls[] = {
    {kLamp, {91, 15, 117, 41}},  {kCabinet, {80, 61, 128, 85}},  {kFootswitch, {80, 172, 128, 220}},
    {kLevel, {18, 86, 93, 161}}, {kAttack, {115, 86, 190, 161}}, {kAbout, {10, 35, 80, 55}}, // its target
};

struct PedalEditor
{
  explicit PedalEditor(double scale)
  {
    MakeScaleBundle();
    NSApplicationLoad();
    graphics = new IGraphicsMac(&plug, 208, 326, 0);
    graphics->SetBundleID(kScaleBundleID);
    graphics->AttachBackground(62102, "resources/img/background.png");
    IBitmap lamp = graphics->LoadIBitmap(62104, "resources/img/brindle_led.png", 2);
    graphics->AttachControl(new IBitmapControl(&plug, 91, 15, -1, &lamp));
    IBitmap toggle = graphics->LoadIBitmap(62105, "resources/img/brindle_switch_01.png", 2);
    graphics->AttachControl(new ISwitchControl(&plug, 80, 61, 3, &toggle));
    IBitmap foot = graphics->LoadIBitmap(62100, "resources/img/brindle_switch_02.png", 2);
    graphics->AttachControl(new IOnOffControl(&plug, 80, 172, 2, &foot));
    IBitmap knob = graphics->LoadIBitmap(62101, "resources/img/brindle_knob_01.png", 65);
    graphics->AttachControl(new IKnobMultiControl(&plug, 18, 86, 0, &knob));
    graphics->AttachControl(new IKnobMultiControl(&plug, 115, 86, 1, &knob));
    IBitmap about = graphics->LoadIBitmap(62103, "resources/img/brindle_about.png");
    graphics->AttachControl(new IBitmapOverlayControl(&plug, 5, 156, -1, &about, IRECT(10, 35, 80, 55)));
    plug.AttachGraphics(graphics);
    graphics->SetScale(scale);
    window = NSWindow::alloc()->initWithContentRect(NSMakeRect(0, 0, graphics->ScaledWidth(), graphics->ScaledHeight()),
                                                    0, NSBackingStoreBuffered, NO);
    window->setReleasedWhenClosed(NO);
    view = static_cast<NSView*>(graphics->OpenWindow(window->contentView()));
    window->makeKeyAndOrderFront(nullptr);
  }
  ~PedalEditor()
  {
    view->removeFromSuperview();
    window->close();
    window->release();
  }
  // An event at device pixel (x, y) of the view (origin top left): the view reports a window point p
  // as pixel ((int)p.x - 2, height - (int)p.y - 3), which the window point below undoes.
  void Mouse(NSEventType type, int x, int y)
  {
    NSAutoreleasePool pool;
    const NSPoint p = NSMakePoint(x + 2 + 0.5, graphics->ScaledHeight() - 3 - y + 0.5);
    BrindleHost::DeliverEvent(NSEvent::mouseEventWithType(type, p, 0, 0, window->windowNumber(), nullptr, 0, 1, 1.0f));
  }
  // The control a press at device pixel (x, y) reaches (-1 for none), pressed and released.
  int PressedAt(int x, int y)
  {
    Mouse(NSLeftMouseDown, x, y);
    const int idx = graphics->GetCaptureIdx();
    Mouse(NSLeftMouseUp, x, y);
    return idx;
  }
  double Value(int param) { return plug.GetParam(param)->GetNormalized(); }

  PedalPlug plug;
  IGraphicsMac* graphics = nullptr; // owned by the plug-in
  NSWindow* window = nullptr;
  NSView* view = nullptr;
};

TEST(MacScale, EveryControlIsHitExactlyInsideItsScaledRectangle)
{
  for (double scale : {1.0, 1.5, 2.0}) {
    SCOPED_TRACE(scale);
    PedalEditor e(scale);
    EXPECT_EQ(e.view->frame().size.width, e.graphics->ScaledWidth());
    EXPECT_EQ(e.view->frame().size.height, e.graphics->ScaledHeight());
    IGraphics& g = *e.graphics;
    for (const Control& c : kControls) {
      SCOPED_TRACE(c.idx);
      const IRECT d = g.ToDevice(c.hit);
      struct Probe
      {
        int x, y;
        bool inside;
      };
      const Probe probes[] = {
          {d.left, d.top, true},
          {d.right - 1, d.top, true},
          {d.left, d.bottom - 1, true},
          {d.right - 1, d.bottom - 1, true},
          {(d.left + d.right) / 2, (d.top + d.bottom) / 2, true},
          {d.left - 1, d.top, false},
          {d.right, d.bottom - 1, false},
          {d.left, d.top - 1, false},
          {d.right - 1, d.bottom, false},
      };
      for (const Probe& p : probes) {
        const int idx = e.PressedAt(p.x, p.y);
        EXPECT_EQ(idx == c.idx, p.inside) << p.x << "," << p.y << " reached " << idx;
        // The about panel opens at a press on its target; closed again, its hit area is the target only.
        if (c.idx == kAbout && idx == kAbout) e.graphics->GetControl(kAbout)->SetValueFromPlug(0.0);
      }
    }
    // Switches still switch: a press toggles the cabinet and the footswitch flips the effect.
    const IRECT cabinet = g.ToDevice(kControls[1].hit);
    const double before = e.Value(3);
    e.PressedAt(cabinet.left + 1, cabinet.top + 1);
    EXPECT_NE(e.Value(3), before);
  }
}

TEST(MacScale, ADragMovesAKnobByTheEditorPixelsItCovers)
{
  // A drag of n device pixels covers FromDevice(start) - FromDevice(end) editor pixels, which is n / scale
  // within one; the knob moves exactly as that many editor pixels move it at scale 1.
  PedalEditor reference(1.0);
  for (double scale : {1.5, 2.0}) {
    PedalEditor e(scale);
    const IRECT knob = e.graphics->ToDevice(kControls[3].hit);
    const int x = (knob.left + knob.right) / 2, y0 = knob.bottom - 2;
    for (int n : {1, 2, 3, 7, 10, 45, 75, 111, 150}) {
      SCOPED_TRACE(std::to_string(scale) + " drag " + std::to_string(n));
      e.graphics->SetParameterFromPlug(0, 0.25, true);
      e.plug.GetParam(0)->SetNormalized(0.25);
      e.Mouse(NSLeftMouseDown, x, y0);
      for (int step = 1; step <= n; ++step) e.Mouse(NSLeftMouseDragged, x, y0 - step);
      e.Mouse(NSLeftMouseUp, x, y0 - n);
      const int editorPixels = e.graphics->FromDevice(y0) - e.graphics->FromDevice(y0 - n);
      EXPECT_LE(std::fabs(editorPixels - n / scale), 1.0);

      reference.plug.GetParam(0)->SetNormalized(0.25);
      reference.graphics->SetParameterFromPlug(0, 0.25, true);
      const int ry = 150;
      reference.Mouse(NSLeftMouseDown, 55, ry);
      for (int step = 1; step <= editorPixels; ++step) reference.Mouse(NSLeftMouseDragged, 55, ry - step);
      reference.Mouse(NSLeftMouseUp, 55, ry - editorPixels);
      EXPECT_DOUBLE_EQ(e.Value(0), reference.Value(0));
      EXPECT_GT(e.Value(0), 0.25);
    }
  }
}

TEST(MacScale, ViewsFollowAScaleChangeAndAHostThatSizesThem)
{
  PedalEditor e(1.0);
  e.graphics->SetScale(2.0);
  EXPECT_EQ(e.view->frame().size.width, 416);
  EXPECT_EQ(e.view->frame().size.height, 652);
  // A host sizing the view asks for the scale that fits; the view takes the exact scaled size.
  struct Case
  {
    double w, h, scale, viewW, viewH;
  };
  const Case cases[] = {
      {312, 489, 1.5, 312, 489},
      {500, 652, 2.0, 416, 652},
      {100, 100, 1.0, 208, 326},
      {5000, 5000, 3.0, 624, 978},
  };
  for (const Case& c : cases) {
    e.view->setFrameSize(NSMakeSize(c.w, c.h));
    EXPECT_EQ(e.graphics->GetScale(), c.scale) << c.w;
    EXPECT_EQ(e.view->frame().size.width, c.viewW);
    EXPECT_EQ(e.view->frame().size.height, c.viewH);
    EXPECT_EQ(e.graphics->GetCanvas()->getWidth(), c.viewW);
  }
}

} // namespace
