// Pixel words for X visuals, keys and modifiers in AppKit's terms, and click counting: the pieces of
// the X11 backend that need no display.
#include <X11Host/X11Keys.h>
#include <X11Host/X11Pixels.h>
#include <gtest/gtest.h>

#include <X11/X.h>
#include <X11/keysym.h>

namespace {

using namespace BrindleHost;

TEST(X11Mapping, PixelWordsKeepColoursOnEveryLayout)
{
  // One backing-store pixel (bytes B, G, R, A) and one drawing-context pixel (X, R, G, B), both
  // red 0x12, green 0x34, blue 0x56.
  const uint8_t store[4] = {0x56, 0x34, 0x12, 0xFF};
  const uint8_t frame[4] = {0x00, 0x12, 0x34, 0x56};
  struct Case
  {
    const char* name;
    XLayout layout;
    uint32_t word; // as stored, read back in host order
  };
  const Case cases[] = {
      {"depth 24", {0xFF0000, 0xFF00, 0xFF, 24, false}, 0x00123456},
      {"depth 32 with alpha", {0xFF0000, 0xFF00, 0xFF, 32, false}, 0xFF123456},
      {"blue first", {0xFF, 0xFF00, 0xFF0000, 24, false}, 0x00563412},
      {"other byte order", {0xFF0000, 0xFF00, 0xFF, 24, true}, 0x56341200},
      {"other byte order, depth 32", {0xFF0000, 0xFF00, 0xFF, 32, true}, 0x563412FF},
      // 10-bit channels repeat the high bits, so full scale stays full scale.
      {"10-bit channels", {0x3FF00000, 0xFFC00, 0x3FF, 32, false}, 0xC0000000 | 0x048 << 20 | 0x0D0 << 10 | 0x159},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& [pixel, layout] :
         {std::make_pair(store, kBackingStoreLayout), std::make_pair(frame, kContextFrameLayout)}) {
      uint32_t out[2] = {0, 0};
      ConvertPixels(pixel, 4, layout, reinterpret_cast<uint8_t*>(out), 4, c.layout, 1, 1);
      EXPECT_EQ(out[0], c.word);
      EXPECT_EQ(out[1], 0u); // nothing written past the block
    }
  }
  // Empty or missing blocks write nothing.
  uint32_t untouched = 7;
  ConvertPixels(store, 4, kBackingStoreLayout, reinterpret_cast<uint8_t*>(&untouched), 4, {}, 0, 1);
  ConvertPixels(nullptr, 4, kBackingStoreLayout, reinterpret_cast<uint8_t*>(&untouched), 4, {}, 1, 1);
  EXPECT_EQ(untouched, 7u);
}

TEST(X11Mapping, KeysModifiersAndClickCountsReadAsOnAMac)
{
  struct Key
  {
    unsigned long keysym;
    const char* typed;
    unsigned short code;
    const char* characters;
  };
  const Key keys[] = {
      {XK_Return, "\r", 0x24, "\r"},
      {XK_BackSpace, "\b", 0x33, "\x7f"},
      {XK_Left, "", 0x7B, "\xEF\x9C\x82"},
      {XK_Up, "", 0x7E, "\xEF\x9C\x80"},
      {XK_a, "a", 0x00, "a"},
      {XK_A, "A", 0x00, "A"},
      {XK_m, "m", 0x2E, "m"},
      {XK_1, "1", 0x12, "1"},
      {XK_eacute, "\xE9", 0xFFFF, "\xC3\xA9"},
      {0x10020AC, "", 0xFFFF, "\xE2\x82\xAC"}, // the euro sign as a Unicode key symbol
      {XK_a, "\x01", 0x00, "a"},               // Control-A: the symbol's own character
      {XK_Shift_L, "", 0xFFFF, ""},
      {0x7FFFFFFF, "", 0xFFFF, ""},
  };
  for (const Key& k : keys) {
    SCOPED_TRACE(k.keysym);
    const MappedKey m = MapKeySym(k.keysym, k.typed);
    EXPECT_EQ(m.mKeyCode, k.code);
    EXPECT_EQ(m.mCharacters, k.characters);
  }

  EXPECT_EQ(MapModifiers(0), 0u);
  EXPECT_EQ(MapModifiers(ShiftMask | ControlMask | Mod1Mask | Mod4Mask | LockMask),
            (1UL << 16) | (1UL << 17) | (1UL << 18) | (1UL << 19) | (1UL << 20));
  EXPECT_EQ(MapModifiers(Mod2Mask | Button1Mask), 0u); // Num Lock and buttons are no modifiers

  struct Press
  {
    unsigned int button;
    unsigned long time;
    int x, y;
    long count;
  };
  const Press presses[] = {
      {1, 1000, 10, 10, 1},         {1, 1400, 12, 13, 2},          {1, 1800, 14, 14, 3}, // each within 500 ms and 4 px
      {1, 2400, 14, 14, 1},                                                              // too late
      {1, 2500, 19, 14, 1},                                                              // too far
      {3, 2600, 19, 14, 1},                                                              // another button
      {3, 0xFFFFFF00ul, 19, 14, 1}, {3, 0x100000010ul, 19, 14, 2}, // across the server clock's wrap
  };
  ClickCounter counter;
  for (const Press& p : presses) EXPECT_EQ(counter.Press(p.button, p.time, p.x, p.y), p.count) << p.time;
}

} // namespace
