#pragma once
// The per-pixel combine kernels: one small class per blend formula, each with a static
// doPix(dest, r, g, b, a, alpha) that writes the four bytes of one destination pixel (r, g, b to bytes
// 1, 2, 3 and a to byte 0) at integer weight alpha (256 = full). Loops over pixels are written once as
// templates over a kernel and instantiated per blend mode (see Raster_KernelChoice.h), so each mode gets
// its own inlined loop.
//
// The arithmetic is exactly as below, including truncation toward zero of every signed division
// (Raster_FixedPoint.h): the editor's half-transparent and additive looks depend on these roundings.
// The "FAST" kernels work on whole pixel words for the special weights 64, 128, 192 and 256.

#include "raster/Raster_FixedPoint.h"
#include "raster/Raster_Pixel.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define RASTER_HAVE_SSE2 1
#endif

// Reciprocal table for the HSV kernel: entry 0 is 0, entry i is floor(65536 / i) - 1.
struct Raster_InvTable
{
  unsigned short v[256];
};
constexpr Raster_InvTable Raster_MakeInvTable()
{
  Raster_InvTable t{};
  for (int i = 1; i < 256; ++i) t.v[i] = (unsigned short)(65536 / i - 1);
  return t;
}
inline constexpr Raster_InvTable _Raster_RGB2HSV_invtabData = Raster_MakeInvTable();
inline constexpr const unsigned short* _Raster_RGB2HSV_invtab = _Raster_RGB2HSV_invtabData.v;

// A weight held within +-limit.
inline int Raster_LimitWeight(int alpha, int limit)
{
  return alpha > limit ? limit : (alpha < -limit ? -limit : alpha);
}

// ---- plain kernels --------------------------------------------------------------------------------

// A channel result narrowed to its byte. The Clamp kernels (for channel values that may lie outside
// 0..255, as gradients offer) clamp first; the others keep the low byte.
template <bool Clamp>
inline unsigned char Raster_StoreChannel(int v)
{
  if constexpr (Clamp)
    return (unsigned char)Raster_Clamp255(v);
  else
    return (unsigned char)v;
}

template <bool Clamp>
struct _Raster_CombinePixelsClobber
{
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    (void)alpha;
    dest[1] = Raster_StoreChannel<Clamp>(r);
    dest[2] = Raster_StoreChannel<Clamp>(g);
    dest[3] = Raster_StoreChannel<Clamp>(b);
    dest[0] = Raster_StoreChannel<Clamp>(a);
  }
};
using _Raster_CombinePixelsClobberNoClamp = _Raster_CombinePixelsClobber<false>;
using _Raster_CombinePixelsClobberClamp = _Raster_CombinePixelsClobber<true>;

template <bool Clamp>
struct _Raster_CombinePixelsCopy
{
  static inline int mix(int d, int s, int inv) { return s + (d - s) * inv / 256; }
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    const int inv = 256 - alpha;
    dest[1] = Raster_StoreChannel<Clamp>(mix(dest[1], r, inv));
    dest[2] = Raster_StoreChannel<Clamp>(mix(dest[2], g, inv));
    dest[3] = Raster_StoreChannel<Clamp>(mix(dest[3], b, inv));
    dest[0] = Raster_StoreChannel<Clamp>(mix(dest[0], a, inv));
  }
};
using _Raster_CombinePixelsCopyNoClamp = _Raster_CombinePixelsCopy<false>;
using _Raster_CombinePixelsCopyClamp = _Raster_CombinePixelsCopy<true>;

struct _Raster_CombinePixelsHalfMixNoClamp
{
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    (void)alpha;
    dest[1] = (unsigned char)((dest[1] + r) >> 1);
    dest[2] = (unsigned char)((dest[2] + g) >> 1);
    dest[3] = (unsigned char)((dest[3] + b) >> 1);
    dest[0] = (unsigned char)((dest[0] + a) >> 1);
  }
};

struct _Raster_CombinePixelsAdd
{
  static inline int add(int d, int s, int alpha) { return Raster_Clamp255(d + s * alpha / 256); }
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    dest[1] = (unsigned char)add(dest[1], r, alpha);
    dest[2] = (unsigned char)add(dest[2], g, alpha);
    dest[3] = (unsigned char)add(dest[3], b, alpha);
    dest[0] = (unsigned char)add(dest[0], a, alpha);
  }
};

struct _Raster_CombinePixelsColorDodge
{
  static inline int dodge(int d, int s, int alpha)
  {
    const int n = 256 - s * alpha / 256;
    return Raster_Clamp255(n >= 2 ? (d * 256) / n : d * 256);
  }
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    dest[1] = (unsigned char)dodge(dest[1], r, alpha);
    dest[2] = (unsigned char)dodge(dest[2], g, alpha);
    dest[3] = (unsigned char)dodge(dest[3], b, alpha);
    dest[0] = (unsigned char)dodge(dest[0], a, alpha);
  }
};

// Larger weights would overflow d * (s * alpha + (256 - alpha) * 256) for bytes d, s.
enum { kRaster_MulWeightLimit = 32639 };

template <bool Clamp>
struct _Raster_CombinePixelsMul
{
  static inline int mul(int d, int s, int alpha) { return d * (s * alpha + (256 - alpha) * 256) / 65536; }
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    alpha = Raster_LimitWeight(alpha, kRaster_MulWeightLimit);
    dest[1] = Raster_StoreChannel<Clamp>(mul(dest[1], r, alpha));
    dest[2] = Raster_StoreChannel<Clamp>(mul(dest[2], g, alpha));
    dest[3] = Raster_StoreChannel<Clamp>(mul(dest[3], b, alpha));
    dest[0] = Raster_StoreChannel<Clamp>(mul(dest[0], a, alpha));
  }
};
using _Raster_CombinePixelsMulNoClamp = _Raster_CombinePixelsMul<false>;
using _Raster_CombinePixelsMulClamp = _Raster_CombinePixelsMul<true>;

// Larger weights would overflow the overlay formula's second product, (128 |alpha| + 32768) * d, for
// bytes d, s.
enum { kRaster_OverlayWeightLimit = 65535 };

struct _Raster_CombinePixelsOverlay
{
  static inline int overlay(int d, int s, int alpha)
  {
    const int sa = s * alpha;
    const int m = (256 - alpha) * 128;
    const int t = (32768 - sa - m) * d / 256;
    return Raster_Clamp255((t + sa + m) * d / 32768);
  }
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    alpha = Raster_LimitWeight(alpha, kRaster_OverlayWeightLimit);
    dest[1] = (unsigned char)overlay(dest[1], r, alpha);
    dest[2] = (unsigned char)overlay(dest[2], g, alpha);
    dest[3] = (unsigned char)overlay(dest[3], b, alpha);
    dest[0] = (unsigned char)overlay(dest[0], a, alpha);
  }
};

// HSV adjust: r, g, b are not a colour but adjustments centred on 128 - r turns the hue (a circle of 384
// steps, 6 sectors of 64), g moves the saturation, b the value. The alpha byte takes the offered a.
struct _Raster_CombinePixelsHSVAdjust
{
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    const int R = dest[1], G = dest[2], B = dest[3];
    int mx, mn, base, num;
    if (R < G) {
      if (B < G) {
        mx = G;
        mn = R < B ? R : B;
        base = 128;
        num = B - R;
      } else {
        mx = B;
        mn = R;
        base = 256;
        num = R - G;
      }
    } else {
      if (B < R) {
        mx = R;
        mn = G < B ? G : B;
        base = G < B ? 383 : 0;
        num = G - B;
      } else {
        mx = B;
        mn = G;
        base = 256;
        num = R - G;
      }
    }
    const int delta = mx - mn;

    int hue = base + num * (_Raster_RGB2HSV_invtab[delta] + 1) / 1024 + alpha * (r + r / 2 - 192) / 256;
    if (hue < 0)
      hue += 384;
    else if (hue >= 384)
      hue -= 384;
    if (hue < 0 || hue >= 384) hue = ((hue % 384) + 384) % 384; // only weights above 256 get here

    const int sat = Raster_Clamp255(delta * _Raster_RGB2HSV_invtab[mx] / 256 + alpha * (g - 128) / 128);
    const int val = Raster_Clamp255(mx + alpha * (b - 128) / 128);

    const int p = val * (256 - sat) / 256;
    const int k = hue / 64;
    const int f = hue - 64 * k;
    const int rising = val * (16384 - sat * (64 - f)) / 16384;
    const int falling = val * (16384 - sat * f) / 16384;
    int oR, oG, oB;
    switch (k) {
    case 0:
      oR = val;
      oG = rising;
      oB = p;
      break;
    case 1:
      oR = falling;
      oG = val;
      oB = p;
      break;
    case 2:
      oR = p;
      oG = val;
      oB = rising;
      break;
    case 3:
      oR = p;
      oG = falling;
      oB = val;
      break;
    case 4:
      oR = rising;
      oG = p;
      oB = val;
      break;
    default:
      oR = val;
      oG = p;
      oB = falling;
      break;
    }
    dest[1] = (unsigned char)oR;
    dest[2] = (unsigned char)oG;
    dest[3] = (unsigned char)oB;
    // Fills offer their weight here, which may be 256: keep it a byte instead of letting it wrap to 0.
    dest[0] = (unsigned char)Raster_Clamp255(a);
  }
};

// ---- source-alpha kernels: the weight becomes alpha' = alpha * (sa + 1) / 256 with sa = the offered a ---

template <bool Clamp>
struct _Raster_CombinePixelsCopySourceAlphaIgnoreAlphaParm
{
  static inline int mix(int d, int s, int sa) { return s + (d - s) * (255 - sa) / 256; }
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    (void)alpha;
    if (a == 0) return;
    if (a == 255) {
      dest[1] = Raster_StoreChannel<Clamp>(r);
      dest[2] = Raster_StoreChannel<Clamp>(g);
      dest[3] = Raster_StoreChannel<Clamp>(b);
      dest[0] = 255;
      return;
    }
    dest[1] = Raster_StoreChannel<Clamp>(mix(dest[1], r, a));
    dest[2] = Raster_StoreChannel<Clamp>(mix(dest[2], g, a));
    dest[3] = Raster_StoreChannel<Clamp>(mix(dest[3], b, a));
    const int na = dest[0] + a;
    dest[0] = (unsigned char)(na < 255 ? na : 255);
  }
};
using _Raster_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp =
    _Raster_CombinePixelsCopySourceAlphaIgnoreAlphaParm<false>;
using _Raster_CombinePixelsCopySourceAlphaIgnoreAlphaParmClamp =
    _Raster_CombinePixelsCopySourceAlphaIgnoreAlphaParm<true>;

struct _Raster_CombinePixelsCopySourceAlphaNoClamp
{
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    if (a == 0) return;
    const int w = alpha * (a + 1) / 256;
    const int inv = 256 - w;
    dest[1] = (unsigned char)_Raster_CombinePixelsCopyNoClamp::mix(dest[1], r, inv);
    dest[2] = (unsigned char)_Raster_CombinePixelsCopyNoClamp::mix(dest[2], g, inv);
    dest[3] = (unsigned char)_Raster_CombinePixelsCopyNoClamp::mix(dest[3], b, inv);
    const int na = dest[0] + w;
    dest[0] = (unsigned char)(na < 255 ? na : 255);
  }
};

struct _Raster_CombinePixelsAddSourceAlpha
{
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    if (a == 0) return;
    const int w = alpha * (a + 1) / 256;
    _Raster_CombinePixelsAdd::doPix(dest, r, g, b, a, w);
  }
};

struct _Raster_CombinePixelsMulSourceAlphaNoClamp
{
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    if (a == 0) return;
    _Raster_CombinePixelsMulNoClamp::doPix(dest, r, g, b, a, alpha * (a + 1) / 256);
  }
};

struct _Raster_CombinePixelsColorDodgeSourceAlpha
{
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _Raster_CombinePixelsColorDodge::doPix(dest, r, g, b, a, alpha * (a + 1) / 256);
  }
};

struct _Raster_CombinePixelsOverlaySourceAlpha
{
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _Raster_CombinePixelsOverlay::doPix(dest, r, g, b, a, alpha * (a + 1) / 256);
  }
};

struct _Raster_CombinePixelsHSVAdjustSourceAlpha
{
  static inline void doPix(unsigned char* dest, int r, int g, int b, int a, int alpha)
  {
    _Raster_CombinePixelsHSVAdjust::doPix(dest, r, g, b, a, alpha * (a + 1) / 256);
  }
};

// ---- whole-word kernels (c = colour word, D = destination word) ------------------------------------
// Each also has combine4, the same formula on four words at once (SSE2), bit for bit.

#if RASTER_HAVE_SSE2
inline __m128i Raster_Shr1Mask4(__m128i v)
{
  return _mm_and_si128(_mm_srli_epi32(v, 1), _mm_set1_epi8(0x7F));
}
inline __m128i Raster_Shr2Mask4(__m128i v)
{
  return _mm_and_si128(_mm_srli_epi32(v, 2), _mm_set1_epi8(0x3F));
}
#endif

struct _Raster_CombinePixelsClobberFAST
{
  static inline Raster_PixelWord combine(Raster_PixelWord D, Raster_PixelWord c)
  {
    (void)D;
    return c;
  }
  static inline void doPix(Raster_PixelWord* dest, Raster_PixelWord c) { *dest = c; }
#if RASTER_HAVE_SSE2
  static inline __m128i combine4(__m128i D, __m128i c)
  {
    (void)D;
    return c;
  }
#endif
};

struct _Raster_CombinePixelsHalfMixFAST
{
  static inline Raster_PixelWord combine(Raster_PixelWord D, Raster_PixelWord c)
  {
    return ((D >> 1) & 0x7F7F7F7Fu) + ((c >> 1) & 0x7F7F7F7Fu);
  }
  static inline void doPix(Raster_PixelWord* dest, Raster_PixelWord c) { *dest = combine(*dest, c); }
#if RASTER_HAVE_SSE2
  static inline __m128i combine4(__m128i D, __m128i c)
  {
    return _mm_add_epi32(Raster_Shr1Mask4(D), Raster_Shr1Mask4(c));
  }
#endif
};

struct _Raster_CombinePixelsHalfMix2FAST : _Raster_CombinePixelsHalfMixFAST
{};

struct _Raster_CombinePixelsQuarterMix2FAST
{
  static inline Raster_PixelWord combine(Raster_PixelWord D, Raster_PixelWord c)
  {
    return ((c >> 2) & 0x3F3F3F3Fu) + ((D >> 1) & 0x7F7F7F7Fu) + ((D >> 2) & 0x3F3F3F3Fu);
  }
  static inline void doPix(Raster_PixelWord* dest, Raster_PixelWord c) { *dest = combine(*dest, c); }
#if RASTER_HAVE_SSE2
  static inline __m128i combine4(__m128i D, __m128i c)
  {
    return _mm_add_epi32(_mm_add_epi32(Raster_Shr2Mask4(c), Raster_Shr1Mask4(D)), Raster_Shr2Mask4(D));
  }
#endif
};

// Three quarters of c over D is a quarter of D over c: the same word sums with the roles swapped.
struct _Raster_CombinePixelsThreeQuarterMix2FAST
{
  static inline Raster_PixelWord combine(Raster_PixelWord D, Raster_PixelWord c)
  {
    return _Raster_CombinePixelsQuarterMix2FAST::combine(c, D);
  }
  static inline void doPix(Raster_PixelWord* dest, Raster_PixelWord c) { *dest = combine(*dest, c); }
#if RASTER_HAVE_SSE2
  static inline __m128i combine4(__m128i D, __m128i c)
  {
    return _Raster_CombinePixelsQuarterMix2FAST::combine4(c, D);
  }
#endif
};

// ---- single-pixel entry points ---------------------------------------------------------------------

// The destination pixel after combining src into it (bits 0-7 and 16 of mode are used); a weight of 0,
// copy at a negative weight or an unknown mode returns dest unchanged.
unsigned int Raster_CombinePixels(unsigned int dest, unsigned int src, float alpha, int mode);

// Combine the colour (r, g, b, a) into *dest in place at integer weight alpha. A weight of 0 does
// nothing, nor does copy at a negative weight; the other modes take a negative weight as it is.
void Raster_CombinePixels2(unsigned int* dest, int r, int g, int b, int a, int alpha, int mode);

// As Raster_CombinePixels2, for channel values that may lie outside 0..255 (gradients): the copy and
// multiply modes clamp every written channel.
void Raster_CombinePixels2Clamp(unsigned int* dest, int r, int g, int b, int a, int alpha, int mode);
