#include <gtest/gtest.h>

#include <climits>

#include "GraphicsTestSupport.h"
#include "graphics/IBitmapControls.h"

namespace {

// Background, then A (bound to parameter 0) and B (unbound) side by side.
struct Events : EditorFixture
{
  Events()
  {
    a = Add<RecordingControl>(IRECT(10, 10, 30, 30), 0, nullptr, "A");
    b = Add<RecordingControl>(IRECT(40, 10, 60, 30), -1, nullptr, "B");
    IColor grey = COLOR_GRAY;
    graphics->AttachPanelBackground(&grey); // inserted first although attached last
  }
  std::vector<std::string> Calls() const
  {
    std::vector<std::string> all = a->mCalls;
    all.insert(all.end(), b->mCalls.begin(), b->mCalls.end());
    return all;
  }
  RecordingControl* a;
  RecordingControl* b;
};

} // namespace

TEST(IGraphicsEvents, PressDragReleaseCaptureAndHostBracketing)
{
  Events e;
  EXPECT_EQ(e.graphics->GetControl(1), e.a);
  EXPECT_EQ(e.graphics->NControls(), 3);
  e.graphics->OnMouseDown(15, 15, nullptr);
  EXPECT_EQ(e.graphics->GetCaptureIdx(), 1);
  // Deltas are per drag event; an unmoved drag is not delivered.
  const struct
  {
    int x, y;
  } drags[] = {{15, 15}, {18, 11}, {18, 11}, {90, 70}, {INT_MIN, INT_MAX}, {INT_MAX, INT_MIN}};
  for (const auto& d : drags) e.graphics->OnMouseDrag(d.x, d.y, nullptr);
  e.graphics->OnMouseUp(200, 200, nullptr); // outside everything: still the capturing control's
  e.graphics->OnMouseDown(50, 20, nullptr); // unbound: no notifications
  e.graphics->OnMouseUp(50, 20, nullptr);
  e.graphics->OnMouseDrag(51, 21, nullptr); // no capture: nothing
  e.graphics->OnMouseUp(99, 79, nullptr);   // the background: not recorded, unbound
  EXPECT_EQ(e.Calls(), (std::vector<std::string>{"A:down(15,15)", "A:drag(3,-4)", "A:drag(72,59)",
                                                 "A:drag(-2147483648,2147483577)", "A:drag(2147483647,-2147483648)",
                                                 "A:up(200,200)", "B:down(50,20)", "B:up(50,20)"}));
  EXPECT_EQ(e.plug.mEvents, (std::vector<std::string>{"B0", "E0"}));
  EXPECT_EQ(e.graphics->GetCaptureIdx(), -1);
}

// A press that a closing view cuts short ends once, where the mouse was last seen; without a press in
// progress there is nothing to end.
TEST(IGraphicsEvents, EndingAPressInProgress)
{
  const struct
  {
    const char* what;
    int x, y; // the press, (-1, -1) for none
    int dragX, dragY;
    std::vector<std::string> calls, host;
  } cases[] = {
      {"bound", 15, 15, 20, 25, {"A:down(15,15)", "A:drag(5,10)", "A:up(20,25)"}, {"B0", "E0"}},
      {"unbound", 50, 20, 50, 20, {"B:down(50,20)", "B:up(50,20)"}, {}},
      {"no press", -1, -1, 0, 0, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Events e;
    if (c.x >= 0) e.graphics->OnMouseDown(c.x, c.y, nullptr);
    e.graphics->OnMouseDrag(c.dragX, c.dragY, nullptr);
    e.graphics->EndMousePress();
    e.graphics->EndMousePress(); // ended already
    EXPECT_EQ(e.Calls(), c.calls);
    EXPECT_EQ(e.plug.mEvents, c.host);
    EXPECT_EQ(e.graphics->GetCaptureIdx(), -1);
  }
}

TEST(IGraphicsEvents, DoubleClickWheelHoverKeysAndAutomation)
{
  Events e;
  e.graphics->OnMouseDblClick(15, 15, nullptr);
  EXPECT_EQ(e.graphics->GetCaptureIdx(), -1);
  e.graphics->OnMouseUp(15, 15, nullptr); // found by hit test; ends a gesture that never began
  e.a->SetDblAsSingleClick(true);
  EXPECT_TRUE(e.graphics->OnMouseDblClick(15, 15, nullptr));
  EXPECT_EQ(e.graphics->GetCaptureIdx(), 1);
  e.graphics->OnMouseUp(0, 0, nullptr); // by the capture
  EXPECT_FALSE(e.graphics->OnMouseDblClick(95, 95, nullptr));
  EXPECT_EQ(e.plug.mEvents, (std::vector<std::string>{"E0", "E0"}));
  EXPECT_EQ(e.a->mCalls, (std::vector<std::string>{"A:dbl(15,15)", "A:up(15,15)", "A:down(15,15)", "A:up(0,0)"}));

  e.a->mCalls.clear();
  e.graphics->OnMouseWheel(45, 15, nullptr, INT_MAX);
  e.graphics->OnMouseWheel(200, 200, nullptr, 1); // nothing there
  e.graphics->OnMouseDown(15, 15, nullptr);
  e.graphics->OnMouseWheel(45, 15, nullptr, -3); // the capture wins
  e.graphics->OnMouseUp(15, 15, nullptr);
  EXPECT_EQ(e.Calls(),
            (std::vector<std::string>{"A:down(15,15)", "A:wheel(-3,0)", "A:up(15,15)", "B:wheel(2147483647,0)"}));

  e.a->mCalls.clear();
  e.b->mCalls.clear();
  EXPECT_FALSE(e.graphics->OnMouseOver(15, 15, nullptr)); // hover not tracked
  e.graphics->SetTrackHover(true);
  e.a->GrayOut(true);
  e.a->SetMOWhenGrayed(true); // grayed but still hovered
  EXPECT_TRUE(e.graphics->OnMouseOver(15, 15, nullptr));
  EXPECT_TRUE(e.graphics->OnMouseOver(16, 15, nullptr));
  EXPECT_TRUE(e.graphics->OnMouseOver(45, 15, nullptr));
  EXPECT_TRUE(e.graphics->OnMouseOver(500, 500, nullptr)); // nothing: no change
  EXPECT_EQ(e.graphics->GetHoverIdx(), 2);
  e.graphics->OnMouseOut();
  EXPECT_EQ(e.graphics->GetHoverIdx(), -1);
  EXPECT_EQ(e.Calls(), (std::vector<std::string>{"A:over(15,15)", "A:over(16,15)", "A:out(0,0)", "A:out(0,0)",
                                                 "B:over(45,15)", "B:out(0,0)"}));
  EXPECT_EQ(e.graphics->GetMouseControlIdx(15, 15), 0); // a press ignores the grayed control
  e.a->GrayOut(false);

  // Keys: a control under the pointer, else the key catcher, else not handled.
  struct Key
  {
    int x, y;
    bool catcher;
    bool handled;
    const char* who;
  };
  const Key keys[] = {{45, 15, false, true, "B"},
                      {95, 75, false, false, ""},
                      {500, 500, false, false, ""},
                      {95, 75, true, true, "K"},
                      {-1, -1, true, true, "K"}};
  for (const Key& k : keys) {
    RecordingControl* catcher = k.catcher ? new RecordingControl(&e.plug, IRECT(), -1, nullptr, "K") : nullptr;
    e.graphics->AttachKeyCatcher(catcher); // replacing deletes the previous one
    e.b->mCalls.clear();
    EXPECT_EQ(e.graphics->OnKeyDown(k.x, k.y, 65), k.handled) << k.x;
    const std::vector<std::string>& calls = catcher ? catcher->mCalls : e.b->mCalls;
    EXPECT_EQ(calls.empty(), *k.who == 0) << k.x;
  }

  // Automation query: the parameter under the point; the background and nothing give -1.
  const struct
  {
    int x, y, param;
  } queries[] = {{15, 15, 0}, {45, 15, -1}, {95, 75, -1}, {-9, -9, -1}};
  for (const auto& q : queries) {
    EXPECT_EQ(e.graphics->GetParamIdxForPTAutomation(q.x, q.y), q.param);
    EXPECT_EQ(e.graphics->GetLastClickedParamForPTAutomation(), q.param);
    EXPECT_EQ(e.graphics->GetLastClickedParamForPTAutomation(), -1);
  }
}

TEST(IGraphicsEvents, ResizeDropsControlsAndRebuildsTheCanvas)
{
  Events e;
  e.graphics->OnMouseDown(15, 15, nullptr);
  e.graphics->Resize(50, 30);
  EXPECT_EQ(e.graphics->NControls(), 0);
  EXPECT_EQ(e.graphics->GetCaptureIdx(), -1);
  EXPECT_EQ(e.graphics->GetCanvas()->getWidth(), 50);
  EXPECT_EQ(e.plug.mResized, std::make_pair(50, 30));
  e.graphics->OnMouseUp(15, 15, nullptr);
  e.graphics->SetControlFromPlug(1, 0.5);
  e.graphics->SetControlFromPlug(-1, 0.5);
  e.graphics->SetControlFromPlug(INT_MAX, 0.5);
  e.graphics->Resize(-5, INT_MIN); // hostile: an empty canvas
  EXPECT_EQ(e.graphics->GetCanvas()->getWidth(), 0);
  EXPECT_EQ(e.graphics->AttachControl(nullptr), -1);
}
