#include "../ThreadBlocked.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "plugcore/IMidiMsg.h"
#include "tests/plugcore/FakePlug.h"

namespace {
// Records parameter-change calls and whether the plug-in's mutex was held.
class RecordingPlug : public FakePlug
{
public:
  explicit RecordingPlug(int nParams) : FakePlug(nParams) {}
  void OnParamChange(int paramIdx) override
  {
    FakePlug::OnParamChange(paramIdx);
    mChanged.push_back(paramIdx);
    mHeldDuringChange.push_back(GetMutex().IsHeldByCurrentThread());
    mHostCallsBeforeChange.push_back(static_cast<int>(mHostChanges.size()));
  }
  std::vector<int> mChanged;
  std::vector<bool> mHeldDuringChange;
  std::vector<int> mHostCallsBeforeChange;
};

// Checks that op waits while another thread holds the plug-in's mutex.
void ExpectWaitsForMutex(IEffectBase& plug, const std::function<void()>& op)
{
  std::atomic<bool> done{false};
  std::atomic<pid_t> callerId{0};
  plug.GetMutex().Enter();
  std::thread caller([&] {
    callerId = CurrentThreadKernelId();
    op();
    done = true;
  });
  // The caller's op takes the mutex first thing; once it sleeps, it is waiting for it.
  while (callerId == 0) std::this_thread::yield();
  WaitUntilThreadBlocks(callerId);
  EXPECT_FALSE(done.load());
  plug.GetMutex().Leave();
  caller.join();
  EXPECT_TRUE(done.load());
  EXPECT_FALSE(plug.GetMutex().IsHeldByCurrentThread());
}
} // namespace

TEST(EffectBaseVirtuals, LockingDefaultsTakeAndReleaseTheMutex)
{
  FakePlug plug(1);
  ExpectWaitsForMutex(plug, [&] { plug.Reset(); });
  ExpectWaitsForMutex(plug, [&] { plug.OnParamChange(0); });
  ExpectWaitsForMutex(plug, [&] { plug.OnActivate(true); });
  ExpectWaitsForMutex(plug, [&] { plug.SetParameterFromGUI(0, 0.5); });
  ExpectWaitsForMutex(plug, [&] { plug.AttachGraphics(new FakeEditor); });
}

TEST(EffectBaseVirtuals, PlainDefaults)
{
  FakePlug plug;
  EXPECT_FALSE(plug.HostRequestingAboutBox());
  EXPECT_FALSE(plug.IsRenderingOffline());
  EXPECT_FALSE(plug.SendSysEx(nullptr));
  char name[8] = "xx";
  EXPECT_FALSE(plug.MidiNoteName(60, name));
  EXPECT_STREQ(name, "");
  EXPECT_FALSE(plug.MidiNoteName(60, nullptr));
  plug.SetLatency(64);
  EXPECT_EQ(plug.GetLatency(), 64);
  plug.SetSampleRate(96000.0);
  EXPECT_EQ(plug.GetSampleRate(), 96000.0);
  // Hooks that do nothing in the base must still be callable.
  plug.OnGUIOpen();
  plug.OnGUIClose();
  plug.OnIdle();
  plug.OnWindowResize();
  plug.OnHostIdentified();
  plug.HostSpecificInit();
  plug.PopupHostContextMenuForParam(0, 1, 2);
  plug.ProcessSysEx(nullptr);
  plug.DirtyPTCompareState();
  plug.PresetsChangedByHost();

  IMidiMsg msg;
  plug.ProcessMidiMsg(&msg);
  ASSERT_EQ(plug.mSentMidi.size(), 1u);
  EXPECT_EQ(plug.mSentMidi[0], &msg);
}

TEST(EffectBaseVirtuals, SetParameterFromGUI)
{
  RecordingPlug plug(2);
  plug.GetParam(1)->InitDouble("p", 0, 10, 20, 0.01, "", "", 2.0);
  plug.SetParameterFromGUI(1, 0.5);
  EXPECT_DOUBLE_EQ(plug.GetParam(1)->mValue, 12.5); // a quarter of the range above min
  ASSERT_EQ(plug.mHostChanges.size(), 1u);
  EXPECT_EQ(plug.mHostChanges[0].index, 1);
  EXPECT_EQ(plug.mHostChanges[0].normalized, 0.5); // as passed, not re-derived
  ASSERT_EQ(plug.mChanged.size(), 1u);
  EXPECT_EQ(plug.mChanged[0], 1);
  EXPECT_TRUE(plug.mHeldDuringChange[0]);
  EXPECT_EQ(plug.mHostCallsBeforeChange[0], 1); // host told before the change handler
  EXPECT_FALSE(plug.GetMutex().IsHeldByCurrentThread());

  plug.SetParameterFromGUI(2, 0.5);
  plug.SetParameterFromGUI(-1, 0.5);
  EXPECT_EQ(plug.mHostChanges.size(), 1u);
  EXPECT_EQ(plug.mChanged.size(), 1u);
}

TEST(EffectBaseVirtuals, OnParamResetVisitsEveryParameterInOrder)
{
  RecordingPlug plug(4);
  plug.OnParamReset();
  EXPECT_EQ(plug.mChanged, (std::vector<int>{0, 1, 2, 3}));
}

TEST(EffectBaseVirtuals, AttachGraphicsShowsEveryParameterThenPrepares)
{
  bool deleted = false;
  FakePlug plug(3);
  plug.GetParam(0)->InitDouble("a", 5, 0, 10, 0.1);
  plug.GetParam(1)->InitBool("b", true);
  plug.GetParam(2)->InitDouble("c", 0.25, 0, 1, 0.01, "", "", 2.0);

  plug.AttachGraphics(nullptr);
  EXPECT_EQ(plug.GetGUI(), nullptr);

  auto* editor = new FakeEditor(&deleted);
  plug.AttachGraphics(editor);
  EXPECT_EQ(plug.GetGUI(), editor);
  ASSERT_EQ(editor->mCalls.size(), 4u);
  const double expected[] = {0.5, 1.0, 0.5};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(editor->mCalls[i].what, "param");
    EXPECT_EQ(editor->mCalls[i].index, i);
    EXPECT_DOUBLE_EQ(editor->mCalls[i].value, expected[i]);
    EXPECT_TRUE(editor->mCalls[i].normalized);
  }
  EXPECT_EQ(editor->mCalls[3].what, "prepdraw");

  // A replacement editor: the old one is the plug-in's and is deleted.
  plug.AttachGraphics(new FakeEditor);
  EXPECT_TRUE(deleted);
}

TEST(EffectBaseVirtuals, SamplesPerBeat)
{
  FakePlug plug;
  plug.mTempo = 120.0;
  EXPECT_DOUBLE_EQ(plug.GetSamplesPerBeat(), 22050.0);
  plug.SetSampleRate(48000.0);
  plug.mTempo = 90.0;
  EXPECT_DOUBLE_EQ(plug.GetSamplesPerBeat(), 32000.0);
  plug.mTempo = 0.0;
  EXPECT_EQ(plug.GetSamplesPerBeat(), 0.0);
  plug.mTempo = -60.0;
  EXPECT_EQ(plug.GetSamplesPerBeat(), 0.0);
}

TEST(EffectBaseLabels, ChannelLabels)
{
  FakePlug plug;
  plug.SetInputLabel(1, "Right in");
  plug.SetOutputLabel(0, "Left out");
  plug.SetInputLabel(5, "nope");
  plug.SetOutputLabel(-1, "nope");
  EXPECT_STREQ(plug.GetInputLabel(1), "Right in");
  EXPECT_STREQ(plug.GetOutputLabel(0), "Left out");
  EXPECT_STREQ(plug.GetInputLabel(0), "");
  EXPECT_STREQ(plug.GetInputLabel(5), "");
  plug.SetInputLabel(1, nullptr);
  EXPECT_STREQ(plug.GetInputLabel(1), "");
}

TEST(EffectBaseLabels, BusLabels)
{
  FakePlug plug;
  plug.SetInputBusLabel(2, "ignored");
  plug.SetInputBusLabel(-1, "ignored");
  EXPECT_EQ(plug.GetInputBusLabel(0), nullptr);

  plug.SetOutputBusLabel(5, "main");
  ASSERT_NE(plug.GetOutputBusLabel(0), nullptr);
  EXPECT_STREQ(plug.GetOutputBusLabel(0)->Get(), "main");
  EXPECT_EQ(plug.GetOutputBusLabel(5), nullptr);
  plug.SetOutputBusLabel(-2, "ignored");

  plug.SetInputBusLabel(0, "a");
  plug.SetInputBusLabel(1, "b");
  plug.SetInputBusLabel(0, "c"); // replaces in place
  EXPECT_STREQ(plug.GetInputBusLabel(0)->Get(), "c");
  EXPECT_STREQ(plug.GetInputBusLabel(1)->Get(), "b");
  EXPECT_EQ(plug.GetInputBusLabel(2), nullptr);

  plug.SetOutputBusLabel(0, "x");
  plug.SetOutputBusLabel(1, "y");
  plug.SetOutputBusLabel(1, "z");
  EXPECT_STREQ(plug.GetOutputBusLabel(0)->Get(), "x");
  EXPECT_STREQ(plug.GetOutputBusLabel(1)->Get(), "z");
  EXPECT_EQ(plug.GetOutputBusLabel(2), nullptr);
  plug.SetOutputBusLabel(0, nullptr);
  EXPECT_STREQ(plug.GetOutputBusLabel(0)->Get(), "");
}
