// IGraphics: text through the cached raster fonts, and text from bitmap fonts.

#include <climits>
#include <cmath>
#include <cstring>
#include <memory>

#include "graphics/FontStorage.h"
#include "graphics/IGraphics.h"
#include "graphics/IGraphicsConvert.h"
#include "raster/Raster_Font.h"
#include "raster/Raster_SysBitmap.h"

namespace {

// The drawing-context layer's quality codes.
char FontQuality(IText::EQuality quality)
{
  switch (quality) {
  case IText::kQualityAliased:
    return NONANTIALIASED_QUALITY;
  case IText::kQualityAntialiased:
  case IText::kQualityClearType:
    return ANTIALIASED_QUALITY;
  case IText::kQualityDefault:
  default:
    return DEFAULT_QUALITY;
  }
}

HGDIOBJ__* MakePlatformFont(const IText* text, int height)
{
  // Tenths of a degree, held in range for a hostile orientation.
  const int angle = GraphicsClampToInt(static_cast<long long>(text->mOrientation) * 10);
  char face[IText::kFaceSize];
  std::memcpy(face, text->mFace, sizeof face);
  face[IText::kFaceSize - 1] = '\0';
  return CreateFont(height, 0, angle, angle, text->mStyle == IText::kStyleBold ? FW_BOLD : FW_NORMAL,
                    text->mStyle == IText::kStyleItalic ? 1 : 0, 0, 0, 0, 0, 0, FontQuality(text->mQuality), 0, face);
}

} // namespace

Raster_IFont* IGraphics::CacheFont(IText* text)
{
  if (!text) return nullptr;
  FontStorage& storage = FontStorage::Instance();
  if (Raster_IFont* found = storage.Find(text)) return text->mCachedFont = found;

  const int height = text->mSize < 2 ? 2 : text->mSize;
  HGDIOBJ__* platformFont = MakePlatformFont(text, height);
  if (!platformFont) return nullptr;
  auto font = std::make_unique<Raster_CachedFont>();
  font->SetFromHFont(platformFont, FONT_OWNS_HFONT | FONT_USE_NATIVE);

  // Ask once more so that the pixel size asked for becomes the font's line height.
  const int lineHeight = font->GetLineHeight();
  if (lineHeight > 0 && lineHeight != height) {
    const double retry = static_cast<double>(height) * height / lineHeight + 0.5;
    const int second = retry < 2.0 ? 2 : GraphicsToInt(retry);
    // When the second font cannot be made the first one, which works, is kept.
    if (HGDIOBJ__* secondFont = MakePlatformFont(text, second))
      font->SetFromHFont(secondFont, FONT_OWNS_HFONT | FONT_USE_NATIVE);
  }

  Raster_IFont* made = font.release();
  storage.Add(made, text);
  return text->mCachedFont = made;
}

bool IGraphics::DrawIText(IText* text, char* str, IRECT* rect, bool measure)
{
  if (!str || !*str) return true;
  if (!text || !rect) return false;
  // Measuring answers in editor pixels, so it uses the editor's font; drawing at another scale lays the
  // text out again at the scaled size, rather than enlarging the editor-size glyphs.
  IText scaledText;
  IText* style = text;
  if (!measure && mScale != 1.0) {
    scaledText = *text;
    scaledText.mSize = GraphicsToInt(std::floor(text->mSize * mScale + 0.5));
    scaledText.mCachedFont = nullptr;
    style = &scaledText;
  }
  Raster_IFont* font = style->mCachedFont ? style->mCachedFont : CacheFont(style);
  if (!font) return false;

  font->SetTextColor(text->mColor.ToPixelWord());
  unsigned int format = TEXT_NOCLIP;
  if (text->mAlign == IText::kAlignCenter)
    format |= TEXT_CENTER;
  else if (text->mAlign == IText::kAlignRight)
    format |= TEXT_RIGHT;
  if ((text->mColor.alpha & 0xFF) < 255) format |= TEXT_USEFGALPHA;

  if (!measure) {
    const IRECT area = ToDevice(*rect);
    RECT r = {area.left, area.top, area.right, area.bottom};
    font->DrawText(mCanvas.get(), str, -1, &r, format);
    return true;
  }

  RECT r = {0, 0, 0, 0};
  font->DrawText(mCanvas.get(), str, -1, &r, format | TEXT_CALCRECT);
  const long long w = static_cast<long long>(r.right) - r.left, h = static_cast<long long>(r.bottom) - r.top;
  switch (text->mAlign) {
  case IText::kAlignCenter:
    rect->left = GraphicsClampToInt(GraphicsToInt(rect->CenterX()) - w / 2);
    rect->right = GraphicsClampToInt(rect->left + w);
    break;
  case IText::kAlignRight:
    rect->left = GraphicsClampToInt(rect->right - w);
    break;
  case IText::kAlignLeft:
  default:
    rect->right = GraphicsClampToInt(rect->left + w);
    break;
  }
  rect->bottom = GraphicsClampToInt(rect->top + h);
  return true;
}

void DrawBitmapedText(IGraphics* graphics, IBitmap* glyphs, IRECT* rect, IText* style, IChannelBlend* blend,
                      const char* str, bool vCenter, bool multiline, int charWidth, int charHeight, int charSpacing)
{
  if (!graphics || !glyphs || !rect || !str || !*str) return;
  // Cells without a size cannot be laid out (and would divide by zero).
  if (charWidth <= 0 || charHeight <= 0) return;

  long long y0 = rect->top;
  if (vCenter) y0 += (static_cast<long long>(rect->bottom) - charHeight - rect->top) / 2;
  const long long n = static_cast<long long>(std::strlen(str));
  const long long width = static_cast<long long>(rect->right) - rect->left - 2LL * charWidth;
  if (width <= 0) return;

  long long perLine = width / charWidth, rows = 1;
  if (multiline) {
    if (width < charWidth * n)
      rows = charWidth * n / width;
    else
      perLine = n;
  }
  if (perLine <= 0) return;

  const long long x0 = (style && style->mAlign == IText::kAlignCenter)
                           ? rect->left + (static_cast<long long>(rect->right) - charWidth * n - rect->left) / 2
                           : static_cast<long long>(rect->left) + charWidth;

  // The multiline count truncates, so one more line takes the rest; a single line is one line only
  // (a second one would fall below the rectangle).
  const long long lastLine = multiline ? rows : 0;
  for (long long i = 0; i <= lastLine; ++i) {
    long long x = x0;
    const long long top = y0 + static_cast<long long>(charHeight) * i;
    for (long long j = 0; j < perLine; ++j) {
      const long long idx = i * perLine + j;
      if (idx >= n) return;
      const int c = static_cast<unsigned char>(str[idx]);
      // Frame c - 32 shows c; characters the strip has no frame for stay blank rather than reading
      // past the image.
      const int frame = c < 32 ? 0 : c - 32; // below the space: frame 0, as a state below 1 draws
      if (frame >= 0 && frame < glyphs->mFrames) {
        IRECT cell(GraphicsClampToInt(x), GraphicsClampToInt(top), GraphicsClampToInt(x + charWidth),
                   GraphicsClampToInt(top + charHeight));
        graphics->DrawBitmap(glyphs, &cell, frame + 1, blend);
      }
      x += static_cast<long long>(charWidth) + charSpacing;
    }
  }
}
