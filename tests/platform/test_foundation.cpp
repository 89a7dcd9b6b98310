// Foundation and CoreGraphics stand-ins: ownership, the class registry, text and paths, the
// run loop's virtual clock, and pixel drawing between layouts.
#include <BrindleHost/Headless.h>
#include <CoreGraphics/CoreGraphics.h>
#include <Foundation/Foundation.h>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>

#include <climits>
#include <fstream>

#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace {

// Counts its own deaths, and what it was sent.
class Probe : public NSObject
{
public:
  NS_DECLARE_ALLOC(Probe)
  ~Probe() override { ++sDeaths; }
  using NSObject::performSelector;
  NSObject* performSelector(SEL selector, NSObject* argument) override
  {
    calls.push_back(std::string(sel_getName(selector)));
    arguments.push_back(argument);
    if (onCall) onCall(argument);
    return nil;
  }
  std::vector<std::string> calls;
  std::vector<NSObject*> arguments;
  void (*onCall)(NSObject*) = nullptr;
  static int sDeaths;
};
int Probe::sDeaths = 0;

NSString* S(const char* text)
{
  return NSString::stringWithUTF8String(text);
}

TEST(Ownership, PoolsReleaseWhatWasAutoreleasedInThem)
{
  Probe::sDeaths = 0;
  {
    NSAutoreleasePool outer;
    Probe* kept = Probe::alloc();
    kept->retain()->autorelease(); // one reference for the pool, one for us
    Probe* twice = Probe::alloc();
    twice->retain();
    twice->autorelease();
    twice->autorelease();
    {
      NSAutoreleasePool inner;
      Probe::alloc()->autorelease();
      EXPECT_EQ(1u, NSAutoreleasePool::pendingCount());
    }
    EXPECT_EQ(1, Probe::sDeaths); // only the inner pool's object
    NSAutoreleasePool* heap = NSAutoreleasePool::alloc()->init();
    Probe::alloc()->autorelease();
    heap->drain();
    EXPECT_EQ(2, Probe::sDeaths);
    // A pool left open inside another ends with it.
    NSAutoreleasePool::alloc()->init();
    Probe::alloc()->autorelease();
    EXPECT_EQ(2u, kept->retainCount());
    kept->release();
  }
  EXPECT_EQ(5, Probe::sDeaths);
}

TEST(Ownership, ContainersAndTimersRetainWhatTheyHold)
{
  NSAutoreleasePool pool;
  Probe* p = Probe::alloc();
  NSMutableArray* list = NSMutableArray::array();
  list->addObject(p);
  list->addObject(nil);
  list->insertObject(p, 99);
  EXPECT_EQ(2u, list->count());
  EXPECT_EQ(3u, p->retainCount());
  EXPECT_EQ(nil, list->objectAtIndex(2));
  list->removeObject(p);
  EXPECT_EQ(1u, p->retainCount());
  NSArray* stops = NSArray::arrayWithObjects(S("a"), S("b"), nil, S("never"));
  EXPECT_EQ(2u, stops->count());

  NSTimer* timer = NSTimer::timerWithTimeInterval(1, p, sel_registerName("tick:"), p, YES);
  EXPECT_EQ(3u, p->retainCount()); // target and user info
  timer->invalidate();
  EXPECT_EQ(1u, p->retainCount());
  EXPECT_FALSE(timer->isValid());
  p->release();
}

TEST(ClassRegistry, FindsRegisteredClassesAndKeepsTheFirstOfADuplicate)
{
  NSAutoreleasePool pool;
  const char* name = "Brindle_TestRegistryClass";
  auto makeProbe = +[]() -> NSObject* { return Probe::alloc(); };
  auto makeOther = +[]() -> NSObject* { return NSObject::alloc(); };
  ASSERT_TRUE(NSRegisterClass(name, makeProbe, "NSObject"));
  EXPECT_FALSE(NSRegisterClass(name, makeOther));
  Class cls = NSClassFromString(S(name));
  ASSERT_NE(nullptr, cls);
  EXPECT_EQ(cls, objc_getClass(name));
  EXPECT_STREQ("NSObject", cls->superclassName);
  NSObject* made = cls->alloc();
  EXPECT_NE(nullptr, dynamic_cast<Probe*>(made));
  made->release();
  NSUnregisterClass(name, makeOther); // not the registered record: no effect
  EXPECT_NE(nullptr, objc_getClass(name));
  NSUnregisterClass(name, makeProbe);
  EXPECT_EQ(nullptr, objc_getClass(name));
  EXPECT_EQ(nullptr, objc_getClass(nullptr));
  EXPECT_FALSE(NSRegisterClass(nullptr, makeProbe));
  EXPECT_EQ(sel_registerName("onTimer:"), NSSelectorFromString(S("onTimer:")));
  EXPECT_STREQ("onTimer:", sel_getName(sel_registerName("onTimer:")));
}

TEST(ClassRegistry, ALibraryRegistersOnLoadAndUnregistersOnUnload)
{
  ASSERT_EQ(nullptr, objc_getClass("TestUnit_View"));
  void* library = dlopen(PLATFORM_TEST_UNIT_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(nullptr, library) << dlerror();
  Class cls = objc_getClass("TestUnit_View");
  ASSERT_NE(nullptr, cls);
  NSObject* view = cls->alloc()->init();
  EXPECT_STREQ("TestUnit_View", view->className());
  view->release();
  dlclose(library);
  EXPECT_EQ(nullptr, objc_getClass("TestUnit_View"));
}

TEST(ClassRegistry, BundlesFindTheirFilesAndLoadTheirCodeForAClass)
{
  NSAutoreleasePool pool;
  char pattern[] = "/tmp/brindle-nsbundle-XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(pattern));
  char resolved[PATH_MAX];
  ASSERT_NE(nullptr, realpath(pattern, resolved));
  const std::string root = resolved;
  auto makeBundle = [&](const std::string& name, const std::string& executable) {
    const std::string b = root + "/" + name + ".component";
    for (const std::string& dir : {b, b + "/Contents", b + "/Contents/Resources"}) mkdir(dir.c_str(), 0755);
    std::ofstream(b + "/Contents/Info.plist")
        << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
           "<key>CFBundleIdentifier</key><string>org.brindle.test." +
               name + "</string>"
        << (executable.empty() ? "" : "<key>CFBundleExecutable</key><string>" + executable + "</string>")
        << "</dict></plist>";
    std::ofstream(b + "/Contents/Resources/background.png") << "pixels";
    return b;
  };
  const std::string withCode = makeBundle("Coded", "TestUnit");
  {
    std::ifstream in(PLATFORM_TEST_UNIT_PATH, std::ios::binary);
    std::ofstream(withCode + "/Contents/TestUnit.so", std::ios::binary) << in.rdbuf();
  }
  const std::string withoutCode = makeBundle("Plain", "");

  NSBundle* coded = NSBundle::bundleWithPath(S(withCode.c_str()));
  ASSERT_NE(nil, coded);
  EXPECT_EQ(coded, NSBundle::bundleWithIdentifier(S("org.brindle.test.Coded")));
  EXPECT_EQ(withCode, coded->bundlePath()->text());
  EXPECT_EQ(withCode + "/Contents/Resources", coded->resourcePath()->text());
  EXPECT_EQ(withCode + "/Contents/TestUnit.so", coded->executablePath()->text());
  EXPECT_EQ(withCode + "/Contents/Resources/background.png", coded->pathForResource(S("background"), S("png"))->text());
  EXPECT_EQ(nil, coded->pathForResource(S("knob"), S("png")));
  EXPECT_EQ(nil, coded->pathForResource(nil, S("png")));
  EXPECT_FALSE(coded->isLoaded());
  Class cls = coded->classNamed(S("TestUnit_View"));
  ASSERT_NE(nullptr, cls);
  EXPECT_TRUE(coded->isLoaded());
  EXPECT_EQ(nullptr, coded->classNamed(S("NoSuchClass")));

  NSBundle* plain = NSBundle::bundleWithPath(S(withoutCode.c_str()));
  ASSERT_NE(nil, plain);
  EXPECT_EQ(nil, plain->executablePath());
  EXPECT_FALSE(plain->load());
  EXPECT_EQ(nil, NSBundle::bundleWithPath(S((root + "/missing.component").c_str())));
  EXPECT_EQ(nil, NSBundle::bundleWithIdentifier(S("org.brindle.test.none")));
  std::system(("rm -rf '" + root + "'").c_str());
}

TEST(Strings, TextLengthsNumbersAndPaths)
{
  NSAutoreleasePool pool;
  EXPECT_EQ(nil, NSString::stringWithUTF8String(nullptr));
  for (const char* bad : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "a\xFF"})
    EXPECT_EQ(nil, NSString::stringWithUTF8String(bad)) << bad;
  NSString* mixed = S("a\xC3\xA9\xF0\x9F\x8E\xB8"); // a, e-acute, a guitar outside the BMP
  EXPECT_EQ(4u, mixed->length());
  EXPECT_EQ(0xE9, mixed->characterAtIndex(1));
  EXPECT_EQ(0xD83C, mixed->characterAtIndex(2));
  EXPECT_EQ(0, mixed->characterAtIndex(99));

  const struct
  {
    const char* text;
    int value;
  } numbers[] = {{"42", 42},
                 {"  -17xyz", -17},
                 {"+8", 8},
                 {"", 0},
                 {"abc", 0},
                 {"-", 0},
                 {"99999999999", 2147483647},
                 {"-99999999999", -2147483647 - 1},
                 {"2147483648", 2147483647}};
  for (const auto& n : numbers) EXPECT_EQ(n.value, S(n.text)->intValue()) << n.text;

  const struct
  {
    const char *path, *last, *parent, *ext, *noExt;
  } paths[] = {{"/tmp/scratch.tiff", "scratch.tiff", "/tmp", "tiff", "/tmp/scratch"},
               {"/tmp/lock/", "lock", "/tmp", "", "/tmp/lock"},
               {"/tmp", "tmp", "/", "", "/tmp"},
               {"/", "/", "/", "", "/"},
               {"scratch.tiff", "scratch.tiff", "", "tiff", "scratch"},
               {"a//b///c.d.png", "c.d.png", "a/b", "png", "a/b/c.d"},
               {"/x/.hidden", ".hidden", "/x", "", "/x/.hidden"},
               {"/x.y/file", "file", "/x.y", "", "/x.y/file"},
               {"", "", "", "", ""}};
  for (const auto& p : paths) {
    NSString* s = S(p.path);
    EXPECT_EQ(p.last, s->lastPathComponent()->text()) << p.path;
    EXPECT_EQ(p.parent, s->stringByDeletingLastPathComponent()->text()) << p.path;
    EXPECT_EQ(p.ext, s->pathExtension()->text()) << p.path;
    EXPECT_EQ(p.noExt, s->stringByDeletingPathExtension()->text()) << p.path;
  }
  setenv("HOME", "/home/tester", 1);
  EXPECT_EQ("/home/tester/Desktop", S("~/Desktop")->stringByExpandingTildeInPath()->text());
  EXPECT_EQ("/a/~b", S("/a/~b")->stringByExpandingTildeInPath()->text());
  EXPECT_EQ("~no-such-user-xyz/a", S("~no-such-user-xyz/a")->stringByExpandingTildeInPath()->text());

  NSMutableString* m = NSMutableString::stringWithString(S("Init"));
  m->insertString(S("1: "), 0);
  m->insertString(S("!"), 99); // past the end: unchanged
  m->appendString(S("\xF0\x9F\x8E\xB8"));
  m->insertString(S("x"), 8); // inside the surrogate pair: after it
  EXPECT_EQ("1: Init\xF0\x9F\x8E\xB8x", m->text());
  NSCharacterSet* digits = NSCharacterSet::characterSetWithCharactersInString(S("0123456789.-+"));
  EXPECT_TRUE(digits->characterIsMember('.'));
  EXPECT_FALSE(digits->characterIsMember('e'));

  CFStringRef cf = S("bridge")->createCFString();
  EXPECT_EQ("bridge", NSString::stringWithCFString(cf)->text());
  CFRelease(cf);
}

TEST(Strings, URLsAreCheckedAndFilePathsEscaped)
{
  NSAutoreleasePool pool;
  const struct
  {
    const char* text;
    bool valid;
  } urls[] = {{"http://www.tallowby.com/brindle", true},
              {"https://x.org/a?b=c&d=%20", true},
              {"mailto:someone@example.com", true},
              {"not a url", false},
              {"www.example.com", false},
              {"http://bad%zzescape", false},
              {"http://spa ce", false},
              {":nothing", false},
              {"1http://x", false},
              {"", false}};
  for (const auto& u : urls) {
    NSURL* url = NSURL::URLWithString(S(u.text));
    EXPECT_EQ(u.valid, url != nil) << u.text;
    if (url) {
      EXPECT_EQ(u.text, url->absoluteString()->text());
    }
  }
  EXPECT_EQ(nil, NSURL::URLWithString(nil));
  NSURL* file = NSURL::fileURLWithPath(S("/tmp/My Manual #1.pdf"));
  EXPECT_EQ("file:///tmp/My%20Manual%20%231.pdf", file->absoluteString()->text());
  EXPECT_TRUE(file->isFileURL());
}

TEST(SearchPaths, FollowTheXdgFoldersAndExpandTildeOnlyWhenAsked)
{
  NSAutoreleasePool pool;
  setenv("HOME", "/home/tester", 1);
  const struct
  {
    const char* desktopVar; // nullptr: unset
    const char* dataVar;
    NSSearchPathDirectory directory;
    NSSearchPathDomainMask domain;
    BOOL expand;
    const char* expected; // nullptr: empty array
  } cases[] = {{nullptr, nullptr, NSDesktopDirectory, NSUserDomainMask, YES, "/home/tester/Desktop"},
               {nullptr, nullptr, NSDesktopDirectory, NSUserDomainMask, NO, "~/Desktop"},
               {"/srv/desk", nullptr, NSDesktopDirectory, NSUserDomainMask, YES, "/srv/desk"},
               {"$HOME/Bureau", nullptr, NSDesktopDirectory, NSUserDomainMask, YES, "/home/tester/Bureau"},
               {"$HOME/Bureau", nullptr, NSDesktopDirectory, NSUserDomainMask, NO, "~/Bureau"},
               {nullptr, nullptr, NSApplicationSupportDirectory, NSUserDomainMask, YES, "/home/tester/.local/share"},
               {nullptr, "/data/home", NSApplicationSupportDirectory, NSUserDomainMask, NO, "/data/home"},
               {nullptr, "relative/data", NSApplicationSupportDirectory, NSUserDomainMask, NO, "~/.local/share"},
               {nullptr, nullptr, NSDesktopDirectory, NSSystemDomainMask, YES, nullptr},
               {nullptr, nullptr, NSCachesDirectory, NSUserDomainMask, YES, nullptr}};
  for (const auto& c : cases) {
    if (c.desktopVar)
      setenv("XDG_DESKTOP_DIR", c.desktopVar, 1);
    else
      unsetenv("XDG_DESKTOP_DIR");
    if (c.dataVar)
      setenv("XDG_DATA_HOME", c.dataVar, 1);
    else
      unsetenv("XDG_DATA_HOME");
    NSArray* found = NSSearchPathForDirectoriesInDomains(c.directory, c.domain, c.expand);
    if (!c.expected) {
      EXPECT_EQ(0u, found->count());
      continue;
    }
    ASSERT_EQ(1u, found->count());
    EXPECT_EQ(c.expected, static_cast<NSString*>(found->firstObject())->text());
  }
  unsetenv("XDG_DESKTOP_DIR");
  unsetenv("XDG_DATA_HOME");
}

TEST(RunLoop, TimersAndDelayedPerformsFollowTheVirtualClock)
{
  NSAutoreleasePool pool;
  Probe* view = Probe::alloc();
  const double start = BrindleHost_RunLoopNow();
  NSTimer* timer = NSTimer::timerWithTimeInterval(0.04, view, sel_registerName("onTimer:"), nil, YES);
  NSRunLoop::currentRunLoop()->addTimer(timer, kCFRunLoopCommonModes);
  NSTimer* once = NSTimer::timerWithTimeInterval(0.05, view, sel_registerName("once:"), nil, NO);
  NSRunLoop::currentRunLoop()->addTimer(once, NSDefaultRunLoopMode);
  NSTimer* tracking = NSTimer::timerWithTimeInterval(0.01, view, sel_registerName("tracking:"), nil, YES);
  NSRunLoop::currentRunLoop()->addTimer(tracking, S("NSEventTrackingRunLoopMode"));
  view->performSelector(sel_registerName("orderFront:"), view, 0.05);
  EXPECT_EQ(6u, view->retainCount()); // three timers, and the pending perform as target and argument

  BrindleHost_RunLoopAdvance(0.039);
  EXPECT_TRUE(view->calls.empty());
  BrindleHost_RunLoopAdvance(0.131); // to 0.17: ticks at 0.04, 0.08, 0.12, 0.16
  const std::vector<std::string> expected = {"onTimer:", "once:", "orderFront:", "onTimer:", "onTimer:", "onTimer:"};
  EXPECT_EQ(expected, view->calls);
  EXPECT_EQ(timer, view->arguments[0]);
  EXPECT_EQ(view, view->arguments[2]);
  EXPECT_NEAR(start + 0.17, BrindleHost_RunLoopNow(), 1e-9);
  EXPECT_FALSE(once->isValid());
  EXPECT_EQ(3u, view->retainCount()); // the repeating timers remain

  timer->invalidate();
  tracking->invalidate();
  BrindleHost_RunLoopAdvance(1);
  EXPECT_EQ(6u, view->calls.size());
  EXPECT_EQ(1u, view->retainCount());
  view->release();
}

TEST(RunLoop, ATimerMayInvalidateItselfWhileFiring)
{
  NSAutoreleasePool pool;
  Probe* target = Probe::alloc();
  target->onCall = [](NSObject* timer) { static_cast<NSTimer*>(timer)->invalidate(); };
  NSTimer* timer = NSTimer::scheduledTimerWithTimeInterval(0, target, sel_registerName("t:"), nil, YES);
  BrindleHost_RunLoopAdvance(0.01);
  EXPECT_EQ(1u, target->calls.size());
  EXPECT_FALSE(timer->isValid());
  EXPECT_EQ(1u, target->retainCount());
  target->release();
}

// ---- CoreGraphics ----

TEST(CoreGraphics, DrawImageConvertsLayoutsKeepsOrientationAndHonoursTheClip)
{
  // Source pixel bytes for opaque red over a translucent half-blue, per layout.
  const struct
  {
    CGBitmapInfo info;
    uint8_t red[4];
    uint8_t halfBlue[4]; // alpha 128, blue at full strength before premultiplying
  } layouts[] = {
      {kCGImageAlphaNoneSkipFirst, {0, 255, 0, 0}, {0, 0, 0, 255}}, // X R G B: no alpha
      {kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little, {0, 0, 255, 255}, {128, 0, 0, 128}},
      {kCGImageAlphaLast | kCGBitmapByteOrder32Big, {255, 0, 0, 255}, {0, 0, 255, 128}},
      {kCGImageAlphaFirst, {255, 255, 0, 0}, {128, 0, 0, 255}},
      {kCGImageAlphaNoneSkipLast | kCGBitmapByteOrder32Little, {0, 0, 0, 255}, {0, 255, 0, 0}}, // X B G R
  };
  for (const auto& l : layouts) {
    SCOPED_TRACE(l.info);
    // A 1 x 2 source: red on the first (top) row, translucent blue below.
    uint8_t src[8];
    std::copy(l.red, l.red + 4, src);
    std::copy(l.halfBlue, l.halfBlue + 4, src + 4);
    CGContextRef srcCtx = CGBitmapContextCreate(src, 1, 2, 8, 4, nullptr, l.info);
    ASSERT_NE(nullptr, srcCtx);
    CGImageRef image = CGBitmapContextCreateImage(srcCtx);
    CGContextRelease(srcCtx);

    // Destination 4 x 4, white, B G R A in memory.
    std::vector<uint8_t> dst(4 * 4 * 4, 255);
    CGContextRef ctx = CGBitmapContextCreate(dst.data(), 4, 4, 8, 16, nullptr,
                                             kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
    CGContextSaveGState(ctx);
    CGContextTranslateCTM(ctx, 1, 0);
    CGContextClipToRect(ctx, CGRectMake(0, 0, 2, 3));       // device columns 1-2, rows 1-3 from the top
    CGContextDrawImage(ctx, CGRectMake(0, 0, 2, 4), image); // device columns 1-2, all rows
    CGContextRestoreGState(ctx);
    EXPECT_EQ(2u * 3u * 4u, BrindleHost_CGContextGetBytesWritten(ctx));

    auto pixel = [&](int x, int y) {
      const uint8_t* p = &dst[static_cast<size_t>(y * 16 + x * 4)];
      return static_cast<uint32_t>(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0];
    };
    const bool opaque = (l.info & kCGBitmapAlphaInfoMask) >= kCGImageAlphaNoneSkipLast;
    const uint32_t blue = opaque ? 0xFF0000FFu : 0xFF7F7FFFu; // blue at half over white
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) {
        uint32_t want = 0xFFFFFFFFu; // outside the clip: untouched
        if (x >= 1 && x <= 2 && y >= 1) want = y < 2 ? 0xFFFF0000u : blue;
        EXPECT_EQ(want, pixel(x, y)) << x << "," << y;
      }
    CGImageRelease(image);
    CGContextRelease(ctx);
  }
}

TEST(CoreGraphics, RefusesUnusableBitmapsAndRects)
{
  uint8_t pixels[64] = {};
  const struct
  {
    void* data;
    size_t w, h, bits, row;
    CGBitmapInfo info;
  } bad[] = {{nullptr, 2, 2, 8, 8, kCGImageAlphaNoneSkipFirst},
             {pixels, 0, 2, 8, 8, kCGImageAlphaNoneSkipFirst},
             {pixels, 2, 2, 16, 16, kCGImageAlphaNoneSkipFirst},
             {pixels, 2, 2, 8, 7, kCGImageAlphaNoneSkipFirst},
             {pixels, 2, 2, 8, 8, kCGImageAlphaNone},
             {pixels, 2, 2, 8, 8, kCGImageAlphaOnly},
             {pixels, 2, 2, 8, 8, kCGImageAlphaFirst | kCGBitmapByteOrder16Little},
             {pixels, 2, 2, 8, 8, kCGImageAlphaFirst | kCGBitmapFloatComponents}};
  for (const auto& b : bad) EXPECT_EQ(nullptr, CGBitmapContextCreate(b.data, b.w, b.h, b.bits, b.row, nullptr, b.info));
  CGContextRef ctx = CGBitmapContextCreate(pixels, 4, 4, 8, 16, nullptr, kCGImageAlphaNoneSkipFirst);
  CGImageRef image = CGBitmapContextCreateImage(ctx);
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (CGRect r : {CGRectMake(nan, 0, 1, 1), CGRectMake(0, 0, inf, 1), CGRectMake(0, 0, 0, 4),
                   CGRectMake(-1e300, -1e300, 1e300, 1e300), CGRectMake(50, 50, 4, 4)})
    CGContextDrawImage(ctx, r, image);
  CGContextDrawImage(ctx, CGRectMake(0, 0, 4, 4), nullptr);
  EXPECT_EQ(0u, BrindleHost_CGContextGetBytesWritten(ctx));
  CGContextDrawImage(ctx, CGRectMake(-2, -2, 4, 4), image); // a corner: 2 x 2 inside
  EXPECT_EQ(16u, BrindleHost_CGContextGetBytesWritten(ctx));
  CGContextClipToRect(ctx, CGRectMake(1, 1, 2, 2));
  const CGRect clip = CGContextGetClipBoundingBox(ctx);
  EXPECT_EQ(1, clip.origin.x);
  EXPECT_EQ(2, clip.size.height);
  CGContextRestoreGState(ctx); // unmatched: ignored
  CGImageRelease(image);
  CGContextRelease(ctx);
}

TEST(CoreGraphics, CursorStateIsKeptByTheBackend)
{
  BrindleHost::HeadlessBackend* headless = BrindleHost::Headless();
  ASSERT_NE(nullptr, headless);
  const CGDirectDisplayID main = CGMainDisplayID();
  EXPECT_EQ(kCGErrorIllegalArgument, CGDisplayHideCursor(main + 7));
  EXPECT_EQ(0u, CGDisplayPixelsHigh(main + 7));
  EXPECT_EQ(kCGErrorSuccess, CGDisplayHideCursor(main));
  EXPECT_EQ(kCGErrorSuccess, CGDisplayHideCursor(main));
  EXPECT_EQ(kCGErrorSuccess, CGDisplayShowCursor(main));
  EXPECT_TRUE(headless->CursorHidden()); // hides are counted
  EXPECT_EQ(kCGErrorSuccess, CGDisplayShowCursor(main));
  EXPECT_FALSE(headless->CursorHidden());
  EXPECT_EQ(kCGErrorSuccess, CGDisplayShowCursor(main)); // an extra show changes nothing
  EXPECT_FALSE(headless->CursorHidden());
  EXPECT_EQ(kCGErrorSuccess, CGDisplayMoveCursorToPoint(main, CGPointMake(300, 200)));
  const NSPoint p = NSEvent::mouseLocation();
  EXPECT_EQ(300, p.x);
  EXPECT_EQ(CGDisplayPixelsHigh(main) - 200.0, p.y);
}

} // namespace
