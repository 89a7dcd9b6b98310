/*
 * CoreAudioTypes.h — the records audio travels in between a host and an Audio Unit: stream format
 * descriptions, buffer lists, time stamps and channel-layout tags. Apple's published names, values and
 * layouts (sizeof(AudioStreamBasicDescription) == 40, sizeof(AudioTimeStamp) == 64).
 */
#ifndef BRINDLE_PLATFORM_COREAUDIOTYPES_H
#define BRINDLE_PLATFORM_COREAUDIOTYPES_H

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UInt32 AudioFormatID;
typedef UInt32 AudioFormatFlags;

typedef struct AudioStreamBasicDescription
{
  Float64 mSampleRate;
  AudioFormatID mFormatID;
  AudioFormatFlags mFormatFlags;
  UInt32 mBytesPerPacket;
  UInt32 mFramesPerPacket;
  UInt32 mBytesPerFrame;
  UInt32 mChannelsPerFrame;
  UInt32 mBitsPerChannel;
  UInt32 mReserved;
} AudioStreamBasicDescription;

enum {
  kAudioFormatLinearPCM = 0x6C70636D /* 'lpcm' */
};

enum {
  kAudioFormatFlagIsFloat = (1U << 0),
  kAudioFormatFlagIsBigEndian = (1U << 1),
  kAudioFormatFlagIsSignedInteger = (1U << 2),
  kAudioFormatFlagIsPacked = (1U << 3),
  kAudioFormatFlagIsAlignedHigh = (1U << 4),
  kAudioFormatFlagIsNonInterleaved = (1U << 5),
  kAudioFormatFlagIsNonMixable = (1U << 6),
  kAudioFormatFlagsAreAllClear = 0x80000000U,

  kLinearPCMFormatFlagIsFloat = kAudioFormatFlagIsFloat,
  kLinearPCMFormatFlagIsBigEndian = kAudioFormatFlagIsBigEndian,
  kLinearPCMFormatFlagIsSignedInteger = kAudioFormatFlagIsSignedInteger,
  kLinearPCMFormatFlagIsPacked = kAudioFormatFlagIsPacked,
  kLinearPCMFormatFlagIsAlignedHigh = kAudioFormatFlagIsAlignedHigh,
  kLinearPCMFormatFlagIsNonInterleaved = kAudioFormatFlagIsNonInterleaved,
  kLinearPCMFormatFlagIsNonMixable = kAudioFormatFlagIsNonMixable,

  kAudioFormatFlagsNativeEndian = 0,
  kAudioFormatFlagsNativeFloatPacked =
      kAudioFormatFlagIsFloat | kAudioFormatFlagsNativeEndian | kAudioFormatFlagIsPacked
};

typedef struct AudioBuffer
{
  UInt32 mNumberChannels;
  UInt32 mDataByteSize;
  void* mData;
} AudioBuffer;

/* Variable length: mNumberBuffers buffers follow in place. */
typedef struct AudioBufferList
{
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[1];
} AudioBufferList;

typedef UInt32 SMPTETimeType;
typedef UInt32 SMPTETimeFlags;

typedef struct SMPTETime
{
  SInt16 mSubframes;
  SInt16 mSubframeDivisor;
  UInt32 mCounter;
  SMPTETimeType mType;
  SMPTETimeFlags mFlags;
  SInt16 mHours;
  SInt16 mMinutes;
  SInt16 mSeconds;
  SInt16 mFrames;
} SMPTETime;

typedef UInt32 AudioTimeStampFlags;
enum {
  kAudioTimeStampSampleTimeValid = (1U << 0),
  kAudioTimeStampHostTimeValid = (1U << 1),
  kAudioTimeStampRateScalarValid = (1U << 2),
  kAudioTimeStampWordClockTimeValid = (1U << 3),
  kAudioTimeStampSMPTETimeValid = (1U << 4),
  kAudioTimeStampSampleHostTimeValid = kAudioTimeStampSampleTimeValid | kAudioTimeStampHostTimeValid
};

typedef struct AudioTimeStamp
{
  Float64 mSampleTime;
  UInt64 mHostTime;
  Float64 mRateScalar;
  UInt64 mWordClockTime;
  SMPTETime mSMPTETime;
  AudioTimeStampFlags mFlags;
  UInt32 mReserved;
} AudioTimeStamp;

typedef UInt32 AudioChannelLayoutTag;
enum {
  kAudioChannelLayoutTag_Mono = (100U << 16) | 1,
  kAudioChannelLayoutTag_Stereo = (101U << 16) | 2,
  kAudioChannelLayoutTag_Unknown = 0xFFFF0000U
};

#ifdef __cplusplus
}
#endif

#endif
