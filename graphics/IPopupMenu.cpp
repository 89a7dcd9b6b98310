#include "graphics/IPopupMenu.h"

IPopupMenu::~IPopupMenu()
{
  mMenuItems.Empty(true);
}

IPopupMenuItem* IPopupMenu::AddItem(IPopupMenuItem* item, int index)
{
  if (!item) return nullptr;
  if (index == -1) return mMenuItems.Add(item);
  return mMenuItems.Insert(index, item); // the list clamps the index to 0..count
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, int flags)
{
  return AddItem(new IPopupMenuItem(text, flags), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, IPopupMenu* submenu)
{
  return AddItem(new IPopupMenuItem(text, IPopupMenuItem::kNoFlags, submenu), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, IPopupMenu* submenu)
{
  return AddItem(text, -1, submenu);
}

IPopupMenuItem* IPopupMenu::AddSeparator(int index)
{
  return AddItem(new IPopupMenuItem("", IPopupMenuItem::kItemSeparator), index);
}

void IPopupMenu::SetPrefix(int prefix)
{
  if (prefix >= 0 && prefix <= kMaxPrefix) mPrefix = prefix;
}

Core_String IPopupMenu::GetItemTitle(int index) const
{
  Core_String title;
  const IPopupMenuItem* item = GetItem(index);
  if (!item) return title;
  switch (mPrefix) {
  case 1:
    title.SetFormatted(16, "%1d: ", index + 1);
    break;
  case 2:
    title.SetFormatted(16, "%02d: ", index + 1);
    break;
  case 3:
    title.SetFormatted(16, "%03d: ", index + 1);
    break;
  default:
    break;
  }
  title.Append(item->GetText());
  return title;
}

const char* IPopupMenu::GetItemText(int index) const
{
  const IPopupMenuItem* item = GetItem(index);
  return item ? item->GetText() : "";
}

bool IPopupMenu::CheckItem(int index, bool checked)
{
  IPopupMenuItem* item = GetItem(index);
  if (!item) return false;
  item->SetChecked(checked);
  return true;
}

void IPopupMenu::CheckItemAlone(int index)
{
  for (int i = 0, n = GetNItems(); i < n; ++i) GetItem(i)->SetChecked(i == index);
}

bool IPopupMenu::IsItemChecked(int index) const
{
  const IPopupMenuItem* item = GetItem(index);
  return item && item->GetChecked();
}
