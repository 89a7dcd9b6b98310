/*
 * MusicDevice.h — the instrument (music device) selectors an Audio Unit entry answers, with the
 * note record they carry. Arguments per selector, in published order (see Components.h for the
 * parameter-block slots):
 *
 *   kMusicDeviceMIDIEventSelect          UInt32 inStatus, UInt32 inData1, UInt32 inData2,
 *                                        UInt32 inOffsetSampleFrame
 *   kMusicDeviceSysExSelect              const UInt8* inData, UInt32 inLength
 *   kMusicDevicePrepareInstrumentSelect, kMusicDeviceReleaseInstrumentSelect
 *                                        MusicDeviceInstrumentID inInstrument
 *   kMusicDeviceStartNoteSelect          MusicDeviceInstrumentID inInstrument,
 *                                        MusicDeviceGroupID inGroupID,
 *                                        NoteInstanceID* outNoteInstanceID,
 *                                        UInt32 inOffsetSampleFrame,
 *                                        const MusicDeviceNoteParams* inParams
 *   kMusicDeviceStopNoteSelect           MusicDeviceGroupID inGroupID, NoteInstanceID inNoteInstanceID,
 *                                        UInt32 inOffsetSampleFrame
 */
#ifndef BRINDLE_PLATFORM_MUSICDEVICE_H
#define BRINDLE_PLATFORM_MUSICDEVICE_H

#include <AudioUnit/AUComponent.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UInt32 MusicDeviceInstrumentID;
typedef UInt32 MusicDeviceGroupID;
typedef UInt32 NoteInstanceID;
typedef AudioUnit MusicDeviceComponent;

typedef struct NoteParamsControlValue
{
  AudioUnitParameterID mID;
  AudioUnitParameterValue mValue;
} NoteParamsControlValue;

typedef struct MusicDeviceNoteParams
{
  UInt32 argCount;
  Float32 mPitch;
  Float32 mVelocity;
  NoteParamsControlValue mControls[1];
} MusicDeviceNoteParams;

enum {
  kMusicDeviceRange = 0x0100,
  kMusicDeviceMIDIEventSelect = 0x0101,
  kMusicDeviceSysExSelect = 0x0102,
  kMusicDevicePrepareInstrumentSelect = 0x0103,
  kMusicDeviceReleaseInstrumentSelect = 0x0104,
  kMusicDeviceStartNoteSelect = 0x0105,
  kMusicDeviceStopNoteSelect = 0x0106
};

enum { kMusicDeviceProperty_InstrumentCount = 1000 };

OSStatus MusicDeviceMIDIEvent(MusicDeviceComponent inUnit, UInt32 inStatus, UInt32 inData1, UInt32 inData2,
                              UInt32 inOffsetSampleFrame);
OSStatus MusicDeviceSysEx(MusicDeviceComponent inUnit, const UInt8* inData, UInt32 inLength);
OSStatus MusicDeviceStartNote(MusicDeviceComponent inUnit, MusicDeviceInstrumentID inInstrument,
                              MusicDeviceGroupID inGroupID, NoteInstanceID* outNoteInstanceID,
                              UInt32 inOffsetSampleFrame, const MusicDeviceNoteParams* inParams);
OSStatus MusicDeviceStopNote(MusicDeviceComponent inUnit, MusicDeviceGroupID inGroupID, NoteInstanceID inNoteInstanceID,
                             UInt32 inOffsetSampleFrame);

#ifdef __cplusplus
}
#endif

#endif
