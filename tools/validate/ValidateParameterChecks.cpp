// Validation: parameter information, value strings, setting and reading back, text conversion.
#include "tools/validate/ValidateChecks.h"

#include <cmath>

using namespace validate;

namespace {

bool IsIndexed(const AudioUnitParameterInfo& info)
{
  return info.unit == kAudioUnitParameterUnit_Indexed || info.unit == kAudioUnitParameterUnit_Boolean;
}

// The values every parameter is exercised at: minimum, maximum, default (the reported current
// value of a fresh instance) and three random values in range (whole numbers for indexed ones).
std::vector<float> TestValues(const ParameterDescription& p, Noise& noise)
{
  std::vector<float> values = {p.info.minValue, p.info.maxValue, p.info.defaultValue};
  for (int i = 0; i < 3; ++i) {
    double v = p.info.minValue + noise.Unit() * (static_cast<double>(p.info.maxValue) - p.info.minValue);
    if (IsIndexed(p.info)) v = std::floor(v + 0.5);
    values.push_back(static_cast<float>(v));
  }
  return values;
}

std::string Label(const ParameterDescription& p)
{
  return std::to_string(p.id) + " \"" + p.name + "\"";
}

// Opens a fresh instance and describes its parameters.
bool Setup(ValidateContext& context, ComponentHost& host, std::vector<ParameterDescription>& params, std::string& error)
{
  const OSStatus status = host.Open(context.component);
  if (status != noErr) {
    error = "open: " + DescribeStatus(status);
    return false;
  }
  if (!DescribeParameters(host, params, error)) return false;
  if (params.empty()) {
    error = "no parameters";
    return false;
  }
  return true;
}

} // namespace

CheckOutcome CheckParameterInfo(ValidateContext& context, int)
{
  ComponentHost host;
  std::vector<ParameterDescription> params;
  std::string error;
  if (!Setup(context, host, params, error)) return Fail(error);
  for (const ParameterDescription& p : params) {
    const AudioUnitParameterInfo& info = p.info;
    if (p.name.empty()) return Fail(Label(p) + ": no name");
    if (!(info.minValue < info.maxValue)) return Fail(Label(p) + ": minimum not below maximum");
    if (!(info.defaultValue >= info.minValue && info.defaultValue <= info.maxValue))
      return Fail(Label(p) + ": default outside its range");
    if (!(info.flags & kAudioUnitParameterFlag_IsReadable)) return Fail(Label(p) + ": not readable");
    AudioUnitParameterValue value = NAN;
    const OSStatus status = host.GetParameter(p.id, value);
    if (status != noErr) return Fail(Label(p) + ": get: " + DescribeStatus(status));
    if (value != info.defaultValue) return Fail(Label(p) + ": current value differs from the reported default");
  }
  // IDs beyond the list are refused.
  AudioUnitParameterInfo beyond{};
  if (host.Get(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, params.back().id + 1, beyond) == noErr)
    return Fail("info answered for parameter " + std::to_string(params.back().id + 1) + ", which is not listed");
  return Pass(std::to_string(params.size()) + " parameters");
}

CheckOutcome CheckParameterValueStrings(ValidateContext& context, int)
{
  ComponentHost host;
  std::vector<ParameterDescription> params;
  std::string error;
  if (!Setup(context, host, params, error)) return Fail(error);
  int withStrings = 0;
  for (const ParameterDescription& p : params) {
    std::vector<std::string> texts;
    const OSStatus status = host.ValueStrings(p.id, texts);
    if (!IsIndexed(p.info)) continue; // continuous parameters may or may not list texts
    if (status != noErr) return Fail(Label(p) + ": indexed but no value strings (" + DescribeStatus(status) + ")");
    const double expected = std::floor(p.info.maxValue) - std::ceil(p.info.minValue) + 1;
    if (static_cast<double>(texts.size()) != expected)
      return Fail(Label(p) + ": " + std::to_string(texts.size()) + " value strings for " +
                  std::to_string(static_cast<int>(expected)) + " values");
    for (size_t i = 0; i < texts.size(); ++i) {
      if (texts[i].empty()) return Fail(Label(p) + ": value string " + std::to_string(i) + " is empty");
      // The text of each value is its value string.
      std::string text;
      host.ValueText(p.id, static_cast<float>(p.info.minValue + i), text);
      if (text != texts[i])
        return Fail(Label(p) + ": value " + std::to_string(i) + " reads \"" + text + "\", listed as \"" + texts[i] +
                    "\"");
    }
    ++withStrings;
  }
  return Pass(std::to_string(withStrings) + " indexed parameters");
}

CheckOutcome CheckParameterSetAndReadBack(ValidateContext& context, int)
{
  ComponentHost host;
  std::vector<ParameterDescription> params;
  std::string error;
  if (!Setup(context, host, params, error)) return Fail(error);
  Noise noise(context.seed);
  for (const ParameterDescription& p : params) {
    for (float value : TestValues(p, noise)) {
      OSStatus status = host.SetParameter(p.id, value);
      if (status != noErr) return Fail(Label(p) + ": set " + std::to_string(value) + ": " + DescribeStatus(status));
      AudioUnitParameterValue back = NAN;
      status = host.GetParameter(p.id, back);
      if (status != noErr) return Fail(Label(p) + ": get: " + DescribeStatus(status));
      if (back != value)
        return Fail(Label(p) + ": set " + std::to_string(value) + ", read back " + std::to_string(back));
    }
    // Beyond the range the value is clamped.
    const float span = p.info.maxValue - p.info.minValue;
    const std::pair<float, float> outside[] = {{p.info.maxValue + span, p.info.maxValue},
                                               {p.info.minValue - span, p.info.minValue}};
    for (const auto& [value, clamped] : outside) {
      host.SetParameter(p.id, value);
      AudioUnitParameterValue back = NAN;
      host.GetParameter(p.id, back);
      if (back != clamped)
        return Fail(Label(p) + ": set " + std::to_string(value) + ", read back " + std::to_string(back) +
                    " instead of " + std::to_string(clamped));
    }
  }
  return Pass();
}

CheckOutcome CheckParameterTextRoundTrip(ValidateContext& context, int)
{
  ComponentHost host;
  std::vector<ParameterDescription> params;
  std::string error;
  if (!Setup(context, host, params, error)) return Fail(error);
  Noise noise(context.seed + 1);
  for (const ParameterDescription& p : params) {
    for (float value : TestValues(p, noise)) {
      std::string text, again;
      OSStatus status = host.ValueText(p.id, value, text);
      if (status != noErr || text.empty())
        return Fail(Label(p) + ": no text for " + std::to_string(value) + " (" + DescribeStatus(status) + ")");
      AudioUnitParameterValue parsed = NAN;
      status = host.ValueFromText(p.id, text, parsed);
      if (status != noErr) return Fail(Label(p) + ": \"" + text + "\" not read back: " + DescribeStatus(status));
      if (!std::isfinite(parsed) || parsed < p.info.minValue || parsed > p.info.maxValue)
        return Fail(Label(p) + ": \"" + text + "\" read as " + std::to_string(parsed));
      if (IsIndexed(p.info) && parsed != value)
        return Fail(Label(p) + ": \"" + text + "\" read as " + std::to_string(parsed) + ", not " +
                    std::to_string(value));
      status = host.ValueText(p.id, parsed, again);
      if (status != noErr || again != text)
        return Fail(Label(p) + ": " + std::to_string(value) + " -> \"" + text + "\" -> " + std::to_string(parsed) +
                    " -> \"" + again + "\"");
    }
  }
  return Pass();
}
