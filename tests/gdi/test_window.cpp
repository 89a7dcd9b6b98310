// Window contexts through the view interface, system colours and the dialog background.

#include "gdi/GDI_Surface.h"
#include "gdi/GDI_View.h"
#include "tests/gdi/GdiTestUtil.h"

#include <vector>

namespace {
class FakeView : public HWND__
{
public:
  FakeView() : mPixels(10 * 10 * 4, 0), mSurface(mPixels.data(), 10, 10, 40) {}
  HDC__* GetPaintContext() override { return mPaint; }
  GDI_Surface* LockFocus() override
  {
    mLocks++;
    return mCanDraw ? &mSurface : nullptr;
  }
  void UnlockFocus() override { mUnlocks++; }
  void GetContentOrigin(int* x, int* y) override
  {
    *x = 2;
    *y = 3;
  }
  int blue(int x, int y) const { return mPixels[4 * (x + 10 * y) + 3]; }

  std::vector<unsigned char> mPixels;
  GDI_Surface mSurface;
  HDC__* mPaint = nullptr;
  bool mCanDraw = true;
  int mLocks = 0, mUnlocks = 0;
};
} // namespace

TEST(GdiWindow, ContextsOverFocusedViews)
{
  FakeView view;
  HDC__* dc = GetDC(&view);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(view.mLocks, 1);
  GDI_SetPixel(dc, 1, 1, GDI_RGB(0, 0, 9));
  EXPECT_EQ(view.blue(1, 1), 9);
  ReleaseDC(&view, dc);
  EXPECT_EQ(view.mUnlocks, 1);
  EXPECT_EQ(GDI_GetCtxGC(dc), nullptr); // the record made for the view is gone

  // Window coordinates are offset by the content view's origin (2, 3).
  HDC__* wdc = GetWindowDC(&view);
  GDI_SetPixel(wdc, 5, 5, GDI_RGB(0, 0, 7));
  EXPECT_EQ(view.blue(3, 2), 7);
  ReleaseDC(&view, wdc);

  // A paint in progress hands out its own context, which release keeps but restores.
  MemContext paint(4, 4);
  view.mPaint = paint.dc();
  HDC__* pdc = GetDC(&view);
  EXPECT_EQ(pdc, paint.dc());
  const RECT clip = {0, 0, 1, 1};
  GDI_SetClipRegion(pdc, &clip);
  ReleaseDC(&view, pdc);
  GDI_SetPixel(paint.dc(), 3, 3, GDI_RGB(0, 0, 5)); // the clip was undone
  EXPECT_EQ(paint.at(3, 3, 3), 5);
  EXPECT_EQ(view.mLocks, 2);

  view.mPaint = nullptr;
  view.mCanDraw = false;
  EXPECT_EQ(GetDC(&view), nullptr);
  EXPECT_EQ(GetDC(nullptr), nullptr);
  ReleaseDC(nullptr, nullptr);
}

TEST(GdiWindow, SystemColorsAndDialogBackground)
{
  EXPECT_EQ(GetSysColor(0), 0x606060);
  EXPECT_EQ(GetSysColor(1), 0xE0E0E0);
  EXPECT_EQ(GetSysColor(2), 0xC0C0C0);
  EXPECT_EQ(GetSysColor(3), 0);
  EXPECT_EQ(GetSysColor(4), 0xC0C0C0);
  EXPECT_EQ(GetSysColor(5), 0x202020);
  EXPECT_EQ(GetSysColor(6), 0x303030);
  EXPECT_EQ(GetSysColor(7), 0xC0C0C0);
  EXPECT_EQ(GetSysColor(8), 0xFFF0C8);
  EXPECT_EQ(GetSysColor(-1), 0);
  EXPECT_EQ(GetSysColor(9), 0);

  MemContext m(6, 6);
  const RECT r = {1, 1, 3, 4};
  GDI_FillDialogBackground(m.dc(), &r, 0);
  EXPECT_EQ(m.countTouched(), 2 * 3);
  EXPECT_EQ(m.at(2, 3, 1), 0xEC);
  const RECT inverted = {4, 4, 2, 2};
  GDI_FillDialogBackground(m.dc(), &inverted, 0);
  GDI_FillDialogBackground(m.dc(), nullptr, 0);
  EXPECT_EQ(m.countTouched(), 6);
}
