// Contexts for windows and views, system colours and the dialog background.

#include "gdi/GDI_Path.h"
#include "gdi/GDI_Records.h"
#include "gdi/GDI_Surface.h"
#include "gdi/GDI_View.h"

namespace {
// The dialog-background theme colour.
const int kDialogBackground = 0xECECEC;

HDC__* ContextFor(HWND hwnd, bool window)
{
  if (!hwnd) return nullptr;
  HDC__* ctx = hwnd->GetPaintContext();
  if (!GDI_IsLiveContext(ctx) || !ctx->mSurface) {
    GDI_Surface* surface = hwnd->LockFocus();
    ctx = surface ? GDI_CreateGfxContext(surface) : nullptr;
    if (!ctx) {
      if (surface) hwnd->UnlockFocus();
      return nullptr;
    }
    ctx->mFocusedView = hwnd;
  }
  ctx->mSurface->SaveState();
  if (window) {
    // Window coordinates count from the window's corner, the surface's from the content view's.
    int x = 0, y = 0;
    hwnd->GetContentOrigin(&x, &y);
    ctx->mSurface->Translate(-x, -y);
  }
  return ctx;
}
} // namespace

HDC__* GetDC(HWND hwnd)
{
  return ContextFor(hwnd, false);
}

HDC__* GetWindowDC(HWND hwnd)
{
  return ContextFor(hwnd, true);
}

void ReleaseDC(HWND hwnd, HDC__* ctx)
{
  (void)hwnd;
  if (!GDI_IsLiveContext(ctx) || !ctx->mSurface) return;
  ctx->mSurface->RestoreState();
  if (HWND view = static_cast<HWND>(ctx->mFocusedView)) {
    GDI_DeleteGfxContext(ctx);
    view->UnlockFocus();
  }
}

int GetSysColor(int index)
{
  switch (index) {
  case 0:
    return 0x606060;
  case 1:
    return 0xE0E0E0;
  case 2:
  case 4:
  case 7:
    return 0xC0C0C0;
  case 5:
    return 0x202020;
  case 6:
    return 0x303030;
  case 8:
    return 0xFFF0C8;
  default:
    return 0;
  }
}

void GDI_FillDialogBackground(HDC__* ctx, const RECT* r, int kind)
{
  (void)kind;
  GDI_Surface* s = GDI_DrawableSurface(ctx);
  if (!s || !r || r->right <= r->left || r->bottom <= r->top) return;
  GDI_FillRectF(s, r->left, r->top, r->right, r->bottom, GDI_MakeColor(kDialogBackground, 1.0f), false);
}
