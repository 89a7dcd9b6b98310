#include "plugcore/IParam.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "containers/Core_CopyText.h"

namespace {
// Truncation toward zero, saturated to the int range (NaN gives 0) so that any
// double is safe to convert.
int TruncToInt(double v)
{
  if (!(v == v)) return 0;
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(v);
}
} // namespace

IParam::IParam()
    : mType(kTypeNone), mValue(0.0), mMin(0.0), mMax(1.0), mStep(1.0), mShape(1.0), mDefault(0.0), mDisplayPrecision(0),
      mNegateDisplay(false), mCanAutomate(true), mDisplayTexts(256)
{
  mName[0] = mLabel[0] = mParamGroup[0] = '\0';
}

void IParam::InitCommon(EParamType type, const char* name, double defaultVal, const char* label, const char* group)
{
  if (mType == kTypeNone) mType = type;
  Core_CopyText(mName, name, kTextSize);
  Core_CopyText(mLabel, label, kTextSize);
  Core_CopyText(mParamGroup, group, kTextSize);
  mValue = mDefault = defaultVal;
}

void IParam::InitBool(const char* name, bool defaultVal, const char* label, const char* group)
{
  InitCommon(kTypeBool, name, defaultVal ? 1.0 : 0.0, label, group);
  mMin = 0.0;
  mMax = 1.0;
  mStep = 1.0;
  mShape = 1.0;
  mDisplayPrecision = 0;
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultVal, int nEnums, const char* label, const char* group)
{
  InitCommon(kTypeEnum, name, defaultVal, label, group);
  mMin = 0.0;
  mMax = nEnums >= 2 ? nEnums - 1.0 : 1.0;
  mStep = 1.0;
  mShape = 1.0;
  mDisplayPrecision = 0;
}

void IParam::InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label, const char* group)
{
  InitCommon(kTypeInt, name, defaultVal, label, group);
  mMin = minVal;
  // Computed in double: min + 1 must not overflow for min = INT_MAX.
  mMax = std::fmax(static_cast<double>(maxVal), static_cast<double>(minVal) + 1.0);
  mStep = 1.0;
  mShape = 1.0;
  mDisplayPrecision = 0;
}

void IParam::InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                        const char* label, const char* group, double shape)
{
  InitCommon(kTypeDouble, name, defaultVal, label, group);
  mMin = minVal;
  mStep = step;
  mMax = std::fmax(maxVal, minVal + step);
  int precision = 0;
  double s = step;
  for (int i = 0; i < 6 && s != std::floor(s); ++i) {
    ++precision;
    s *= 10.0;
  }
  mDisplayPrecision = precision;
  SetShape(shape);
}

void IParam::SetShape(double shape)
{
  if (shape != 0.0) mShape = shape;
}

void IParam::SetDisplayText(int value, const char* text)
{
  DisplayText record;
  record.mValue = value;
  Core_CopyText(record.mText, text, kTextSize);
  mDisplayTexts.Add(record);
}

void IParam::Set(double value)
{
  if (value < mMin)
    mValue = mMin;
  else if (value > mMax)
    mValue = mMax;
  else
    mValue = value;
}

void IParam::SetNormalized(double normalized)
{
  double v = mMin + (mMax - mMin) * std::pow(normalized, mShape);
  if (mType != kTypeDouble) v = std::floor(v / mStep + 0.5) * mStep;
  mValue = v < mMax ? v : mMax;
}

double IParam::GetNormalized(double value) const
{
  if (value < mMin) value = mMin;
  if (value > mMax) value = mMax;
  return std::pow((value - mMin) / (mMax - mMin), 1.0 / mShape);
}

void IParam::GetBounds(double* minVal, double* maxVal) const
{
  if (minVal) *minVal = mMin;
  if (maxVal) *maxVal = mMax;
}

double IParam::DBToAmp() const
{
  return std::exp(mValue * 0.1151292546497);
}

const char* IParam::GetLabelForHost() const
{
  const char* text = GetDisplayText(TruncToInt(mValue));
  return text[0] ? "" : mLabel;
}

void IParam::GetDisplayForHost(double value, bool normalized, char* text, bool withDisplayText, int textSize) const
{
  if (!text || textSize <= 0) return;
  if (normalized) value = mMin + (mMax - mMin) * std::pow(value, mShape);

  if (withDisplayText) {
    const char* word = GetDisplayText(TruncToInt(value));
    if (word[0]) {
      std::snprintf(text, static_cast<size_t>(textSize), "%s", word);
      return;
    }
  }

  if (mNegateDisplay) value = -value;
  if (mDisplayPrecision != 0)
    std::snprintf(text, static_cast<size_t>(textSize), "%.*f", mDisplayPrecision, value);
  else
    std::snprintf(text, static_cast<size_t>(textSize), "%d", TruncToInt(value));
}

const char* IParam::GetDisplayText(int value) const
{
  const DisplayText* records = mDisplayTexts.Get();
  for (int i = 0, n = mDisplayTexts.GetSize(); i < n; ++i)
    if (records[i].mValue == value) return records[i].mText;
  return "";
}

const char* IParam::GetDisplayTextAtIdx(int index, int* value) const
{
  if (index < 0 || index >= mDisplayTexts.GetSize()) return "";
  const DisplayText& record = mDisplayTexts.Get()[index];
  if (value) *value = record.mValue;
  return record.mText;
}

bool IParam::MapDisplayText(const char* text, int* value) const
{
  if (!text) return false;
  const DisplayText* records = mDisplayTexts.Get();
  for (int i = 0, n = mDisplayTexts.GetSize(); i < n; ++i) {
    if (std::strcmp(records[i].mText, text) == 0) {
      if (value) *value = records[i].mValue;
      return true;
    }
  }
  return false;
}
