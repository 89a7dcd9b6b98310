// The editor's view turning AppKit events into the editor's calls: positions, modifier keys, click
// counts, the wheel, keys, the value entry with its formatter, and popup menus.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "graphics/IPopupMenu.h"
#include "tests/graphics/mac/MacHostFixture.h"

namespace {

TEST(MacInput, MouseWheelAndKeysReachTheEditorAsItCountsThem)
{
  MacEditor editor;
  struct Case
  {
    const char* what;
    std::function<void(MacEditor&)> send;
    const char* logged; // "" for nothing
  };
  const Case cases[] = {
      // The view reads (int)x - 2 and height - (int)y - 3.
      {"left press", [](MacEditor& e) { e.Mouse(NSLeftMouseDown, 10.7, 305.8); }, "down 8,18 L"},
      {"command click is a right click", [](MacEditor& e) { e.Mouse(NSLeftMouseDown, 10, 300, NSCommandKeyMask); },
       "down 8,23 LR"},
      {"right button", [](MacEditor& e) { e.Mouse(NSRightMouseDown, 10, 300, NSShiftKeyMask); }, "down 8,23 RS"},
      {"modifiers", [](MacEditor& e) { e.Mouse(NSLeftMouseDown, 10, 300, NSControlKeyMask | NSAlternateKeyMask); },
       "down 8,23 LCA"},
      {"double click", [](MacEditor& e) { e.Mouse(NSLeftMouseDown, 10, 300, 0, 2); }, "dbl 8,23 L"},
      {"triple click", [](MacEditor& e) { e.Mouse(NSLeftMouseDown, 10, 300, 0, 3); }, "dbl 8,23 L"},
      {"right double click is a press", [](MacEditor& e) { e.Mouse(NSRightMouseDown, 10, 300, 0, 2); }, "down 8,23 R"},
      {"wheel under one step", [](MacEditor& e) { BrindleHost::Mouse(e.window).Wheel(NSMakePoint(50, 50), 0.6); },
       "wheel 0,0 L"},
      {"wheel down", [](MacEditor& e) { BrindleHost::Mouse(e.window).Wheel(NSMakePoint(50, 50), -2.7); },
       "wheel -2,0 L"},
      {"wheel of nothing", [](MacEditor& e) { BrindleHost::Mouse(e.window).Wheel(NSMakePoint(50, 50), std::nan("")); },
       "wheel 0,0 L"},
      {"space", [](MacEditor& e) { BrindleHost::PressKey(e.window, 49, " "); }, "key 0"},
      {"left arrow", [](MacEditor& e) { BrindleHost::PressKey(e.window, 123, "\xEF\x9C\x82"); }, "key 3"},
      {"up arrow", [](MacEditor& e) { BrindleHost::PressKey(e.window, 126, "\xEF\x9C\x80"); }, "key 1"},
      {"digit 7", [](MacEditor& e) { BrindleHost::PressKey(e.window, 26, "7"); }, "key 12"},
      {"capital Z", [](MacEditor& e) { BrindleHost::PressKey(e.window, 6, "Z"); }, "key 40"},
      {"small a", [](MacEditor& e) { BrindleHost::PressKey(e.window, 0, "a"); }, "key 15"},
      {"punctuation", [](MacEditor& e) { BrindleHost::PressKey(e.window, 43, ","); }, ""},
      {"two characters", [](MacEditor& e) { BrindleHost::PressKey(e.window, 0, "ab"); }, ""},
      {"no characters", [](MacEditor& e) { BrindleHost::PressKey(e.window, 0, ""); }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    editor.control->mLog.clear();
    c.send(editor);
    editor.Mouse(NSLeftMouseUp, 10, 300);
    editor.graphics->ReleaseMouseCapture();
    const std::string got = editor.control->mLog.empty() ? "" : editor.control->mLog.front();
    EXPECT_EQ(got, c.logged);
  }
}

TEST(MacInput, ValueEntryFiltersWhatIsTyped)
{
  MacEditor editor;
  auto* level = new ModControl(&editor.plug, IRECT(20, 20, 80, 60), 0); // "Level", 0..100
  level->DisablePrompt(false);
  editor.graphics->AttachControl(level);
  auto* view = static_cast<IGRAPHICS_COCOA*>(editor.view);

  struct Case
  {
    const char* typed;
    const char* shown;
  };
  const Case cases[] = {
      {"75\r", "75"},        // digits
      {"-1.5e2\r", "-1.52"}, // letters are refused, a sign and points are not
      {"1.2.3\r", "1.2.3"},  // the formatter does not count points
      {"abc\r", ""},         // nothing acceptable
      {"12345678901234567890123456789012345\r", "12345678901234567890123456789012"}, // 32 at most
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    NSAutoreleasePool pool;
    editor.Mouse(NSRightMouseDown, 52, 280); // editor (50, 43): inside Level
    editor.Mouse(NSRightMouseUp, 52, 280);
    NSTextField* field = view->textField();
    ASSERT_NE(field, nullptr);
    // The entry box: 30 x 16 around the control's centre, in view coordinates.
    EXPECT_EQ(field->frame().origin.x, 35);
    EXPECT_EQ(field->frame().size.width, 31);
    field->setStringValue(NSString::stringWithUTF8String(""));
    std::string typed(c.typed);
    const bool ends = !typed.empty() && typed.back() == '\r';
    if (ends) typed.pop_back();
    BrindleHost::TypeText(editor.window, typed.c_str());
    EXPECT_STREQ(field->stringValue()->UTF8String(), c.shown);
    if (ends) BrindleHost::TypeText(editor.window, "\r");
    EXPECT_EQ(view->textField(), nullptr);
  }
  // The last entry applied its number: 12345678901234567890123456789012 clamps to 100.
  EXPECT_DOUBLE_EQ(editor.plug.GetParam(0)->Value(), 100.0);

  // Dragging is ignored while an entry is open, and the wheel ends it.
  editor.Mouse(NSRightMouseDown, 52, 280);
  editor.Mouse(NSRightMouseUp, 52, 280);
  ASSERT_NE(view->textField(), nullptr);
  BrindleHost::Mouse(editor.window).Wheel(NSMakePoint(52, 280), 1);
  EXPECT_EQ(view->textField(), nullptr);

  // An entry still open when the window closes goes with it; typing afterwards reaches nothing.
  editor.Mouse(NSRightMouseDown, 52, 280);
  editor.Mouse(NSRightMouseUp, 52, 280);
  ASSERT_NE(view->textField(), nullptr);
  BrindleHost::TypeText(editor.window, "4");
  editor.graphics->CloseWindow();
  EXPECT_EQ(view->textField(), nullptr);
  BrindleHost::TypeText(editor.window, "2\r");
  EXPECT_DOUBLE_EQ(editor.plug.GetParam(0)->Value(), 100.0);
}

TEST(MacInput, PopupMenusComeBackWithTheChosenItem)
{
  MacEditor editor;
  BrindleHost::HeadlessBackend* backend = BrindleHost::Headless();
  auto* mode = new ModControl(&editor.plug, IRECT(20, 100, 80, 140), 1); // "Mode": A, B, C
  mode->DisablePrompt(false);
  editor.graphics->AttachControl(mode);

  // The enumerated parameter prompts with its texts, the current one checked.
  backend->ClearRecords();
  backend->QueueMenuChoice({2});
  editor.Mouse(NSRightMouseDown, 52, 200); // editor (50, 123)
  ASSERT_EQ(backend->Menus().size(), 1u);
  const BrindleHost::MenuRecord& shown = backend->Menus()[0];
  ASSERT_EQ(shown.mItems.size(), 3u);
  EXPECT_EQ(shown.mItems[1].mTitle, "B");
  EXPECT_EQ(shown.mItems[1].mState, 1);
  EXPECT_EQ(shown.mItems[0].mState, 0);
  EXPECT_EQ(editor.plug.GetParam(1)->Int(), 2);

  // A menu of our own: prefixes, titles, separators, disabled items and a submenu.
  IPopupMenu sub;
  sub.AddItem("deep one");
  sub.AddItem("deep two");
  IPopupMenu menu;
  menu.SetPrefix(2);
  menu.AddItem("title", -1, IPopupMenuItem::kItemTitle);
  menu.AddSeparator();
  menu.AddItem("off", -1, IPopupMenuItem::kItemDisabled);
  menu.AddItem("more", &sub);
  IRECT r(10, 10, 40, 30);
  struct Case
  {
    std::vector<int> path;
    IPopupMenu* expected;
    int chosen;
  };
  const Case cases[] = {
      {{0}, &menu, 0}, {{3, 1}, &sub, 1}, {{2}, nullptr, -1}, {{1}, nullptr, -1}, {{}, nullptr, -1},
  };
  for (const Case& c : cases) {
    backend->ClearRecords();
    menu.SetChosenItemIdx(-1);
    sub.SetChosenItemIdx(-1);
    if (c.path.empty()) {
      backend->QueueMenuDismiss();
    } else {
      backend->QueueMenuChoice(c.path);
    }
    IPopupMenu* got = editor.graphics->CreateIPopupMenu(&menu, &r);
    EXPECT_EQ(got, c.expected);
    if (got) {
      EXPECT_EQ(got->GetChosenItemIdx(), c.chosen);
    }
    ASSERT_EQ(backend->Menus().size(), 1u);
    const BrindleHost::MenuRecord& m = backend->Menus()[0];
    ASSERT_EQ(m.mItems.size(), 4u);
    EXPECT_EQ(m.mItems[0].mTitle, "01: title");
    EXPECT_EQ(m.mItems[0].mIndentation, 1);
    EXPECT_TRUE(m.mItems[1].mSeparator);
    EXPECT_FALSE(m.mItems[2].mEnabled);
    EXPECT_EQ(m.mItems[3].mTitle, "04: more");
    ASSERT_EQ(m.mItems[3].mSubmenu.size(), 2u);
    EXPECT_EQ(m.mItems[3].mSubmenu[1].mTitle, "deep two");
  }
}

} // namespace
