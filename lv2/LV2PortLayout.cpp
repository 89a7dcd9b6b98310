// LV2PortLayout: variants, port indices and symbols.
#include "lv2/LV2PortLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "plugcore/IEffectBase.h"
#include "plugcore/IParam.h"

namespace {
std::string Fragment(int nIn, int nOut)
{
  if (nIn == 1 && nOut == 1) return "mono";
  if (nIn == 2 && nOut == 2) return "stereo";
  return std::to_string(nIn) + "in" + std::to_string(nOut) + "out";
}

std::string AudioSuffix(int idx, int n, bool forName)
{
  if (n == 1) return "";
  if (n == 2) return forName ? (idx == 0 ? " L" : " R") : (idx == 0 ? "_l" : "_r");
  return (forName ? " " : "_") + std::to_string(idx + 1);
}
} // namespace

bool LV2IsToggle(const IParam& param)
{
  if (param.Type() == IParam::kTypeBool) return true;
  const bool whole = param.Type() == IParam::kTypeInt || param.Type() == IParam::kTypeEnum;
  return whole && param.mMin == 0.0 && param.mMax == 1.0;
}

double LV2ParamValueFromPort(const IParam& param, float portValue)
{
  double v = static_cast<double>(portValue);
  if (LV2IsToggle(param))
    v = v > 0.0 ? param.mMax : param.mMin;
  else if (param.Type() != IParam::kTypeDouble)
    v = std::round(std::min(std::max(v, param.mMin), param.mMax));
  return std::min(std::max(v, param.mMin), param.mMax);
}

std::vector<LV2Variant> LV2Variants(const char* channelIO)
{
  std::vector<LV2Variant> variants;
  const char* p = channelIO ? channelIO : "";
  for (int idx = 0;; ++idx) {
    while (*p == ' ') ++p;
    if (!*p) break;
    char* end = nullptr;
    const long nIn = std::strtol(p, &end, 10);
    if (end == p || *end != '-') break;
    p = end + 1;
    const long nOut = std::strtol(p, &end, 10);
    if (end == p) break;
    p = end;
    if (nIn < 0 || nOut < 0 || nIn > IEffectBase::kMaxChannels || nOut > IEffectBase::kMaxChannels) continue;
    const int in = static_cast<int>(nIn), out = static_cast<int>(nOut);
    const bool repeat = std::any_of(variants.begin(), variants.end(),
                                    [in, out](const LV2Variant& v) { return v.mIn == in && v.mOut == out; });
    if (!repeat) variants.push_back({idx, in, out, Fragment(in, out)});
  }
  return variants;
}

std::string LV2VariantURI(const std::string& baseURI, const LV2Variant& variant)
{
  return baseURI + "#" + variant.mFragment;
}

std::string LV2Symbol(const char* name)
{
  std::string symbol;
  for (const char* p = name ? name : ""; *p; ++p) {
    const char c = *p;
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
      symbol += c;
    else if (c >= 'A' && c <= 'Z')
      symbol += static_cast<char>(c - 'A' + 'a');
    else if (symbol.empty() || symbol.back() != '_')
      symbol += '_'; // runs of other bytes (spaces, UTF-8) become one underscore
  }
  if (symbol.empty() || symbol == "_") symbol = "param";
  if (symbol[0] >= '0' && symbol[0] <= '9') symbol.insert(0, "_");
  return symbol;
}

LV2PortLayout::LV2PortLayout(const IEffectBase& plug, int nIn, int nOut) : mNIn(nIn), mNOut(nOut)
{
  // The audio and latency symbols are taken first so that a parameter named "In" or
  // "Latency" gets a suffix instead of a clash.
  std::vector<std::string> taken{"latency"};
  for (int i = 0; i < nIn; ++i) taken.push_back("in" + AudioSuffix(i, nIn, false));
  for (int i = 0; i < nOut; ++i) taken.push_back("out" + AudioSuffix(i, nOut, false));
  for (int i = 0; i < plug.NParams(); ++i) {
    const std::string base = LV2Symbol(plug.GetParam(i)->GetNameForHost());
    std::string symbol = base;
    for (int n = 2; std::find(taken.begin(), taken.end(), symbol) != taken.end(); ++n)
      symbol = base + "_" + std::to_string(n);
    taken.push_back(symbol);
    mParamSymbols.push_back(symbol);
  }
}

LV2PortLayout::EPortKind LV2PortLayout::Kind(uint32_t port, int* idx) const
{
  int i = 0;
  EPortKind kind = kNoPort;
  const uint32_t in = static_cast<uint32_t>(mNIn), out = static_cast<uint32_t>(mNOut);
  if (port < in)
    kind = kAudioIn, i = static_cast<int>(port);
  else if (port < in + out)
    kind = kAudioOut, i = static_cast<int>(port - in);
  else if (port < LatencyPort())
    kind = kControlIn, i = static_cast<int>(port - in - out);
  else if (port == LatencyPort())
    kind = kLatencyOut;
  if (idx) *idx = i;
  return kind;
}

std::string LV2PortLayout::Symbol(uint32_t port) const
{
  int i = 0;
  switch (Kind(port, &i)) {
  case kAudioIn:
    return "in" + AudioSuffix(i, mNIn, false);
  case kAudioOut:
    return "out" + AudioSuffix(i, mNOut, false);
  case kControlIn:
    return mParamSymbols[static_cast<size_t>(i)];
  case kLatencyOut:
    return "latency";
  default:
    return "";
  }
}

std::string LV2PortLayout::Name(uint32_t port, const IEffectBase& plug) const
{
  int i = 0;
  switch (Kind(port, &i)) {
  case kAudioIn:
    return "In" + AudioSuffix(i, mNIn, true);
  case kAudioOut:
    return "Out" + AudioSuffix(i, mNOut, true);
  case kControlIn: {
    const char* name = plug.GetParam(i)->GetNameForHost();
    return *name ? name : mParamSymbols[static_cast<size_t>(i)];
  }
  case kLatencyOut:
    return "Latency";
  default:
    return "";
  }
}
