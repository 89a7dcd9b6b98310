/*
 * NSTextField.h — a one-line text entry.
 *
 * Editing: while the field is its window's first responder, key events type into it. Becoming first
 * responder starts an edit with the whole text selected (the first character typed replaces it, as
 * in AppKit); afterwards characters are appended. Each change forms a candidate text that the
 * formatter, when there is one, accepts or refuses (isPartialStringValid); refused keys change
 * nothing. Backspace (kVK_Delete) removes the last character. Return, Enter or Tab end the edit, as
 * does losing first-responder status during an edit: the delegate (not retained, as in AppKit) then
 * gets controlTextDidEndEditing with the field as the notification's object.
 *
 * The field draws its background colour (white unless set) and its text in its colour, font and
 * alignment, through the drawing-context layer's text (gdi/gdi.h).
 */
#ifndef BRINDLE_PLATFORM_NSTEXTFIELD_H
#define BRINDLE_PLATFORM_NSTEXTFIELD_H

#include <AppKit/NSColor.h>
#include <AppKit/NSFont.h>
#include <AppKit/NSView.h>
#include <Foundation/NSFormatter.h>

enum : NSInteger { NSLeftTextAlignment = 0, NSRightTextAlignment = 1, NSCenterTextAlignment = 2 };
enum : NSInteger {
  NSLineBreakByWordWrapping = 0,
  NSLineBreakByCharWrapping = 1,
  NSLineBreakByClipping = 2,
  NSLineBreakByTruncatingHead = 3,
  NSLineBreakByTruncatingTail = 4,
  NSLineBreakByTruncatingMiddle = 5
};
enum : NSInteger { NSFocusRingTypeDefault = 0, NSFocusRingTypeNone = 1, NSFocusRingTypeExterior = 2 };

class NSTextFieldCell : public NSObject
{
public:
  NS_DECLARE_ALLOC(NSTextFieldCell)
  const char* className() const override { return "NSTextFieldCell"; }
  void setLineBreakMode(NSInteger mode) { mLineBreakMode = mode; }
  NSInteger lineBreakMode() const { return mLineBreakMode; }

private:
  NSInteger mLineBreakMode = NSLineBreakByClipping;
};

class NSTextField : public NSView
{
public:
  NS_DECLARE_ALLOC(NSTextField)
  ~NSTextField() override;
  NSTextField* initWithFrame(NSRect frame) override;
  const char* className() const override { return "NSTextField"; }

  void setFont(NSFont* font);
  NSFont* font() const { return mFont; }
  void setAlignment(NSInteger alignment)
  {
    mAlignment = alignment;
    setNeedsDisplay(YES);
  }
  NSInteger alignment() const { return mAlignment; }
  /* Retained. */
  void setFormatter(NSFormatter* formatter);
  NSFormatter* formatter() const { return mFormatter; }
  NSTextFieldCell* cell() const { return mCell; }
  void setAllowsEditingTextAttributes(BOOL flag) { mAllowsEditingTextAttributes = flag; }
  BOOL allowsEditingTextAttributes() const { return mAllowsEditingTextAttributes; }
  void setTextColor(NSColor* color);
  NSColor* textColor() const { return mTextColor; }
  void setBackgroundColor(NSColor* color);
  NSColor* backgroundColor() const { return mBackgroundColor; }
  void setStringValue(NSString* value);
  /* The current text, including an edit in progress. */
  NSString* stringValue() const { return mText; }
  void setBordered(BOOL flag) { mBordered = flag; }
  BOOL isBordered() const { return mBordered; }
  void setFocusRingType(NSInteger type) { mFocusRingType = type; }
  NSInteger focusRingType() const { return mFocusRingType; }
  void setEditable(BOOL flag) { mEditable = flag; }
  BOOL isEditable() const { return mEditable; }
  /* Not retained. */
  void setDelegate(NSObject* delegate) { mDelegate = delegate; }
  NSObject* delegate() const { return mDelegate; }
  BOOL isEditing() const { return mEditing; }

  BOOL acceptsFirstResponder() override { return mEditable; }
  BOOL becomeFirstResponder() override;
  BOOL resignFirstResponder() override;
  void keyDown(NSEvent* event) override;
  void drawRect(NSRect dirtyRect) override;
  BOOL isOpaque() override { return YES; }

private:
  void keyDownWhileEditing(NSEvent* event);
  void offerText(const std::string& candidate);
  void endEditing();
  NSString* mText = nil;
  NSFont* mFont = nil;
  NSFormatter* mFormatter = nil;
  NSTextFieldCell* mCell = nil;
  NSColor* mTextColor = nil;
  NSColor* mBackgroundColor = nil;
  NSObject* mDelegate = nil;
  NSInteger mAlignment = NSLeftTextAlignment;
  NSInteger mFocusRingType = NSFocusRingTypeDefault;
  BOOL mAllowsEditingTextAttributes = NO;
  BOOL mBordered = YES;
  BOOL mEditable = YES;
  BOOL mEditing = NO;
  BOOL mSelectedAll = NO;
};

#endif
