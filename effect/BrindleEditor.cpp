// The editor's image files; the layout itself is BrindlePlug::AttachEditor (BrindlePlugImpl.h).
#include "effect/BrindleEditor.h"

const char* const kBrindleBackgroundFile = "resources/img/background.png";
const char* const kBrindleLedFile = "resources/img/brindle_led.png";
const char* const kBrindleSwitch01File = "resources/img/brindle_switch_01.png";
const char* const kBrindleSwitch02File = "resources/img/brindle_switch_02.png";
const char* const kBrindleKnobFile = "resources/img/brindle_knob_01.png";
const char* const kBrindleAboutFile = "resources/img/brindle_about.png";
