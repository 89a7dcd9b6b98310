/*
 * AudioUnitUtilities.h — Audio Unit events: parameter value changes, change gestures and property
 * changes that units and their views post and hosts listen to.
 *
 * Apple's names and records. Delivery here is synchronous: AUEventListenerNotify calls every matching
 * listener on the calling thread before it returns, so the run-loop, interval and granularity
 * arguments of AUEventListenerCreate are accepted and have no effect. A listener hears an event when
 * it registered that event type for the same unit, scope and element and the same parameter (or
 * kAUParameterListener_AnyParameter) or property; the listener that sent the event is skipped. For a
 * value-change event the listener receives the parameter's current value, read from the unit with
 * AudioUnitGetParameter (0 when the unit does not answer).
 */
#ifndef BRINDLE_PLATFORM_AUDIOUNITUTILITIES_H
#define BRINDLE_PLATFORM_AUDIOUNITUTILITIES_H

#include <CoreFoundation/CoreFoundation.h>
#include <AudioUnit/AudioUnit.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UInt32 AudioUnitEventType;
enum {
  kAudioUnitEvent_ParameterValueChange = 0,
  kAudioUnitEvent_BeginParameterChangeGesture = 1,
  kAudioUnitEvent_EndParameterChangeGesture = 2,
  kAudioUnitEvent_PropertyChange = 3
};

#define kAUParameterListener_AnyParameter 0xFFFFFFFFU

typedef struct AudioUnitParameter
{
  AudioUnit mAudioUnit;
  AudioUnitParameterID mParameterID;
  AudioUnitScope mScope;
  AudioUnitElement mElement;
} AudioUnitParameter;

typedef struct AudioUnitProperty
{
  AudioUnit mAudioUnit;
  AudioUnitPropertyID mPropertyID;
  AudioUnitScope mScope;
  AudioUnitElement mElement;
} AudioUnitProperty;

typedef struct AudioUnitEvent
{
  AudioUnitEventType mEventType;
  union
  {
    AudioUnitParameter mParameter; /* the three parameter event types */
    AudioUnitProperty mProperty;   /* kAudioUnitEvent_PropertyChange */
  } mArgument;
} AudioUnitEvent;

typedef struct AUListenerBase* AUParameterListenerRef;
typedef AUParameterListenerRef AUEventListenerRef;

typedef void (*AUEventListenerProc)(void* inCallbackRefCon, void* inObject, const AudioUnitEvent* inEvent,
                                    UInt64 inEventHostTime, AudioUnitParameterValue inParameterValue);

/* A new listener with no event types; paramErr for a NULL proc or out-pointer. */
OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inCallbackRefCon, CFRunLoopRef inRunLoop,
                               CFStringRef inRunLoopMode, Float32 inNotificationInterval,
                               Float32 inValueChangeGranularity, AUEventListenerRef* outListener);
/* Registers interest in the event's type and target; inObject is handed back with each delivery.
 * Registering the same type, target and object twice keeps one registration. paramErr for an
 * unknown listener, a NULL event or an unknown event type. */
OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject, const AudioUnitEvent* inEvent);
/* Removes a registration made with the same type, target and object; paramErr when there is none. */
OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject, const AudioUnitEvent* inEvent);
OSStatus AUListenerDispose(AUParameterListenerRef inListener);

/* Posts an event to every interested listener except inSendingListener (which may be NULL).
 * inSendingObject is accepted for compatibility. paramErr for a NULL event. */
OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void* inSendingObject,
                               const AudioUnitEvent* inEvent);

#ifdef __cplusplus
}
#endif

#endif
