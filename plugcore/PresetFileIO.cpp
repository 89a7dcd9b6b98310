// Reading and writing preset files whole: the size limit on the way in, and a
// temporary file renamed into place on the way out, so that a failed or
// interrupted save never leaves a half-written preset under the real name.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "plugcore/PresetFiles.h"

namespace {

bool Fail(std::string* error, const char* what, const char* path, int err)
{
  if (error) *error = std::string("cannot ") + what + " '" + (path ? path : "") + "': " + std::strerror(err);
  return false;
}

} // namespace

bool ReadPresetFile(const char* path, PresetFileBytes* out, std::string* error)
{
  if (!path || !*path) return Fail(error, "read", path, ENOENT);
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Fail(error, "read", path, errno);
  // Read one byte past the limit rather than trusting the size: the file may grow.
  PresetFileBytes bytes(static_cast<size_t>(kPresetFileMaxBytes) + 1);
  size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      close(fd);
      return Fail(error, "read", path, err);
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
  if (got > static_cast<size_t>(kPresetFileMaxBytes)) {
    if (error) *error = std::string("'") + path + "' is larger than the 1 MiB preset file limit";
    return false;
  }
  bytes.resize(got);
  *out = std::move(bytes);
  return true;
}

bool WritePresetFile(const char* path, const PresetFileBytes& bytes, std::string* error)
{
  if (!path || !*path) return Fail(error, "write", path, ENOENT);
  std::string temp = std::string(path) + ".tmp-XXXXXX";
  const int fd = mkstemp(&temp[0]);
  if (fd < 0) return Fail(error, "write", path, errno);
  // mkstemp makes the file private; a preset gets the permissions of any new file.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  size_t written = 0;
  int err = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      err = n < 0 ? errno : EIO;
      break;
    }
    written += static_cast<size_t>(n);
  }
  if (!err && fsync(fd) != 0) err = errno;
  if (close(fd) != 0 && !err) err = errno;
  if (!err && std::rename(temp.c_str(), path) != 0) err = errno;
  if (err) {
    unlink(temp.c_str());
    return Fail(error, "write", path, err);
  }
  return true;
}
