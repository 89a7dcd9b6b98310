// `brindle validate`: runs the validation table against the component and prints one line per
// check and a summary; the exit status is 1 when any check fails.
#include "tools/cli/CommandLine.h"
#include "tools/cli/Commands.h"

#include "tools/validate/ValidateChecks.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

const char kUsage[] = "usage: brindle validate [options]\n"
                      "\n"
                      "Validates an effect component (Brindle's or any other bundle's) through its entry point\n"
                      "alone, the way a host's validator does: open/close, required properties, parameters and\n"
                      "their texts, channel configurations,\n"
                      "rendering at 11025 to 192000 Hz in slices of 1 to 4096 frames, bypass, reset, the saved\n"
                      "state and presets, formats, listeners and notifiers, upstream connections, reconfiguration,\n"
                      "hostile values and states, real-time safety, the editor and long sessions, as the level\n"
                      "asks. Prints PASS or FAIL per check and a summary; exits with 1 when any check fails.\n"
                      "\n"
                      "options:\n"
                      "  --component PATH   the component bundle (default: $BRINDLE_COMPONENT, else Brindle's\n"
                      "                     beside this program, else the installed one)\n"
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
  std::string componentPath;
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
    } else if (arg == "--component" || arg == "--seed" || arg == "--level" || arg == "--repeat") {
      if (i + 1 >= argc) return Usage(arg + " needs a value");
      value = argv[++i];
    }
    double number = 0;
    if (name == "--component") {
      componentPath = value;
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
  // Any plug-in's bundle: the checks read the unit's own parameters, channel configurations and
  // editor size.
  ComponentDescription found{};
  if (!LoadEffectComponent(bundlePath, context.component, error, &found)) {
    return CommandFailure("validate", error);
  }
  std::printf("validating %s/%s/%s in %s (level %d, seed %u)\n", FourCharText(found.componentType).c_str(),
              FourCharText(found.componentSubType).c_str(), FourCharText(found.componentManufacturer).c_str(),
              bundlePath.c_str(), context.level, context.seed);
  const std::vector<ValidateCheck> table = ValidateCheckTable(context.level);
  const std::uint32_t firstSeed = context.seed;
  int passed = 0, failed = 0;
  for (int round = 0; round < repeat; ++round) {
    // Each repetition is a run of its own: its seed replays it alone.
    context.seed = firstSeed + static_cast<std::uint32_t>(round);
    if (context.seed == 0) context.seed = 1;
    if (repeat > 1) std::printf("repetition %d of %d (seed %u)\n", round + 1, repeat, context.seed);
    for (const ValidateCheck& check : table) {
      const CheckOutcome outcome = check.run(context, check.argument);
      (outcome.pass ? passed : failed)++;
      std::printf("%s  %s%s%s\n", outcome.pass ? "PASS" : "FAIL", check.name.c_str(),
                  outcome.detail.empty() ? "" : ": ", outcome.detail.c_str());
      FlushStandardOutput();
    }
  }
  std::printf("%d checks: %d passed, %d failed\n", passed + failed, passed, failed);
  if (failed) std::printf("replay with: brindle validate --level %d --seed %u\n", context.level, firstSeed);
  FlushStandardOutput();
  return failed ? 1 : 0;
}
