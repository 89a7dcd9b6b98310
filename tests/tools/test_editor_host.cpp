// Brindle's editor as a host sees it: opened through the component alone (Cocoa-view property, view
// factory class in the bundle, a view in a window), driven by events through the window system, and
// checked pixel for pixel against a composition of the shipped images worked out in this file.
#include <AppKit/AppKit.h>
#include <AudioToolbox/AudioUnitUtilities.h>
#include <BrindleHost/Headless.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "raster/Raster_MemBitmap.h"
#include "tests/tools/test_editor_composite.h"
#include "tests/tools/test_host_support.h"
#include "tools/host/ComponentHost.h"
#include "tools/host/EditorHost.h"

namespace {

enum Param { kLevel = 0, kAttack = 1, kEffect = 2, kCabinet = 3 };

// What the editor should show: frame indices (from 0) and whether the about panel is open.
struct Look
{
  int lamp = 1, cabinet = 1, footswitch = 0;
  double level = 0.5, attack = 0.5;
  bool about = false;
};

int KnobFrame(double value)
{
  return std::min(64, std::max(0, static_cast<int>(0.5 + value * 64)));
}

class EditorHostTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    std::string error;
    ASSERT_TRUE(LoadBrindleComponent(hosttest::BundlePath(), mComponent, error)) << error;
    ASSERT_EQ(mHost.Open(mComponent), noErr);
    const std::string res = hosttest::BundlePath() + "/Contents/Resources/";
    const char* files[] = {"background.png",        "brindle_led.png",     "brindle_switch_01.png",
                           "brindle_switch_02.png", "brindle_knob_01.png", "brindle_about.png"};
    for (int i = 0; i < 6; ++i) ASSERT_TRUE(LoadTestPng(res + files[i], mImages[i])) << files[i];
  }

  TestImage Expected(const Look& look) const
  {
    TestImage canvas = mImages[0];
    CompositeFrame(canvas, mImages[1], 2, look.lamp, 91, 15);
    CompositeFrame(canvas, mImages[2], 2, look.cabinet, 80, 61);
    CompositeFrame(canvas, mImages[3], 2, look.footswitch, 80, 172);
    CompositeFrame(canvas, mImages[4], 65, KnobFrame(look.level), 18, 86);
    CompositeFrame(canvas, mImages[4], 65, KnobFrame(look.attack), 115, 86);
    if (look.about) CompositeFrame(canvas, mImages[5], 1, 0, 5, 156);
    return canvas;
  }

  // Number of pixels whose colour differs from the expected picture.
  int Mismatches(EditorHost& editor, const Look& look) const
  {
    Raster_MemBitmap shot;
    if (!editor.Snapshot(shot)) return -1;
    const TestImage want = Expected(look);
    if (shot.getWidth() != want.w || shot.getHeight() != want.h) return -2;
    int bad = 0;
    for (int y = 0; y < want.h; ++y)
      for (int x = 0; x < want.w; ++x) {
        const Raster_PixelWord p = shot.getBits()[y * shot.getRowSpan() + x];
        const uint8_t* e = want.At(x, y);
        if (((p >> 8) & 0xFF) != e[0] || ((p >> 16) & 0xFF) != e[1] || (p >> 24) != e[2]) ++bad;
      }
    return bad;
  }

  float Param(int id)
  {
    AudioUnitParameterValue value = -1;
    mHost.GetParameter(id, value);
    return value;
  }

  Component mComponent = nullptr;
  ComponentHost mHost;
  TestImage mImages[6];
};

TEST_F(EditorHostTest, EveryInteractionShowsTheRightPicture)
{
  // Clicks more than the double-click interval apart count as single clicks.
  const auto apart = [](EditorHost& e) { e.Ticks(15); };
  struct Case
  {
    const char* what;
    std::function<void(EditorHost&, ComponentHost&)> act;
    Look look;
    float effect, cabinet, level, attack;
  };
  const Case cases[] = {
      {"fresh instance", [](EditorHost&, ComponentHost&) {}, Look{}, 1, 1, 0.5f, 0.5f},
      {"footswitch held", [](EditorHost& e, ComponentHost&) { e.Press(104, 196); }, Look{0, 1, 1, 0.5, 0.5, false}, 0,
       1, 0.5f, 0.5f},
      {"footswitch clicked", [](EditorHost& e, ComponentHost&) { e.Click(104, 196); }, Look{0, 1, 0, 0.5, 0.5, false},
       0, 1, 0.5f, 0.5f},
      {"footswitch clicked twice",
       [&](EditorHost& e, ComponentHost&) { e.Click(104, 196), apart(e), e.Click(104, 196); }, Look{}, 1, 1, 0.5f,
       0.5f},
      {"cabinet switched off", [](EditorHost& e, ComponentHost&) { e.Click(104, 73); }, Look{1, 0, 0, 0.5, 0.5, false},
       1, 0, 0.5f, 0.5f},
      {"host automates Effect off", [](EditorHost&, ComponentHost& h) { h.SetParameter(kEffect, 0); },
       Look{0, 1, 0, 0.5, 0.5, false}, 0, 1, 0.5f, 0.5f},
      // 30 pixels up over a 75-pixel knob at gearing 4: +0.1; with shift ten times less.
      {"Level dragged up", [](EditorHost& e, ComponentHost&) { e.Drag(55, 120, 0, -30); },
       Look{1, 1, 0, 0.6, 0.5, false}, 1, 1, 0.6f, 0.5f},
      {"Level dragged up finely", [](EditorHost& e, ComponentHost&) { e.Drag(55, 120, 0, -30, NSShiftKeyMask); },
       Look{1, 1, 0, 0.51, 0.5, false}, 1, 1, 0.51f, 0.5f},
      {"Attack dragged past the bottom", [](EditorHost& e, ComponentHost&) { e.Drag(150, 100, 0, 400); },
       Look{1, 1, 0, 0.5, 0.0, false}, 1, 1, 0.5f, 0.0f},
      {"Attack wheeled up 5", [](EditorHost& e, ComponentHost&) { e.Wheel(150, 120, 5); },
       Look{1, 1, 0, 0.5, 0.55, false}, 1, 1, 0.5f, 0.55f},
      {"background clicked outside the about area", [](EditorHost& e, ComponentHost&) { e.Click(150, 300); }, Look{}, 1,
       1, 0.5f, 0.5f},
      {"about area clicked", [](EditorHost& e, ComponentHost&) { e.Click(20, 40); }, Look{1, 1, 0, 0.5, 0.5, true}, 1,
       1, 0.5f, 0.5f},
      {"about opened and closed", [&](EditorHost& e, ComponentHost&) { e.Click(20, 40), apart(e), e.Click(100, 300); },
       Look{}, 1, 1, 0.5f, 0.5f},
      {"events outside the editor",
       [](EditorHost& e, ComponentHost&) { e.Click(-50, 40), e.Drag(300, 500, 10, 10), e.Wheel(-1, -1, 3); }, Look{}, 1,
       1, 0.5f, 0.5f},
      {"hostile wheel deltas",
       [](EditorHost& e, ComponentHost&) {
         e.Wheel(55, 120, std::nan("")), e.Wheel(55, 120, 0.6), e.Wheel(150, 120, 1e300);
       },
       Look{1, 1, 0, 0.5, 1.0, false}, 1, 1, 0.5f, 1.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // A fresh instance per case: the editor starts from the defaults.
    mHost.Close();
    ASSERT_EQ(mHost.Open(mComponent), noErr);
    EditorHost editor;
    std::string error;
    ASSERT_TRUE(editor.Open(mHost.Unit(), error)) << error;
    editor.Ticks(2);
    c.act(editor, mHost);
    editor.Ticks(2);
    EXPECT_EQ(Mismatches(editor, c.look), 0);
    EXPECT_EQ(Param(kEffect), c.effect);
    EXPECT_EQ(Param(kCabinet), c.cabinet);
    EXPECT_NEAR(Param(kLevel), c.level, 1e-6);
    EXPECT_NEAR(Param(kAttack), c.attack, 1e-6);
    editor.Release();
  }
}

// What a host's listener hears while the user turns a knob, and what the unit then renders.
struct Heard
{
  std::vector<std::pair<AudioUnitEventType, AudioUnitParameterID>> events;
};

void Listen(void* refCon, void*, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue)
{
  static_cast<Heard*>(refCon)->events.emplace_back(event->mEventType, event->mArgument.mParameter.mParameterID);
}

TEST_F(EditorHostTest, AKnobDragReachesTheHostAndTheSound)
{
  Heard heard;
  AUEventListenerRef listener = nullptr;
  ASSERT_EQ(AUEventListenerCreate(&Listen, &heard, nullptr, nullptr, 0, 0, &listener), noErr);
  for (AudioUnitEventType type : {kAudioUnitEvent_ParameterValueChange, kAudioUnitEvent_BeginParameterChangeGesture,
                                  kAudioUnitEvent_EndParameterChangeGesture}) {
    AudioUnitEvent event{};
    event.mEventType = type;
    event.mArgument.mParameter = {mHost.Unit(), kLevel, kAudioUnitScope_Global, 0};
    ASSERT_EQ(AUEventListenerAddEventType(listener, nullptr, &event), noErr);
  }

  EditorHost editor;
  std::string error;
  ASSERT_TRUE(editor.Open(mHost.Unit(), error)) << error;
  editor.Ticks(2);
  const unsigned long long before = editor.BytesSinceOpen();
  editor.Drag(55, 120, 0, -30);
  editor.Ticks(3);
  AUListenerDispose(listener);

  // One gesture: begin, the value steps, end.
  ASSERT_GE(heard.events.size(), 3u);
  EXPECT_EQ(heard.events.front().first, kAudioUnitEvent_BeginParameterChangeGesture);
  EXPECT_EQ(heard.events.back().first, kAudioUnitEvent_EndParameterChangeGesture);
  for (size_t i = 1; i + 1 < heard.events.size(); ++i) {
    EXPECT_EQ(heard.events[i].first, kAudioUnitEvent_ParameterValueChange);
    EXPECT_EQ(heard.events[i].second, static_cast<AudioUnitParameterID>(kLevel));
  }
  // One repaint, of the knob's rectangle (one pixel larger each way) and nothing else.
  EXPECT_EQ(editor.BytesSinceOpen() - before, 76u * 76u * 4u);

  // The output level follows: "Level" scales the signal after the fuzz and before the (linear)
  // cabinet, so the dragged unit at 0.6 plays 1.2 times as loud as an untouched one at 0.5. (Each
  // instance has its own noise table, so the two agree in level, not sample for sample.)
  ComponentHost reference;
  ASSERT_EQ(reference.Open(mComponent), noErr);
  HostFormat format;
  format.inChannels = format.outChannels = 1;
  for (ComponentHost* unit : {&mHost, &reference}) {
    ASSERT_EQ(unit->Configure(format), noErr);
    ASSERT_EQ(unit->Initialize(), noErr);
  }
  std::vector<float> in(256), outDragged(256), outSet(256);
  for (size_t i = 0; i < in.size(); ++i) in[i] = 0.5f * std::sin(0.05 * i);
  const float* input[] = {in.data()};
  float* dragged[] = {outDragged.data()};
  float* set[] = {outSet.data()};
  ASSERT_EQ(mHost.Render(input, dragged, 256), noErr);
  ASSERT_EQ(reference.Render(input, set, 256), noErr);
  double energyDragged = 0, energySet = 0;
  for (size_t i = 0; i < in.size(); ++i) {
    energyDragged += double(outDragged[i]) * outDragged[i];
    energySet += double(outSet[i]) * outSet[i];
  }
  ASSERT_GT(energySet, 0.0);
  EXPECT_NEAR(std::sqrt(energyDragged / energySet), 1.2, 0.005);
  EXPECT_NEAR(Param(kLevel), 0.6, 1e-6);
}

TEST_F(EditorHostTest, ViewsComeAndGoWhileTheEditorStays)
{
  std::string error;
  EditorHost first, second;
  ASSERT_TRUE(first.Open(mHost.Unit(), error)) << error;
  first.Ticks(2);
  first.Click(104, 196); // Effect off
  first.Ticks(2);
  ASSERT_TRUE(second.Open(mHost.Unit(), error)) << error;
  second.Ticks(2);
  // The second view shows the state the first one left; the first no longer redraws.
  EXPECT_EQ(Mismatches(second, Look{0, 1, 0, 0.5, 0.5, false}), 0);
  const unsigned long long firstBytes = first.BytesSinceOpen();
  second.Click(104, 73); // Cabinet off
  second.Ticks(2);
  EXPECT_EQ(first.BytesSinceOpen(), firstBytes);
  EXPECT_EQ(Mismatches(second, Look{0, 0, 0, 0.5, 0.5, false}), 0);
  first.Click(104, 196); // the old view is inert
  EXPECT_EQ(Param(kEffect), 0.0f);

  // Closing the host's view leaves the editor for the next one, a thousand times over.
  second.Close();
  first.Close();
  for (int i = 0; i < 1000; ++i) {
    EditorHost again;
    ASSERT_TRUE(again.Open(mHost.Unit(), error)) << error;
    if (i == 999) {
      again.Ticks(1);
      EXPECT_EQ(Mismatches(again, Look{0, 0, 0, 0.5, 0.5, false}), 0);
    }
  }

  // The host closes the instance while a view is open: the view stays, inert.
  EditorHost orphan;
  ASSERT_TRUE(orphan.Open(mHost.Unit(), error)) << error;
  orphan.Ticks(1);
  mHost.Close();
  const unsigned long long drawn = orphan.BytesSinceOpen();
  orphan.Click(104, 196);
  orphan.Drag(55, 120, 0, -30);
  orphan.Wheel(55, 120, 3);
  orphan.Ticks(3);
  EXPECT_EQ(orphan.BytesSinceOpen(), drawn);
}

} // namespace
