// Brindle's editor as VST3's editor view, in a parent window on a private Xvfb, run by the host's
// run loop: attached and removed many times at its one size, its timer and X descriptor served by
// the loop, refused without a run loop or for another window system. (Named X11...: `make test`
// runs the suites with real windows in a stage of their own.)
#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) would rename its identifiers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

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
  tresult resizeView(IPlugView*, ViewRect*) override { return kResultFalse; }
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
  int mRefs = 0;
  ITimerHandler* mTimer = nullptr;
  IEventHandler* mHandler = nullptr;
  int mFd = -1;
};

class X11Vst3View : public ::testing::Test
{
protected:
  void SetUp() override
  {
    const std::string missing = x11test::Missing({"Xvfb"});
    if (!missing.empty()) GTEST_SKIP() << missing << " is not installed (scripts/packages.txt)";
    alarm(120);
    mServer = std::make_unique<x11test::Xvfb>();
    ASSERT_FALSE(mServer->Display().empty());
    setenv("DISPLAY", mServer->Display().c_str(), 1); // the editor opens the display the host is on
    mDisplay = XOpenDisplay(mServer->Display().c_str());
    ASSERT_NE(mDisplay, nullptr);
    mParent = XCreateSimpleWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, 300, 400, 0, 0, 0);
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
  size_t Colours()
  {
    XSync(mDisplay, False);
    XImage* image = XGetImage(mDisplay, mParent, 0, 0, 208, 326, AllPlanes, ZPixmap);
    if (!image) return 0;
    std::set<unsigned long> colours;
    for (int y = 0; y < 326; y += 3)
      for (int x = 0; x < 208; x += 3) colours.insert(XGetPixel(image, x, y));
    XDestroyImage(image);
    return colours.size();
  }

  std::unique_ptr<x11test::Xvfb> mServer;
  Display* mDisplay = nullptr;
  Window mParent = 0;
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
    EXPECT_EQ(static_cast<IPlugViewContentScaleSupport*>(scale)->setContentScaleFactor(2.0f), kResultFalse);
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
