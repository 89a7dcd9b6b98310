// Fuzzes the MIDI and SysEx decoders: every 4-byte group is a message (offset byte, status, two
// data bytes) whose decoders must agree with its status byte; the rest is SysEx data rendered as
// hex text into a buffer of a fuzzed size, which must hold a terminated text of the right length.

#include "FuzzInput.h"

#include "plugcore/IMidiMsg.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Check(bool ok, const char* what)
{
  if (ok) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  FuzzInput in(data, size);
  const int nMessages = in.Byte() & 15;
  for (int m = 0; m < nMessages; ++m) {
    const uint8_t offset = in.Byte(), status = in.Byte(), data1 = in.Byte(), data2 = in.Byte();
    const IMidiMsg msg(offset, status, data1, data2);
    const int type = msg.StatusMsg();
    const bool channelStatus = msg.mStatus >= 0x80 && msg.mStatus < 0xF0;
    Check(type == (channelStatus ? msg.mStatus >> 4 : 0), "status type");
    Check(msg.Channel() >= 0 && msg.Channel() < 16, "channel");
    Check((msg.NoteNumber() >= 0) == (type >= 8 && type <= 10), "note number");
    Check((msg.Velocity() >= 0) == (type == 8 || type == 9), "velocity");
    Check((msg.PolyAfterTouch() >= 0) == (type == 10), "poly aftertouch");
    Check((msg.ChannelAfterTouch() >= 0) == (type == 13), "channel aftertouch");
    Check((msg.Program() >= 0) == (type == 12), "program");
    Check(std::isfinite(msg.PitchWheel()), "pitch wheel");
    const double cc = msg.ControlChange(msg.ControlChangeIdx());
    Check(cc == -1.0 || (type == 11 && cc >= 0.0), "control change");
    Check(IMidiMsg::StatusMsgStr(msg.StatusMsg()) != nullptr, "status text");
    // The constructors with hostile values: any double, any channel.
    double value = 0.0;
    const std::vector<uint8_t> bits = in.Bytes(sizeof value);
    if (!bits.empty()) std::memcpy(&value, bits.data(), bits.size());
    IMidiMsg made;
    made.MakePitchWheelMsg(value, msg.mData1);
    Check(made.mData1 < 128 && made.mData2 < 128 && made.StatusMsg() == IMidiMsg::kPitchWheel, "pitch wheel made");
    made.MakeControlChangeMsg(static_cast<IMidiMsg::EControlChangeMsg>(msg.mData2), value, msg.mStatus);
    Check(made.mData2 < 128 && made.StatusMsg() == IMidiMsg::kControlChange, "control change made");
  }
  const int outSize = in.Byte() % 64;
  const std::vector<uint8_t> sysex = in.Rest();
  std::vector<char> out(static_cast<size_t>(outSize) + 1, 'x');
  const char* text =
      SysExStr(out.data(), outSize, sysex.empty() ? nullptr : sysex.data(), static_cast<int>(sysex.size()));
  if (outSize > 0) {
    const size_t fits = static_cast<size_t>(outSize) / 3;
    const size_t shown = sysex.size() < fits ? sysex.size() : fits;
    Check(text == out.data(), "SysExStr returns its buffer");
    Check(std::strlen(text) == (shown ? shown * 3 - 1 : 0), "SysEx text length");
  }
  Check(out[static_cast<size_t>(outSize)] == 'x', "SysExStr wrote past its buffer");
  ISysEx sx(0, sysex.data(), static_cast<int>(sysex.size()));
  sx.Clear();
  Check(sx.mSize == 0 && sx.mData == nullptr, "SysEx clear");
  return 0;
}
