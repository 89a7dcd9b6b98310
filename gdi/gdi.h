#pragma once
// Drawing contexts and drawing objects with the calling conventions of a classic GDI interface.
//
// The raster library and the editor reach 2-D graphics and text through this layer: memory contexts
// whose pixels are an off-screen frame (bytes X, R, G, B per pixel, rows top-down, the frame starting
// on a 64-byte boundary), pens, brushes and fonts selected into a context, text drawn and measured in
// a context, shapes, blits, clip regions and small image objects. Drawing lands directly in the
// context's pixel memory; text comes from fontconfig (faces by name and style) and FreeType (glyphs).
//
// Colours here ("context colours") are ints with red in bits 16-23, green in bits 8-15 and blue in
// bits 0-7. Handles that are null, below 5, or already deleted (sitting in a recycling pool) are
// ignored by every function, which then does nothing and answers 0 or null.

struct HDC__;     // a drawing context
struct HGDIOBJ__; // a drawing object: pen, brush, font or image
struct HWND__;    // a window or view; see gdi/GDI_View.h
struct GDI_Image; // the pixels behind an image object; see gdi/GDI_Image.h
struct GDI_ImageList;

typedef HDC__* HDC;
typedef HGDIOBJ__* HGDIOBJ;
typedef HGDIOBJ__* HPEN;
typedef HGDIOBJ__* HBRUSH;
typedef HGDIOBJ__* HFONT;
typedef HGDIOBJ__* HBITMAP;
typedef HGDIOBJ__* HICON;
typedef HWND__* HWND;
typedef GDI_ImageList* HIMAGELIST;

// Right and bottom edges are exclusive.
struct RECT
{
  int left, top, right, bottom;
};

struct POINT
{
  int x, y;
};

struct TEXTMETRIC
{
  int tmHeight;
  int tmAscent;
  int tmDescent;
  int tmInternalLeading;
  int tmAveCharWidth;
};

struct LOGFONT
{
  int lfHeight;
  int lfWidth;
  int lfEscapement;
  int lfOrientation;
  int lfWeight;
  char lfItalic;
  char lfUnderline;
  char lfStrikeOut;
  char lfCharSet;
  char lfOutPrecision;
  char lfClipPrecision;
  char lfQuality;
  char lfPitchAndFamily;
  char lfFaceName[32];
};

// Image size as answered by GetObject.
struct BITMAP
{
  int bmWidth;
  int bmHeight;
};

struct ICONINFO
{
  int fIcon;
  int xHotspot;
  int yHotspot;
  HGDIOBJ__* hbmMask;
  HGDIOBJ__* hbmColor;
};

// A context colour from its components.
#define GDI_RGB(r, g, b) ((((r)&0xFF) << 16) | (((g)&0xFF) << 8) | ((b)&0xFF))

// Object types (the first field of every object record).
enum { GDI_OBJ_PEN = 1, GDI_OBJ_BRUSH = 2, GDI_OBJ_FONT = 3, GDI_OBJ_IMAGE = 4 };

// Stock objects.
#define NULL_PEN 1
#define NULL_BRUSH 2

// Pen styles (accepted, not distinguished: every pen is solid).
#define PS_SOLID 0

// Background modes: 1 fills a text's box with the background colour first.
#define TRANSPARENT 0
#define OPAQUE 1

// Font weights and qualities.
#define FW_NORMAL 400
#define FW_BOLD 700
#define DEFAULT_QUALITY 0
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4

// Text format flags (GDI_DrawText; the raster library's fonts understand the same values).
#define TEXT_CALCRECT 0x1 // measure: set right and bottom, draw nothing
#define TEXT_VCENTER 0x2
#define TEXT_CENTER 0x4
#define TEXT_BOTTOM 0x10
#define TEXT_RIGHT 0x20
#define TEXT_SINGLELINE 0x40 // a line feed counts as a space
#define TEXT_NOPREFIX 0x80   // '&' is an ordinary character
#define TEXT_NOCLIP 0x100    // do not clip to the rectangle
#define TEXT_USEFGALPHA 0x40000000
#define TEXT_NONATIVE 0x80000000

// Blit modes: plain copy, or the source's first byte taken as (non-premultiplied) alpha.
#define SRCCOPY 0
#define GDI_BLIT_SOURCE_ALPHA ((int)0xDEADBEEF)

// ---- Contexts ----

// A memory context of w x h pixels over its own zeroed frame buffer. The reference context is unused.
// Answers null for non-positive or unreasonably large sizes.
HDC__* GDI_CreateMemContext(HDC__* ref, int w, int h);
// The 64-byte-aligned frame buffer of a memory context (pixel (x, y) at byte 4 * (x + y * w)), or null.
void* GDI_GetCtxFrameBuffer(HDC__* ctx);
// Pixels per frame-buffer row of a memory context (its width), or 0.
int GDI_GetCtxRowSpan(HDC__* ctx);
// The platform context drawn into (a GDI_Surface, gdi/GDI_Surface.h), or null.
void* GDI_GetCtxGC(HDC__* ctx);
// A context drawing into a caller-owned GDI_Surface (which must outlive the context).
HDC__* GDI_CreateGfxContext(void* platformGraphicsContext);
// Deletes any context; null and already deleted contexts are ignored.
void GDI_DeleteGfxContext(HDC__* ctx);

// Zeroed records, recycled from the pools when possible.
HDC__* GDI_GDP_CTX_NEW();
HGDIOBJ__* GDP_OBJECT_NEW();

// ---- Objects ----

HGDIOBJ__* CreatePen(int style, int width, int color);
HGDIOBJ__* CreatePenAlpha(int style, int width, int color, float alpha);
HGDIOBJ__* CreateSolidBrush(int color);
HGDIOBJ__* CreateSolidBrushAlpha(int color, float alpha);
// NULL_PEN or NULL_BRUSH (never deleted); null for anything else.
HGDIOBJ__* GetStockObject(int which);
HGDIOBJ__* CreateFont(int height, int width, int escapement, int orientation, int weight, char italic, char underline,
                      char strikeout, char charset, char outprec, char clipprec, char quality, char pitchAndFamily,
                      const char* face);
HGDIOBJ__* CreateFontIndirect(const LOGFONT* lf);
// A font read from one font file (its first face) at a height in pixels, sized like CreateFont (a
// magnitude below 2 or above 8192 becomes 10), with no face-name lookup: what else is installed cannot
// change which outlines are drawn (only characters the file lacks come from an installed face). Null
// when the path is null or empty, contains '|', or does not name a readable scalable font.
HGDIOBJ__* GDI_CreateFontFromFile(const char* path, int height, char quality);
// Puts the object into its slot and answers the previous one (or the type number when the slot was
// empty). Handles 1, 2 and 3 empty the pen, brush and font slot.
HGDIOBJ__* SelectObject(HDC__* ctx, HGDIOBJ__* obj);
// Drops one reference; the last one frees the object. Stock objects are ignored.
void DeleteObject(HGDIOBJ__* obj);
// Adds a reference, so one more DeleteObject is needed; answers the same handle.
HGDIOBJ__* GDI_CloneGDIObject(HGDIOBJ__* obj);

// ---- Text ----

void SetTextColor(HDC__* ctx, int color);
int GetTextColor(HDC__* ctx);
void SetBkColor(HDC__* ctx, int color);
void SetBkMode(HDC__* ctx, int mode);
// 1 on success; tm always receives values (defaults 16, 12, 4, 3, 10 without a usable font).
int GetTextMetrics(HDC__* ctx, TEXTMETRIC* tm);
// Draws (or with TEXT_CALCRECT measures) up to len bytes of UTF-8 text (len < 0: to the terminator)
// in r; answers the text height.
int GDI_DrawText(HDC__* ctx, const char* text, int len, RECT* r, int format);

// ---- Shapes ----

void GDI_FillRect(HDC__* ctx, const RECT* r, HGDIOBJ__* brush);
void Rectangle(HDC__* ctx, int l, int t, int r, int b);
void Ellipse(HDC__* ctx, int l, int t, int r, int b);
void GDI_Polygon(HDC__* ctx, const POINT* pts, int n);
void RoundRect(HDC__* ctx, int l, int t, int r, int b, int w, int h);
void MoveToEx(HDC__* ctx, int x, int y, POINT* prev);
void GDI_LineTo(HDC__* ctx, int x, int y);
void PolyBezierTo(HDC__* ctx, const POINT* pts, int n);
void PolyPolyline(HDC__* ctx, const POINT* pts, const int* counts, int n);
void GDI_SetPixel(HDC__* ctx, int x, int y, int color);

// ---- Blits and clipping ----

void BitBlt(HDC__* dst, int x, int y, int w, int h, HDC__* src, int sx, int sy, int mode);
void StretchBlt(HDC__* dst, int x, int y, int w, int h, HDC__* src, int sx, int sy, int sw, int sh, int mode);
void GDI_PushClipRegion(HDC__* ctx);
void GDI_SetClipRegion(HDC__* ctx, const RECT* r);
void GDI_PopClipRegion(HDC__* ctx);

// ---- Windows and system colours ----

HDC__* GetDC(HWND hwnd);
HDC__* GetWindowDC(HWND hwnd);
void ReleaseDC(HWND hwnd, HDC__* ctx);
int GetSysColor(int index);
void GDI_FillDialogBackground(HDC__* ctx, const RECT* r, int kind);

// ---- Images ----

// An image from a PNG file (names containing '/'); with alphaFromColorKey, pure magenta turns transparent.
HGDIOBJ__* LoadNamedImage(const char* name, bool alphaFromColorKey);
void DrawImageInRect(HDC__* ctx, HGDIOBJ__* image, const RECT* r);
// An image from w x h 32-bit pixels in the frame-buffer byte order, byte 0 taken as alpha.
HGDIOBJ__* CreateBitmap(int w, int h, int planes, int bpp, const void* bits);
HGDIOBJ__* CreateIconIndirect(const ICONINFO* info);
GDI_Image* GetNSImageFromHICON(HGDIOBJ__* icon);
// For images and bufsize >= sizeof(BITMAP): fills a BITMAP and answers its size; else 0.
int GetObject(HGDIOBJ__* obj, int bufsize, void* buf);

HIMAGELIST ImageList_CreateEx();
// Replaces the image at index (or appends when index < 0) with a reference to icon; answers its index.
int ImageList_ReplaceIcon(HIMAGELIST list, int index, HGDIOBJ__* icon);
int ImageList_GetImageCount(HIMAGELIST list);
// Removes the image at index (-1: all), dropping the list's reference.
void ImageList_Remove(HIMAGELIST list, int index);
void ImageList_Destroy(HIMAGELIST list);
