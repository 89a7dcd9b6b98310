// The editor's image files, found by bare name in each bundle's resources; the layout itself is
// TplNamePlug::AttachEditor (TplNamePlugImpl.h), the pictures art/make_images.cpp.
#include "TplNamePlug.h"

const char* const kTplNameBackgroundFile = "tplname_background.png";
const char* const kTplNameKnobFile = "tplname_knob.png";
