#pragma once
// IPopupMenu: the platform-neutral description of a popup menu. The editor builds one when a control asks
// the user to pick one of a parameter's values; the platform turns it into a native menu, shows it, and
// writes the choice into mChosenItemIdx of the menu the chosen item belongs to (a submenu for an item in a
// submenu).
//
// A menu owns its items; an item does not own its submenu.

#include "containers/Core_PtrList.h"
#include "containers/Core_String.h"

class IPopupMenu;

class IPopupMenuItem
{
public:
  enum Flags : int {
    kNoFlags = 0,
    kItemDisabled = 1, // greyed, cannot be chosen
    kItemTitle = 2,    // indented one level
    kItemChecked = 4,  // shows a check mark
    kItemSeparator = 8 // a divider line
  };

  explicit IPopupMenuItem(const char* text, int flags = kNoFlags, IPopupMenu* submenu = nullptr)
      : mText(text), mSubmenu(submenu), mFlags(flags)
  {}

  void SetChecked(bool checked) { mFlags = checked ? (mFlags | kItemChecked) : (mFlags & ~kItemChecked); }
  bool GetChecked() const { return (mFlags & kItemChecked) != 0; }
  bool GetEnabled() const { return (mFlags & kItemDisabled) == 0; }
  bool GetIsTitle() const { return (mFlags & kItemTitle) != 0; }
  bool GetIsSeparator() const { return (mFlags & kItemSeparator) != 0; }

  const char* GetText() const { return mText.Get(); }
  void SetText(const char* text) { mText.Set(text); }
  int GetFlags() const { return mFlags; }
  IPopupMenu* GetSubmenu() const { return mSubmenu; }

private:
  Core_String mText;
  IPopupMenu* mSubmenu; // not owned
  int mFlags;
};

class IPopupMenu
{
public:
  // Title numbering styles: none, "%1d: ", "%02d: ", "%03d: " (numbers count from 1).
  static constexpr int kMaxPrefix = 3;

  IPopupMenu() = default;
  ~IPopupMenu();

  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // index -1 appends; any other index inserts there, clamped to 0..count. The menu owns the item; a null
  // item is ignored.
  IPopupMenuItem* AddItem(IPopupMenuItem* item, int index = -1);
  IPopupMenuItem* AddItem(const char* text, int index = -1, int flags = IPopupMenuItem::kNoFlags);
  IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* submenu);
  IPopupMenuItem* AddItem(const char* text, IPopupMenu* submenu);
  IPopupMenuItem* AddSeparator(int index = -1);

  // Accepts 0..kMaxPrefix; any other value leaves the style unchanged.
  void SetPrefix(int prefix);
  int GetPrefix() const { return mPrefix; }

  // The title shown for item index: the numbering prefix of the style, then the text. "" outside the list.
  Core_String GetItemTitle(int index) const;

  IPopupMenuItem* GetItem(int index) const { return mMenuItems.Get(index); }
  // "" for an empty text or an index outside the list.
  const char* GetItemText(int index) const;
  int GetNItems() const { return mMenuItems.GetSize(); }

  // False, and nothing changed, for an index outside the list.
  bool CheckItem(int index, bool checked);
  // Checks that item and clears every other; an index outside the list clears them all.
  void CheckItemAlone(int index);
  bool IsItemChecked(int index) const;

  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }

private:
  int mPrefix = 0;
  int mChosenItemIdx = -1;
  Core_PtrList<IPopupMenuItem> mMenuItems;
};
