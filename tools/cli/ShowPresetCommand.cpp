// `brindle show-preset FILE`: prints what a preset file holds: its format, the plug-in it is for and
// that plug-in's version, the preset names and every parameter's value and text. The file is first
// loaded through the plug-in's own loader, so a file it would refuse is refused here.
#include "tools/cli/CommandLine.h"
#include "tools/cli/Commands.h"

#include "plugcore/IEffectBase.h"
#include "plugcore/PresetFiles.h"
#include "plugcore/Version.h"
#include "tools/host/ComponentHost.h"
#include "tools/files/PresetCodec.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kUsage[] = "usage: brindle show-preset FILE\n"
                      "\n"
                      "Prints what the preset FILE (.aupreset, .fxp or .fxb) holds: its format, the plug-in it\n"
                      "belongs to and that plug-in's version, each preset's name and every parameter's value and\n"
                      "display text. A file the plug-in would refuse is reported in one line.\n";

std::string DecimalVersionText(int decimal)
{
  char text[32];
  std::snprintf(text, sizeof text, "%d.%d.%d (%d)", decimal / 10000, decimal / 100 % 100, decimal % 100, decimal);
  return text;
}

// A name from the file as it can be shown on a terminal: control characters (escape sequences
// among them, and their UTF-8 C1 forms), backslashes and quotes are written as escapes.
std::string Printable(const std::string& text)
{
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(text[i + 1]) <= 0x9F;
    if (c < 0x20 || c == 0x7F || c1) {
      const unsigned code = c1 ? static_cast<unsigned char>(text[++i]) : c;
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", code);
      out += escaped;
    } else if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// One line per parameter, from the plug-in's current values.
void PrintParameters(IEffectBase& plug)
{
  for (int i = 0; i < plug.NParams(); ++i) {
    const IParam* param = plug.GetParam(i);
    char text[IParam::kDisplayBufferSize];
    param->GetDisplayForHost(text);
    std::string shown = text;
    if (*param->GetLabelForHost()) shown += std::string(" ") + param->GetLabelForHost();
    std::printf("    %-12s %-12.6g %s\n", param->GetNameForHost(), param->mValue, shown.c_str());
  }
}

} // namespace

int RunShowPresetCommand(int argc, char** argv)
{
  std::string path;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg.size() > 1 && arg[0] == '-') return CommandUsageError("show-preset", "unknown option '" + arg + "'");
    if (!path.empty()) return CommandUsageError("show-preset", "expected one preset file");
    path = arg;
  }
  if (path.empty()) return CommandUsageError("show-preset", "expected a preset file");

  PresetCodec codec;
  std::string error;
  AUPresetContents state;
  if (!codec.LoadAsState(path, state, error)) return CommandFailure("show-preset", error);
  IEffectBase& plug = codec.Plug();

  // The header facts come from the file itself; it has been checked whole by the load above.
  PresetFileBytes bytes;
  FXPProgram program;
  FXBBank bank;
  switch (PresetFormatOf(path)) {
  case PresetFormat::kAUPreset: {
    char version[32];
    GetVersionStr(state.version, version);
    std::printf("format: .aupreset (class-info dictionary)\n");
    std::printf("plug-in: %s/%s/%s, version %s\n", FourCharText(static_cast<OSType>(state.type)).c_str(),
                FourCharText(static_cast<OSType>(state.subtype)).c_str(),
                FourCharText(static_cast<OSType>(state.manufacturer)).c_str(), version + 1);
    std::printf("preset: \"%s\"\n", Printable(state.name).c_str());
    PrintParameters(plug);
    return 0;
  }
  case PresetFormat::kFXP:
    if (!ReadPresetFile(path.c_str(), &bytes, &error) || !ParseFXP(bytes.data(), bytes.size(), &program, &error))
      return CommandFailure("show-preset", error);
    std::printf("format: .fxp program, %s form\n", program.mIsChunk ? "chunk" : "parameter");
    std::printf("plug-in: %s, version %s\n", PresetFileCodeText(program.mPlugID).c_str(),
                DecimalVersionText(program.mPlugVersion).c_str());
    std::printf("preset: \"%s\"\n", Printable(program.mName).c_str());
    PrintParameters(plug);
    return 0;
  default:
    break;
  }
  if (!ReadPresetFile(path.c_str(), &bytes, &error) || !ParseFXB(bytes.data(), bytes.size(), &bank, &error))
    return CommandFailure("show-preset", error);
  std::printf("format: .fxb bank, %s form\n", bank.mIsChunk ? "chunk" : "parameter");
  std::printf("plug-in: %s, version %s\n", PresetFileCodeText(bank.mPlugID).c_str(),
              DecimalVersionText(bank.mPlugVersion).c_str());
  std::printf("presets: %d, current %d\n", bank.mNumPresets, bank.mCurrentPreset);
  if (bank.mIsChunk) {
    // The plug-in holds what it could take of the bank; show its presets.
    for (int p = 0; p < plug.NPresets(); ++p) {
      plug.RestorePreset(p);
      std::printf("%d \"%s\"\n", p, Printable(plug.GetPresetName(p)).c_str());
      PrintParameters(plug);
    }
    return 0;
  }
  // The file's programs, shown through the plug-in's parameters (which convert and describe them).
  for (size_t p = 0; p < bank.mPrograms.size(); ++p) {
    const FXPProgram& prog = bank.mPrograms[p];
    for (int i = 0; i < plug.NParams(); ++i) {
      const float v = prog.mValues[static_cast<size_t>(i)];
      plug.GetParam(i)->SetNormalized(v < 0.0f ? 0.0 : (v > 1.0f ? 1.0 : v));
    }
    std::printf("%zu \"%s\"\n", p, Printable(prog.mName).c_str());
    PrintParameters(plug);
  }
  return 0;
}
