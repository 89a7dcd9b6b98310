// The view's one text field for typed values, and the formatter that filters what may be typed.
#include <string>

#include "graphics/IControl.h"
#include "graphics/mac/IGraphicsCocoa.h"
#include "graphics/mac/IGraphicsMac.h"
#include "plugcore/IParam.h"

namespace {

NSColor* ColorFor(const IColor& c)
{
  return NSColor::colorWithCalibratedRed(c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

// Characters a value entry accepts for a parameter type; null for no filter.
const char* AcceptedCharacters(IParam::EParamType type)
{
  switch (type) {
  case IParam::kTypeDouble:
    return "0123456789.-+";
  case IParam::kTypeBool:
  case IParam::kTypeInt:
  case IParam::kTypeEnum:
    return "0123456789-+";
  default:
    return nullptr;
  }
}

} // namespace

void IGRAPHICS_COCOA::createTextEntry(IControl* control, IParam* param, IText* text, const char* str, NSRect r)
{
  if (!control || mTextFieldView) return;
  mTextFieldView = NSTextField::alloc()->initWithFrame(r);

  IText style = text ? *text : IText();
  // The field lies over the scaled editor, so its lettering is scaled with it.
  const double scale = mGraphics ? mGraphics->GetScale() : 1.0;
  mTextFieldView->setFont(NSFont::fontWithName(NSString::stringWithUTF8String(style.mFace),
                                               static_cast<float>(static_cast<int>(style.mSize * 0.9 * scale))));
  switch (style.mAlign) {
  case IText::kAlignLeft:
    mTextFieldView->setAlignment(0);
    break;
  case IText::kAlignRight:
    mTextFieldView->setAlignment(1);
    break;
  default:
    mTextFieldView->setAlignment(2);
    break;
  }

  if (param) {
    COCOA_FORMATTER* formatter = COCOA_FORMATTER::alloc();
    formatter->init();
    mTextFieldView->setFormatter(formatter);
    if (const char* accepted = AcceptedCharacters(param->Type())) {
      NSAutoreleasePool pool;
      formatter->setAcceptableCharacterSet(
          NSCharacterSet::characterSetWithCharactersInString(NSString::stringWithUTF8String(accepted)));
    }
    formatter->setMaximumLength(control->GetTextEntryLength());
    formatter->release(); // the field keeps it
  }

  mTextFieldView->cell()->setLineBreakMode(4);
  mTextFieldView->setAllowsEditingTextAttributes(NO);
  {
    NSAutoreleasePool pool;
    mTextFieldView->setTextColor(ColorFor(style.mEntryFgColor));
    mTextFieldView->setBackgroundColor(ColorFor(style.mEntryBgColor));
    mTextFieldView->setStringValue(NSString::stringWithUTF8String(str ? str : ""));
  }
  mTextFieldView->setBordered(NO);
  mTextFieldView->setFocusRingType(1);
  mTextFieldView->setDelegate(this);

  addSubview(mTextFieldView);
  if (NSWindow* window = this->window()) {
    window->makeKeyAndOrderFront(nullptr);
    window->makeFirstResponder(mTextFieldView);
  }
  mEdParam = param;
  mEdControl = control;
}

void IGRAPHICS_COCOA::endUserInput()
{
  if (!mTextFieldView) return;
  NSTextField* field = mTextFieldView;
  mTextFieldView = nullptr;
  field->setDelegate(nullptr);
  field->NSView::removeFromSuperview();
  if (NSWindow* window = this->window()) window->makeFirstResponder(this);
  field->release();
  mEdControl = nullptr;
  mEdParam = nullptr;
}

void IGRAPHICS_COCOA::controlTextDidEndEditing(NSNotification* /*notification*/)
{
  if (!mTextFieldView) return;
  const std::string text = mTextFieldView->stringValue() ? mTextFieldView->stringValue()->UTF8String() : "";
  if (mGraphics && mEdParam)
    mGraphics->SetFromStringAfterPrompt(mEdControl, mEdParam, text.c_str());
  else if (mEdControl)
    mEdControl->TextFromTextEntry(text.c_str());
  endUserInput();
  setNeedsDisplay(YES);
}

COCOA_FORMATTER* COCOA_FORMATTER::alloc()
{
  return new COCOA_FORMATTER();
}

COCOA_FORMATTER::~COCOA_FORMATTER()
{
  if (filterCharacterSet) filterCharacterSet->release();
}

void COCOA_FORMATTER::setAcceptableCharacterSet(NSCharacterSet* characters)
{
  if (characters) characters->retain();
  if (filterCharacterSet) filterCharacterSet->release();
  filterCharacterSet = characters;
}

BOOL COCOA_FORMATTER::isPartialStringValid(NSString* partial, NSString** /*newString*/, NSString** /*error*/)
{
  if (!partial) return YES;
  if (filterCharacterSet) {
    for (NSUInteger i = 0, n = partial->length(); i < n; ++i)
      if (!filterCharacterSet->characterIsMember(partial->characterAtIndex(i))) return NO;
  }
  if (maxLength && partial->length() > static_cast<NSUInteger>(maxLength)) return NO;
  if (maxValue && partial->intValue() > maxValue) return NO;
  return YES;
}

NSString* COCOA_FORMATTER::stringForObjectValue(NSObject* object)
{
  return dynamic_cast<NSString*>(object);
}

BOOL COCOA_FORMATTER::getObjectValue(NSObject** object, NSString* string, NSString** /*error*/)
{
  if (object && string) *object = NSString::stringWithUTF8String(string->UTF8String());
  return YES;
}
