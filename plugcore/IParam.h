#pragma once
// IParam: one automatable parameter — its type, current real value, bounds, step,
// shape and default, the mapping between the real value and the normalized value
// (0..1) that hosts and editor controls exchange, and the rules that turn a value
// into display text (a number with a fixed count of decimals, or a word looked up
// in the parameter's own table of value/text pairs).
//
// IParam holds no lock: whoever writes a value holds the plug-in's mutex. Fields
// are public because the plug-in's own code reads the value, type and flags
// directly; write values only through Set and SetNormalized.
//
// Texts (name, label, group, table texts) hold at most kTextSize - 1 characters;
// longer texts are cut.

#include "containers/Core_TypedBuf.h"

class IParam
{
public:
  enum EParamType : int { kTypeNone = 0, kTypeBool = 1, kTypeInt = 2, kTypeEnum = 3, kTypeDouble = 4 };

  static constexpr int kTextSize = 32;
  // Buffer size GetDisplayForHost assumes when none is given.
  static constexpr int kDisplayBufferSize = 128;

  struct DisplayText
  {
    int mValue;
    char mText[kTextSize];
  };

  IParam();

  // Each Init sets the type only if it is still kTypeNone, copies name, label and
  // group, and sets the value and the default to defaultVal. Null texts count as "".
  void InitBool(const char* name, bool defaultVal, const char* label = "", const char* group = "");
  void InitEnum(const char* name, int defaultVal, int nEnums, const char* label = "", const char* group = "");
  void InitInt(const char* name, int defaultVal, int minVal, int maxVal, const char* label = "",
               const char* group = "");
  void InitDouble(const char* name, double defaultVal, double minVal, double maxVal, double step,
                  const char* label = "", const char* group = "", double shape = 1.0);

  // Exponent of the normalized mapping; 0 leaves it unchanged.
  void SetShape(double shape);
  // Appends a value/text pair to the table (insertion order is kept).
  void SetDisplayText(int value, const char* text);

  // Real value clamped to [mMin, mMax].
  void Set(double value);
  // From a normalized value in [0, 1]; non-double types snap to the step grid.
  void SetNormalized(double normalized);
  double GetNormalized() const { return GetNormalized(mValue); }
  double GetNormalized(double value) const;
  void GetBounds(double* minVal, double* maxVal) const;
  // mValue read as decibels, as an amplitude factor.
  double DBToAmp() const;

  const char* GetNameForHost() const { return mName; }
  const char* GetParamGroupForHost() const { return mParamGroup; }
  // The label, or "" when the current value is shown as a non-empty table text.
  const char* GetLabelForHost() const;

  // Writes the value text of value (read as normalized when `normalized` is set)
  // into text, which holds textSize bytes; the text is cut to fit.
  void GetDisplayForHost(double value, bool normalized, char* text, bool withDisplayText = true,
                         int textSize = kDisplayBufferSize) const;
  // The same for the current value.
  void GetDisplayForHost(char* text, bool withDisplayText = true, int textSize = kDisplayBufferSize) const
  {
    GetDisplayForHost(mValue, false, text, withDisplayText, textSize);
  }

  // Text of the first pair with this value, "" when there is none.
  const char* GetDisplayText(int value) const;
  int GetNDisplayTexts() const { return mDisplayTexts.GetSize(); }
  // Text of pair index (and its value when value is given); "" and value
  // untouched for an index outside the table.
  const char* GetDisplayTextAtIdx(int index, int* value = nullptr) const;
  // Exact, case-sensitive match of text against the table in insertion order.
  bool MapDisplayText(const char* text, int* value) const;

  EParamType Type() const { return mType; }
  double Value() const { return mValue; }
  bool Bool() const { return mValue >= 0.5; }
  int Int() const { return static_cast<int>(mValue); }

  EParamType mType;
  double mValue;
  double mMin;
  double mMax;
  double mStep;
  double mShape;
  double mDefault;
  int mDisplayPrecision;
  char mName[kTextSize];
  char mLabel[kTextSize];
  char mParamGroup[kTextSize];
  bool mNegateDisplay;
  bool mCanAutomate;
  Core_TypedBuf<DisplayText> mDisplayTexts;

private:
  // Common part of every Init.
  void InitCommon(EParamType type, const char* name, double defaultVal, const char* label, const char* group);
};
