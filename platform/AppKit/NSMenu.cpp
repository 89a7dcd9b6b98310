// Menus, items and the modal context menu.
#include <AppKit/NSEvent.h>
#include <AppKit/NSMenu.h>
#include <AppKit/NSWindow.h>
#include <BrindleHost/WindowBackend.h>

#include <algorithm>

namespace {

NSString* CopyText(NSString* s)
{
  return NSString::alloc()->initWithUTF8String(s ? s->UTF8String() : "");
}

} // namespace

// ---- Items ----

NSMenuItem::~NSMenuItem()
{
  if (mTitle) mTitle->release();
  if (mKeyEquivalent) mKeyEquivalent->release();
  setSubmenu(nil);
}

NSMenuItem* NSMenuItem::initWithTitle(NSString* title, SEL action, NSString* keyEquivalent)
{
  mTitle = CopyText(title);
  mKeyEquivalent = CopyText(keyEquivalent);
  mAction = action;
  return this;
}

NSMenuItem* NSMenuItem::separatorItem()
{
  NSMenuItem* item = alloc()->initWithTitle(nil, nullptr, nil);
  item->mSeparator = YES;
  item->mEnabled = NO;
  return static_cast<NSMenuItem*>(item->autorelease());
}

void NSMenuItem::setTitle(NSString* title)
{
  NSString* copy = CopyText(title);
  if (mTitle) mTitle->release();
  mTitle = copy;
}

void NSMenuItem::setIndentationLevel(NSInteger level)
{
  mIndentationLevel = std::max<NSInteger>(0, std::min<NSInteger>(15, level)); // AppKit's range
}

void NSMenuItem::setSubmenu(NSMenu* submenu)
{
  if (submenu == mSubmenu) return;
  if (submenu) {
    // A menu hangs under one item only; a menu cannot be its own ancestor.
    for (NSMenu* m = mMenu; m; m = m->mSupermenu)
      if (m == submenu) return;
    if (submenu->mSupermenu) return;
    submenu->retain();
    submenu->mSupermenu = mMenu;
  }
  if (mSubmenu) {
    mSubmenu->mSupermenu = nil;
    mSubmenu->release();
  }
  mSubmenu = submenu;
}

// ---- Menus ----

NSMenu::~NSMenu()
{
  for (NSMenuItem* item : mItems) {
    item->mMenu = nil;
    if (item->mSubmenu) item->mSubmenu->mSupermenu = nil;
    item->release();
  }
  if (mTitle) mTitle->release();
}

NSMenu* NSMenu::initWithTitle(NSString* title)
{
  mTitle = CopyText(title);
  return this;
}

NSMenuItem* NSMenu::addItemWithTitle(NSString* title, SEL action, NSString* keyEquivalent)
{
  NSMenuItem* item = NSMenuItem::alloc()->initWithTitle(title, action, keyEquivalent);
  addItem(item);
  item->release();
  return item;
}

void NSMenu::addItem(NSMenuItem* item)
{
  if (!item || item->mMenu) return;
  mItems.push_back(static_cast<NSMenuItem*>(item->retain()));
  item->mMenu = this;
  if (item->mSubmenu) item->mSubmenu->mSupermenu = this;
}

void NSMenu::removeItemAtIndex(NSInteger index)
{
  if (index < 0 || index >= numberOfItems()) return;
  NSMenuItem* item = mItems[static_cast<size_t>(index)];
  mItems.erase(mItems.begin() + index);
  item->mMenu = nil;
  if (item->mSubmenu) item->mSubmenu->mSupermenu = nil;
  item->release();
}

void NSMenu::setSubmenu(NSMenu* submenu, NSMenuItem* item)
{
  if (item && item->mMenu == this) item->setSubmenu(submenu);
}

NSInteger NSMenu::indexOfItem(NSMenuItem* item) const
{
  const auto it = std::find(mItems.begin(), mItems.end(), item);
  return it == mItems.end() || !item ? -1 : static_cast<NSInteger>(it - mItems.begin());
}

NSMenuItem* NSMenu::itemAtIndex(NSInteger index) const
{
  return index >= 0 && index < numberOfItems() ? mItems[static_cast<size_t>(index)] : nil;
}

NSArray* NSMenu::itemArray() const
{
  NSMutableArray* list = NSMutableArray::array();
  for (NSMenuItem* item : mItems) list->addObject(item);
  return list;
}

void NSMenu::popUpContextMenu(NSMenu* menu, NSEvent* event, NSView* view)
{
  if (!menu) return;
  NSAutoreleasePool pool;
  menu->retain();
  if (view) view->retain();
  // The anchor in screen coordinates: the event's window point moved by the window's origin.
  CGPoint screen = CGPointMake(0, 0);
  if (event) {
    screen = event->locationInWindow();
    if (NSWindow* w = event->window()) {
      screen.x += w->frame().origin.x;
      screen.y += w->frame().origin.y;
    }
  }
  NSMenuItem* chosen = BrindleHost::Backend().RunMenu(menu, screen, view);
  // Only an enabled item of this menu tree without a submenu counts as a choice.
  bool valid = chosen && chosen->isEnabled() && !chosen->isSeparatorItem() && !chosen->hasSubmenu();
  if (valid) {
    NSMenu* root = chosen->menu();
    while (root && root != menu) root = root->supermenu();
    valid = root == menu;
  }
  if (valid && chosen->action()) {
    chosen->retain();
    NSObject* target = chosen->target() ? chosen->target() : view;
    if (target) target->performSelector(chosen->action(), chosen);
    chosen->release();
  }
  if (view) view->release();
  menu->release();
}
