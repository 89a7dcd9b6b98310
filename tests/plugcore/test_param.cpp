#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "plugcore/IParam.h"

namespace {
std::string Display(const IParam& p, double v, bool normalized = false, bool withTexts = true)
{
  char text[IParam::kDisplayBufferSize];
  p.GetDisplayForHost(v, normalized, text, withTexts);
  return text;
}
} // namespace

TEST(ParamInit, FreshParameterDefaults)
{
  IParam p;
  EXPECT_EQ(p.mType, IParam::kTypeNone);
  EXPECT_EQ(p.mMin, 0.0);
  EXPECT_EQ(p.mMax, 1.0);
  EXPECT_EQ(p.mStep, 1.0);
  EXPECT_EQ(p.mShape, 1.0);
  EXPECT_TRUE(p.mCanAutomate);
  EXPECT_FALSE(p.mNegateDisplay);
  EXPECT_STREQ(p.GetNameForHost(), "");
  EXPECT_EQ(p.GetNDisplayTexts(), 0);
}

TEST(ParamInit, BoolEnumIntBounds)
{
  IParam b;
  b.InitBool("Effect", true, "lbl", "grp");
  EXPECT_EQ(b.mType, IParam::kTypeBool);
  EXPECT_EQ(b.mValue, 1.0);
  EXPECT_EQ(b.mDefault, 1.0);
  EXPECT_STREQ(b.GetNameForHost(), "Effect");
  EXPECT_STREQ(b.GetParamGroupForHost(), "grp");
  ASSERT_EQ(b.GetNDisplayTexts(), 2);
  int v = -1;
  EXPECT_STREQ(b.GetDisplayTextAtIdx(1, &v), "on");
  EXPECT_EQ(v, 1);

  IParam e1, e0, e5;
  e1.InitEnum("E", 0, 1);
  e0.InitEnum("E", 0, 0);
  e5.InitEnum("E", 2, 5);
  EXPECT_EQ(e1.mMax, 1.0);
  EXPECT_EQ(e0.mMax, 1.0);
  EXPECT_EQ(e5.mMax, 4.0);
  EXPECT_EQ(e5.mValue, 2.0);

  IParam i;
  i.InitInt("I", 5, 5, 3);
  EXPECT_EQ(i.mMin, 5.0);
  EXPECT_EQ(i.mMax, 6.0);
  i.InitInt("I", 0, -3, 10);
  EXPECT_EQ(i.mMax, 10.0);
}

TEST(ParamInit, DoublePrecisionFromStepAndMaxRule)
{
  IParam d;
  d.InitDouble("Level", 0.5, 0.0, 1.0, 0.001, "dB", "", 0.0);
  EXPECT_EQ(d.mDisplayPrecision, 3);
  EXPECT_EQ(d.mShape, 1.0); // shape 0 leaves it unchanged
  d.InitDouble("x", 0, 0, 10, 0.5);
  EXPECT_EQ(d.mDisplayPrecision, 1);
  d.InitDouble("x", 0, 0, 10, 1.0);
  EXPECT_EQ(d.mDisplayPrecision, 0);
  d.InitDouble("x", 0, 0, 10, 1e-9);
  EXPECT_EQ(d.mDisplayPrecision, 6);
  d.InitDouble("x", 0, 2.0, 1.0, 0.25, "", "", 2.0);
  EXPECT_EQ(d.mMax, 2.25); // max < min + step
  EXPECT_EQ(d.mShape, 2.0);
}

TEST(ParamInit, SecondInitKeepsTypeAndBoolTableGrows)
{
  IParam p;
  p.InitInt("First", 1, 0, 3);
  p.InitDouble("Second", 0.25, 0.0, 2.0, 0.01);
  EXPECT_EQ(p.mType, IParam::kTypeInt);
  EXPECT_STREQ(p.GetNameForHost(), "Second");
  EXPECT_EQ(p.mMax, 2.0);
  EXPECT_EQ(p.mValue, 0.25);

  IParam b;
  b.InitBool("B", false);
  b.InitBool("B", true);
  EXPECT_EQ(b.GetNDisplayTexts(), 4);
  EXPECT_STREQ(b.GetDisplayText(0), "off");
  EXPECT_STREQ(b.GetDisplayText(1), "on");
}

TEST(ParamInit, LongTextsAreCut)
{
  IParam p;
  const std::string longName(200, 'n');
  p.InitDouble(longName.c_str(), 0, 0, 1, 0.1, longName.c_str(), longName.c_str());
  p.SetDisplayText(0, longName.c_str());
  EXPECT_EQ(std::strlen(p.GetNameForHost()), 31u);
  EXPECT_EQ(std::strlen(p.mLabel), 31u);
  EXPECT_EQ(std::strlen(p.GetParamGroupForHost()), 31u);
  EXPECT_EQ(std::strlen(p.GetDisplayText(0)), 31u);
  p.InitBool(nullptr, false, nullptr, nullptr);
  EXPECT_STREQ(p.GetNameForHost(), "");
}

TEST(ParamValues, SetClampsAndNormalizedMapping)
{
  IParam p;
  p.InitDouble("x", 0, -10, 10, 0.1);
  p.Set(50);
  EXPECT_EQ(p.mValue, 10.0);
  p.Set(-50);
  EXPECT_EQ(p.mValue, -10.0);
  p.Set(2.5);
  EXPECT_EQ(p.mValue, 2.5); // no step rounding in Set
  EXPECT_DOUBLE_EQ(p.GetNormalized(), 0.625);
  EXPECT_EQ(p.GetNormalized(99.0), 1.0);
  EXPECT_EQ(p.GetNormalized(-99.0), 0.0);
  double lo = 0, hi = 0;
  p.GetBounds(&lo, &hi);
  EXPECT_EQ(lo, -10.0);
  EXPECT_EQ(hi, 10.0);
}

TEST(ParamValues, ShapeAndStepRounding)
{
  IParam i;
  i.InitInt("i", 0, 0, 3);
  i.SetNormalized(0.5); // 1.5 rounds half up
  EXPECT_EQ(i.mValue, 2.0);
  i.SetNormalized(0.49); // 1.47
  EXPECT_EQ(i.mValue, 1.0);
  i.SetNormalized(1.0);
  EXPECT_EQ(i.mValue, 3.0);

  IParam d;
  d.InitDouble("d", 0, 0, 1, 0.001, "", "", 2.0);
  d.SetNormalized(0.5);
  EXPECT_DOUBLE_EQ(d.mValue, 0.25); // doubles are not rounded
  EXPECT_DOUBLE_EQ(d.GetNormalized(), 0.5);
  d.SetShape(0.0);
  EXPECT_EQ(d.mShape, 2.0);

  IParam e;
  e.InitEnum("e", 0, 3); // 0..2, step 1
  e.SetNormalized(0.74); // 1.48
  EXPECT_EQ(e.mValue, 1.0);
  e.SetNormalized(1.2); // 2.4 -> 2; limited to max anyway
  EXPECT_EQ(e.mValue, 2.0);
}

TEST(ParamValues, DBToAmp)
{
  IParam p;
  p.InitDouble("g", -6.0, -60, 12, 0.1);
  EXPECT_NEAR(p.DBToAmp(), std::pow(10.0, -6.0 / 20.0), 1e-12);
  p.Set(20.0);
  EXPECT_NEAR(p.DBToAmp(), std::pow(10.0, 12.0 / 20.0), 1e-12);
}

TEST(ParamTexts, NumericDisplay)
{
  IParam d;
  d.InitDouble("d", 0, -10, 10, 0.01);
  EXPECT_EQ(Display(d, 1.234), "1.23");
  EXPECT_EQ(Display(d, 0.5, true), "0.00"); // -10 + 20 * 0.5
  d.mNegateDisplay = true;
  d.mDisplayPrecision = 1;
  EXPECT_EQ(Display(d, 3.0), "-3.0");

  IParam i;
  i.InitInt("i", 0, -100, 100);
  EXPECT_EQ(Display(i, -7.9), "-7"); // truncation toward zero
  EXPECT_EQ(Display(i, 7.9), "7");
  // Out-of-range values never overflow the conversion or the buffer.
  EXPECT_EQ(Display(i, 1e300), "2147483647");
  i.mDisplayPrecision = 6;
  char small[8];
  i.GetDisplayForHost(1e300, false, small, true, sizeof(small));
  EXPECT_EQ(std::strlen(small), 7u);
}

TEST(ParamTexts, TableLookupByTruncation)
{
  IParam p;
  p.InitEnum("Mode", 0, 3, "Hz");
  p.SetDisplayText(0, "zero");
  p.SetDisplayText(1, "one");
  p.SetDisplayText(1, "uno"); // duplicate value: first match wins
  p.SetDisplayText(2, "");
  EXPECT_EQ(Display(p, 0.99), "zero");
  EXPECT_EQ(Display(p, -0.5), "zero");
  EXPECT_EQ(Display(p, 1.0), "one");
  EXPECT_EQ(Display(p, 1.0, false, false), "1");
  EXPECT_EQ(Display(p, 2.0), "2"); // empty text falls back to the number
  p.mNegateDisplay = true;
  EXPECT_EQ(Display(p, 1.0), "one"); // lookup uses the un-negated value
  EXPECT_EQ(Display(p, 2.0), "-2");

  EXPECT_STREQ(p.GetDisplayText(7), "");
  EXPECT_STREQ(p.GetDisplayTextAtIdx(99), "");
  int untouched = 42;
  EXPECT_STREQ(p.GetDisplayTextAtIdx(-1, &untouched), "");
  EXPECT_EQ(untouched, 42);

  // Label: hidden while the value shows as a word.
  p.Set(1);
  EXPECT_STREQ(p.GetLabelForHost(), "");
  p.Set(2);
  EXPECT_STREQ(p.GetLabelForHost(), "Hz");

  IParam empty;
  EXPECT_STREQ(empty.GetDisplayText(0), "");
}

TEST(ParamTexts, MapDisplayTextIsExact)
{
  IParam b;
  b.InitBool("B", false);
  b.SetDisplayText(5, "on"); // second "on": first one wins
  int v = -1;
  EXPECT_TRUE(b.MapDisplayText("on", &v));
  EXPECT_EQ(v, 1);
  v = -1;
  EXPECT_FALSE(b.MapDisplayText("On", &v));
  EXPECT_FALSE(b.MapDisplayText("o", &v));
  EXPECT_FALSE(b.MapDisplayText(nullptr, &v));
  EXPECT_EQ(v, -1);
  IParam none;
  EXPECT_FALSE(none.MapDisplayText("on", &v));
}
