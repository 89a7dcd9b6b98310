// `brindle editor` without --snapshot: a window on the display, a line per change as the user makes
// it, and a clean exit when the window goes away or on Ctrl-C.
#include <fcntl.h>
#include <poll.h>

#include <csignal>

#include "tests/x11/X11TestSupport.h"

namespace {

// Reads what the program printed within `seconds`, until `until` shows up.
std::string ReadFor(int fd, double seconds, const std::string& until)
{
  std::string text;
  for (int waited = 0; waited < seconds * 50 && text.find(until) == std::string::npos; ++waited) {
    pollfd p = {fd, POLLIN, 0};
    if (poll(&p, 1, 20) <= 0) continue;
    char buffer[256];
    const ssize_t n = read(fd, buffer, sizeof(buffer));
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  return text;
}

TEST(X11Command, EditorWindowPrintsChangesAndEndsOnCloseOrInterrupt)
{
  X11_REQUIRE_TOOLS();
  x11test::Xvfb server;
  ASSERT_FALSE(server.Display().empty());
  struct Case
  {
    const char* how;
    bool interrupt; // else the window is destroyed, as a window manager's close does
  };
  for (const Case c : {Case{"closed", false}, Case{"interrupted", true}}) {
    SCOPED_TRACE(c.how);
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t editor = x11test::Spawn({BRINDLE_EXE, "editor"}, server.Display(), out[1]);
    close(out[1]);
    // The footswitch, then the Level knob turned up one wheel notch.
    EXPECT_EQ(x11test::Xdotool(server.Display(), {"search", "--sync", "--onlyvisible", "--name", "^Brindle$",
                                                  "mousemove", "--window", "%1", "106", "199", "click", "1",
                                                  "mousemove", "--window", "%1", "57", "133", "click", "4"}),
              0);
    const std::string printed = ReadFor(out[0], 5, "Level");
    EXPECT_NE(printed.find("Effect 0 \"Off\"\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("Level 0.51 \"0.510\"\n"), std::string::npos) << printed;
    if (c.interrupt)
      kill(editor, SIGINT);
    else
      x11test::Xdotool(server.Display(), {"search", "--name", "^Brindle$", "windowclose", "%1"});
    EXPECT_EQ(x11test::Wait(editor, 5), 0);
    close(out[0]);
  }
}

} // namespace
