// `brindle plot`: draws the waveform-and-spectrum comparison of sound files into a PNG.
#include "tools/cli/CommandLine.h"
#include "tools/cli/Commands.h"

#include "tools/files/OutputTarget.h"
#include "tools/plot/PlotFiles.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] = "usage: brindle plot IN [IN2 ...] -o OUT.png [--title TEXT] [--force]\n"
                      "\n"
                      "Draws one row per sound file: its waveform over the whole length (min/max and RMS per pixel\n"
                      "column) beside its long-term average spectrum (20 Hz - 20 kHz, dBFS). With several files the\n"
                      "first is the reference, repeated in grey behind the other spectra. Channels are mixed to mono.\n"
                      "\n"
                      "options:\n"
                      "  -o, --out OUT.png   the picture to write (replaced only when the whole picture is written;\n"
                      "                      '-' is standard output); never one of the inputs\n"
                      "  --title TEXT        heading of the picture (default \"Brindle plot\")\n"
                      "  --force             replace OUT even when it holds something other than a PNG picture\n"
                      "  --                  every later argument is an input file\n";

int UsageError(const std::string& message)
{
  return CommandUsageError("plot", message);
}

} // namespace

int RunPlotCommand(int argc, char** argv)
{
  std::vector<PlotInput> inputs;
  std::string out;
  std::string title = "Brindle plot";
  bool optionsDone = false, force = false;
  for (int i = 0; i < argc; ++i) {
    const char* arg = argv[i];
    if (!optionsDone && arg[0] == '-' && arg[1] != '\0') {
      if (!std::strcmp(arg, "-h") || !std::strcmp(arg, "--help")) {
        std::fputs(kUsage, stdout);
        return 0;
      }
      if (!std::strcmp(arg, "--")) {
        optionsDone = true;
        continue;
      }
      if (!std::strcmp(arg, "--force")) {
        force = true;
        continue;
      }
      // "--out=X" and "--title=X" carry their value; "-o X", "--out X", "--title X" take the next.
      const char* eq = std::strncmp(arg, "--", 2) == 0 ? std::strchr(arg, '=') : nullptr;
      const std::string name = eq ? std::string(arg, eq) : std::string(arg);
      const bool isOut = name == "-o" || name == "--out";
      const bool isTitle = name == "--title";
      if (!isOut && !isTitle) return UsageError("unknown option '" + name + "'");
      if (!eq && i + 1 >= argc) return UsageError(name + " needs a value");
      if (isOut && !out.empty()) return UsageError("only one output picture");
      (isOut ? out : title) = eq ? std::string(eq + 1) : std::string(argv[++i]);
      continue;
    }
    inputs.push_back(PlotInput{arg, std::string()});
  }
  if (inputs.empty()) return UsageError("no input files");
  if (out.empty()) return UsageError("no output picture (-o OUT.png)");
  if (inputs.size() > static_cast<size_t>(kMaxPlotRows))
    return UsageError("at most " + std::to_string(kMaxPlotRows) + " input files");

  std::string subtitle;
  for (size_t i = 0; i < inputs.size(); ++i) subtitle += (i ? ", " : "") + inputs[i].path;
  if (subtitle.size() > 160) subtitle = std::to_string(inputs.size()) + " sound files";
  std::string error;
  std::vector<std::string> inputPaths;
  for (const PlotInput& input : inputs) inputPaths.push_back(input.path);
  if (!CheckOutputIsNoInput(inputPaths, out, error) ||
      (!force && !CheckReplacesSameKind(out, OutputContent::kPng, error)) ||
      !PlotSoundFiles(inputs, title, subtitle, out, error)) {
    return CommandFailure("plot", error);
  }
  // The report must not mix into a picture written to standard output.
  const bool toStdout = out == "-" || out == "/dev/stdout" || out == "/dev/fd/1";
  std::fprintf(toStdout ? stderr : stdout, "wrote %s (%zu row%s)\n", out.c_str(), inputs.size(),
               inputs.size() == 1 ? "" : "s");
  return 0;
}
