// IEffectVST3: parameter info, normalization, texts, and host values taken into the product.
//
// Normalized values follow the parameter's own shape (IParam's mapping); a stepped parameter has one
// step per whole number, so a list of n names is n - 1 steps from 0 to 1.
#include "vst3/IEffectVST3.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace vst3;

namespace {

bool IsStepped(const IParam& param)
{
  return param.Type() != IParam::kTypeDouble;
}

// Whole numbers for stepped parameters, then clamped into the range.
double Conform(const IParam& param, double value)
{
  double lo = 0.0, hi = 0.0;
  param.GetBounds(&lo, &hi);
  if (IsStepped(param)) value = std::round(value);
  return std::min(std::max(value, lo), hi);
}

bool EveryStepNamed(const IParam& param)
{
  if (!IsStepped(param) || param.GetNDisplayTexts() == 0) return false;
  for (int v = static_cast<int>(param.mMin); v <= static_cast<int>(param.mMax); ++v)
    if (param.GetDisplayText(v)[0] == '\0') return false;
  return true;
}

void ToChar16(char16* out, const char* text)
{
  int i = 0;
  for (; text[i] && i < 127; ++i) out[i] = static_cast<char16>(static_cast<unsigned char>(text[i]));
  out[i] = 0;
}

} // namespace

tresult IEffectVST3::ParamInfo(int32 index, ParameterInfo& info) const
{
  const IParam* param = index >= 0 && index < NParams() ? GetParam(index) : nullptr;
  if (!param) return kInvalidArgument;
  std::memset(&info, 0, sizeof info);
  info.id = static_cast<ParamID>(index);
  ToChar16(info.title, param->GetNameForHost());
  ToChar16(info.shortTitle, param->GetNameForHost());
  ToChar16(info.units, param->mLabel);
  info.stepCount = IsStepped(*param) ? static_cast<int32>(std::lround(param->mMax - param->mMin)) : 0;
  info.defaultNormalizedValue = param->GetNormalized(Conform(*param, param->mDefault));
  info.flags = param->mCanAutomate ? ParameterInfo::kCanAutomate : 0;
  if (EveryStepNamed(*param)) info.flags |= ParameterInfo::kIsList;
  return kResultOk;
}

double IEffectVST3::ToPlain(ParamID id, double normalized) const
{
  const IParam* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  if (!param || !std::isfinite(normalized)) return 0.0;
  normalized = std::min(std::max(normalized, 0.0), 1.0);
  return Conform(*param, param->mMin + (param->mMax - param->mMin) * std::pow(normalized, param->mShape));
}

double IEffectVST3::ToNormalized(ParamID id, double plain) const
{
  const IParam* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  if (!param || !std::isfinite(plain)) return 0.0;
  return param->GetNormalized(Conform(*param, plain));
}

double IEffectVST3::NormalizedValue(ParamID id)
{
  if (id >= static_cast<ParamID>(NParams())) return 0.0;
  Core_MutexLock lock(mMutex);
  return ToNormalized(id, GetParam(static_cast<int>(id))->Value());
}

tresult IEffectVST3::SetNormalizedValue(ParamID id, double normalized)
{
  if (id >= static_cast<ParamID>(NParams()) || !std::isfinite(normalized)) return kInvalidArgument;
  ApplyNormalized(id, normalized);
  return kResultOk;
}

tresult IEffectVST3::ValueToString(ParamID id, double normalized, char16* out) const
{
  const IParam* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  if (!param || !out || !std::isfinite(normalized)) return kInvalidArgument;
  char text[IParam::kDisplayBufferSize];
  // The unit has a field of its own in the parameter's info, so the text is the number or word alone.
  param->GetDisplayForHost(ToPlain(id, normalized), false, text, true, static_cast<int>(sizeof(text)));
  ToChar16(out, text);
  return kResultOk;
}

tresult IEffectVST3::StringToValue(ParamID id, const char16* text, double& normalized) const
{
  const IParam* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  if (!param || !text) return kInvalidArgument;
  std::string s;
  for (int i = 0; text[i] && i < 128; ++i) {
    if (text[i] > 0x7E) return kResultFalse; // our texts are plain ASCII
    s.push_back(static_cast<char>(text[i]));
  }
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
  s.erase(0, std::min(s.size(), s.find_first_not_of(" \t")));
  int word = 0;
  if (param->MapDisplayText(s.c_str(), &word)) {
    normalized = ToNormalized(id, word);
    return kResultOk;
  }
  // A number as the text shows it; the unit after it may be given.
  const size_t labelSize = std::strlen(param->mLabel);
  if (labelSize && s.size() > labelSize && s.compare(s.size() - labelSize, labelSize, param->mLabel) == 0)
    s.erase(s.size() - labelSize);
  char* end = nullptr;
  const double parsed = std::strtod(s.c_str(), &end);
  while (end && std::isspace(static_cast<unsigned char>(*end))) ++end;
  if (s.empty() || !end || *end != '\0' || !std::isfinite(parsed)) return kResultFalse;
  normalized = ToNormalized(id, param->mNegateDisplay ? -parsed : parsed);
  return kResultOk;
}

void IEffectVST3::ApplyNormalized(ParamID id, double normalized)
{
  IParam* param = id < static_cast<ParamID>(NParams()) ? GetParam(static_cast<int>(id)) : nullptr;
  if (!param || !std::isfinite(normalized)) return;
  const int idx = static_cast<int>(id);
  const double plain = ToPlain(id, normalized);
  // The lock the product's OnParamChange takes anyway; the editor only posts what it is shown.
  Core_MutexLock lock(mMutex);
  param->Set(plain);
  OnParamChange(idx);
  ShowParamInEditor(idx, param->Value(), false);
}
