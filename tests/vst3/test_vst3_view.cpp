// Brindle's editor as VST3's editor view, in a parent window on a private Xvfb, run by the host's
// run loop: attached and removed many times, its timer and X descriptor served by the loop, drawn at
// the host's content scale (also changed while attached), refused without a run loop or for another
// window system. (Named X11...: `make test` runs the suites with real windows in a stage of their
// own.)
#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) would rename its identifiers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/vst3/Vst3TestHost.h"
#include "tests/x11/XServer.h"
#include "vst3/abi/Vst3View.h"

using namespace vst3;

namespace {

// The host's run loop, offered through its plug frame; the test turns it by hand.
class TestRunLoop final : public IPlugFrame, public IRunLoop
{
public:
  tresult queryInterface(const TUID iid, void** obj) override
  {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (SameUid(iid, kFUnknownIID) || SameUid(iid, kIPlugFrameIID))
      *obj = static_cast<IPlugFrame*>(this);
    else if (SameUid(iid, kIRunLoopIID) && mOffersRunLoop)
      *obj = static_cast<IRunLoop*>(this);
    else
      return kNoInterface;
    ++mRefs;
    return kResultOk;
  }
  uint32 addRef() override { return static_cast<uint32>(++mRefs); }
  uint32 release() override { return static_cast<uint32>(--mRefs); }
  // As a host does: records the request and, when it grants it, sizes the view (onSize) before answering.
  tresult resizeView(IPlugView* view, ViewRect* size) override
  {
    if (!view || !size) return kInvalidArgument;
    mResizeRequests.push_back(*size);
    if (!mAcceptsResize) return kResultFalse;
    ViewRect granted = *size;
    mOnSizeAnswers.push_back(view->onSize(&granted));
    return kResultTrue;
  }
  tresult registerEventHandler(IEventHandler* handler, int fd) override
  {
    if (mHandler || fd < 0) return kInvalidArgument;
    mHandler = handler;
    mFd = fd;
    return kResultOk;
  }
  tresult unregisterEventHandler(IEventHandler* handler) override
  {
    if (handler != mHandler) return kInvalidArgument;
    mHandler = nullptr;
    mFd = -1;
    return kResultOk;
  }
  tresult registerTimer(ITimerHandler* handler, uint64 ms) override
  {
    if (mTimer || ms == 0) return kInvalidArgument;
    mTimer = handler;
    return kResultOk;
  }
  tresult unregisterTimer(ITimerHandler* handler) override
  {
    if (handler != mTimer) return kInvalidArgument;
    mTimer = nullptr;
    return kResultOk;
  }
  // A few turns of the loop: the timer, and the descriptor as if it were readable.
  void Turn(int times)
  {
    for (int i = 0; i < times; ++i) {
      if (mTimer) mTimer->onTimer();
      if (mHandler) mHandler->onFDIsSet(mFd);
      usleep(2000);
    }
  }

  bool mOffersRunLoop = true;
  bool mAcceptsResize = true;
  std::vector<ViewRect> mResizeRequests;
  std::vector<tresult> mOnSizeAnswers;
  int mRefs = 0;
  ITimerHandler* mTimer = nullptr;
  IEventHandler* mHandler = nullptr;
  int mFd = -1;
};

class X11Vst3View : public ::testing::Test
{
protected:
  // A screen and a host window of these sizes.
  explicit X11Vst3View(const char* screen = "640x480x24", unsigned parentWidth = 300, unsigned parentHeight = 400)
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
  // The windows inside the host's window, with the size of the first.
  unsigned Children(int* width = nullptr, int* height = nullptr)
  {
    XSync(mDisplay, False);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(mDisplay, mParent, &root, &parent, &children, &n)) return 0;
    if (n > 0 && width && height) {
      XWindowAttributes attributes{};
      XGetWindowAttributes(mDisplay, children[0], &attributes);
      *width = attributes.width;
      *height = attributes.height;
    }
    if (children) XFree(children);
    return n;
  }

  // Distinct colours in the editor's area of the host's window: a blank window has one.
  size_t Colours(int left = 0, int top = 0, int width = 208, int height = 326)
  {
    XSync(mDisplay, False);
    XImage* image = XGetImage(mDisplay, mParent, left, top, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image) return 0;
    std::set<unsigned long> colours;
    for (int y = 0; y < height; y += 3)
      for (int x = 0; x < width; x += 3) colours.insert(XGetPixel(image, x, y));
    XDestroyImage(image);
    return colours.size();
  }

  std::string mScreen;
  unsigned mParentWidth, mParentHeight;
  std::unique_ptr<x11test::Xvfb> mServer;
  Display* mDisplay = nullptr;
  Window mParent = 0;
};

// Room for the editor at scale 3 (624 x 978).
class X11Vst3ViewAtScale : public X11Vst3View
{
protected:
  X11Vst3ViewAtScale() : X11Vst3View("1280x1024x24", 1000, 1000) {}
};

IPlugView* CreateView(IEditController* controller)
{
  char name[] = "editor";
  return controller->createView(name);
}

} // namespace

TEST_F(X11Vst3View, AttachedAndRemovedManyTimesAtItsOneSize)
{
  Vst3Module module(BRINDLE_VST3_BUNDLE);
  Vst3Plugin plugin(module);
  ASSERT_TRUE(plugin.Start(2)) << module.Error();
  char other[] = "other";
  EXPECT_EQ(plugin.Controller()->createView(other), nullptr);
  EXPECT_EQ(plugin.Controller()->createView(nullptr), nullptr);
  TestRunLoop loop;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    IPlugView* view = CreateView(plugin.Controller());
    ASSERT_NE(view, nullptr);
    char x11[] = "X11EmbedWindowID", hwnd[] = "HWND";
    EXPECT_EQ(view->isPlatformTypeSupported(x11), kResultTrue);
    EXPECT_EQ(view->isPlatformTypeSupported(hwnd), kResultFalse);
    ViewRect size{};
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.right - size.left, 208);
    EXPECT_EQ(size.bottom - size.top, 326);
    EXPECT_EQ(view->canResize(), kResultFalse);
    ViewRect wish{10, 10, 500, 500};
    EXPECT_EQ(view->checkSizeConstraint(&wish), kResultOk);
    EXPECT_EQ(wish.right - wish.left, 208);
    EXPECT_EQ(wish.bottom - wish.top, 326);
    void* scale = nullptr;
    ASSERT_EQ(view->queryInterface(kIPlugViewContentScaleSupportIID.mBytes, &scale), kResultOk);
    EXPECT_EQ(static_cast<IPlugViewContentScaleSupport*>(scale)->setContentScaleFactor(1.0f), kResultOk);
    static_cast<IPlugViewContentScaleSupport*>(scale)->release();

    EXPECT_EQ(view->attached(reinterpret_cast<void*>(mParent), x11), kResultFalse); // no frame yet
    ASSERT_EQ(view->setFrame(&loop), kResultOk);
    EXPECT_EQ(view->attached(reinterpret_cast<void*>(mParent), hwnd), kResultFalse);
    for (int attach = 0; attach < 5; ++attach) {
      ASSERT_EQ(view->attached(reinterpret_cast<void*>(mParent), x11), kResultOk);
      EXPECT_EQ(view->attached(reinterpret_cast<void*>(mParent), x11), kResultFalse); // attached already
      EXPECT_NE(loop.mTimer, nullptr);
      EXPECT_GE(loop.mFd, 0);
      loop.Turn(5);
      int width = 0, height = 0;
      EXPECT_EQ(Children(&width, &height), 1u);
      EXPECT_EQ(width, 208);
      EXPECT_EQ(height, 326);
      // Drawn from the bundle's images (a blank editor would be one colour).
      EXPECT_GT(Colours(), 20u);
      ASSERT_EQ(view->removed(), kResultOk);
      EXPECT_EQ(view->removed(), kResultFalse);
      EXPECT_EQ(loop.mTimer, nullptr);
      EXPECT_EQ(loop.mHandler, nullptr);
      EXPECT_EQ(Children(), 0u);
    }
    // Released while attached: the view tidies up after itself.
    ASSERT_EQ(view->attached(reinterpret_cast<void*>(mParent), x11), kResultOk);
    EXPECT_EQ(view->release(), 0u);
    EXPECT_EQ(loop.mTimer, nullptr);
    EXPECT_EQ(Children(), 0u);
  }
  EXPECT_EQ(loop.mRefs, 0); // every reference the views took to the run loop was given back
  EXPECT_TRUE(plugin.Stop());
}

TEST_F(X11Vst3View, RefusedWithoutARunLoop)
{
  Vst3Module module(BRINDLE_VST3_BUNDLE);
  Vst3Plugin plugin(module);
  ASSERT_TRUE(plugin.Ok()) << module.Error();
  ASSERT_EQ(plugin.Component()->initialize(nullptr), kResultOk);
  TestRunLoop frame;
  frame.mOffersRunLoop = false;
  IPlugView* view = CreateView(plugin.Controller());
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(view->setFrame(&frame), kResultOk);
  char x11[] = "X11EmbedWindowID";
  EXPECT_EQ(view->attached(reinterpret_cast<void*>(mParent), x11), kResultFalse);
  EXPECT_EQ(Children(), 0u);
  EXPECT_EQ(view->release(), 0u);
  EXPECT_EQ(plugin.Component()->terminate(), kResultOk);
}

TEST_F(X11Vst3ViewAtScale, DrawnAtTheHostsContentScale)
{
  Vst3Module module(BRINDLE_VST3_BUNDLE);
  Vst3Plugin plugin(module);
  ASSERT_TRUE(plugin.Start(2)) << module.Error();
  TestRunLoop loop;
  char x11[] = "X11EmbedWindowID";
  void* parent = reinterpret_cast<void*>(mParent);
  constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
  auto scaleOf = [](IPlugView* view) {
    void* scale = nullptr;
    view->queryInterface(kIPlugViewContentScaleSupportIID.mBytes, &scale);
    return static_cast<IPlugViewContentScaleSupport*>(scale);
  };

  // The factor before attach: held to 1..3 (true only when applied as given), getSize and the window
  // attach makes follow it, and nothing is asked of the frame.
  const struct
  {
    float mScale;
    tresult mAnswer;
    int mWidth, mHeight;
  } kFactors[] = {
      {1.0f, kResultTrue, 208, 326},   {1.5f, kResultTrue, 312, 489},  {2.0f, kResultTrue, 416, 652},
      {3.0f, kResultTrue, 624, 978},   {0.5f, kResultFalse, 208, 326}, {kNaN, kResultFalse, 208, 326},
      {-1.0f, kResultFalse, 208, 326}, {4.0f, kResultFalse, 624, 978},
  };
  for (const auto& factor : kFactors) {
    SCOPED_TRACE(factor.mScale);
    IPlugView* view = CreateView(plugin.Controller());
    ASSERT_NE(view, nullptr);
    ViewRect size{};
    ASSERT_EQ(view->getSize(&size), kResultOk); // a new view starts at 1 until the host says otherwise
    EXPECT_EQ(size.right - size.left, 208);
    EXPECT_EQ(size.bottom - size.top, 326);
    IPlugViewContentScaleSupport* scale = scaleOf(view);
    ASSERT_NE(scale, nullptr);
    EXPECT_EQ(scale->setContentScaleFactor(factor.mScale), factor.mAnswer);
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.right - size.left, factor.mWidth);
    EXPECT_EQ(size.bottom - size.top, factor.mHeight);
    ViewRect wish{0, 0, 1, 1};
    EXPECT_EQ(view->checkSizeConstraint(&wish), kResultOk);
    EXPECT_EQ(wish.right, factor.mWidth);
    EXPECT_EQ(wish.bottom, factor.mHeight);
    ASSERT_EQ(view->setFrame(&loop), kResultOk);
    ASSERT_EQ(view->attached(parent, x11), kResultOk);
    int width = 0, height = 0;
    EXPECT_EQ(Children(&width, &height), 1u);
    EXPECT_EQ(width, factor.mWidth);
    EXPECT_EQ(height, factor.mHeight);
    scale->release();
    EXPECT_EQ(view->release(), 0u);
  }
  EXPECT_TRUE(loop.mResizeRequests.empty());

  // Changes while attached: the window takes the new size in the same place, still run by the loop,
  // and the frame is asked to resize (then sizes the view) whenever the size changed.
  IPlugView* view = CreateView(plugin.Controller());
  ASSERT_NE(view, nullptr);
  IPlugViewContentScaleSupport* scale = scaleOf(view);
  ASSERT_EQ(view->setFrame(&loop), kResultOk);
  ASSERT_EQ(view->attached(parent, x11), kResultOk);
  const struct
  {
    float mScale;
    tresult mAnswer;
    bool mRequested;
    int mWidth, mHeight;
  } kChanges[] = {
      {2.0f, kResultTrue, true, 416, 652},   {2.0f, kResultTrue, false, 416, 652},  {1.5f, kResultTrue, true, 312, 489},
      {kNaN, kResultFalse, true, 208, 326},  {0.5f, kResultFalse, false, 208, 326}, {3.0f, kResultTrue, true, 624, 978},
      {8.0f, kResultFalse, false, 624, 978}, {2.0f, kResultTrue, true, 416, 652},
  };
  for (const auto& change : kChanges) {
    SCOPED_TRACE(change.mScale);
    const size_t requests = loop.mResizeRequests.size();
    EXPECT_EQ(scale->setContentScaleFactor(change.mScale), change.mAnswer);
    ASSERT_EQ(loop.mResizeRequests.size(), requests + (change.mRequested ? 1 : 0));
    if (change.mRequested) {
      EXPECT_EQ(loop.mResizeRequests.back().right - loop.mResizeRequests.back().left, change.mWidth);
      EXPECT_EQ(loop.mResizeRequests.back().bottom - loop.mResizeRequests.back().top, change.mHeight);
      EXPECT_EQ(loop.mOnSizeAnswers.back(), kResultOk); // the granted size is the view's own
    }
    ViewRect size{};
    ASSERT_EQ(view->getSize(&size), kResultOk);
    EXPECT_EQ(size.right - size.left, change.mWidth);
    EXPECT_EQ(size.bottom - size.top, change.mHeight);
    int width = 0, height = 0;
    EXPECT_EQ(Children(&width, &height), 1u);
    EXPECT_EQ(width, change.mWidth);
    EXPECT_EQ(height, change.mHeight);
    EXPECT_NE(loop.mTimer, nullptr);
    EXPECT_NE(loop.mHandler, nullptr);
    loop.Turn(3);
  }
  // A frame that refuses: the editor is still drawn at the host's factor.
  loop.mAcceptsResize = false;
  EXPECT_EQ(scale->setContentScaleFactor(1.0f), kResultTrue);
  int width = 0, height = 0;
  EXPECT_EQ(Children(&width, &height), 1u);
  EXPECT_EQ(width, 208);
  loop.mAcceptsResize = true;

  // The picture at 2 fills all of its 416 x 652, the part beyond the 1x editor's corner too.
  EXPECT_EQ(scale->setContentScaleFactor(2.0f), kResultTrue);
  loop.Turn(5);
  EXPECT_GT(Colours(0, 0, 416, 652), 20u);
  EXPECT_GT(Colours(208, 326, 208, 326), 10u);

  // The footswitch at its scaled place (its 1x place times 2, outside a 1x editor) turns Effect off.
  if (x11test::Missing({"xdotool"}).empty()) {
    EXPECT_EQ(plugin.Controller()->getParamNormalized(2), 1.0);
    ASSERT_EQ(x11test::Xdotool(mServer->Display(),
                               {"mousemove", "--window", std::to_string(mParent), "212", "398", "click", "1"}),
              0);
    for (int turn = 0; turn < 300 && plugin.Controller()->getParamNormalized(2) != 0.0; ++turn) loop.Turn(1);
    EXPECT_EQ(plugin.Controller()->getParamNormalized(2), 0.0);
  }

  // The host's window gone under the attached view: a new scale cannot make the window again, so the
  // view lets go of the loop; attached to a new window it opens again at the new size.
  XDestroyWindow(mDisplay, mParent);
  XSync(mDisplay, False);
  const size_t requests = loop.mResizeRequests.size();
  EXPECT_EQ(scale->setContentScaleFactor(1.0f), kResultFalse);
  EXPECT_EQ(loop.mResizeRequests.size(), requests);
  EXPECT_EQ(loop.mTimer, nullptr);
  EXPECT_EQ(loop.mHandler, nullptr);
  EXPECT_EQ(view->removed(), kResultFalse);
  mParent = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, 400, 400, 0, 0, 0);
  XMapWindow(mDisplay, mParent);
  XSync(mDisplay, False);
  ASSERT_EQ(view->attached(reinterpret_cast<void*>(mParent), x11), kResultOk);
  EXPECT_EQ(Children(&width, &height), 1u);
  EXPECT_EQ(width, 208);
  EXPECT_EQ(height, 326);
  EXPECT_EQ(view->removed(), kResultOk);
  scale->release();
  EXPECT_EQ(view->release(), 0u);
  EXPECT_EQ(loop.mRefs, 0);
  EXPECT_TRUE(plugin.Stop());
}
