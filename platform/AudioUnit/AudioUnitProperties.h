/*
 * AudioUnitProperties.h — Audio Unit property IDs, scopes, and the records properties carry, with
 * Apple's published names, values and layouts (sizes on a 64-bit system in the comments; they are
 * the sizes hosts and units exchange).
 */
#ifndef BRINDLE_PLATFORM_AUDIOUNITPROPERTIES_H
#define BRINDLE_PLATFORM_AUDIOUNITPROPERTIES_H

#include <CoreFoundation/CoreFoundation.h>
#include <AudioUnit/AUComponent.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
  kAudioUnitScope_Global = 0,
  kAudioUnitScope_Input = 1,
  kAudioUnitScope_Output = 2,
  kAudioUnitScope_Group = 3,
  kAudioUnitScope_Part = 4,
  kAudioUnitScope_Note = 5
};

enum {
  kAudioUnitProperty_ClassInfo = 0,
  kAudioUnitProperty_MakeConnection = 1,
  kAudioUnitProperty_SampleRate = 2,
  kAudioUnitProperty_ParameterList = 3,
  kAudioUnitProperty_ParameterInfo = 4,
  kAudioUnitProperty_FastDispatch = 5,
  kAudioUnitProperty_CPULoad = 6,
  kAudioUnitProperty_StreamFormat = 8,
  kAudioUnitProperty_ElementCount = 11,
  kAudioUnitProperty_Latency = 12,
  kAudioUnitProperty_SupportedNumChannels = 13,
  kAudioUnitProperty_MaximumFramesPerSlice = 14,
  kAudioUnitProperty_ParameterValueStrings = 16,
  kAudioUnitProperty_GetUIComponentList = 18,
  kAudioUnitProperty_AudioChannelLayout = 19,
  kAudioUnitProperty_TailTime = 20,
  kAudioUnitProperty_BypassEffect = 21,
  kAudioUnitProperty_LastRenderError = 22,
  kAudioUnitProperty_SetRenderCallback = 23,
  kAudioUnitProperty_FactoryPresets = 24,
  kAudioUnitProperty_HostCallbacks = 27,
  kAudioUnitProperty_CurrentPreset = 28,
  kAudioUnitProperty_ElementName = 30,
  kAudioUnitProperty_CocoaUI = 31,
  kAudioUnitProperty_SupportedChannelLayoutTags = 32,
  kAudioUnitProperty_ParameterStringFromValue = 33,
  kAudioUnitProperty_ParameterIDName = 34,
  kAudioUnitProperty_ParameterClumpName = 35,
  kAudioUnitProperty_PresentPreset = 36,
  kAudioUnitProperty_OfflineRender = 37,
  kAudioUnitProperty_ParameterValueFromString = 38,
  kAudioUnitProperty_AUHostIdentifier = 46
};

/* kAudioUnitProperty_MakeConnection (16 bytes). */
typedef struct AudioUnitConnection
{
  AudioUnit sourceAudioUnit;
  UInt32 sourceOutputNumber;
  UInt32 destInputNumber;
} AudioUnitConnection;

/* kAudioUnitProperty_SetRenderCallback (16 bytes). */
typedef struct AURenderCallbackStruct
{
  AURenderCallback inputProc;
  void* inputProcRefCon;
} AURenderCallbackStruct;

/* kAudioUnitProperty_SupportedNumChannels: one per legal pair; -1 means any count. */
typedef struct AUChannelInfo
{
  SInt16 inChannels;
  SInt16 outChannels;
} AUChannelInfo;

/* kAudioUnitProperty_FactoryPresets (array of), CurrentPreset, PresentPreset (16 bytes). */
typedef struct AUPreset
{
  SInt32 presetNumber;
  CFStringRef presetName;
} AUPreset;

/* kAudioUnitProperty_CocoaUI (16 bytes for one class). */
typedef struct AudioUnitCocoaViewInfo
{
  CFURLRef mCocoaAUViewBundleLocation;
  CFStringRef mCocoaAUViewClass[1];
} AudioUnitCocoaViewInfo;

/* kAudioUnitProperty_HostCallbacks (32 bytes). */
typedef OSStatus (*HostCallback_GetBeatAndTempo)(void* inHostUserData, Float64* outCurrentBeat,
                                                 Float64* outCurrentTempo);
typedef OSStatus (*HostCallback_GetMusicalTimeLocation)(void* inHostUserData, UInt32* outDeltaSampleOffsetToNextBeat,
                                                        Float32* outTimeSig_Numerator, UInt32* outTimeSig_Denominator,
                                                        Float64* outCurrentMeasureDownBeat);
typedef OSStatus (*HostCallback_GetTransportState)(void* inHostUserData, Boolean* outIsPlaying,
                                                   Boolean* outTransportStateChanged,
                                                   Float64* outCurrentSampleInTimeLine, Boolean* outIsCycling,
                                                   Float64* outCycleStartBeat, Float64* outCycleEndBeat);

typedef struct HostCallbackInfo
{
  void* hostUserData;
  HostCallback_GetBeatAndTempo beatAndTempoProc;
  HostCallback_GetMusicalTimeLocation musicalTimeLocationProc;
  HostCallback_GetTransportState transportStateProc;
} HostCallbackInfo;

/* kAudioUnitProperty_AUHostIdentifier (16 bytes). */
typedef struct AUNumVersion
{
  UInt8 nonRelRev;
  UInt8 stage;
  UInt8 minorAndBugRev;
  UInt8 majorRev;
} AUNumVersion;

typedef struct AUHostIdentifier
{
  CFStringRef hostName;
  AUNumVersion hostVersion;
} AUHostIdentifier;

/* Parameter units. */
typedef UInt32 AudioUnitParameterUnit;
enum {
  kAudioUnitParameterUnit_Generic = 0,
  kAudioUnitParameterUnit_Indexed = 1,
  kAudioUnitParameterUnit_Boolean = 2,
  kAudioUnitParameterUnit_Percent = 3,
  kAudioUnitParameterUnit_Seconds = 4,
  kAudioUnitParameterUnit_SampleFrames = 5,
  kAudioUnitParameterUnit_Phase = 6,
  kAudioUnitParameterUnit_Rate = 7,
  kAudioUnitParameterUnit_Hertz = 8,
  kAudioUnitParameterUnit_Cents = 9,
  kAudioUnitParameterUnit_RelativeSemiTones = 10,
  kAudioUnitParameterUnit_MIDINoteNumber = 11,
  kAudioUnitParameterUnit_MIDIController = 12,
  kAudioUnitParameterUnit_Decibels = 13,
  kAudioUnitParameterUnit_LinearGain = 14,
  kAudioUnitParameterUnit_Degrees = 15,
  kAudioUnitParameterUnit_EqualPowerCrossfade = 16,
  kAudioUnitParameterUnit_MixerFaderCurve1 = 17,
  kAudioUnitParameterUnit_Pan = 18,
  kAudioUnitParameterUnit_Meters = 19,
  kAudioUnitParameterUnit_AbsoluteCents = 20,
  kAudioUnitParameterUnit_Octaves = 21,
  kAudioUnitParameterUnit_BPM = 22,
  kAudioUnitParameterUnit_Beats = 23,
  kAudioUnitParameterUnit_Milliseconds = 24,
  kAudioUnitParameterUnit_Ratio = 25,
  kAudioUnitParameterUnit_CustomUnit = 26
};

/* Parameter flags. */
typedef UInt32 AudioUnitParameterOptions;
enum {
  kAudioUnitParameterFlag_CFNameRelease = (1U << 4),
  kAudioUnitParameterFlag_OmitFromPresets = (1U << 13),
  kAudioUnitParameterFlag_PlotHistory = (1U << 14),
  kAudioUnitParameterFlag_MeterReadOnly = (1U << 15),
  kAudioUnitParameterFlag_DisplayMask = (7U << 16) | (1U << 22),
  kAudioUnitParameterFlag_DisplaySquareRoot = (1U << 16),
  kAudioUnitParameterFlag_DisplaySquared = (2U << 16),
  kAudioUnitParameterFlag_DisplayCubed = (3U << 16),
  kAudioUnitParameterFlag_DisplayCubeRoot = (4U << 16),
  kAudioUnitParameterFlag_DisplayExponential = (5U << 16),
  kAudioUnitParameterFlag_HasClump = (1U << 20),
  kAudioUnitParameterFlag_ValuesHaveStrings = (1U << 21),
  kAudioUnitParameterFlag_DisplayLogarithmic = (1U << 22),
  kAudioUnitParameterFlag_IsHighResolution = (1U << 23),
  kAudioUnitParameterFlag_NonRealTime = (1U << 24),
  kAudioUnitParameterFlag_CanRamp = (1U << 25),
  kAudioUnitParameterFlag_ExpertMode = (1U << 26),
  kAudioUnitParameterFlag_HasCFNameString = (1U << 27),
  kAudioUnitParameterFlag_IsGlobalMeta = (1U << 28),
  kAudioUnitParameterFlag_IsElementMeta = (1U << 29),
  kAudioUnitParameterFlag_IsReadable = (1U << 30),
  kAudioUnitParameterFlag_IsWritable = (1U << 31)
};

/* kAudioUnitProperty_ParameterInfo (104 bytes). */
typedef struct AudioUnitParameterInfo
{
  char name[52];
  CFStringRef unitName;
  UInt32 clumpID;
  CFStringRef cfNameString;
  AudioUnitParameterUnit unit;
  AudioUnitParameterValue minValue;
  AudioUnitParameterValue maxValue;
  AudioUnitParameterValue defaultValue;
  AudioUnitParameterOptions flags;
} AudioUnitParameterInfo;

enum { kAudioUnitClumpID_System = 0 };

/* kAudioUnitProperty_ParameterStringFromValue (24 bytes). */
typedef struct AudioUnitParameterStringFromValue
{
  AudioUnitParameterID inParamID;
  const AudioUnitParameterValue* inValue;
  CFStringRef outString;
} AudioUnitParameterStringFromValue;

/* kAudioUnitProperty_ParameterValueFromString (24 bytes). */
typedef struct AudioUnitParameterValueFromString
{
  AudioUnitParameterID inParamID;
  CFStringRef inString;
  AudioUnitParameterValue outValue;
} AudioUnitParameterValueFromString;

/* kAudioUnitProperty_ParameterIDName and, for clumps, kAudioUnitProperty_ParameterClumpName
 * (16 bytes). inID is the parameter ID, or the clump ID for a clump name. */
typedef struct AudioUnitParameterNameInfo
{
  AudioUnitParameterID inID;
  SInt32 inDesiredLength;
  CFStringRef outName;
} AudioUnitParameterNameInfo;
typedef AudioUnitParameterNameInfo AudioUnitParameterIDName;

enum { kAudioUnitParameterName_Full = -1 };

#ifdef __cplusplus
}
#endif

#endif
