// The text, vector and special controls: their mouse rules, the values they send, what they draw, and
// their trips to the editor host (text entry, file prompt, web pages).
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/IStandardControls.h"
#include "graphics/ITextControl.h"
#include "tests/graphics/GraphicsTestSupport.h"

namespace {

const IMouseMod kLeft(true), kRight(false, true);

// Answers OpenURL from a script and the file prompt with a fixed path.
class HostGraphics : public TestGraphics
{
public:
  using TestGraphics::TestGraphics;
  bool OpenURL(const char* url, const char*, const char*, const char* err) override
  {
    mURLs.push_back(std::string(url) + "|" + (err ? err : ""));
    return mURLs.size() == 1 && mFirstWorks; // only the first address may work
  }
  void PromptForFile(Core_String* file, EFileAction, Core_String*, char*) override
  {
    ++mPrompts;
    file->Set("/tmp/riff.wav");
  }
  std::vector<std::string> mURLs;
  bool mFirstWorks = false;
  int mPrompts = 0;
};

struct HostFixture
{
  HostFixture() : graphics(new HostGraphics(&plug, 100, 80, 0)) { plug.AttachGraphics(graphics); }
  GraphicsTestPlug plug;
  HostGraphics* graphics;
};

std::vector<double> Sent(const GraphicsTestPlug& plug, int idx)
{
  std::vector<double> v;
  for (auto& p : plug.mInformed)
    if (p.first == idx) v.push_back(p.second);
  return v;
}

} // namespace

TEST(IStandardControls, ButtonsRadiosFadersAndPickersFollowTheirMouseRules)
{
  EditorFixture f;
  f.graphics->mImages[5] = {10, 20}; // two frames of 10 x 10
  IBitmap two = f.graphics->LoadIBitmap(5, "b.png", 2);
  f.graphics->mImages[6] = {10, 10};
  IBitmap one = f.graphics->LoadIBitmap(6, "h.png", 1);

  auto* contact = f.Add<IContactControl>(0, 0, 0, &two);
  contact->OnMouseDown(1, 1, const_cast<IMouseMod*>(&kLeft));
  contact->OnMouseUp(1, 1, const_cast<IMouseMod*>(&kLeft));
  EXPECT_EQ(Sent(f.plug, 0), (std::vector<double>{1.0, 0.0}));

  auto* button = f.Add<IButtonSwitchControl>(0, 0, 2, &two);
  button->OnMouseDown(1, 1, nullptr);
  EXPECT_TRUE(button->IsPressed());
  EXPECT_EQ(button->GetValue(), 0.0); // the press shows, the release toggles
  button->OnMouseUp(1, 1, nullptr);
  EXPECT_FALSE(button->IsPressed());
  EXPECT_EQ(button->GetValue(), 1.0);

  // Three buttons of 10 over 50 rows: gaps of 10, so tops at 0, 20, 40 (reversed: 40, 20, 0).
  struct RadioCase
  {
    bool reverse;
    int y;
    double want;
    int firstTop;
  };
  const RadioCase radios[] = {
      {false, 25, 0.5, 0}, {false, 45, 1.0, 0}, {false, 15, 0.25, 0}, {true, 45, 0.0, 40}, {true, 5, 1.0, 40}};
  for (const RadioCase& c : radios) {
    IRadioButtonsControl radio(&f.plug, IRECT(0, 0, 10, 50), -1, 3, &two, kVertical, c.reverse);
    radio.SetValue(0.25);
    radio.OnMouseDown(5, c.y, const_cast<IMouseMod*>(&kLeft));
    EXPECT_DOUBLE_EQ(radio.GetValue(), c.want) << c.reverse << " y " << c.y; // 0.25: the press fell in a gap
    EXPECT_EQ(radio.ButtonRect(0).top, c.firstTop);
    EXPECT_EQ(radio.ButtonRect(2).bottom - radio.ButtonRect(2).top, 10);
  }
  IRadioButtonsControl lone(&f.plug, IRECT(0, 0, 10, 50), -1, 0, &two);
  EXPECT_EQ(lone.NButtons(), 1);

  // A 60-pixel track with a 10-pixel handle: value = 1 - (y - 5) / 50 vertically, (x - 5) / 50 across.
  struct FaderCase
  {
    EDirection dir;
    int x, y;
    double value;
    IRECT handle;
  };
  const FaderCase faders[] = {
      {kVertical, 3, 35, 0.4, {0, 30, 10, 40}},
      {kVertical, 3, -100, 1.0, {0, 0, 10, 10}},
      {kVertical, 3, 500, 0.0, {0, 50, 10, 60}},
      {kHorizontal, 30, 3, 0.5, {25, 0, 35, 10}},
  };
  for (const FaderCase& c : faders) {
    IFaderControl fader(&f.plug, 0, 0, 60, -1, &one, c.dir, true);
    fader.OnMouseDown(c.x, c.y, const_cast<IMouseMod*>(&kLeft));
    EXPECT_NEAR(fader.GetValue(), c.value, 1e-12) << c.x << "," << c.y;
    EXPECT_EQ(fader.HandleRect(), c.handle);
    EXPECT_TRUE(fader.IsHit(c.handle.left, c.handle.top));
    EXPECT_FALSE(fader.IsHit(c.handle.left, c.handle.bottom)); // only the handle is hit
  }
  IFaderControl stuck(&f.plug, 0, 0, 10, -1, &one); // the track is no longer than the handle
  stuck.OnMouseDrag(5, 5, 0, 0, nullptr);
  EXPECT_EQ(stuck.GetValue(), 0.0);

  auto* select = f.Add<IInvisibleSelectControl>(IRECT(0, 10, 10, 30), 3);
  select->OnMouseUp(4, 15, nullptr);
  EXPECT_DOUBLE_EQ(select->GetValue(), 0.25);
  EXPECT_EQ(Sent(f.plug, 3).back(), 0.25);
}

TEST(IStandardControls, LineKnobDrawsItsPointerAtTheValueAngle)
{
  EditorFixture f(40, 40);
  IRECT all(0, 0, 40, 40);
  IChannelBlend copy(kBlendCopy);
  // Angles -pi/2 .. pi/2: 0.5 points up, 1 points right; outer radius 0 becomes half the width.
  auto* knob = f.Add<IKnobLineControl>(IRECT(0, 0, 21, 21), -1, &COLOR_RED, 3.0, 0.0, -M_PI / 2, M_PI / 2);
  struct Case
  {
    double value;
    int x, y;
    int offX, offY;
  };
  const Case cases[] = {{0.5, 10, 1, 10, 11}, {1.0, 19, 10, 10, 11}, {0.0, 1, 10, 20, 10}};
  for (const Case& c : cases) {
    f.graphics->FillIRect(&COLOR_TRANSPARENT, &all, &copy);
    knob->SetValueFromPlug(c.value);
    f.graphics->Draw(&all);
    EXPECT_EQ(f.graphics->GetPoint(c.x, c.y), COLOR_RED) << c.value;
    EXPECT_EQ(f.graphics->GetPoint(c.offX, c.offY), COLOR_TRANSPARENT) << c.value;
  }
}

TEST(ITextControls, TextEntriesCaptionsSpinnersAndPasswords)
{
  EditorFixture f;
  IText style(10);
  auto* user = f.Add<IUserTextControl>(IRECT(0, 0, 50, 12), &style, "riff");
  user->OnMouseDown(1, 1, nullptr);
  EXPECT_EQ(f.graphics->mEntryText, "riff");
  EXPECT_EQ(f.graphics->mEntryRect, IRECT(0, 0, 50, 12));
  user->SetClean();
  user->TextFromTextEntry("lead");
  EXPECT_STREQ(user->GetTextString(), "lead");
  EXPECT_TRUE(user->IsDirty());

  struct EditCase
  {
    bool editable;
    const char* text;
    bool opens;
  };
  const EditCase edits[] = {{true, "secret", true}, {false, "fixed", false}};
  for (const EditCase& c : edits) {
    f.graphics->mEntryText = "-";
    auto* edit = f.Add<IEditableTextControl>(IRECT(0, 20, 50, 32), &style, c.text, c.editable, true);
    EXPECT_TRUE(edit->GetDblAsSingleClick());
    edit->OnMouseDown(1, 21, nullptr);
    EXPECT_EQ(f.graphics->mEntryText, c.opens ? c.text : "-");
  }

  // Captions prompt only once prompting is enabled; left, right and double clicks all prompt.
  auto* caption = f.Add<ICaptionControl>(IRECT(0, 40, 60, 52), 0, &style, true);
  f.graphics->mEntryText = "-";
  caption->OnMouseDown(1, 41, const_cast<IMouseMod*>(&kLeft));
  EXPECT_EQ(f.graphics->mEntryText, "-");
  caption->DisablePrompt(false);
  for (const IMouseMod& mod : {kLeft, kRight}) {
    f.graphics->mEntryText = "-";
    caption->OnMouseDown(1, 41, const_cast<IMouseMod*>(&mod));
    EXPECT_NE(f.graphics->mEntryText, "-");
  }
  f.graphics->mEntryText = "-";
  caption->OnMouseDblClick(1, 41, nullptr);
  EXPECT_NE(f.graphics->mEntryText, "-");
  IRECT all(0, 0, 100, 80);
  f.graphics->Draw(&all);
  char value[IParam::kDisplayBufferSize];
  f.plug.GetParam(0)->GetDisplayForHost(value);
  EXPECT_EQ(std::string(caption->GetTextString()), std::string(value) + " %");

  // Wheel: the parameter's step when it has one, else 0.01 (0.001 fine); clamped to 0..1.
  IParam own;
  own.InitDouble("Own", 0.0, 0.0, 1.0, 0.0);
  struct SpinCase
  {
    int paramIdx;
    IMouseMod mod;
    int d;
    double start, want;
  };
  const SpinCase spins[] = {
      {3, IMouseMod(), 1, 0.5, 0.6},   // "Trim" steps by 0.1
      {-1, IMouseMod(), 2, 0.5, 0.52}, // own parameter without a step
      {-1, IMouseMod(false, false, true), 3, 0.5, 0.503},
      {-1, IMouseMod(), -100, 0.5, 0.0},
  };
  for (const SpinCase& c : spins) {
    ISpinnerControl spin(&f.plug, IRECT(0, 60, 40, 72), c.paramIdx, &style, &own);
    spin.SetValue(c.start);
    spin.OnMouseWheel(0, 0, const_cast<IMouseMod*>(&c.mod), c.d);
    EXPECT_NEAR(spin.GetValue(), c.want, 1e-12) << c.paramIdx << " " << c.d;
  }
  auto* spin = f.Add<ISpinnerControl>(IRECT(0, 60, 40, 80), -1, &style, &own, true, false);
  spin->OnMouseDrag(0, 0, 0, -20, nullptr); // 20 rows up of 20, gearing 4: +0.25 (no fine adjustment)
  EXPECT_NEAR(spin->GetValue(), 0.25, 1e-12);
  f.graphics->Draw(&all);
  EXPECT_NEAR(own.GetNormalized(), 0.25, 1e-12);
}

TEST(IStandardControls, URLsAndFilePromptsGoThroughTheHost)
{
  struct URLCase
  {
    bool firstWorks;
    const char* backup;
    std::vector<std::string> opened;
  };
  const URLCase cases[] = {
      {true, "http://b", {"http://a|oops"}},
      {false, "http://b", {"http://a|oops", "http://b|oops"}},
      {false, nullptr, {"http://a|oops"}},
  };
  for (const URLCase& c : cases) {
    HostFixture h;
    h.graphics->mFirstWorks = c.firstWorks;
    IURLControl url(&h.plug, IRECT(0, 0, 10, 10), "http://a", c.backup, "oops");
    url.OnMouseDown(1, 1, nullptr);
    EXPECT_EQ(h.graphics->mURLs, c.opened);
  }
  HostFixture h;
  const std::string longURL(2000, 'u');
  IURLControl longOne(&h.plug, IRECT(0, 0, 10, 10), longURL.c_str());
  longOne.OnMouseDown(1, 1, nullptr);
  EXPECT_EQ(h.graphics->mURLs.back(), std::string(IURLControl::kTextSize - 1, 'u') + "|"); // cut, never overrun

  auto* files = new IFileSelectorControl(&h.plug, IRECT(0, 0, 10, 10), 2, nullptr, kFileOpen, "", "wav aif");
  h.graphics->AttachControl(files);
  IRECT all(0, 0, 100, 80);
  for (double want : {1.0, 0.0, 1.0}) {
    files->OnMouseDown(1, 1, nullptr);
    EXPECT_EQ(files->GetValue(), want);
    IRECT dirty;
    EXPECT_TRUE(h.graphics->IsDirty(&dirty));
    h.graphics->Draw(&all);
    EXPECT_TRUE(files->IsDirty()); // once more after the prompt ended
    EXPECT_FALSE(files->IsDirty());
  }
  EXPECT_EQ(h.graphics->mPrompts, 3);
  EXPECT_EQ(Sent(h.plug, 2), (std::vector<double>{1.0, 0.0, 1.0}));
  Core_String path;
  files->GetLastSelectedFileForPlug(&path);
  EXPECT_STREQ(path.Get(), "/tmp/riff.wav");
  files->SetLastSelectedFileFromPlug("/x.wav");
  files->GetLastSelectedFileForPlug(&path);
  EXPECT_STREQ(path.Get(), "/x.wav");
}

TEST(IStandardControls, RotatedKnobsAndBitmapTextDrawFromTheirImages)
{
  EditorFixture f(64, 64);
  f.graphics->mImages[8] = {9, 9};
  f.graphics->mImages[9] = {4, 240}; // 60 frames of 4 x 4
  IBitmap knobImage = f.graphics->LoadIBitmap(8, "k.png");
  IBitmap font = f.graphics->LoadIBitmap(9, "f.png", 60);
  IRECT all(0, 0, 64, 64);
  IChannelBlend copy(kBlendCopy);
  f.graphics->FillIRect(&COLOR_TRANSPARENT, &all, &copy);
  // At value 0.5 of -a..a the angle is 0: the image sits unturned in its rectangle.
  auto* rotater = f.Add<IKnobRotaterControl>(20, 20, -1, &knobImage, -1.0, 1.0);
  rotater->SetValueFromPlug(0.5);
  auto* text = f.Add<IBitmapTextControl>(IRECT(0, 40, 40, 50), &font, "B", nullptr, 4, 4, 0);
  f.graphics->Draw(&all);
  EXPECT_EQ(f.graphics->Pixel(24, 24), StripePixel(4, 4));
  // "B" (frame 34), left of centre by default alignment: x0 = (40 - 4) / 2 = 18, y0 = 40 + (10 - 4) / 2 = 43.
  EXPECT_EQ(f.graphics->Pixel(18, 43), StripePixel(0, 4 * 34));
  text->SetClean();
  text->SetTextFromPlug("B");
  EXPECT_FALSE(text->IsDirty());
  text->SetTextFromPlug("C");
  EXPECT_TRUE(text->IsDirty());
}
