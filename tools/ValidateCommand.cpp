// `brindle validate`: runs the validation table against the component and prints one line per
// check and a summary; the exit status is 1 when any check fails.
#include "tools/Commands.h"

#include "tools/ValidateChecks.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char kUsage[] =
    "usage: brindle validate [options]\n"
    "\n"
    "Validates the Brindle component through its entry point alone, the way a host's validator\n"
    "does: open/close, required properties, parameters and their texts, channel configurations,\n"
    "rendering at 11025 to 192000 Hz in slices of 1 to 4096 frames, bypass, reset, the saved\n"
    "state, output hygiene and concurrent rendering and parameter changes. Prints PASS or FAIL\n"
    "per check and a summary; exits with 1 when any check fails.\n"
    "\n"
    "options:\n"
    "  --component PATH   the Brindle.component bundle (default: $BRINDLE_COMPONENT, else the one\n"
    "                     beside this program, else the installed one)\n"
    "  --seed N           seed of the random values and noise (default 1)\n"
    "  -h, --help         this text\n";

int Usage(const std::string& message)
{
  return CommandUsageError("validate", message);
}

} // namespace

int RunValidateCommand(int argc, char** argv)
{
  std::string componentPath;
  ValidateContext context;
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
    } else if (arg == "--component" || arg == "--seed") {
      if (i + 1 >= argc) return Usage(arg + " needs a value");
      value = argv[++i];
    }
    if (name == "--component") {
      componentPath = value;
    } else if (name == "--seed") {
      double seed = 0;
      if (!ParseRealInRange(value.c_str(), 1, 4294967295.0, seed) || seed != static_cast<double>(static_cast<std::uint32_t>(seed)))
        return Usage("--seed must be a whole number from 1 to 4294967295, not '" + value + "'");
      context.seed = static_cast<std::uint32_t>(seed);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option '" + name + "'");
    } else {
      return Usage("unexpected argument '" + arg + "'");
    }
  }
  const std::string bundlePath = ResolveComponentPath(componentPath);
  std::string error;
  if (!LoadBrindleComponent(bundlePath, context.component, error)) {
    return CommandFailure("validate", error);
  }
  std::printf("validating %s/%s/%s in %s (seed %u)\n", FourCharText(kBrindleComponentType).c_str(),
              FourCharText(kBrindleComponentSubType).c_str(), FourCharText(kBrindleComponentManufacturer).c_str(),
              bundlePath.c_str(), context.seed);
  int passed = 0, failed = 0;
  for (const ValidateCheck& check : ValidateCheckTable()) {
    const CheckOutcome outcome = check.run(context, check.argument);
    (outcome.pass ? passed : failed)++;
    std::printf("%s  %s%s%s\n", outcome.pass ? "PASS" : "FAIL", check.name.c_str(), outcome.detail.empty() ? "" : ": ",
                outcome.detail.c_str());
    std::fflush(stdout);
  }
  std::printf("%d checks: %d passed, %d failed\n", passed + failed, passed, failed);
  std::fflush(stdout);
  return failed ? 1 : 0;
}
