// The component entry as a host meets it: open and close, the capability and
// version queries, initialize, listeners, render notifiers, scheduled parameters.
#include "AUTestFixture.h"

#include <cstring>
#include <new>
#include <stdexcept>

namespace {
// A hand-built parameter block with n counted arguments (argument i at params[n-1-i]).
struct Block
{
  explicit Block(SInt16 what, std::initializer_list<long> args)
  {
    std::memset(mStorage, 0, sizeof(mStorage));
    ComponentParameters* p = Get();
    p->what = what;
    p->paramSize = static_cast<UInt8>(args.size() * sizeof(long));
    int n = static_cast<int>(args.size()), i = 0;
    for (long a : args) p->params[n - 1 - i++] = a;
  }
  ComponentParameters* Get() { return reinterpret_cast<ComponentParameters*>(mStorage); }
  alignas(ComponentParameters) unsigned char mStorage[sizeof(ComponentParameters) + 8 * sizeof(long)];
};

struct ListenerLog
{
  int mCalls = 0;
  AudioUnit mUnit = nullptr;
  AudioUnitPropertyID mID = 0;
  AudioUnitScope mScope = 99;
  AudioUnitElement mElement = 99;
};

void Listener(void* refCon, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element)
{
  ListenerLog* log = static_cast<ListenerLog*>(refCon);
  ++log->mCalls;
  log->mUnit = unit;
  log->mID = id;
  log->mScope = scope;
  log->mElement = element;
}

struct NotifyLog
{
  std::vector<std::pair<int, UInt32>> mCalls; // (which, flags)
};
NotifyLog gNotifyLog;

OSStatus Notifier(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                  AudioBufferList*)
{
  gNotifyLog.mCalls.push_back({static_cast<int>(reinterpret_cast<intptr_t>(refCon)), *flags});
  return noErr;
}

// Takes itself out of the unit's render notifiers the first time it is called.
AudioUnit gSelfRemovingUnit = nullptr;
OSStatus SelfRemovingNotifier(void*, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                              AudioBufferList*)
{
  gNotifyLog.mCalls.push_back({0, *flags});
  AudioUnitRemoveRenderNotify(gSelfRemovingUnit, SelfRemovingNotifier, nullptr);
  return noErr;
}

class ThrowingPlug : public TestPlug
{
public:
  ThrowingPlug() { throw std::bad_alloc(); }
};
IEffectAU* MakeThrowingPlug()
{
  return new ThrowingPlug;
}
IEffectAU* MakeNullPlug()
{
  return nullptr;
}
} // namespace

using AUEntryTest = AUHostTest;

TEST_F(AUEntryTest, OpenRegistersThePlugAndPrunesEmptyPresets)
{
  TestPlug* plug = Plug(mUnit);
  ASSERT_NE(plug, nullptr);
  EXPECT_EQ(plug->GetInstance(), mUnit);
  EXPECT_EQ(plug->NPresets(), 2);
  EXPECT_STREQ(plug->GetPresetName(0), "Init");
  // Host identification ran at open: the test binary is no known host.
  EXPECT_EQ(plug->GetHost(), kHostUnknown);
  EXPECT_EQ(GetComponentVersion(mUnit), kTestVersion);
}

TEST_F(AUEntryTest, CloseWithoutStorageAndOpenFailuresAreContained)
{
  Block close(kComponentCloseSelect, {0});
  EXPECT_EQ(IEffectAU::IEffectAUEntry(close.Get(), nullptr), noErr);

  Block open(kComponentOpenSelect, {reinterpret_cast<long>(mUnit)});
  IEffectAU::SetPlugFactory(&MakeThrowingPlug);
  EXPECT_EQ(IEffectAU::IEffectAUEntry(open.Get(), nullptr), memFullErr);
  IEffectAU::SetPlugFactory(&MakeNullPlug);
  EXPECT_EQ(IEffectAU::IEffectAUEntry(open.Get(), nullptr), memFullErr);
  IEffectAU::SetPlugFactory(&MakeTestPlug);

  // The failed opens did not replace the storage of the open instance.
  EXPECT_EQ(Plug(mUnit)->GetInstance(), mUnit);

  // A block too short for its selector and a missing block are refused.
  Block shortRender(kAudioUnitRenderSelect, {0, 0});
  EXPECT_EQ(IEffectAU::IEffectAUEntry(shortRender.Get(), Plug(mUnit)), paramErr);
  EXPECT_EQ(IEffectAU::IEffectAUEntry(nullptr, Plug(mUnit)), paramErr);
  Block init(kAudioUnitInitializeSelect, {});
  EXPECT_EQ(IEffectAU::IEffectAUEntry(init.Get(), nullptr), badComponentInstance);
}

TEST_F(AUEntryTest, CapabilityMaskAndUnhandledSelectors)
{
  const int handled[] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 16, 17};
  for (int s = -4; s <= 21; ++s) {
    bool expected = false;
    for (int h : handled) expected = expected || h == s;
    EXPECT_EQ(ComponentFunctionImplemented(mUnit, static_cast<SInt16>(s)), expected ? 1 : 0) << s;
  }
  for (int s : {8, 12, 13, 19, 20, 21, 0x107, 0x200}) {
    Block b(static_cast<SInt16>(s), {});
    EXPECT_EQ(IEffectAU::IEffectAUEntry(b.Get(), Plug(mUnit)), badComponentSelector) << s;
  }
}

TEST_F(AUEntryTest, InitializeChecksTheChannelConfiguration)
{
  TestPlug* plug = Plug(mUnit);
  const int changesBefore = plug->mParamChanges;
  ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
  EXPECT_TRUE(plug->IsInitialized());
  EXPECT_EQ(plug->mParamChanges - changesBefore, TestPlug::kNumParams);
  EXPECT_TRUE(plug->mLastActive);
  ASSERT_EQ(AudioUnitUninitialize(mUnit), noErr);
  EXPECT_FALSE(plug->IsInitialized());
  EXPECT_FALSE(plug->mLastActive);

  // Each direction alone is legal while uninitialized; together 1-in/2-out is not.
  EXPECT_EQ(SetFormat(mUnit, kAudioUnitScope_Input, 1), noErr);
  EXPECT_EQ(SetFormat(mUnit, kAudioUnitScope_Output, 2), noErr);
  EXPECT_EQ(AudioUnitInitialize(mUnit), badComponentSelector);
  EXPECT_FALSE(plug->IsInitialized());
  EXPECT_EQ(SetFormat(mUnit, kAudioUnitScope_Output, 1), noErr);
  EXPECT_EQ(AudioUnitInitialize(mUnit), noErr);
  // Initialized, the other direction counts: 2 in against 1 out is refused.
  EXPECT_EQ(SetFormat(mUnit, kAudioUnitScope_Input, 2), kAudioUnitErr_InvalidProperty);
}

TEST_F(AUEntryTest, PropertyListenersAreKeptOnceAndHearRefusedWrites)
{
  ListenerLog log, other;
  ASSERT_EQ(AudioUnitAddPropertyListener(mUnit, kAudioUnitProperty_SampleRate, Listener, &log), noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(mUnit, kAudioUnitProperty_SampleRate, Listener, &other), noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(mUnit, kAudioUnitProperty_BypassEffect, Listener, &other), noErr);

  // The second registration with the same property and function was ignored.
  const Float64 rate = 48000.0;
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 3, &rate, sizeof(rate)),
            noErr);
  EXPECT_EQ(log.mCalls, 1);
  EXPECT_EQ(other.mCalls, 0);
  EXPECT_EQ(log.mUnit, mUnit);
  EXPECT_EQ(log.mScope, static_cast<AudioUnitScope>(kAudioUnitScope_Output));
  EXPECT_EQ(log.mElement, 0u);

  // A refused write is still announced.
  const Float64 badRate = -1.0;
  EXPECT_EQ(
      AudioUnitSetProperty(mUnit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &badRate, sizeof(badRate)),
      kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(log.mCalls, 2);

  EXPECT_EQ(AudioUnitRemovePropertyListener(mUnit, kAudioUnitProperty_SampleRate, Listener), noErr);
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, sizeof(rate)),
            noErr);
  EXPECT_EQ(log.mCalls, 2);
  EXPECT_EQ(AudioUnitRemovePropertyListener(mUnit, kAudioUnitProperty_SampleRate, Listener), noErr);

  // Removal by user data leaves a record with other user data alone.
  EXPECT_EQ(AudioUnitRemovePropertyListenerWithUserData(mUnit, kAudioUnitProperty_BypassEffect, Listener, &log), noErr);
  const UInt32 on = 1;
  AudioUnitSetProperty(mUnit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &on, sizeof(on));
  EXPECT_EQ(other.mCalls, 1);
  EXPECT_EQ(AudioUnitRemovePropertyListenerWithUserData(mUnit, kAudioUnitProperty_BypassEffect, Listener, &other),
            noErr);
  AudioUnitSetProperty(mUnit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &on, sizeof(on));
  EXPECT_EQ(other.mCalls, 1);
}

TEST_F(AUEntryTest, RenderNotifiersKeepDuplicatesAndRemoveTheFirst)
{
  gNotifyLog.mCalls.clear();
  ASSERT_EQ(AudioUnitAddRenderNotify(mUnit, Notifier, reinterpret_cast<void*>(1)), noErr);
  ASSERT_EQ(AudioUnitAddRenderNotify(mUnit, Notifier, reinterpret_cast<void*>(2)), noErr);
  HostBuffers out(2, 16);
  ASSERT_EQ(Render(mUnit, 0, 16, out.List()), noErr);
  const std::vector<std::pair<int, UInt32>> both = {{1, kAudioUnitRenderAction_PreRender},
                                                    {2, kAudioUnitRenderAction_PreRender},
                                                    {1, kAudioUnitRenderAction_PostRender},
                                                    {2, kAudioUnitRenderAction_PostRender}};
  EXPECT_EQ(gNotifyLog.mCalls, both);

  // The reference constant is not compared: the first record goes.
  gNotifyLog.mCalls.clear();
  ASSERT_EQ(AudioUnitRemoveRenderNotify(mUnit, Notifier, reinterpret_cast<void*>(2)), noErr);
  ASSERT_EQ(Render(mUnit, 16, 16, out.List()), noErr);
  const std::vector<std::pair<int, UInt32>> second = {{2, kAudioUnitRenderAction_PreRender},
                                                      {2, kAudioUnitRenderAction_PostRender}};
  EXPECT_EQ(gNotifyLog.mCalls, second);

  // A refused render calls no notifier.
  gNotifyLog.mCalls.clear();
  EXPECT_EQ(Render(mUnit, 32, IEffectAU::kDefaultBlockSize + 1, out.List()), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_TRUE(gNotifyLog.mCalls.empty());
}

TEST_F(AUEntryTest, ANotifierRemovingItselfDoesNotCostTheNextOneItsCall)
{
  gNotifyLog.mCalls.clear();
  gSelfRemovingUnit = mUnit;
  ASSERT_EQ(AudioUnitAddRenderNotify(mUnit, SelfRemovingNotifier, nullptr), noErr);
  ASSERT_EQ(AudioUnitAddRenderNotify(mUnit, Notifier, reinterpret_cast<void*>(1)), noErr);
  HostBuffers out(2, 16);
  ASSERT_EQ(Render(mUnit, 0, 16, out.List()), noErr);
  const std::vector<std::pair<int, UInt32>> expected = {{0, kAudioUnitRenderAction_PreRender},
                                                        {1, kAudioUnitRenderAction_PreRender},
                                                        {1, kAudioUnitRenderAction_PostRender}};
  EXPECT_EQ(gNotifyLog.mCalls, expected);
}

TEST_F(AUEntryTest, ScheduledParametersStopAtTheFirstFailure)
{
  AudioUnitParameterEvent events[3];
  std::memset(events, 0, sizeof(events));
  events[0].scope = kAudioUnitScope_Global;
  events[0].parameter = TestPlug::kGain;
  events[0].eventType = kParameterEvent_Immediate;
  events[0].eventValues.immediate.value = 1.5f;
  events[1] = events[0];
  events[1].eventType = kParameterEvent_Ramped;
  events[1].parameter = TestPlug::kTrim;
  events[1].eventValues.ramp.endValue = 3.0f;
  events[2] = events[0];
  events[2].scope = kAudioUnitScope_Input;
  events[2].parameter = TestPlug::kTrim;
  events[2].eventValues.immediate.value = 6.0f;

  EXPECT_EQ(AudioUnitScheduleParameters(mUnit, events, 3), kAudioUnitErr_InvalidProperty);
  AudioUnitParameterValue v = 0;
  ASSERT_EQ(AudioUnitGetParameter(mUnit, TestPlug::kGain, kAudioUnitScope_Global, 0, &v), noErr);
  EXPECT_FLOAT_EQ(v, 1.5f);
  ASSERT_EQ(AudioUnitGetParameter(mUnit, TestPlug::kTrim, kAudioUnitScope_Global, 0, &v), noErr);
  EXPECT_FLOAT_EQ(v, 0.0f); // the ramp was skipped, the refused event not applied
}

TEST_F(AUEntryTest, ResetAndMidiSelectorsReachThePlug)
{
  TestPlug* plug = Plug(mUnit);
  const int resets = plug->mResets;
  EXPECT_EQ(AudioUnitReset(mUnit, kAudioUnitScope_Global, 0), noErr);
  EXPECT_EQ(plug->mResets, resets + 1);

  EXPECT_EQ(MusicDeviceMIDIEvent(mUnit, 0x90, 60, 100, 0), noErr);
  const UInt8 sysex[] = {0xF0, 0x7E, 0xF7};
  EXPECT_EQ(MusicDeviceSysEx(mUnit, sysex, 3), noErr);
  MusicDeviceNoteParams note;
  std::memset(&note, 0, sizeof(note));
  note.argCount = 2;
  note.mPitch = 64.7f;
  note.mVelocity = 90.0f;
  NoteInstanceID id = 0;
  EXPECT_EQ(MusicDeviceStartNote(mUnit, 0, 0, &id, 0, &note), noErr);
  EXPECT_EQ(id, 64u);
  EXPECT_EQ(MusicDeviceStopNote(mUnit, 0, id, 0), noErr);
}

TEST_F(AUEntryTest, CarbonViewOpensAndClosesButCreatesNoView)
{
  Block open(kComponentOpenSelect, {reinterpret_cast<long>(mUnit)});
  // The view entry keeps its own record as the instance storage; use a second
  // instance of the effect component only as a handle to hang the record on.
  AudioUnit viewHandle = Open();
  ASSERT_NE(viewHandle, nullptr);
  void* plugStorage = GetComponentInstanceStorage(viewHandle);
  Block openView(kComponentOpenSelect, {reinterpret_cast<long>(viewHandle)});
  ASSERT_EQ(IEffectAU::IEffectAUCarbonViewEntry(openView.Get(), nullptr), noErr);
  void* record = GetComponentInstanceStorage(viewHandle);
  EXPECT_NE(record, plugStorage);

  Block create(kAudioUnitCarbonViewCreateSelect, {reinterpret_cast<long>(mUnit), 0, 0, 0, 0, 0});
  EXPECT_EQ(IEffectAU::IEffectAUCarbonViewEntry(create.Get(), record), badComponentSelector);
  Block other(kAudioUnitCarbonViewSetEventListenerSelect, {0, 0});
  EXPECT_EQ(IEffectAU::IEffectAUCarbonViewEntry(other.Get(), record), badComponentSelector);
  Block close(kComponentCloseSelect, {reinterpret_cast<long>(viewHandle)});
  EXPECT_EQ(IEffectAU::IEffectAUCarbonViewEntry(close.Get(), record), noErr);
  SetComponentInstanceStorage(viewHandle, static_cast<Handle>(plugStorage));
}

namespace {
// A listener that removes itself the first time it is told.
struct SelfRemover
{
  AudioUnit mUnit = nullptr;
  int mCalls = 0;
  static void Proc(void* refCon, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement)
  {
    SelfRemover* self = static_cast<SelfRemover*>(refCon);
    ++self->mCalls;
    AudioUnitRemovePropertyListenerWithUserData(unit, id, Proc, refCon);
  }
};
} // namespace

TEST_F(AUEntryTest, AListenerRemovingItselfDoesNotSilenceTheNext)
{
  SelfRemover remover;
  ListenerLog after;
  ASSERT_EQ(AudioUnitAddPropertyListener(mUnit, kAudioUnitProperty_SampleRate, SelfRemover::Proc, &remover), noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(mUnit, kAudioUnitProperty_SampleRate, Listener, &after), noErr);
  const Float64 rate = 48000.0;
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, sizeof(rate)),
            noErr);
  EXPECT_EQ(remover.mCalls, 1);
  EXPECT_EQ(after.mCalls, 1);
  // The remover is gone; the other listener still hears every write.
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, sizeof(rate)),
            noErr);
  EXPECT_EQ(remover.mCalls, 1);
  EXPECT_EQ(after.mCalls, 2);
}
