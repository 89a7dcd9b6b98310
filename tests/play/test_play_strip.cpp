// The host strip on its own, in an off-screen window: its buttons answer where they are drawn and
// nowhere else, and its meters light up to the level they are given (green, red above -6 dB).
#include "tools/play/HostStrip.h"

#include <BrindleHost/Headless.h>
#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kWidth = 208;

struct StripWindow
{
  StripWindow()
  {
    NSApplicationLoad();
    window = NSWindow::alloc()->initWithContentRect(NSMakeRect(0, 0, kWidth, HostStrip::kHeight), 0,
                                                    NSBackingStoreBuffered, NO);
    window->setReleasedWhenClosed(NO);
    strip = HostStrip::alloc();
    strip->initWithFrame(NSMakeRect(0, 0, kWidth, HostStrip::kHeight));
    window->contentView()->addSubview(strip);
    strip->release();
    window->makeKeyAndOrderFront(nullptr);
  }
  ~StripWindow()
  {
    window->close();
    window->release();
  }
  // A press at strip pixel (x, y), origin top left.
  void Press(int x, int y)
  {
    NSAutoreleasePool pool;
    NSEvent* event = NSEvent::mouseEventWithType(NSLeftMouseDown, NSMakePoint(x + 0.5, HostStrip::kHeight - y - 0.5), 0,
                                                 0, window->windowNumber(), nullptr, 0, 1, 1);
    strip->mouseDown(event);
  }
  uint32_t Pixel(int x, int y)
  {
    window->displayIfNeeded();
    return BrindleHost::WindowFramebuffer(window).Pixel(x, y) & 0xFFFFFF;
  }
  NSWindow* window;
  HostStrip* strip;
};

bool Green(uint32_t rgb)
{
  return ((rgb >> 8) & 0xFF) > 150 && ((rgb >> 16) & 0xFF) < 130;
}

bool Red(uint32_t rgb)
{
  return ((rgb >> 16) & 0xFF) > 200 && ((rgb >> 8) & 0xFF) < 100;
}

} // namespace

TEST(HostStrip, ButtonsAnswerWhereTheyAreDrawn)
{
  StripWindow w;
  std::string pressed;
  w.strip->onOpen = [&] { pressed += "open "; };
  w.strip->onSave = [&] { pressed += "save "; };
  const int top = HostStrip::kButtonTop, bottom = top + HostStrip::kButtonHeight - 1;
  const int openRight = HostStrip::kOpenLeft + HostStrip::kButtonWidth - 1;
  const int saveLeft = HostStrip::kSaveLeft, saveRight = saveLeft + HostStrip::kButtonWidth - 1;
  const struct
  {
    int x, y;
    const char* gives;
  } kPresses[] = {
      {HostStrip::kOpenLeft, top, "open "},
      {openRight, bottom, "open "},
      {saveLeft, top, "save "},
      {saveRight, bottom, "save "},
      {openRight + 1, top + 5, ""},
      {saveRight + 1, top + 5, ""},
      {HostStrip::kOpenLeft, top - 1, ""},
      {saveLeft, bottom + 1, ""},
      {150, top + 5, ""},
      {20, HostStrip::kHeight - 2, ""},
      {-3, top + 5, ""},
  };
  for (const auto& p : kPresses) {
    pressed.clear();
    w.Press(p.x, p.y);
    EXPECT_EQ(pressed, p.gives) << "at " << p.x << "," << p.y;
  }
  w.strip->onOpen = w.strip->onSave = nullptr;
  w.Press(HostStrip::kOpenLeft + 5, top + 5); // no action set: nothing happens
}

TEST(HostStrip, MetersLightUpToTheLevelGiven)
{
  StripWindow w;
  // The input meter's row, and points along it: near the start, at -30 dB, just past -6 dB.
  const int row = 27 + 6, start = 32, middle = 30 + 85 - 2, hot = 30 + 153 + 3;
  const struct
  {
    float peak;
    bool start, middle, hot; // lit
  } kLevels[] = {
      {0.0f, false, false, false}, {0.001f, false, false, false}, // -60 dB: the floor
      {0.1f, true, true, false},                                  // -20 dB
      {0.5f, true, true, false},                                  // -6 dB
      {1.0f, true, true, true},                                   // 0 dB
  };
  for (const auto& l : kLevels) {
    StripWindow fresh; // meters fall slowly; each level from a fresh strip
    StripStatus status;
    status.inputPeak = l.peak;
    fresh.strip->Update(status);
    SCOPED_TRACE("peak " + std::to_string(l.peak));
    EXPECT_EQ(Green(fresh.Pixel(start, row)), l.start);
    EXPECT_EQ(Green(fresh.Pixel(middle, row)), l.middle);
    EXPECT_EQ(Red(fresh.Pixel(hot, row)), l.hot);
    EXPECT_FALSE(Green(fresh.Pixel(start, row + 13))) << "the output meter stays dark";
  }
  // A loud moment, then silence: the meter falls back over a few updates, not at once.
  StripStatus loud, quiet;
  loud.inputPeak = 1.0f;
  w.strip->Update(loud);
  w.strip->Update(quiet);
  EXPECT_TRUE(Red(w.Pixel(hot, row)));
  for (int i = 0; i < 60; ++i) w.strip->Update(quiet);
  EXPECT_FALSE(Green(w.Pixel(start, row)));
}
