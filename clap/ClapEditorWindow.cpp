#include "clap/ClapEditorWindow.h"

#include <AppKit/AppKit.h>
#include <BrindleHost/X11Backend.h>
#include <Foundation/NSRunLoop.h>

#include "graphics/IGraphics.h"

namespace {

int sOpenWindows = 0; // windows of this module open on the X display

bool AcquireDisplay(std::string* error)
{
  if (sOpenWindows == 0) {
    std::unique_ptr<BrindleHost::IWindowBackend> backend = BrindleHost::MakeX11Backend({}, error);
    if (!backend) return false;
    BrindleHost::SetBackend(std::move(backend));
  }
  ++sOpenWindows;
  return true;
}

void ReleaseDisplay()
{
  if (sOpenWindows > 0 && --sOpenWindows == 0) BrindleHost::SetBackend(nullptr);
}

} // namespace

ClapEditorWindow::~ClapEditorWindow()
{
  Close();
}

bool ClapEditorWindow::Open(IGraphics* editor, unsigned long parent, std::string* error)
{
  Close();
  if (!editor || !parent) {
    if (error) *error = editor ? "no parent window" : "the plug-in has no editor";
    return false;
  }
  if (!AcquireDisplay(error)) return false;
  mHoldsDisplay = true;
  NSApplicationLoad();
  mEditor = editor;
  mParent = parent;
  if (!MakeWindow(error)) {
    Close();
    return false;
  }
  return true;
}

bool ClapEditorWindow::MakeWindow(std::string* error)
{
  NSAutoreleasePool pool;
  NSView* view = static_cast<NSView*>(mEditor->OpenWindow(nullptr));
  const NSRect frame = view->frame();
  BrindleHost::X11SetParentForNewWindows(mParent);
  mWindow = NSWindow::alloc()->initWithContentRect(NSMakeRect(0, 0, frame.size.width, frame.size.height), 0,
                                                   NSBackingStoreBuffered, NO);
  BrindleHost::X11SetParentForNewWindows(0);
  mWindow->setReleasedWhenClosed(NO); // released by DropWindow
  if (!BrindleHost::X11WindowOf(mWindow)) {
    if (error) *error = "the host's parent window " + std::to_string(mParent) + " is no X window";
    DropWindow();
    return false;
  }
  mWindow->contentView()->addSubview(view);
  return true;
}

void ClapEditorWindow::DropWindow()
{
  NSAutoreleasePool pool;
  if (mEditor) mEditor->CloseWindow();
  if (mWindow) {
    mWindow->close();
    mWindow->release(); // destroys the X window while the backend that made it is still there
    mWindow = nullptr;
  }
}

bool ClapEditorWindow::Refit()
{
  if (!mWindow) return false;
  const NSRect frame = mWindow->frame();
  if (static_cast<int>(frame.size.width) == mEditor->ScaledWidth() &&
      static_cast<int>(frame.size.height) == mEditor->ScaledHeight())
    return true;
  const bool visible = mWindow->isVisible();
  DropWindow();
  if (!MakeWindow(nullptr)) return false;
  Show(visible);
  return true;
}

void ClapEditorWindow::Close()
{
  DropWindow();
  mEditor = nullptr;
  mParent = 0;
  if (mHoldsDisplay) ReleaseDisplay();
  mHoldsDisplay = false;
}

void ClapEditorWindow::Show(bool visible)
{
  if (!mWindow) return;
  NSAutoreleasePool pool;
  if (visible) {
    mWindow->makeKeyAndOrderFront(nullptr);
    mWindow->display();
  } else {
    mWindow->orderOut(nullptr);
  }
}

void ClapEditorWindow::Idle()
{
  if (!mWindow) return;
  NSAutoreleasePool pool;
  BrindleHost::IWindowBackend& backend = BrindleHost::Backend();
  // A wait until "now" only hands over what is already queued.
  backend.WaitUntil(backend.Now());
  NSRunLoop::mainRunLoop()->runUntilTime(backend.Now());
}

void ClapEditorWindow::HandleEvents()
{
  if (!mWindow) return;
  NSAutoreleasePool pool;
  BrindleHost::IWindowBackend& backend = BrindleHost::Backend();
  backend.WaitUntil(backend.Now());
}

int ClapEditorWindow::ConnectionFd() const
{
  return mWindow ? BrindleHost::X11ConnectionFd() : -1;
}

unsigned long ClapEditorWindow::XWindow() const
{
  return mWindow ? BrindleHost::X11WindowOf(mWindow) : 0;
}
