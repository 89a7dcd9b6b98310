// `brindle render IN OUT [options]`: runs a sound file through the effect.
#include "tools/cli/CommandLine.h"
#include "tools/cli/Commands.h"

#include "tools/render/RenderJob.h"
#include "tools/files/AudioFiles.h"
#include "tools/files/AudioFormatChoice.h"
#include "tools/render/ComponentEngine.h"
#include "tools/host/ComponentHost.h"
#include "tools/cli/EffectOptions.h"
#include "tools/files/PresetCodec.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char kUsage[] = "usage: brindle render IN OUT [options]\n"
                      "\n"
                      "Runs IN (any mono or stereo file libsndfile reads) through Brindle at the file's sample rate\n"
                      "and writes OUT with the same channel count and sample rate. OUT's extension chooses the\n"
                      "container (.wav .flac .aiff .ogg .mp3 ... as libsndfile writes them; others are refused); the\n"
                      "input's sample format is kept where the container takes it, else the nearest it does (float\n"
                      "into FLAC becomes 24-bit). Without an extension OUT gets IN's format.\n"
                      "\n"
                      "'-' is standard input as IN and standard output as OUT. WAV into a pipe is written with the\n"
                      "largest sizes in its header, as sox does, since a pipe cannot be rewound to fill them in;\n"
                      "other containers are completed in memory before they go into a pipe.\n"
                      "A file OUT is replaced only once complete, keeping its mode, owner, links and symlink;\n"
                      "devices and FIFOs are written straight into. OUT may not be IN.\n"
                      "\n"
                      "options:\n"
                      "  --level X          output level, 0 to 1 (default 0.5)\n"
                      "  --attack X         fuzz attack, 0 to 1 (default 0.5)\n"
                      "  --effect on|off    fuzz effect (default on; off sums the inputs to mono)\n"
                      "  --cabinet on|off   speaker cabinet (default on)\n"
                      "  --block N          frames per processing block, 1 to 1048576 (default 512)\n"
                      "  --type NAME        container of OUT (wav, flac, aiff, ogg, ...), whatever its extension\n"
                      "  --preset FILE      restore the state saved in FILE (.aupreset, .fxp or .fxb: a bank's\n"
                      "                     current preset) first; the settings\n"
                      "                     above are applied after it\n"
                      "  --component PATH   the Brindle.component bundle (default: $BRINDLE_COMPONENT, else the one\n"
                      "                     beside this program, else the installed one)\n"
                      "  --engine NAME      component (default: load the component and drive it as a host does)\n"
                      "                     or direct (call the plug-in class in-process; same output)\n"
                      "  --quiet            no progress bar\n"
                      "  --stats            print frames, processing time and real-time factor (on stderr when\n"
                      "                     OUT is standard output)\n"
                      "  -h, --help         this text\n"
                      "  --                 the arguments after it are files, even when they start with '-'\n";

int Usage(const std::string& message)
{
  return CommandUsageError("render", message);
}

// Render keeps the control settings by name; the options give them by parameter index.
void ApplyEffectSetting(const EffectSetting& setting, RenderSettings& settings)
{
  switch (setting.index) {
  case 0:
    settings.level = setting.value;
    settings.hasLevel = true;
    break;
  case 1:
    settings.attack = setting.value;
    settings.hasAttack = true;
    break;
  case 2:
    settings.effect = static_cast<int>(setting.value);
    break;
  default:
    settings.cabinet = static_cast<int>(setting.value);
    break;
  }
}

} // namespace

int RunRenderCommand(int argc, char** argv)
{
  RenderSettings settings;
  bool quiet = false, stats = false;
  std::vector<std::string> paths;
  std::string componentPath, presetPath, engineName; // empty: chosen below
  bool optionsDone = false;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (optionsDone || arg.size() < 2 || arg[0] != '-') {
      paths.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsDone = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--quiet") {
      quiet = true;
      continue;
    }
    if (arg == "--stats") {
      stats = true;
      continue;
    }
    if (arg.compare(0, 2, "--") != 0) return Usage("unknown option '" + arg + "'");
    std::string name, value, error;
    if (!SplitOption(argc, argv, i, {"--block", "--preset", "--component", "--engine", "--type"}, name, value, error))
      return Usage(error);
    EffectSetting setting;
    const EffectOptionResult effectOption = ParseEffectOption(name, value, setting, error);
    if (effectOption == EffectOptionResult::kInvalid) return Usage(error);
    if (effectOption == EffectOptionResult::kParsed) {
      ApplyEffectSetting(setting, settings);
    } else if (name == "--block") {
      double n = 0;
      if (!ParseRealInRange(value.c_str(), 1, kMaxBlockSize, n) || n != std::floor(n))
        return Usage("--block must be a whole number from 1 to " + std::to_string(kMaxBlockSize) + ", not '" + value +
                     "'");
      settings.blockSize = static_cast<int>(n);
    } else if (name == "--preset") {
      presetPath = value;
    } else if (name == "--component") {
      componentPath = value;
    } else if (name == "--engine") {
      if (value != "component" && value != "direct")
        return Usage("--engine takes component or direct, not '" + value + "'");
      engineName = value;
    } else if (name == "--type") {
      if (!ContainerForName(value)) return Usage("--type names no container libsndfile writes: '" + value + "'");
      settings.type = value;
    } else if (name == "--quiet" || name == "--stats") {
      return Usage(name + " takes no value");
    } else {
      return Usage("unknown option '" + name + "'");
    }
  }
  if (paths.size() != 2) return Usage("expected an input and an output file");
  const bool needsComponent = !presetPath.empty() || !componentPath.empty();
  if (engineName == "direct" && needsComponent) return Usage("--preset and --component need the component engine");
  if (engineName.empty()) engineName = "component";

  settings.progress = !quiet && isatty(STDERR_FILENO);
  InstallTempFileCleanup();
  std::string error;
  std::unique_ptr<IRenderEngine> engine;
  if (engineName == "direct") {
    engine = MakeDirectEngine();
  } else {
    ComponentEngineOptions options;
    options.bundlePath = ResolveComponentPath(componentPath);
    if (!presetPath.empty()) {
      AUPresetContents preset;
      PresetCodec codec;
      if (!codec.LoadAsState(presetPath, preset, error)) return CommandFailure("render", error);
      options.preset = std::move(preset);
    }
    engine = MakeComponentEngine(options);
  }
  RenderStats result;
  if (!RenderFile(paths[0], paths[1], settings, *engine, result, error)) {
    return CommandFailure("render", error);
  }
  for (const std::string& warning : result.warnings)
    std::fprintf(stderr, "brindle render: warning: %s\n", warning.c_str());
  if (stats) {
    // The statistics must not mix into sound written to standard output.
    const std::string& out = paths[1];
    FILE* statsFile = out == "-" || out == "/dev/stdout" || out == "/dev/fd/1" ? stderr : stdout;
    const double audioSeconds = result.sampleRate > 0 ? result.frames / result.sampleRate : 0.0;
    std::fprintf(statsFile, "frames: %lld\nprocessing time: %.6f s\nreal-time factor: %.1fx\n",
                 static_cast<long long>(result.frames), result.seconds,
                 result.seconds > 0 ? audioSeconds / result.seconds : 0.0);
  }
  return 0;
}
