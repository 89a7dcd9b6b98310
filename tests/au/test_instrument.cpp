// An instrument on the adapter: output buses in stereo pairs, processing once per
// render cycle on the last bus, layout tags, the instrument count, and MIDI.
#include "AUTestFixture.h"

#include "plugcore/IMidiMsg.h"

namespace {
constexpr OSType kInstSubType = 0x696e7374; // 'inst'

// Four outputs in two buses, no inputs. Output channel c, frame i = 100 * call + 10 * c + i.
class InstPlug : public IEffectAU
{
public:
  InstPlug()
      : IEffectAU(IEffectInstanceInfo{}, 0, "0-4", 0, "Inst", "", "Maker", 0x00010000, static_cast<int>(kInstSubType),
                  static_cast<int>(kTestMfr), 0, false, false, true, 0)
  {}
  void ProcessDoubleReplacing(double**, double** outputs, int nFrames) override
  {
    ++mProcessCalls;
    for (int c = 0; c < NOutChannels(); ++c)
      for (int i = 0; i < nFrames; ++i) outputs[c][i] = 100.0 * mProcessCalls + 10.0 * c + i;
  }
  void ProcessMidiMsg(IMidiMsg* msg) override { mMidi.push_back(*msg); }
  void ProcessSysEx(ISysEx* sysEx) override { mSysExSize = sysEx->mSize; }

  int mProcessCalls = 0;
  std::vector<IMidiMsg> mMidi;
  int mSysExSize = -1;
};

IEffectAU* MakeInstPlug()
{
  return new InstPlug;
}
ComponentResult Entry(ComponentParameters* p, Handle storage)
{
  return IEffectAU::IEffectAUEntry(p, storage);
}

class AUInstrumentTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    static Component component = [] {
      ComponentDescription cd = {kAudioUnitType_MusicDevice, kInstSubType, kTestMfr, 0, 0};
      return RegisterComponent(&cd, Entry, 0, nullptr, nullptr, nullptr);
    }();
    IEffectAU::SetPlugFactory(&MakeInstPlug);
    ASSERT_EQ(OpenAComponent(component, &mUnit), noErr);
    mPlug = reinterpret_cast<InstPlug*>(GetComponentInstanceStorage(mUnit));
  }
  void TearDown() override { CloseComponent(mUnit); }

  OSStatus RenderBus(UInt32 bus, double sampleTime, HostBuffers& out)
  {
    AudioUnitRenderActionFlags flags = 0;
    const AudioTimeStamp ts = SampleTimeStamp(sampleTime);
    return AudioUnitRender(mUnit, &flags, &ts, bus, 8, out.List());
  }

  AudioUnit mUnit = nullptr;
  InstPlug* mPlug = nullptr;
};
} // namespace

TEST_F(AUInstrumentTest, BusesLabelsTagsAndCount)
{
  EXPECT_EQ(mPlug->NInBuses(), 0);
  EXPECT_EQ(mPlug->NOutBuses(), 2);
  CFStringRef name = nullptr;
  UInt32 size = sizeof(name);
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ElementName, kAudioUnitScope_Output, 1, &name, &size),
            noErr);
  EXPECT_EQ(ToStd(name), "output 2");
  CFRelease(name);

  AudioChannelLayoutTag tag = 0;
  size = sizeof(tag);
  Boolean writable = false;
  ASSERT_EQ(AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Output, 1,
                                     &size, &writable),
            noErr);
  EXPECT_EQ(size, 4u);
  EXPECT_TRUE(writable);
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Output, 1, &tag,
                                 &size),
            noErr);
  EXPECT_EQ(tag, static_cast<UInt32>(kAudioChannelLayoutTag_Stereo));
  EXPECT_EQ(
      AudioUnitGetProperty(mUnit, kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Input, 0, &tag, &size),
      kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Output, 2, &tag,
                                 &size),
            kAudioUnitErr_InvalidProperty);

  UInt32 count = 0;
  size = sizeof(count);
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kMusicDeviceProperty_InstrumentCount, kAudioUnitScope_Global, 0, &count, &size),
            noErr);
  EXPECT_EQ(count, 1u);
  AURenderCallbackStruct cb = {RampSource::Callback, nullptr};
  EXPECT_EQ(
      AudioUnitSetProperty(mUnit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb, sizeof(cb)),
      kAudioUnitErr_InvalidProperty);
  // No inputs and no outputs negotiated yet counts as legal.
  EXPECT_EQ(AudioUnitInitialize(mUnit), noErr);
}

TEST_F(AUInstrumentTest, ProcessingRunsOncePerCycleOnTheLastBus)
{
  HostBuffers bus0(2, 8), bus1(2, 8);
  // First cycle: bus 1 is not connected yet, so bus 0 counts as last and processes.
  ASSERT_EQ(RenderBus(0, 0, bus0), noErr);
  EXPECT_EQ(mPlug->mProcessCalls, 1);
  EXPECT_FLOAT_EQ(bus0.Channel(1)[3], 100.0f + 10.0f + 3.0f);
  ASSERT_EQ(RenderBus(1, 0, bus1), noErr);
  EXPECT_EQ(mPlug->mProcessCalls, 2);

  // From now on bus 0 only attaches its buffers; bus 1's render processes for both.
  ASSERT_EQ(RenderBus(0, 8, bus0), noErr);
  EXPECT_EQ(mPlug->mProcessCalls, 2);
  ASSERT_EQ(RenderBus(1, 8, bus1), noErr);
  EXPECT_EQ(mPlug->mProcessCalls, 3);
  EXPECT_FLOAT_EQ(bus0.Channel(0)[7], 300.0f + 7.0f);
  EXPECT_FLOAT_EQ(bus0.Channel(1)[0], 310.0f);
  EXPECT_FLOAT_EQ(bus1.Channel(0)[0], 320.0f);
  EXPECT_FLOAT_EQ(bus1.Channel(1)[5], 335.0f);
}

TEST_F(AUInstrumentTest, MidiSelectorsBuildTheMessages)
{
  ASSERT_EQ(MusicDeviceMIDIEvent(mUnit, 0xB2, 7, 99, 12), noErr);
  MusicDeviceNoteParams note = {2, 64.9f, 90.6f, {{0, 0.0f}}};
  NoteInstanceID id = 0;
  ASSERT_EQ(MusicDeviceStartNote(mUnit, 0, 0, &id, 5, &note), noErr);
  ASSERT_EQ(MusicDeviceStopNote(mUnit, 0, id, 9), noErr);
  ASSERT_EQ(mPlug->mMidi.size(), 3u);
  EXPECT_EQ(mPlug->mMidi[0].mStatus, 0xB2);
  EXPECT_EQ(mPlug->mMidi[0].mData1, 7);
  EXPECT_EQ(mPlug->mMidi[0].mData2, 99);
  EXPECT_EQ(mPlug->mMidi[0].mOffset, 12);
  EXPECT_EQ(id, 64u);
  EXPECT_EQ(mPlug->mMidi[1].mStatus, 0x90);
  EXPECT_EQ(mPlug->mMidi[1].mData1, 64);
  EXPECT_EQ(mPlug->mMidi[1].mData2, 90);
  EXPECT_EQ(mPlug->mMidi[1].mOffset, 5);
  EXPECT_EQ(mPlug->mMidi[2].mStatus, 0x80);
  EXPECT_EQ(mPlug->mMidi[2].mData1, 64);
  EXPECT_EQ(mPlug->mMidi[2].mOffset, 9);

  const UInt8 bytes[] = {0xF0, 0x43, 0x10, 0xF7};
  ASSERT_EQ(MusicDeviceSysEx(mUnit, bytes, 4), noErr);
  EXPECT_EQ(mPlug->mSysExSize, 4);
  EXPECT_EQ(MusicDeviceStartNote(mUnit, 0, 0, &id, 0, nullptr), paramErr);
}
