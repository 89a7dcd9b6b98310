#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "GraphicsTestSupport.h"
#include "graphics/IBitmapControls.h"
#include "graphics/ITextControl.h"

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
} // namespace

TEST(IControlValues, FromPlugFromUserClampAndWheel)
{
  EditorFixture f;
  auto* c = f.Add<RecordingControl>(IRECT(0, 0, 10, 10), 0, nullptr, "c");
  EXPECT_EQ(c->GetDefaultValue(), -1.0);
  c->IControl::OnMouseDblClick(0, 0, nullptr); // no default yet: ignored
  EXPECT_TRUE(f.plug.mInformed.empty());

  c->SetValueFromPlug(kNaN); // says nothing about the value
  EXPECT_EQ(c->GetDefaultValue(), -1.0);
  c->SetValueFromPlug(0.3);
  EXPECT_EQ(c->GetDefaultValue(), 0.3);
  EXPECT_EQ(c->GetValue(), 0.3);
  c->SetClean();
  c->SetValueFromPlug(0.3);
  EXPECT_FALSE(c->IsDirty());
  c->SetValueFromPlug(0.6);
  EXPECT_TRUE(c->IsDirty());
  EXPECT_TRUE(c->GetRedraw());
  EXPECT_TRUE(f.plug.mInformed.empty()); // nothing goes back to the plug-in on this path
  c->SetValueFromUserInput(0.9);
  c->IControl::OnMouseDblClick(0, 0, nullptr);
  EXPECT_EQ(c->GetValue(), 0.3);
  EXPECT_EQ(f.plug.mInformed.back(), std::make_pair(0, 0.3));

  // SetDirty clamps; a NaN cannot survive it.
  struct Clamp
  {
    double lo, hi, value, expected;
  };
  const Clamp clamps[] = {{0, 1, 1.5, 1},  {0, 1, -0.5, 0},  {0.2, 0.8, 0.85, 0.8}, {0.2, 0.8, kNaN, 0.2},
                          {0, 1, kInf, 1}, {0, 1, -kInf, 0}, {0.2, 0.8, 0.5, 0.5}};
  for (const Clamp& k : clamps) {
    c->Clamp(k.lo, k.hi);
    c->SetValue(k.value);
    c->SetDirty(true);
    EXPECT_EQ(c->GetValue(), k.expected) << k.value;
    EXPECT_EQ(f.plug.mInformed.back().second, k.expected) << k.value;
  }

  struct Wheel
  {
    IMouseMod mod;
    int d;
    double start, expected;
  };
  const Wheel wheels[] = {
      {IMouseMod(), 1, 0.5, 0.51},
      {IMouseMod(false, false, true), 1, 0.5, 0.501},
      {IMouseMod(false, false, false, true), -2, 0.5, 0.498},
      {IMouseMod(), INT_MAX, 0.5, 1.0},
      {IMouseMod(), INT_MIN, 0.5, 0.0},
  };
  c->Clamp(0, 1);
  for (const Wheel& w : wheels) {
    c->SetValue(w.start);
    IMouseMod mod = w.mod;
    c->IControl::OnMouseWheel(0, 0, &mod, w.d);
    EXPECT_NEAR(c->GetValue(), w.expected, 1e-12) << w.d;
  }
  c->Clamp(0.2, 0.8);
  c->SetValue(0.84);
  c->IControl::OnMouseWheel(0, 0, nullptr, 1);
  EXPECT_EQ(f.plug.mInformed.back(), std::make_pair(0, 0.8));

  // An unbound control marks itself dirty but sends nothing.
  auto* unbound = f.Add<RecordingControl>(IRECT(0, 0, 10, 10), -1, nullptr, "u");
  const size_t sent = f.plug.mInformed.size();
  unbound->SetClean();
  unbound->SetValueFromUserInput(0.7);
  EXPECT_TRUE(unbound->IsDirty());
  EXPECT_EQ(f.plug.mInformed.size(), sent);
  unbound->SetValueFromUserInput(kNaN);
  EXPECT_EQ(unbound->GetValue(), 0.7);
}

TEST(IControlValues, GrayHideAuxAndDisplays)
{
  EditorFixture f;
  auto* c = f.Add<RecordingControl>(IRECT(0, 0, 10, 10), 0, nullptr, "c");
  f.graphics->GrayOutControl(0, true);
  EXPECT_FLOAT_EQ(c->GetBlend()->weight, 0.25f);
  EXPECT_EQ(f.graphics->GetMouseControlIdx(5, 5), -1);
  f.graphics->GrayOutControl(0, false);
  EXPECT_FLOAT_EQ(c->GetBlend()->weight, 1.0f);
  EXPECT_EQ(f.graphics->GetMouseControlIdx(5, 5), 0);
  f.graphics->HideControl(0, true);
  EXPECT_TRUE(c->IsHidden());
  EXPECT_EQ(f.graphics->GetMouseControlIdx(5, 5), -1);

  // Auxiliary parameters follow the plug-in too; the clamp follows the real bounds of the parameter.
  c->AddAuxParam(3);
  c->AddAuxParam(1);
  EXPECT_EQ(c->AuxParamIdx(1), 1);
  EXPECT_EQ(c->AuxParamIdx(2), -1);
  f.graphics->SetParameterFromPlug(1, 0.5, true);
  EXPECT_EQ(c->GetAuxParam(1)->mValue, 0.5);
  c->SetAuxParamValueFromPlug(5, 1.0); // no such record: ignored
  f.graphics->ClampControl(0, 25.0, 75.0, false);
  EXPECT_EQ(c->GetClampLo(), 0.25);
  EXPECT_EQ(c->GetClampHi(), 0.75);
  f.graphics->ClampControl(99, 1, 2, false); // no such parameter: nothing

  // The value display shows value text and label; the name display the name.
  auto* value = f.Add<ITextControl>(IRECT(0, 20, 50, 30), nullptr, "");
  auto* name = f.Add<ITextControl>(IRECT(0, 30, 50, 40), nullptr, "Level");
  c->SetValueDisplayControl(value);
  c->SetNameDisplayControl(name);
  name->SetClean();
  c->SetValue(0.42);
  c->SetDirty(true);
  char expected[IParam::kDisplayBufferSize];
  f.plug.GetParam(0)->GetDisplayForHost(expected);
  EXPECT_STREQ(value->GetTextString(), (std::string(expected) + " %").c_str());
  EXPECT_EQ(f.plug.GetParam(0)->mValue, 42.0);
  EXPECT_FALSE(name->IsDirty()); // same text: left alone
}

TEST(IBitmapControls, MouseRulesOfSwitchesFootswitchKnobsAndOverlay)
{
  EditorFixture f;
  IBitmap two(nullptr, 10, 20, 2), three(nullptr, 10, 30, 3), one(nullptr, 10, 10, 1);
  struct Steps
  {
    IBitmap* bitmap;
    double start;
    std::vector<double> after;
  };
  const Steps steps[] = {{&two, 1.0, {0.0, 1.0}}, {&three, 0.0, {0.5, 1.0, 0.0}}, {&one, 0.0, {1.0, 0.0}}};
  for (const Steps& s : steps) {
    ISwitchControl sw(&f.plug, 0, 0, 2, s.bitmap);
    EXPECT_EQ(*sw.GetRECT(), IRECT(0, 0, 10, 10));
    sw.SetValue(s.start);
    for (double v : s.after) {
      sw.OnMouseDown(0, 0, nullptr);
      EXPECT_EQ(sw.GetValue(), v) << s.bitmap->mFrames;
    }
  }

  // The footswitch: press sets 1 and shows frame 1, release shows frame 0; the plug-in receives 1 twice.
  auto* foot = f.Add<IOnOffControl>(0, 0, 2, &two);
  f.plug.mInformed.clear();
  foot->OnMouseDown(0, 0, nullptr);
  EXPECT_EQ(foot->GetPressState(), 2);
  foot->OnMouseUp(0, 0, nullptr);
  EXPECT_EQ(foot->GetPressState(), 1);
  EXPECT_EQ(foot->GetValue(), 1.0);
  EXPECT_EQ(f.plug.mInformed, (std::vector<std::pair<int, double>>{{2, 1.0}, {2, 1.0}}));

  // A 50-pixel knob with gearing 4: 200 pixels span the range, 2000 with a modifier.
  struct Drag
  {
    EDirection dir;
    int dX, dY;
    IMouseMod mod;
    double expected;
  };
  const Drag drags[] = {
      {kVertical, 0, -50, IMouseMod(), 0.75},
      {kVertical, 0, 50, IMouseMod(), 0.25},
      {kVertical, 0, -50, IMouseMod(false, false, true), 0.525},
      {kVertical, 0, -50, IMouseMod(false, false, false, true), 0.525},
      {kVertical, 0, 5000, IMouseMod(), 0.1},
      {kVertical, 40, 0, IMouseMod(), 0.5},
      {kHorizontal, 50, 0, IMouseMod(), 0.75},
      {kHorizontal, 0, INT_MIN, IMouseMod(), 0.5},
  };
  IBitmap square(nullptr, 50, 50, 1), line(nullptr, 50, 0, 1);
  for (const Drag& d : drags) {
    IKnobMultiControl knob(&f.plug, 0, 0, 0, &square, d.dir, 4.0);
    knob.Clamp(0.1, 1.0);
    knob.SetValue(0.5);
    IMouseMod mod = d.mod;
    knob.OnMouseDrag(0, 0, d.dX, d.dY, &mod);
    EXPECT_NEAR(knob.GetValue(), d.expected, 1e-12) << d.dX << "," << d.dY;
  }
  IKnobMultiControl flat(&f.plug, 0, 0, 0, &line, kVertical, 4.0); // no height: a drag means nothing
  flat.SetValue(0.5);
  flat.OnMouseDrag(0, 0, 3, 0, nullptr);
  EXPECT_EQ(flat.GetValue(), 0.5);

  // The overlay opens from its target area only and closes from anywhere on it.
  IBitmap about(nullptr, 60, 40, 1);
  auto* overlay = f.Add<IBitmapOverlayControl>(5, 5, -1, &about, IRECT(10, 35, 20, 40));
  const int idx = f.graphics->NControls() - 1;
  IRECT all(0, 0, 100, 80);
  f.graphics->Draw(&all);
  EXPECT_NE(f.graphics->GetMouseControlIdx(30, 20), idx);
  EXPECT_EQ(f.graphics->GetMouseControlIdx(12, 36), idx);
  f.graphics->OnMouseDown(12, 36, nullptr);
  f.graphics->OnMouseUp(12, 36, nullptr);
  EXPECT_EQ(overlay->GetValue(), 1.0);
  f.graphics->Draw(&all);
  EXPECT_EQ(f.graphics->GetMouseControlIdx(60, 40), idx);
  f.graphics->OnMouseDown(60, 40, nullptr);
  EXPECT_EQ(overlay->GetValue(), 0.0);
}

// The wheel changes a parameter, so a control with none ignores it: a lamp that shows what the plug-in
// tells it, an overlay that opens from a click. A right click on a switch is a press like any other (the
// switches' prompt is off): it steps the value inside one begin/end pair.
TEST(IBitmapControls, WheelMovesBoundControlsOnlyAndRightClicksPressSwitches)
{
  EditorFixture f;
  IBitmap two(nullptr, 10, 20, 2), strip(nullptr, 10, 650, 65), about(nullptr, 60, 40, 1);
  auto* lamp = f.Add<IBitmapControl>(0, 0, -1, &two);
  const int lampIdx = f.graphics->NControls() - 1;
  auto* sw = f.Add<ISwitchControl>(20, 0, 3, &two);
  auto* foot = f.Add<IOnOffControl>(40, 0, 2, &two);
  auto* knob = f.Add<IKnobMultiControl>(60, 0, 0, &strip);
  auto* overlay = f.Add<IBitmapOverlayControl>(0, 30, -1, &about, IRECT(0, 30, 10, 40));
  f.Attach();
  f.graphics->SetControlFromPlug(lampIdx, 1.0);
  IRECT all(0, 0, 100, 80);
  f.graphics->Draw(&all);

  struct Wheel
  {
    const char* what;
    int x, y, d;
    IControl* control;
    double expected;
    bool sent;
  };
  const Wheel wheels[] = {
      {"lamp", 5, 5, -60, lamp, 1.0, false},
      {"closed overlay's target", 5, 35, 100, overlay, 0.0, false},
      {"knob", 65, 5, 10, knob, 0.6, true},
      {"switch", 25, 5, -100, sw, 0.0, true},
  };
  for (const Wheel& w : wheels) {
    SCOPED_TRACE(w.what);
    f.plug.mInformed.clear();
    f.graphics->OnMouseWheel(w.x, w.y, nullptr, w.d);
    EXPECT_NEAR(w.control->GetValue(), w.expected, 1e-12);
    EXPECT_EQ(w.control->IsDirty(), w.sent);
    EXPECT_EQ(f.plug.mInformed.size(), w.sent ? 1u : 0u);
    f.graphics->Draw(&all);
  }
  EXPECT_EQ(f.graphics->GetMouseControlIdx(30, 50), -1); // the overlay is still closed

  f.plug.mEvents.clear();
  IMouseMod right(false, true);
  const double footBefore = foot->GetValue();
  f.graphics->OnMouseDown(25, 5, &right);
  f.graphics->OnMouseUp(25, 5, &right);
  f.graphics->OnMouseDown(45, 5, &right);
  f.graphics->OnMouseUp(45, 5, &right);
  EXPECT_EQ(sw->GetValue(), 1.0);
  EXPECT_EQ(foot->GetValue(), 1.0 - footBefore);
  EXPECT_EQ(foot->GetPressState(), 1);
  EXPECT_EQ(f.plug.mEvents, (std::vector<std::string>{"B3", "E3", "B2", "E2"}));
}

TEST(IBitmapControls, FrameChoiceShowsOnTheCanvas)
{
  EditorFixture f(40, 40);
  f.graphics->mImages[9100] = {4, 195}; // 65 frames of 3 rows
  f.graphics->mImages[9101] = {4, 6};   // 2 frames of 3 rows
  IBitmap knobStrip = f.graphics->LoadIBitmap(9100, "knob.png", 65);
  IBitmap lampStrip = f.graphics->LoadIBitmap(9101, "lamp.png", 2);
  auto* knob = f.Add<IKnobMultiControl>(2, 3, 0, &knobStrip);
  auto* lamp = f.Add<IBitmapControl>(20, 30, -1, &lampStrip, kBlendAlpha);
  auto* foot = f.Add<IOnOffControl>(30, 30, 2, &lampStrip);
  struct Case
  {
    IControl* control;
    double value;
    int frame;
  };
  const Case cases[] = {
      {knob, 0.5, 32}, {knob, 0.0077, 0}, {knob, 0.0079, 1}, {knob, 1.0, 64}, {knob, -3.0, 0}, {knob, 1e300, 64},
      {knob, kNaN, 0}, {lamp, 0.49, 0},   {lamp, 0.5, 1},    {foot, 1.0, 0},  {foot, 0.0, 0},
  };
  for (const Case& k : cases) {
    k.control->SetValue(k.value);
    k.control->SetDirty(false);
    k.control->SetValue(k.value); // Draw must cope with what SetDirty would have clamped
    IRECT r;
    ASSERT_TRUE(f.graphics->IsDirty(&r));
    f.graphics->Draw(&r);
    const IRECT& at = *k.control->GetRECT();
    for (int y = at.top; y < at.bottom; ++y)
      for (int x = at.left; x < at.right; ++x)
        ASSERT_EQ(f.graphics->Pixel(x, y), StripePixel(x - at.left, y - at.top + 3 * k.frame)) << k.value;
  }
  foot->OnMouseDown(30, 30, nullptr); // held: frame 1 whatever the value
  IRECT r;
  f.graphics->IsDirty(&r);
  f.graphics->Draw(&r);
  EXPECT_EQ(f.graphics->Pixel(30, 30), StripePixel(0, 3));
}
