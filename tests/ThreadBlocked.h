#pragma once
// WaitUntilThreadBlocks: returns once the thread with the given kernel id is asleep in the kernel
// (state 'S' or 'D' in /proc), which for a thread whose only remaining step is taking a lock means
// it is waiting for that lock. Tests use it to prove that a call waits for a held mutex without
// guessing how long the other thread needs to get there. It also returns once the thread has ended
// (a call that never waited), so a test that expects the wait fails instead of hanging.
#include <sys/syscall.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <thread>

inline pid_t CurrentThreadKernelId()
{
  return static_cast<pid_t>(::syscall(SYS_gettid));
}

inline char ThreadState(pid_t tid)
{
  std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
  if (!stat) return 'X'; // gone
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // The state follows the parenthesised command name, which may itself contain spaces.
  const std::string::size_type close = text.rfind(')');
  return close == std::string::npos || close + 2 >= text.size() ? '?' : text[close + 2];
}

inline void WaitUntilThreadBlocks(pid_t tid)
{
  for (;;) {
    const char state = ThreadState(tid);
    if (state == 'S' || state == 'D' || state == 'X' || state == 'Z') return;
    std::this_thread::yield();
  }
}
