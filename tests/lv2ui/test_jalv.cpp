// Brindle's editor in a real LV2 host: jalv's GTK front end embeds the X11 UI (under Xvfb, on a
// JACK server with the dummy driver), and a click on the footswitch switches "Effect" in the host:
// a metronome played through the plug-in comes out fuzzed before the click and untouched after it.
#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) would rename its identifiers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/x11/XServer.h"

namespace {

#if defined(BRINDLE_UI_BUNDLE) && !defined(BRINDLE_SANITIZED)
// The editor's X window: the only viewable window of the editor's size (208 x 326, or that scaled)
// without children.
unsigned long FindEditor(Display* display, Window window, int width = 208, int height = 326)
{
  // Windows come and go while the tree is walked (the host's, the editor rebuilt at a new scale): a
  // window gone between two requests is skipped, not a fatal X error.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
  unsigned long found = 0;
  for (unsigned i = 0; i < count && !found; ++i) found = FindEditor(display, children[i], width, height);
  if (children) XFree(children);
  if (found || count) return found;
  XWindowAttributes a{};
  if (!XGetWindowAttributes(display, window, &a)) return 0;
  return a.width == width && a.height == height && a.map_state == IsViewable ? window : 0;
}

// The largest magnitude in a 16-bit PCM WAV file, 0..1; -1 when the file is not one.
double Peak(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (d.size() < 12 || std::memcmp(d.data(), "RIFF", 4) != 0 || std::memcmp(d.data() + 8, "WAVE", 4) != 0) return -1;
  auto u32 = [&d](size_t i) {
    return uint32_t(d[i]) | uint32_t(d[i + 1]) << 8 | uint32_t(d[i + 2]) << 16 | uint32_t(d[i + 3]) << 24;
  };
  int bits = 0;
  for (size_t at = 12; at + 8 <= d.size();) {
    const uint32_t size = u32(at + 4);
    if (std::memcmp(&d[at], "fmt ", 4) == 0 && at + 24 <= d.size()) bits = d[at + 22] | d[at + 23] << 8;
    if (std::memcmp(&d[at], "data", 4) == 0) {
      if (bits != 16) return -1;
      double peak = 0;
      for (size_t i = at + 8; i + 1 < std::min(d.size(), at + 8 + size); i += 2)
        peak = std::max(peak, std::fabs(static_cast<int16_t>(d[i] | d[i + 1] << 8) / 32768.0));
      return peak;
    }
    at += 8 + size + (size & 1);
  }
  return -1;
}

#endif

class Process
{
public:
  Process(const std::vector<std::string>& args, const std::string& display)
      : mPid(x11test::Spawn(args, display, -1, true))
  {}
  ~Process()
  {
    if (mPid > 0) {
      kill(mPid, SIGTERM);
      x11test::Wait(mPid, 5);
    }
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  bool Started() const { return mPid > 0; }

private:
  pid_t mPid;
};

TEST(JalvHost, TheEmbeddedEditorsFootswitchSwitchesEffectInTheHost)
{
#if !defined(BRINDLE_UI_BUNDLE) || defined(BRINDLE_SANITIZED)
  GTEST_SKIP() << "needs Brindle.lv2 built without sanitizers (jalv cannot load sanitized libraries)";
#else
  const std::string missing = x11test::Missing(
      {"Xvfb", "xdotool", "xwd", "jalv.gtk3", "jackd", "jack_wait", "jack_metro", "jack_connect", "jack_rec"});
  if (!missing.empty()) GTEST_SKIP() << missing << " is not installed (scripts/packages.txt)";
  alarm(90);

  // A folder holding only Brindle.lv2, for LV2_PATH.
  char folder[] = "/tmp/brindle-jalv-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string dir = folder, bundle = BRINDLE_UI_BUNDLE;
  ASSERT_EQ(symlink(bundle.substr(0, bundle.size() - 1).c_str(), (dir + "/Brindle.lv2").c_str()), 0);
  setenv("LV2_PATH", dir.c_str(), 1);
  const std::string server = "brindle-lv2ui-" + std::to_string(getpid());
  setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
  setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);

  x11test::Xvfb x;
  ASSERT_FALSE(x.Display().empty());
  Process jackd({"jackd", "-n", server, "-d", "dummy", "-r", "48000", "-p", "256"}, "");
  ASSERT_EQ(x11test::Wait(x11test::Spawn({"jack_wait", "-w", "-t", "10"}, "", -1, true), 15), 0);
  Process jalv({"jalv.gtk3", "-n", "-x", "--jack-name", "brindle_ui", "urn:tallowby:brindle#mono"}, x.Display());
  Display* display = XOpenDisplay(x.Display().c_str());
  ASSERT_NE(display, nullptr);
  unsigned long editor = 0;
  for (int i = 0; i < 200 && !editor; ++i, usleep(50000)) editor = FindEditor(display, DefaultRootWindow(display));
  ASSERT_NE(editor, 0u) << "jalv showed no editor";

  Process metro({"jack_metro", "-n", "metro", "-b", "600", "-f", "220", "-A", "0.4", "-D", "60"}, "");
  bool connected = false;
  for (int i = 0; i < 50 && !connected; ++i, usleep(100000))
    connected = x11test::Wait(x11test::Spawn({"jack_connect", "metro:600_bpm", "brindle_ui:in"}, "", -1, true)) == 0;
  ASSERT_TRUE(connected);
  auto record = [&](const std::string& name) {
    const std::string path = dir + "/" + name;
    EXPECT_EQ(x11test::Wait(x11test::Spawn({"jack_rec", "-f", path, "-d", "1", "brindle_ui:out"}, "", -1, true), 10),
              0);
    return Peak(path);
  };
  auto lamp = [&] {
    x11test::WindowPixels p;
    EXPECT_TRUE(x11test::DumpWindow(x.Display(), editor, p));
    return p.rgb.empty() ? 0u : p.At(104, 28);
  };

  const double fuzzed = record("on.wav");
  const uint32_t lampOn = lamp();
  ASSERT_EQ(
      x11test::Xdotool(x.Display(), {"mousemove", "--window", std::to_string(editor), "106", "199", "click", "1"}), 0);
  usleep(300000);
  const double clean = record("off.wav");
  EXPECT_NE(lamp(), lampOn);
  // Off, the plug-in passes the metronome through (its amplitude is 0.4); on, the fuzz reshapes it.
  EXPECT_NEAR(clean, 0.4, 0.02);
  EXPECT_GT(std::fabs(fuzzed - clean), 0.05) << "fuzzed " << fuzzed << ", clean " << clean;
  XCloseDisplay(display);
  for (const char* f : {"/on.wav", "/off.wav", "/Brindle.lv2"}) unlink((dir + f).c_str());
  rmdir(folder);
#endif
}

// Debian 12's jalv (1.6.6) passes no ui:scaleFactor (the option is checked through our own host in
// test_lv2ui_host.cpp). Without one the editor follows the display as desktop programs do: here the
// display's Xft.dpi of 192, which jalv's GTK leaves alone, so its window holds the doubled editor.
TEST(JalvHost, OnADoubleDensityDisplayTheEditorIsDrawnTwiceAsLarge)
{
#if !defined(BRINDLE_UI_BUNDLE) || defined(BRINDLE_SANITIZED)
  GTEST_SKIP() << "needs Brindle.lv2 built without sanitizers (jalv cannot load sanitized libraries)";
#else
  const std::string missing = x11test::Missing({"Xvfb", "xdotool", "xwd", "jalv.gtk3", "jackd", "jack_wait"});
  if (!missing.empty()) GTEST_SKIP() << missing << " is not installed (scripts/packages.txt)";
  alarm(90);
  char folder[] = "/tmp/brindle-jalv-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string dir = folder, bundle = BRINDLE_UI_BUNDLE;
  ASSERT_EQ(symlink(bundle.substr(0, bundle.size() - 1).c_str(), (dir + "/Brindle.lv2").c_str()), 0);
  setenv("LV2_PATH", dir.c_str(), 1);
  unsetenv("GDK_SCALE");
  const std::string server = "brindle-lv2ui-scale-" + std::to_string(getpid());
  setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
  setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);

  x11test::Xvfb x;
  ASSERT_FALSE(x.Display().empty());
  Display* display = XOpenDisplay(x.Display().c_str());
  ASSERT_NE(display, nullptr);
  const char resources[] = "Xft.dpi:\t192\n";
  XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(resources), static_cast<int>(sizeof resources - 1));
  XSync(display, False);
  Process jackd({"jackd", "-n", server, "-d", "dummy", "-r", "48000", "-p", "256"}, "");
  ASSERT_EQ(x11test::Wait(x11test::Spawn({"jack_wait", "-w", "-t", "10"}, "", -1, true), 15), 0);
  Process jalv({"jalv.gtk3", "-n", "-x", "--jack-name", "brindle_ui2", "urn:tallowby:brindle#mono"}, x.Display());
  unsigned long editor = 0;
  for (int i = 0; i < 200 && !editor; ++i, usleep(50000))
    editor = FindEditor(display, DefaultRootWindow(display), 416, 652);
  ASSERT_NE(editor, 0u) << "jalv showed no 416 x 652 editor";

  // The lit lamp is where the layout puts it, doubled; a click on the doubled footswitch darkens it.
  auto lamp = [&] {
    x11test::WindowPixels p;
    EXPECT_TRUE(x11test::DumpWindow(x.Display(), editor, p));
    return p.rgb.empty() ? 0u : p.At(208, 56);
  };
  const uint32_t lit = lamp();
  EXPECT_GT((lit >> 16) & 0xFF, 200u) << std::hex << lit; // the glowing lens
  EXPECT_GT((lit >> 16) & 0xFF, ((lit >> 8) & 0xFF) + 60) << std::hex << lit;
  ASSERT_EQ(
      x11test::Xdotool(x.Display(), {"mousemove", "--window", std::to_string(editor), "212", "398", "click", "1"}), 0);
  uint32_t now = lit;
  for (int i = 0; i < 40 && now == lit; ++i, usleep(50000)) now = lamp();
  EXPECT_NE(now, lit);
  XCloseDisplay(display);
  unlink((dir + "/Brindle.lv2").c_str());
  rmdir(folder);
#endif
}

} // namespace
