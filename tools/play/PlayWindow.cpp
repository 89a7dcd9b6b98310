#include "tools/play/PlayWindow.h"

#include <AppKit/AppKit.h>
#include <BrindleHost/Headless.h>
#include <BrindleHost/X11Backend.h>
#include <Foundation/NSRunLoop.h>

#include "raster/Raster_MemBitmap.h"
#include "tools/files/PngWriter.h"
#include "tools/editor/WindowSession.h"
#include "tools/host/EditorHost.h"

namespace {

// The editor at its size with the strip above it, in one window.
class PedalWindow
{
public:
  bool Open(AudioUnit unit, std::string& error)
  {
    NSApplicationLoad();
    NSAutoreleasePool pool;
    mView = MakeUnitEditorView(unit, error);
    if (!mView) return false;
    const NSRect frame = mView->frame();
    const CGFloat w = frame.size.width, h = frame.size.height;
    mWindow = NSWindow::alloc()->initWithContentRect(NSMakeRect(0, 0, w, h + HostStrip::kHeight), 0,
                                                     NSBackingStoreBuffered, NO);
    mWindow->setReleasedWhenClosed(NO);
    mStrip = HostStrip::alloc();
    mStrip->initWithFrame(NSMakeRect(0, h, w, HostStrip::kHeight));
    mWindow->contentView()->addSubview(mStrip);
    mStrip->release(); // the content view holds it
    mWindow->contentView()->addSubview(mView);
    mView->setFrameOrigin(NSMakePoint(0, 0));
    mWindow->makeKeyAndOrderFront(nullptr);
    return true;
  }
  ~PedalWindow()
  {
    NSAutoreleasePool pool;
    if (mView) {
      mView->removeFromSuperview(); // what a host does when it closes its editor window
      mView->release();
    }
    if (mWindow) {
      mWindow->close();
      mWindow->release();
    }
  }
  NSWindow* Window() const { return mWindow; }
  HostStrip* Strip() const { return mStrip; }

private:
  NSView* mView = nullptr;
  NSWindow* mWindow = nullptr;
  HostStrip* mStrip = nullptr;
};

std::string ChosenFile(NSSavePanel* panel, NSInteger answer)
{
  return answer == NSOKButton && panel->filename() ? panel->filename()->UTF8String() : "";
}

} // namespace

bool RunPlayWindow(AudioUnit unit, const std::string& display, const PlayWindowHooks& hooks, std::string& error)
{
  BrindleHost::X11Options options;
  options.mDisplay = display;
  options.mTitle = hooks.title;
  std::unique_ptr<BrindleHost::IWindowBackend> backend = BrindleHost::MakeX11Backend(options, &error);
  if (!backend) return false;
  BrindleHost::SetBackend(std::move(backend));

  bool opened = false;
  {
    ParameterChangeListener listener(unit, hooks.onChange);
    NSAutoreleasePool pool; // what the window and its panels hand out, released when it closes
    InterruptScope signals;
    PedalWindow window;
    opened = window.Open(unit, error);
    if (opened) {
      HostStrip* strip = window.Strip();
      NSArray* types =
          NSArray::arrayWithObjects(NSString::stringWithUTF8String("aupreset"), NSString::stringWithUTF8String("fxp"),
                                    NSString::stringWithUTF8String("fxb"));
      types->retain();
      StripStatus status;
      strip->onOpen = [&] {
        NSAutoreleasePool panelPool;
        NSOpenPanel* panel = NSOpenPanel::openPanel();
        const std::string file = ChosenFile(panel, panel->runModalForDirectory(nil, nil, types));
        if (!file.empty() && hooks.openPreset) status.news = hooks.openPreset(file);
      };
      strip->onSave = [&] {
        NSAutoreleasePool panelPool;
        NSSavePanel* panel = NSSavePanel::savePanel();
        panel->setAllowedFileTypes(types);
        const std::string file = ChosenFile(panel, panel->runModalForDirectory(nil, nil));
        if (!file.empty() && hooks.savePreset) status.news = hooks.savePreset(file);
      };
      NSRunLoop* loop = NSRunLoop::mainRunLoop();
      while (!InterruptScope::Interrupted() && window.Window()->isVisible()) {
        if (hooks.tick && !hooks.tick(status)) break;
        strip->Update(status);
        loop->runUntilTime(loop->now() + 0.05);
      }
      strip->onOpen = strip->onSave = nullptr;
      types->release();
    }
  }
  BrindleHost::SetBackend(nullptr); // closes the display
  return opened;
}

bool SnapshotPlayWindow(AudioUnit unit, const StripStatus& status, const std::string& path, std::string& error)
{
  PedalWindow window;
  if (!window.Open(unit, error)) return false;
  window.Strip()->Update(status);
  for (int i = 0; i < 3; ++i) BrindleHost_RunLoopAdvance(EditorHost::kTick); // the first repaints
  const BrindleHost::Framebuffer frame = BrindleHost::WindowFramebuffer(window.Window());
  if (frame.mWidth <= 0 || frame.mHeight <= 0) {
    error = "the window shows nothing";
    return false;
  }
  Raster_MemBitmap picture;
  picture.resize(frame.mWidth, frame.mHeight);
  Raster_PixelWord* bits = picture.getBits();
  if (!bits) {
    error = "out of memory for the picture";
    return false;
  }
  const int span = picture.getRowSpan();
  for (int y = 0; y < frame.mHeight; ++y)
    for (int x = 0; x < frame.mWidth; ++x) {
      const uint32_t argb = frame.Pixel(x, y);
      // The window is opaque: keep the colour, alpha 255 (the picture's bytes are R, G, B, A).
      bits[y * span + x] = 0xFFu | ((argb >> 16) & 0xFF) << 8 | ((argb >> 8) & 0xFF) << 16 | (argb & 0xFF) << 24;
    }
  return WritePngFile(&picture, path, error);
}
