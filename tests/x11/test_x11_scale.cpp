// The display's scale: how GDK_SCALE and Xft.dpi are read, and `brindle editor` in a window following
// the display or --scale, clicked at the scaled controls.
#include "tests/x11/X11TestSupport.h"
// After GoogleTest: Xlib's macros (None, Bool) would rename its identifiers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

TEST(X11Scale, GdkScaleThenXftDpiThenOne)
{
  struct Case
  {
    const char* gdk;
    const char* dpi;
    double scale;
  };
  const Case cases[] = {
      {nullptr, nullptr, 1.0}, {"2", nullptr, 2.0},    {"2", "144", 2.0},      {"1", "192", 1.0},
      {"1.5", "144", 1.5},     {"0", "192", 2.0},      {"-2", nullptr, 1.0},   {"x", "120", 1.25},
      {"9", nullptr, 3.0},     {nullptr, "96", 1.0},   {nullptr, "72", 1.0},   {nullptr, "1000", 3.0},
      {nullptr, "nan", 1.0},   {nullptr, "inf", 1.0},  {nullptr, "", 1.0},     {"", "192 ", 2.0},
      {"2 ", nullptr, 2.0},    {nullptr, "192x", 1.0}, {nullptr, "-192", 1.0}, {"3", nullptr, 3.0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(BrindleHost::ScaleFromSettings(c.gdk, c.dpi), c.scale)
        << (c.gdk ? c.gdk : "(none)") << " / " << (c.dpi ? c.dpi : "(none)");

  const struct
  {
    const char* resources;
    const char* dpi;
  } databases[] = {
      {"Xft.dpi:\t192\n", "192"},
      {"Xcursor.size:\t24\nXft.dpi:   144\nXft.hinting:\t1\n", "144"},
      {"Xft.dpi:\t120", "120"},
      {"xft.dpi:\t192\n", ""}, // resource names are case-sensitive
      {"Xft.dpiscale:\t2\n", ""},
      {"*.dpi:\t192\n", ""},
      {"Xft.dpi:", ""},
      {"", ""},
      {nullptr, ""},
  };
  for (const auto& d : databases)
    EXPECT_EQ(BrindleHost::XftDpiFromResources(d.resources), d.dpi) << (d.resources ? d.resources : "(null)");
}

TEST(X11Scale, TheEditorWindowFollowsTheDisplayAndScaleOverridesIt)
{
  X11_REQUIRE_TOOLS();
  x11test::Xvfb server;
  ASSERT_FALSE(server.Display().empty());
  Display* display = XOpenDisplay(server.Display().c_str());
  ASSERT_NE(display, nullptr);
  const char resources[] = "Xft.dpi:\t144\n";
  XChangeProperty(display, DefaultRootWindow(display), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(resources), static_cast<int>(sizeof resources - 1));
  XSync(display, False);
  unsetenv("GDK_SCALE");
  struct Case
  {
    std::vector<std::string> args;
    int w, h;
  };
  const Case cases[] = {
      {{BRINDLE_EXE, "editor"}, 312, 489},                 // the display's 144 dpi
      {{BRINDLE_EXE, "editor", "--scale", "2"}, 416, 652}, // --scale wins
      {{BRINDLE_EXE, "editor", "--scale=1"}, 208, 326},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.w);
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t editor = x11test::Spawn(c.args, server.Display(), out[1]);
    close(out[1]);
    // The footswitch's centre (106, 199) in the window's pixels.
    const double scale = c.w / 208.0;
    const std::string x = std::to_string(static_cast<int>(106 * scale)),
                      y = std::to_string(static_cast<int>(199 * scale));
    EXPECT_EQ(x11test::Xdotool(server.Display(), {"search", "--sync", "--onlyvisible", "--name", "^Brindle$",
                                                  "mousemove", "--window", "%1", x, y, "click", "1"}),
              0);
    Window root = 0, found = 0;
    Window* children = nullptr;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &found, &children, &count);
    bool sized = false;
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes a{};
      XGetWindowAttributes(display, children[i], &a);
      sized = sized || (a.map_state == IsViewable && a.width == c.w && a.height == c.h);
    }
    if (children) XFree(children);
    EXPECT_TRUE(sized);
    std::string printed;
    char buffer[256];
    for (int i = 0; i < 100 && printed.find("Effect") == std::string::npos; ++i) {
      pollfd p = {out[0], POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = read(out[0], buffer, sizeof buffer);
      if (n <= 0) break;
      printed.append(buffer, static_cast<size_t>(n));
    }
    EXPECT_NE(printed.find("Effect 0 \"Off\"\n"), std::string::npos) << printed;
    x11test::Xdotool(server.Display(), {"search", "--name", "^Brindle$", "windowclose", "%1"});
    EXPECT_EQ(x11test::Wait(editor, 5), 0);
    close(out[0]);
  }
  XCloseDisplay(display);
}

} // namespace
