// The text entry: typing through a formatter, and drawing with the drawing-context layer's text.
#include <AppKit/NSEvent.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSTextField.h>
#include <AppKit/NSWindow.h>
#include <Foundation/NSNotification.h>

#include "gdi/gdi.h"

#include <cmath>

namespace {

template <class T>
void Assign(T*& slot, T* value)
{
  if (value) value->retain();
  if (slot) slot->release();
  slot = value;
}

int ContextColour(NSColor* c, int fallback)
{
  if (!c) return fallback;
  auto byte = [](CGFloat v) { return static_cast<int>(std::lround(v * 255)); };
  return GDI_RGB(byte(c->redComponent()), byte(c->greenComponent()), byte(c->blueComponent()));
}

// Printable text: not a control character and not one of AppKit's function-key characters
// (arrows and the like, U+F700-U+F8FF).
bool Printable(NSString* s)
{
  if (!s || s->length() == 0) return false;
  for (NSUInteger i = 0; i < s->length(); ++i) {
    const unichar c = s->characterAtIndex(i);
    if (c < 0x20 || c == 0x7F || (c >= 0xF700 && c <= 0xF8FF)) return false;
  }
  return true;
}

} // namespace

NSTextField::~NSTextField()
{
  if (mText) mText->release();
  if (mFont) mFont->release();
  if (mFormatter) mFormatter->release();
  if (mCell) mCell->release();
  if (mTextColor) mTextColor->release();
  if (mBackgroundColor) mBackgroundColor->release();
}

NSTextField* NSTextField::initWithFrame(NSRect frame)
{
  NSView::initWithFrame(frame);
  mText = static_cast<NSString*>(NSString::alloc()->initWithUTF8String(""));
  mCell = NSTextFieldCell::alloc();
  return this;
}

void NSTextField::setFont(NSFont* font)
{
  Assign(mFont, font);
  setNeedsDisplay(YES);
}
void NSTextField::setFormatter(NSFormatter* formatter)
{
  Assign(mFormatter, formatter);
}
void NSTextField::setTextColor(NSColor* color)
{
  Assign(mTextColor, color);
  setNeedsDisplay(YES);
}
void NSTextField::setBackgroundColor(NSColor* color)
{
  Assign(mBackgroundColor, color);
  setNeedsDisplay(YES);
}

void NSTextField::setStringValue(NSString* value)
{
  NSString* copy = NSString::alloc()->initWithUTF8String(value ? value->UTF8String() : "");
  if (mText) mText->release();
  mText = copy;
  setNeedsDisplay(YES);
}

BOOL NSTextField::becomeFirstResponder()
{
  mEditing = YES;
  mSelectedAll = YES;
  return YES;
}

BOOL NSTextField::resignFirstResponder()
{
  mSelectedAll = NO;
  if (mEditing) endEditing();
  return YES;
}

void NSTextField::endEditing()
{
  mEditing = NO;
  NSObject* delegate = mDelegate;
  if (!delegate) return;
  retain(); // the delegate may well remove the field
  NSAutoreleasePool pool;
  delegate->controlTextDidEndEditing(
      NSNotification::notificationWithName(NSControlTextDidEndEditingNotification, this));
  release();
}

void NSTextField::offerText(const std::string& candidate)
{
  NSString* text = NSString::stringWithUTF8String(candidate.c_str());
  if (!text) return;
  if (mFormatter) {
    NSString* replacement = nil;
    NSString* error = nil;
    if (!mFormatter->isPartialStringValid(text, &replacement, &error)) {
      if (!replacement) return; // refused
      text = replacement;
    }
  }
  mSelectedAll = NO;
  setStringValue(text);
}

void NSTextField::keyDown(NSEvent* event)
{
  if (!event || !mEditable || window() == nil || window()->firstResponder() != this) {
    NSView::keyDown(event);
    return;
  }
  retain(); // the delegate may remove the field when the edit ends
  keyDownWhileEditing(event);
  release();
}

void NSTextField::keyDownWhileEditing(NSEvent* event)
{
  NSAutoreleasePool pool;
  mEditing = YES;
  NSString* chars = event->characters();
  const unsigned short code = event->keyCode();
  const unichar first = chars && chars->length() ? chars->characterAtIndex(0) : 0;
  if (code == kVK_Return || code == kVK_Tab || code == 0x4C /* keypad Enter */ || first == '\r' || first == '\n' ||
      first == '\t' || first == 3) {
    endEditing();
    mSelectedAll = YES;
    return;
  }
  if (code == kVK_Delete || first == 0x7F || first == 0x08) {
    NSMutableString* shorter = NSMutableString::stringWithString(mText);
    if (mSelectedAll)
      shorter->setString(nil);
    else
      shorter->deleteLastCharacter();
    offerText(shorter->text());
    return;
  }
  if (Printable(chars)) {
    offerText((mSelectedAll ? std::string() : mText->text()) + chars->text());
    return;
  }
  mSelectedAll = NO; // arrows and the like move the caret to the end here
}

void NSTextField::drawRect(NSRect)
{
  NSGraphicsContext* current = NSGraphicsContext::currentContext();
  if (!current) return;
  const NSRect b = bounds();
  const int w = static_cast<int>(std::ceil(b.size.width)), h = static_cast<int>(std::ceil(b.size.height));
  if (w <= 0 || h <= 0) return;
  HDC__* dc = GDI_CreateMemContext(nullptr, w, h);
  if (!dc) return;
  HGDIOBJ__* brush = CreateSolidBrush(ContextColour(mBackgroundColor, GDI_RGB(255, 255, 255)));
  RECT all = {0, 0, w, h};
  GDI_FillRect(dc, &all, brush);
  DeleteObject(brush);
  const CGFloat size = mFont ? mFont->pointSize() : 12;
  HGDIOBJ__* font =
      CreateFont(static_cast<int>(std::lround(size)), 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0,
                 mFont && mFont->fontName() ? mFont->fontName()->UTF8String() : "");
  SelectObject(dc, font);
  SetTextColor(dc, ContextColour(mTextColor, GDI_RGB(0, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  int format = TEXT_SINGLELINE | TEXT_VCENTER | TEXT_NOPREFIX;
  if (mAlignment == NSRightTextAlignment) format |= TEXT_RIGHT;
  if (mAlignment == NSCenterTextAlignment) format |= TEXT_CENTER;
  RECT textArea = {2, 0, w - 2, h};
  GDI_DrawText(dc, mText->UTF8String(), -1, &textArea, format);
  SelectObject(dc, reinterpret_cast<HGDIOBJ__*>(3));
  DeleteObject(font);
  // The memory context's pixels are bytes X, R, G, B: no alpha, default byte order.
  CGContextRef picture =
      CGBitmapContextCreate(GDI_GetCtxFrameBuffer(dc), static_cast<size_t>(w), static_cast<size_t>(h), 8,
                            static_cast<size_t>(GDI_GetCtxRowSpan(dc)) * 4, nullptr, kCGImageAlphaNoneSkipFirst);
  CGImageRef image = CGBitmapContextCreateImage(picture);
  CGContextDrawImage(static_cast<CGContextRef>(current->graphicsPort()), CGRectMake(0, 0, w, h), image);
  CGImageRelease(image);
  CGContextRelease(picture);
  GDI_DeleteGfxContext(dc);
}
