// The test product's UI library driven as an LV2 host drives it: loaded with dlopen, shown inside a
// parent window on a private Xvfb, clicked and dragged with xdotool, told port values, and made
// and freed many times.
#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) would rename its identifiers.
#include <X11/Xlib.h>
#include <dirent.h>
#include <dlfcn.h>
#include <lv2/atom/atom.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/x11/XServer.h"

namespace {

constexpr uint32_t kGainPort = 2, kMutePort = 3; // the mono variant: one input, one output first
constexpr const char* kMono = "urn:brindle-tests:gain#mono";

struct Written
{
  uint32_t port;
  float value;
};

// What a host keeps for one UI: the features it offers and what the UI told it.
struct Host
{
  Display* display = nullptr;
  Window parent = 0;
  std::vector<Written> written;
  std::vector<std::pair<uint32_t, bool>> touches;
  int resizedW = 0, resizedH = 0;
  LV2UI_Resize resize = {this, [](LV2UI_Feature_Handle h, int w, int hh) {
                           static_cast<Host*>(h)->resizedW = w;
                           static_cast<Host*>(h)->resizedH = hh;
                           return 0;
                         }};
  LV2UI_Touch touch = {this, [](LV2UI_Feature_Handle h, uint32_t port, bool grabbed) {
                         static_cast<Host*>(h)->touches.push_back({port, grabbed});
                       }};
  LV2_Feature parentFeature = {LV2_UI__parent, nullptr};
  LV2_Feature resizeFeature = {LV2_UI__resize, &resize};
  LV2_Feature touchFeature = {LV2_UI__touch, &touch};
  const LV2_Feature* features[4] = {&parentFeature, &resizeFeature, &touchFeature, nullptr};

  static void Write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer)
  {
    ASSERT_EQ(size, sizeof(float));
    ASSERT_EQ(protocol, 0u);
    static_cast<Host*>(controller)->written.push_back({port, *static_cast<const float*>(buffer)});
  }
};

class Lv2HostUI : public ::testing::Test
{
protected:
  void SetUp() override
  {
    const std::string missing = x11test::Missing({"Xvfb", "xdotool", "xwd"});
    if (!missing.empty()) GTEST_SKIP() << missing << " is not installed (scripts/packages.txt)";
    alarm(120);
    mServer = std::make_unique<x11test::Xvfb>();
    ASSERT_FALSE(mServer->Display().empty());
    setenv("DISPLAY", mServer->Display().c_str(), 1); // the UI opens the display the host is on
    unsetenv("GDK_SCALE");                            // a scale of the tester's desktop is not the server's
    mHost.display = XOpenDisplay(mServer->Display().c_str());
    ASSERT_NE(mHost.display, nullptr);
    mHost.parent = XCreateSimpleWindow(mHost.display, DefaultRootWindow(mHost.display), 0, 0, 300, 400, 0, 0, 0);
    XMapWindow(mHost.display, mHost.parent);
    XSync(mHost.display, False);
    mHost.parentFeature.data = reinterpret_cast<void*>(static_cast<uintptr_t>(mHost.parent));
  }
  // Loads a UI library for the rest of the process, as the library asks (nodelete).
  void Load(const char* library)
  {
    void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    auto entry = reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(dlsym(handle, "lv2ui_descriptor"));
    ASSERT_NE(entry, nullptr);
    mDescriptor = entry(0);
    ASSERT_NE(mDescriptor, nullptr);
    EXPECT_EQ(entry(1), nullptr);
  }
  void TearDown() override
  {
    // UIs a failed assertion left open, before their X server goes.
    for (LV2UI_Handle ui : mOpen) mDescriptor->cleanup(ui);
    mOpen.clear();
    if (mHost.display) XCloseDisplay(mHost.display);
    alarm(0);
  }

  LV2UI_Handle Instantiate(const char* uri, LV2UI_Widget* widget, const LV2_Feature* const* features,
                           const char* bundle = TEST_UI_BUNDLE)
  {
    return Track(mDescriptor->instantiate(mDescriptor, uri, bundle, &Host::Write, &mHost, widget, features));
  }
  LV2UI_Handle Track(LV2UI_Handle ui)
  {
    if (ui) mOpen.push_back(ui);
    return ui;
  }
  void Cleanup(LV2UI_Handle ui)
  {
    mOpen.erase(std::remove(mOpen.begin(), mOpen.end(), ui), mOpen.end());
    mDescriptor->cleanup(ui);
  }
  int Idle(LV2UI_Handle ui)
  {
    auto idle = static_cast<const LV2UI_Idle_Interface*>(mDescriptor->extension_data(LV2_UI__idleInterface));
    return idle->idle(ui);
  }
  // Runs the UI's idle until `done` holds or two seconds passed.
  bool IdleUntil(LV2UI_Handle ui, const std::function<bool()>& done)
  {
    for (int i = 0; i < 200; ++i) {
      if (Idle(ui) != 0) return done();
      if (done()) return true;
      usleep(10000);
    }
    return done();
  }
  // Lets the editor's redraw timer run a few times.
  void Settle(LV2UI_Handle ui)
  {
    for (int i = 0; i < 25; ++i, usleep(10000)) Idle(ui);
  }
  int ChildCount()
  {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(mHost.display, mHost.parent, &root, &parent, &children, &count);
    if (children) XFree(children);
    return static_cast<int>(count);
  }
  int Xdotool(unsigned long window, std::vector<std::string> args)
  {
    std::vector<std::string> all = {"mousemove", "--window", std::to_string(window)};
    all.insert(all.end(), args.begin(), args.end());
    return x11test::Xdotool(mServer->Display(), all);
  }
  void PortEvent(LV2UI_Handle ui, uint32_t port, float value)
  {
    mDescriptor->port_event(ui, port, sizeof(float), 0, &value);
  }

  std::unique_ptr<x11test::Xvfb> mServer;
  const LV2UI_Descriptor* mDescriptor = nullptr;
  Host mHost;
  std::vector<LV2UI_Handle> mOpen;
};

// The pixels of a square of the editor, read back from the X server.
std::vector<uint32_t> Pixels(const std::string& display, unsigned long window, int x0, int y0, int side)
{
  x11test::WindowPixels all;
  std::vector<uint32_t> out;
  if (!x11test::DumpWindow(display, window, all)) return out;
  for (int y = y0; y < y0 + side; ++y)
    for (int x = x0; x < x0 + side; ++x) out.push_back(all.At(x, y));
  return out;
}

int OpenFileCount()
{
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d)) ++n;
    closedir(d);
  }
  return n;
}

TEST_F(Lv2HostUI, TheEditorSitsInTheParentAndItsControlsWriteTheirPorts)
{
  ASSERT_NO_FATAL_FAILURE(Load(TEST_UI_LIBRARY));
  EXPECT_STREQ(mDescriptor->URI, "urn:brindle-tests:gain#ui");
  EXPECT_EQ(mDescriptor->extension_data("urn:nothing"), nullptr);
  LV2UI_Widget widget = nullptr;
  LV2UI_Handle ui = Instantiate(kMono, &widget, mHost.features);
  ASSERT_NE(ui, nullptr);
  const unsigned long editor = reinterpret_cast<uintptr_t>(widget);
  ASSERT_NE(editor, 0u);
  EXPECT_EQ(ChildCount(), 1);
  EXPECT_EQ(mHost.resizedW, 208);
  EXPECT_EQ(mHost.resizedH, 326);
  XWindowAttributes a{};
  ASSERT_TRUE(XGetWindowAttributes(mHost.display, editor, &a));
  EXPECT_EQ(a.width, 208);
  EXPECT_EQ(a.height, 326);
  EXPECT_EQ(Idle(ui), 0);

  // The footswitch (view offsets as in the X11 editor tests): Mute goes on, with touch around it.
  ASSERT_EQ(Xdotool(editor, {"106", "199", "click", "1"}), 0);
  ASSERT_TRUE(IdleUntil(ui, [&] { return mHost.touches.size() >= 2; }));
  ASSERT_FALSE(mHost.written.empty());
  for (const Written& w : mHost.written) {
    EXPECT_EQ(w.port, kMutePort);
    EXPECT_EQ(w.value, 1.0f);
  }
  ASSERT_EQ(mHost.touches.size(), 2u);
  EXPECT_EQ(mHost.touches[0], std::make_pair(kMutePort, true));
  EXPECT_EQ(mHost.touches[1], std::make_pair(kMutePort, false));

  // The knob dragged upwards raises Gain step by step, inside one touch.
  mHost.written.clear();
  mHost.touches.clear();
  ASSERT_EQ(Xdotool(editor, {"57", "133", "mousedown", "1", "mousemove", "--window", std::to_string(editor), "57",
                             "113", "mousemove", "--window", std::to_string(editor), "57", "93", "mouseup", "1"}),
            0);
  ASSERT_TRUE(IdleUntil(ui, [&] { return mHost.touches.size() >= 2; }));
  ASSERT_FALSE(mHost.written.empty());
  for (const Written& w : mHost.written) EXPECT_EQ(w.port, kGainPort);
  EXPECT_GT(mHost.written.back().value, 1.0f);
  EXPECT_LE(mHost.written.back().value, 2.0f);
  EXPECT_EQ(mHost.touches.front(), std::make_pair(kGainPort, true));
  EXPECT_EQ(mHost.touches.back(), std::make_pair(kGainPort, false));

  // The host's window goes away: idle says the UI is closed.
  XDestroyWindow(mHost.display, mHost.parent);
  XSync(mHost.display, False);
  mHost.parent = 0;
  bool closed = false;
  for (int i = 0; i < 200 && !closed; ++i, usleep(10000)) closed = Idle(ui) != 0;
  EXPECT_TRUE(closed);
  Cleanup(ui);
}

TEST_F(Lv2HostUI, PortEventsMoveTheControlsAndTheLampAndBadOnesAreIgnored)
{
  ASSERT_NO_FATAL_FAILURE(Load(TEST_UI_LIBRARY));
  LV2UI_Widget widget = nullptr;
  LV2UI_Handle ui = Instantiate(kMono, &widget, mHost.features);
  ASSERT_NE(ui, nullptr);
  const unsigned long editor = reinterpret_cast<uintptr_t>(widget);
  Settle(ui); // the first picture

  // Values a host must not be able to turn into a change: the next click still turns Mute on.
  const float nan = std::nanf("");
  const uint32_t ports[] = {0, 1, 4, 99, kMutePort};
  for (uint32_t port : ports) PortEvent(ui, port, port == kMutePort ? nan : 1.0f);
  const double d = 1.0;
  mDescriptor->port_event(ui, kMutePort, sizeof(d), 0, &d); // wrong size
  const float one = 1.0f;
  mDescriptor->port_event(ui, kMutePort, sizeof(one), 7, &one);    // another protocol
  mDescriptor->port_event(ui, kMutePort, sizeof(one), 0, nullptr); // no buffer
  ASSERT_EQ(Xdotool(editor, {"106", "199", "click", "1"}), 0);
  ASSERT_TRUE(IdleUntil(ui, [&] { return !mHost.written.empty(); }));
  EXPECT_EQ(mHost.written.back().port, kMutePort);
  EXPECT_EQ(mHost.written.back().value, 1.0f);

  // The host turns Mute off and on again: the lamp follows, and the next click turns it off.
  PortEvent(ui, kMutePort, 0.0f);
  Settle(ui);
  const std::vector<uint32_t> lampOff = Pixels(mServer->Display(), editor, 91, 15, 26);
  PortEvent(ui, kMutePort, 1.0f);
  Settle(ui);
  const std::vector<uint32_t> lampOn = Pixels(mServer->Display(), editor, 91, 15, 26);
  ASSERT_EQ(lampOn.size(), lampOff.size());
  int lampChanged = 0;
  for (size_t i = 0; i < lampOn.size(); ++i) lampChanged += lampOn[i] != lampOff[i];
  EXPECT_GT(lampChanged, 50);
  mHost.written.clear();
  ASSERT_EQ(Xdotool(editor, {"106", "199", "click", "1"}), 0);
  ASSERT_TRUE(IdleUntil(ui, [&] { return !mHost.written.empty(); }));
  EXPECT_EQ(mHost.written.back().value, 0.0f);

  // An echo of what the UI wrote, and a value out of range (clamped to 2), write nothing back.
  mHost.written.clear();
  PortEvent(ui, kMutePort, 0.0f);
  PortEvent(ui, kGainPort, 7.0f);
  Settle(ui);
  EXPECT_TRUE(mHost.written.empty());
  Cleanup(ui);
}

TEST_F(Lv2HostUI, InstantiationRefusesWhatItCannotServe)
{
  ASSERT_NO_FATAL_FAILURE(Load(TEST_UI_LIBRARY));
  const LV2_Feature* noParent[] = {&mHost.resizeFeature, nullptr};
  LV2_Feature zeroParentFeature = {LV2_UI__parent, nullptr};
  const LV2_Feature* zeroParent[] = {&zeroParentFeature, nullptr};
  LV2_Feature badParentFeature = {LV2_UI__parent, reinterpret_cast<void*>(uintptr_t{0x7ffffff0})};
  const LV2_Feature* badParent[] = {&badParentFeature, nullptr};
  struct Case
  {
    const char* what;
    const char* uri;
    const LV2_Feature* const* features;
    const char* bundle;
  };
  const Case cases[] = {
      {"no features", kMono, nullptr, TEST_UI_BUNDLE},
      {"no parent", kMono, noParent, TEST_UI_BUNDLE},
      {"a null parent", kMono, zeroParent, TEST_UI_BUNDLE},
      {"a parent that is no window", kMono, badParent, TEST_UI_BUNDLE},
      {"another plug-in", "urn:brindle-tests:other", mHost.features, TEST_UI_BUNDLE},
      {"the bare product URI", "urn:brindle-tests:gain", mHost.features, TEST_UI_BUNDLE},
      {"a variant the product lacks", "urn:brindle-tests:gain#3in4out", mHost.features, TEST_UI_BUNDLE},
      {"a null plug-in URI", nullptr, mHost.features, TEST_UI_BUNDLE},
      {"a bundle without its Info.plist", kMono, mHost.features, "/tmp"},
      {"a missing bundle", kMono, mHost.features, "/nonexistent/TestGain.lv2/"},
      {"a null bundle", kMono, mHost.features, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LV2UI_Widget widget = nullptr;
    EXPECT_EQ(Instantiate(c.uri, &widget, c.features, c.bundle), nullptr);
    EXPECT_EQ(widget, nullptr);
  }
  EXPECT_EQ(ChildCount(), 0);

  // The stereo variant's control ports come after two inputs and two outputs.
  LV2UI_Widget widget = nullptr;
  LV2UI_Handle ui = Instantiate("urn:brindle-tests:gain#stereo", &widget, mHost.features);
  ASSERT_NE(ui, nullptr);
  ASSERT_EQ(Xdotool(reinterpret_cast<uintptr_t>(widget), {"106", "199", "click", "1"}), 0);
  ASSERT_TRUE(IdleUntil(ui, [&] { return !mHost.written.empty(); }));
  EXPECT_EQ(mHost.written.back().port, 5u);
  Cleanup(ui);
}

TEST_F(Lv2HostUI, OpenedAndClosedManyTimesLeavesNothingBehind)
{
  ASSERT_NO_FATAL_FAILURE(Load(TEST_UI_LIBRARY));
  const int filesBefore = OpenFileCount();
  for (int i = 0; i < 1000; ++i) {
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle ui = Instantiate(i % 2 ? kMono : "urn:brindle-tests:gain#stereo", &widget, mHost.features);
    ASSERT_NE(ui, nullptr) << "round " << i;
    if (i % 100 == 0) {
      EXPECT_EQ(Idle(ui), 0);
    }
    Cleanup(ui);
  }
  // Every editor window is gone, and so is the UI's X connection.
  EXPECT_EQ(ChildCount(), 0);
  EXPECT_EQ(OpenFileCount(), filesBefore);

  // Two UIs at once share the connection; each goes into its own parent.
  Window second = XCreateSimpleWindow(mHost.display, DefaultRootWindow(mHost.display), 300, 0, 300, 400, 0, 0, 0);
  XSync(mHost.display, False);
  Host other;
  other.parentFeature.data = reinterpret_cast<void*>(static_cast<uintptr_t>(second));
  LV2UI_Widget a = nullptr, b = nullptr;
  LV2UI_Handle first = Instantiate(kMono, &a, mHost.features);
  LV2UI_Handle next =
      Track(mDescriptor->instantiate(mDescriptor, kMono, TEST_UI_BUNDLE, &Host::Write, &other, &b, other.features));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(next, nullptr);
  Window root = 0, parentOfB = 0, *children = nullptr;
  unsigned count = 0;
  XQueryTree(mHost.display, reinterpret_cast<uintptr_t>(b), &root, &parentOfB, &children, &count);
  if (children) XFree(children);
  EXPECT_EQ(parentOfB, second);
  Cleanup(first);
  EXPECT_EQ(Idle(next), 0);
  Cleanup(next);
  XDestroyWindow(mHost.display, second);
}

// What a host adds to offer ui:scaleFactor: a URID map and the options feature.
struct ScaleFactorHost
{
  explicit ScaleFactorHost(const Host& host, float factor) : scale(factor)
  {
    for (int i = 0; i < 3; ++i) features[i] = host.features[i];
    option.value = &this->scale;
    option.key = Map(this, LV2_UI__scaleFactor);
    option.type = Map(this, LV2_ATOM__Float);
    Refresh();
  }
  static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri)
  {
    auto& ids = static_cast<ScaleFactorHost*>(handle)->ids;
    return ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1)).first->second;
  }
  float scale;
  std::map<std::string, LV2_URID> ids;
  LV2_URID_Map map = {this, &Map};
  LV2_Options_Option option = {LV2_OPTIONS_INSTANCE, 0, 0, sizeof(float), 0, nullptr};
  LV2_Options_Option options[2] = {option, {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
  LV2_Feature mapFeature = {LV2_URID__map, &map};
  LV2_Feature optionsFeature = {LV2_OPTIONS__options, options};
  const LV2_Feature* features[6] = {nullptr, nullptr, nullptr, &mapFeature, &optionsFeature, nullptr};
  void Refresh() { options[0] = option; }
};

// The mean difference (0..255 per colour) between a picture and another twice its size reduced by
// averaging 2 x 2 blocks.
double BoxReducedDifference(const x11test::WindowPixels& small, const x11test::WindowPixels& big)
{
  // The server's screen may cut the larger picture short; what it shows is compared.
  const int rows = std::min(small.height, big.height / 2);
  double sum = 0;
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < small.width; ++x)
      for (int shift : {0, 8, 16}) {
        auto c = [&](int bx, int by) { return static_cast<double>((big.At(bx, by) >> shift) & 0xFF); };
        const double box = (c(2 * x, 2 * y) + c(2 * x + 1, 2 * y) + c(2 * x, 2 * y + 1) + c(2 * x + 1, 2 * y + 1)) / 4;
        sum += std::fabs(box - ((small.At(x, y) >> shift) & 0xFF));
      }
  return rows > 0 ? sum / (3.0 * small.width * rows) : 255.0;
}

TEST_F(Lv2HostUI, BrindlesEditorFollowsTheHostsScaleFactor)
{
#ifndef BRINDLE_UI_LIBRARY
  GTEST_SKIP() << "Brindle.lv2 is not part of this build";
#else
  // Debian 12's jalv offers no ui:scaleFactor, so the option is given here as a host gives it.
  ASSERT_NO_FATAL_FAILURE(Load(BRINDLE_UI_LIBRARY));
  constexpr const char* kBrindleMono = "urn:tallowby:brindle#mono";
  auto open = [&](const LV2_Feature* const* features, LV2UI_Widget* widget) {
    return Track(
        mDescriptor->instantiate(mDescriptor, kBrindleMono, BRINDLE_UI_BUNDLE, &Host::Write, &mHost, widget, features));
  };
  auto geometry = [&](unsigned long window) {
    XWindowAttributes a{};
    XGetWindowAttributes(mHost.display, window, &a);
    return std::make_pair(a.width, a.height);
  };

  // A host window that holds the larger editor (what lies outside it is not drawn).
  XResizeWindow(mHost.display, mHost.parent, 640, 480);
  XSync(mHost.display, False);
  // The plain editor, for comparison.
  LV2UI_Widget plainWidget = nullptr;
  LV2UI_Handle plain = open(mHost.features, &plainWidget);
  ASSERT_NE(plain, nullptr);
  Settle(plain);
  x11test::WindowPixels small;
  ASSERT_TRUE(x11test::DumpWindow(mServer->Display(), reinterpret_cast<uintptr_t>(plainWidget), small));
  ASSERT_EQ(small.width, 208);
  Cleanup(plain);

  struct Case
  {
    float asked;
    int w, h;
  };
  const Case cases[] = {{2.0f, 416, 652}, {1.5f, 312, 489}, {0.25f, 208, 326}, {9.0f, 624, 978}, {NAN, 208, 326}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.asked);
    ScaleFactorHost scaled(mHost, c.asked);
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle ui = open(scaled.features, &widget);
    ASSERT_NE(ui, nullptr);
    EXPECT_EQ(mHost.resizedW, c.w);
    EXPECT_EQ(mHost.resizedH, c.h);
    EXPECT_EQ(geometry(reinterpret_cast<uintptr_t>(widget)), std::make_pair(c.w, c.h));
    if (c.w == 416) {
      // The screen shows the larger editor: reduced, it is the 1x picture again.
      Settle(ui);
      x11test::WindowPixels big;
      ASSERT_TRUE(x11test::DumpWindow(mServer->Display(), reinterpret_cast<uintptr_t>(widget), big));
      ASSERT_EQ(big.width, 416);
      ASSERT_GE(big.height, 326);
      EXPECT_LT(BoxReducedDifference(small, big), 2.0);
    }
    Cleanup(ui);
  }

  // A new factor while open: the editor is made again at the new size, the host hears of it, and the
  // factor reads back; keys it does not know are refused.
  ScaleFactorHost scaled(mHost, 1.0f);
  LV2UI_Widget widget = nullptr;
  LV2UI_Handle ui = open(scaled.features, &widget);
  ASSERT_NE(ui, nullptr);
  auto* options = static_cast<const LV2_Options_Interface*>(mDescriptor->extension_data(LV2_OPTIONS__interface));
  ASSERT_NE(options, nullptr);
  scaled.scale = 2.0f;
  scaled.Refresh();
  EXPECT_EQ(options->set(ui, scaled.options), static_cast<uint32_t>(LV2_OPTIONS_SUCCESS));
  EXPECT_EQ(mHost.resizedW, 416);
  EXPECT_EQ(mHost.resizedH, 652);
  EXPECT_EQ(ChildCount(), 1); // the old window is gone from the parent
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  XQueryTree(mHost.display, mHost.parent, &root, &parent, &children, &count);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(geometry(children[0]), std::make_pair(416, 652));
  XFree(children);
  Settle(ui);
  EXPECT_EQ(Idle(ui), 0);

  LV2_Options_Option query[2] = {{LV2_OPTIONS_INSTANCE, 0, scaled.option.key, 0, 0, nullptr},
                                 {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
  EXPECT_EQ(options->get(ui, query), static_cast<uint32_t>(LV2_OPTIONS_SUCCESS));
  ASSERT_NE(query[0].value, nullptr);
  EXPECT_EQ(*static_cast<const float*>(query[0].value), 2.0f);
  EXPECT_EQ(query[0].type, scaled.option.type);

  LV2_Options_Option other[2] = {{LV2_OPTIONS_INSTANCE, 0, ScaleFactorHost::Map(&scaled, "urn:other"), sizeof(float),
                                  scaled.option.type, &scaled.scale},
                                 {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
  EXPECT_EQ(options->set(ui, other), static_cast<uint32_t>(LV2_OPTIONS_ERR_BAD_KEY));
  EXPECT_EQ(mHost.resizedW, 416);
  Cleanup(ui);
#endif
}

TEST_F(Lv2HostUI, BrindlesFootswitchWritesEffectAndItsLampFollowsThePort)
{
#ifndef BRINDLE_UI_LIBRARY
  GTEST_SKIP() << "Brindle.lv2 is not part of this build";
#else
  ASSERT_NO_FATAL_FAILURE(Load(BRINDLE_UI_LIBRARY));
  EXPECT_STREQ(mDescriptor->URI, "urn:tallowby:brindle#ui");
  constexpr uint32_t kEffectPort = 4; // in, out, Level, Attack, then Effect
  LV2UI_Widget widget = nullptr;
  LV2UI_Handle ui = Track(mDescriptor->instantiate(mDescriptor, "urn:tallowby:brindle#mono", BRINDLE_UI_BUNDLE,
                                                   &Host::Write, &mHost, &widget, mHost.features));
  ASSERT_NE(ui, nullptr);
  const unsigned long editor = reinterpret_cast<uintptr_t>(widget);
  EXPECT_EQ(mHost.resizedW, 208);
  EXPECT_EQ(mHost.resizedH, 326);
  Settle(ui);
  const std::vector<uint32_t> lampOn = Pixels(mServer->Display(), editor, 91, 15, 26); // "Effect" starts on
  ASSERT_FALSE(lampOn.empty());

  ASSERT_EQ(Xdotool(editor, {"106", "199", "click", "1"}), 0);
  ASSERT_TRUE(IdleUntil(ui, [&] { return mHost.touches.size() >= 2; }));
  ASSERT_FALSE(mHost.written.empty());
  EXPECT_EQ(mHost.written.back().port, kEffectPort);
  EXPECT_EQ(mHost.written.back().value, 0.0f);
  EXPECT_EQ(mHost.touches.front(), std::make_pair(kEffectPort, true));
  Settle(ui);
  EXPECT_NE(Pixels(mServer->Display(), editor, 91, 15, 26), lampOn);

  // The host switches it back on (a preset, automation): the lamp lights again.
  PortEvent(ui, kEffectPort, 1.0f);
  Settle(ui);
  EXPECT_EQ(Pixels(mServer->Display(), editor, 91, 15, 26), lampOn);
  Cleanup(ui);
#endif
}

} // namespace
