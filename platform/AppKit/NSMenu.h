/*
 * NSMenu.h — menus and their items. A menu retains its items; an item retains its submenu and
 * its links back (menu(), the submenu's supermenu) are weak. popUpContextMenu runs a menu modally
 * through the window backend; when the user picks an enabled item that has an action, the action is
 * sent to the item's target, or to the view the menu was shown for, with the item as argument:
 * target->performSelector(action, item).
 */
#ifndef BRINDLE_PLATFORM_NSMENU_H
#define BRINDLE_PLATFORM_NSMENU_H

#include <AppKit/NSView.h>
#include <Foundation/NSString.h>

#include <vector>

class NSEvent;
class NSMenu;

enum : NSInteger { NSOffState = 0, NSOnState = 1, NSMixedState = -1 };

class NSMenuItem : public NSObject
{
public:
  NS_DECLARE_ALLOC(NSMenuItem)
  ~NSMenuItem() override;
  NSMenuItem* initWithTitle(NSString* title, SEL action, NSString* keyEquivalent);
  /* Autoreleased. */
  static NSMenuItem* separatorItem();
  const char* className() const override { return "NSMenuItem"; }

  NSString* title() const { return mTitle; }
  void setTitle(NSString* title);
  NSString* keyEquivalent() const { return mKeyEquivalent; }
  SEL action() const { return mAction; }
  void setAction(SEL action) { mAction = action; }
  /* Not retained, as in AppKit. */
  void setTarget(NSObject* target) { mTarget = target; }
  NSObject* target() const { return mTarget; }
  void setIndentationLevel(NSInteger level);
  NSInteger indentationLevel() const { return mIndentationLevel; }
  void setState(NSInteger state) { mState = state; }
  NSInteger state() const { return mState; }
  void setEnabled(BOOL flag) { mEnabled = flag; }
  BOOL isEnabled() const { return mEnabled; }
  BOOL isSeparatorItem() const { return mSeparator; }
  NSMenu* submenu() const { return mSubmenu; }
  /* Retained; nil removes it. */
  void setSubmenu(NSMenu* submenu);
  BOOL hasSubmenu() const { return mSubmenu != nil; }
  /* The menu that holds the item, or nil. */
  NSMenu* menu() const { return mMenu; }
  void setTag(NSInteger tag) { mTag = tag; }
  NSInteger tag() const { return mTag; }

private:
  friend class NSMenu;
  NSString* mTitle = nil;
  NSString* mKeyEquivalent = nil;
  SEL mAction = nullptr;
  NSObject* mTarget = nil;
  NSMenu* mSubmenu = nil;
  NSMenu* mMenu = nil;
  NSInteger mIndentationLevel = 0, mState = NSOffState, mTag = 0;
  BOOL mEnabled = YES, mSeparator = NO;
};

class NSMenu : public NSObject
{
public:
  NS_DECLARE_ALLOC(NSMenu)
  ~NSMenu() override;
  NSMenu* init() override { return initWithTitle(nil); }
  NSMenu* initWithTitle(NSString* title);
  const char* className() const override { return "NSMenu"; }

  NSString* title() const { return mTitle; }
  void setAutoenablesItems(BOOL flag) { mAutoenablesItems = flag; }
  BOOL autoenablesItems() const { return mAutoenablesItems; }
  /* A new item at the end (owned by the menu). */
  NSMenuItem* addItemWithTitle(NSString* title, SEL action, NSString* keyEquivalent);
  /* Retains the item; an item already in a menu is not added again. */
  void addItem(NSMenuItem* item);
  void removeItemAtIndex(NSInteger index);
  void setSubmenu(NSMenu* submenu, NSMenuItem* item);
  /* -1 when the item is not in this menu. */
  NSInteger indexOfItem(NSMenuItem* item) const;
  NSInteger numberOfItems() const { return static_cast<NSInteger>(mItems.size()); }
  /* nil out of range. */
  NSMenuItem* itemAtIndex(NSInteger index) const;
  /* Autoreleased snapshot. */
  NSArray* itemArray() const;
  NSMenu* supermenu() const { return mSupermenu; }

  /* Runs the menu at the event's location in view's window; see above. */
  static void popUpContextMenu(NSMenu* menu, NSEvent* event, NSView* view);

private:
  friend class NSMenuItem;
  NSString* mTitle = nil;
  std::vector<NSMenuItem*> mItems;
  NSMenu* mSupermenu = nil;
  BOOL mAutoenablesItems = YES;
};

#endif
