// Brindle's editor through "clap.gui", in a parent window on a private Xvfb, driven by the host's
// timer and by its watch on the editor's X connection: made, shown, hidden and destroyed many times;
// drawn at the host's scale, also when it changes while open; refused by a host that offers no timer.
// (Named X11...: `make test` runs the suites with real windows in a stage of their own.)
#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) would rename its identifiers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <set>
#include <string>

#include "tests/clap/ClapTestHost.h"
#include "tests/x11/XServer.h"

namespace {

class X11ClapEditor : public ::testing::Test
{
protected:
  // A screen and a host window of these sizes.
  explicit X11ClapEditor(const char* screen = "640x480x24", unsigned parentWidth = 300, unsigned parentHeight = 400)
      : mScreen(screen), mParentWidth(parentWidth), mParentHeight(parentHeight)
  {}
  void SetUp() override
  {
    const std::string missing = x11test::Missing({"Xvfb"});
    if (!missing.empty()) GTEST_SKIP() << missing << " is not installed (scripts/packages.txt)";
    alarm(120);
    mServer = std::make_unique<x11test::Xvfb>(mScreen);
    ASSERT_FALSE(mServer->Display().empty());
    setenv("DISPLAY", mServer->Display().c_str(), 1); // the editor opens the display the host is on
    mDisplay = XOpenDisplay(mServer->Display().c_str());
    ASSERT_NE(mDisplay, nullptr);
    mParent = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, mParentWidth, mParentHeight, 0, 0, 0);
    XMapWindow(mDisplay, mParent);
    XSync(mDisplay, False);
  }
  void TearDown() override
  {
    if (mDisplay) XCloseDisplay(mDisplay);
    alarm(0);
  }
  // Distinct colours in the editor's area of the host's window: a blank window has one.
  size_t Colours() { return ColoursIn(mParent, 0, 0, 208, 326); }
  size_t ColoursIn(Window window, int left, int top, int width, int height)
  {
    XSync(mDisplay, False);
    XImage* image = XGetImage(mDisplay, window, left, top, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image) return 0;
    std::set<unsigned long> colours;
    for (int y = 0; y < height; y += 3)
      for (int x = 0; x < width; x += 3) colours.insert(XGetPixel(image, x, y));
    XDestroyImage(image);
    return colours.size();
  }
  // The editor's window (the host window's one child) as the server has it; false when there is none.
  bool EditorWindow(Window* window, XWindowAttributes* attributes)
  {
    XSync(mDisplay, False);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(mDisplay, mParent, &root, &parent, &children, &n) || n != 1) {
      if (children) XFree(children);
      return false;
    }
    *window = children[0];
    XFree(children);
    return XGetWindowAttributes(mDisplay, *window, attributes) != 0;
  }
  // Windows inside the host's window, as its X server sees them.
  unsigned Children()
  {
    XSync(mDisplay, False);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(mDisplay, mParent, &root, &parent, &children, &n)) return 0;
    if (children) XFree(children);
    return n;
  }
  // Has the server send the editor's window (the host window's one child) an exposure of all of it.
  void ExposeEditor()
  {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(mDisplay, mParent, &root, &parent, &children, &n) || n == 0) return;
    XClearArea(mDisplay, children[0], 0, 0, 0, 0, True);
    XFree(children);
    XFlush(mDisplay);
  }

  std::string mScreen;
  unsigned mParentWidth, mParentHeight;
  std::unique_ptr<x11test::Xvfb> mServer;
  Display* mDisplay = nullptr;
  Window mParent = 0;
};

// Room for the editor at scale 3 (624 x 978).
class X11ClapEditorAtScale : public X11ClapEditor
{
protected:
  X11ClapEditorAtScale() : X11ClapEditor("1280x1024x24", 1000, 1000) {}
};

} // namespace

TEST_F(X11ClapEditor, EmbeddedInTheHostsWindowAsOftenAsAsked)
{
  ClapModule module(BRINDLE_CLAP_MODULE);
  ASSERT_TRUE(module.Loaded()) << module.Error();
  StrictHost host;
  {
    StrictPlugin plugin(host, module.Factory(), "com.tallowby.clap.Brindle.stereo");
    ASSERT_TRUE(plugin.Ok());
    const auto* gui = plugin.Ext<clap_plugin_gui_t>(CLAP_EXT_GUI);
    const auto* timer = plugin.Ext<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
    const auto* fds = plugin.Ext<clap_plugin_posix_fd_support_t>(CLAP_EXT_POSIX_FD_SUPPORT);
    ASSERT_TRUE(gui && timer && fds);
    const clap_plugin_t* p = plugin.Raw();

    EXPECT_TRUE(gui->is_api_supported(p, CLAP_WINDOW_API_X11, false));
    EXPECT_FALSE(gui->is_api_supported(p, CLAP_WINDOW_API_X11, true));
    EXPECT_FALSE(gui->is_api_supported(p, "wayland", false));
    const char* api = nullptr;
    bool floating = true;
    ASSERT_TRUE(gui->get_preferred_api(p, &api, &floating));
    EXPECT_STREQ(api, CLAP_WINDOW_API_X11);
    EXPECT_FALSE(floating);
    EXPECT_FALSE(gui->create(p, "wayland", false));
    EXPECT_FALSE(gui->create(p, CLAP_WINDOW_API_X11, true));
    EXPECT_TRUE(host.mTimers.empty());

    ASSERT_TRUE(plugin.Activate()); // an editor opens beside the audio as well as without it
    for (int cycle = 0; cycle < 20; ++cycle) {
      SCOPED_TRACE(cycle);
      ASSERT_TRUE(gui->create(p, CLAP_WINDOW_API_X11, false));
      ASSERT_EQ(host.mTimers.size(), 1u);
      EXPECT_TRUE(host.mFds.empty()); // no connection before there is a window
      uint32_t w = 0, h = 0;
      ASSERT_TRUE(gui->get_size(p, &w, &h));
      EXPECT_EQ(w, 208u);
      EXPECT_EQ(h, 326u);
      EXPECT_FALSE(gui->can_resize(p));
      uint32_t aw = 500, ah = 500;
      EXPECT_TRUE(gui->adjust_size(p, &aw, &ah));
      EXPECT_EQ(aw, 208u);
      EXPECT_EQ(ah, 326u);
      EXPECT_FALSE(gui->set_size(p, 300, 300));
      EXPECT_TRUE(gui->set_size(p, 208, 326));
      if (cycle % 5 == 0) {
        const clap_window_t other = {"win32", {0}};
        EXPECT_FALSE(gui->set_parent(p, &other));
      }
      const clap_window_t window = {CLAP_WINDOW_API_X11, {mParent}};
      ASSERT_TRUE(gui->set_parent(p, &window));
      EXPECT_EQ(Children(), 1u);
      // The editor's own connection, watched for reading: not the host's.
      ASSERT_EQ(host.mFds.size(), 1u);
      EXPECT_EQ(host.mFds.front().mFlags, static_cast<clap_posix_fd_flags_t>(CLAP_POSIX_FD_READ));
      EXPECT_NE(host.mFds.front().mFd, ConnectionNumber(mDisplay));
      for (int shown = 0; shown < 1 + cycle % 3; ++shown) {
        EXPECT_TRUE(gui->show(p));
        // An exposure makes the connection readable; on_fd reads what came, so that the
        // level-triggered watch goes quiet rather than spinning. (What show itself caused may already
        // sit in Xlib's queue, which the timer empties.)
        ExposeEditor();
        int turns = 0;
        while (turns < 100 && host.RunFds(p, fds, turns == 0 ? 5000 : 50) > 0) ++turns;
        EXPECT_GT(turns, 0);
        EXPECT_LT(turns, 100);
        for (int tick = 0; tick < 3; ++tick) timer->on_timer(p, host.mTimers.front());
        // The editor's own pictures, found through the module's resources, fill its window.
        if (cycle == 0 && shown == 0) {
          EXPECT_GT(Colours(), 20u);
        }
        EXPECT_TRUE(gui->hide(p));
      }
      if (cycle % 2 == 0) { // destroyed while shown, or while hidden
        EXPECT_TRUE(gui->show(p));
      }
      gui->destroy(p);
      EXPECT_TRUE(host.mTimers.empty());
      EXPECT_TRUE(host.mFds.empty());
      EXPECT_EQ(Children(), 0u);
    }
    // A second parent: one watch still, on the connection the new window uses.
    ASSERT_TRUE(gui->create(p, CLAP_WINDOW_API_X11, false));
    const clap_window_t window = {CLAP_WINDOW_API_X11, {mParent}};
    ASSERT_TRUE(gui->set_parent(p, &window));
    ASSERT_TRUE(gui->set_parent(p, &window));
    EXPECT_EQ(host.mFds.size(), 1u);
    EXPECT_EQ(Children(), 1u);
    // Left open when the host destroys the plug-in: closed with it, its timer and watch given back
    // (the host records a breach otherwise).
    EXPECT_TRUE(gui->show(p));
    plugin.Deactivate();
  }
  EXPECT_EQ(Children(), 0u);
  EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
}

TEST_F(X11ClapEditor, RefusedCleanlyWhereItCannotRun)
{
  ClapModule module(BRINDLE_CLAP_MODULE);
  ASSERT_TRUE(module.Loaded()) << module.Error();
  // A host without timer-support: no editor, and no thread started to stand in for its timer.
  StrictHost bare(StrictHost::kOffersNothing);
  {
    StrictPlugin plugin(bare, module.Factory(), "com.tallowby.clap.Brindle.mono");
    const auto* gui = plugin.Ext<clap_plugin_gui_t>(CLAP_EXT_GUI);
    ASSERT_NE(gui, nullptr);
    EXPECT_TRUE(gui->is_api_supported(plugin.Raw(), CLAP_WINDOW_API_X11, false));
    EXPECT_FALSE(gui->create(plugin.Raw(), CLAP_WINDOW_API_X11, false));
    const clap_window_t window = {CLAP_WINDOW_API_X11, {mParent}};
    EXPECT_FALSE(gui->set_parent(plugin.Raw(), &window));
    EXPECT_FALSE(gui->show(plugin.Raw()));
    gui->destroy(plugin.Raw()); // without create: nothing to do
  }
  EXPECT_EQ(Children(), 0u);

  StrictHost host;
  StrictPlugin plugin(host, module.Factory(), "com.tallowby.clap.Brindle.mono");
  const auto* gui = plugin.Ext<clap_plugin_gui_t>(CLAP_EXT_GUI);
  const auto* timer = plugin.Ext<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
  const clap_plugin_t* p = plugin.Raw();
  // A parent that is no window, and calls from the audio thread.
  ASSERT_TRUE(gui->create(p, CLAP_WINDOW_API_X11, false));
  EXPECT_FALSE(gui->create(p, CLAP_WINDOW_API_X11, false));
  const clap_window_t bogus = {CLAP_WINDOW_API_X11, {0x7fff0000ul}};
  EXPECT_FALSE(gui->set_parent(p, &bogus));
  EXPECT_FALSE(gui->show(p));
  bool shownFromAudio = true;
  const clap_window_t window = {CLAP_WINDOW_API_X11, {mParent}};
  ASSERT_TRUE(gui->set_parent(p, &window));
  host.OnAudioThread([&] { shownFromAudio = gui->show(p); });
  EXPECT_FALSE(shownFromAudio);

  // Readiness the plug-in never asked about, or reported on the wrong thread: ignored and logged.
  const auto* fds = plugin.Ext<clap_plugin_posix_fd_support_t>(CLAP_EXT_POSIX_FD_SUPPORT);
  ASSERT_EQ(host.mFds.size(), 1u);
  const int fd = host.mFds.front().mFd;
  const struct
  {
    int mFd;
    clap_posix_fd_flags_t mFlags;
    bool mFromAudio;
  } kStray[] = {
      {-1, CLAP_POSIX_FD_READ, false}, {0, CLAP_POSIX_FD_READ, false},  {fd + 1, CLAP_POSIX_FD_ERROR, false},
      {fd, CLAP_POSIX_FD_READ, true},  {fd, CLAP_POSIX_FD_ERROR, true},
  };
  for (const auto& stray : kStray) {
    SCOPED_TRACE(stray.mFd);
    const size_t logged = host.mLogged.size();
    if (stray.mFromAudio)
      host.OnAudioThread([&] { fds->on_fd(p, stray.mFd, stray.mFlags); });
    else
      fds->on_fd(p, stray.mFd, stray.mFlags);
    EXPECT_EQ(host.mLogged.size(), logged + 1);
    EXPECT_EQ(host.mFds.size(), 1u);
  }
  // A connection in error is given back, and the timer alone runs the editor from then on.
  fds->on_fd(p, fd, CLAP_POSIX_FD_READ | CLAP_POSIX_FD_ERROR);
  EXPECT_TRUE(host.mFds.empty());
  const size_t logged = host.mLogged.size();
  fds->on_fd(p, fd, CLAP_POSIX_FD_READ);
  EXPECT_EQ(host.mLogged.size(), logged + 1);
  EXPECT_TRUE(gui->show(p));
  timer->on_timer(p, host.mTimers.front());
  gui->destroy(p);
  EXPECT_TRUE(host.mTimers.empty());
  EXPECT_EQ(Children(), 0u);
  EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
}

TEST_F(X11ClapEditor, WhatTheUserDoesReachesTheHost)
{
  if (!x11test::Missing({"xdotool"}).empty()) GTEST_SKIP() << "xdotool is not installed (scripts/packages.txt)";
  ClapModule module(BRINDLE_CLAP_MODULE);
  ASSERT_TRUE(module.Loaded()) << module.Error();
  // A host that only ticks, and one that watches the connection: then input arrives through on_fd
  // alone, without a tick.
  for (StrictHost::EOffer offer : {StrictHost::kOffersNoFds, StrictHost::kOffersAll}) {
    const bool watching = offer == StrictHost::kOffersAll;
    SCOPED_TRACE(watching ? "watching host" : "ticking host");
    StrictHost host(offer);
    StrictPlugin plugin(host, module.Factory(), "com.tallowby.clap.Brindle.stereo");
    const auto* gui = plugin.Ext<clap_plugin_gui_t>(CLAP_EXT_GUI);
    const auto* timer = plugin.Ext<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
    const auto* fds = plugin.Ext<clap_plugin_posix_fd_support_t>(CLAP_EXT_POSIX_FD_SUPPORT);
    const auto* params = plugin.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    const clap_plugin_t* p = plugin.Raw();
    ASSERT_TRUE(gui->create(p, CLAP_WINDOW_API_X11, false));
    const clap_window_t window = {CLAP_WINDOW_API_X11, {mParent}};
    ASSERT_TRUE(gui->set_parent(p, &window));
    ASSERT_TRUE(gui->show(p));
    ASSERT_EQ(host.mFds.size(), watching ? 1u : 0u);
    // The host's loop runs until the editor has asked for a flush, and the host then flushes.
    auto turn = [&](int waitMs) {
      if (watching) {
        host.RunFds(p, fds, waitMs);
      } else {
        timer->on_timer(p, host.mTimers.front());
        usleep(static_cast<useconds_t>(waitMs) * 1000);
      }
    };
    auto collect = [&] {
      OutputEvents out;
      for (int tick = 0; tick < 300 && host.mFlushRequests == 0; ++tick) turn(10);
      // A few more turns: a gesture's end follows its values.
      for (int tick = 0; tick < 10; ++tick) turn(watching ? 20 : 0);
      params->flush(p, nullptr, out.List());
      host.mFlushRequests = 0;
      return out.mSeen;
    };
    for (int tick = 0; tick < 5; ++tick) timer->on_timer(p, host.mTimers.front());
    const std::string parent = std::to_string(mParent);

    // The footswitch turns "Effect" off (view offsets as in the X11 editor tests).
    ASSERT_EQ(x11test::Xdotool(mServer->Display(), {"mousemove", "--window", parent, "106", "199", "click", "1"}), 0);
    auto seen = collect();
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front().mType, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(seen.back().mType, CLAP_EVENT_PARAM_GESTURE_END);
    for (size_t i = 1; i + 1 < seen.size(); ++i) {
      EXPECT_EQ(seen[i].mType, CLAP_EVENT_PARAM_VALUE);
      EXPECT_EQ(seen[i].mValue, 0.0);
    }
    for (const auto& s : seen) EXPECT_EQ(s.mParamID, 2u);

    // The Level knob dragged upwards: values rising inside one gesture.
    ASSERT_EQ(x11test::Xdotool(mServer->Display(),
                               {"mousemove", "--window", parent, "48", "123", "mousedown", "1", "mousemove", "--window",
                                parent, "48", "103", "mousemove", "--window", parent, "48", "83", "mouseup", "1"}),
              0);
    seen = collect();
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front().mType, CLAP_EVENT_PARAM_GESTURE_BEGIN);
    EXPECT_EQ(seen.back().mType, CLAP_EVENT_PARAM_GESTURE_END);
    for (const auto& s : seen) EXPECT_EQ(s.mParamID, 0u);
    EXPECT_GT(seen[seen.size() - 2].mValue, 0.5);
    double level = 0.0;
    ASSERT_TRUE(params->get_value(p, 0, &level));
    EXPECT_EQ(level, seen[seen.size() - 2].mValue);
    gui->destroy(p);
    EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
  }
}

TEST_F(X11ClapEditorAtScale, DrawnAtTheHostsScale)
{
  ClapModule module(BRINDLE_CLAP_MODULE);
  ASSERT_TRUE(module.Loaded()) << module.Error();
  StrictHost host;
  StrictPlugin plugin(host, module.Factory(), "com.tallowby.clap.Brindle.stereo");
  ASSERT_TRUE(plugin.Ok());
  const auto* gui = plugin.Ext<clap_plugin_gui_t>(CLAP_EXT_GUI);
  const auto* timer = plugin.Ext<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
  ASSERT_TRUE(gui && timer);
  const clap_plugin_t* p = plugin.Raw();
  const clap_window_t window = {CLAP_WINDOW_API_X11, {mParent}};
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();

  // Before create there is no editor to scale; nor from the audio thread.
  EXPECT_FALSE(gui->set_scale(p, 2.0));
  ASSERT_TRUE(gui->create(p, CLAP_WINDOW_API_X11, false));
  bool fromAudio = true;
  host.OnAudioThread([&] { fromAudio = gui->set_scale(p, 2.0); });
  EXPECT_FALSE(fromAudio);
  uint32_t w = 0, h = 0;
  ASSERT_TRUE(gui->get_size(p, &w, &h));
  EXPECT_EQ(w, 208u);
  EXPECT_EQ(h, 326u);
  gui->destroy(p);

  // The factor as the host sends it (X11 sizes are physical pixels): held to 1..3, and true only when
  // applied as given. The window made in set_parent has the size reported.
  const struct
  {
    double mScale;
    bool mApplied;
    uint32_t mWidth, mHeight;
  } kFactors[] = {
      {1.0, true, 208, 326},  {1.5, true, 312, 489},   {2.0, true, 416, 652},   {3.0, true, 624, 978},
      {0.5, false, 208, 326}, {kNaN, false, 208, 326}, {-2.0, false, 208, 326}, {0.0, false, 208, 326},
      {4.0, false, 624, 978}, {kInf, false, 624, 978}, {1.25, true, 260, 408},
  };
  for (const auto& factor : kFactors) {
    SCOPED_TRACE(factor.mScale);
    ASSERT_TRUE(gui->create(p, CLAP_WINDOW_API_X11, false));
    ASSERT_TRUE(gui->get_size(p, &w, &h)); // a new editor starts at 1 until the host says otherwise
    EXPECT_EQ(w, 208u);
    EXPECT_EQ(h, 326u);
    EXPECT_EQ(gui->set_scale(p, factor.mScale), factor.mApplied);
    ASSERT_TRUE(gui->get_size(p, &w, &h));
    EXPECT_EQ(w, factor.mWidth);
    EXPECT_EQ(h, factor.mHeight);
    uint32_t aw = 1, ah = 1;
    EXPECT_TRUE(gui->adjust_size(p, &aw, &ah));
    EXPECT_EQ(aw, factor.mWidth);
    EXPECT_EQ(ah, factor.mHeight);
    EXPECT_TRUE(gui->set_size(p, factor.mWidth, factor.mHeight));
    EXPECT_FALSE(gui->can_resize(p)); // one size at a given scale
    ASSERT_TRUE(gui->set_parent(p, &window));
    EXPECT_TRUE(gui->show(p));
    Window editor = 0;
    XWindowAttributes attributes{};
    ASSERT_TRUE(EditorWindow(&editor, &attributes));
    EXPECT_EQ(attributes.width, static_cast<int>(factor.mWidth));
    EXPECT_EQ(attributes.height, static_cast<int>(factor.mHeight));
    gui->destroy(p);
  }
  EXPECT_TRUE(host.mResizeRequests.empty()); // every size was asked for before set_parent

  // A change while open: the window takes the new size in the same parent, shown or hidden as it was,
  // still run by the same timer and watch, and the host is asked for the room when the size changed.
  ASSERT_TRUE(gui->create(p, CLAP_WINDOW_API_X11, false));
  ASSERT_TRUE(gui->set_parent(p, &window));
  ASSERT_TRUE(gui->show(p));
  ASSERT_EQ(host.mTimers.size(), 1u);
  ASSERT_EQ(host.mFds.size(), 1u);
  const clap_id timerID = host.mTimers.front();
  const int watched = host.mFds.front().mFd;
  const struct
  {
    double mScale;
    bool mApplied, mShown, mRequested;
    uint32_t mWidth, mHeight;
  } kChanges[] = {
      {2.0, true, true, true, 416, 652},    {2.0, true, true, false, 416, 652},  {1.5, true, false, true, 312, 489},
      {kNaN, false, false, true, 208, 326}, {0.5, false, true, false, 208, 326}, {3.0, true, true, true, 624, 978},
      {9.0, false, true, false, 624, 978},  {2.0, true, true, true, 416, 652},
  };
  for (const auto& change : kChanges) {
    SCOPED_TRACE(change.mScale);
    ASSERT_TRUE(gui->show(p));
    if (!change.mShown) {
      ASSERT_TRUE(gui->hide(p));
    }
    const size_t requests = host.mResizeRequests.size();
    EXPECT_EQ(gui->set_scale(p, change.mScale), change.mApplied);
    ASSERT_TRUE(gui->get_size(p, &w, &h));
    EXPECT_EQ(w, change.mWidth);
    EXPECT_EQ(h, change.mHeight);
    ASSERT_EQ(host.mResizeRequests.size(), requests + (change.mRequested ? 1 : 0));
    if (change.mRequested) {
      EXPECT_EQ(host.mResizeRequests.back().mWidth, change.mWidth);
      EXPECT_EQ(host.mResizeRequests.back().mHeight, change.mHeight);
    }
    Window editor = 0;
    XWindowAttributes attributes{};
    ASSERT_TRUE(EditorWindow(&editor, &attributes)); // one window in the host's, never two
    EXPECT_EQ(attributes.width, static_cast<int>(change.mWidth));
    EXPECT_EQ(attributes.height, static_cast<int>(change.mHeight));
    EXPECT_EQ(attributes.map_state, change.mShown ? IsViewable : IsUnmapped);
    ASSERT_EQ(host.mTimers.size(), 1u);
    EXPECT_EQ(host.mTimers.front(), timerID);
    ASSERT_EQ(host.mFds.size(), 1u);
    EXPECT_EQ(host.mFds.front().mFd, watched);
    for (int tick = 0; tick < 3; ++tick) timer->on_timer(p, timerID);
  }

  // The picture at 2 fills all of its 416 x 652: the part beyond the 1x editor's corner is drawn too.
  ASSERT_TRUE(gui->show(p));
  for (int tick = 0; tick < 5; ++tick) timer->on_timer(p, timerID);
  Window editor = 0;
  XWindowAttributes attributes{};
  ASSERT_TRUE(EditorWindow(&editor, &attributes));
  ASSERT_EQ(attributes.width, 416);
  ASSERT_EQ(attributes.height, 652);
  EXPECT_GT(ColoursIn(editor, 0, 0, 416, 652), 20u);
  EXPECT_GT(ColoursIn(editor, 208, 326, 208, 326), 10u);

  // The footswitch at its scaled place (its 1x place times 2, outside a 1x editor) turns Effect off.
  if (x11test::Missing({"xdotool"}).empty()) {
    const auto* fds = plugin.Ext<clap_plugin_posix_fd_support_t>(CLAP_EXT_POSIX_FD_SUPPORT);
    const auto* params = plugin.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS);
    const std::string parent = std::to_string(mParent);
    ASSERT_EQ(x11test::Xdotool(mServer->Display(), {"mousemove", "--window", parent, "212", "398", "click", "1"}), 0);
    for (int turn = 0; turn < 300 && host.mFlushRequests == 0; ++turn) {
      host.RunFds(p, fds, 10);
      timer->on_timer(p, timerID);
    }
    for (int turn = 0; turn < 10; ++turn) host.RunFds(p, fds, 20);
    OutputEvents out;
    params->flush(p, nullptr, out.List());
    bool effectOff = false;
    for (const auto& seen : out.mSeen)
      effectOff |= seen.mType == CLAP_EVENT_PARAM_VALUE && seen.mParamID == 2u && seen.mValue == 0.0;
    EXPECT_TRUE(effectOff);
  }

  // The host's window gone under the open editor: a new scale cannot make the window again, so the
  // editor closes, gives its watch back and says why; a new parent opens it again at the new size.
  XDestroyWindow(mDisplay, mParent);
  XSync(mDisplay, False);
  const size_t logged = host.mLogged.size();
  EXPECT_FALSE(gui->set_scale(p, 1.0));
  EXPECT_GT(host.mLogged.size(), logged);
  EXPECT_TRUE(host.mFds.empty());
  EXPECT_FALSE(gui->show(p));
  timer->on_timer(p, timerID);
  mParent = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, 400, 400, 0, 0, 0);
  XMapWindow(mDisplay, mParent);
  XSync(mDisplay, False);
  const clap_window_t again = {CLAP_WINDOW_API_X11, {mParent}};
  ASSERT_TRUE(gui->set_parent(p, &again));
  EXPECT_TRUE(gui->show(p));
  ASSERT_TRUE(EditorWindow(&editor, &attributes));
  EXPECT_EQ(attributes.width, 208);
  EXPECT_EQ(attributes.height, 326);
  EXPECT_EQ(host.mFds.size(), 1u);
  gui->destroy(p);
  EXPECT_TRUE(host.mTimers.empty());
  EXPECT_TRUE(host.mFds.empty());
  EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
}
