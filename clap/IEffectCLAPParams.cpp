// IEffectCLAP: parameter info, values and texts, and host values taken into the product.
#include "clap/IEffectCLAP.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

} // namespace

uint32_t IEffectCLAP::ParamCount() const
{
  return static_cast<uint32_t>(NParams());
}

bool IEffectCLAP::ParamInfo(uint32_t index, clap_param_info_t* info) const
{
  const IParam* param = index < ParamCount() ? GetParam(static_cast<int>(index)) : nullptr;
  if (!param || !info) return false;
  std::memset(info, 0, sizeof(*info));
  info->id = index;
  info->flags = CLAP_PARAM_IS_AUTOMATABLE;
  if (IsStepped(*param)) info->flags |= CLAP_PARAM_IS_STEPPED;
  // An enumeration shows a word for every step.
  if (param->Type() == IParam::kTypeEnum || (IsStepped(*param) && param->GetNDisplayTexts() > 0)) {
    bool everyStepNamed = true;
    for (int v = static_cast<int>(param->mMin); v <= static_cast<int>(param->mMax) && everyStepNamed; ++v)
      everyStepNamed = param->GetDisplayText(v)[0] != '\0';
    if (everyStepNamed) info->flags |= CLAP_PARAM_IS_ENUM;
  }
  if (!param->mCanAutomate) info->flags &= ~static_cast<clap_param_info_flags>(CLAP_PARAM_IS_AUTOMATABLE);
  std::snprintf(info->name, sizeof(info->name), "%s", param->GetNameForHost());
  std::snprintf(info->module, sizeof(info->module), "%s", param->GetParamGroupForHost());
  param->GetBounds(&info->min_value, &info->max_value);
  info->default_value = Conform(*param, param->mDefault);
  return true;
}

bool IEffectCLAP::ParamValue(clap_id id, double* value)
{
  if (id >= ParamCount() || !value) return false;
  Core_MutexLock lock(mMutex);
  *value = GetParam(static_cast<int>(id))->Value();
  return true;
}

bool IEffectCLAP::ValueToText(clap_id id, double value, char* out, uint32_t capacity) const
{
  const IParam* param = id < ParamCount() ? GetParam(static_cast<int>(id)) : nullptr;
  if (!param || !out || capacity == 0 || !std::isfinite(value)) return false;
  char text[IParam::kDisplayBufferSize];
  param->GetDisplayForHost(value, false, text, true, static_cast<int>(sizeof(text)));
  const bool word = std::fabs(value) < 1.0e9 && param->GetDisplayText(static_cast<int>(value))[0] != '\0';
  // A number carries its unit, which CLAP has no other field for; words stand alone.
  if (!word && param->mLabel[0])
    std::snprintf(out, capacity, "%s %s", text, param->mLabel);
  else
    std::snprintf(out, capacity, "%s", text);
  return true;
}

bool IEffectCLAP::TextToValue(clap_id id, const char* text, double* value) const
{
  const IParam* param = id < ParamCount() ? GetParam(static_cast<int>(id)) : nullptr;
  if (!param || !text || !value) return false;
  std::string s(text);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.pop_back();
  size_t first = 0;
  while (first < s.size() && std::isspace(static_cast<unsigned char>(s[first]))) ++first;
  s.erase(0, first);
  int word = 0;
  if (param->MapDisplayText(s.c_str(), &word)) {
    *value = Conform(*param, word);
    return true;
  }
  // A number, as ValueToText writes it: the unit after it may be left out.
  const size_t labelSize = std::strlen(param->mLabel);
  if (labelSize && s.size() > labelSize && s.compare(s.size() - labelSize, labelSize, param->mLabel) == 0)
    s.erase(s.size() - labelSize);
  char* end = nullptr;
  const double parsed = std::strtod(s.c_str(), &end);
  while (end && std::isspace(static_cast<unsigned char>(*end))) ++end;
  if (s.empty() || !end || *end != '\0' || !std::isfinite(parsed)) return false;
  *value = Conform(*param, param->mNegateDisplay ? -parsed : parsed);
  return true;
}

void IEffectCLAP::ApplyParamValue(clap_id id, double value)
{
  IParam* param = id < ParamCount() ? GetParam(static_cast<int>(id)) : nullptr;
  if (!param || !std::isfinite(value)) return;
  const int idx = static_cast<int>(id);
  // The lock the product's OnParamChange takes anyway; the editor only posts what it is shown.
  Core_MutexLock lock(mMutex);
  param->Set(Conform(*param, value));
  OnParamChange(idx);
  ShowParamInEditor(idx, param->Value(), false);
}
