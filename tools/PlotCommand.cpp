// `brindle plot`: draws the waveform-and-spectrum comparison of sound files into a PNG.
#include "tools/Commands.h"

#include "tools/PlotFiles.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: brindle plot IN [IN2 ...] -o OUT.png [--title TEXT]\n"
    "\n"
    "Draws one row per sound file: its waveform over the whole length (min/max and RMS per pixel\n"
    "column) beside its long-term average spectrum (20 Hz - 20 kHz, dBFS). With several files the\n"
    "first is the reference, repeated in grey behind the other spectra. Channels are mixed to mono.\n"
    "\n"
    "options:\n"
    "  -o, --out OUT.png   the picture to write (replaced only when the whole picture is written)\n"
    "  --title TEXT        heading of the picture (default \"Brindle plot\")\n"
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
  bool optionsDone = false;
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
      const bool isOut = !std::strcmp(arg, "-o") || !std::strcmp(arg, "--out");
      const bool isTitle = !std::strcmp(arg, "--title");
      if (!isOut && !isTitle) return UsageError(std::string("unknown option '") + arg + "'");
      if (i + 1 >= argc) return UsageError(std::string(arg) + " needs a value");
      if (isOut && !out.empty()) return UsageError("only one output picture");
      (isOut ? out : title) = argv[++i];
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
  if (!PlotSoundFiles(inputs, title, subtitle, out, error)) {
    return CommandFailure("plot", error);
  }
  std::printf("wrote %s (%zu row%s)\n", out.c_str(), inputs.size(), inputs.size() == 1 ? "" : "s");
  return 0;
}
