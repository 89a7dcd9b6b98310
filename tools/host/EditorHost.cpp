#include "tools/host/EditorHost.h"

#include <AppKit/AppKit.h>
#include <AudioUnit/AUCocoaUIView.h>
#include <BrindleHost/Headless.h>
#include <Foundation/NSString.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "raster/Raster_MemBitmap.h"
#include "tools/host/ComponentHost.h"

namespace {

struct NamedKey
{
  const char* name;
  unsigned short keyCode;
  unsigned character; // what AppKit reports as the key's character
};

// Apple's virtual key codes; the arrows report AppKit's function-key characters.
const NamedKey kNamedKeys[] = {
    {"space", 49, ' '},  {"left", 123, 0xF702}, {"right", 124, 0xF703}, {"down", 125, 0xF701},
    {"up", 126, 0xF700}, {"return", 36, '\r'},  {"tab", 48, '\t'},
};

} // namespace

NSView* MakeUnitEditorView(AudioUnit unit, std::string& error)
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
  if (!havePath || className.empty()) {
    error = "the component's view property names no bundle or class";
    return nullptr;
  }

  NSBundle* bundle = NSBundle::bundleWithPath(NSString::stringWithUTF8String(bundlePath));
  Class viewClass = bundle ? bundle->classNamed(NSString::stringWithUTF8String(className.c_str())) : nullptr;
  if (!viewClass) {
    error = "no class '" + className + "' in the bundle at '" + bundlePath + "'";
    return nullptr;
  }
  NSObject* factoryObject = viewClass->alloc()->init();
  AUCocoaUIBase* factory = dynamic_cast<AUCocoaUIBase*>(factoryObject);
  NSView* view = factory ? factory->uiViewForAudioUnit(unit, NSMakeSize(0, 0)) : nullptr;
  if (view) view->retain();
  factoryObject->release();
  if (!view) {
    error = "the view factory '" + className + "' made no view";
    return nullptr;
  }
  return view;
}

EditorHost::EditorHost() = default;

EditorHost::~EditorHost()
{
  Close();
}

bool EditorHost::Open(AudioUnit unit, std::string& error, double scale)
{
  Close();
  NSApplicationLoad();
  NSAutoreleasePool pool;

  NSView* view = MakeUnitEditorView(unit, error);
  if (!view) return false;

  const NSRect made = view->frame();
  mMadeWidth = static_cast<int>(made.size.width);
  if (scale != 1.0 && std::isfinite(scale) && scale > 0.0) {
    view->setFrameSize(
        NSMakeSize(std::floor(made.size.width * scale + 0.5), std::floor(made.size.height * scale + 0.5)));
  }
  const NSRect frame = view->frame();
  mWidth = static_cast<int>(frame.size.width);
  mHeight = static_cast<int>(frame.size.height);
  mWindow = NSWindow::alloc()->initWithContentRect(NSMakeRect(0, 0, mWidth, mHeight), 0, NSBackingStoreBuffered, NO);
  mWindow->setReleasedWhenClosed(NO); // the host keeps its own reference until Close
  mWindow->contentView()->addSubview(view);
  mWindow->makeKeyAndOrderFront(nullptr);
  mView = view;
  mMouse = std::make_unique<BrindleHost::Mouse>(mWindow);
  mBytesAtOpen = mWindow->bytesDrawnTotal();
  return true;
}

void EditorHost::Close()
{
  mMouse.reset();
  if (mView) {
    NSAutoreleasePool pool;
    mView->removeFromSuperview(); // what a host does when it closes its editor window
    mView->release();
    mView = nullptr;
  }
  if (mWindow) {
    mWindow->close();
    mWindow->release();
    mWindow = nullptr;
  }
  mWidth = mHeight = mMadeWidth = 0;
}

EditorHost::Point EditorHost::WindowPoint(int x, int y) const
{
  // The view turns a window point p into editor pixel ((int)p.x - 2, height - (int)p.y - 3); the
  // half pixel keeps the truncation on the intended pixel.
  return Point{x + 2 + 0.5, mHeight - 3 - y + 0.5};
}

void EditorHost::Press(int x, int y, unsigned long flags)
{
  if (!mMouse) return;
  const Point p = WindowPoint(x, y);
  mMouse->Press(NSMakePoint(p.x, p.y), flags);
}

void EditorHost::Release()
{
  if (mMouse) mMouse->Release();
}

void EditorHost::Click(int x, int y, unsigned long flags)
{
  if (!mMouse) return;
  const Point p = WindowPoint(x, y);
  mMouse->Click(NSMakePoint(p.x, p.y), flags);
}

void EditorHost::DoubleClick(int x, int y)
{
  Click(x, y);
  Click(x, y); // within the double-click interval: the second press counts 2
}

void EditorHost::RightClick(int x, int y)
{
  if (!mMouse) return;
  const Point p = WindowPoint(x, y);
  mMouse->Click(NSMakePoint(p.x, p.y), 0, true);
}

void EditorHost::Drag(int x, int y, int dx, int dy, unsigned long flags)
{
  if (!mMouse) return;
  Press(x, y, flags);
  // Steps of at most 4 pixels, but a bounded number of them: a drag far past the editor takes longer
  // steps instead of millions of events. The last step lands exactly on (x + dx, y + dy).
  const long long longest = std::max(std::llabs(static_cast<long long>(dx)), std::llabs(static_cast<long long>(dy)));
  const int steps = static_cast<int>(std::clamp((longest + 3) / 4, 1LL, static_cast<long long>(kMaxDragSteps)));
  for (int i = 1; i <= steps; ++i) {
    const Point p = WindowPoint(x + static_cast<int>(static_cast<long long>(dx) * i / steps),
                                y + static_cast<int>(static_cast<long long>(dy) * i / steps));
    mMouse->DragTo(NSMakePoint(p.x, p.y));
  }
  mMouse->Release();
}

void EditorHost::Wheel(int x, int y, double deltaY, unsigned long flags)
{
  if (!mMouse) return;
  const Point p = WindowPoint(x, y);
  mMouse->Wheel(NSMakePoint(p.x, p.y), deltaY, flags);
}

bool EditorHost::Key(const std::string& name, std::string& error)
{
  if (!mWindow) {
    error = "no editor is open";
    return false;
  }
  for (const NamedKey& key : kNamedKeys) {
    if (name == key.name) {
      const unichar character = static_cast<unichar>(key.character);
      BrindleHost::PressKey(mWindow, key.keyCode, NSStringEncodeUTF8(&character, 1).c_str());
      return true;
    }
  }
  if (name.size() == 1 && name[0] > ' ' && name[0] < 0x7F) {
    BrindleHost::PressKey(mWindow, 0xFFFF, name.c_str());
    return true;
  }
  error = "unknown key '" + name + "' (one printable character, or space, left, right, up, down, return, tab)";
  return false;
}

void EditorHost::Ticks(int n)
{
  for (int i = 0; i < n; ++i) BrindleHost_RunLoopAdvance(kTick);
}

bool EditorHost::Snapshot(Raster_MemBitmap& out) const
{
  if (!mWindow) return false;
  const BrindleHost::Framebuffer frame = BrindleHost::WindowFramebuffer(mWindow);
  const int w = std::min(mWidth, frame.mWidth), h = std::min(mHeight, frame.mHeight);
  if (w <= 0 || h <= 0) return false;
  out.resize(w, h);
  Raster_PixelWord* bits = out.getBits();
  if (!bits) return false;
  const int span = out.getRowSpan();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t argb = frame.Pixel(x, y);
      // The window is opaque: keep the colour, alpha 255.
      bits[y * span + x] = 0xFFu | ((argb >> 16) & 0xFF) << 8 | ((argb >> 8) & 0xFF) << 16 | (argb & 0xFF) << 24;
    }
  return true;
}

unsigned long long EditorHost::BytesLastRepaint() const
{
  return mWindow ? mWindow->bytesDrawnLastPass() : 0;
}

unsigned long long EditorHost::BytesSinceOpen() const
{
  return mWindow ? mWindow->bytesDrawnTotal() - mBytesAtOpen : 0;
}
