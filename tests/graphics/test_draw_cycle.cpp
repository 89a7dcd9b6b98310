#include <gtest/gtest.h>

#include <set>

#include "GraphicsTestSupport.h"

namespace {

// bg (0) covers the editor; A (1) and B (2) overlap; C (3) lies apart.
struct CycleCase
{
  const char* name;
  bool strict;
  std::set<int> hidden;
  std::set<int> dirty;
  IRECT drawRect; // used in strict mode
  std::vector<std::string> drawn;
  IRECT clip;
  std::set<int> dirtyAfter;
};

} // namespace

TEST(IGraphicsDrawCycle, WhichControlsDrawClipAndBecomeClean)
{
  const IRECT full(0, 0, 100, 80), a(10, 10, 20, 20), b(15, 15, 30, 30), c(50, 50, 60, 60);
  const CycleCase cases[] = {
      {"strict: A's rect draws what it touches", true, {}, {1}, a, {"bg", "A", "B"}, a, {}},
      // The rect's right and bottom edges touch C; its left and top edges touching B do not count.
      {"strict: edges", true, {}, {}, IRECT(30, 30, 50, 50), {"bg", "C"}, IRECT(30, 30, 50, 50), {}},
      {"strict: hidden never drawn, still cleaned", true, {3}, {3}, full, {"bg", "A", "B"}, full, {}},
      // A partial repaint leaves whatever it did not reach dirty, hidden or not: its area is still stale.
      {"strict: a control outside the rect stays dirty", true, {}, {1, 3}, a, {"bg", "A", "B"}, a, {3}},
      {"strict: a hidden control outside the rect too", true, {3}, {1, 3}, b, {"bg", "A", "B"}, b, {3}},
      {"strict: an empty rect draws and cleans nothing", true, {}, {2}, {}, {}, {}, {2}},
      {"loose: dirty background redraws all shown", false, {3}, {0, 3}, {}, {"bg", "A", "B"}, full, {3}},
      {"loose: A repaints beneath and above it", false, {}, {1}, {}, {"bg", "A", "B"}, a, {}},
      {"loose: each dirty control in turn", false, {}, {1, 3}, {}, {"bg", "A", "B", "bg", "C"}, c, {}},
      {"loose: a hidden dirty control repaints what lies under it", false, {2}, {2}, {}, {"bg", "A"}, b, {}},
  };
  for (const CycleCase& k : cases) {
    SCOPED_TRACE(k.name);
    EditorFixture f;
    std::vector<std::string> log;
    f.Add<RecordingControl>(full, -1, &log, "bg");
    f.Add<RecordingControl>(a, -1, &log, "A");
    f.Add<RecordingControl>(b, -1, &log, "B");
    f.Add<RecordingControl>(c, -1, &log, "C");
    for (int i : k.hidden) f.graphics->GetControl(i)->Hide(true);
    IRECT all = full;
    f.graphics->SetStrictDrawing(k.strict); // marks every control dirty
    for (int pass = 0; pass < 3; ++pass) f.graphics->Draw(&all);
    IRECT stale;
    ASSERT_FALSE(f.graphics->IsDirty(&stale));
    for (int i : k.dirty) f.graphics->GetControl(i)->SetDirty(false);
    log.clear();
    f.graphics->mScreens.clear();

    IRECT r = k.drawRect;
    EXPECT_TRUE(f.graphics->Draw(&r));
    EXPECT_EQ(log, k.drawn);
    EXPECT_EQ(f.graphics->GetClipRect(), k.clip);
    ASSERT_EQ(f.graphics->mScreens.size(), 1u);
    std::set<int> dirtyAfter;
    for (int i = 0; i < 4; ++i)
      if (f.graphics->GetControl(i)->IsDirty()) dirtyAfter.insert(i);
    EXPECT_EQ(dirtyAfter, k.dirtyAfter);
  }
}

TEST(IGraphicsDrawCycle, IsDirtyUnionsDrawingRectsAndKeepsControlsDirty)
{
  EditorFixture f;
  auto* a = f.Add<RecordingControl>(IRECT(10, 10, 20, 20), -1, nullptr, "A");
  auto* b = f.Add<RecordingControl>(IRECT(30, 5, 40, 15), -1, nullptr, "B");
  b->SetHitRECT(IRECT(0, 0, 90, 90)); // the hit rectangle plays no part
  IRECT r;
  EXPECT_TRUE(f.graphics->IsDirty(&r));
  EXPECT_EQ(r, IRECT(10, 5, 40, 20));
  EXPECT_TRUE(a->IsDirty());
  a->Hide(true); // hidden controls count as well
  f.graphics->Draw(&r);
  IRECT again;
  EXPECT_TRUE(f.graphics->IsDirty(&again)); // Hide asked for one more pass
  EXPECT_EQ(again, IRECT(10, 10, 20, 20));
  f.graphics->Draw(&again);
  IRECT none;
  EXPECT_FALSE(f.graphics->IsDirty(&none));
  EXPECT_TRUE(none.IsEmpty());
  EXPECT_FALSE(f.graphics->IsDirty(nullptr));

  // No controls: nothing drawn, no screen copy.
  GraphicsTestPlug plug;
  TestGraphics empty(&plug, 10, 10, -3);
  EXPECT_EQ(empty.FPS(), IGraphics::kDefaultFrameRate);
  IRECT any(0, 0, 10, 10);
  EXPECT_TRUE(empty.Draw(&any));
  EXPECT_TRUE(empty.mScreens.empty());
}
