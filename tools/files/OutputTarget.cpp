// Output target resolution, same-file and kind checks.
#include "tools/files/OutputTarget.h"

#include "tools/files/OutputFiles.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Names that stand for an already open descriptor: reopening them writes into whatever the
// caller's shell connected, which renaming would break.
bool NamesOpenDescriptor(const std::string& path)
{
  for (const char* prefix : {"/dev/stdout", "/dev/stderr", "/dev/fd/", "/proc/self/fd/"})
    if (path.compare(0, std::strlen(prefix), prefix) == 0) return true;
  return false;
}

bool StartsWith(const std::string& bytes, const char* prefix)
{
  return bytes.compare(0, std::strlen(prefix), prefix) == 0;
}

} // namespace

bool ResolveOutputTarget(const std::string& given, OutputTarget& target, std::string& error)
{
  if (given.empty()) {
    error = "the output name is empty";
    return false;
  }
  if (given == "-" || NamesOpenDescriptor(given)) {
    target = {OutputKind::kStream, given};
    return true;
  }
  std::string path = given;
  // Follow the chain of links by hand so a dangling link's target is what gets created.
  for (int hops = 0;; ++hops) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
      if (errno == ENOENT) break;
      error = "cannot use '" + given + "' as output: " + std::strerror(errno);
      return false;
    }
    if (!S_ISLNK(st.st_mode)) {
      if (S_ISDIR(st.st_mode)) {
        error = "'" + given + "' is a folder, not a file";
        return false;
      }
      if (!S_ISREG(st.st_mode)) {
        target = {OutputKind::kStream, path};
        return true;
      }
      break;
    }
    if (hops >= 40) {
      error = "cannot use '" + given + "' as output: too many levels of symbolic links";
      return false;
    }
    char link[PATH_MAX];
    const ssize_t n = readlink(path.c_str(), link, sizeof link - 1);
    if (n <= 0) {
      error = "cannot follow the link '" + path + "': " + std::strerror(errno);
      return false;
    }
    const std::string next(link, static_cast<size_t>(n));
    path = next[0] == '/' ? next : FolderOf(path) + "/" + next;
    if (NamesOpenDescriptor(path)) {
      target = {OutputKind::kStream, path};
      return true;
    }
  }
  target = {OutputKind::kReplace, path};
  return true;
}

int OpenStreamOutput(const OutputTarget& target, std::string& error)
{
  const int fd = target.path == "-" ? dup(STDOUT_FILENO)
                                    : open(target.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) error = "cannot write '" + target.path + "': " + std::strerror(errno);
  return fd;
}

bool IsSameFile(const std::string& a, const std::string& b)
{
  // "-" is whatever standard input or output was redirected from or to, perhaps the other file.
  const auto statOf = [](const std::string& path, int fd, struct stat& st) {
    return path == "-" ? fstat(fd, &st) == 0 : stat(path.c_str(), &st) == 0;
  };
  struct stat sa, sb;
  if (a.empty() || !statOf(a, STDIN_FILENO, sa) || !statOf(b, STDOUT_FILENO, sb)) return false;
  // Devices such as /dev/null can be read and written in one run without harm.
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino && S_ISREG(sa.st_mode);
}

bool CheckOutputIsNoInput(const std::vector<std::string>& inputs, const std::string& output, std::string& error)
{
  for (const std::string& input : inputs) {
    if (IsSameFile(input, output)) {
      error = "the output '" + output + "' is the input '" + input + "'; write to another file";
      return false;
    }
  }
  return true;
}

bool CheckReplacesSameKind(const std::string& output, OutputContent kind, std::string& error)
{
  OutputTarget target;
  if (!ResolveOutputTarget(output, target, error)) return false;
  if (target.kind == OutputKind::kStream) return true;
  const int fd = open(target.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return true; // a new path; any other trouble shows when writing
  char head[16];
  const ssize_t n = read(fd, head, sizeof head);
  close(fd);
  if (n <= 0) return true;
  const std::string bytes(head, static_cast<size_t>(n));
  bool same = false;
  const char* what = "";
  if (kind == OutputContent::kPng) {
    same = StartsWith(bytes, "\x89PNG\r\n\x1a\n");
    what = "a PNG picture";
  } else if (kind == OutputContent::kProgramOrBank) {
    same = StartsWith(bytes, "CcnK");
    what = "a program or bank file";
  } else {
    size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start < bytes.size() && std::strchr(" \t\r\n", bytes[start])) ++start;
    same = StartsWith(bytes.substr(start), "<?xml") || StartsWith(bytes.substr(start), "<plist") ||
           StartsWith(bytes, "bplist00");
    what = "a property list";
  }
  if (same) return true;
  error = "'" + output + "' exists and is not " + what + "; give --force to replace it";
  return false;
}
