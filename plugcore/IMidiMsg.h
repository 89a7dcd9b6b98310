#pragma once
// IMidiMsg and ISysEx: the value types in which MIDI reaches the plug-in and leaves it.
//
// IMidiMsg is one channel message (status byte plus two data bytes) stamped with its
// sample offset inside the current processing block; it has builders for the common
// messages, decoders that answer -1 (or 0 for the pitch wheel) when the message is of
// another type, and a name for each message type. ISysEx points at a block of
// system-exclusive bytes it does not own. SysExStr renders such bytes as hex text.

#include <cstdint>

struct IMidiMsg
{
  // Message type: the upper four bits of a channel status byte. Both enumerations
  // are int-based so that any number read from a host's bytes (a data byte of 128 or
  // more, a status of 15) is a valid value of them rather than undefined behaviour.
  enum EStatusMsg : int {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14
  };

  // A controller number 0-127; the usual ones are named, any other number may be cast.
  enum EControlChangeMsg : int {
    kBankSelect = 0,
    kModWheel = 1,
    kBreathController = 2,
    kFootController = 4,
    kPortamentoTime = 5,
    kDataEntry = 6,
    kChannelVolume = 7,
    kBalance = 8,
    kPan = 10,
    kExpressionController = 11,
    kSustainOnOff = 64,
    kPortamentoOnOff = 65,
    kSustenutoOnOff = 66,
    kSoftPedalOnOff = 67,
    kLegatoOnOff = 68,
    kAllSoundOff = 120,
    kResetAllControllers = 121,
    kAllNotesOff = 123
  };

  int mOffset;
  uint8_t mStatus;
  uint8_t mData1;
  uint8_t mData2;

  IMidiMsg(int offset = 0, uint8_t status = 0, uint8_t data1 = 0, uint8_t data2 = 0)
      : mOffset(offset), mStatus(status), mData1(data1), mData2(data2)
  {}

  void Clear();

  // Builders. Each clears the message first. Channels are 0-15 and data values 0-127;
  // arguments outside those ranges are clamped so that a data byte never turns into a
  // status byte and a channel never changes the message type.
  void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel = 0);
  void MakeNoteOffMsg(int noteNumber, int offset, int channel = 0);
  // value -1 ... +1, centre 0.
  void MakePitchWheelMsg(double value, int channel = 0);
  // value 0 ... 1.
  void MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel = 0);

  // Decoders. Status bytes below 0x80 or from 0xF0 up match no type.
  int Channel() const;
  EStatusMsg StatusMsg() const;
  int NoteNumber() const;                            // note on, note off, poly aftertouch
  int Velocity() const;                              // note on, note off
  int PolyAfterTouch() const;                        // poly aftertouch
  int ChannelAfterTouch() const;                     // channel aftertouch
  int Program() const;                               // program change
  double PitchWheel() const;                         // -1 ... +1 for a pitch wheel message, else 0
  EControlChangeMsg ControlChangeIdx() const;        // data byte 1, whatever the type
  double ControlChange(EControlChangeMsg idx) const; // 0 ... 1, or -1

  // "none", "noteoff", ... "pitchwheel"; "unknown" for any other number.
  static const char* StatusMsgStr(EStatusMsg msg);

  // Debug output; tracing is switched off in this product, so it writes nothing.
  void LogMsg() const {}
};

struct ISysEx
{
  int mOffset;
  int mSize;
  const uint8_t* mData; // not owned

  ISysEx(int offset = 0, const uint8_t* data = nullptr, int size = 0) : mOffset(offset), mSize(size), mData(data) {}

  void Clear();

  // Debug output; tracing is switched off in this product, so it writes nothing.
  void LogMsg() const {}
};

// Writes min(size, outSize / 3) bytes as upper-case hex pairs separated by blanks into
// out (outSize bytes including the terminator) and returns out. No data gives "".
char* SysExStr(char* out, int outSize, const uint8_t* data, int size);
