// Our own small windows, painted with the drawing-context layer.
#include <X11Host/X11Canvas.h>

#include <algorithm>

namespace BrindleHost {

namespace {
const int kFontHeight = 14;
const char kFontFace[] = "DejaVu Sans";
} // namespace

X11Canvas::X11Canvas(X11Backend& backend, int x, int y, int w, int h, bool popup, const std::string& title)
    : mBackend(backend), mX(x), mY(y), mWidth(std::max(w, 1)), mHeight(std::max(h, 1))
{
  Display* display = backend.XDisplay();
  mWindow = backend.CreatePlainWindow(x, y, mWidth, mHeight, popup, title);
  mGC = XCreateGC(display, mWindow, 0, nullptr);
  mContext = GDI_CreateMemContext(nullptr, mWidth, mHeight);
  mFont = CreateFont(kFontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, kFontFace);
  mBold = CreateFont(kFontHeight, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, kFontFace);
  mImage =
      std::make_unique<X11Image>(display, backend.XVisual(), backend.XDepth(), mWidth, mHeight, backend.SharedMemory());
  if (mContext) SetBkMode(mContext, TRANSPARENT);
}

X11Canvas::~X11Canvas()
{
  mImage.reset();
  if (mContext) SelectObject(mContext, reinterpret_cast<HGDIOBJ__*>(3));
  DeleteObject(mFont);
  DeleteObject(mBold);
  GDI_DeleteGfxContext(mContext);
  Display* display = mBackend.XDisplay();
  XFreeGC(display, mGC);
  XDestroyWindow(display, mWindow);
  XFlush(display);
}

void X11Canvas::Map()
{
  XMapRaised(mBackend.XDisplay(), mWindow);
  XFlush(mBackend.XDisplay());
}

void X11Canvas::Fill(const RECT& r, int colour)
{
  HGDIOBJ__* brush = CreateSolidBrush(colour);
  GDI_FillRect(mContext, &r, brush);
  DeleteObject(brush);
}

void X11Canvas::Frame(const RECT& r, int colour)
{
  Fill({r.left, r.top, r.right, r.top + 1}, colour);
  Fill({r.left, r.bottom - 1, r.right, r.bottom}, colour);
  Fill({r.left, r.top, r.left + 1, r.bottom}, colour);
  Fill({r.right - 1, r.top, r.right, r.bottom}, colour);
}

void X11Canvas::Text(RECT r, const std::string& text, int colour, int format, bool bold)
{
  if (!mContext) return;
  SelectObject(mContext, bold ? mBold : mFont);
  SetTextColor(mContext, colour);
  GDI_DrawText(mContext, text.c_str(), -1, &r, format | TEXT_NOPREFIX);
}

int X11Canvas::MeasureText(const std::string& text, bool bold)
{
  if (text.empty()) return 0;
  HDC__* context = GDI_CreateMemContext(nullptr, 1, 1);
  HGDIOBJ__* font =
      CreateFont(kFontHeight, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, kFontFace);
  SelectObject(context, font);
  RECT r = {0, 0, 0, 0};
  GDI_DrawText(context, text.c_str(), -1, &r, TEXT_CALCRECT | TEXT_SINGLELINE | TEXT_NOPREFIX);
  SelectObject(context, reinterpret_cast<HGDIOBJ__*>(3));
  DeleteObject(font);
  GDI_DeleteGfxContext(context);
  return r.right - r.left;
}

void X11Canvas::Present()
{
  if (!mContext || !mImage || !mImage->Valid()) return;
  ConvertPixels(static_cast<const uint8_t*>(GDI_GetCtxFrameBuffer(mContext)),
                static_cast<size_t>(GDI_GetCtxRowSpan(mContext)) * 4, kContextFrameLayout, mImage->Row(0),
                mImage->Stride(), mImage->Layout(), mWidth, mHeight);
  mImage->Put(mWindow, mGC, 0, 0, mWidth, mHeight);
}

} // namespace BrindleHost
