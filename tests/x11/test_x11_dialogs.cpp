// Our own alert, file and menu windows under Xvfb, answered by xdotool as a person would.
#include <AppKit/AppKit.h>
#include <CoreFoundation/CFUserNotification.h>

#include <sys/stat.h>

#include <fstream>

#include "tests/x11/X11TestSupport.h"

namespace {

// xdotool waits for the window and puts the pointer at (x, y) in it; a second xdotool then acts where
// the pointer and the keyboard focus are, as a person would (a chained one would aim its keys at a
// window that may be gone by the key's release, leaving the key held).
struct Act
{
  int x, y;
  std::vector<std::string> then;
};

// xdotool's "type" takes every argument after it as text, so typing is spelled as keys.
std::vector<std::string> Keys(const std::string& text, std::vector<std::string> then)
{
  std::vector<std::string> keys = {"key"};
  for (char c : text) keys.push_back(c == ' ' ? "space" : c == '.' ? "period" : c == '/' ? "slash" : std::string(1, c));
  keys.insert(keys.end(), then.begin(), then.end());
  return keys;
}

pid_t Answer(const std::string& display, const std::string& title, const Act& act)
{
  std::vector<std::string> args = {"sh", "-c",
                                   "xdotool search --sync --onlyvisible --name \"$0\" mousemove --window %1 " +
                                       std::to_string(act.x) + " " + std::to_string(act.y) +
                                       " && sleep 0.3 && exec xdotool \"$@\"",
                                   title};
  args.insert(args.end(), act.then.begin(), act.then.end());
  return x11test::Spawn(args, display);
}

CFStringRef Text(const char* s)
{
  return CFStringCreateWithCString(nullptr, s, kCFStringEncodingUTF8);
}

TEST(X11Dialogs, AlertsAreAnsweredByKeysAndButtons)
{
  X11_REQUIRE_TOOLS();
  x11test::BackendOnXvfb x;
  ASSERT_TRUE(x.Ready());
  // Header and message take a line each: the buttons sit at y 64-90; "Replace" (default) spans x
  // 304-384, "Keep" 216-296, and "Other" 16-96 on the far left.
  struct Case
  {
    Act act;
    CFOptionFlags response;
  };
  const Case cases[] = {
      {Act{20, 20, {"key", "Return"}}, kCFUserNotificationDefaultResponse},
      {Act{20, 20, {"key", "Escape"}}, kCFUserNotificationCancelResponse},
      {Act{340, 77, {"click", "1"}}, kCFUserNotificationDefaultResponse},
      {Act{250, 77, {"click", "1"}}, kCFUserNotificationAlternateResponse},
      {Act{50, 77, {"click", "1"}}, kCFUserNotificationOtherResponse},
      // A press that leaves the button before the release presses nothing; Return then answers.
      {Act{250, 77, {"mousedown", "1", "mousemove_relative", "--", "-100", "-57", "mouseup", "1", "key", "Return"}},
       kCFUserNotificationDefaultResponse},
  };
  CFStringRef header = Text("Replace the preset?"), message = Text("It has unsaved changes."),
              replace = Text("Replace"), keep = Text("Keep"), other = Text("Other");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.act.then.back());
    const pid_t answer = Answer(x.Display(), "^Replace the preset\\?$", c.act);
    CFOptionFlags response = 99;
    CFUserNotificationDisplayAlert(0, 0, nullptr, nullptr, nullptr, header, message, replace, keep, other, &response);
    EXPECT_EQ(response, c.response);
    EXPECT_EQ(x11test::Wait(answer), 0);
  }
  for (CFStringRef s : {header, message, replace, keep, other}) CFRelease(s);
}

TEST(X11Dialogs, FileWindowsTakeTypedNamesAndListChoices)
{
  X11_REQUIRE_TOOLS();
  x11test::BackendOnXvfb x;
  ASSERT_TRUE(x.Ready());
  char folderTemplate[] = "/tmp/brindle-x11-panel-XXXXXX";
  const std::string folder = mkdtemp(folderTemplate);
  std::ofstream(folder + "/a.fxb") << "x";
  std::ofstream(folder + "/b.txt") << "x";
  mkdir((folder + "/sub").c_str(), 0700);

  struct Case
  {
    bool save;
    Act act;
    std::string expected; // empty: cancelled
  };
  // The list shows "../", "sub/", then "a.fxb" (b.txt is not an allowed type) in rows of 20 from y 32.
  const Case cases[] = {
      {true, Act{20, 20, Keys("take two", {"Return"})}, folder + "/take two.fxb"},
      {true, Act{20, 20, Keys("sub/x.fxb", {"Return"})}, folder + "/sub/x.fxb"},
      {true, Act{20, 20, {"key", "Escape"}}, ""},
      {false, Act{100, 82, {"click", "--repeat", "2", "--delay", "80", "1"}}, folder + "/a.fxb"},
      {false, Act{20, 20, Keys("a.fxb", {"Return"})}, folder + "/a.fxb"},
      // Not an allowed type, then a name that does not exist: both refused, and Escape cancels.
      {false,
       Act{20, 20,
           Keys("b.txt", {"Return", "BackSpace", "BackSpace", "BackSpace", "BackSpace", "BackSpace", "z", "z", "period",
                          "f", "x", "b", "Return", "Escape"})},
       ""},
      // Into a folder by double-click, then back out through "../" to choose the file.
      {false, Act{100, 62, {"click",    "--repeat", "2",
                            "--delay",  "80",       "1",
                            "sleep",    "0.6",      "mousemove_relative",
                            "--",       "0",        "-20",
                            "click",    "--repeat", "2",
                            "--delay",  "80",       "1",
                            "sleep",    "0.6",      "mousemove_relative",
                            "0",        "40",       "click",
                            "--repeat", "2",        "--delay",
                            "80",       "1"}},
       folder + "/a.fxb"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    NSAutoreleasePool pool;
    const pid_t answer = Answer(x.Display(), c.save ? "^Save$" : "^Open$", c.act);
    NSArray* types = NSArray::arrayWithObjects(NSString::stringWithUTF8String("fxb"));
    NSString* dir = NSString::stringWithUTF8String(folder.c_str());
    std::string chosen;
    if (c.save) {
      NSSavePanel* panel = NSSavePanel::savePanel();
      panel->setAllowedFileTypes(types);
      panel->setAllowsOtherFileTypes(NO);
      if (panel->runModalForDirectory(dir, nullptr) == NSOKButton) chosen = panel->filename()->text();
    } else {
      NSOpenPanel* panel = NSOpenPanel::openPanel();
      if (panel->runModalForDirectory(dir, nullptr, types) == NSOKButton) chosen = panel->filename()->text();
    }
    EXPECT_EQ(chosen, c.expected);
    EXPECT_EQ(x11test::Wait(answer), 0);
  }
  std::system(("rm -rf '" + folder + "'").c_str());
}

TEST(X11Dialogs, MenusChooseByPointerAndKeysAndDismiss)
{
  X11_REQUIRE_TOOLS();
  x11test::BackendOnXvfb x;
  ASSERT_TRUE(x.Ready());
  NSAutoreleasePool pool;
  NSMenu* menu = NSMenu::alloc()->initWithTitle(NSString::stringWithUTF8String("menu"));
  NSMenuItem* one = menu->addItemWithTitle(NSString::stringWithUTF8String("One"), nullptr, nullptr);
  NSMenuItem* two = menu->addItemWithTitle(NSString::stringWithUTF8String("Two"), nullptr, nullptr);
  two->setEnabled(NO);
  menu->addItem(NSMenuItem::separatorItem());
  NSMenuItem* more = menu->addItemWithTitle(NSString::stringWithUTF8String("More"), nullptr, nullptr);
  NSMenu* sub = NSMenu::alloc()->initWithTitle(NSString::stringWithUTF8String("sub"));
  NSMenuItem* deep = sub->addItemWithTitle(NSString::stringWithUTF8String("Deep"), nullptr, nullptr);
  menu->setSubmenu(sub, more);
  sub->release();

  // Rows: One 2-22, Two 22-42, separator 42-49, More 49-69; the submenu opens to the right.
  struct Case
  {
    Act act;
    NSMenuItem* expected;
  };
  const Case cases[] = {
      {Act{40, 12, {"click", "1"}}, one},
      {Act{40, 32, {"click", "1", "key", "Escape"}}, nullptr}, // disabled: no choice
      {Act{40, 12, {"key", "Down", "Right", "Return"}}, deep},
      {Act{40, 59, {"mousemove_relative", "130", "0", "sleep", "0.2", "click", "1"}}, deep},
      {Act{40, 12, {"mousemove", "400", "400", "click", "1"}}, nullptr},
      {Act{40, 12, {"key", "Escape"}}, nullptr},
  };
  const CGFloat height = BrindleHost::Backend().DisplaySize().height;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.act.then.back());
    const pid_t answer = Answer(x.Display(), "^menu$", c.act);
    // Screen points have y up: this one is display pixel (100, 100).
    NSMenuItem* chosen = BrindleHost::Backend().RunMenu(menu, CGPointMake(100, height - 100), nullptr);
    EXPECT_EQ(chosen, c.expected);
    EXPECT_EQ(x11test::Wait(answer), 0);
  }
  menu->release();
}

} // namespace
