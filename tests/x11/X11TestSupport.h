// What the X11 backend tests share: a private X server with the backend installed on it, and a
// run loop that runs on the real clock for a while.
#pragma once

#include <AppKit/AppKit.h>
#include <BrindleHost/X11Backend.h>
#include <Foundation/NSRunLoop.h>
#include <gtest/gtest.h>

#include <memory>

#include "tests/x11/XServer.h"

namespace x11test {

// Runs the run loop (events, timers, display) for `seconds` of real time.
inline void Pump(double seconds)
{
  NSRunLoop* loop = NSRunLoop::mainRunLoop();
  const double end = loop->now() + seconds;
  while (loop->now() < end) loop->runUntilTime(end);
}

// Skips the test, saying which program is missing, when the X tools are not installed. A modal
// window that xdotool failed to answer would wait forever: the alarm ends the process instead.
#define X11_REQUIRE_TOOLS()                                                                                            \
  do {                                                                                                                 \
    const std::string missing = x11test::Missing({"Xvfb", "xdotool", "xwd"});                                          \
    if (!missing.empty()) GTEST_SKIP() << missing << " is not installed (scripts/packages.txt)";                       \
    alarm(60);                                                                                                         \
  } while (0)

// An Xvfb with the X11 backend installed on it for the scope; the headless backend comes back after.
class BackendOnXvfb
{
public:
  explicit BackendOnXvfb(int depth = 0)
  {
    if (mServer.Display().empty()) return;
    BrindleHost::X11Options options;
    options.mDisplay = mServer.Display();
    options.mDepth = depth;
    std::string error;
    auto backend = BrindleHost::MakeX11Backend(options, &error);
    if (!backend) return;
    BrindleHost::SetBackend(std::move(backend));
    mReady = true;
  }
  ~BackendOnXvfb()
  {
    if (mReady) BrindleHost::SetBackend(nullptr);
  }
  bool Ready() const { return mReady; }
  const std::string& Display() const { return mServer.Display(); }

private:
  Xvfb mServer;
  bool mReady = false;
};

} // namespace x11test
