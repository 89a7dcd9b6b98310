// A private Xvfb for one test, programs run against it, and X window dumps read back as pixels.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace x11test {

inline bool OnPath(const std::string& program)
{
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  for (size_t start = 0; start <= dirs.size();) {
    const size_t colon = std::min(dirs.find(':', start), dirs.size());
    if (access((dirs.substr(start, colon - start) + "/" + program).c_str(), X_OK) == 0) return true;
    start = colon + 1;
  }
  return false;
}

// The first of the programs that is missing, or empty.
inline std::string Missing(const std::vector<std::string>& programs)
{
  for (const std::string& p : programs)
    if (!OnPath(p)) return p;
  return "";
}

// Programs started and not yet waited for. A test that ends early (an X error's exit, a failed
// assertion's return) must not leave them running: one that keeps the test's output open would keep
// ctest waiting for it until its timeout.
inline std::vector<pid_t>& Children()
{
  static std::vector<pid_t> children;
  return children;
}

inline void KillChildren()
{
  for (pid_t pid : Children()) kill(pid, SIGKILL);
  Children().clear();
}

// Starts a program; its standard output goes to `outFd` when given (>= 0), else nowhere, its errors
// nowhere when quiet.
inline pid_t Spawn(const std::vector<std::string>& args, const std::string& display, int outFd = -1, bool quiet = false)
{
  static const bool sCleanupInstalled = std::atexit(KillChildren) == 0;
  (void)sCleanupInstalled;
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("DISPLAY=", 0) != 0) env.push_back(*e);
  if (!display.empty()) env.push_back("DISPLAY=" + display);
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (outFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (quiet) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  if (pid > 0) Children().push_back(pid);
  return pid;
}

// The exit status, or -1 when it did not end within `seconds` (then it is killed).
inline int Wait(pid_t pid, double seconds = 20)
{
  if (pid <= 0) return -1;
  auto& children = Children();
  children.erase(std::remove(children.begin(), children.end(), pid), children.end());
  for (int waited = 0; waited < seconds * 100; ++waited) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    usleep(10000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

// Xvfb on a display number it picks itself, stopped at the end of the scope.
class Xvfb
{
public:
  explicit Xvfb(const std::string& screen = "640x480x24")
  {
    int fds[2];
    if (pipe(fds) != 0) return;
    mPid = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten", "tcp", "-noreset"},
                 "", -1, true);
    close(fds[1]);
    std::string number;
    pollfd p = {fds[0], POLLIN, 0};
    char c;
    while (poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!number.empty()) mDisplay = ":" + number;
  }
  ~Xvfb()
  {
    if (mPid > 0) {
      kill(mPid, SIGTERM);
      Wait(mPid, 5);
    }
  }
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;
  const std::string& Display() const { return mDisplay; }

private:
  pid_t mPid = -1;
  std::string mDisplay;
};

// Runs xdotool with these arguments against the display and waits for it.
inline int Xdotool(const std::string& display, const std::vector<std::string>& args)
{
  std::vector<std::string> all = {"xdotool"};
  all.insert(all.end(), args.begin(), args.end());
  return Wait(Spawn(all, display));
}

// An X window's pixels as 0xRRGGBB, read from an xwd dump.
struct WindowPixels
{
  int width = 0, height = 0, depth = 0;
  std::vector<uint32_t> rgb;
  uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

inline bool DumpWindow(const std::string& display, unsigned long window, WindowPixels& out)
{
  char path[] = "/tmp/brindle-xwd-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return false;
  const int status = Wait(Spawn({"xwd", "-silent", "-id", std::to_string(window)}, display, fd));
  std::vector<uint8_t> d;
  lseek(fd, 0, SEEK_SET);
  uint8_t buffer[65536];
  for (ssize_t n; (n = read(fd, buffer, sizeof(buffer))) > 0;) d.insert(d.end(), buffer, buffer + n);
  close(fd);
  unlink(path);
  if (status != 0 || d.size() < 100) return false;
  auto field = [&d](int i) {
    return uint32_t(d[i * 4]) << 24 | uint32_t(d[i * 4 + 1]) << 16 | uint32_t(d[i * 4 + 2]) << 8 | d[i * 4 + 3];
  };
  const uint32_t headerSize = field(0), width = field(4), height = field(5), byteOrder = field(7),
                 bitsPerPixel = field(11), bytesPerLine = field(12), redMask = field(14), greenMask = field(15),
                 blueMask = field(16), colours = field(19);
  const size_t start = headerSize + size_t(colours) * 12;
  if (bitsPerPixel != 32 || start + size_t(bytesPerLine) * height > d.size()) return false;
  auto channel = [](uint32_t v, uint32_t mask) {
    int shift = 0;
    while (mask && !((mask >> shift) & 1)) ++shift;
    return (v & mask) >> shift;
  };
  out.width = int(width);
  out.height = int(height);
  out.depth = int(field(3));
  out.rgb.assign(size_t(width) * height, 0);
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t* p = &d[start + size_t(y) * bytesPerLine + x * 4];
      const uint32_t v = byteOrder ? (uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3])
                                   : (uint32_t(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0]);
      out.rgb[size_t(y) * width + x] = channel(v, redMask) << 16 | channel(v, greenMask) << 8 | channel(v, blueMask);
    }
  return true;
}

} // namespace x11test
