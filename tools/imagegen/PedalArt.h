// The drawings behind the editor's six pictures: the pedal's enclosure, its lamp, the cabinet toggle,
// the footswitch, one knob position and the about panel. Each draws one frame into a fresh
// ImageCanvas of that frame's size; the generator stacks frames and writes the files.
#pragma once

#include "tools/imagegen/ImageCanvas.h"

#include <string>

// The two font files all lettering comes from.
struct ArtFonts
{
  std::string bold;
  std::string regular;
};

// The colours the pictures share, so that the controls sit on the enclosure as one object.
namespace Palette {
constexpr Rgb kPaint{116, 68, 30};    // the enclosure's brindle-brown enamel
constexpr Rgb kStreak{38, 20, 8};     // the darker brindle stripes
constexpr Rgb kEdge{26, 17, 11};      // beyond the enclosure's rounded corners
constexpr Rgb kCream{242, 228, 198};  // lettering
constexpr Rgb kChrome{196, 196, 190}; // screws, bezels, nuts and caps
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
} // namespace Palette

void DrawBackground(ImageCanvas& canvas, const ArtFonts& fonts); // 208 x 326
void DrawAbout(ImageCanvas& canvas, const ArtFonts& fonts);      // 198 x 160
void DrawLamp(ImageCanvas& canvas, bool lit);                    // 26 x 26
void DrawToggle(ImageCanvas& canvas, bool on);                   // 48 x 24
void DrawFootswitch(ImageCanvas& canvas, bool pressed);          // 48 x 48
// The knob with its pointer turned by degrees clockwise from straight up.
void DrawKnob(ImageCanvas& canvas, double degrees); // 75 x 75

// Light falling from the upper left onto a dome of the given radius around (cx, cy): about 1 at the
// centre, up to 1 + strength towards the light, down to 1 - strength away from it.
double DomeLight(double x, double y, double cx, double cy, double radius, double strength);
// How much of the pixel at (x, y) (its centre) a disc covers, 0..1, judged by distance.
double InDisc(double x, double y, double cx, double cy, double radius);
// DomeLight over a disc only: pixels outside it keep their colour, its edge pixels in proportion.
void ShadeDisc(ImageCanvas& canvas, double cx, double cy, double radius, double strength);
// A small round-headed slotted screw centred at (cx, cy); the slot turned by degrees.
void DrawScrew(ImageCanvas& canvas, double cx, double cy, double radius, double degrees);
