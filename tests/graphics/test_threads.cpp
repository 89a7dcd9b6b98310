#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "GraphicsTestSupport.h"
#include "graphics/IBitmapControls.h"
#include "graphics/IGraphicsParamMailbox.h"

TEST(IGraphicsParamMailbox, LatestValueWinsInIndexOrder)
{
  IGraphicsParamMailbox box;
  EXPECT_FALSE(box.Post(0, 1.0)); // no slots yet: dropped
  box.Reserve(3);
  EXPECT_EQ(box.Capacity(), IGraphicsParamMailbox::kChunkSize);
  box.Reserve(IGraphicsParamMailbox::kChunkSize + 1);
  EXPECT_EQ(box.Capacity(), 2 * IGraphicsParamMailbox::kChunkSize);
  box.Reserve(INT32_MAX);
  EXPECT_EQ(box.Capacity(), IGraphicsParamMailbox::kMaxSlots);
  const struct
  {
    int index;
    double value;
    bool kept;
  } posts[] = {{70, 0.1, true},
               {2, 0.2, true},
               {70, 0.7, true},
               {-1, 0.3, false},
               {IGraphicsParamMailbox::kMaxSlots, 0.4, false}};
  for (const auto& p : posts) EXPECT_EQ(box.Post(p.index, p.value), p.kept) << p.index;
  std::vector<std::pair<int, double>> taken;
  EXPECT_EQ(box.Take([&](int i, double v) { taken.push_back({i, v}); }), 2);
  EXPECT_EQ(taken, (std::vector<std::pair<int, double>>{{2, 0.2}, {70, 0.7}}));
  EXPECT_EQ(box.Take([&](int, double) { ADD_FAILURE(); }), 0);
  box.Post(5, 1.0);
  box.Post(6, 0.6);
  box.Drop(5);
  box.Drop(-1); // out of range: nothing
  box.Drop(IGraphicsParamMailbox::kMaxSlots);
  taken.clear();
  EXPECT_EQ(box.Take([&](int i, double v) { taken.push_back({i, v}); }), 1);
  EXPECT_EQ(taken, (std::vector<std::pair<int, double>>{{6, 0.6}}));
  box.Post(5, 1.0);
  box.Clear();
  EXPECT_EQ(box.Take([&](int, double) { ADD_FAILURE(); }), 0);
}

// A host thread sets parameters through the plug-in base while the editor's thread runs its redraw cycle;
// once both stop, the controls show the last values set.
TEST(IGraphicsThreads, ValuesFromAHostThreadReachTheControls)
{
  EditorFixture f(60, 40);
  f.graphics->mImages[9200] = {4, 195};
  IBitmap strip = f.graphics->LoadIBitmap(9200, "knob.png", 65);
  auto* level = f.Add<IKnobMultiControl>(0, 0, 0, &strip);
  auto* trim = f.Add<IKnobMultiControl>(10, 0, 3, &strip);
  auto* lamp = f.Add<IBitmapControl>(20, 0, -1, &strip);
  const int lampIdx = f.graphics->NControls() - 1;
  f.Attach();

  // Off the editor's thread nothing reaches a control until the editor's next IsDirty.
  std::thread([&] {
    Core_MutexLock lock(f.plug.GetMutex());
    f.plug.GetParam(0)->Set(42.0);
    f.plug.ShowParamInEditor(0, 42.0, false);
    f.plug.ShowParamInEditor(99, 1.0, false); // no such parameter: dropped
    f.plug.ShowControlValueInEditor(lampIdx, 1.0);
    f.plug.ShowControlValueInEditor(1 << 20, 1.0); // no such control: dropped
  }).join();
  EXPECT_EQ(level->GetValue(), 0.5);
  IRECT r;
  EXPECT_TRUE(f.graphics->IsDirty(&r));
  EXPECT_DOUBLE_EQ(level->GetValue(), 0.42);
  EXPECT_EQ(lamp->GetValue(), 1.0);

  constexpr int kSteps = 20000;
  std::atomic<bool> done{false};
  std::thread host([&] {
    for (int i = 0; i <= kSteps; ++i) {
      Core_MutexLock lock(f.plug.GetMutex());
      const double levelValue = 100.0 * i / kSteps;
      f.plug.GetParam(0)->Set(levelValue);
      f.plug.ShowParamInEditor(0, levelValue, false);
      f.plug.ShowParamInEditor(3, (i % 7) / 6.0, true);
      f.plug.ShowControlValueInEditor(lampIdx, i % 2);
    }
    done = true;
  });
  int cycles = 0;
  while (!done || cycles == 0) {
    IRECT dirty;
    if (f.graphics->IsDirty(&dirty)) f.graphics->Draw(&dirty);
    ++cycles;
  }
  host.join();
  IRECT last;
  f.graphics->IsDirty(&last);
  EXPECT_EQ(level->GetValue(), 1.0);
  EXPECT_DOUBLE_EQ(trim->GetValue(), (kSteps % 7) / 6.0);
  EXPECT_EQ(lamp->GetValue(), kSteps % 2);

  // On the editor's own thread a value applies at once.
  f.graphics->SetParameterFromPlug(0, 25.0, false);
  EXPECT_EQ(level->GetValue(), 0.25);
  f.graphics->SetControlFromPlug(lampIdx, 0.0);
  EXPECT_EQ(lamp->GetValue(), 0.0);
}

// A value set on the editor's own thread is newer than anything another thread posted before it: the
// older post must not overwrite it at the next redraw. A post made after it still wins, and posts for other
// parameters and controls stay.
TEST(IGraphicsThreads, ADirectValueDropsOlderPostsForTheSameTarget)
{
  enum Kind {
    kPostParam,   // SetParameterFromPlug from another thread
    kPostControl, // SetControlFromPlug from another thread
    kParam,       // SetParameterFromPlug on the editor's thread
    kControl,     // SetControlFromPlug on the editor's thread
    kGUI,         // SetParameterFromGUI on the editor's thread
    kUser,        // the user moves the knob of parameter 0
  };
  struct Step
  {
    Kind kind;
    int target; // parameter 0 or 3, or control 2 (the lamp)
    double value;
  };
  struct Case
  {
    const char* name;
    std::vector<Step> steps;
    double level, trim, lamp;
  };
  const Case cases[] = {
      {"post then direct", {{kPostParam, 0, 0.9}, {kParam, 0, 0.3}}, 0.3, 0.5, 0.0},
      {"direct then post", {{kParam, 0, 0.3}, {kPostParam, 0, 0.9}}, 0.9, 0.5, 0.0},
      {"other parameter's post stays", {{kPostParam, 0, 0.9}, {kPostParam, 3, 0.2}, {kParam, 0, 0.3}}, 0.3, 0.2, 0.0},
      {"control post then direct", {{kPostControl, 2, 1.0}, {kControl, 2, 0.0}}, 0.5, 0.5, 0.0},
      {"control direct then post", {{kControl, 2, 0.0}, {kPostControl, 2, 1.0}}, 0.5, 0.5, 1.0},
      {"a control does not drop a parameter", {{kPostParam, 0, 0.9}, {kControl, 2, 1.0}}, 0.9, 0.5, 1.0},
      {"the user's value is newer too", {{kPostParam, 0, 0.9}, {kGUI, 0, 0.25}}, 0.25, 0.5, 0.0},
      {"the user's drag is newer too", {{kPostParam, 0, 0.9}, {kUser, 0, 0.4}}, 0.4, 0.5, 0.0},
      {"twice posted, once direct", {{kPostParam, 3, 0.8}, {kPostParam, 3, 0.7}, {kParam, 3, 0.1}}, 0.5, 0.1, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EditorFixture f(60, 40);
    f.graphics->mImages[9200] = {4, 195};
    IBitmap strip = f.graphics->LoadIBitmap(9200, "knob.png", 65);
    auto* level = f.Add<IKnobMultiControl>(0, 0, 0, &strip);
    auto* trim = f.Add<IKnobMultiControl>(10, 0, 3, &strip);
    auto* lamp = f.Add<IBitmapControl>(20, 0, -1, &strip);
    const int lampIdx = f.graphics->NControls() - 1;
    ASSERT_EQ(lampIdx, 2);
    f.Attach();
    for (const Step& s : c.steps) {
      switch (s.kind) {
      case kPostParam:
        std::thread([&] { f.graphics->SetParameterFromPlug(s.target, s.value, true); }).join();
        break;
      case kPostControl:
        std::thread([&] { f.graphics->SetControlFromPlug(s.target, s.value); }).join();
        break;
      case kParam:
        f.graphics->SetParameterFromPlug(s.target, s.value, true);
        break;
      case kControl:
        f.graphics->SetControlFromPlug(s.target, s.value);
        break;
      case kGUI:
        f.graphics->SetParameterFromGUI(s.target, s.value);
        break;
      case kUser:
        level->SetValue(s.value);
        level->SetDirty(true);
        break;
      }
    }
    IRECT r;
    f.graphics->IsDirty(&r);
    EXPECT_DOUBLE_EQ(level->GetValue(), c.level);
    EXPECT_DOUBLE_EQ(trim->GetValue(), c.trim);
    EXPECT_DOUBLE_EQ(lamp->GetValue(), c.lamp);
  }
}
