#include "tools/play/PlayWindow.h"

#include <AppKit/AppKit.h>
#include <AudioToolbox/AudioUnitUtilities.h>
#include <AudioUnit/AUCocoaUIView.h>
#include <BrindleHost/Headless.h>
#include <BrindleHost/X11Backend.h>
#include <Foundation/NSRunLoop.h>

#include <csignal>
#include <map>

#include "raster/Raster_MemBitmap.h"
#include "tools/files/PngWriter.h"
#include "tools/host/ComponentHost.h"
#include "tools/host/EditorHost.h"

namespace {

volatile std::sig_atomic_t sInterrupted = 0;

void OnSignal(int)
{
  sInterrupted = 1;
}

// Handlers without SA_RESTART, so a signal ends the backend's wait at once; the previous ones come
// back when the window closes.
class SignalScope
{
public:
  SignalScope()
  {
    sInterrupted = 0;
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &mOldInt);
    sigaction(SIGTERM, &action, &mOldTerm);
  }
  ~SignalScope()
  {
    sigaction(SIGINT, &mOldInt, nullptr);
    sigaction(SIGTERM, &mOldTerm, nullptr);
  }

private:
  struct sigaction mOldInt = {}, mOldTerm = {};
};

struct Listening
{
  const ParameterChangeHandler* onChange;
  std::map<AudioUnitParameterID, AudioUnitParameterValue> last;
};

void OnEvent(void* refCon, void*, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue value)
{
  auto* listening = static_cast<Listening*>(refCon);
  if (event->mEventType != kAudioUnitEvent_ParameterValueChange) return;
  const AudioUnitParameterID id = event->mArgument.mParameter.mParameterID;
  const auto found = listening->last.find(id);
  if (found != listening->last.end() && found->second == value) return;
  listening->last[id] = value;
  if (*listening->onChange) (*listening->onChange)(id, value);
}

// The plug-in's editor view, made the way a host makes it: the unit's Cocoa-view property names a
// bundle and a factory class, and the factory makes a view of the unit. Retained; null with a
// message when there is none.
NSView* MakeEditorView(AudioUnit unit, std::string& error)
{
  AudioUnitCocoaViewInfo info = {nullptr, {nullptr}};
  UInt32 size = sizeof(info);
  const OSStatus status =
      AudioUnitGetProperty(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size);
  if (status != noErr) {
    error = "the component offers no editor view (" + DescribeStatus(status) + ")";
    return nullptr;
  }
  char bundlePath[4096] = {};
  const bool havePath = info.mCocoaAUViewBundleLocation &&
                        CFURLGetFileSystemRepresentation(info.mCocoaAUViewBundleLocation, true,
                                                         reinterpret_cast<UInt8*>(bundlePath), sizeof(bundlePath));
  const std::string className = StringFromCF(info.mCocoaAUViewClass[0]);
  if (info.mCocoaAUViewBundleLocation) CFRelease(info.mCocoaAUViewBundleLocation);
  if (info.mCocoaAUViewClass[0]) CFRelease(info.mCocoaAUViewClass[0]);
  NSBundle* bundle = havePath ? NSBundle::bundleWithPath(NSString::stringWithUTF8String(bundlePath)) : nullptr;
  Class viewClass =
      bundle && !className.empty() ? bundle->classNamed(NSString::stringWithUTF8String(className.c_str())) : nullptr;
  if (!viewClass) {
    error = "the component's view property names no class its bundle has";
    return nullptr;
  }
  NSObject* factoryObject = viewClass->alloc()->init();
  AUCocoaUIBase* factory = dynamic_cast<AUCocoaUIBase*>(factoryObject);
  NSView* view = factory ? factory->uiViewForAudioUnit(unit, NSMakeSize(0, 0)) : nullptr;
  if (view) view->retain();
  factoryObject->release();
  if (!view) error = "the view factory '" + className + "' made no view";
  return view;
}

// The editor at its size with the strip above it, in one window.
class PedalWindow
{
public:
  bool Open(AudioUnit unit, std::string& error)
  {
    NSApplicationLoad();
    NSAutoreleasePool pool;
    mView = MakeEditorView(unit, error);
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

  Listening listening{&hooks.onChange, {}};
  AUEventListenerRef listener = nullptr;
  AUEventListenerCreate(&OnEvent, &listening, nullptr, nullptr, 0, 0, &listener);
  AudioUnitEvent event = {};
  event.mEventType = kAudioUnitEvent_ParameterValueChange;
  event.mArgument.mParameter = {unit, kAUParameterListener_AnyParameter, kAudioUnitScope_Global, 0};
  if (listener) AUEventListenerAddEventType(listener, nullptr, &event);

  bool opened = false;
  {
    NSAutoreleasePool pool; // what the window and its panels hand out, released when it closes
    SignalScope signals;
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
      while (!sInterrupted && window.Window()->isVisible()) {
        if (hooks.tick && !hooks.tick(status)) break;
        strip->Update(status);
        loop->runUntilTime(loop->now() + 0.05);
      }
      strip->onOpen = strip->onSave = nullptr;
      types->release();
    }
  }
  if (listener) AUListenerDispose(listener);
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
