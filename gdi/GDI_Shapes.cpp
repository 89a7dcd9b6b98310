// Shapes, lines, curves and pixels drawn with the context's pen and brush; clip regions.

#include "gdi/GDI_Path.h"
#include "gdi/GDI_Records.h"
#include "gdi/GDI_Surface.h"

#include <algorithm>
#include <climits>

namespace {
bool UsablePen(HDC__* ctx)
{
  HGDIOBJ__* p = ctx->mCurPen;
  return GDI_IsLiveObject(p) && p->mType == GDI_OBJ_PEN && p->mWidth >= 0;
}

bool UsableBrush(HDC__* ctx)
{
  HGDIOBJ__* b = ctx->mCurBrush;
  return GDI_IsLiveObject(b) && b->mType == GDI_OBJ_BRUSH && b->mWidth >= 0;
}

double PenWidth(HDC__* ctx)
{
  return ctx->mCurPen->mWidth > 0 ? (double)ctx->mCurPen->mWidth : 1.0;
}

// Fill and outline of a shape whose outline is inset by half the pen width, so that a rectangle's
// border lies on the pixels just inside (l, t, r, b).
void FillAndFrame(HDC__* ctx, int l, int t, int r, int b, bool ellipse)
{
  GDI_Surface* s = GDI_DrawableSurface(ctx);
  if (!s || r <= l || b <= t) return;
  const bool aa = s->mState.mAntiAlias;
  if (UsableBrush(ctx)) {
    GDI_Path fill;
    if (ellipse)
      fill.AddEllipse(l, t, r, b);
    else
      fill.AddRect(l, t, r, b);
    GDI_FillPath(s, fill, ctx->mCurBrush->mColor, aa);
  }
  if (UsablePen(ctx)) {
    const double w = PenWidth(ctx), hw = w * 0.5;
    const double il = l + hw, it = t + hw, ir = r - hw, ib = b - hw;
    GDI_Path frame;
    if (ir <= il || ib <= it) {
      // Thinner than the pen: the outline covers it all.
      if (ellipse)
        frame.AddEllipse(l, t, r, b);
      else
        frame.AddRect(l, t, r, b);
      GDI_FillPath(s, frame, ctx->mCurPen->mColor, aa);
      return;
    }
    if (ellipse)
      frame.AddEllipse(il, it, ir, ib);
    else
      frame.AddRect(il, it, ir, ib);
    GDI_StrokePath(s, frame, true, w, ctx->mCurPen->mColor, aa);
  }
}
} // namespace

void GDI_FillRect(HDC__* ctx, const RECT* r, HGDIOBJ__* brush)
{
  GDI_Surface* s = GDI_DrawableSurface(ctx);
  if (!s || !r || !GDI_IsLiveObject(brush) || brush->mType != GDI_OBJ_BRUSH || brush->mWidth < 0) return;
  if (r->right <= r->left || r->bottom <= r->top) return;
  GDI_FillRectF(s, r->left, r->top, r->right, r->bottom, brush->mColor, s->mState.mAntiAlias);
}

void Rectangle(HDC__* ctx, int l, int t, int r, int b)
{
  if (GDI_IsLiveContext(ctx)) FillAndFrame(ctx, l, t, r, b, false);
}

void Ellipse(HDC__* ctx, int l, int t, int r, int b)
{
  if (GDI_IsLiveContext(ctx)) FillAndFrame(ctx, l, t, r, b, true);
}

void GDI_Polygon(HDC__* ctx, const POINT* pts, int n)
{
  GDI_Surface* s = GDI_DrawableSurface(ctx);
  if (!s || !pts || n < 2) return;
  const bool brush = UsableBrush(ctx), pen = UsablePen(ctx);
  if (!brush && !pen) return;
  GDI_Path path;
  path.MoveTo(pts[0].x, pts[0].y);
  for (int i = 1; i < n; i++) path.LineTo(pts[i].x, pts[i].y);
  if (brush) GDI_FillPath(s, path, ctx->mCurBrush->mColor, s->mState.mAntiAlias);
  if (pen) GDI_StrokePath(s, path, true, PenWidth(ctx), ctx->mCurPen->mColor, s->mState.mAntiAlias);
}

void RoundRect(HDC__* ctx, int l, int t, int r, int b, int w, int h)
{
  // 64-bit so that extreme corner sizes cannot overflow.
  const long long cw = (long long)w / 3, ch = (long long)h / 3;
  auto clampInt = [](long long v) { return (int)std::min<long long>(INT_MAX, std::max<long long>(INT_MIN, v)); };
  const POINT pts[8] = {{clampInt(l + cw), t}, {clampInt(r - cw), t}, {r, clampInt(t + ch)}, {r, clampInt(b - ch)},
                        {clampInt(r - cw), b}, {clampInt(l + cw), b}, {l, clampInt(b - ch)}, {l, clampInt(t + ch)}};
  GDI_Polygon(ctx, pts, 8);
}

void MoveToEx(HDC__* ctx, int x, int y, POINT* prev)
{
  if (!GDI_IsLiveContext(ctx)) return;
  if (prev) {
    prev->x = (int)ctx->mCurX;
    prev->y = (int)ctx->mCurY;
  }
  ctx->mCurX = (float)x;
  ctx->mCurY = (float)y;
}

void GDI_LineTo(HDC__* ctx, int x, int y)
{
  if (!GDI_IsLiveContext(ctx)) return;
  GDI_Surface* s = GDI_DrawableSurface(ctx);
  if (s && UsablePen(ctx)) {
    const double w = PenWidth(ctx), hw = w * 0.5;
    GDI_Path path;
    path.MoveTo(ctx->mCurX + hw, ctx->mCurY + hw);
    path.LineTo(x + hw, y + hw);
    GDI_StrokePath(s, path, false, w, ctx->mCurPen->mColor, s->mState.mAntiAlias);
  }
  ctx->mCurX = (float)x;
  ctx->mCurY = (float)y;
}

void PolyBezierTo(HDC__* ctx, const POINT* pts, int n)
{
  if (!GDI_IsLiveContext(ctx) || !pts || n < 3) return;
  const int segments = n / 3;
  GDI_Surface* s = GDI_DrawableSurface(ctx);
  if (s && UsablePen(ctx)) {
    GDI_Path path;
    path.MoveTo(ctx->mCurX, ctx->mCurY);
    for (int i = 0; i < segments; i++) {
      const POINT* p = pts + 3 * i;
      path.CubicTo(p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
    }
    GDI_StrokePath(s, path, false, PenWidth(ctx), ctx->mCurPen->mColor, s->mState.mAntiAlias);
  }
  ctx->mCurX = (float)pts[3 * segments - 1].x;
  ctx->mCurY = (float)pts[3 * segments - 1].y;
}

void PolyPolyline(HDC__* ctx, const POINT* pts, const int* counts, int n)
{
  GDI_Surface* s = GDI_DrawableSurface(ctx);
  if (!s || !pts || !counts || n <= 0 || !UsablePen(ctx)) return;
  const double w = PenWidth(ctx), hw = w * 0.5;
  GDI_Path path;
  for (int i = 0; i < n; i++) {
    const int c = counts[i];
    if (c < 0) break; // a negative count leaves the rest of the array unknown
    if (c >= 2) {
      path.MoveTo(pts[0].x + hw, pts[0].y + hw);
      for (int j = 1; j < c; j++) path.LineTo(pts[j].x + hw, pts[j].y + hw);
    }
    pts += c;
  }
  GDI_StrokePath(s, path, false, w, ctx->mCurPen->mColor, s->mState.mAntiAlias);
}

void GDI_SetPixel(HDC__* ctx, int x, int y, int color)
{
  GDI_Surface* s = GDI_DrawableSurface(ctx);
  if (!s) return;
  // Exactly the pixel's square, so the pixel takes the colour and its neighbours stay untouched.
  GDI_FillRectF(s, x, y, (double)x + 1.0, (double)y + 1.0, GDI_MakeColor(color, 1.0f), false);
}

void GDI_PushClipRegion(HDC__* ctx)
{
  if (GDI_IsLiveContext(ctx) && ctx->mSurface) ctx->mSurface->SaveState();
}

void GDI_SetClipRegion(HDC__* ctx, const RECT* r)
{
  if (GDI_IsLiveContext(ctx) && ctx->mSurface && r) ctx->mSurface->ClipToRect(r->left, r->top, r->right, r->bottom);
}

void GDI_PopClipRegion(HDC__* ctx)
{
  if (GDI_IsLiveContext(ctx) && ctx->mSurface) ctx->mSurface->RestoreState();
}
