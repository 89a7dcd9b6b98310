// The editor's AppKit host: images from the bundle, alerts, paths, file prompts, URLs, the cursor,
// tooltips, and the editor surviving its windows.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/IBitmapControls.h"
#include "tests/graphics/mac/MacHostFixture.h"

namespace {

TEST(MacHost, ImagesAreFoundByBareNameInTheBundle)
{
  MakeTestBundle();
  struct Case
  {
    const char* name;
    int w, h; // 0, 0: no image
  };
  const Case cases[] = {
      {"resources/img/led.png", 26, 52}, // folders are ignored
      {"deep/er/led.PNG", 26, 52},       // the extension ignores case
      {"led", 0, 0},                     // no '.': the whole name is compared with "png"
      {"png", 0, 0},                     // accepted as a name, but there is no png.png
      {"led.jpg", 0, 0},
      {"led.png.txt", 0, 0},
      {"missing.png", 0, 0},
      {"corrupt.png", 0, 0},
      {nullptr, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name ? c.name : "(null)");
    std::unique_ptr<Raster_IBitmap> image(LoadImgFromResourceOSX(kMacTestBundleID, c.name));
    EXPECT_EQ(image ? image->getWidth() : 0, c.w);
    EXPECT_EQ(image ? image->getHeight() : 0, c.h);
  }
  EXPECT_EQ(LoadImgFromResourceOSX("com.example.nobundle", "led.png"), nullptr);

  // Through the editor: a missing image is an empty bitmap and the editor still opens and draws.
  MacEditor editor;
  IBitmap missing = editor.graphics->LoadIBitmap(9001, "resources/img/missing.png", 2);
  EXPECT_EQ(missing.mWidth, 0);
  IBitmap led = editor.graphics->LoadIBitmap(9002, "resources/img/led.png", 2);
  EXPECT_EQ(led.mWidth, 26);
  editor.graphics->AttachControl(new IBitmapControl(&editor.plug, 10, 10, -1, &missing, kBlendAlpha));
  BrindleHost_RunLoopAdvance(0.1);
  EXPECT_TRUE(editor.graphics->WindowIsOpen());
}

TEST(MacHost, AlertsPathsAndPrompts)
{
  const std::string bundle = MakeTestBundle();
  const TempDir& dir = TestBundleFolder();
  MacEditor editor;
  BrindleHost::HeadlessBackend* backend = BrindleHost::Headless();
  ASSERT_NE(backend, nullptr);

  struct Alert
  {
    int type;
    CFOptionFlags answer;
    int result;
    const char* buttons; // default / alternate / other as shown
  };
  const Alert alerts[] = {
      {4, kCFUserNotificationDefaultResponse, 1, "Yes/No/"},
      {4, kCFUserNotificationAlternateResponse, 7, "Yes/No/"},
      {3, kCFUserNotificationOtherResponse, 2, "Yes/No/Cancel"},
      {3, kCFUserNotificationCancelResponse, 0, "Yes/No/Cancel"},
      {1, kCFUserNotificationAlternateResponse, 7, "OK/Cancel/"},
      {0, kCFUserNotificationDefaultResponse, 1, "OK//"},
  };
  for (const Alert& a : alerts) {
    SCOPED_TRACE(a.type);
    backend->ClearRecords();
    backend->QueueAlert(a.answer);
    EXPECT_EQ(editor.graphics->ShowMessageBox("Really?", "Brindle", a.type), a.result);
    ASSERT_EQ(backend->Alerts().size(), 1u);
    const BrindleHost::AlertRecord& shown = backend->Alerts()[0];
    EXPECT_EQ(shown.mHeader, "Brindle");
    EXPECT_EQ(shown.mMessage, "Really?");
    EXPECT_EQ(shown.mDefaultButton + "/" + shown.mAlternateButton + "/" + shown.mOtherButton, a.buttons);
  }

  Core_String path;
  editor.graphics->PluginPath(&path);
  EXPECT_EQ(std::string(path.Get()), dir.Path() + "/");
  editor.graphics->HostPath(&path);
  EXPECT_EQ(std::string(path.Get()), bundle + "/Contents/MacHost.so");
  setenv("HOME", dir.Path().c_str(), 1);
  unsetenv("XDG_DESKTOP_DIR");
  unsetenv("XDG_DATA_HOME");
  editor.graphics->DesktopPath(&path);
  EXPECT_EQ(std::string(path.Get()), dir.Path() + "/Desktop");
  editor.graphics->AppSupportPath(&path);
  EXPECT_EQ(std::string(path.Get()), dir.Path() + "/.local/share");

  // File prompts: the answer, the folder it leaves, and what the panel was asked.
  struct Prompt
  {
    EFileAction action;
    const char* startDir;
    const char* answer; // "" cancels
    const char* file;
    const char* dirAfter;
  };
  const Prompt prompts[] = {
      {kFileSave, "", "", "", "~/Desktop"},
      {kFileSave, "/tmp/presets/", "/tmp/presets/lead.fxp", "/tmp/presets/lead.fxp", "/tmp/presets/"},
      {kFileOpen, "", "/data/bank.fxb", "/data/bank.fxb", "/data/"},
      {kFileOpen, "/x/", "", "", "/x/"},
  };
  for (const Prompt& p : prompts) {
    SCOPED_TRACE(p.answer);
    backend->ClearRecords();
    if (p.action == kFileSave)
      backend->QueueSavePanel(p.answer);
    else
      backend->QueueOpenPanel(p.answer);
    Core_String file, folder;
    file.Set("suggested.fxp");
    folder.Set(p.startDir);
    char types[] = "fxp fxb";
    editor.graphics->PromptForFile(&file, p.action, &folder, types);
    EXPECT_STREQ(file.Get(), p.file);
    EXPECT_STREQ(folder.Get(), p.dirAfter);
    ASSERT_EQ(backend->Panels().size(), 1u);
    const BrindleHost::PanelRequest& asked = backend->Panels()[0].mRequest;
    EXPECT_EQ(asked.mSave, p.action == kFileSave);
    EXPECT_EQ(asked.mAllowedTypes, (std::vector<std::string>{"fxp", "fxb"}));
    EXPECT_EQ(asked.mFile, "suggested.fxp");
  }

  // Empty pieces of the extension list name no type; a list of none allows any type.
  const struct
  {
    const char* extensions;
    std::vector<std::string> types;
  } lists[] = {{" fxp  fxb ", {"fxp", "fxb"}}, {"", {}}, {"   ", {}}};
  for (const auto& l : lists) {
    backend->ClearRecords();
    backend->QueueSavePanel("");
    Core_String file, folder;
    std::string extensions = l.extensions;
    editor.graphics->PromptForFile(&file, kFileSave, &folder, &extensions[0]);
    ASSERT_EQ(backend->Panels().size(), 1u);
    EXPECT_EQ(backend->Panels()[0].mRequest.mAllowedTypes, l.types) << '"' << l.extensions << '"';
  }

  // URLs: web addresses as they are, anything else as a file.
  backend->ClearRecords();
  EXPECT_TRUE(editor.graphics->OpenURL("https://example.com/brindle"));
  backend->QueueURLResult(false);
  EXPECT_FALSE(editor.graphics->OpenURL("/tmp/manual.pdf"));
  ASSERT_EQ(backend->URLs().size(), 2u);
  EXPECT_EQ(backend->URLs()[0].mURL, "https://example.com/brindle");
  EXPECT_EQ(backend->URLs()[1].mURL, "file:///tmp/manual.pdf");

  // The cursor comes back where it was hidden.
  ASSERT_TRUE(backend->MoveCursor(CGPointMake(300, 200)));
  editor.graphics->HideMouseCursor();
  EXPECT_TRUE(backend->CursorHidden());
  backend->MoveCursor(CGPointMake(10, 10));
  editor.graphics->ShowMouseCursor();
  EXPECT_FALSE(backend->CursorHidden());
  EXPECT_EQ(backend->CursorPosition().x, 300);
  EXPECT_EQ(backend->CursorPosition().y, 200);

  // Without a window the prompts do nothing.
  editor.Close();
  Core_String file;
  file.Set("keep.fxp");
  char types[] = "fxp";
  editor.graphics->PromptForFile(&file, kFileSave, nullptr, types);
  EXPECT_STREQ(file.Get(), "");
  IRECT r(0, 0, 10, 10);
  IPopupMenu menu;
  menu.AddItem("one");
  EXPECT_EQ(editor.graphics->CreateIPopupMenu(&menu, &r), nullptr);
  EXPECT_FALSE(editor.graphics->DrawScreen(&r));
}

TEST(MacHost, TooltipsResizeAndReopening)
{
  MacEditor editor;
  editor.control->SetTooltip("the whole editor");
  auto* blank = new ModControl(&editor.plug, IRECT(0, 0, 10, 10));
  blank->SetTooltip(""); // an empty tooltip is none
  editor.graphics->AttachControl(blank);
  editor.graphics->EnableTooltips(true);
  editor.Close();
  editor.Open();
  auto* view = static_cast<IGRAPHICS_COCOA*>(editor.view);
  // The panel background has no tooltip; the control's hit rectangle is registered, one pixel larger.
  ASSERT_EQ(view->toolTipRects().size(), 1u);
  editor.graphics->SetTrackHover(true);
  editor.Mouse(NSMouseMoved, 50, 50);
  NSAutoreleasePool pool;
  EXPECT_STREQ(view->view_stringForToolTip(view, 0, NSMakePoint(0, 0), nullptr)->UTF8String(), "the whole editor");

  // Resizing to the same size keeps the controls.
  const int before = editor.graphics->NControls();
  editor.graphics->Resize(200, 326);
  EXPECT_EQ(editor.graphics->NControls(), before);

  // Reopening keeps the editor's controls; the old view is left inert.
  NSView* old = editor.view;
  old->retain();
  editor.graphics->OpenWindow(nullptr);
  EXPECT_EQ(static_cast<IGRAPHICS_COCOA*>(old)->graphics(), nullptr);
  EXPECT_EQ(static_cast<IGRAPHICS_COCOA*>(old)->timer(), nullptr);
  EXPECT_EQ(editor.graphics->NControls(), before);
  editor.graphics->CloseWindow();
  old->release();
}

TEST(MacHost, EmbedsInAHostWindowAndLeavesItClean)
{
  MacEditor editor;
  editor.Close();
  BrindleHost::HeadlessBackend* backend = BrindleHost::Headless();
  const size_t windowsBefore = backend->NativeWindowCount();
  struct Case
  {
    CGRect hostFrame;
    double childX; // the editor is centred when the host window is wider
  };
  const Case cases[] = {
      {CGRectMake(100, 50, 400, 500), 200}, {CGRectMake(100, 50, 150, 500), 100}, {CGRectMake(0, 0, 201, 100), 0}};
  for (const Case& c : cases) {
    void* ref = backend->CreateHostWindowRef(c.hostFrame);
    editor.graphics->AttachSubWindow(ref);
    ASSERT_TRUE(editor.graphics->WindowIsOpen());
    auto* view = static_cast<NSView*>(editor.graphics->GetWindow());
    NSWindow* child = view->window();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->frame().origin.x, c.childX);
    EXPECT_EQ(child->frame().size.width, 200);
    EXPECT_EQ(child->frame().size.height, 326);
    ASSERT_NE(child->parentWindow(), nullptr);
    BrindleHost_RunLoopAdvance(0.1); // the delayed orderFront: and a repaint
    EXPECT_TRUE(child->isVisible());
    editor.graphics->RemoveSubWindow();
    EXPECT_FALSE(editor.graphics->WindowIsOpen());
    BrindleHost_RunLoopAdvance(0.1);
    backend->DestroyHostWindowRef(ref);
  }
  EXPECT_EQ(backend->NativeWindowCount(), windowsBefore);
}

// A view that goes away while the footswitch is held must end the gesture (the host sees the end once)
// and leave the switch released, so that the next view shows it up.
TEST(MacHost, ClosingDuringAPressEndsTheGesture)
{
  MakeTestBundle();
  MacEditor editor;
  IBitmap led = editor.graphics->LoadIBitmap(9003, "led.png", 2);
  ASSERT_EQ(led.mWidth, 26);
  auto* foot = new IOnOffControl(&editor.plug, 10, 10, 2, &led);
  editor.graphics->AttachControl(foot);
  const auto footPixels = [&editor] {
    std::vector<unsigned int> pixels;
    Raster_SysBitmap* canvas = editor.graphics->GetCanvas();
    for (int y = 10; y < 36; ++y)
      for (int x = 10; x < 36; ++x) pixels.push_back(canvas->getBits()[y * canvas->getRowSpan() + x]);
    return pixels;
  };
  BrindleHost_RunLoopAdvance(0.1);
  const std::vector<unsigned int> released = footPixels();

  struct Case
  {
    const char* what;
    std::function<void(MacEditor&)> close;
  };
  const Case cases[] = {
      {"the host removes the view", [](MacEditor& e) { e.Close(); }},
      {"the editor closes its view", [](MacEditor& e) { e.graphics->CloseWindow(); }},
      {"a new view replaces it", [](MacEditor& e) { e.graphics->OpenWindow(nullptr); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!editor.window) editor.Open();
    if (editor.graphics->GetWindow() != editor.view) {
      editor.Close();
      editor.Open();
    }
    BrindleHost_RunLoopAdvance(0.1);
    editor.plug.mEvents.clear();
    editor.Mouse(NSLeftMouseDown, 22, 326 - 20 - 3); // editor (20, 20)
    ASSERT_EQ(editor.plug.mEvents, (std::vector<std::string>{"B2"}));
    BrindleHost_RunLoopAdvance(0.1);
    EXPECT_NE(footPixels(), released);

    c.close(editor);
    EXPECT_EQ(editor.plug.mEvents, (std::vector<std::string>{"B2", "E2"}));
    EXPECT_EQ(foot->GetPressState(), 1);
    EXPECT_EQ(editor.graphics->GetCaptureIdx(), -1);

    editor.Close();
    editor.Open();
    BrindleHost_RunLoopAdvance(0.1);
    EXPECT_EQ(footPixels(), released);
    EXPECT_EQ(editor.plug.mEvents, (std::vector<std::string>{"B2", "E2"}));
  }
}

} // namespace
