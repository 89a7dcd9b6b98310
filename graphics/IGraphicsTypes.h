#pragma once
// The small value types every part of the editor shares: integer rectangles, colours and the named
// colours, text styles, blend descriptions, cached-image handles and mouse modifiers. All are plain
// records copied by value; none owns anything.
//
// Editor coordinates are integer pixels, origin at the top left, y growing downwards. A rectangle's right
// and bottom edges are exclusive for hit tests, and a rectangle with all four fields 0 is "empty".

class Raster_IBitmap;
class Raster_IFont;

struct IRECT
{
  int left = 0, top = 0, right = 0, bottom = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}

  bool IsEmpty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  // Differences are taken in 64 bits so that hostile coordinates cannot overflow.
  int Width() const { return static_cast<int>(static_cast<long long>(right) - left); }
  int Height() const { return static_cast<int>(static_cast<long long>(bottom) - top); }
  float CenterX() const { return (static_cast<float>(left) + static_cast<float>(right)) * 0.5f; }
  float CenterY() const { return (static_cast<float>(top) + static_cast<float>(bottom)) * 0.5f; }

  bool Contains(int x, int y) const { return !IsEmpty() && x >= left && x < right && y >= top && y < bottom; }

  // The right and bottom edges count as touching here, unlike in Contains.
  bool Intersects(const IRECT& o) const
  {
    return !IsEmpty() && !o.IsEmpty() && right >= o.left && left < o.right && bottom >= o.top && top < o.bottom;
  }

  IRECT Intersection(const IRECT& o) const
  {
    if (!Intersects(o)) return IRECT();
    return IRECT(left > o.left ? left : o.left, top > o.top ? top : o.top, right < o.right ? right : o.right,
                 bottom < o.bottom ? bottom : o.bottom);
  }

  IRECT Union(const IRECT& o) const
  {
    if (IsEmpty()) return o;
    if (o.IsEmpty()) return *this;
    return IRECT(left < o.left ? left : o.left, top < o.top ? top : o.top, right > o.right ? right : o.right,
                 bottom > o.bottom ? bottom : o.bottom);
  }

  bool operator==(const IRECT& o) const
  {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const IRECT& o) const { return !(*this == o); }
};

// Components 0..255; only the low 8 bits of each reach the pixel word.
struct IColor
{
  int alpha = 255, red = 0, green = 0, blue = 0;

  constexpr IColor() = default;
  constexpr IColor(int a, int r, int g, int b) : alpha(a), red(r), green(g), blue(b) {}

  // The raster pixel word: alpha in bits 0-7, red 8-15, green 16-23, blue 24-31.
  constexpr unsigned int ToPixelWord() const
  {
    return (static_cast<unsigned int>(alpha) & 0xFFu) | (static_cast<unsigned int>(red) & 0xFFu) << 8 |
           (static_cast<unsigned int>(green) & 0xFFu) << 16 | (static_cast<unsigned int>(blue) & 0xFFu) << 24;
  }
  static constexpr IColor FromPixelWord(unsigned int w)
  {
    return IColor(static_cast<int>(w & 0xFF), static_cast<int>((w >> 8) & 0xFF), static_cast<int>((w >> 16) & 0xFF),
                  static_cast<int>((w >> 24) & 0xFF));
  }

  constexpr bool operator==(const IColor& o) const
  {
    return alpha == o.alpha && red == o.red && green == o.green && blue == o.blue;
  }
  constexpr bool operator!=(const IColor& o) const { return !(*this == o); }
};

constexpr IColor COLOR_TRANSPARENT(0, 0, 0, 0);
constexpr IColor COLOR_BLACK(255, 0, 0, 0);
constexpr IColor COLOR_GRAY(255, 127, 127, 127);
constexpr IColor COLOR_WHITE(255, 255, 255, 255);
constexpr IColor COLOR_RED(255, 255, 0, 0);
constexpr IColor COLOR_GREEN(255, 0, 255, 0);
constexpr IColor COLOR_BLUE(255, 0, 0, 255);
constexpr IColor COLOR_YELLOW(255, 255, 255, 0);
constexpr IColor COLOR_ORANGE(255, 255, 127, 0);
constexpr IColor DEFAULT_TEXT_COLOR = COLOR_BLACK;
constexpr IColor DEFAULT_TEXT_ENTRY_BGCOLOR = COLOR_WHITE;
constexpr IColor DEFAULT_TEXT_ENTRY_FGCOLOR = COLOR_BLACK;

struct IText
{
  enum EStyle : int { kStyleNormal = 0, kStyleBold = 1, kStyleItalic = 2 };
  enum EAlign : int { kAlignLeft = 0, kAlignCenter = 1, kAlignRight = 2 };
  enum EQuality : int { kQualityDefault = 0, kQualityAliased = 1, kQualityAntialiased = 2, kQualityClearType = 3 };

  static constexpr int kFaceSize = 32;

  char mFace[kFaceSize];
  int mSize;
  IColor mColor;
  IColor mEntryBgColor;
  IColor mEntryFgColor;
  EStyle mStyle;
  EAlign mAlign;
  int mOrientation; // degrees
  EQuality mQuality;
  Raster_IFont* mCachedFont; // found or made on first use; belongs to the font cache

  // A null face keeps the default; longer faces are cut to kFaceSize - 1 characters.
  explicit IText(int size = 10, const IColor* color = nullptr, const char* face = nullptr, EStyle style = kStyleNormal,
                 EAlign align = kAlignCenter, int orientation = 0, EQuality quality = kQualityDefault);
};

enum EBlendMethod : int { kBlendAlpha = 0, kBlendCopy = 1, kBlendAdd = 2, kBlendDodge = 3 };

struct IChannelBlend
{
  EBlendMethod method;
  float weight; // opacity 0..1

  IChannelBlend(EBlendMethod m = kBlendAlpha, float w = 1.0f) : method(m), weight(w) {}
};

// A handle to an image held by the bitmap cache. Frames are equal slices of the image, stacked top to
// bottom, or side by side when mFramesHorizontal is set.
struct IBitmap
{
  Raster_IBitmap* mImage = nullptr;
  int mWidth = 0, mHeight = 0;
  int mFrames = 1;
  bool mFramesHorizontal = false;

  IBitmap() = default;
  IBitmap(Raster_IBitmap* image, int w, int h, int frames = 1, bool framesHorizontal = false)
      : mImage(image), mWidth(w), mHeight(h), mFrames(frames), mFramesHorizontal(framesHorizontal)
  {}

  // Height of a control rectangle one frame large; a frame count below 1 counts as 1.
  int FrameHeight() const { return mFrames < 1 ? mHeight : mHeight / mFrames; }
};

struct IMouseMod
{
  bool left = false, right = false, shift = false, control = false, alt = false;

  IMouseMod() = default;
  IMouseMod(bool l, bool r = false, bool s = false, bool c = false, bool a = false)
      : left(l), right(r), shift(s), control(c), alt(a)
  {}
};

enum EDirection : int { kVertical = 0, kHorizontal = 1 };
