// IGraphicsMac: window, screen copy, images, paths, URLs, tooltips and the cursor.
#include "graphics/mac/IGraphicsMac.h"

#include <AppKit/AppKit.h>
#include <CoreGraphics/CoreGraphics.h>
#include <CoreServices/CoreServices.h>

#include <cmath>

#include "graphics/IControl.h"
#include "graphics/mac/IGraphicsCocoa.h"
#include "plugcore/Trace.h"
#include "raster/Raster_PNG.h"
#include "raster/Raster_SysBitmap.h"

IGraphicsMac::IGraphicsMac(IEffectBase* plug, int width, int height, int frameRate)
    : IGraphics(plug, width, height, frameRate)
{
  NSApplicationLoad();
}

IGraphicsMac::~IGraphicsMac()
{
  // The plug-in is being destroyed: no gesture is ended towards it (see CloseWindow).
  ReleaseMouseCapture();
  CloseWindow();
  // A host window still attached would otherwise outlive its editor.
  if (mHostWindow) RemoveSubWindow();
}

void IGraphicsMac::ToViewRect(const IRECT* editorRect, double* x, double* y, double* w, double* h) const
{
  const IRECT device = ToDevice(*editorRect);
  const IRECT* r = &device;
  *x = r->left;
  *y = ScaledHeight() - r->bottom - 1;
  *w = r->right - r->left + 1;
  *h = r->bottom - r->top + 1;
}

void IGraphicsMac::OnScaleChanged()
{
  if (mView) mView->setFrameSize(NSMakeSize(ScaledWidth(), ScaledHeight()));
}

bool IGraphicsMac::DrawScreen(IRECT* /*r*/)
{
  if (!mView) return false;
  NSGraphicsContext* current = NSGraphicsContext::currentContext();
  if (!current) return false;
  NSGraphicsContext* flipped = NSGraphicsContext::graphicsContextWithGraphicsPort(current->graphicsPort(), YES);
  CGContextRef screen = flipped ? static_cast<CGContextRef>(flipped->graphicsPort()) : nullptr;
  Raster_SysBitmap* canvas = GetCanvas();
  if (!screen || !canvas || !canvas->getBits()) return false;

  // The canvas's own memory seen as a CoreGraphics bitmap: bytes A, R, G, B per pixel, and the
  // editor is opaque, so the alpha byte is skipped.
  CGColorSpaceRef rgb = CGColorSpaceCreateDeviceRGB();
  CGContextRef canvasContext = CGBitmapContextCreate(canvas->getBits(), canvas->getWidth(), canvas->getHeight(), 8,
                                                     static_cast<size_t>(canvas->getRowSpan()) * 4, rgb,
                                                     kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Big);
  CGColorSpaceRelease(rgb);
  if (!canvasContext) return false;
  CGImageRef image = CGBitmapContextCreateImage(canvasContext);
  CGContextRelease(canvasContext);
  if (!image) return false;
  // The whole canvas every time; the view's repaint clip keeps the rest of the screen as it is.
  CGContextDrawImage(screen, CGRectMake(0, 0, canvas->getWidth(), ScaledHeight()), image);
  CGImageRelease(image);
  return true;
}

bool IGraphicsMac::MeasureIText(IText* text, char* str, IRECT* r)
{
  NSAutoreleasePool pool;
  return DrawIText(text, str, r, true);
}

void IGraphicsMac::ForceEndUserEdit()
{
  if (mView) mView->endUserInput();
}

void IGraphicsMac::Resize(int w, int h)
{
  if (w == Width() && h == Height()) return;
  IGraphics::Resize(w, h);
  if (mView) mView->setFrameSize(NSMakeSize(ScaledWidth(), ScaledHeight()));
}

bool IGraphicsMac::WindowIsOpen()
{
  return mView != nullptr;
}

const char* IGraphicsMac::GetGUIAPI()
{
  return "Cocoa GUI";
}

int IGraphicsMac::ShowMessageBox(const char* text, const char* caption, int type)
{
  CFStringRef header =
      caption ? CFStringCreateWithCStringNoCopy(nullptr, caption, kCFStringEncodingUTF8, kCFAllocatorNull) : nullptr;
  CFStringRef message =
      text ? CFStringCreateWithCStringNoCopy(nullptr, text, kCFStringEncodingUTF8, kCFAllocatorNull) : nullptr;
  CFStringRef defaultButton = nullptr, alternateButton = nullptr, otherButton = nullptr;
  switch (type) {
  case 4: // yes / no
    defaultButton = CFSTR("Yes");
    alternateButton = CFSTR("No");
    break;
  case 3: // yes / no / cancel
    defaultButton = CFSTR("Yes");
    alternateButton = CFSTR("No");
    otherButton = CFSTR("Cancel");
    break;
  case 1: // ok / cancel
    alternateButton = CFSTR("Cancel");
    break;
  default:
    break;
  }
  CFOptionFlags response = 0;
  CFUserNotificationDisplayAlert(0, kCFUserNotificationNoteAlertLevel, nullptr, nullptr, nullptr, header, message,
                                 defaultButton, alternateButton, otherButton, &response);
  if (header) CFRelease(header);
  if (message) CFRelease(message);
  switch (response & 0x3) {
  case kCFUserNotificationDefaultResponse:
    return 1;
  case kCFUserNotificationAlternateResponse:
    return 7;
  case kCFUserNotificationOtherResponse:
    return 2;
  default:
    return 0;
  }
}

IPopupMenu* IGraphicsMac::CreateIPopupMenu(IPopupMenu* menu, IRECT* r)
{
  ReleaseMouseCapture();
  if (!mView || !menu || !r) return nullptr;
  double x, y, w, h;
  ToViewRect(r, &x, &y, &w, &h);
  return mView->createIPopupMenu(menu, NSMakeRect(x, y, w, h));
}

void IGraphicsMac::CreateTextEntry(IControl* control, IText* text, IRECT* r, const char* str, IParam* param)
{
  if (!mView || !r) return;
  double x, y, w, h;
  ToViewRect(r, &x, &y, &w, &h);
  mView->createTextEntry(control, param, text, str, NSMakeRect(x, y, w, h));
}

namespace {

NSBundle* BundleWithID(const char* bundleID)
{
  return NSBundle::bundleWithIdentifier(NSString::stringWithUTF8String(bundleID ? bundleID : ""));
}

void FirstSearchPath(NSSearchPathDirectory which, Core_String* path)
{
  NSAutoreleasePool pool;
  NSArray* paths = NSSearchPathForDirectoriesInDomains(which, NSUserDomainMask, YES);
  if (paths && paths->count() > 0) path->Set(static_cast<NSString*>(paths->objectAtIndex(0))->UTF8String());
}

} // namespace

void IGraphicsMac::HostPath(Core_String* path)
{
  if (!path) return;
  NSAutoreleasePool pool;
  NSBundle* bundle = BundleWithID(mBundleId.Get());
  NSString* executable = bundle ? bundle->executablePath() : nullptr;
  if (executable) path->Set(executable->UTF8String());
}

void IGraphicsMac::PluginPath(Core_String* path)
{
  if (!path) return;
  NSAutoreleasePool pool;
  NSBundle* bundle = BundleWithID(mBundleId.Get());
  if (!bundle) return;
  path->Set(bundle->bundlePath()->stringByDeletingLastPathComponent()->UTF8String());
  path->Append("/");
}

void IGraphicsMac::DesktopPath(Core_String* path)
{
  if (path) FirstSearchPath(NSDesktopDirectory, path);
}

void IGraphicsMac::AppSupportPath(Core_String* path)
{
  if (path) FirstSearchPath(NSApplicationSupportDirectory, path);
}

void IGraphicsMac::PromptForFile(Core_String* file, EFileAction action, Core_String* dir, char* extensions)
{
  if (!file) return;
  if (!mView) {
    file->Set("");
    return;
  }
  NSAutoreleasePool pool;
  NSString* startName = NSString::stringWithUTF8String(file->Get());
  if (dir && !dir->GetLength()) dir->Set("~/Desktop");
  NSString* startDir = NSString::stringWithUTF8String(dir ? dir->Get() : "~/Desktop");
  file->Set("");

  // Extensions are separated by spaces. The empty pieces that doubled, leading or trailing spaces make
  // name no type and are left out, so a list with no extension in it allows any type.
  NSMutableArray* types = NSMutableArray::array();
  if (extensions) {
    std::string all(extensions);
    size_t start = 0;
    for (;;) {
      const size_t space = all.find(' ', start);
      const std::string one = all.substr(start, space == std::string::npos ? std::string::npos : space - start);
      if (!one.empty()) types->addObject(NSString::stringWithUTF8String(one.c_str()));
      if (space == std::string::npos) break;
      start = space + 1;
    }
  }
  NSArray* allowed = types->count() ? types : nullptr; // no type: any type, as AppKit reads nil

  NSInteger result = 0;
  NSString* chosen = nullptr;
  if (action == kFileSave) {
    NSSavePanel* panel = NSSavePanel::savePanel();
    panel->setAllowedFileTypes(allowed);
    panel->setAllowsOtherFileTypes(NO);
    result = panel->runModalForDirectory(startDir, startName);
    chosen = panel->filename();
  } else {
    NSOpenPanel* panel = NSOpenPanel::openPanel();
    panel->setCanChooseFiles(YES);
    panel->setCanChooseDirectories(NO);
    panel->setResolvesAliases(YES);
    result = panel->runModalForDirectory(startDir, startName, allowed);
    chosen = panel->filename();
  }
  if (result == NSOKButton && chosen) {
    file->Set(chosen->UTF8String());
    if (dir) {
      dir->Set(chosen->stringByDeletingLastPathComponent()->UTF8String());
      dir->Append("/");
    }
  }
}

bool IGraphicsMac::PromptForColor(IColor* /*color*/, char* /*prompt*/)
{
  return false;
}

bool IGraphicsMac::OpenURL(const char* url, const char* /*windowTitle*/, const char* /*confirmMsg*/,
                           const char* /*errMsg*/)
{
  if (!url) return true;
  NSAutoreleasePool pool;
  NSString* text = NSString::stringWithUTF8String(url);
  NSURL* target = std::strstr(url, "http") ? NSURL::URLWithString(text) : NSURL::fileURLWithPath(text);
  if (!target) return true;
  return NSWorkspace::sharedWorkspace()->openURL(target);
}

void* IGraphicsMac::OpenWindow(void* parentView)
{
  CloseWindow();
  SetUIThread(); // drawing and events now come from the thread that opens the view
  mView = IGRAPHICS_COCOA::alloc()->initWithIGraphics(this);
  if (parentView) static_cast<NSView*>(parentView)->addSubview(mView);
  UpdateTooltips();
  return mView;
}

void* IGraphicsMac::OpenCocoaWindow(void* parentView)
{
  return OpenWindow(parentView);
}

void IGraphicsMac::AttachSubWindow(void* hostWindowRef)
{
  NSAutoreleasePool pool;
  NSWindow* host = NSWindow::alloc()->initWithWindowRef(hostWindowRef);
  if (!host) return;
  host->setCanHide(YES);
  host->setReleasedWhenClosed(YES);

  const NSRect frame = host->frame();
  const int width = ScaledWidth(), height = ScaledHeight();
  const double offset = frame.size.width > width ? std::floor((frame.size.width - width) * 0.5) : 0.0;
  NSWindow* child = CUSTOM_COCOA_WINDOW::alloc()->initWithContentRect(
      NSMakeRect(frame.origin.x + offset, frame.origin.y, width, height), 0, NSBackingStoreBuffered, NO);
  child->setOpaque(YES);
  child->setCanHide(YES);
  child->setHasShadow(NO);
  child->setReleasedWhenClosed(YES);

  OpenWindow(child->contentView());

  host->addChildWindow(child, NSWindowAbove);
  host->orderFront(nullptr);
  host->display();
  child->performSelector(NSSelectorFromString("orderFront:"), nullptr, 0.05);
  // Both windows release themselves when closed (RemoveSubWindow).
  mHostWindow = host;
}

void IGraphicsMac::RemoveSubWindow()
{
  if (!mHostWindow) return;
  NSAutoreleasePool pool;
  NSArray* children = mHostWindow->childWindows();
  NSWindow* child = children && children->count() ? static_cast<NSWindow*>(children->objectAtIndex(0)) : nullptr;
  if (child) child->retain();
  CloseWindow();
  if (child) child->orderOut(nullptr);
  mHostWindow->orderOut(nullptr);
  if (child) {
    child->close();
    mHostWindow->removeChildWindow(child);
    child->release();
  }
  NSWindow* host = mHostWindow;
  mHostWindow = nullptr;
  host->close();
}

void IGraphicsMac::CloseWindow()
{
  if (!mView) return;
  // The release of a press in progress would go to this view, which is going away: the press ends here,
  // so the host sees the end of its gesture and the next view shows the control released.
  EndMousePress();
  IGRAPHICS_COCOA* view = mView;
  view->removeAllToolTips();
  view->killTimer();
  mView = nullptr;
  if (view->graphics() == this) {
    view->clearGraphics();
    view->removeFromSuperview(); // the view stays where the host put it, inert
  }
  view->release();
}

void* IGraphicsMac::GetWindow()
{
  return mView;
}

void IGraphicsMac::HideMouseCursor()
{
  if (mCursorHidden) return;
  if (CGDisplayHideCursor(CGMainDisplayID()) == 0) mCursorHidden = true;
  const NSPoint p = NSEvent::mouseLocation();
  mHiddenCursorX = static_cast<int>(p.x);
  mHiddenCursorY = static_cast<int>(static_cast<double>(CGDisplayPixelsHigh(CGMainDisplayID())) - p.y);
}

void IGraphicsMac::ShowMouseCursor()
{
  if (!mCursorHidden) return;
  const CGDirectDisplayID display = CGMainDisplayID();
  CGDisplayMoveCursorToPoint(display, CGPointMake(mHiddenCursorX, mHiddenCursorY));
  if (CGDisplayShowCursor(display) == 0) mCursorHidden = false;
}

void IGraphicsMac::UpdateTooltips()
{
  if (!mView || !mTooltipsEnabled) return;
  NSAutoreleasePool pool;
  mView->removeAllToolTips();
  for (int i = 0, n = NControls(); i < n; ++i) {
    IControl* control = GetControl(i);
    const char* tooltip = control->GetTooltip();
    IRECT hit = *control->GetHitRECT();
    if (tooltip && *tooltip && !control->IsHidden() && !hit.IsEmpty()) mView->registerToolTip(hit);
  }
}

Raster_IBitmap* IGraphicsMac::OSLoadBitmap(int /*id*/, const char* name)
{
  return LoadImgFromResourceOSX(mBundleId.Get(), name);
}

int IGraphicsMac::GetUserOSVersion()
{
  SInt32 version = 0;
  Gestalt(gestaltSystemVersion, &version);
  Trace("GetUserOSVersion", __LINE__, "%x", static_cast<int>(version));
  return static_cast<int>(version);
}

Raster_IBitmap* LoadImgFromResourceOSX(const char* bundleID, const char* fileName)
{
  if (!fileName) return nullptr;
  NSAutoreleasePool pool;
  const char* dot = std::strrchr(fileName, '.');
  const char* extension = dot ? dot + 1 : fileName;
  if (strcasecmp(extension, "png") != 0) return nullptr;
  NSBundle* bundle = BundleWithID(bundleID);
  NSString* resource = NSString::stringWithUTF8String(fileName)->lastPathComponent()->stringByDeletingPathExtension();
  if (!bundle || !resource) return nullptr;
  NSString* path = bundle->pathForResource(resource, NSString::stringWithUTF8String("png"));
  if (!path || path->length() == 0) return nullptr;
  return Raster_LoadPNG(path->UTF8String(), nullptr);
}
