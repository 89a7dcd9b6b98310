// The editor in a real X window: pointer gestures made by xdotool reach its controls, and what the
// window shows (read back with xwd) equals the headless window after the same gestures.
#include <AppKit/AppKit.h>
#include <BrindleHost/Headless.h>
#include <BrindleHost/X11Backend.h>

#include <map>

#include "tests/x11/X11TestSupport.h"
#include "tools/host/ComponentHost.h"
#include "tools/host/EditorHost.h"

namespace {

std::string BundlePath()
{
  const std::string exe = BRINDLE_EXE;
  return exe.substr(0, exe.rfind('/')) + "/../Brindle.component";
}

enum class Kind { kClick, kDrag, kWheelUp, kWheelDown };

// Points are X window pixels. The view reads a pointer 2 pixels left of and 3 above where it is,
// so the headless host, which aims at editor pixels, is given (x - 2, y - 3).
struct Gesture
{
  Kind kind;
  int x, y, dy;
};
const Gesture kGestures[] = {
    {Kind::kClick, 106, 199, 0},   // the footswitch
    {Kind::kDrag, 57, 133, -24},   // the Level knob, upwards
    {Kind::kWheelUp, 157, 133, 0}, // the Attack knob
    {Kind::kWheelUp, 157, 133, 0}, {Kind::kWheelDown, 157, 133, 0}, {Kind::kClick, 106, 75, 0}, // the cabinet switch
};

std::vector<std::string> XdotoolArgs(const Gesture& g, unsigned long window)
{
  const std::string w = std::to_string(window);
  auto at = [&](int y) {
    return std::vector<std::string>{"mousemove", "--window", w, std::to_string(g.x), std::to_string(y)};
  };
  std::vector<std::string> args = at(g.y);
  auto add = [&args](std::vector<std::string> more) { args.insert(args.end(), more.begin(), more.end()); };
  switch (g.kind) {
  case Kind::kClick:
    add({"click", "1"});
    break;
  case Kind::kWheelUp:
    add({"click", "4"});
    break;
  case Kind::kWheelDown:
    add({"click", "5"});
    break;
  case Kind::kDrag:
    add({"mousedown", "1"});
    for (int step = 1; step <= 4; ++step) add(at(g.y + g.dy * step / 4));
    add({"mouseup", "1"});
    break;
  }
  return args;
}

std::map<AudioUnitParameterID, AudioUnitParameterValue> Values(ComponentHost& host)
{
  std::vector<AudioUnitParameterID> ids;
  host.ParameterList(ids);
  std::map<AudioUnitParameterID, AudioUnitParameterValue> values;
  for (AudioUnitParameterID id : ids) host.GetParameter(id, values[id]);
  return values;
}

TEST(X11Editor, GesturesReachTheControlsAndTheWindowShowsWhatHeadlessShows)
{
  X11_REQUIRE_TOOLS();
  Component component = nullptr;
  std::string error;
  ASSERT_TRUE(LoadBrindleComponent(BundlePath(), component, error)) << error;

  // The reference: the same gestures on the headless backend.
  ComponentHost reference;
  ASSERT_EQ(reference.Open(component), noErr);
  const auto defaults = Values(reference);
  EditorHost headless;
  ASSERT_TRUE(headless.Open(reference.Unit(), error)) << error;
  headless.Ticks(2);
  for (const Gesture& g : kGestures) {
    if (g.kind == Kind::kClick)
      headless.Click(g.x - 2, g.y - 3);
    else if (g.kind == Kind::kDrag)
      headless.Drag(g.x - 2, g.y - 3, 0, g.dy);
    else
      headless.Wheel(g.x - 2, g.y - 3, g.kind == Kind::kWheelUp ? 1 : -1);
    headless.Ticks(3);
  }
  headless.Ticks(5);
  const BrindleHost::Framebuffer expected = BrindleHost::WindowFramebuffer(headless.Window());
  const auto expectedValues = Values(reference);
  EXPECT_NE(expectedValues, defaults);

  for (int depth : {24, 32}) {
    SCOPED_TRACE("visual depth " + std::to_string(depth));
    x11test::BackendOnXvfb x(depth);
    ASSERT_TRUE(x.Ready()) << "Xvfb did not start";
    ComponentHost host;
    ASSERT_EQ(host.Open(component), noErr);
    EditorHost editor;
    ASSERT_TRUE(editor.Open(host.Unit(), error)) << error;
    x11test::Pump(0.3);
    const unsigned long window = BrindleHost::X11WindowOf(editor.Window());
    ASSERT_NE(window, 0u);
    for (const Gesture& g : kGestures) {
      ASSERT_EQ(x11test::Xdotool(x.Display(), XdotoolArgs(g, window)), 0);
      x11test::Pump(0.15);
    }
    x11test::Pump(0.3);
    EXPECT_EQ(Values(host), expectedValues);

    x11test::WindowPixels shown;
    ASSERT_TRUE(x11test::DumpWindow(x.Display(), window, shown));
    EXPECT_EQ(shown.depth, depth);
    ASSERT_EQ(shown.width, expected.mWidth);
    ASSERT_EQ(shown.height, expected.mHeight);
    int differing = 0;
    for (int y = 0; y < shown.height; ++y)
      for (int px = 0; px < shown.width; ++px)
        if (shown.At(px, y) != (expected.Pixel(px, y) & 0xFFFFFF) && differing++ < 3)
          ADD_FAILURE() << "pixel " << px << "," << y << ": " << std::hex << shown.At(px, y) << " vs "
                        << (expected.Pixel(px, y) & 0xFFFFFF);
    EXPECT_EQ(differing, 0);
    editor.Close();
  }
}

} // namespace

namespace {

TEST(X11Editor, HostWindowReferencesHoldAChildAndUnknownOnesAreRefused)
{
  X11_REQUIRE_TOOLS();
  x11test::BackendOnXvfb x;
  ASSERT_TRUE(x.Ready());
  NSAutoreleasePool pool;
  NSWindow* host = NSWindow::alloc()->initWithContentRect(NSMakeRect(30, 40, 120, 90), 0, NSBackingStoreBuffered, NO);
  host->orderFront(nullptr);
  x11test::Pump(0.2);
  const unsigned long hostWindow = BrindleHost::X11WindowOf(host);
  ASSERT_NE(hostWindow, 0u);

  struct Case
  {
    const char* name;
    unsigned long ref;
    bool known;
  };
  // A window id nobody made, and one far out of any client's range: trapped errors, not a crash.
  const Case cases[] = {{"the host's window", hostWindow, true},
                        {"unused id", hostWindow + 0x777, false},
                        {"out of range", 0x7FFFFFFFul, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NSWindow* embedded = NSWindow::alloc()->initWithWindowRef(reinterpret_cast<void*>(c.ref));
    embedded->setReleasedWhenClosed(NO);
    const NSRect frame = embedded->frame();
    embedded->orderFront(nullptr);
    x11test::Pump(0.1);
    x11test::WindowPixels shown;
    if (c.known) {
      EXPECT_TRUE(NSEqualRects(frame, host->frame()));
      ASSERT_NE(BrindleHost::X11WindowOf(embedded), 0u);
      ASSERT_TRUE(x11test::DumpWindow(x.Display(), BrindleHost::X11WindowOf(embedded), shown));
      EXPECT_EQ(shown.width, 120);
      EXPECT_EQ(shown.height, 90);
    } else {
      EXPECT_TRUE(NSIsEmptyRect(frame));
    }
    embedded->close();
    embedded->release();
  }
  host->close();
}

} // namespace
