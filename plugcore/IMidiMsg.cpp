#include "plugcore/IMidiMsg.h"

namespace {

uint8_t Clamp(int v, int hi)
{
  return static_cast<uint8_t>(v < 0 ? 0 : (v > hi ? hi : v));
}

uint8_t ChannelBits(int channel)
{
  return Clamp(channel, 15);
}

} // namespace

void IMidiMsg::Clear()
{
  mOffset = 0;
  mStatus = mData1 = mData2 = 0;
}

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel)
{
  Clear();
  mStatus = static_cast<uint8_t>(0x90 | ChannelBits(channel));
  mData1 = Clamp(noteNumber, 127);
  mData2 = Clamp(velocity, 127);
  mOffset = offset;
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel)
{
  Clear();
  mStatus = static_cast<uint8_t>(0x80 | ChannelBits(channel));
  mData1 = Clamp(noteNumber, 127);
  mOffset = offset;
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel)
{
  Clear();
  mStatus = static_cast<uint8_t>(0xE0 | ChannelBits(channel));
  // Limit before the integer conversion so that NaN or huge values stay defined;
  // within -1 ... +1 the result is that of the plain 14-bit formula below.
  if (value != value)
    value = 0.0;
  else if (value < -1.0)
    value = -1.0;
  else if (value > 1.0)
    value = 1.0;
  int i = static_cast<int>(value * 8192.0) + 8192;
  if (i < 0) i = 0;
  if (i > 16383) i = 16383;
  mData1 = static_cast<uint8_t>(i & 0x7F);
  mData2 = static_cast<uint8_t>(i >> 7);
}

void IMidiMsg::MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel)
{
  Clear();
  mStatus = static_cast<uint8_t>(0xB0 | ChannelBits(channel));
  mData1 = Clamp(static_cast<int>(idx), 127);
  if (!(value > 0.0)) value = 0.0; // also NaN
  if (value > 1.0) value = 1.0;
  mData2 = static_cast<uint8_t>(static_cast<int>(value * 127.0));
}

int IMidiMsg::Channel() const
{
  return mStatus & 0x0F;
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const
{
  if (mStatus < 0x80 || mStatus >= 0xF0) return kNone;
  return static_cast<EStatusMsg>(mStatus >> 4);
}

int IMidiMsg::NoteNumber() const
{
  switch (StatusMsg()) {
  case kNoteOn:
  case kNoteOff:
  case kPolyAftertouch:
    return mData1;
  default:
    return -1;
  }
}

int IMidiMsg::Velocity() const
{
  switch (StatusMsg()) {
  case kNoteOn:
  case kNoteOff:
    return mData2;
  default:
    return -1;
  }
}

int IMidiMsg::PolyAfterTouch() const
{
  return StatusMsg() == kPolyAftertouch ? mData2 : -1;
}

int IMidiMsg::ChannelAfterTouch() const
{
  return StatusMsg() == kChannelAftertouch ? mData1 : -1;
}

int IMidiMsg::Program() const
{
  return StatusMsg() == kProgramChange ? mData1 : -1;
}

double IMidiMsg::PitchWheel() const
{
  if (StatusMsg() != kPitchWheel) return 0.0;
  const int v = mData1 + mData2 * 128 - 8192;
  return static_cast<double>(v) / 8192.0;
}

IMidiMsg::EControlChangeMsg IMidiMsg::ControlChangeIdx() const
{
  return static_cast<EControlChangeMsg>(mData1);
}

double IMidiMsg::ControlChange(EControlChangeMsg idx) const
{
  if (StatusMsg() == kControlChange && ControlChangeIdx() == idx) return static_cast<double>(mData2) / 127.0;
  return -1.0;
}

const char* IMidiMsg::StatusMsgStr(EStatusMsg msg)
{
  switch (msg) {
  case kNone:
    return "none";
  case kNoteOff:
    return "noteoff";
  case kNoteOn:
    return "noteon";
  case kPolyAftertouch:
    return "aftertouch";
  case kControlChange:
    return "controlchange";
  case kProgramChange:
    return "programchange";
  case kChannelAftertouch:
    return "channelaftertouch";
  case kPitchWheel:
    return "pitchwheel";
  default:
    return "unknown";
  }
}

void ISysEx::Clear()
{
  mOffset = mSize = 0;
  mData = nullptr;
}

char* SysExStr(char* out, int outSize, const uint8_t* data, int size)
{
  if (!out || outSize <= 0) return out;
  out[0] = '\0';
  if (!data || size <= 0) return out;
  static const char kHex[] = "0123456789ABCDEF";
  // Three characters per byte: two digits and a blank; the last blank becomes the
  // terminator, so n bytes need exactly 3n characters of room.
  const int n = size < outSize / 3 ? size : outSize / 3;
  if (n <= 0) return out;
  for (int i = 0; i < n; ++i) {
    out[3 * i] = kHex[data[i] >> 4];
    out[3 * i + 1] = kHex[data[i] & 0x0F];
    out[3 * i + 2] = ' ';
  }
  out[3 * n - 1] = '\0';
  return out;
}
