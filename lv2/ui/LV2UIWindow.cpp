#include "lv2/ui/LV2UIWindow.h"

#include <AppKit/AppKit.h>
#include <BrindleHost/X11Backend.h>
#include <Foundation/NSRunLoop.h>

#include "graphics/IGraphics.h"

namespace {

// Editors open in this process; the X11 backend lives while there is one.
int sDisplayUsers = 0;

bool AcquireDisplay(std::string* error)
{
  if (sDisplayUsers == 0) {
    std::unique_ptr<BrindleHost::IWindowBackend> backend = BrindleHost::MakeX11Backend({}, error);
    if (!backend) return false;
    BrindleHost::SetBackend(std::move(backend));
  }
  ++sDisplayUsers;
  return true;
}

void ReleaseDisplay()
{
  if (sDisplayUsers > 0 && --sDisplayUsers == 0) BrindleHost::SetBackend(nullptr);
}

} // namespace

LV2UIWindow::~LV2UIWindow()
{
  Close();
}

bool LV2UIWindow::Open(IGraphics* editor, unsigned long parent, std::string* error, double scale)
{
  Close();
  if (!editor) {
    if (error) *error = "the plug-in has no editor";
    return false;
  }
  if (!AcquireDisplay(error)) return false;
  mHoldsDisplay = true;
  NSApplicationLoad();
  mEditor = editor;
  mParent = parent;
  editor->SetScale(scale > 0.0 ? scale : BrindleHost::X11DisplayScale());
  if (!MakeWindow(error)) {
    Close();
    return false;
  }
  return true;
}

bool LV2UIWindow::MakeWindow(std::string* error)
{
  NSAutoreleasePool pool;
  NSView* view = static_cast<NSView*>(mEditor->OpenWindow(nullptr));
  const NSRect frame = view->frame();
  mWidth = static_cast<int>(frame.size.width);
  mHeight = static_cast<int>(frame.size.height);

  BrindleHost::X11SetParentForNewWindows(mParent);
  mWindow = NSWindow::alloc()->initWithContentRect(NSMakeRect(0, 0, mWidth, mHeight), 0, NSBackingStoreBuffered, NO);
  BrindleHost::X11SetParentForNewWindows(0);
  mWindow->setReleasedWhenClosed(NO); // released by Close, also after the host destroyed it
  if (!BrindleHost::X11WindowOf(mWindow)) {
    if (error) *error = "the host's parent window " + std::to_string(mParent) + " is no X window";
    return false;
  }
  mWindow->contentView()->addSubview(view);
  mWindow->makeKeyAndOrderFront(nullptr);
  mWindow->display();
  return true;
}

void LV2UIWindow::DropWindow()
{
  NSAutoreleasePool pool;
  if (mEditor) mEditor->CloseWindow();
  if (mWindow) {
    mWindow->close();
    mWindow->release(); // destroys the X window while the backend that made it is still there
    mWindow = nullptr;
  }
  mWidth = mHeight = 0;
}

bool LV2UIWindow::SetScale(double scale)
{
  if (!mWindow || !mEditor) return false;
  const int width = mWidth, height = mHeight;
  mEditor->SetScale(scale);
  if (mEditor->ScaledWidth() == width && mEditor->ScaledHeight() == height) return true;
  // The window's picture has a fixed size, so a new size is a new window in the same place.
  DropWindow();
  return MakeWindow(nullptr);
}

void LV2UIWindow::Close()
{
  DropWindow();
  mEditor = nullptr;
  mParent = 0;
  if (mHoldsDisplay) ReleaseDisplay();
  mHoldsDisplay = false;
}

bool LV2UIWindow::Idle()
{
  if (!mWindow || !mWindow->isVisible()) return false;
  NSAutoreleasePool pool;
  BrindleHost::IWindowBackend& backend = BrindleHost::Backend();
  // A wait until "now" only hands over the events already queued.
  backend.WaitUntil(backend.Now());
  NSRunLoop::mainRunLoop()->runUntilTime(backend.Now());
  return mWindow && mWindow->isVisible();
}

unsigned long LV2UIWindow::XWindow() const
{
  return mWindow ? BrindleHost::X11WindowOf(mWindow) : 0;
}
