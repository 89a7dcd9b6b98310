// Reading numbers and switches, and the two shapes of message every brindle subcommand prints.
#include "tools/cli/CommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

bool ParseRealInRange(const char* text, double lo, double hi, double& value)
{
  if (!text || !*text) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text, &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(v) || v < lo || v > hi) return false;
  value = v;
  return true;
}

bool ParseOnOff(const char* text, int& value)
{
  if (!std::strcmp(text, "on"))
    value = 1;
  else if (!std::strcmp(text, "off"))
    value = 0;
  else
    return false;
  return true;
}

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

namespace {
int gStdoutError = 0; // the first reason a flush of standard output failed
} // namespace

bool FlushStandardOutput()
{
  errno = 0;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  if (gStdoutError == 0) gStdoutError = errno != 0 ? errno : EIO;
  return false;
}

int StandardOutputError()
{
  return gStdoutError;
}
