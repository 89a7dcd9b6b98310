// The two shapes of message every brindle subcommand prints on stderr, so they read alike.
#include "tools/Commands.h"

#include <cstdio>

int CommandUsageError(const char* command, const std::string& message)
{
  std::fprintf(stderr, "brindle %s: %s (try 'brindle %s --help')\n", command, message.c_str(), command);
  return 2;
}

int CommandFailure(const char* command, const std::string& message)
{
  std::fprintf(stderr, "brindle %s: %s\n", command, message.c_str());
  return 1;
}
