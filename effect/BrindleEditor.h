#pragma once
// Brindle's editor: a 208 x 326 window skinned with six PNG images, with the lamp, the cabinet
// switch, the footswitch, the Level and Attack knobs and the about overlay, in that order of
// attachment. The images are found by bare file name in the plug-in bundle's resources.

class IEffectAU;
class IGraphicsMac;

constexpr int kBrindleEditorWidth = 208;
constexpr int kBrindleEditorHeight = 326;

// Resource ids and file names of the editor's images.
enum EBrindleImageIds {
  kBrindleSwitch02Id = 100,
  kBrindleKnobId = 101,
  kBrindleBackgroundId = 102,
  kBrindleAboutId = 103,
  kBrindleLedId = 104,
  kBrindleSwitch01Id = 105
};
extern const char* const kBrindleBackgroundFile;
extern const char* const kBrindleLedFile;
extern const char* const kBrindleSwitch01File;
extern const char* const kBrindleSwitch02File;
extern const char* const kBrindleKnobFile;
extern const char* const kBrindleAboutFile;

// A new, empty editor for the Audio Unit plug-in with the given size and frame rate (0 or less: the default
// rate), carrying the plug-in's bundle identifier so that it finds its images.
IGraphicsMac* MakeGraphics(IEffectAU* plug, int width, int height, int frameRate);
