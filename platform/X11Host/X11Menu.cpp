// Popup menus: our own windows, one per open level, run modally with the pointer grabbed.
#include <AppKit/NSMenu.h>
#include <X11Host/X11Canvas.h>

#include <X11/keysym.h>

#include <algorithm>

namespace BrindleHost {

namespace {

const int kItemHeight = 20, kSeparatorHeight = 7, kIndent = 12, kCheckWidth = 20, kArrowWidth = 18;
// A release this soon after the menu opened ends the click that opened it, not a choice.
const double kOpeningRelease = 0.25;

struct Row
{
  NSMenuItem* mItem;
  int mTop, mBottom;
};

struct Level
{
  NSMenu* mMenu;
  std::unique_ptr<X11Canvas> mCanvas;
  std::vector<Row> mRows;
  int mHot = -1;

  bool Choosable(int i) const
  {
    if (i < 0 || i >= static_cast<int>(mRows.size())) return false;
    NSMenuItem* item = mRows[i].mItem;
    return item->isEnabled() && !item->isSeparatorItem();
  }
  int RowAt(int y) const
  {
    for (size_t i = 0; i < mRows.size(); ++i)
      if (y >= mRows[i].mTop && y < mRows[i].mBottom) return static_cast<int>(i);
    return -1;
  }
};

std::string Title(NSMenuItem* item)
{
  return item->title() ? item->title()->text() : "";
}

class MenuSession
{
public:
  MenuSession(X11Backend& backend, NSMenu* menu, int x, int y) : mBackend(backend) { Open(menu, x, y); }

  NSMenuItem* Run()
  {
    Display* display = mBackend.XDisplay();
    const Window grab = mLevels[0].mCanvas->XWindow();
    // Every click lands here, so a click outside the menu dismisses it.
    XGrabPointer(display, grab, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    XGrabKeyboard(display, grab, True, GrabModeAsync, GrabModeAsync, CurrentTime);
    const double opened = mBackend.Now();
    NSMenuItem* chosen = nullptr;
    for (bool done = false; !done;) {
      std::vector<Window> windows;
      for (Level& l : mLevels) windows.push_back(l.mCanvas->XWindow());
      XEvent e;
      if (!mBackend.NextModalEvent(windows, &e)) break;
      Level* level = LevelOf(e.xany.window);
      switch (e.type) {
      case Expose:
        if (level && e.xexpose.count == 0) Draw(*level);
        break;
      case MotionNotify:
        Hover(e.xmotion.x_root, e.xmotion.y_root);
        break;
      case ButtonPress:
        if (!Inside(e.xbutton.x_root, e.xbutton.y_root)) done = true;
        break;
      case ButtonRelease: {
        if (e.xbutton.button > Button3 || mBackend.Now() - opened < kOpeningRelease) break;
        Hover(e.xbutton.x_root, e.xbutton.y_root);
        NSMenuItem* item = HotLeaf();
        if (item && Inside(e.xbutton.x_root, e.xbutton.y_root)) chosen = item, done = true;
        break;
      }
      case KeyPress:
        done = Key(XLookupKeysym(&e.xkey, 0), &chosen);
        break;
      default:
        if (mBackend.IsCloseRequest(e)) done = true;
        break;
      }
    }
    XUngrabPointer(display, CurrentTime);
    XUngrabKeyboard(display, CurrentTime);
    mLevels.clear();
    XFlush(display);
    return chosen;
  }

private:
  void Open(NSMenu* menu, int x, int y)
  {
    Level level;
    level.mMenu = menu;
    int height = 2, width = 120;
    for (NSInteger i = 0; i < menu->numberOfItems(); ++i) {
      NSMenuItem* item = menu->itemAtIndex(i);
      const int h = item->isSeparatorItem() ? kSeparatorHeight : kItemHeight;
      level.mRows.push_back({item, height, height + h});
      height += h;
      const int w = kCheckWidth + static_cast<int>(item->indentationLevel()) * kIndent +
                    X11Canvas::MeasureText(Title(item)) + kArrowWidth + 8;
      width = std::max(width, w);
    }
    height += 2;
    const CGSize screen = mBackend.DisplaySize();
    x = std::max(0, std::min(x, static_cast<int>(screen.width) - width));
    y = std::max(0, std::min(y, static_cast<int>(screen.height) - height));
    level.mCanvas = std::make_unique<X11Canvas>(mBackend, x, y, width, height, true, "menu");
    mLevels.push_back(std::move(level));
    mLevels.back().mCanvas->Map();
  }

  void Draw(Level& level)
  {
    X11Canvas& c = *level.mCanvas;
    c.Fill({0, 0, c.Width(), c.Height()}, kPanelColour);
    c.Frame({0, 0, c.Width(), c.Height()}, kEdgeColour);
    for (size_t i = 0; i < level.mRows.size(); ++i) {
      const Row& row = level.mRows[i];
      NSMenuItem* item = row.mItem;
      if (item->isSeparatorItem()) {
        c.Fill({6, (row.mTop + row.mBottom) / 2, c.Width() - 6, (row.mTop + row.mBottom) / 2 + 1}, kEdgeColour);
        continue;
      }
      const bool hot = static_cast<int>(i) == level.mHot && level.Choosable(static_cast<int>(i));
      if (hot) c.Fill({1, row.mTop, c.Width() - 1, row.mBottom}, kHighlightColour);
      const int colour = hot ? GDI_RGB(255, 255, 255) : item->isEnabled() ? kTextColour : kDisabledColour;
      const int format = TEXT_SINGLELINE | TEXT_VCENTER;
      if (item->state() == 1)
        c.Text({4, row.mTop, kCheckWidth, row.mBottom}, "\xE2\x9C\x93", colour, format);
      else if (item->state() == -1)
        c.Text({4, row.mTop, kCheckWidth, row.mBottom}, "-", colour, format);
      const int left = kCheckWidth + static_cast<int>(item->indentationLevel()) * kIndent;
      c.Text({left, row.mTop, c.Width() - kArrowWidth, row.mBottom}, Title(item), colour, format);
      if (item->hasSubmenu())
        c.Text({c.Width() - kArrowWidth, row.mTop, c.Width() - 4, row.mBottom}, "\xE2\x96\xB8", colour, format);
    }
    c.Present();
  }

  Level* LevelOf(Window w)
  {
    for (Level& l : mLevels)
      if (l.mCanvas->XWindow() == w) return &l;
    return nullptr;
  }

  bool Inside(int x, int y) const
  {
    for (const Level& l : mLevels)
      if (l.mCanvas->Contains(x, y)) return true;
    return false;
  }

  void SetHot(size_t depth, int row)
  {
    Level& level = mLevels[depth];
    if (level.mHot == row) return;
    level.mHot = row;
    Draw(level);
    // A submenu shows beside its item and closes when the item loses the pointer.
    mLevels.resize(depth + 1);
    if (level.Choosable(row) && level.mRows[row].mItem->hasSubmenu()) {
      const int x = level.mCanvas->X() + level.mCanvas->Width() - 2;
      const int y = level.mCanvas->Y() + level.mRows[row].mTop - 2;
      Open(level.mRows[row].mItem->submenu(), x, y);
    }
  }

  void Hover(int x, int y)
  {
    for (size_t d = mLevels.size(); d-- > 0;) {
      X11Canvas& c = *mLevels[d].mCanvas;
      if (!c.Contains(x, y)) continue;
      SetHot(d, mLevels[d].RowAt(y - c.Y()));
      return;
    }
  }

  NSMenuItem* HotLeaf()
  {
    Level& deepest = mLevels.back();
    if (!deepest.Choosable(deepest.mHot)) return nullptr;
    NSMenuItem* item = deepest.mRows[deepest.mHot].mItem;
    return item->hasSubmenu() ? nullptr : item;
  }

  // True when the key ends the menu (a choice or a dismissal).
  bool Key(KeySym key, NSMenuItem** chosen)
  {
    Level& level = mLevels.back();
    const int n = static_cast<int>(level.mRows.size());
    if (key == XK_Escape) return true;
    if ((key == XK_Up || key == XK_Down) && n > 0) {
      int row = level.mHot;
      for (int step = 0; step < n; ++step) {
        row = key == XK_Down ? (row + 1) % n : (row <= 0 ? n - 1 : row - 1);
        if (level.Choosable(row)) break;
      }
      SetHot(mLevels.size() - 1, row);
      return false;
    }
    if (key == XK_Right && mLevels.size() >= 2 && mLevels[mLevels.size() - 2].mHot >= 0 && level.mHot < 0) {
      // Into the submenu the hot item opened: its first item that can be chosen.
      for (int row = 0; row < n; ++row)
        if (level.Choosable(row)) {
          SetHot(mLevels.size() - 1, row);
          break;
        }
      return false;
    }
    if (key == XK_Left && mLevels.size() > 1) {
      mLevels.pop_back();
      return false;
    }
    if (key == XK_Return || key == XK_KP_Enter) {
      *chosen = HotLeaf();
      return *chosen != nullptr;
    }
    return false;
  }

  X11Backend& mBackend;
  std::vector<Level> mLevels;
};

} // namespace

NSMenuItem* X11Backend::RunMenu(NSMenu* menu, CGPoint screenPoint, NSView*)
{
  if (!menu || menu->numberOfItems() == 0) return nullptr;
  // Screen points have y up; the display counts rows from the top.
  const int x = static_cast<int>(screenPoint.x);
  const int y = static_cast<int>(DisplaySize().height - screenPoint.y);
  MenuSession session(*this, menu, x, y);
  return session.Run();
}

} // namespace BrindleHost
