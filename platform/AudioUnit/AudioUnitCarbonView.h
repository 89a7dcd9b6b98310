/*
 * AudioUnitCarbonView.h — the legacy view component: its component type and selectors. A view
 * component is opened like any component; kAudioUnitCarbonViewCreateSelect carries, in published
 * order: AudioUnit inEditAudioUnit, WindowRef inWindow, ControlRef inParentControl,
 * const Float32Point* inLocation, const Float32Point* inSize, ControlRef* outControl.
 * This system has no Carbon windows; WindowRef and ControlRef are opaque handles.
 */
#ifndef BRINDLE_PLATFORM_AUDIOUNITCARBONVIEW_H
#define BRINDLE_PLATFORM_AUDIOUNITCARBONVIEW_H

#include <AudioUnit/AUComponent.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef ComponentInstance AudioUnitCarbonView;
typedef struct OpaqueWindowPtr* WindowRef;
typedef struct OpaqueControlRef* ControlRef;

typedef struct Float32Point
{
  Float32 x;
  Float32 y;
} Float32Point;

enum {
  kAudioUnitCarbonViewComponentType = 0x61757677 /* 'auvw' */
};

enum {
  kAudioUnitCarbonViewRange = 0x0300,
  kAudioUnitCarbonViewCreateSelect = 0x0301,
  kAudioUnitCarbonViewSetEventListenerSelect = 0x0302
};

#ifdef __cplusplus
}
#endif

#endif
