// The enclosure: brindle-brown enamel with darker stripes and a hammered texture, corner screws,
// the product name, the control legends, the knob scales, the footswitch's washer and the maker.
#include "BrindleIdentity.h"
#include "tools/imagegen/PedalArt.h"

#include <cmath>
#include <cstdint>

namespace {

using namespace Palette;

constexpr int kWidth = 208, kHeight = 326;

// Knob centres and the footswitch centre in editor coordinates (from where the controls sit).
constexpr double kLevelX = 18 + 37.5, kAttackX = 115 + 37.5, kKnobY = 86 + 37.5;
constexpr double kFootX = 80 + 24.0, kFootY = 172 + 24.0;

// Deterministic per-pixel noise in -1..1: an integer hash, no library generator whose sequence
// could change between systems.
double Noise(int x, int y)
{
  uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return (h & 0xFFFF) / 32767.5 - 1.0;
}

void DrawEnclosure(ImageCanvas& c)
{
  c.FillRect(0, 0, kWidth, kHeight, kEdge);
  // The folded edge of the box, then its top face.
  c.FillRoundRect(0, 0, kWidth, kHeight, 14, kPaint.Scaled(0.55));
  c.FillRoundRect(3, 3, kWidth - 3, kHeight - 3, 11, kPaint);
  // Brindle: darker stripes running down and across the face, broken into pieces of varying
  // weight the way the coat pattern is.
  c.Clipped(3, 3, kWidth - 3, kHeight - 3, [&] {
    for (int i = 0; i < 13; i++) {
      const double start = -70.0 + i * 24.0 + 6.0 * Noise(i, 7);
      std::vector<POINT> piece;
      int width = 3;
      for (int step = 0, y = -12; y <= kHeight + 12; step++, y += 5) {
        const double x = start + y * 0.40 + 7.0 * std::sin(y * 0.043 + i * 1.7) + 3.0 * std::sin(y * 0.12 + i);
        piece.push_back({static_cast<int>(std::lround(x)), y});
        // A piece ends now and then; a short gap or a change of weight follows.
        if (piece.size() > 4 && Noise(i, step) > 0.55) {
          c.Polyline(piece, width, kStreak, 0.22f);
          const bool gap = Noise(step, i) > 0.0;
          piece.clear();
          if (!gap) piece.push_back({static_cast<int>(std::lround(x)), y});
          width = 2 + static_cast<int>((Noise(i + 3, step) + 1.0) * 2.0);
        }
      }
      if (piece.size() > 1) c.Polyline(piece, width, kStreak, 0.22f);
    }
  });
  // Light from above, a slightly darker lower half, and the hammered finish.
  c.Shade(3, 3, kWidth - 3, kHeight - 3, [](double x, double y) {
    return 1.12 - 0.30 * (y / kHeight) - 0.04 * (x / kWidth) + 0.035 * Noise(static_cast<int>(x), static_cast<int>(y));
  });
  // Edge highlights: the top and left catch the light, the bottom and right fall away.
  c.Polyline({{12, 3}, {kWidth - 14, 3}}, 1, kWhite, 0.28f);
  c.Polyline({{3, 12}, {3, kHeight - 14}}, 1, kWhite, 0.14f);
  c.Polyline({{12, kHeight - 4}, {kWidth - 14, kHeight - 4}}, 1, kBlack, 0.35f);
  c.Polyline({{kWidth - 4, 12}, {kWidth - 4, kHeight - 14}}, 1, kBlack, 0.25f);
}

// A painted-on scale of dots around a knob: eleven steps over its 270-degree sweep.
void DrawScale(ImageCanvas& c, double cx, double cy)
{
  for (int i = 0; i <= 10; i++) {
    const double a = (-135.0 + 27.0 * i) * M_PI / 180.0;
    // Whole-pixel boxes of one size, so every dot looks alike; the end stops are larger.
    const int size = (i == 0 || i == 10) ? 4 : 3;
    const int l = static_cast<int>(std::lround(cx + 33.0 * std::sin(a) - size / 2.0));
    const int t = static_cast<int>(std::lround(cy - 33.0 * std::cos(a) - size / 2.0));
    c.FillEllipse(l, t, l + size, t + size, kCream, 0.85f);
  }
}

// Lettering with a faint dark shadow below, so it reads on the striped paint.
void Legend(ImageCanvas& c, const std::string& font, int size, const char* text, RECT box, int format)
{
  const RECT shadow = {box.left, box.top + 1, box.right, box.bottom + 1};
  c.Text(font.c_str(), size, text, shadow, kStreak, format);
  c.Text(font.c_str(), size, text, box, kCream, format);
}

// The largest size up to maxSize at which the text fits the width.
int FittingSize(ImageCanvas& c, const std::string& font, const char* text, int maxSize, int width)
{
  int size = maxSize;
  while (size > 6 && c.TextWidth(font.c_str(), size, text) > width) size--;
  return size;
}

} // namespace

void DrawBackground(ImageCanvas& c, const ArtFonts& fonts)
{
  DrawEnclosure(c);
  DrawScrew(c, 12.5, 12.5, 4.5, 30);
  DrawScrew(c, kWidth - 12.5, 12.5, 4.5, 75);
  DrawScrew(c, 12.5, kHeight - 12.5, 4.5, 110);
  DrawScrew(c, kWidth - 12.5, kHeight - 12.5, 4.5, 160);

  // A recess around the lamp.
  c.FillCircle(104, 28, 14.0, kBlack, 0.30f);

  const int center = TEXT_CENTER | TEXT_VCENTER | TEXT_SINGLELINE | TEXT_NOPREFIX | TEXT_NOCLIP;
  // The name fills the about target area; "FUZZ" balances it on the lamp's other side.
  const int nameSize = FittingSize(c, fonts.bold, "BRINDLE", 16, 68);
  Legend(c, fonts.bold, nameSize, "BRINDLE", RECT{10, 35, 80, 55}, center);
  Legend(c, fonts.bold, nameSize, "FUZZ", RECT{128, 35, 198, 55}, center);

  Legend(c, fonts.bold, 9, "CABINET", RECT{132, 61, 204, 85}, center);
  for (double x : {kLevelX, kAttackX}) DrawScale(c, x, kKnobY);
  Legend(c, fonts.bold, 10, "LEVEL", RECT{18, 163, 93, 176}, center);
  Legend(c, fonts.bold, 10, "ATTACK", RECT{115, 163, 190, 176}, center);

  // The footswitch's washer: a dark ring with a brushed face.
  c.FillCircle(kFootX + 1, kFootY + 2, 29, kBlack, 0.35f);
  c.FillCircle(kFootX, kFootY, 28, kChrome.Scaled(0.12));
  c.FillCircle(kFootX, kFootY, 26.5, kChrome.Scaled(0.3));
  ShadeDisc(c, kFootX, kFootY, 26.5, 0.6);

  // The jacks sit on the sides: the signal comes in on the right and leaves on the left.
  const int label = TEXT_VCENTER | TEXT_SINGLELINE | TEXT_NOPREFIX;
  Legend(c, fonts.bold, 8, "OUT", RECT{16, 240, 60, 252}, label);
  Legend(c, fonts.bold, 8, "IN", RECT{148, 240, 192, 252}, label | TEXT_RIGHT);
  for (int x : {9, 194}) {
    const std::vector<POINT> arrow = {{x + 5, 242}, {x, 246}, {x + 5, 250}};
    c.FillPolygon(arrow, kCream, 0.9f);
  }

  c.Polyline({{70, 300}, {82, 300}}, 1, kCream, 0.5f);
  c.Polyline({{126, 300}, {138, 300}}, 1, kCream, 0.5f);
  Legend(c, fonts.regular, 11, BrindleIdentity::kMaker, RECT{80, 292, 128, 308}, center);
}
