#include <gtest/gtest.h>

#include "GraphicsTestSupport.h"

TEST(IGraphicsPrompts, EnumsOpenAMenuOthersATextEntry)
{
  EditorFixture f;
  auto* mode = f.Add<RecordingControl>(IRECT(10, 10, 31, 20), 1, nullptr, "mode");
  auto* level = f.Add<RecordingControl>(IRECT(10, 30, 31, 41), 0, nullptr, "level");
  auto* effect = f.Add<RecordingControl>(IRECT(50, 10, 60, 20), 2, nullptr, "effect");
  f.Attach();
  IMouseMod right(false, true);

  // Prompting is off by default: a right click does nothing.
  f.graphics->OnMouseDown(15, 15, &right);
  f.graphics->OnMouseUp(15, 15, &right);
  EXPECT_TRUE(f.graphics->mMenuTexts.empty());

  // An enum: one item per value text, the current one checked, shown over the whole control.
  mode->DisablePrompt(false);
  f.graphics->mMenuAnswer = 2;
  f.graphics->OnMouseDown(15, 15, &right);
  EXPECT_EQ(f.graphics->mMenuTexts, (std::vector<std::string>{"A", "*B", "C"}));
  EXPECT_EQ(f.graphics->mMenuRect, *mode->GetRECT());
  EXPECT_EQ(mode->GetValue(), 1.0);
  EXPECT_EQ(f.plug.GetParam(1)->Int(), 2);
  EXPECT_TRUE(mode->GetRedraw());
  f.graphics->OnMouseUp(15, 15, &right);
  f.graphics->mMenuAnswer = -1; // dismissed: nothing changes
  f.graphics->OnMouseDown(15, 15, &right);
  EXPECT_EQ(mode->GetValue(), 1.0);

  effect->DisablePrompt(false);
  f.graphics->mMenuAnswer = 1;
  effect->PromptUserInput();
  EXPECT_EQ(f.graphics->mMenuTexts, (std::vector<std::string>{"*off", "on"}));
  EXPECT_EQ(effect->GetValue(), 1.0);

  // A double: a text entry with the bare value text, in a 30 x 16 box centred on the control.
  level->DisablePrompt(false);
  level->PromptUserInput();
  char text[IParam::kDisplayBufferSize];
  f.plug.GetParam(0)->GetDisplayForHost(text, false);
  EXPECT_EQ(f.graphics->mEntryText, text);
  EXPECT_EQ(f.graphics->mEntryRect, IRECT(5, 27, 35, 43));

  // Null arguments do nothing.
  IRECT r(0, 0, 5, 5);
  f.graphics->PromptUserInput(nullptr, f.plug.GetParam(0), &r);
  f.graphics->PromptUserInput(level, nullptr, &r);
  f.graphics->PromptUserInput(level, f.plug.GetParam(0), nullptr);
  level->PromptUserInput(nullptr);
}

TEST(IGraphicsPrompts, TypedTextBecomesTheValue)
{
  EditorFixture f;
  auto* c = f.Add<RecordingControl>(IRECT(0, 0, 10, 10), 0, nullptr, "c");
  struct Case
  {
    int param;
    const char* text;
    double real;
  };
  const Case cases[] = {
      {0, "42abc", 42.0},  {0, "  12.5 %", 12.5}, {0, "abc", 0.0},  {0, "", 0.0},     {0, nullptr, 0.0}, {0, "-3", 0.0},
      {0, "1e400", 100.0}, {0, "nan", 0.0},       {0, "inf", 0.0},  {0, "0x20", 0.0}, {0, ".5e1", 5.0},  {0, "7e", 7.0},
      {0, "-.", 0.0},      {3, "6", -6.0},        {3, "-2.5", 2.5}, // shown negated: typed text is negated back
      {1, "C", 2.0},       {1, "zzz", 0.0},       {2, "on", 1.0},   {2, "On", 0.0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.text ? k.text : "(null)");
    IParam* param = f.plug.GetParam(k.param);
    c->SetParamIdx(k.param);
    c->SetValue(0.123456); // differs from every expected value, so the change always goes through
    f.graphics->SetFromStringAfterPrompt(c, param, k.text);
    EXPECT_DOUBLE_EQ(c->GetValue(), param->GetNormalized(k.real));
  }
  c->SetValue(0.5);
  f.graphics->SetFromStringAfterPrompt(c, nullptr, "1");
  f.graphics->SetFromStringAfterPrompt(nullptr, f.plug.GetParam(0), "1");
  EXPECT_EQ(c->GetValue(), 0.5);
}
