// The about panel: an opaque cream card with a brown border naming the product, its version and
// its maker.
#include "BrindleIdentity.h"
#include "tools/imagegen/PedalArt.h"

namespace {

using namespace Palette;

constexpr Rgb kInk{72, 40, 16};
constexpr Rgb kCardTop{248, 239, 218};
constexpr Rgb kCardBottom{228, 211, 178};

} // namespace

void DrawAbout(ImageCanvas& c, const ArtFonts& fonts)
{
  const int w = c.Width(), h = c.Height();
  c.FillRect(0, 0, w, h, kInk);
  c.VerticalGradient(3, 3, w - 3, h - 3, kCardTop, kCardBottom);
  // An inner rule, as printed cards have.
  c.FillRect(7, 7, w - 7, 8, kInk, 0.5f);
  c.FillRect(7, h - 8, w - 7, h - 7, kInk, 0.5f);
  c.FillRect(7, 8, 8, h - 8, kInk, 0.5f);
  c.FillRect(w - 8, 8, w - 7, h - 8, kInk, 0.5f);

  // The enclosure's colour as a band under the inner rule at the top and bottom.
  c.FillRect(8, 8, w - 8, 12, kPaint, 0.85f);
  c.FillRect(8, h - 12, w - 8, h - 8, kPaint, 0.85f);

  const int center = TEXT_CENTER | TEXT_VCENTER | TEXT_SINGLELINE | TEXT_NOPREFIX;
  c.Text(fonts.bold.c_str(), 30, BrindleIdentity::kName, RECT{8, 28, w - 8, 70}, kInk, center);
  c.FillRect(w / 2 - 40, 78, w / 2 + 40, 79, kInk, 0.6f);
  const std::string version = std::string("version ") + BrindleIdentity::kVersionString;
  c.Text(fonts.regular.c_str(), 12, version.c_str(), RECT{8, 86, w - 8, 104}, kInk, center);
  c.Text(fonts.regular.c_str(), 12, BrindleIdentity::kMaker, RECT{8, 116, w - 8, 134}, kInk.Mix(kPaint, 0.5), center);
}
