// Command-line handling shared by the commands that set the effect's controls (render, save-preset):
// splitting an argument into option name and value, and reading the four control settings --level,
// --attack (0 to 1) and --effect, --cabinet (on or off). Sharing it keeps their spelling, ranges and
// error messages the same in every command.
#pragma once

#include <initializer_list>
#include <string>

// One control setting: the effect's parameter index and its real value (on/off as 1/0).
struct EffectSetting
{
  int index = 0;
  double value = 0.0;
};

enum class EffectOptionResult {
  kNotEffectOption, // name is none of the four; the command handles it
  kParsed,          // setting holds the index and value
  kInvalid          // the value is out of range or not a number/on/off; error says so
};

// Splits argv[i], known to start with "--", into name and value: "--name=value", or "--name VALUE"
// when the name is one of the four control options or in otherValueOptions (i then steps past the
// value). False, with the usage message in error, for an unknown option or a missing value.
bool SplitOption(int argc, char** argv, int& i, std::initializer_list<const char*> otherValueOptions, std::string& name,
                 std::string& value, std::string& error);

// Reads the value of a control option.
EffectOptionResult ParseEffectOption(const std::string& name, const std::string& value, EffectSetting& setting,
                                     std::string& error);
