// Host-supplied numbers at the edges: transport positions past int's range, NaN
// time signatures and note pitches, names cut inside a multi-byte character.
#include "AUTestFixture.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace {
struct EdgeTransport
{
  static OSStatus Beat(void*, Float64* beat, Float64* tempo)
  {
    *beat = 1.0;
    *tempo = 100.0;
    return noErr;
  }
  static OSStatus Musical(void* user, UInt32* delta, Float32* num, UInt32* den, Float64* downBeat)
  {
    EdgeTransport* t = static_cast<EdgeTransport*>(user);
    *delta = 0;
    *num = t->mNum;
    *den = t->mDen;
    *downBeat = 0.0;
    return noErr;
  }
  static OSStatus State(void* user, Boolean* playing, Boolean* changed, Float64* sample, Boolean* cycling,
                        Float64* cycleStart, Float64* cycleEnd)
  {
    EdgeTransport* t = static_cast<EdgeTransport*>(user);
    *playing = false;
    *changed = false;
    *sample = t->mSample;
    *cycling = false;
    *cycleStart = 0.0;
    *cycleEnd = 0.0;
    return noErr;
  }
  double mSample = 0.0;
  Float32 mNum = 4.0f;
  UInt32 mDen = 4;
};
} // namespace

using AUHostValueTest = AUHostTest;

TEST_F(AUHostValueTest, TransportNumbersOutsideIntRangeAreClamped)
{
  EdgeTransport transport;
  HostCallbackInfo info = {&transport, EdgeTransport::Beat, EdgeTransport::Musical, EdgeTransport::State};
  ASSERT_EQ(
      AudioUnitSetProperty(mUnit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, &info, sizeof(info)),
      noErr);
  TestPlug* plug = Plug(mUnit);

  // 3e9 samples is about 19 hours at 44.1 kHz: past int, so the largest int.
  transport.mSample = 3.0e9;
  EXPECT_EQ(plug->GetSamplePos(), INT_MAX);
  transport.mSample = -3.0e9;
  EXPECT_EQ(plug->GetSamplePos(), INT_MIN);
  transport.mSample = std::nan("");
  EXPECT_EQ(plug->GetSamplePos(), 0);
  // Just inside the range the usual rounding holds: 2147483646.4 + 0.5 truncates to 2147483646.
  transport.mSample = 2147483646.4;
  EXPECT_EQ(plug->GetSamplePos(), 2147483646);

  transport.mNum = std::nanf("");
  transport.mDen = 0xFFFFFFFFu;
  int num = 3, den = 2;
  plug->GetTimeSig(&num, &den);
  EXPECT_EQ(num, 0);
  EXPECT_EQ(den, INT_MAX);
  transport.mNum = 1.0e20f;
  plug->GetTimeSig(&num, &den);
  EXPECT_EQ(num, INT_MAX);

  ITimeInfo t;
  plug->GetTime(&t);
  EXPECT_EQ(t.mTimeSigNum, INT_MAX);
  EXPECT_EQ(t.mTimeSigDen, INT_MAX);
  transport.mNum = -1.0e20f;
  plug->GetTime(&t);
  EXPECT_EQ(t.mTimeSigNum, INT_MIN);
}

TEST_F(AUHostValueTest, StartNoteTruncatesPitchesInsideIntRange)
{
  MusicDeviceNoteParams note;
  std::memset(&note, 0, sizeof(note));
  note.argCount = 2;
  note.mVelocity = 1.0e30f;
  struct Case
  {
    Float32 pitch;
    NoteInstanceID id;
  };
  const Case cases[] = {{72.9f, 72u},
                        {1.0e10f, 0x7FFFFFFFu},
                        {std::nanf(""), 0u},
                        {-5.5f, static_cast<NoteInstanceID>(-5)},
                        {-1.0e10f, 0x80000000u}};
  for (const Case& c : cases) {
    note.mPitch = c.pitch;
    NoteInstanceID id = 12345;
    EXPECT_EQ(MusicDeviceStartNote(mUnit, 0, 0, &id, 0, &note), noErr);
    EXPECT_EQ(id, c.id) << c.pitch;
  }
}

TEST_F(AUHostValueTest, ParameterIDNamesAreCutBetweenCharacters)
{
  // "Pégase": P, then é as two bytes (C3 A9), then gase.
  Plug(mUnit)->GetParam(TestPlug::kGain)->InitDouble("P\xC3\xA9gase", 1.0, 0.0, 2.0, 0.01, "x", "Main");
  const std::pair<SInt32, std::string> lengths[] = {
      {1, "P"}, {2, "P"}, {3, "P\xC3\xA9"}, {4, "P\xC3\xA9g"}, {kAudioUnitParameterName_Full, "P\xC3\xA9gase"}};
  for (const auto& l : lengths) {
    AudioUnitParameterIDName name = {TestPlug::kGain, l.first, nullptr};
    UInt32 size = sizeof(name);
    ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Global, 0, &name, &size),
              noErr)
        << l.first;
    EXPECT_EQ(ToStd(name.outName), l.second) << l.first;
    CFRelease(name.outName);
  }
}
