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
