/*
 * AudioUnit.h — umbrella for the Audio Unit interface: component calls and constants, properties and
 * their records, instrument selectors and the legacy view component.
 */
#ifndef BRINDLE_PLATFORM_AUDIOUNIT_H
#define BRINDLE_PLATFORM_AUDIOUNIT_H

#include <AudioUnit/AUComponent.h>
#include <AudioUnit/AudioUnitProperties.h>
#include <AudioUnit/MusicDevice.h>
#include <AudioUnit/AudioUnitCarbonView.h>

#endif
