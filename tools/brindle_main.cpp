// brindle: the project's command-line front end.
#include "tools/Commands.h"

#include <cstdio>
#include <cstring>

namespace {
const char kUsage[] =
    "usage: brindle <command> [options]\n"
    "\n"
    "commands:\n"
    "  render IN OUT [options]   run a sound file through the fuzz\n"
    "  demo [options]            synthesize a plucked-string riff and render it dry and fuzzed\n"
    "\n"
    "'brindle <command> --help' describes each command.\n";
}

int main(int argc, char** argv)
{
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const char* command = argv[1];
  if (!std::strcmp(command, "--help") || !std::strcmp(command, "-h") || !std::strcmp(command, "help")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (!std::strcmp(command, "render")) return RunRenderCommand(argc - 2, argv + 2);
  if (!std::strcmp(command, "demo")) return RunDemoCommand(argc - 2, argv + 2);
  std::fprintf(stderr, "brindle: unknown command '%s' (try 'brindle --help')\n", command);
  return 2;
}
