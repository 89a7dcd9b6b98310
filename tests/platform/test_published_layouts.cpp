// Records and constants keep Apple's published layouts and values: hosts and units exchange these
// records by size, and the adapter's numbers must mean on a Mac what they mean here.
#include <AudioToolbox/AudioToolbox.h>
#include <CoreServices/CoreServices.h>

#include <cstddef>

static_assert(sizeof(AudioStreamBasicDescription) == 40, "stream format size");
static_assert(offsetof(AudioStreamBasicDescription, mFormatID) == 8, "");
static_assert(offsetof(AudioStreamBasicDescription, mChannelsPerFrame) == 28, "");
static_assert(sizeof(AudioTimeStamp) == 64, "time stamp size");
static_assert(offsetof(AudioTimeStamp, mFlags) == 56, "");
static_assert(sizeof(AudioBufferList) == 24 && offsetof(AudioBufferList, mBuffers) == 8, "");
static_assert(sizeof(AudioUnitParameterInfo) == 104, "parameter info size");
static_assert(offsetof(AudioUnitParameterInfo, unitName) == 56, "");
static_assert(offsetof(AudioUnitParameterInfo, cfNameString) == 72, "");
static_assert(offsetof(AudioUnitParameterInfo, flags) == 96, "");
static_assert(sizeof(ComponentDescription) == 20, "");
static_assert(offsetof(ComponentParameters, params) == 8, "");
static_assert(sizeof(AUPreset) == 16 && sizeof(AudioUnitConnection) == 16, "");
static_assert(sizeof(AURenderCallbackStruct) == 16 && sizeof(AudioUnitCocoaViewInfo) == 16, "");
static_assert(sizeof(HostCallbackInfo) == 32 && sizeof(AUChannelInfo) == 4, "");
static_assert(sizeof(AudioUnitParameterStringFromValue) == 24, "");
static_assert(sizeof(AudioUnitParameterValueFromString) == 24, "");
static_assert(sizeof(AudioUnitParameterNameInfo) == 16 && sizeof(AUHostIdentifier) == 16, "");
static_assert(sizeof(AudioUnitEvent) == 32 && offsetof(AudioUnitEvent, mArgument) == 8, "");
static_assert(offsetof(AudioUnitParameterEvent, eventValues) == 16, "");
static_assert(sizeof(MusicDeviceNoteParams) == 20, "");

static_assert(kAudioUnitParameterFlag_CFNameRelease + kAudioUnitParameterFlag_HasCFNameString +
                      kAudioUnitParameterFlag_IsGlobalMeta + kAudioUnitParameterFlag_IsElementMeta +
                      kAudioUnitParameterFlag_IsReadable ==
                  0x78000010U,
              "flags of a read-only parameter");
static_assert((kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved) == 0x29,
              "canonical non-interleaved float");
static_assert(kAudioFormatLinearPCM == 0x6C70636D && kAudioUnitType_Effect == 0x61756678, "");
static_assert(kAudioChannelLayoutTag_Mono == 0x00640001 && kAudioChannelLayoutTag_Stereo == 0x00650002, "");
static_assert(badComponentSelector == static_cast<OSStatus>(0x80008002), "");
static_assert(kAudioUnitRenderAction_PreRender == 4 && kAudioUnitRenderAction_PostRender == 8, "");
static_assert(kAudioUnitScheduleParametersSelect == 17 && kAudioUnitRemovePropertyListenerWithUserDataSelect == 18, "");
static_assert(kMusicDeviceStopNoteSelect == 0x106 && kAudioUnitCarbonViewCreateSelect == 0x301, "");
static_assert(gestaltSystemVersion == 0x73797376, "'sysv'");
