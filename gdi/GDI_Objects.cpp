// Pens, brushes, fonts and stock objects; selecting, deleting and cloning them.

#include "gdi/GDI_Font.h"
#include "gdi/GDI_Image.h"
#include "gdi/GDI_Records.h"

#include <cmath>
#include <cstring>
#include <string>

namespace {
// Stock objects: static records that are never pooled or freed.
HGDIOBJ__ s_nullPen = {GDI_OBJ_PEN, 0, {0, 0, 0, 0, 0.0f}, -1, nullptr, 0.0f, 0, nullptr, nullptr, 0};
HGDIOBJ__ s_nullBrush = {GDI_OBJ_BRUSH, 0, {0, 0, 0, 0, 0.0f}, -1, nullptr, 0.0f, 0, nullptr, nullptr, 0};

bool IsStock(const HGDIOBJ__* obj)
{
  return obj == &s_nullPen || obj == &s_nullBrush;
}

HGDIOBJ__* NewColored(int type, int width, int color, float alpha)
{
  HGDIOBJ__* obj = GDP_OBJECT_NEW();
  if (!obj) return nullptr;
  obj->mType = type;
  obj->mWidth = width;
  obj->mColor = GDI_MakeColor(color, alpha);
  return obj;
}

const size_t kMaxFaceName = 899;

// Through float so that INT_MIN has a magnitude too.
float FontSize(int height, int width)
{
  const float size = std::fabs((float)(height ? height : width));
  return size > 8192.0f || size < 2.0f ? 10.0f : size;
}

int FontQuality(char quality)
{
  const int q = (unsigned char)quality;
  return (q == NONANTIALIASED_QUALITY || q == ANTIALIASED_QUALITY) ? q : DEFAULT_QUALITY;
}
} // namespace

HGDIOBJ__* CreatePen(int style, int width, int color)
{
  return CreatePenAlpha(style, width, color, 1.0f);
}

HGDIOBJ__* CreatePenAlpha(int style, int width, int color, float alpha)
{
  (void)style;
  return NewColored(GDI_OBJ_PEN, width > 0 ? width : 0, color, alpha);
}

HGDIOBJ__* CreateSolidBrush(int color)
{
  return CreateSolidBrushAlpha(color, 1.0f);
}

HGDIOBJ__* CreateSolidBrushAlpha(int color, float alpha)
{
  return NewColored(GDI_OBJ_BRUSH, 0, color, alpha);
}

HGDIOBJ__* GetStockObject(int which)
{
  if (which == NULL_PEN) return &s_nullPen;
  if (which == NULL_BRUSH) return &s_nullBrush;
  return nullptr;
}

HGDIOBJ__* CreateFont(int height, int width, int escapement, int orientation, int weight, char italic, char underline,
                      char strikeout, char charset, char outprec, char clipprec, char quality, char pitchAndFamily,
                      const char* face)
{
  (void)escapement;
  (void)underline;
  (void)strikeout;
  (void)charset;
  (void)outprec;
  (void)clipprec;
  (void)pitchAndFamily;
  HGDIOBJ__* obj = GDP_OBJECT_NEW();
  if (!obj) return nullptr;
  obj->mType = GDI_OBJ_FONT;

  const float size = FontSize(height, width);
  obj->mOrientation = (float)orientation / 10.0f;

  std::string name = face ? std::string(face, strnlen(face, kMaxFaceName)) : std::string();
  const bool bold = weight >= FW_BOLD;
  const bool isItalic = italic != 0;

  const std::string platformName = GDI_ResolveFontName(name.c_str(), bold, isItalic);
  obj->mFont = platformName.empty() ? nullptr : GDI_FontOpen(platformName, size);
  if (!obj->mFont) obj->mFont = GDI_FontOpenLabel(size);

  obj->mQuality = FontQuality(quality);
  return obj;
}

HGDIOBJ__* GDI_CreateFontFromFile(const char* path, int height, char quality)
{
  // A platform font name is the file up to its first '|', so such a path cannot be named.
  if (!path || !path[0] || std::strchr(path, '|')) return nullptr;
  GDI_Font* font = GDI_FontOpen(std::string(path) + "|0|0|0", FontSize(height, 0));
  if (!font) return nullptr;
  HGDIOBJ__* obj = GDP_OBJECT_NEW();
  if (!obj) {
    GDI_FontRelease(font);
    return nullptr;
  }
  obj->mType = GDI_OBJ_FONT;
  obj->mFont = font;
  obj->mQuality = FontQuality(quality);
  return obj;
}

HGDIOBJ__* CreateFontIndirect(const LOGFONT* lf)
{
  if (!lf) return nullptr;
  // The face field need not be terminated.
  char face[sizeof(lf->lfFaceName) + 1];
  std::memcpy(face, lf->lfFaceName, sizeof(lf->lfFaceName));
  face[sizeof(lf->lfFaceName)] = 0;
  return CreateFont(lf->lfHeight, lf->lfWidth, lf->lfEscapement, lf->lfOrientation, lf->lfWeight, lf->lfItalic,
                    lf->lfUnderline, lf->lfStrikeOut, lf->lfCharSet, lf->lfOutPrecision, lf->lfClipPrecision,
                    lf->lfQuality, lf->lfPitchAndFamily, face);
}

HGDIOBJ__* SelectObject(HDC__* ctx, HGDIOBJ__* obj)
{
  if (!GDI_IsLiveContext(ctx)) return nullptr;
  const uintptr_t handle = (uintptr_t)obj;
  if (handle >= 1 && handle <= 3) {
    HGDIOBJ__** slot = handle == GDI_OBJ_PEN     ? &ctx->mCurPen
                       : handle == GDI_OBJ_BRUSH ? &ctx->mCurBrush
                                                 : &ctx->mCurFont;
    HGDIOBJ__* previous = *slot;
    *slot = nullptr;
    return GDI_IsLiveObject(previous) ? previous : obj;
  }
  if (!GDI_IsLiveObject(obj)) return nullptr;
  HGDIOBJ__** slot = nullptr;
  switch (obj->mType) {
  case GDI_OBJ_PEN:
    slot = &ctx->mCurPen;
    break;
  case GDI_OBJ_BRUSH:
    slot = &ctx->mCurBrush;
    break;
  case GDI_OBJ_FONT:
    slot = &ctx->mCurFont;
    break;
  default:
    return nullptr;
  }
  HGDIOBJ__* previous = *slot;
  *slot = obj;
  // A stale (already deleted) previous object is reported as an empty slot.
  return GDI_IsLiveObject(previous) ? previous : reinterpret_cast<HGDIOBJ__*>((uintptr_t)obj->mType);
}

void DeleteObject(HGDIOBJ__* obj)
{
  if (!GDI_IsLiveObject(obj) || IsStock(obj)) return;
  if (--obj->mExtraRefs >= 0) return;
  if (obj->mType < GDI_OBJ_PEN || obj->mType > GDI_OBJ_IMAGE) return;
  if (obj->mType == GDI_OBJ_FONT) GDI_FontRelease(obj->mFont);
  if (obj->mType == GDI_OBJ_IMAGE && obj->mWidth == 1) GDI_ImageRelease(obj->mImage);
  GDI_RecycleObject(obj);
}

HGDIOBJ__* GDI_CloneGDIObject(HGDIOBJ__* obj)
{
  if (!GDI_IsLiveObject(obj)) return nullptr;
  if (!IsStock(obj)) obj->mExtraRefs++;
  return obj;
}
