// The editor's image files, found by bare name in the plug-in bundle's resources; the layout itself
// is GainPlug::AttachEditor (GainPlugImpl.h).
#include "examples/gain/GainPlug.h"

const char* const kGainBackgroundFile = "gain_background.png";
const char* const kGainKnobFile = "gain_knob.png";
