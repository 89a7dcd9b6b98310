#pragma once
// The product's identity towards the host and its factory. MakePlug is what the
// component entry calls when the host opens an instance; instance creation is
// serialised across the whole process by the factory's own mutex.

#include "au/IEffectInstanceInfo.h"

class Brindle;

// Reverse-domain identifier of the plug-in's bundle (the editor finds its images
// in that bundle).
extern const char* const kBrindleBundleID;
// The Cocoa view factory class the host instantiates for the editor.
extern const char* const kBrindleViewClassName;

// Bundle identifier and view class name, as handed to every new instance.
IEffectInstanceInfo MakeBrindleInstanceInfo();

// A new Brindle; the caller owns it.
Brindle* MakePlug();
