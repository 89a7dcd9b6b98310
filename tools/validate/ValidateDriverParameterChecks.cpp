// The format-neutral checks of parameters and saved state, through a plug-in driver.
#include "tools/validate/ValidateChecks.h"
#include "tools/validate/ValidateDriverSupport.h"

#include <cmath>
#include <limits>
#include <set>

using namespace validate;

namespace {

bool Close(double a, double b, const DriverParameter& p)
{
  return std::fabs(a - b) <= 1e-6 * std::max(1.0, p.maximum - p.minimum);
}

// A value in the parameter's range (whole when stepped).
double RandomValue(Noise& noise, const DriverParameter& p)
{
  const double v = p.minimum + noise.Unit() * (p.maximum - p.minimum);
  return p.stepped ? std::round(v) : v;
}

std::string Number(double value)
{
  char text[48];
  std::snprintf(text, sizeof text, "%.9g", value);
  return text;
}

// Sets every writable parameter to a random value; false with the reason.
bool Randomize(PluginInstance& instance, Noise& noise, std::string& error)
{
  for (const DriverParameter& p : instance.Parameters()) {
    if (p.readOnly) continue;
    if (!instance.SetValue(p.id, RandomValue(noise, p))) {
      error = Label(p) + " cannot be set";
      return false;
    }
  }
  return true;
}

std::vector<double> Values(PluginInstance& instance)
{
  std::vector<double> values;
  for (const DriverParameter& p : instance.Parameters()) {
    double v = NAN;
    instance.GetValue(p.id, v);
    values.push_back(v);
  }
  return values;
}

bool SameValues(const std::vector<double>& a, const std::vector<double>& b)
{
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!(a[i] == b[i] || (std::isnan(a[i]) && std::isnan(b[i])))) return false;
  return true;
}

} // namespace

CheckOutcome DriverParameterInfo(DriverContext& context, int)
{
  std::string error;
  std::unique_ptr<PluginInstance> instance = context.driver->Create(error);
  if (!instance) return Fail(error);
  const std::vector<DriverParameter> params = instance->Parameters();
  std::set<std::uint32_t> ids;
  for (const DriverParameter& p : params) {
    if (!ids.insert(p.id).second) return Fail("id " + std::to_string(p.id) + " is listed twice");
    if (p.name.empty()) return Fail("parameter id " + std::to_string(p.id) + " has no name");
    if (!std::isfinite(p.minimum) || !std::isfinite(p.maximum) || !(p.minimum < p.maximum))
      return Fail(Label(p) + " has the range [" + Number(p.minimum) + ", " + Number(p.maximum) + "]");
    if (!std::isfinite(p.defaultValue) || p.defaultValue < p.minimum || p.defaultValue > p.maximum)
      return Fail(Label(p) + " defaults to " + Number(p.defaultValue) + ", outside its range");
    double value = NAN;
    if (!instance->GetValue(p.id, value)) return Fail(Label(p) + " cannot be read");
    if (!Close(value, p.defaultValue, p))
      return Fail(Label(p) + " reads " + Number(value) + " in a new instance, not its default " +
                  Number(p.defaultValue));
  }
  return Pass(std::to_string(params.size()) + " parameters");
}

CheckOutcome DriverParameterValueStrings(DriverContext& context, int)
{
  std::string error;
  std::unique_ptr<PluginInstance> instance = context.driver->Create(error);
  if (!instance) return Fail(error);
  for (const DriverParameter& p : instance->Parameters())
    for (double value : {p.minimum, p.defaultValue, p.maximum}) {
      std::string text;
      if (!instance->ValueToText(p.id, value, text) || text.empty())
        return Fail(Label(p) + " has no text for " + Number(value));
    }
  return Pass();
}

CheckOutcome DriverParameterSetAndReadBack(DriverContext& context, int)
{
  std::string error;
  std::unique_ptr<PluginInstance> instance = context.driver->Create(error);
  if (!instance) return Fail(error);
  Noise noise(context.seed);
  for (const DriverParameter& p : instance->Parameters()) {
    if (p.readOnly) continue;
    const double span = p.maximum - p.minimum;
    const struct
    {
      const char* what;
      double set, expect;
    } cases[] = {
        {"minimum", p.minimum, p.minimum},
        {"maximum", p.maximum, p.maximum},
        {"default", p.defaultValue, p.defaultValue},
        {"random", 0, 0},
        {"above the maximum", p.maximum + span, p.maximum},
        {"below the minimum", p.minimum - span, p.minimum},
    };
    for (auto c : cases) {
      if (std::string(c.what) == "random") c.set = c.expect = RandomValue(noise, p);
      instance->SetValue(p.id, c.set); // an out-of-range value may be refused or clamped
      double value = NAN;
      if (!instance->GetValue(p.id, value)) return Fail(Label(p) + " cannot be read");
      if (!std::isfinite(value) || value < p.minimum || value > p.maximum)
        return Fail(Label(p) + " set " + c.what + " reads " + Number(value) + ", outside its range");
      const bool outside = c.set < p.minimum || c.set > p.maximum;
      if (!outside && !Close(value, c.expect, p))
        return Fail(Label(p) + " set to " + Number(c.set) + " (" + c.what + ") reads " + Number(value));
    }
  }
  return Pass();
}

CheckOutcome DriverParameterTextRoundTrip(DriverContext& context, int)
{
  std::string error;
  std::unique_ptr<PluginInstance> instance = context.driver->Create(error);
  if (!instance) return Fail(error);
  Noise noise(context.seed);
  for (const DriverParameter& p : instance->Parameters())
    for (double value : {p.minimum, p.defaultValue, p.maximum, RandomValue(noise, p)}) {
      std::string text, again;
      double parsed = NAN;
      if (!instance->ValueToText(p.id, value, text)) return Fail(Label(p) + " has no text for " + Number(value));
      if (!instance->TextToValue(p.id, text, parsed))
        return Fail(Label(p) + ": its own text '" + text + "' is not read back");
      if (!std::isfinite(parsed) || parsed < p.minimum || parsed > p.maximum)
        return Fail(Label(p) + ": '" + text + "' reads as " + Number(parsed) + ", outside its range");
      if (!instance->ValueToText(p.id, parsed, again) || again != text)
        return Fail(Label(p) + ": '" + text + "' -> " + Number(parsed) + " -> '" + again + "'");
    }
  // Text that names no value is refused.
  for (const DriverParameter& p : instance->Parameters()) {
    double parsed = 0;
    for (const char* junk : {"", "not a number", "\x01\xff"})
      if (instance->TextToValue(p.id, junk, parsed) &&
          (!std::isfinite(parsed) || parsed < p.minimum || parsed > p.maximum))
        return Fail(Label(p) + ": junk text read as " + Number(parsed));
  }
  return Pass();
}

CheckOutcome DriverHostileParameterValues(DriverContext& context, int)
{
  std::string error;
  std::unique_ptr<PluginInstance> instance = PreparedInstance(context, 44100, 256, error);
  if (!instance) return Fail(error);
  const double inf = std::numeric_limits<double>::infinity();
  const double hostile[] = {
      NAN,    -NAN,  inf, -inf, std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
      1e-300, -1e30, 1e30};
  Noise noise(context.seed);
  Planar in(2, 256), out(2, 256);
  for (const DriverParameter& p : instance->Parameters()) {
    for (double value : hostile) {
      // Set from the main thread, and as an event of a render.
      instance->SetValue(p.id, value);
      if (!(error = DriverParametersInRange(*instance)).empty())
        return Fail("after setting " + Number(value) + ": " + error);
      const ParameterChange change{p.id, value, 17};
      if (!(error = RenderNoise(*instance, noise, in, out, 256, 0.5f, &change, 1)).empty())
        return Fail(Label(p) + " = " + Number(value) + ": " + error);
      if (!(error = DriverParametersInRange(*instance)).empty())
        return Fail("after rendering with " + Number(value) + ": " + error);
    }
  }
  double v = 0;
  if (instance->GetValue(0xfffffff0u, v)) return Fail("a parameter that is not listed was answered");
  return Pass();
}

CheckOutcome DriverStateRoundTrip(DriverContext& context, int)
{
  std::string error;
  std::unique_ptr<PluginInstance> a = context.driver->Create(error), b;
  if (!a) return Fail(error);
  Noise noise(context.seed);
  if (!Randomize(*a, noise, error)) return Fail(error);
  std::vector<unsigned char> saved, again;
  if (!a->SaveState(saved)) return Fail("the state cannot be saved");
  if (!(b = context.driver->Create(error))) return Fail(error);
  if (!b->LoadState(saved)) return Fail("its own state (" + std::to_string(saved.size()) + " bytes) is refused");
  if (!SameValues(Values(*a), Values(*b))) return Fail("the values read back differ after a round trip");
  if (!b->SaveState(again) || again != saved) return Fail("the state saved again differs");
  if (!a->Prepare(44100, 512, error) || !b->Prepare(44100, 512, error)) return Fail(error);
  Noise na(context.seed + 1), nb(context.seed + 1);
  Planar in(2, 512), outA(2, 512), outB(2, 512);
  for (int block = 0; block < 4; ++block) {
    if (!(error = RenderNoise(*a, na, in, outA, 512)).empty() || !(error = RenderNoise(*b, nb, in, outB, 512)).empty())
      return Fail(error);
    if (outA.data != outB.data)
      return Fail("the restored instance renders other audio (block " + std::to_string(block) + ")");
  }
  return Pass(std::to_string(saved.size()) + " bytes");
}

CheckOutcome DriverForeignStateRefused(DriverContext& context, int)
{
  std::string error;
  std::unique_ptr<PluginInstance> instance = context.driver->Create(error);
  if (!instance) return Fail(error);
  std::vector<unsigned char> own;
  if (!instance->SaveState(own) || own.empty()) return Fail("the state cannot be saved");
  std::vector<unsigned char> retagged = own, truncated(own.begin(), own.begin() + own.size() / 2);
  for (size_t i = 0; i < std::min<size_t>(4, retagged.size()); ++i) retagged[i] ^= 0x5a;
  const struct
  {
    const char* what;
    std::vector<unsigned char> bytes;
  } foreign[] = {{"an empty state", {}}, {"a state with another tag", retagged}, {"half a state", truncated}};
  Noise noise(context.seed);
  for (const auto& f : foreign) {
    if (!Randomize(*instance, noise, error)) return Fail(error);
    const std::vector<double> before = Values(*instance);
    if (instance->LoadState(f.bytes)) return Fail(std::string(f.what) + " was accepted");
    if (!SameValues(before, Values(*instance))) return Fail(std::string("refusing ") + f.what + " changed values");
  }
  return Pass();
}

CheckOutcome DriverRandomStates(DriverContext& context, int)
{
  std::string error;
  std::unique_ptr<PluginInstance> instance = PreparedInstance(context, 44100, 256, error);
  if (!instance) return Fail(error);
  std::vector<unsigned char> own;
  if (!instance->SaveState(own)) return Fail("the state cannot be saved");
  Noise noise(context.seed);
  Planar in(2, 256), out(2, 256);
  const int rounds = 20 * context.level;
  int accepted = 0;
  for (int round = 0; round < rounds; ++round) {
    // Pure noise, or the plug-in's own state with bytes overwritten (a header that passes).
    std::vector<unsigned char> bytes;
    if (round % 2 == 0) {
      bytes.resize(noise.NextWord() % (2 * own.size() + 2));
      for (unsigned char& b : bytes) b = static_cast<unsigned char>(noise.NextWord());
    } else {
      bytes = own;
      const int hits = 1 + static_cast<int>(noise.NextWord() % 8);
      for (int i = 0; i < hits && !bytes.empty(); ++i)
        bytes[noise.NextWord() % bytes.size()] = static_cast<unsigned char>(noise.NextWord());
    }
    accepted += instance->LoadState(bytes);
    if (!(error = DriverParametersInRange(*instance)).empty())
      return Fail("round " + std::to_string(round) + ": " + error);
    if (!(error = RenderNoise(*instance, noise, in, out, 256)).empty())
      return Fail("round " + std::to_string(round) + ": " + error);
  }
  return Pass(std::to_string(accepted) + " of " + std::to_string(rounds) + " accepted");
}
