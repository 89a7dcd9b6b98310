// The naming and finishing steps shared by the sound and picture writers.
#include "tools/files/OutputFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// Rewrites path in place with the finished temporary file's bytes, so every hard link to it sees
// the new contents; the file is touched only once the output is complete.
bool CopyOverInPlace(const std::string& temp, const std::string& path, std::string& error)
{
  const int in = open(temp.c_str(), O_RDONLY | O_CLOEXEC);
  const int out = in < 0 ? -1 : open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  bool ok = out >= 0;
  char buffer[1 << 16];
  while (ok) {
    const ssize_t n = read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    for (ssize_t done = 0; ok && done < n;) {
      const ssize_t w = write(out, buffer + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      ok = w > 0;
      done += ok ? w : 0;
    }
  }
  const int savedErrno = errno;
  if (out >= 0 && close(out) != 0) ok = false;
  if (in >= 0) close(in);
  if (!ok) {
    error = "cannot write '" + path + "': " + std::strerror(savedErrno);
    return false;
  }
  unlink(temp.c_str());
  return true;
}

} // namespace

bool MoveOutputIntoPlace(const std::string& temp, const std::string& path, std::string& error)
{
  struct stat old;
  if (stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    // A replaced file keeps its owner (where allowed: root, or a group the user is in) and its mode.
    if (chown(temp.c_str(), geteuid() == 0 ? old.st_uid : static_cast<uid_t>(-1), old.st_gid) != 0) {
      // Not fatal: the file then belongs to whoever wrote it, as any new file does.
    }
    chmod(temp.c_str(), old.st_mode & 07777);
    if (old.st_nlink > 1) return CopyOverInPlace(temp, path, error);
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    chmod(temp.c_str(), 0666 & ~mask);
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    error = "cannot move the output into place at '" + path + "': " + std::strerror(errno);
    return false;
  }
  return true;
}
