#include "plugcore/Version.h"

#include <cstdio>

void GetVersionParts(int version, int* major, int* minor, int* revision)
{
  const unsigned int v = static_cast<unsigned int>(version);
  if (major) *major = static_cast<int>(v >> 16);
  if (minor) *minor = static_cast<int>((v >> 8) & 0xFF);
  if (revision) *revision = static_cast<int>(v & 0xFF);
}

int GetDecimalVersion(int version)
{
  int major = 0, minor = 0, revision = 0;
  GetVersionParts(version, &major, &minor, &revision);
  return 10000 * major + 100 * minor + revision;
}

void GetVersionStr(int version, char* out)
{
  if (!out) return;
  int major = 0, minor = 0, revision = 0;
  GetVersionParts(version, &major, &minor, &revision);
  std::snprintf(out, kVersionStrSize, "v%d.%d.%d", major, minor, revision);
}
