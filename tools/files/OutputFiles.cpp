// The naming, writing and finishing steps shared by every output of the brindle command.
#include "tools/files/OutputFiles.h"

#include "tools/files/OutputTarget.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The one temporary file in flight, for the signal handler (async-signal-safe access only).
char gTempPath[PATH_MAX + 1];
std::atomic<bool> gTempActive{false};

void RemoveTempAndExit(int sig)
{
  if (gTempActive.load()) unlink(gTempPath);
  signal(sig, SIG_DFL);
  raise(sig);
}

bool WriteFully(int fd, const char* p, size_t count)
{
  while (count > 0) {
    const ssize_t n = write(fd, p, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    p += n;
    count -= static_cast<size_t>(n);
  }
  return true;
}

// Copies all of from's bytes over to's from the start and cuts to to that length; errno on failure.
bool CopyContents(int from, int to)
{
  if (lseek(from, 0, SEEK_SET) < 0 || lseek(to, 0, SEEK_SET) < 0) return false;
  char buffer[1 << 16];
  off_t total = 0;
  for (;;) {
    const ssize_t n = read(from, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    if (!WriteFully(to, buffer, static_cast<size_t>(n))) return false;
    total += n;
  }
  return ftruncate(to, total) == 0 && fsync(to) == 0;
}

// Rewrites the hard-linked file at path with temp's bytes so every link sees them. The old bytes
// are first copied beside it, so that a copy cut short (a full disk, a write error) can be undone.
bool CopyOverLinkedFile(const std::string& temp, const std::string& path, std::string& error)
{
  const int in = open(temp.c_str(), O_RDONLY | O_CLOEXEC);
  const int out = in < 0 ? -1 : open(path.c_str(), O_RDWR | O_CLOEXEC);
  struct stat newSt
  {};
  if (out < 0 || fstat(in, &newSt) != 0) {
    error = WriteFailure(path, errno);
    if (in >= 0) close(in);
    return false;
  }
  std::string backup = TempPatternFor(path);
  const int saved = mkstemp(&backup[0]);
  bool ok = saved >= 0 && CopyContents(out, saved);
  if (!ok) {
    error = WriteFailure(path, errno) + " (no room for a copy of the old bytes; the file is unchanged)";
  } else {
    // Where the file system can, the room for the new bytes is taken before any old byte changes.
    if (newSt.st_size > 0 && fallocate(out, FALLOC_FL_KEEP_SIZE, 0, newSt.st_size) != 0 &&
        (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) {
      ok = false;
      error = WriteFailure(path, errno) + " (the file is unchanged)";
    }
  }
  if (ok && !CopyContents(in, out)) {
    ok = false;
    const int err = errno;
    if (CopyContents(saved, out)) {
      error = WriteFailure(path, err) + " (the file is unchanged)";
    } else {
      error = WriteFailure(path, err) + "; its old bytes are kept in '" + backup + "'";
      backup.clear();
    }
  }
  if (saved >= 0) close(saved);
  if (saved >= 0 && !backup.empty()) unlink(backup.c_str());
  close(in);
  if (close(out) != 0 && ok) {
    ok = false;
    error = WriteFailure(path, errno);
  }
  if (ok) unlink(temp.c_str());
  return ok;
}

} // namespace

std::string WriteFailure(const std::string& name, int err)
{
  return "cannot write '" + name + "': " + std::strerror(err);
}

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
  const std::string named = "." + base + ".tmp-XXXXXX";
  return FolderOf(path) + "/" + (named.size() <= NAME_MAX ? named : ".brindle-XXXXXX");
}

bool MoveOutputIntoPlace(const std::string& temp, const std::string& path, std::string& error)
{
  struct stat old;
  if (stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    // A replaced file keeps its owner (where allowed: root, or a group the user is in) and its mode.
    if (chown(temp.c_str(), geteuid() == 0 ? old.st_uid : static_cast<uid_t>(-1), old.st_gid) != 0) {
      // Not fatal: the file then belongs to whoever wrote it, as any new file does.
    }
    chmod(temp.c_str(), old.st_mode & 07777);
    if (old.st_nlink > 1) return CopyOverLinkedFile(temp, path, error);
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

void InstallTempFileCleanup()
{
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) std::signal(sig, RemoveTempAndExit);
}

SafeOutput::~SafeOutput()
{
  Abandon();
}

bool SafeOutput::Open(const std::string& name, std::string& error)
{
  Abandon();
  OutputTarget target;
  if (!ResolveOutputTarget(name, target, error)) return false;
  mName = name;
  mStream = target.kind == OutputKind::kStream;
  if (mStream) {
    mFd = OpenStreamOutput(target, error);
    return mFd >= 0;
  }
  mPath = target.path;
  std::string temp = TempPatternFor(mPath);
  if (temp.size() >= sizeof gTempPath) {
    error = "cannot write '" + name + "': " + std::strerror(ENAMETOOLONG);
    return false;
  }
  mFd = mkstemp(&temp[0]);
  if (mFd < 0) {
    error = "cannot create '" + name + "': " + std::strerror(errno);
    return false;
  }
  mTemp = temp;
  std::strcpy(gTempPath, mTemp.c_str());
  gTempActive.store(true);
  return true;
}

bool SafeOutput::WriteAll(const void* bytes, size_t count, std::string& error)
{
  if (mFd >= 0 && WriteFully(mFd, static_cast<const char*>(bytes), count)) return true;
  error = WriteFailure(mName, mFd >= 0 ? errno : EBADF);
  return false;
}

bool SafeOutput::Commit(std::string& error)
{
  if (mFd < 0) {
    error = WriteFailure(mName, EBADF);
    return false;
  }
  // A pipe or terminal cannot be synced; a file or a device (/dev/full among them) must be.
  const bool synced = fsync(mFd) == 0 || errno == EINVAL || errno == EROFS;
  const int syncErr = errno;
  const bool closed = close(mFd) == 0;
  const int closeErr = errno;
  mFd = -1;
  if (!synced || !closed) {
    error = WriteFailure(mName, !synced ? syncErr : closeErr);
    Abandon();
    return false;
  }
  if (mStream) return true;
  if (!MoveOutputIntoPlace(mTemp, mPath, error)) {
    Abandon();
    return false;
  }
  mTemp.clear();
  gTempActive.store(false);
  return true;
}

void SafeOutput::Abandon()
{
  if (mFd >= 0) close(mFd);
  mFd = -1;
  if (!mTemp.empty()) {
    unlink(mTemp.c_str());
    mTemp.clear();
    gTempActive.store(false);
  }
}

bool WriteOutputFile(const std::string& path, const std::string& bytes, std::string& error)
{
  SafeOutput out;
  return out.Open(path, error) && out.WriteAll(bytes.data(), bytes.size(), error) && out.Commit(error);
}
