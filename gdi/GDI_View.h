#pragma once
// HWND__: what GetDC, GetWindowDC and ReleaseDC need of a window or view. The editor host (a layer
// above) implements it for its views; this layer only calls through it.

struct HDC__;
struct GDI_Surface;

struct HWND__
{
  virtual ~HWND__() {}
  // The context of a paint in progress, or null outside a paint.
  virtual HDC__* GetPaintContext() { return nullptr; }
  // Makes the view drawable outside a paint and answers its surface, or null when it cannot draw.
  virtual GDI_Surface* LockFocus() = 0;
  virtual void UnlockFocus() = 0;
  // Where the content view's top-left lies in window coordinates.
  virtual void GetContentOrigin(int* x, int* y)
  {
    *x = 0;
    *y = 0;
  }
};
