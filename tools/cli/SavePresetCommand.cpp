// `brindle save-preset OUT.{aupreset,fxp,fxb} [options]`: writes the component's state as a host
// would save it, in the preset format the output's extension names.
#include "tools/cli/CommandLine.h"
#include "tools/cli/Commands.h"

#include "tools/files/AUPresetFile.h"
#include "tools/host/ComponentHost.h"
#include "tools/cli/EffectOptions.h"
#include "tools/files/PresetCodec.h"
#include "tools/files/OutputTarget.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kUsage[] = "usage: brindle save-preset OUT.{aupreset,fxp,fxb} [options]\n"
                      "\n"
                      "Opens the Brindle component, applies the settings and writes its state, chosen by OUT's\n"
                      "extension: .aupreset (the class-info dictionary as a property list, as a host saves a\n"
                      "preset), .fxp (a program: the preset name and its parameter values) or .fxb (a bank: every\n"
                      "preset, the current one holding the state).\n"
                      "\n"
                      "options:\n"
                      "  --preset FILE      start from the state in FILE (.aupreset, .fxp or .fxb) instead of the\n"
                      "                     defaults; a bank's other presets are kept in an .fxb output\n"
                      "  --level X          output level, 0 to 1\n"
                      "  --attack X         fuzz attack, 0 to 1\n"
                      "  --effect on|off    fuzz effect\n"
                      "  --cabinet on|off   speaker cabinet\n"
                      "  --component PATH   the Brindle.component bundle (default: $BRINDLE_COMPONENT, else the one\n"
                      "                     beside this program, else the installed one)\n"
                      "  --force            replace OUT even when it holds something other than a property list\n"
                      "  -h, --help         this text\n"
                      "  --                 the argument after it is OUT, even when it starts with '-'\n"
                      "\n"
                      "OUT may be '-' (standard output, which gets the .aupreset property list); it is never the\n"
                      "--preset file. A file OUT is replaced only once complete, keeping its mode, owner, links\n"
                      "and symlink; devices and FIFOs are written straight into.\n";

int Usage(const std::string& message)
{
  return CommandUsageError("save-preset", message);
}

int Fail(const std::string& message)
{
  return CommandFailure("save-preset", message);
}

} // namespace

int RunSavePresetCommand(int argc, char** argv)
{
  std::string componentPath, presetPath, outPath;
  // Parameter index and value, in the order given.
  std::vector<std::pair<int, double>> settings;
  bool optionsDone = false, force = false;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (!optionsDone && arg.size() >= 2 && arg[0] == '-') {
      if (arg == "--") {
        optionsDone = true;
        continue;
      }
      if (arg == "-h" || arg == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
      }
      if (arg == "--force") {
        force = true;
        continue;
      }
      if (arg.compare(0, 2, "--") != 0) return Usage("unknown option '" + arg + "'");
      std::string name, value, error;
      if (!SplitOption(argc, argv, i, {"--component", "--preset"}, name, value, error)) return Usage(error);
      EffectSetting setting;
      const EffectOptionResult effectOption = ParseEffectOption(name, value, setting, error);
      if (effectOption == EffectOptionResult::kInvalid) return Usage(error);
      if (effectOption == EffectOptionResult::kParsed) {
        settings.emplace_back(setting.index, setting.value);
      } else if (name == "--component") {
        componentPath = value;
      } else if (name == "--preset") {
        presetPath = value;
      } else if (name == "--force") {
        return Usage("--force takes no value");
      } else {
        return Usage("unknown option '" + name + "'");
      }
      continue;
    }
    if (!outPath.empty()) return Usage("expected one output file");
    outPath = arg;
  }
  if (outPath.empty()) return Usage("expected an output file");
  // Standard output has no extension to choose by: it gets the property list hosts exchange.
  const PresetFormat outFormat = outPath == "-" ? PresetFormat::kAUPreset : PresetFormatOf(outPath);
  if (outFormat == PresetFormat::kUnknown) return Usage("the output file must end in .aupreset, .fxp or .fxb");

  std::string error;
  if (!CheckOutputIsNoInput({presetPath}, outPath, error) ||
      (!force && !CheckReplacesSameKind(outPath,
                                        outFormat == PresetFormat::kAUPreset ? OutputContent::kPropertyList
                                                                             : OutputContent::kProgramOrBank,
                                        error)))
    return Fail(error);
  AUPresetContents start;
  // The codec checks the starting preset and, for program and bank output, builds the file.
  PresetCodec codec;
  if (!presetPath.empty() && !codec.LoadAsState(presetPath, start, error)) return Fail(error);

  Component component = nullptr;
  if (!LoadBrindleComponent(ResolveComponentPath(componentPath), component, error)) return Fail(error);
  ComponentHost host;
  OSStatus status = host.Open(component);
  if (status != noErr) return Fail("cannot open the component: " + DescribeStatus(status));
  if (!presetPath.empty()) {
    CFMutableDictionaryRef dictionary = AUPresetToDictionary(start);
    status = dictionary ? host.RestoreClassInfo(dictionary) : coreFoundationUnknownErr;
    if (dictionary) CFRelease(dictionary);
    if (status != noErr) return Fail("the component refused '" + presetPath + "': " + DescribeStatus(status));
  }
  for (const auto& [index, value] : settings) {
    status = host.SetParameter(static_cast<AudioUnitParameterID>(index), static_cast<AudioUnitParameterValue>(value));
    if (status != noErr)
      return Fail("the component refused parameter " + std::to_string(index) + ": " + DescribeStatus(status));
  }
  CFPropertyListRef state = nullptr;
  status = host.CopyClassInfo(state);
  if (status != noErr || !state) return Fail("the component gave no state: " + DescribeStatus(status));
  AUPresetContents contents;
  const bool ok = AUPresetFromDictionary(static_cast<CFDictionaryRef>(state), contents, error);
  CFRelease(state);
  if (!ok) return Fail(error);
  // The component names its state after its own current preset; a converted preset keeps its name.
  if (!presetPath.empty()) contents.name = start.name;
  if (outFormat == PresetFormat::kAUPreset) {
    if (!WriteAUPresetFile(outPath, contents, error)) return Fail(error);
    return 0;
  }
  if (!codec.FromAUPreset(contents, error) || !codec.Save(outPath, error)) return Fail(error);
  return 0;
}
