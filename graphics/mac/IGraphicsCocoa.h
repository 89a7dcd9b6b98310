#pragma once
// The editor's AppKit view and its companions.
//
// IGRAPHICS_COCOA (IGraphicsCocoa_vBrindle_au for Brindle) shows the editor inside the host's
// window: its timer asks the editor which controls are stale and requests a repaint of exactly that
// area; the repaint draws the controls and copies the canvas to the screen. It turns AppKit mouse,
// wheel and key events into the editor's calls, hosts the one text field used for typed values,
// and runs popup menus. COCOA_FORMATTER filters what may be typed, IGRAPHICS_NSMENU is a menu built
// from an IPopupMenu, IGRAPHICS_MENU_RCVR records the chosen item, CUSTOM_COCOA_WINDOW is the
// borderless child window used when a host gives a window instead of a view.
//
// IGraphicsMac creates the view and forwards prompts to it. Everything here runs on the main thread.
// Each class answers className() with its suffixed name; a component bundle registers the five
// under those names when it loads (the generated component entry does).

#include <AppKit/AppKit.h>

#include "graphics/mac/CocoaClassNames.h"

class IControl;
class IGraphicsMac;
struct IMouseMod;
class IParam;
class IPopupMenu;
struct IRECT;
struct IText;

class IGRAPHICS_COCOA : public NSView
{
public:
  static IGRAPHICS_COCOA* alloc();
  const char* className() const override { return COCOA_CLASS_NAME(IGraphicsCocoa); }

  NSView* init() override;
  IGRAPHICS_COCOA* initWithIGraphics(IGraphicsMac* graphics);

  BOOL isOpaque() override;
  BOOL acceptsFirstResponder() override;
  BOOL acceptsFirstMouse(NSEvent* event) override;
  void viewDidMoveToWindow() override;
  void drawRect(NSRect rect) override;
  // A host that sizes the view asks for the editor scaled to fit that size (1 to 3 times); the view
  // takes the exact scaled size.
  void setFrame(NSRect frame) override;
  void onTimer(NSTimer* timer);
  void getMouseXY(NSEvent* event, int* x, int* y);

  void mouseDown(NSEvent* event) override;
  void mouseUp(NSEvent* event) override;
  void mouseDragged(NSEvent* event) override;
  void rightMouseDown(NSEvent* event) override;
  void rightMouseUp(NSEvent* event) override;
  void rightMouseDragged(NSEvent* event) override;
  void mouseMoved(NSEvent* event) override;
  void scrollWheel(NSEvent* event) override;
  void keyDown(NSEvent* event) override;

  void killTimer();
  // Ends a text entry and lets go of the editor; the view does not leave its superview.
  void removeFromSuperview() override;
  void endUserInput();
  void controlTextDidEndEditing(NSNotification* notification) override;
  void createTextEntry(IControl* control, IParam* param, IText* text, const char* str, NSRect r);
  IPopupMenu* createIPopupMenu(IPopupMenu* menu, NSRect r);
  void registerToolTip(IRECT r);
  NSString* view_stringForToolTip(NSView* view, NSInteger tag, NSPoint point, void* userData) override;

  BOOL respondsToSelector(SEL selector) override;
  NSObject* performSelector(SEL selector, NSObject* argument) override;
  using NSView::performSelector;

  IGraphicsMac* graphics() const { return mGraphics; }
  void clearGraphics() { mGraphics = nullptr; }
  NSTextField* textField() const { return mTextFieldView; }
  NSTimer* timer() const { return mTimer; }

protected:
  ~IGRAPHICS_COCOA() override;

private:
  // The editor call for a mouse event, at the event's editor position with its modifier keys;
  // nothing without an editor, or while a text entry is open when ignoredWhileEditing.
  void forwardMouse(NSEvent* event, bool rightButton, bool ignoredWhileEditing,
                    void (*call)(IGraphicsMac*, int, int, IMouseMod*, NSEvent*));

  IGraphicsMac* mGraphics = nullptr;
  NSTimer* mTimer = nullptr;
  int mPrevX = 0, mPrevY = 0;
  NSTextField* mTextFieldView = nullptr;
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
};

class COCOA_FORMATTER : public NSFormatter
{
public:
  static COCOA_FORMATTER* alloc();
  const char* className() const override { return COCOA_CLASS_NAME(CocoaFormatter); }

  void setAcceptableCharacterSet(NSCharacterSet* characters);
  void setMaximumLength(int length) { maxLength = length; }
  void setMaximumValue(int value) { maxValue = value; }

  BOOL isPartialStringValid(NSString* partial, NSString** newString, NSString** error) override;
  NSString* stringForObjectValue(NSObject* object) override;
  BOOL getObjectValue(NSObject** object, NSString* string, NSString** error) override;

protected:
  ~COCOA_FORMATTER() override;

private:
  NSCharacterSet* filterCharacterSet = nullptr;
  int maxLength = 0;
  int maxValue = 0;
};

class IGRAPHICS_MENU_RCVR : public NSView
{
public:
  static IGRAPHICS_MENU_RCVR* alloc();
  const char* className() const override { return COCOA_CLASS_NAME(IGraphicsMenuRcvr); }

  void OnMenuSelection(NSMenuItem* sender) { nsMenuItem = sender; }
  NSMenuItem* MenuItem() const { return nsMenuItem; }

  BOOL respondsToSelector(SEL selector) override;
  NSObject* performSelector(SEL selector, NSObject* argument) override;
  using NSView::performSelector;

private:
  NSMenuItem* nsMenuItem = nullptr; // owned by its menu
};

class IGRAPHICS_NSMENU : public NSMenu
{
public:
  static IGRAPHICS_NSMENU* alloc();
  const char* className() const override { return COCOA_CLASS_NAME(IGraphicsNSMenu); }

  IGRAPHICS_NSMENU* initWithIPopupMenuAndReciever(IPopupMenu* menu, NSView* receiver);
  IPopupMenu* AssociatedIPopupMenu() const { return mIPopupMenu; }

private:
  IPopupMenu* mIPopupMenu = nullptr;
};

class CUSTOM_COCOA_WINDOW : public NSWindow
{
public:
  static CUSTOM_COCOA_WINDOW* alloc();
  const char* className() const override { return COCOA_CLASS_NAME(CustomCocoaWindow); }
  BOOL canBecomeKeyWindow() override { return YES; }
};
