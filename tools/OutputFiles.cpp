// The naming and finishing steps shared by the sound and picture writers.
#include "tools/OutputFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string TempPatternFor(const std::string& path)
{
  const std::string base = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
  return FolderOf(path) + "/." + base + ".tmp-XXXXXX";
}

bool MoveOutputIntoPlace(const std::string& temp, const std::string& path, std::string& error)
{
  const mode_t mask = umask(0);
  umask(mask);
  chmod(temp.c_str(), 0666 & ~mask);
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    error = "cannot move the output into place at '" + path + "': " + std::strerror(errno);
    return false;
  }
  return true;
}
