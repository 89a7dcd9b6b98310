/*
 * AUComponent.h — the Audio Unit component interface: types, selectors, error codes, render action
 * flags, callback signatures and the AudioUnit* calls a host makes.
 *
 * Every AudioUnit* call builds a Component Manager parameter block (see CoreServices/Components.h for
 * the slot convention) with the selector's arguments in Apple's published order and dispatches it to
 * the unit's entry function, exactly as the Mac Component Manager does. Arguments per selector, in
 * published order (argument i sits at params[n - 1 - i]):
 *
 *   kAudioUnitInitializeSelect, kAudioUnitUninitializeSelect      (none)
 *   kAudioUnitGetPropertyInfoSelect   inID, inScope, inElement, UInt32* outDataSize, Boolean* outWritable
 *   kAudioUnitGetPropertySelect       inID, inScope, inElement, void* outData, UInt32* ioDataSize
 *   kAudioUnitSetPropertySelect       inID, inScope, inElement, const void* inData, UInt32 inDataSize
 *   kAudioUnitAddPropertyListenerSelect          inID, AudioUnitPropertyListenerProc, void* inProcRefCon
 *   kAudioUnitRemovePropertyListenerSelect       inID, AudioUnitPropertyListenerProc
 *   kAudioUnitRemovePropertyListenerWithUserDataSelect  inID, AudioUnitPropertyListenerProc, void* refCon
 *   kAudioUnitAddRenderNotifySelect, kAudioUnitRemoveRenderNotifySelect  AURenderCallback, void* refCon
 *   kAudioUnitGetParameterSelect      inID, inScope, inElement, AudioUnitParameterValue* outValue
 *   kAudioUnitSetParameterSelect      inID, inScope, inElement, AudioUnitParameterValue inValue,
 *                                     UInt32 inBufferOffsetInFrames
 *   kAudioUnitScheduleParametersSelect  const AudioUnitParameterEvent* inEvents, UInt32 inNumEvents
 *   kAudioUnitRenderSelect            AudioUnitRenderActionFlags* ioActionFlags,
 *                                     const AudioTimeStamp* inTimeStamp, UInt32 inOutputBusNumber,
 *                                     UInt32 inNumberFrames, AudioBufferList* ioData
 *   kAudioUnitResetSelect             inScope, inElement
 *
 * A unit's fast-dispatch functions (kAudioUnitProperty_FastDispatch) take the instance storage in
 * place of the unit and bypass the entry function altogether.
 */
#ifndef BRINDLE_PLATFORM_AUCOMPONENT_H
#define BRINDLE_PLATFORM_AUCOMPONENT_H

#include <MacTypes.h>
#include <CoreServices/Components.h>
#include <CoreAudio/CoreAudioTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef ComponentInstance AudioUnit;
typedef UInt32 AudioUnitPropertyID;
typedef UInt32 AudioUnitScope;
typedef UInt32 AudioUnitElement;
typedef UInt32 AudioUnitParameterID;
typedef Float32 AudioUnitParameterValue;
typedef UInt32 AudioUnitRenderActionFlags;

/* Component types of effects and instruments. */
enum {
  kAudioUnitType_MusicDevice = 0x61756D75, /* 'aumu' */
  kAudioUnitType_MusicEffect = 0x61756D66, /* 'aumf' */
  kAudioUnitType_Effect = 0x61756678       /* 'aufx' */
};

enum {
  kAudioUnitRange = 0x0000,
  kAudioUnitInitializeSelect = 0x0001,
  kAudioUnitUninitializeSelect = 0x0002,
  kAudioUnitGetPropertyInfoSelect = 0x0003,
  kAudioUnitGetPropertySelect = 0x0004,
  kAudioUnitSetPropertySelect = 0x0005,
  kAudioUnitGetParameterSelect = 0x0006,
  kAudioUnitSetParameterSelect = 0x0007,
  kAudioUnitResetSelect = 0x0009,
  kAudioUnitAddPropertyListenerSelect = 0x000A,
  kAudioUnitRemovePropertyListenerSelect = 0x000B,
  kAudioUnitRenderSelect = 0x000E,
  kAudioUnitAddRenderNotifySelect = 0x000F,
  kAudioUnitRemoveRenderNotifySelect = 0x0010,
  kAudioUnitScheduleParametersSelect = 0x0011,
  kAudioUnitRemovePropertyListenerWithUserDataSelect = 0x0012,
  kAudioUnitComplexRenderSelect = 0x0013,
  kAudioUnitProcessSelect = 0x0014,
  kAudioUnitProcessMultipleSelect = 0x0015
};

enum {
  kAudioUnitErr_InvalidProperty = -10879,
  kAudioUnitErr_InvalidParameter = -10878,
  kAudioUnitErr_InvalidElement = -10877,
  kAudioUnitErr_NoConnection = -10876,
  kAudioUnitErr_FailedInitialization = -10875,
  kAudioUnitErr_TooManyFramesToProcess = -10874,
  kAudioUnitErr_InvalidFile = -10871,
  kAudioUnitErr_FormatNotSupported = -10868,
  kAudioUnitErr_Uninitialized = -10867,
  kAudioUnitErr_InvalidScope = -10866,
  kAudioUnitErr_PropertyNotWritable = -10865,
  kAudioUnitErr_CannotDoInCurrentContext = -10863,
  kAudioUnitErr_InvalidPropertyValue = -10851,
  kAudioUnitErr_PropertyNotInUse = -10850,
  kAudioUnitErr_Initialized = -10849,
  kAudioUnitErr_InvalidOfflineRender = -10848,
  kAudioUnitErr_Unauthorized = -10847
};

/* CoreFoundation's generic failure, returned when a CF object cannot be made. */
enum { coreFoundationUnknownErr = -4960 };

enum {
  kAudioUnitRenderAction_PreRender = (1U << 2),
  kAudioUnitRenderAction_PostRender = (1U << 3),
  kAudioUnitRenderAction_OutputIsSilence = (1U << 4),
  kAudioOfflineUnitRenderAction_Preflight = (1U << 5),
  kAudioOfflineUnitRenderAction_Render = (1U << 6),
  kAudioOfflineUnitRenderAction_Complete = (1U << 7),
  kAudioUnitRenderAction_PostRenderError = (1U << 8),
  kAudioUnitRenderAction_DoNotCheckRenderArgs = (1U << 9)
};

typedef OSStatus (*AURenderCallback)(void* inRefCon, AudioUnitRenderActionFlags* ioActionFlags,
                                     const AudioTimeStamp* inTimeStamp, UInt32 inBusNumber, UInt32 inNumberFrames,
                                     AudioBufferList* ioData);

typedef void (*AudioUnitPropertyListenerProc)(void* inRefCon, AudioUnit inUnit, AudioUnitPropertyID inID,
                                              AudioUnitScope inScope, AudioUnitElement inElement);

/* Scheduled parameter changes. */
typedef UInt32 AUParameterEventType;
enum { kParameterEvent_Immediate = 1, kParameterEvent_Ramped = 2 };

typedef struct AudioUnitParameterEvent
{
  AudioUnitScope scope;
  AudioUnitElement element;
  AudioUnitParameterID parameter;
  AUParameterEventType eventType;
  union
  {
    struct
    {
      SInt32 startBufferOffset;
      UInt32 durationInFrames;
      AudioUnitParameterValue startValue;
      AudioUnitParameterValue endValue;
    } ramp;
    struct
    {
      UInt32 bufferOffset;
      AudioUnitParameterValue value;
    } immediate;
  } eventValues;
} AudioUnitParameterEvent;

/* Fast-dispatch function types: the first argument is the unit's instance storage. */
typedef OSStatus (*AudioUnitGetParameterProc)(void* inComponentStorage, AudioUnitParameterID inID,
                                              AudioUnitScope inScope, AudioUnitElement inElement,
                                              AudioUnitParameterValue* outValue);
typedef OSStatus (*AudioUnitSetParameterProc)(void* inComponentStorage, AudioUnitParameterID inID,
                                              AudioUnitScope inScope, AudioUnitElement inElement,
                                              AudioUnitParameterValue inValue, UInt32 inBufferOffsetInFrames);
typedef OSStatus (*AudioUnitRenderProc)(void* inComponentStorage, AudioUnitRenderActionFlags* ioActionFlags,
                                        const AudioTimeStamp* inTimeStamp, UInt32 inOutputBusNumber,
                                        UInt32 inNumberFrames, AudioBufferList* ioData);

/* Host calls. Each returns the entry function's result, or badComponentInstance for a unit that is
 * not open. */
OSStatus AudioUnitInitialize(AudioUnit inUnit);
OSStatus AudioUnitUninitialize(AudioUnit inUnit);
OSStatus AudioUnitGetPropertyInfo(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                                  AudioUnitElement inElement, UInt32* outDataSize, Boolean* outWritable);
OSStatus AudioUnitGetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, void* outData, UInt32* ioDataSize);
OSStatus AudioUnitSetProperty(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                              AudioUnitElement inElement, const void* inData, UInt32 inDataSize);
OSStatus AudioUnitAddPropertyListener(AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitPropertyListenerProc inProc,
                                      void* inProcUserData);
OSStatus AudioUnitRemovePropertyListener(AudioUnit inUnit, AudioUnitPropertyID inID,
                                         AudioUnitPropertyListenerProc inProc);
OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit inUnit, AudioUnitPropertyID inID,
                                                     AudioUnitPropertyListenerProc inProc, void* inProcUserData);
OSStatus AudioUnitAddRenderNotify(AudioUnit inUnit, AURenderCallback inProc, void* inProcUserData);
OSStatus AudioUnitRemoveRenderNotify(AudioUnit inUnit, AURenderCallback inProc, void* inProcUserData);
OSStatus AudioUnitGetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue* outValue);
OSStatus AudioUnitSetParameter(AudioUnit inUnit, AudioUnitParameterID inID, AudioUnitScope inScope,
                               AudioUnitElement inElement, AudioUnitParameterValue inValue,
                               UInt32 inBufferOffsetInFrames);
OSStatus AudioUnitScheduleParameters(AudioUnit inUnit, const AudioUnitParameterEvent* inParameterEvent,
                                     UInt32 inNumParamEvents);
OSStatus AudioUnitRender(AudioUnit inUnit, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* inTimeStamp,
                         UInt32 inOutputBusNumber, UInt32 inNumberFrames, AudioBufferList* ioData);
OSStatus AudioUnitReset(AudioUnit inUnit, AudioUnitScope inScope, AudioUnitElement inElement);

#ifdef __cplusplus
}
#endif

#endif
