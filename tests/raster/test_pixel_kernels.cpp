// Combine kernels against values worked out by hand from the integer formulas.

#include "raster/Raster_KernelChoice.h"
#include "raster/Raster_Kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <type_traits>

namespace {

unsigned int Combine(unsigned int d, unsigned int s, float alpha, int mode)
{
  return Raster_CombinePixels(d, s, alpha, mode);
}

} // namespace

TEST(RasterPixelWord, ChannelLayoutIsARGBBytesInMemory)
{
  const Raster_PixelWord c = Raster_RGBA(0x11, 0x22, 0x33, 0x44);
  EXPECT_EQ(c, 0x33221144u);
  const unsigned char* bytes = (const unsigned char*)&c;
  EXPECT_EQ(bytes[0], 0x44); // A
  EXPECT_EQ(bytes[1], 0x11); // R
  EXPECT_EQ(bytes[2], 0x22); // G
  EXPECT_EQ(bytes[3], 0x33); // B
  EXPECT_EQ(Raster_GetR(c), 0x11);
  EXPECT_EQ(Raster_GetG(c), 0x22);
  EXPECT_EQ(Raster_GetB(c), 0x33);
  EXPECT_EQ(Raster_GetA(c), 0x44);
}

TEST(RasterPixelWord, WeightTruncatesTowardZeroAndSaturates)
{
  EXPECT_EQ(Raster_WeightFromAlpha(1.0), 256);
  EXPECT_EQ(Raster_WeightFromAlpha(0.5), 128);
  EXPECT_EQ(Raster_WeightFromAlpha(0.6f), 153);
  EXPECT_EQ(Raster_WeightFromAlpha(0.003), 0);
  EXPECT_EQ(Raster_WeightFromAlpha(-0.003), 0);
  EXPECT_EQ(Raster_WeightFromAlpha(-0.5), -128);
  EXPECT_EQ(Raster_WeightFromAlpha(1e30), kRaster_WeightLimit);
  EXPECT_EQ(Raster_WeightFromAlpha(std::nan("")), 0);
}

TEST(RasterKernels, ReciprocalTable)
{
  EXPECT_EQ(_Raster_RGB2HSV_invtab[0], 0);
  EXPECT_EQ(_Raster_RGB2HSV_invtab[1], 65535);
  EXPECT_EQ(_Raster_RGB2HSV_invtab[2], 32767);
  EXPECT_EQ(_Raster_RGB2HSV_invtab[3], 21844);
  EXPECT_EQ(_Raster_RGB2HSV_invtab[150], 435);
  EXPECT_EQ(_Raster_RGB2HSV_invtab[255], 256);
}

TEST(RasterKernels, CopyTruncatesTowardZero)
{
  // R: 200 + (-100*128)/256 = 150; G: 201 + (-101*128)/256 = 201 - 50 = 151 (floor would give 150);
  // B: 0 + (100*128)/256 = 50; A: 255 + (-155*128)/256 = 255 - 77 = 178.
  const unsigned int out =
      Combine(Raster_RGBA(100, 100, 100, 100), Raster_RGBA(200, 201, 0, 255), 0.5f, RASTER_BLEND_COPY);
  EXPECT_EQ(out, Raster_RGBA(150, 151, 50, 178));
  // Full weight clobbers, alpha byte included.
  EXPECT_EQ(Combine(0x01020304u, 0xA0B0C0D0u, 1.0f, RASTER_BLEND_COPY), 0xA0B0C0D0u);
  // Weight 0.6 -> 153: 100 + (0 - 100)*(103)/256 = 100 - 40 = 60 for R (d = 0, s = 100).
  EXPECT_EQ(Raster_GetR(Combine(0, Raster_RGBA(100, 0, 0, 0), 0.6f, RASTER_BLEND_COPY)), 60);
}

TEST(RasterKernels, AddClampsAndScales)
{
  EXPECT_EQ(Combine(Raster_RGBA(200, 200, 10, 10), Raster_RGBA(100, 100, 3, 0), 1.0f, RASTER_BLEND_ADD),
            Raster_RGBA(255, 255, 13, 10));
  // 200 + 100*128/256 = 250; 10 + 3*100/256 = 11.
  EXPECT_EQ(Raster_GetR(Combine(Raster_RGBA(200, 0, 0, 0), Raster_RGBA(100, 0, 0, 0), 0.5f, RASTER_BLEND_ADD)), 250);
  EXPECT_EQ(Raster_GetR(Combine(Raster_RGBA(10, 0, 0, 0), Raster_RGBA(3, 0, 0, 0), 100 / 256.0f, RASTER_BLEND_ADD)),
            11);
}

TEST(RasterKernels, DodgeSaturatesNonZeroChannelsKeepsZero)
{
  // s = 255 at full weight: t = 255, n = 1 -> d * 256, clamped.
  EXPECT_EQ(Combine(Raster_RGBA(1, 0, 200, 0), Raster_RGBA(255, 255, 255, 0), 1.0f, RASTER_BLEND_DODGE),
            Raster_RGBA(255, 0, 255, 0));
  // s = 128: t = 128, n = 128: 50 -> 100, 200 -> 400 -> 255.
  EXPECT_EQ(Combine(Raster_RGBA(50, 200, 0, 0), Raster_RGBA(128, 128, 0, 0), 1.0f, RASTER_BLEND_DODGE),
            Raster_RGBA(100, 255, 0, 0));
}

TEST(RasterKernels, MultiplyNeverExceedsDestination)
{
  // d*s/256 at full weight: 200*128/256 = 100; 255*255*256/65536 = 254.
  EXPECT_EQ(Combine(Raster_RGBA(200, 255, 7, 9), Raster_RGBA(128, 255, 0, 255), 1.0f, RASTER_BLEND_MUL),
            Raster_RGBA(100, 254, 0, 8));
  // Half weight of black: 200*(0 + 128*256)/65536 = 100.
  EXPECT_EQ(Raster_GetR(Combine(Raster_RGBA(200, 0, 0, 0), 0, 0.5f, RASTER_BLEND_MUL)), 100);
  for (int d = 0; d < 256; d += 5)
    for (int s = 0; s < 256; s += 5)
      EXPECT_LE(Raster_GetR(Combine(Raster_RGBA(d, 0, 0, 0), Raster_RGBA(s, 0, 0, 0), 0.7f, RASTER_BLEND_MUL)), d);
}

TEST(RasterKernels, Overlay)
{
  // Mid grey at full weight is neutral; white: t = (32768 - 65280)*100/256 = -12700,
  // (-12700 + 65280)*100/32768 = 160; black: t = 12800, 12800*100/32768 = 39.
  EXPECT_EQ(Raster_GetR(Combine(Raster_RGBA(100, 0, 0, 0), Raster_RGBA(128, 0, 0, 0), 1.0f, RASTER_BLEND_OVERLAY)),
            100);
  EXPECT_EQ(Raster_GetR(Combine(Raster_RGBA(100, 0, 0, 0), Raster_RGBA(255, 0, 0, 0), 1.0f, RASTER_BLEND_OVERLAY)),
            160);
  EXPECT_EQ(Raster_GetR(Combine(Raster_RGBA(100, 0, 0, 0), Raster_RGBA(0, 0, 0, 0), 1.0f, RASTER_BLEND_OVERLAY)), 39);
}

TEST(RasterKernels, HSVAdjustNeutralRoundTrip)
{
  // (200, 100, 50): R max, base 0, num 50, delta 150: hue = 50*436/1024 = 21, sat = 150*326/256 = 191,
  // val = 200; back: p = 200*65/256 = 50, rising = 200*(16384 - 191*43)/16384 = 99.
  EXPECT_EQ(Combine(Raster_RGBA(200, 100, 50, 77), Raster_RGBA(128, 128, 128, 33), 1.0f, RASTER_BLEND_HSVADJ),
            Raster_RGBA(200, 99, 50, 33));
  // Greys survive unchanged (delta 0 gives saturation 0).
  EXPECT_EQ(Combine(Raster_RGBA(90, 90, 90, 0), Raster_RGBA(128, 128, 128, 255), 1.0f, RASTER_BLEND_HSVADJ),
            Raster_RGBA(90, 90, 90, 255));
}

TEST(RasterKernels, HSVAdjustTurnsHueAndMovesSaturationAndValue)
{
  // Pure red, r = 255: hue 0 + 256*(255 + 127 - 192)/256 = 190 -> sector 2, f = 62:
  // p = 0, rising = 255*(16384 - 255*2)/16384 = 247 -> (0, 255, 247).
  EXPECT_EQ(Combine(Raster_RGBA(255, 0, 0, 0), Raster_RGBA(255, 128, 128, 0), 1.0f, RASTER_BLEND_HSVADJ),
            Raster_RGBA(0, 255, 247, 0));
  // g = 0 removes saturation: 191 - 256 -> 0, leaving grey at the value 200.
  EXPECT_EQ(Combine(Raster_RGBA(200, 100, 50, 0), Raster_RGBA(128, 0, 128, 0), 1.0f, RASTER_BLEND_HSVADJ),
            Raster_RGBA(200, 200, 200, 0));
  // b = 255 raises the value past 255 -> clamped; hue and saturation as in the neutral case.
  // val 255: p = 255*65/256 = 64, rising = 255*8171/16384 = 127.
  EXPECT_EQ(Combine(Raster_RGBA(200, 100, 50, 0), Raster_RGBA(128, 128, 255, 0), 1.0f, RASTER_BLEND_HSVADJ),
            Raster_RGBA(255, 127, 64, 0));
}

TEST(RasterKernels, SourceAlphaCopy)
{
  const int sa = RASTER_BLEND_COPY | RASTER_BLEND_USE_SOURCE_ALPHA;
  // Transparent source pixels leave anything untouched.
  EXPECT_EQ(Combine(0x12345678u, Raster_RGBA(255, 255, 255, 0), 1.0f, sa), 0x12345678u);
  EXPECT_EQ(Combine(0x12345678u, Raster_RGBA(255, 255, 255, 0), 0.5f, sa), 0x12345678u);
  // Opaque source at full weight: colour written, alpha 255.
  EXPECT_EQ(Combine(Raster_RGBA(1, 2, 3, 4), Raster_RGBA(200, 100, 50, 255), 1.0f, sa), Raster_RGBA(200, 100, 50, 255));
  // sa = 128 at full weight: 200 + (-100*127)/256 = 200 - 49 = 151; alpha min(255, 50 + 128) = 178.
  EXPECT_EQ(Combine(Raster_RGBA(100, 100, 100, 50), Raster_RGBA(200, 200, 100, 128), 1.0f, sa),
            Raster_RGBA(151, 151, 100, 178));
  // Weight 128, sa = 255: a' = 128*256/256 = 128 -> 150; alpha byte min(255, 50 + 128).
  EXPECT_EQ(Combine(Raster_RGBA(100, 0, 0, 50), Raster_RGBA(200, 0, 0, 255), 0.5f, sa), Raster_RGBA(150, 0, 0, 178));
  // Weight 128, sa = 127: a' = 64 -> 200 + (-100*192)/256 = 125.
  EXPECT_EQ(Raster_GetR(Combine(Raster_RGBA(100, 0, 0, 0), Raster_RGBA(200, 0, 0, 127), 0.5f, sa)), 125);
}

TEST(RasterKernels, SourceAlphaAddMulDodge)
{
  // Add, sa = 128 at full weight: a' = 256*129/256 = 129; 100 + 200*129/256 = 200; alpha 10 + 128*129/256 = 74.
  EXPECT_EQ(Combine(Raster_RGBA(100, 0, 0, 10), Raster_RGBA(200, 0, 0, 128), 1.0f,
                    RASTER_BLEND_ADD | RASTER_BLEND_USE_SOURCE_ALPHA),
            Raster_RGBA(200, 0, 0, 74));
  EXPECT_EQ(Combine(0x11223344u, Raster_RGBA(200, 0, 0, 0), 1.0f, RASTER_BLEND_ADD | RASTER_BLEND_USE_SOURCE_ALPHA),
            0x11223344u);
  // Multiply with sa = 255 at full weight is the plain multiply: 200*128/256 = 100, alpha 80*255/256 = 79.
  EXPECT_EQ(Combine(Raster_RGBA(200, 0, 0, 80), Raster_RGBA(128, 0, 0, 255), 1.0f,
                    RASTER_BLEND_MUL | RASTER_BLEND_USE_SOURCE_ALPHA),
            Raster_RGBA(100, 0, 0, 79));
  EXPECT_EQ(Combine(0x11223344u, 0u, 1.0f, RASTER_BLEND_MUL | RASTER_BLEND_USE_SOURCE_ALPHA), 0x11223344u);
  // Dodge with sa = 0 still runs, at weight 256*1/256 = 1: t = s/256 = 0, so nothing moves.
  EXPECT_EQ(
      Combine(0x11223344u, Raster_RGBA(255, 255, 255, 0), 1.0f, RASTER_BLEND_DODGE | RASTER_BLEND_USE_SOURCE_ALPHA),
      0x11223344u);
}

TEST(RasterKernels, WholeWordKernels)
{
  const Raster_PixelWord D = 0x80402010u, c = 0xFF00FF00u;
  EXPECT_EQ(_Raster_CombinePixelsHalfMixFAST::combine(D, c), 0x40201008u + 0x7F007F00u);
  EXPECT_EQ(_Raster_CombinePixelsQuarterMix2FAST::combine(D, c), 0x3F003F00u + 0x40201008u + 0x20100804u);
  EXPECT_EQ(_Raster_CombinePixelsThreeQuarterMix2FAST::combine(D, c), 0x7F007F00u + 0x3F003F00u + 0x20100804u);
  EXPECT_EQ(_Raster_CombinePixelsClobberFAST::combine(D, c), c);
}

TEST(RasterKernels, ZeroNegativeWeightsAndUnknownModesLeaveDestination)
{
  const unsigned int d = 0x11223344u, s = 0xFFFFFFFFu;
  EXPECT_EQ(Combine(d, s, 0.0f, RASTER_BLEND_ADD), d);
  EXPECT_EQ(Combine(d, s, 0.001f, RASTER_BLEND_COPY), d); // weight truncates to 0
  EXPECT_EQ(Combine(d, s, -1.0f, RASTER_BLEND_COPY), d);
  EXPECT_EQ(Combine(d, s, -1.0f, RASTER_BLEND_COPY | RASTER_BLEND_USE_SOURCE_ALPHA), d);
  // Add at a negative weight subtracts: every byte minus 255, clamped to 0.
  EXPECT_EQ(Combine(d, s, -1.0f, RASTER_BLEND_ADD), 0u);
  // Dodge at -0.5 on the blue byte 0x11: n = 256 + 127 = 383; 17 * 256 / 383 = 11.
  EXPECT_EQ(Combine(d, s, -0.5f, RASTER_BLEND_DODGE) >> 24, 0x11u * 256 / 383);
  EXPECT_EQ(Combine(d, s, 1.0f, 6), d);
  EXPECT_EQ(Combine(d, s, 1.0f, 0xF5), d); // channel copy is for blits only
  EXPECT_EQ(Combine(d, s, std::numeric_limits<float>::quiet_NaN(), RASTER_BLEND_COPY), d);
  // Absurd weights saturate rather than overflow.
  (void)Combine(d, s, 1e30f, RASTER_BLEND_OVERLAY);
  (void)Combine(d, s, std::numeric_limits<float>::infinity(), RASTER_BLEND_MUL);

  unsigned int px = d;
  Raster_CombinePixels2(&px, 255, 255, 255, 255, 0, RASTER_BLEND_COPY);
  Raster_CombinePixels2(&px, 255, 255, 255, 255, -5, RASTER_BLEND_COPY);
  Raster_CombinePixels2(nullptr, 255, 255, 255, 255, 256, RASTER_BLEND_COPY);
  EXPECT_EQ(px, d);
}

TEST(RasterKernels, CombinePixels2ClampKeepsChannelsInRange)
{
  unsigned int px = Raster_RGBA(100, 100, 100, 100);
  unsigned int noClamp = px;
  // Out-of-range channels: copy at weight 128: 400 + (100 - 400)*128/256 = 250, -200 + 300*128/256 = -50.
  Raster_CombinePixels2Clamp(&px, 400, -200, 1000, 100, 128, RASTER_BLEND_COPY);
  EXPECT_EQ(px, Raster_RGBA(250, 0, 255, 100));
  Raster_CombinePixels2(&noClamp, 400, 0, 0, 100, 128, RASTER_BLEND_COPY);
  EXPECT_EQ(Raster_GetR(noClamp), 250);
  // Clobber clamps too.
  Raster_CombinePixels2Clamp(&px, 300, -3, 128, 999, 256, RASTER_BLEND_COPY);
  EXPECT_EQ(px, Raster_RGBA(255, 0, 128, 255));
  // Multiply: 100*(600*256)/65536 = 234, 200*(600*256)/65536 = 468 -> 255.
  px = Raster_RGBA(100, 200, 0, 0);
  Raster_CombinePixels2Clamp(&px, 600, 600, 0, 0, 256, RASTER_BLEND_MUL);
  EXPECT_EQ(Raster_GetR(px), 234);
  EXPECT_EQ(Raster_GetG(px), 255);
  // Weights and channels are held only where a kernel's int arithmetic would overflow: alpha 5.0 adds
  // five times (10 * 1280 / 256 = 50), channel 5000 at weight 256 stays 5000 (copy clamps to 255).
  px = Raster_RGBA(0, 0, 0, 0);
  EXPECT_EQ(Combine(px, Raster_RGBA(10, 0, 0, 0), 5.0f, RASTER_BLEND_ADD), Raster_RGBA(50, 0, 0, 0));
  Raster_CombinePixels2Clamp(&px, 5000, 0, 0, 0, 128, RASTER_BLEND_ADD);
  EXPECT_EQ(Raster_GetR(px), 255);
  px = Raster_RGBA(250, 0, 0, 0);
  Raster_CombinePixels2Clamp(&px, -5000, 0, 0, 0, 13, RASTER_BLEND_ADD); // 250 - 5000 * 13 / 256 = -3
  EXPECT_EQ(Raster_GetR(px), 0);
  px = Raster_RGBA(250, 0, 0, 0);
  Raster_CombinePixels2Clamp(&px, -4096, 0, 0, 0, 13, RASTER_BLEND_ADD); // 250 - 208 = 42
  EXPECT_EQ(Raster_GetR(px), 42);
  // Huge channel values are held in range instead of overflowing.
  Raster_CombinePixels2Clamp(&px, 2000000000, -2000000000, 0, 0, 256, RASTER_BLEND_OVERLAY);
  Raster_CombinePixels2(&px, 2000000000, -2000000000, 0, 0, 100000, RASTER_BLEND_MUL);
}

TEST(RasterKernelChoice, PicksKernelPerModeAndWeight)
{
  auto kind = [](int mode, int alpha) {
    int which = -1;
    const bool any = Raster_WithKernel(mode, alpha, [&](auto k) {
      using K = decltype(k);
      if (std::is_same<K, _Raster_CombinePixelsClobberNoClamp>::value)
        which = 0;
      else if (std::is_same<K, _Raster_CombinePixelsCopyNoClamp>::value)
        which = 1;
      else if (std::is_same<K, _Raster_CombinePixelsAdd>::value)
        which = 2;
      else if (std::is_same<K, _Raster_CombinePixelsHSVAdjust>::value)
        which = 3;
      else if (std::is_same<K, _Raster_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>::value)
        which = 4;
      else if (std::is_same<K, _Raster_CombinePixelsCopySourceAlphaNoClamp>::value)
        which = 5;
      else if (std::is_same<K, _Raster_CombinePixelsMulSourceAlphaNoClamp>::value)
        which = 6;
      else
        which = 99;
    });
    return any ? which : -1;
  };
  EXPECT_EQ(kind(RASTER_BLEND_COPY, 256), 0);
  EXPECT_EQ(kind(RASTER_BLEND_COPY, 255), 1);
  EXPECT_EQ(kind(RASTER_BLEND_COPY | RASTER_BLEND_FILTER_BILINEAR, 100), 1);
  EXPECT_EQ(kind(RASTER_BLEND_ADD, 256), 2);
  EXPECT_EQ(kind(RASTER_BLEND_HSVADJ, 3), 3);
  EXPECT_EQ(kind(RASTER_BLEND_COPY | RASTER_BLEND_USE_SOURCE_ALPHA, 256), 4);
  EXPECT_EQ(kind(RASTER_BLEND_COPY | RASTER_BLEND_USE_SOURCE_ALPHA, 128), 5);
  EXPECT_EQ(kind(RASTER_BLEND_MUL | RASTER_BLEND_USE_SOURCE_ALPHA, 128), 6);
  EXPECT_EQ(kind(RASTER_BLEND_COPY, 0), -1);
  EXPECT_EQ(kind(RASTER_BLEND_ADD, -10), 2);
  EXPECT_EQ(kind(RASTER_BLEND_COPY, -10), -1);
  EXPECT_EQ(kind(6, 256), -1);
  EXPECT_EQ(kind(RASTER_BLEND_CHANCOPY | 5, 256), -1);
}
