// The bundle writer's Turtle literals and the port symbols: what reaches a .ttl file must read back
// as exactly what the plug-in holds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "lv2/LV2BundleWriter.h"
#include "lv2/LV2PortLayout.h"

TEST(LV2Text, NumbersReadBackAsTheSameFloat)
{
  const double values[] = {0.0, 1.0, -24.0, 0.5, 0.001, 1e-5, 3.4e38, -1.17549435e-38, 1048576.0, 0.1};
  for (double v : values) {
    const std::string text = LV2TurtleNumber(v);
    // A Turtle decimal or double: a '.' always, so that it is never read as an integer.
    EXPECT_NE(text.find('.'), std::string::npos) << text;
    EXPECT_EQ(std::strtof(text.c_str(), nullptr), static_cast<float>(v)) << text;
  }
  EXPECT_EQ(LV2TurtleNumber(std::nan("")), "0.0");
}

TEST(LV2Text, StringsAndSymbols)
{
  const struct
  {
    const char* in;
    const char* quoted;
    const char* symbol;
  } cases[] = {
      {"Level", "\"Level\"", "level"},
      {"Fold \"x\"", "\"Fold \\\"x\\\"\"", "fold_x_"},
      {"a\\b\nc", "\"a\\\\b\\nc\"", "a_b_c"},
      {"3 Band EQ", "\"3 Band EQ\"", "_3_band_eq"},
      {"", "\"\"", "param"},
      {"  ", "\"  \"", "param"},
      {"Gr\xc3\xb6\xc3\x9f"
       "e",
       "\"Gr\xc3\xb6\xc3\x9f"
       "e\"",
       "gr_e"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LV2TurtleString(c.in), c.quoted) << c.in;
    EXPECT_EQ(LV2Symbol(c.in), c.symbol) << c.in;
  }
}

TEST(LV2Text, VariantsOfChannelStrings)
{
  const struct
  {
    const char* io;
    const char* fragments;
  } cases[] = {
      {"1-1 2-2", "mono stereo"},
      {"2-2 1-1 2-2", "stereo mono"},
      {"0-2", "0in2out"},
      {"-1-1 1-1", "mono"},
      {"", ""},
      {"garbage", ""},
      {"1-1 x", "mono"},
      {"99999-1", ""},
  };
  for (const auto& c : cases) {
    std::string fragments;
    for (const LV2Variant& v : LV2Variants(c.io)) fragments += (fragments.empty() ? "" : " ") + v.mFragment;
    EXPECT_EQ(fragments, c.fragments) << c.io;
  }
}
