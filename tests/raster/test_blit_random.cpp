// Seeded random blits: every operation runs once through the plain scalar loops and once with the
// vectorised paths on (the widest this CPU has, and SSE2 alone), and the results (padding included)
// must be identical. A failure names its seed;
// BRINDLE_BLIT_SEED=<seed> replays that one iteration alone.

#include "raster/Raster_Blit.h"

#include "tests/raster/test_blit_support.h"

#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

namespace {

const unsigned kFirstSeed = 0xB1170000u;
const int kIterations = 400;

Raster_PixelWord randomPixel(std::mt19937& rng)
{
  Raster_PixelWord p = rng();
  switch (rng() % 5) { // transparent and opaque sources take their own branches in the kernels
  case 0:
    p &= 0xFFFFFF00u;
    break;
  case 1:
    p |= 0xFFu;
    break;
  default:
    break;
  }
  return p;
}

void randomFill(TestBitmap& bm, std::mt19937& rng)
{
  for (int y = 0; y < bm.getHeight(); y++)
    for (int x = 0; x < bm.getWidth(); x++) bm.set(x, y, randomPixel(rng));
}

int randomMode(std::mt19937& rng)
{
  static const int kModes[] = {RASTER_BLEND_COPY,
                               RASTER_BLEND_COPY | RASTER_BLEND_USE_SOURCE_ALPHA,
                               RASTER_BLEND_ADD,
                               RASTER_BLEND_MUL | RASTER_BLEND_USE_SOURCE_ALPHA,
                               RASTER_BLEND_DODGE,
                               RASTER_BLEND_OVERLAY,
                               RASTER_BLEND_HSVADJ | RASTER_BLEND_USE_SOURCE_ALPHA};
  int mode = kModes[rng() % (sizeof(kModes) / sizeof(kModes[0]))];
  if (rng() % 2) mode |= RASTER_BLEND_FILTER_BILINEAR;
  return mode;
}

float randomAlpha(std::mt19937& rng)
{
  switch (rng() % 4) {
  case 0:
    return 1.0f;
  case 1:
    return 0.5f;
  default:
    return (float)(rng() % 300) / 256.0f;
  }
}

float randomCoord(std::mt19937& rng, int range)
{
  const float whole = (float)((int)(rng() % (unsigned)(2 * range + 1)) - range);
  return rng() % 3 ? whole : whole + (float)(rng() % 1000) / 1000.0f;
}

// One random operation described in words for the failure message.
std::string runOnce(unsigned seed, TestBitmap& dest, TestBitmap& src)
{
  std::mt19937 rng(seed);
  std::ostringstream what;
  const float alpha = randomAlpha(rng);
  const int mode = randomMode(rng);
  const int kind = (int)(rng() % 3);
  const int sw = src.getWidth(), sh = src.getHeight();
  if (kind == 0) {
    const int dx = (int)(rng() % 20) - 6, dy = (int)(rng() % 20) - 6;
    const int sx = (int)(rng() % 10) - 3, sy = (int)(rng() % 10) - 3;
    const int w = (int)(rng() % 50), h = (int)(rng() % 50);
    what << "Raster_Blit(" << dx << "," << dy << ", " << sx << "," << sy << "," << w << "," << h << ", " << alpha
         << ", 0x" << std::hex << mode << ")";
    Raster_Blit(&dest, &src, dx, dy, sx, sy, w, h, alpha, mode);
  } else {
    // Enlargements, reductions past the box threshold, mirrors and fractional source rectangles.
    const float scale = kind == 1 ? (float)(1 + rng() % 4) : 1.0f / (float)(1 + rng() % 6);
    const int dw = (int)((float)sw * scale * (rng() % 8 == 0 ? -1.0f : 1.0f)) + (int)(rng() % 3);
    const int dh = (int)((float)sh * scale) + (int)(rng() % 3);
    const int dx = (int)(rng() % 16) - 4 + (dw < 0 ? -dw : 0), dy = (int)(rng() % 16) - 4;
    const float sx = randomCoord(rng, 3), sy = randomCoord(rng, 3);
    const float srw = (float)sw - sx + randomCoord(rng, 2), srh = (float)sh - sy + randomCoord(rng, 2);
    what << "Raster_ScaledBlit(" << dx << "," << dy << "," << dw << "," << dh << ", " << sx << "," << sy << "," << srw
         << "," << srh << ", " << alpha << ", 0x" << std::hex << mode << ")";
    Raster_ScaledBlit(&dest, &src, dx, dy, dw, dh, sx, sy, srw, srh, alpha, mode);
  }
  return what.str();
}

void checkSeed(unsigned seed)
{
  std::mt19937 rng(seed ^ 0x5EEDu);
  const int sw = 1 + (int)(rng() % 40), sh = 1 + (int)(rng() % 40);
  const int dw = 1 + (int)(rng() % 70), dh = 1 + (int)(rng() % 70);
  TestBitmap src(sw, sh, rng() % 2), scalarDest(dw, dh, rng() % 2);
  randomFill(src, rng);
  randomFill(scalarDest, rng);
  TestBitmap fastDest(dw, dh, scalarDest.isFlipped()), sse2Dest(dw, dh, scalarDest.isFlipped());
  for (int y = 0; y < dh; y++)
    for (int x = 0; x < dw; x++) {
      fastDest.set(x, y, scalarDest.get(x, y));
      sse2Dest.set(x, y, scalarDest.get(x, y));
    }

  std::string what;
  {
    SimdSwitch off(false);
    what = runOnce(seed, scalarDest, src);
  }
  {
    SimdSwitch on(true);
    runOnce(seed, fastDest, src);
    Avx2Switch sse2Only(false);
    runOnce(seed, sse2Dest, src);
  }
  EXPECT_TRUE(scalarDest.padIntact()) << "seed " << seed << ": " << what;
  for (TestBitmap* fast : {&fastDest, &sse2Dest}) {
    if (scalarDest.snapshot() == fast->snapshot()) continue;
    for (int y = 0; y < dh; y++)
      for (int x = 0; x < dw; x++)
        if (scalarDest.get(x, y) != fast->get(x, y)) {
          ADD_FAILURE() << "seed " << seed << " (source " << sw << "x" << sh << ", dest " << dw << "x" << dh
                        << "): " << what << (fast == &sse2Dest ? " (SSE2 alone)" : "") << " differs first at " << x
                        << "," << y << ": scalar 0x" << std::hex << scalarDest.get(x, y) << ", fast 0x"
                        << fast->get(x, y);
          return;
        }
  }
}

} // namespace

TEST(RasterBlitRandom, FastPathsMatchTheScalarLoops)
{
  if (const char* one = std::getenv("BRINDLE_BLIT_SEED")) {
    checkSeed((unsigned)std::strtoul(one, nullptr, 0));
    return;
  }
  for (int i = 0; i < kIterations; i++) checkSeed(kFirstSeed + (unsigned)i);
}

TEST(RasterBlitRandom, LargeScalesExerciseTheVectorRowsFully)
{
  // Sizes like the benchmark's, where whole vector blocks dominate; halvings of odd and even widths
  // at whole and fractional offsets put the runs of two-apart box windows at every alignment.
  struct Case
  {
    int from, to;
    float srcx, alpha;
  };
  const Case cases[] = {{64, 16, 0.25f, 1.0f},  {64, 21, 0.25f, 1.0f},  {64, 32, 0.25f, 1.0f}, {64, 100, 0.25f, 1.0f},
                        {64, 128, 0.25f, 1.0f}, {64, 32, 0.0f, 1.0f},   {64, 32, 1.0f, 1.0f},  {64, 31, 0.0f, 1.0f},
                        {67, 33, 0.5f, 1.0f},   {67, 34, 1.75f, 1.0f},  {17, 8, 0.0f, 1.0f},   {9, 4, 1.0f, 1.0f},
                        {64, 32, 0.0f, 0.6f},   {64, 128, 0.25f, 0.3f}, {61, 61, 0.0f, 0.77f}, {64, 31, 3.0f, 0.5f}};
  for (unsigned seed = 1; seed <= 4; seed++) {
    for (const Case& c : cases) {
      std::mt19937 rng(seed * 131 + (unsigned)c.to);
      TestBitmap src(c.from, c.from, seed & 1);
      randomFill(src, rng);
      for (int mode : {RASTER_BLEND_FILTER_BILINEAR, RASTER_BLEND_FILTER_BILINEAR | RASTER_BLEND_USE_SOURCE_ALPHA}) {
        TestBitmap scalar(c.to, c.to, seed & 2), fast(c.to, c.to, seed & 2), sse2(c.to, c.to, seed & 2);
        for (TestBitmap* bm : {&scalar, &fast, &sse2}) {
          std::mt19937 same(seed); // the same destination for all three
          randomFill(*bm, same);
        }
        const float w = (float)c.from - c.srcx, h = (float)c.from - 0.5f;
        {
          SimdSwitch off(false);
          Raster_ScaledBlit(&scalar, &src, 0, 0, c.to, c.to, c.srcx, 0, w, h, c.alpha, mode);
        }
        {
          SimdSwitch on(true);
          Raster_ScaledBlit(&fast, &src, 0, 0, c.to, c.to, c.srcx, 0, w, h, c.alpha, mode);
          Avx2Switch sse2Only(false);
          Raster_ScaledBlit(&sse2, &src, 0, 0, c.to, c.to, c.srcx, 0, w, h, c.alpha, mode);
        }
        EXPECT_EQ(scalar.snapshot(), fast.snapshot())
            << "seed " << seed << " " << c.from << " -> " << c.to << " at " << c.srcx << " mode " << mode;
        EXPECT_EQ(scalar.snapshot(), sse2.snapshot())
            << "SSE2 alone, seed " << seed << " " << c.from << " -> " << c.to << " at " << c.srcx << " mode " << mode;
      }
    }
  }
}
