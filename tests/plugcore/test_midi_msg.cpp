#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "StateTestPlug.h"
#include "plugcore/IMidiMsg.h"

namespace {

TEST(IMidiMsg, PitchWheelBuildsFourteenBitsAndClamps)
{
  IMidiMsg m(12, 0x90, 1, 2);
  m.MakePitchWheelMsg(1.0);
  EXPECT_EQ(m.mOffset, 0) << "builders clear the message first";
  EXPECT_EQ(m.mStatus, 0xE0);
  EXPECT_EQ(m.mData1, 0x7F);
  EXPECT_EQ(m.mData2, 0x7F);

  m.MakePitchWheelMsg(0.0);
  EXPECT_EQ(m.mData1, 0x00);
  EXPECT_EQ(m.mData2, 0x40);
  EXPECT_EQ(m.PitchWheel(), 0.0);

  // 0.5 -> 4096 + 8192 = 12288 = 96 * 128.
  m.MakePitchWheelMsg(0.5, 3);
  EXPECT_EQ(m.mStatus, 0xE3);
  EXPECT_EQ(m.mData1, 0);
  EXPECT_EQ(m.mData2, 96);
  EXPECT_EQ(m.PitchWheel(), 0.5);

  // -0.25 -> 6144 = 48 * 128; -1 -> 0.
  m.MakePitchWheelMsg(-0.25);
  EXPECT_EQ(m.mData2, 48);
  m.MakePitchWheelMsg(-1.0);
  EXPECT_EQ(m.mData1, 0);
  EXPECT_EQ(m.mData2, 0);
  EXPECT_EQ(m.PitchWheel(), -1.0);

  // Out-of-range and non-numbers stay well-defined.
  m.MakePitchWheelMsg(1e30);
  EXPECT_EQ(m.mData1 + m.mData2 * 128, 16383);
  m.MakePitchWheelMsg(-1e30);
  EXPECT_EQ(m.mData1 + m.mData2 * 128, 0);
  m.MakePitchWheelMsg(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(m.mData1 + m.mData2 * 128, 8192);
}

TEST(IMidiMsg, NoteMessagesDecodeOnlyAsTheirType)
{
  IMidiMsg on(0, 0x93, 60, 100);
  EXPECT_EQ(on.Channel(), 3);
  EXPECT_EQ(on.StatusMsg(), IMidiMsg::kNoteOn);
  EXPECT_EQ(on.NoteNumber(), 60);
  EXPECT_EQ(on.Velocity(), 100);
  EXPECT_EQ(on.Program(), -1);
  EXPECT_EQ(on.PolyAfterTouch(), -1);
  EXPECT_EQ(on.ChannelAfterTouch(), -1);
  EXPECT_EQ(on.PitchWheel(), 0.0);
  EXPECT_EQ(on.ControlChange(IMidiMsg::kModWheel), -1.0);

  IMidiMsg m;
  m.MakeNoteOnMsg(64, 127, 17, 9);
  EXPECT_EQ(m.mStatus, 0x99);
  EXPECT_EQ(m.mData1, 64);
  EXPECT_EQ(m.mData2, 127);
  EXPECT_EQ(m.mOffset, 17);
  m.MakeNoteOffMsg(64, 5);
  EXPECT_EQ(m.mStatus, 0x80);
  EXPECT_EQ(m.mData2, 0);
  EXPECT_EQ(m.mOffset, 5);
  EXPECT_EQ(m.Velocity(), 0);
  EXPECT_EQ(m.StatusMsg(), IMidiMsg::kNoteOff);
}

TEST(IMidiMsg, BuilderArgumentsOutsideMidiRangesAreClamped)
{
  IMidiMsg m;
  m.MakeNoteOnMsg(200, -5, 0, 16);
  EXPECT_EQ(m.mStatus, 0x9F) << "a channel past 15 must not change the message type";
  EXPECT_EQ(m.mData1, 127);
  EXPECT_EQ(m.mData2, 0);
  m.MakeControlChangeMsg(IMidiMsg::kPan, 2.0, -1);
  EXPECT_EQ(m.mStatus, 0xB0);
  EXPECT_EQ(m.mData2, 127);
  m.MakeControlChangeMsg(IMidiMsg::kPan, std::nan(""));
  EXPECT_EQ(m.mData2, 0);
}

TEST(IMidiMsg, OtherChannelMessagesDecode)
{
  IMidiMsg cc;
  cc.MakeControlChangeMsg(IMidiMsg::kModWheel, 0.5, 2);
  EXPECT_EQ(cc.mStatus, 0xB2);
  EXPECT_EQ(cc.mData1, 1);
  EXPECT_EQ(cc.mData2, 63); // (int)(0.5 * 127)
  EXPECT_EQ(cc.ControlChangeIdx(), IMidiMsg::kModWheel);
  EXPECT_DOUBLE_EQ(cc.ControlChange(IMidiMsg::kModWheel), 63.0 / 127.0);
  EXPECT_EQ(cc.ControlChange(IMidiMsg::kPan), -1.0);
  EXPECT_EQ(cc.NoteNumber(), -1);

  IMidiMsg poly(0, 0xA4, 60, 33);
  EXPECT_EQ(poly.NoteNumber(), 60);
  EXPECT_EQ(poly.PolyAfterTouch(), 33);
  EXPECT_EQ(poly.Velocity(), -1);

  IMidiMsg prog(0, 0xC1, 5, 0);
  EXPECT_EQ(prog.Program(), 5);
  EXPECT_EQ(prog.Channel(), 1);

  IMidiMsg chat(0, 0xD0, 77, 0);
  EXPECT_EQ(chat.ChannelAfterTouch(), 77);
  EXPECT_EQ(chat.ControlChangeIdx(), 77) << "the controller index is data 1 whatever the type";

  IMidiMsg clock(0, 0xF8, 0, 0);
  EXPECT_EQ(clock.StatusMsg(), IMidiMsg::kNone);
  IMidiMsg running(0, 0x45, 0x40, 0);
  EXPECT_EQ(running.StatusMsg(), IMidiMsg::kNone);
  EXPECT_EQ(running.NoteNumber(), -1);

  chat.Clear();
  EXPECT_EQ(chat.mStatus + chat.mData1 + chat.mData2 + chat.mOffset, 0);
}

TEST(IMidiMsg, HostBytesOutsideMidiRangesStayValidControllerNumbers)
{
  // A host may hand over any byte; every one must be a valid controller value
  // (UBSan's enum check flags loads of out-of-range enumeration values).
  for (int d = 0; d < 256; ++d) {
    IMidiMsg cc(0, 0xB2, static_cast<uint8_t>(d), 127);
    const IMidiMsg::EControlChangeMsg idx = cc.ControlChangeIdx();
    ASSERT_EQ(static_cast<int>(idx), d);
    ASSERT_EQ(cc.ControlChange(idx), 1.0) << d;
  }
  EXPECT_STREQ(IMidiMsg::StatusMsgStr(static_cast<IMidiMsg::EStatusMsg>(200)), "unknown");
}

TEST(IMidiMsg, StatusNames)
{
  const char* expected[15] = {"none",       "unknown",       "unknown",       "unknown",           "unknown",
                              "unknown",    "unknown",       "unknown",       "noteoff",           "noteon",
                              "aftertouch", "controlchange", "programchange", "channelaftertouch", "pitchwheel"};
  for (int i = 0; i < 15; ++i) {
    EXPECT_STREQ(IMidiMsg::StatusMsgStr(static_cast<IMidiMsg::EStatusMsg>(i)), expected[i]) << i;
  }
  EXPECT_STREQ(IMidiMsg::StatusMsgStr(static_cast<IMidiMsg::EStatusMsg>(15)), "unknown");
  EXPECT_STREQ(IMidiMsg::StatusMsgStr(static_cast<IMidiMsg::EStatusMsg>(-1)), "unknown");
}

TEST(SysEx, TextFitsThreeCharactersPerByteAndStaysInsideTheBuffer)
{
  const uint8_t bytes[] = {0xF0, 0x7E, 0x7F, 0xF7};
  char buf[16];
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(SysExStr(buf, 10, bytes, 4), buf);
  EXPECT_STREQ(buf, "F0 7E 7F");
  EXPECT_EQ(buf[10], '#');

  std::memset(buf, '#', sizeof buf);
  SysExStr(buf, 12, bytes, 4);
  EXPECT_STREQ(buf, "F0 7E 7F F7");
  EXPECT_EQ(buf[12], '#');

  SysExStr(buf, 2, bytes, 4);
  EXPECT_STREQ(buf, "");
  strcpy(buf, "x");
  SysExStr(buf, 16, nullptr, 4);
  EXPECT_STREQ(buf, "");
  strcpy(buf, "x");
  SysExStr(buf, 16, bytes, 0);
  EXPECT_STREQ(buf, "");
  SysExStr(buf, 16, bytes, -3);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(SysExStr(nullptr, 16, bytes, 4), nullptr);
}

TEST(SysEx, ClearForgetsTheBlock)
{
  const uint8_t bytes[] = {0xF0, 0xF7};
  ISysEx s(3, bytes, 2);
  EXPECT_EQ(s.mData, bytes);
  s.Clear();
  EXPECT_EQ(s.mOffset, 0);
  EXPECT_EQ(s.mSize, 0);
  EXPECT_EQ(s.mData, nullptr);
}

class MidiPlug : public StateTestPlug
{
public:
  MidiPlug() : StateTestPlug(0, 0) {}
  bool SendMidiMsg(IMidiMsg* pMsg) override
  {
    mSent.push_back(pMsg->mData1);
    return pMsg->mData1 != mRefuse;
  }
  std::vector<int> mSent;
  int mRefuse = -1;
};

TEST(SendMidiMsgs, SendsAllInOrderAndReportsAnyRefusal)
{
  MidiPlug plug;
  Core_TypedBuf<IMidiMsg> list;
  EXPECT_TRUE(plug.SendMidiMsgs(&list));
  EXPECT_TRUE(plug.SendMidiMsgs(nullptr));
  for (int note : {60, 64, 67}) list.Add(IMidiMsg(0, 0x90, static_cast<uint8_t>(note), 100));
  EXPECT_TRUE(plug.SendMidiMsgs(&list));
  EXPECT_EQ(plug.mSent, (std::vector<int>{60, 64, 67}));
  plug.mSent.clear();
  plug.mRefuse = 64;
  EXPECT_FALSE(plug.SendMidiMsgs(&list));
  EXPECT_EQ(plug.mSent, (std::vector<int>{60, 64, 67})) << "a refusal does not stop the rest";
}

} // namespace
