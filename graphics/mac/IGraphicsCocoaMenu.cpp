// Popup menus: an AppKit menu built from an IPopupMenu, run from the view, and the receiver that
// records which item was chosen.
#include <cstdio>

#include "graphics/IPopupMenu.h"
#include "graphics/mac/IGraphicsCocoa.h"

namespace {

SEL MenuSelectionSelector()
{
  static SEL selector = NSSelectorFromString("OnMenuSelection:");
  return selector;
}

} // namespace

IGRAPHICS_MENU_RCVR* IGRAPHICS_MENU_RCVR::alloc()
{
  return new IGRAPHICS_MENU_RCVR();
}

BOOL IGRAPHICS_MENU_RCVR::respondsToSelector(SEL selector)
{
  return selector == MenuSelectionSelector() || NSView::respondsToSelector(selector);
}

NSObject* IGRAPHICS_MENU_RCVR::performSelector(SEL selector, NSObject* argument)
{
  if (selector == MenuSelectionSelector()) {
    OnMenuSelection(dynamic_cast<NSMenuItem*>(argument));
    return nullptr;
  }
  return NSView::performSelector(selector, argument);
}

IGRAPHICS_NSMENU* IGRAPHICS_NSMENU::alloc()
{
  return new IGRAPHICS_NSMENU();
}

IGRAPHICS_NSMENU* IGRAPHICS_NSMENU::initWithIPopupMenuAndReciever(IPopupMenu* menu, NSView* receiver)
{
  NSAutoreleasePool pool;
  initWithTitle(NSString::stringWithUTF8String(""));
  setAutoenablesItems(NO);
  static const char* const kPrefixFormats[] = {nullptr, "%1d: ", "%02d: ", "%03d: "};
  const int prefix = menu->GetPrefix();
  for (int i = 0, n = menu->GetNItems(); i < n; ++i) {
    IPopupMenuItem* item = menu->GetItem(i);
    NSMutableString* title = NSMutableString::stringWithString(NSString::stringWithUTF8String(item->GetText()));
    if (prefix >= 1 && prefix <= 3) {
      char number[16];
      std::snprintf(number, sizeof(number), kPrefixFormats[prefix], i + 1);
      title->insertString(NSString::stringWithUTF8String(number), 0);
    }
    if (item->GetSubmenu()) {
      NSMenuItem* entry = addItemWithTitle(title, nullptr, NSString::stringWithUTF8String(""));
      IGRAPHICS_NSMENU* submenu =
          IGRAPHICS_NSMENU::alloc()->initWithIPopupMenuAndReciever(item->GetSubmenu(), receiver);
      setSubmenu(submenu, entry);
      submenu->release(); // the item keeps it
    } else if (item->GetIsSeparator()) {
      addItem(NSMenuItem::separatorItem());
    } else {
      NSMenuItem* entry = addItemWithTitle(title, MenuSelectionSelector(), NSString::stringWithUTF8String(""));
      if (item->GetIsTitle()) entry->setIndentationLevel(1);
      entry->setState(item->GetChecked() ? 1 : 0);
      if (!item->GetEnabled()) entry->setEnabled(NO);
    }
  }
  mIPopupMenu = menu;
  return this;
}

IPopupMenu* IGRAPHICS_COCOA::createIPopupMenu(IPopupMenu* menu, NSRect r)
{
  if (!menu) return nullptr;
  NSAutoreleasePool pool;
  IGRAPHICS_MENU_RCVR* receiver = IGRAPHICS_MENU_RCVR::alloc();
  receiver->initWithFrame(r);
  receiver->autorelease();
  IGRAPHICS_NSMENU* nsMenu = IGRAPHICS_NSMENU::alloc()->initWithIPopupMenuAndReciever(menu, receiver);
  nsMenu->autorelease();

  const NSPoint anchor = convertPointToBase(NSMakePoint(r.origin.x, r.origin.y - 4));
  NSWindow* window = this->window();
  NSEvent* event = NSEvent::otherEventWithType(NSApplicationDefined, anchor, 15, 0, window ? window->windowNumber() : 0,
                                               NSGraphicsContext::currentContext(), 0, 0, 0);
  NSMenu::popUpContextMenu(nsMenu, event, receiver);

  NSMenuItem* chosen = receiver->MenuItem();
  IGRAPHICS_NSMENU* owner = chosen ? dynamic_cast<IGRAPHICS_NSMENU*>(chosen->menu()) : nullptr;
  if (!owner) return nullptr;
  const NSInteger index = owner->indexOfItem(chosen);
  if (index < 0) return nullptr;
  IPopupMenu* result = owner->AssociatedIPopupMenu();
  result->SetChosenItemIdx(static_cast<int>(index));
  return result;
}

CUSTOM_COCOA_WINDOW* CUSTOM_COCOA_WINDOW::alloc()
{
  return new CUSTOM_COCOA_WINDOW();
}
