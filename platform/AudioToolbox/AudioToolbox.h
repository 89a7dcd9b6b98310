/*
 * AudioToolbox.h — umbrella for the AudioToolbox services this system uses: Audio Unit events.
 */
#ifndef BRINDLE_PLATFORM_AUDIOTOOLBOX_H
#define BRINDLE_PLATFORM_AUDIOTOOLBOX_H

#include <AudioUnit/AudioUnit.h>
#include <AudioToolbox/AudioUnitUtilities.h>

#endif
