// `brindle validate`: runs the validation table against the component, CLAP module, VST3 or LV2 bundle
// and prints one line per check and a summary; the exit status is 1 when any check fails.
#include "tools/cli/CommandLine.h"
#include "tools/cli/Commands.h"

#include "tools/validate/PluginDriver.h"
#include "tools/validate/ValidateChecks.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

namespace {

const char kUsage[] = "usage: brindle validate [options]\n"
                      "\n"
                      "Validates an effect (Brindle's or any other plug-in's: a component, a CLAP module, a VST3\n"
                      "or an LV2 bundle) through its entry point alone, the way a host's validator does:\n"
                      "open/close, required properties, parameters and\n"
                      "their texts, channel configurations,\n"
                      "rendering at 11025 to 192000 Hz in slices of 1 to 4096 frames, bypass, reset, the saved\n"
                      "state and presets, formats, listeners and notifiers, upstream connections, reconfiguration,\n"
                      "hostile values and states, real-time safety, the editor and long sessions, as the level\n"
                      "asks. A CLAP module, VST3 or LV2 bundle runs the checks its format allows (the others\n"
                      "are counted as not applicable). Prints PASS or FAIL per check and a summary; exits with 1\n"
                      "when any check fails.\n"
                      "\n"
                      "options:\n"
                      "  --component PATH   a component bundle, a CLAP module (a file exporting clap_entry), a\n"
                      "                     .vst3 or .lv2 bundle (default: $BRINDLE_COMPONENT, else Brindle's\n"
                      "                     component beside this program, else the installed one)\n"
                      "  --plugin ID        which plug-in of a module listing several (CLAP: the plug-in id;\n"
                      "                     VST3: the class name; LV2: the URI; default: the stereo one, else\n"
                      "                     the first)\n"
                      "  --level N          strictness from 1 to 10 (default 5): each level adds checks, 10 runs all\n"
                      "  --repeat N         runs the checks N times (default 1), each time with the next seed\n"
                      "  --seed N           seed of the random values and noise (default: a new one, printed, so\n"
                      "                     that a run can be replayed)\n"
                      "  -h, --help         this text\n";

int Usage(const std::string& message)
{
  return CommandUsageError("validate", message);
}

// A whole number in [low, high] from the text, or false.
bool ParseWhole(const std::string& text, double low, double high, double& out)
{
  return ParseRealInRange(text.c_str(), low, high, out) && out == static_cast<double>(static_cast<long long>(out));
}

// Runs the table, through the driver when there is one (lines it cannot run are counted as not
// applicable); prints a line per check and the summary, and answers the exit status. A failing run
// prints the command that replays it, with `replayArgs` after the seed.
int RunTable(PluginDriver* driver, ValidateContext& context, int repeat, const std::string& replayArgs)
{
  const std::vector<ValidateCheck> table = ValidateCheckTable(context.level);
  const std::uint32_t firstSeed = context.seed;
  DriverContext driverContext{driver, context.seed, context.level};
  int passed = 0, failed = 0, notApplicable = 0;
  for (int round = 0; round < repeat; ++round) {
    // Each repetition is a run of its own: its seed replays it alone.
    context.seed = firstSeed + static_cast<std::uint32_t>(round);
    if (context.seed == 0) context.seed = 1;
    driverContext.seed = context.seed;
    if (repeat > 1) std::printf("repetition %d of %d (seed %u)\n", round + 1, repeat, context.seed);
    for (const ValidateCheck& check : table) {
      if (driver && (!check.driverRun || (check.valueText && !driver->HasValueText()))) {
        ++notApplicable;
        continue;
      }
      const CheckOutcome outcome =
          driver ? check.driverRun(driverContext, check.argument) : check.run(context, check.argument);
      (outcome.pass ? passed : failed)++;
      std::printf("%s  %s%s%s\n", outcome.pass ? "PASS" : "FAIL", check.name.c_str(),
                  outcome.detail.empty() ? "" : ": ", outcome.detail.c_str());
      FlushStandardOutput();
    }
  }
  std::printf("%d checks: %d passed, %d failed", passed + failed, passed, failed);
  if (driver) std::printf(", %d not applicable to %s", notApplicable, driver->Format());
  std::printf("\n");
  if (failed)
    std::printf("replay with: brindle validate --level %d --seed %u%s\n", context.level, firstSeed, replayArgs.c_str());
  FlushStandardOutput();
  return failed ? 1 : 0;
}

int RunTable(PluginDriver& driver, const std::string& path, const std::string& plugin, ValidateContext& context,
             int repeat)
{
  std::printf("validating %s plug-in %s (%s) in %s (level %d, seed %u)\n", driver.Format(), driver.PluginName().c_str(),
              driver.PluginId().c_str(), path.c_str(), context.level, context.seed);
  return RunTable(&driver, context, repeat,
                  " --component " + path + (plugin.empty() ? std::string() : " --plugin " + plugin));
}

std::uint32_t FreshSeed()
{
  std::random_device device;
  const auto now = static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  const std::uint32_t seed = device() ^ now;
  return seed ? seed : 1;
}

} // namespace

int RunValidateCommand(int argc, char** argv)
{
  std::string componentPath, pluginId;
  ValidateContext context;
  bool seeded = false;
  int repeat = 1;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    std::string name = arg, value;
    const size_t eq = arg.find('=');
    if (eq != std::string::npos && arg.compare(0, 2, "--") == 0) {
      name = arg.substr(0, eq);
      value = arg.substr(eq + 1);
    } else if (arg == "--component" || arg == "--plugin" || arg == "--seed" || arg == "--level" || arg == "--repeat") {
      if (i + 1 >= argc) return Usage(arg + " needs a value");
      value = argv[++i];
    }
    double number = 0;
    if (name == "--component") {
      componentPath = value;
    } else if (name == "--plugin") {
      pluginId = value;
    } else if (name == "--seed") {
      if (!ParseWhole(value, 1, 4294967295.0, number))
        return Usage("--seed must be a whole number from 1 to 4294967295, not '" + value + "'");
      context.seed = static_cast<std::uint32_t>(number);
      seeded = true;
    } else if (name == "--level") {
      if (!ParseWhole(value, 1, 10, number))
        return Usage("--level must be a whole number from 1 to 10, not '" + value + "'");
      context.level = static_cast<int>(number);
    } else if (name == "--repeat") {
      if (!ParseWhole(value, 1, 1000000, number))
        return Usage("--repeat must be a whole number from 1 to 1000000, not '" + value + "'");
      repeat = static_cast<int>(number);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option '" + name + "'");
    } else {
      return Usage("unexpected argument '" + arg + "'");
    }
  }
  if (!seeded) context.seed = FreshSeed();
  const std::string bundlePath = ResolveComponentPath(componentPath);
  std::string error;
  bool recognised = false;
  std::unique_ptr<PluginDriver> driver = OpenPluginDriver(bundlePath, pluginId, recognised, error);
  if (recognised) {
    if (!driver) return CommandFailure("validate", error);
    return RunTable(*driver, bundlePath, pluginId, context, repeat);
  }
  if (!pluginId.empty()) return Usage("--plugin is for a CLAP module or a VST3 bundle");
  // Any plug-in's bundle: the checks read the unit's own parameters, channel configurations and
  // editor size.
  ComponentDescription found{};
  if (!LoadEffectComponent(bundlePath, context.component, error, &found)) {
    return CommandFailure("validate", error);
  }
  std::printf("validating %s/%s/%s in %s (level %d, seed %u)\n", FourCharText(found.componentType).c_str(),
              FourCharText(found.componentSubType).c_str(), FourCharText(found.componentManufacturer).c_str(),
              bundlePath.c_str(), context.level, context.seed);
  return RunTable(nullptr, context, repeat, "");
}
