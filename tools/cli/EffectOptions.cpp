// Option splitting and the control options shared by render and save-preset.
#include "tools/cli/EffectOptions.h"

#include "tools/cli/CommandLine.h"

namespace {

// Control options in parameter index order.
const char* const kEffectOptions[] = {"--level", "--attack", "--effect", "--cabinet"};

int EffectOptionIndex(const std::string& name)
{
  for (int i = 0; i < 4; ++i)
    if (name == kEffectOptions[i]) return i;
  return -1;
}

} // namespace

bool SplitOption(int argc, char** argv, int& i, std::initializer_list<const char*> otherValueOptions, std::string& name,
                 std::string& value, std::string& error)
{
  const std::string arg = argv[i];
  const size_t eq = arg.find('=');
  if (eq != std::string::npos) {
    name = arg.substr(0, eq);
    value = arg.substr(eq + 1);
    return true;
  }
  name = arg;
  bool takesValue = EffectOptionIndex(name) >= 0;
  for (const char* option : otherValueOptions) takesValue = takesValue || name == option;
  if (!takesValue) {
    error = "unknown option '" + arg + "'";
    return false;
  }
  if (i + 1 >= argc) {
    error = name + " needs a value";
    return false;
  }
  value = argv[++i];
  return true;
}

EffectOptionResult ParseEffectOption(const std::string& name, const std::string& value, EffectSetting& setting,
                                     std::string& error)
{
  const int index = EffectOptionIndex(name);
  if (index < 0) return EffectOptionResult::kNotEffectOption;
  if (index <= 1) {
    double real = 0.0;
    if (!ParseRealInRange(value.c_str(), 0.0, 1.0, real)) {
      error = name + " must be a number from 0 to 1, not '" + value + "'";
      return EffectOptionResult::kInvalid;
    }
    setting = {index, real};
  } else {
    int onOff = 0;
    if (!ParseOnOff(value.c_str(), onOff)) {
      error = name + " takes on or off, not '" + value + "'";
      return EffectOptionResult::kInvalid;
    }
    setting = {index, static_cast<double>(onOff)};
  }
  return EffectOptionResult::kParsed;
}
