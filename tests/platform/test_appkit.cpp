// AppKit stand-ins over the headless backend: drawing through the dirty region, event routing,
// text entry through a formatter, scripted menus, panels, alerts and URLs, window lifetimes.
#include <AppKit/AppKit.h>
#include <BrindleHost/Headless.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using BrindleHost::Mouse;

NSString* S(const char* text)
{
  return NSString::stringWithUTF8String(text);
}

std::vector<std::string> gLog; // "view:event"
int gCanvasDeaths = 0;

// A view that fills what it is asked to draw with its colour and logs what reaches it.
class Canvas : public NSView
{
public:
  NS_DECLARE_ALLOC(Canvas)
  ~Canvas() override { ++gCanvasDeaths; }
  using NSObject::performSelector;

  void drawRect(NSRect r) override
  {
    CGContextRef ctx = static_cast<CGContextRef>(NSGraphicsContext::currentContext()->graphicsPort());
    draws.push_back(r);
    clips.push_back(CGContextGetClipBoundingBox(ctx));
    CGContextSetRGBFillColor(ctx, red, 0.5, 0.25, 1);
    CGContextFillRect(ctx, r);
  }
  void Log(const char* what, NSEvent* e)
  {
    gLog.push_back(name + ":" + what);
    if (e->type() == NSLeftMouseDown) clickCounts.push_back(e->clickCount());
  }
  void mouseDown(NSEvent* e) override { Log("down", e); }
  void mouseDragged(NSEvent* e) override { Log("drag", e); }
  void mouseUp(NSEvent* e) override { Log("up", e); }
  void rightMouseDown(NSEvent* e) override { Log("rdown", e); }
  void rightMouseDragged(NSEvent* e) override { Log("rdrag", e); }
  void rightMouseUp(NSEvent* e) override { Log("rup", e); }
  void mouseMoved(NSEvent* e) override { Log("moved", e); }
  void scrollWheel(NSEvent* e) override { Log("wheel", e); }
  void keyDown(NSEvent* e) override
  {
    // Letters only; the rest travels up the responder chain.
    const unichar c = e->characters()->characterAtIndex(0);
    if ((c >= 'a' && c <= 'z') || name == "root")
      Log("key", e);
    else
      NSView::keyDown(e);
  }
  BOOL acceptsFirstResponder() override { return takesFocus; }
  NSObject* performSelector(SEL selector, NSObject* argument) override
  {
    if (selector == sel_registerName("OnMenuSelection:")) chosen = argument;
    return nil;
  }
  NSString* view_stringForToolTip(NSView*, NSInteger tag, NSPoint, void*) override
  {
    return NSString::stringWithFormat("tip %ld", tag);
  }
  void controlTextDidEndEditing(NSNotification* n) override
  {
    ended.push_back(static_cast<NSTextField*>(n->object())->stringValue()->text());
    if (removeSender) static_cast<NSView*>(n->object())->removeFromSuperview();
  }

  std::string name;
  CGFloat red = 1;
  bool takesFocus = false;
  bool removeSender = false;
  std::vector<NSRect> draws, clips;
  std::vector<NSInteger> clickCounts;
  std::vector<std::string> ended;
  NSObject* chosen = nil;
};

Canvas* MakeCanvas(const char* name, NSRect frame, CGFloat red)
{
  Canvas* c = Canvas::alloc();
  c->initWithFrame(frame);
  c->name = name;
  c->red = red;
  return c;
}

bool Same(NSRect a, NSRect b)
{
  return NSEqualRects(a, b);
}

class AppKitTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(NSApplicationLoad());
    headless = BrindleHost::Headless();
    ASSERT_NE(nullptr, headless);
    headless->ClearScript();
    headless->ClearRecords();
    gLog.clear();
    window = NSWindow::alloc()->initWithContentRect(NSMakeRect(10, 10, 100, 80), 0, 2, NO);
    root = MakeCanvas("root", NSMakeRect(0, 0, 0, 0), 0);
    window->setContentView(root);
    root->release();
    child = MakeCanvas("child", NSMakeRect(10, 20, 30, 40), 1);
    root->addSubview(child);
    child->release();
    window->makeKeyAndOrderFront(nil);
    BrindleHost_RunLoopAdvance(0); // the first full display
    root->draws.clear();
    child->draws.clear();
    child->clips.clear();
  }
  void TearDown() override { window->close(); }

  NSAutoreleasePool pool;
  BrindleHost::HeadlessBackend* headless = nullptr;
  NSWindow* window = nil;
  Canvas* root = nil;
  Canvas* child = nil;
};

TEST_F(AppKitTest, DirtyAreasReachDrawRectClippedAndOnlyTheyChange)
{
  EXPECT_EQ(100 * 80 * 4u, window->bytesDrawnTotal() - 30 * 40 * 4u); // root whole, then child
  const struct
  {
    NSRect ask;
    bool drawn;
    NSRect got;
  } cases[] = {{NSMakeRect(5, 5, 10, 10), true, NSMakeRect(5, 5, 10, 10)},
               {NSMakeRect(-5, -5, 10, 10), true, NSMakeRect(0, 0, 5, 5)}, // clipped to the view
               {NSMakeRect(25, 35, 20, 20), true, NSMakeRect(25, 35, 5, 5)},
               {NSMakeRect(40, 50, 5, 5), false, NSMakeRect(0, 0, 0, 0)}, // outside it
               {NSMakeRect(0, 0, 0, 7), false, NSMakeRect(0, 0, 0, 0)}};  // empty
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ask.origin.x);
    const BrindleHost::Framebuffer fb = BrindleHost::WindowFramebuffer(window);
    ASSERT_EQ(100, fb.mWidth);
    const std::vector<uint8_t> before(fb.mPixels, fb.mPixels + fb.mBytesPerRow * 80);
    root->draws.clear();
    child->draws.clear();
    child->clips.clear();
    child->red = child->red > 0.5 ? 0.2 : 0.9; // a colour different from what is there
    const unsigned long long total = window->bytesDrawnTotal();
    child->setNeedsDisplayInRect(c.ask);
    BrindleHost_RunLoopAdvance(0);
    ASSERT_EQ(c.drawn ? 1u : 0u, child->draws.size());
    if (!c.drawn) {
      EXPECT_EQ(total, window->bytesDrawnTotal());
      continue;
    }
    EXPECT_TRUE(Same(c.got, child->draws[0]));
    EXPECT_TRUE(Same(c.got, child->clips[0]));
    // The superview drew underneath, in its own coordinates.
    ASSERT_EQ(1u, root->draws.size());
    const NSRect inWindow = NSMakeRect(c.got.origin.x + 10, c.got.origin.y + 20, c.got.size.width, c.got.size.height);
    EXPECT_TRUE(Same(inWindow, root->draws[0]));
    EXPECT_EQ(2 * inWindow.size.width * inWindow.size.height * 4, window->bytesDrawnLastPass());
    const uint32_t childColour = 0xFF000000u | static_cast<uint32_t>(child->red * 255 + 0.5) << 16 | 0x8040u;
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 100; ++x) {
        const bool inside = NSPointInRect(NSMakePoint(x + 0.5, 80 - y - 0.5), inWindow);
        const uint8_t* old = &before[static_cast<size_t>(y) * fb.mBytesPerRow + static_cast<size_t>(x) * 4];
        const uint32_t was = static_cast<uint32_t>(old[3]) << 24 | old[2] << 16 | old[1] << 8 | old[0];
        ASSERT_EQ(inside ? childColour : was, fb.Pixel(x, y)) << x << "," << y;
      }
  }
  // Hidden views draw nothing and their requests are dropped.
  child->setHidden(YES);
  child->draws.clear();
  child->setNeedsDisplay(YES);
  BrindleHost_RunLoopAdvance(0);
  EXPECT_TRUE(child->draws.empty());
}

class FlippedCanvas : public Canvas
{
public:
  NS_DECLARE_ALLOC(FlippedCanvas)
  BOOL isFlipped() override { return YES; }
};

TEST_F(AppKitTest, AFlippedViewMeasuresFromItsTopLeft)
{
  FlippedCanvas* flipped = FlippedCanvas::alloc();
  flipped->initWithFrame(NSMakeRect(50, 10, 40, 30));
  root->addSubview(flipped);
  flipped->release();
  BrindleHost_RunLoopAdvance(0);
  EXPECT_EQ(5, flipped->convertPoint(NSMakePoint(55, 35), nil).y);
  EXPECT_EQ(35, flipped->convertPointToBase(NSMakePoint(5, 5)).y);
  EXPECT_EQ(flipped, root->hitTest(NSMakePoint(55, 35)));
  flipped->draws.clear();
  flipped->red = 0.6;
  flipped->setNeedsDisplayInRect(NSMakeRect(0, 0, 10, 5)); // its top-left corner
  BrindleHost_RunLoopAdvance(0);
  ASSERT_EQ(1u, flipped->draws.size());
  EXPECT_TRUE(Same(NSMakeRect(0, 0, 10, 5), flipped->draws[0]));
  EXPECT_TRUE(Same(NSMakeRect(50, 35, 10, 5), root->draws.back()));
  const BrindleHost::Framebuffer fb = BrindleHost::WindowFramebuffer(window);
  EXPECT_EQ(0xFF998040u, fb.Pixel(50, 40)); // window y 39.5 is 40 rows below the top
  EXPECT_EQ(0xFF998040u, fb.Pixel(59, 44));
  EXPECT_EQ(0xFF008040u, fb.Pixel(50, 39)); // the root's colour around it
  EXPECT_EQ(0xFFFF8040u, fb.Pixel(60, 42)); // the view's earlier colour outside the dirty corner
}

TEST_F(AppKitTest, EventsFollowAppKitRouting)
{
  Mouse mouse(window);
  child->takesFocus = true;
  // A press picks the view; drags and the release follow it wherever the pointer goes.
  mouse.Press(NSMakePoint(15, 25));
  mouse.DragTo(NSMakePoint(90, 70));
  mouse.Release();
  mouse.Press(NSMakePoint(90, 70), 0, true);
  mouse.DragTo(NSMakePoint(15, 25));
  mouse.Release();
  mouse.Move(NSMakePoint(15, 25)); // not accepted yet
  window->setAcceptsMouseMovedEvents(YES);
  mouse.Move(NSMakePoint(15, 25));
  mouse.Wheel(NSMakePoint(90, 70), -2.7);
  mouse.Press(NSMakePoint(500, 500)); // outside the window: nobody
  mouse.Release();
  EXPECT_EQ(child, window->firstResponder());
  BrindleHost::PressKey(window, kVK_ANSI_A, "a");
  BrindleHost::PressKey(window, 0xFFFF, ";"); // the child passes it on to its superview
  const std::vector<std::string> expected = {"child:down", "child:drag",  "child:up",   "root:rdown", "root:rdrag",
                                             "root:rup",   "child:moved", "root:wheel", "child:key",  "root:key"};
  EXPECT_EQ(expected, gLog);
  EXPECT_EQ(NSMakePoint(5, 5).x, child->convertPoint(NSMakePoint(15, 25), nil).x);
  EXPECT_EQ(5, child->convertPoint(NSMakePoint(15, 25), nil).y);
  EXPECT_EQ(child, root->hitTest(NSMakePoint(10, 20)));
  EXPECT_EQ(root, root->hitTest(NSMakePoint(40, 60))); // right and top edges are outside

  // Click counts from the double-click interval and distance on the virtual clock.
  const struct
  {
    double wait;
    NSPoint at;
    NSInteger count;
  } clicks[] = {{1.0, {15, 25}, 1}, {0.2, {15, 25}, 2}, {0.2, {16, 24}, 3}, {0.6, {15, 25}, 1},
                {0.1, {30, 50}, 1}, {0.1, {33, 50}, 2}, {0.1, {38, 50}, 1}};
  child->clickCounts.clear();
  for (const auto& c : clicks) {
    BrindleHost_RunLoopAdvance(c.wait);
    mouse.Click(c.at);
  }
  ASSERT_EQ(7u, child->clickCounts.size());
  for (size_t i = 0; i < 7; ++i) EXPECT_EQ(clicks[i].count, child->clickCounts[i]) << i;

  NSInteger tag = child->addToolTipRect(NSMakeRect(0, 0, 10, 10), child, nullptr);
  EXPECT_EQ("tip " + std::to_string(tag), child->toolTipAtPoint(NSMakePoint(3, 3))->text());
  EXPECT_EQ(nil, child->toolTipAtPoint(NSMakePoint(20, 20)));
  child->removeAllToolTips();
  EXPECT_TRUE(child->toolTipRects().empty());
}

// Digits only, at most three of them.
class DigitsFormatter : public NSFormatter
{
public:
  NS_DECLARE_ALLOC(DigitsFormatter)
  BOOL isPartialStringValid(NSString* partial, NSString**, NSString**) override
  {
    const std::string& t = partial->text();
    return t.size() <= 3 && t.find_first_not_of("0123456789") == std::string::npos;
  }
};

TEST_F(AppKitTest, TextFieldTypesThroughItsFormatterAndReportsTheEnd)
{
  NSTextField* field = NSTextField::alloc()->initWithFrame(NSMakeRect(50, 10, 40, 20));
  DigitsFormatter* formatter = DigitsFormatter::alloc();
  field->setFormatter(formatter);
  formatter->release();
  EXPECT_EQ(2u, formatter->retainCount() + 1);
  field->setStringValue(S("50"));
  field->setBackgroundColor(NSColor::colorWithCalibratedRed(0, 0, 1, 1));
  field->setTextColor(NSColor::colorWithCalibratedRed(1, 1, 0, 1));
  field->setFont(NSFont::fontWithName(S("No Such Face"), 14));
  field->setDelegate(root);
  root->addSubview(field);
  field->release();
  ASSERT_TRUE(window->makeFirstResponder(field));

  const struct
  {
    unsigned short code;
    const char* chars;
    const char* after;
  } keys[] = {{0xFFFF, "7", "7"}, // replaces the selected "50"
              {0xFFFF, "a", "7"}, // refused
              {0xFFFF, "1", "71"},        {0xFFFF, "2", "712"},
              {0xFFFF, "3", "712"}, // too long
              {kVK_Delete, "\x7f", "71"}, {kVK_LeftArrow, "\xEF\x9C\x82", "71"},
              {0xFFFF, "", "71"}};
  for (const auto& k : keys) {
    BrindleHost::PressKey(window, k.code, k.chars);
    EXPECT_EQ(k.after, field->stringValue()->text()) << k.chars;
  }
  EXPECT_TRUE(root->ended.empty());
  BrindleHost::PressKey(window, kVK_Return, "\r");
  ASSERT_EQ(1u, root->ended.size());
  EXPECT_EQ("71", root->ended[0]);

  // What it shows: the background, and text in its colour somewhere.
  const BrindleHost::Framebuffer fb = BrindleHost::WindowFramebuffer(window);
  EXPECT_EQ(0xFF0000FFu, fb.Pixel(51, 69));
  bool textSeen = false;
  for (int y = 50; y < 70; ++y)
    for (int x = 50; x < 90; ++x) textSeen |= (fb.Pixel(x, y) & 0x00FFFF00u) == 0x00FFFF00u;
  EXPECT_TRUE(textSeen);

  // Losing focus during an edit ends it too.
  BrindleHost::TypeText(window, "9");
  root->takesFocus = true;
  Mouse(window).Click(NSMakePoint(95, 75));
  ASSERT_EQ(2u, root->ended.size());
  EXPECT_EQ("9", root->ended[1]); // Return left the text selected, so the 9 replaced it
  EXPECT_EQ(root, window->firstResponder());
  // The delegate may remove the field while it handles the Return.
  ASSERT_TRUE(window->makeFirstResponder(field));
  BrindleHost::TypeText(window, "4\r");
  root->removeSender = true;
  BrindleHost::PressKey(window, kVK_Return, "\r");
  EXPECT_EQ((std::vector<std::string>{"71", "9", "4", "4"}), root->ended);
  EXPECT_EQ(1u, root->subviewList().size());
  EXPECT_EQ(window, window->firstResponder());
}

TEST_F(AppKitTest, MenusAreAnsweredByTheScriptAndTheChoiceReachesTheView)
{
  const SEL action = sel_registerName("OnMenuSelection:");
  NSMenu* menu = NSMenu::alloc()->initWithTitle(S(""));
  menu->setAutoenablesItems(NO);
  NSMenuItem* low = menu->addItemWithTitle(S("1: Low"), action, S(""));
  low->setState(1);
  menu->addItem(NSMenuItem::separatorItem());
  NSMenuItem* more = menu->addItemWithTitle(S("More"), nullptr, S(""));
  NSMenu* sub = NSMenu::alloc()->initWithTitle(S(""));
  NSMenuItem* deep = sub->addItemWithTitle(S("Deep"), action, S(""));
  sub->addItemWithTitle(S("Off"), action, S(""))->setEnabled(NO);
  sub->addItemWithTitle(S("Title"), action, S(""))->setIndentationLevel(1);
  menu->setSubmenu(sub, more);
  sub->release();
  NSEvent* event = NSEvent::otherEventWithType(NSApplicationDefined, NSMakePoint(20, 30), 15, 0, window->windowNumber(),
                                               nil, 0, 0, 0);

  const struct
  {
    const char* answer;
    NSMenuItem* expected;
  } cases[] = {
      {"menu -> choose 2/0", deep}, {"menu -> choose 0", low},   {"menu -> choose 1", nil}, {"menu -> choose 2/1", nil},
      {"menu -> choose 2", nil},    {"menu -> choose 9/0", nil}, {"menu -> dismiss", nil},  {nullptr, nil}};
  for (const auto& c : cases) {
    if (c.answer) {
      ASSERT_TRUE(headless->QueueAnswer(c.answer));
    }
    child->chosen = nil;
    NSMenu::popUpContextMenu(menu, event, child);
    EXPECT_EQ(c.expected, child->chosen) << (c.answer ? c.answer : "nothing queued");
  }
  EXPECT_EQ(sub, deep->menu());
  EXPECT_EQ(0, sub->indexOfItem(deep));
  EXPECT_EQ(-1, menu->indexOfItem(deep));

  ASSERT_EQ(8u, headless->Menus().size());
  const BrindleHost::MenuRecord& shown = headless->Menus()[0];
  EXPECT_EQ((std::vector<int>{2, 0}), shown.mChosenPath);
  EXPECT_EQ(30, shown.mScreenPoint.x);
  ASSERT_EQ(3u, shown.mItems.size());
  EXPECT_EQ("1: Low", shown.mItems[0].mTitle);
  EXPECT_EQ(1, shown.mItems[0].mState);
  EXPECT_TRUE(shown.mItems[1].mSeparator);
  ASSERT_EQ(3u, shown.mItems[2].mSubmenu.size());
  EXPECT_FALSE(shown.mItems[2].mSubmenu[1].mEnabled);
  EXPECT_EQ(1, shown.mItems[2].mSubmenu[2].mIndentation);
  EXPECT_TRUE(headless->Menus()[2].mChosenPath.empty());

  // An item's own target takes the action instead of the view.
  low->setTarget(root);
  headless->QueueAnswer("menu -> choose 0");
  NSMenu::popUpContextMenu(menu, event, child);
  EXPECT_EQ(low, root->chosen);
  menu->release();

  for (const char* bad : {"menu -> choose", "menu -> choose a/b", "menu -> choose 1//2", "menu -> pick 1",
                          "alert -> maybe", "url -> perhaps", "save panel ->", "nonsense"})
    EXPECT_FALSE(headless->QueueAnswer(bad)) << bad;
  EXPECT_EQ(0u, headless->PendingAnswers());
}

TEST_F(AppKitTest, PanelsAlertsAndURLsAreScriptedAndRecorded)
{
  ASSERT_TRUE(headless->QueueAnswer("save panel -> /tmp/x.fxp"));
  NSSavePanel* save = NSSavePanel::savePanel();
  save->setAllowedFileTypes(NSArray::arrayWithObjects(S("fxp")));
  save->setAllowsOtherFileTypes(NO);
  EXPECT_EQ(NSOKButton, save->runModalForDirectory(S("~/Desktop"), S("preset")));
  EXPECT_EQ("/tmp/x.fxp", save->filename()->text());
  EXPECT_EQ(NSCancelButton, save->runModalForDirectory(S("/"), nil)); // nothing queued
  EXPECT_EQ(nil, save->filename());

  NSOpenPanel* open = NSOpenPanel::openPanel();
  open->setCanChooseDirectories(NO);
  headless->QueueAnswer("open panel -> cancel");
  EXPECT_EQ(NSCancelButton,
            open->runModalForDirectory(S("/tmp"), S(""), NSArray::arrayWithObjects(S("fxp"), S("fxb"))));
  ASSERT_EQ(3u, headless->Panels().size());
  const BrindleHost::PanelRequest& first = headless->Panels()[0].mRequest;
  EXPECT_TRUE(first.mSave);
  EXPECT_EQ("~/Desktop", first.mDirectory);
  EXPECT_EQ("preset", first.mFile);
  EXPECT_EQ(std::vector<std::string>{"fxp"}, first.mAllowedTypes);
  EXPECT_FALSE(first.mAllowsOtherFileTypes);
  EXPECT_FALSE(headless->Panels()[2].mRequest.mSave);
  EXPECT_EQ((std::vector<std::string>{"fxp", "fxb"}), headless->Panels()[2].mRequest.mAllowedTypes);

  BrindleHost_SetAlertResponder(nullptr, nullptr);
  const struct
  {
    const char* answer;
    CFOptionFlags response;
  } alerts[] = {{"alert -> alternate", kCFUserNotificationAlternateResponse},
                {"alert -> other", kCFUserNotificationOtherResponse},
                {nullptr, kCFUserNotificationDefaultResponse}};
  for (const auto& a : alerts) {
    if (a.answer) headless->QueueAnswer(a.answer);
    CFOptionFlags response = 99;
    CFUserNotificationDisplayAlert(0, kCFUserNotificationNoteAlertLevel, nullptr, nullptr, nullptr, CFSTR("Caption"),
                                   CFSTR("Text"), CFSTR("Yes"), CFSTR("No"), nullptr, &response);
    EXPECT_EQ(a.response, response);
  }
  ASSERT_EQ(3u, headless->Alerts().size());
  EXPECT_EQ("Caption", headless->Alerts()[0].mHeader);
  EXPECT_EQ("No", headless->Alerts()[0].mAlternateButton);
  EXPECT_FALSE(headless->Alerts()[0].mHasOther);

  NSWorkspace* workspace = NSWorkspace::sharedWorkspace();
  EXPECT_TRUE(workspace->openURL(NSURL::URLWithString(S("http://www.tallowby.com"))));
  headless->QueueAnswer("url -> fail");
  EXPECT_FALSE(workspace->openURL(NSURL::fileURLWithPath(S("/tmp/manual.pdf"))));
  EXPECT_FALSE(workspace->openURL(nil));
  ASSERT_EQ(2u, headless->URLs().size());
  EXPECT_EQ("file:///tmp/manual.pdf", headless->URLs()[1].mURL);
}

TEST_F(AppKitTest, ViewsAndWindowsComeAndGoWithoutLeftovers)
{
  const size_t windowsBefore = headless->NativeWindowCount();
  const int deathsBefore = gCanvasDeaths;
  for (int i = 0; i < 1000; ++i) {
    NSAutoreleasePool inner;
    Canvas* view = MakeCanvas("editor", NSMakeRect(0, 0, 50, 40), 0.5);
    NSTimer* timer = NSTimer::timerWithTimeInterval(0.04, view, sel_registerName("onTimer:"), nil, YES);
    NSRunLoop::currentRunLoop()->addTimer(timer, kCFRunLoopCommonModes);
    view->takesFocus = true;
    root->addSubview(view);
    window->makeFirstResponder(view);
    view->release();
    if (i % 100 == 0) BrindleHost_RunLoopAdvance(0.05);
    timer->invalidate();
    view->removeFromSuperview();
  }
  EXPECT_EQ(1000, gCanvasDeaths - deathsBefore);
  EXPECT_EQ(window, window->firstResponder());

  // A host window given by reference, with a borderless child placed over it.
  void* ref = headless->CreateHostWindowRef(CGRectMake(100, 100, 400, 300));
  NSWindow* host = NSWindow::alloc()->initWithWindowRef(ref);
  EXPECT_EQ(400, host->frame().size.width);
  NSWindow* panel = NSWindow::alloc()->initWithContentRect(NSMakeRect(196, 100, 208, 326), 0, 2, NO);
  const NSInteger panelNumber = panel->windowNumber();
  host->addChildWindow(panel, NSWindowAbove);
  host->addChildWindow(host, NSWindowAbove); // refused
  panel->performSelector(sel_registerName("orderFront:"), nil, 0.05);
  {
    NSAutoreleasePool inner; // the snapshots retain what they list
    EXPECT_EQ(panel, host->childWindows()->firstObject());
    EXPECT_EQ(windowsBefore + 2, headless->NativeWindowCount());
    panel->close(); // leaves its parent and is released
    EXPECT_EQ(0u, host->childWindows()->count());
  }
  EXPECT_FALSE(panel->isVisible());
  BrindleHost_RunLoopAdvance(0.1); // the delayed orderFront: kept the panel alive until now
  EXPECT_EQ(nullptr, NSWindow::windowWithNumber(panelNumber));
  EXPECT_TRUE(host->respondsToSelector(sel_registerName("orderFront:")));
  host->performSelector(sel_registerName("orderFront:"), nil, 0);
  BrindleHost_RunLoopAdvance(0);
  EXPECT_TRUE(host->isVisible());
  host->close();
  headless->DestroyHostWindowRef(ref);
  EXPECT_EQ(windowsBefore, headless->NativeWindowCount());
  EXPECT_EQ(nil, NSWindow::windowWithNumber(-5));
}

} // namespace
