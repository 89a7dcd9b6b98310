// `brindle play` with its window, under a private Xvfb: dragging the editor's Level knob (below the
// host strip) with xdotool changes what comes out of the pedal's ports, and closing the window or
// Ctrl-C ends it cleanly. `--snapshot` draws the same window, strip included, into a picture.
#include "tests/play/PlayTestSupport.h"
#include "tests/x11/XServer.h"

#include <cmath>
#include <csignal>
#include <cstdio>

using namespace playtest;

namespace {

constexpr int kStripHeight = 68, kEditorWidth = 208, kEditorHeight = 326;

// The root-mean-square of a recording after its first periods (the pedal's delay).
double Rms(const std::vector<float>& samples, size_t skip)
{
  double sum = 0;
  for (size_t i = skip; i < samples.size(); ++i) sum += double(samples[i]) * samples[i];
  return samples.size() > skip ? std::sqrt(sum / double(samples.size() - skip)) : 0;
}

// A quarter second of a steady tone through the pedal; the RMS of what came back.
double ToneThrough(const std::string& pedal)
{
  const int frames = 12000;
  std::vector<std::vector<float>> tone(2, std::vector<float>(frames));
  for (int i = 0; i < frames; ++i) tone[0][size_t(i)] = tone[1][size_t(i)] = float(0.05 * std::sin(0.0573 * i));
  Loopback loop(tone, frames);
  if (!loop.Open() || !loop.Connect(pedal) || !loop.Run(10)) return -1;
  return Rms(loop.Recorded()[0], 2048);
}

// The width and height a PNG file's header gives; 0 x 0 when it is not one.
std::pair<int, int> PngSize(const std::string& path)
{
  const std::string bytes = ReadText(path);
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
  const auto word = [&bytes](size_t at) {
    return int(uint8_t(bytes[at])) << 24 | int(uint8_t(bytes[at + 1])) << 16 | int(uint8_t(bytes[at + 2])) << 8 |
           int(uint8_t(bytes[at + 3]));
  };
  return {word(16), word(20)};
}

} // namespace

TEST(PlayWindow, KnobDragChangesTheSoundAndTheWindowEndsCleanly)
{
  if (!RequireJack()) return;
  const std::string missing = x11test::Missing({"Xvfb", "xdotool"});
  ASSERT_TRUE(missing.empty()) << missing << " is not installed (scripts/packages.txt)";
  const std::string folder = Folder();
  setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
  DummyServer server(folder, 48000, 256);
  ASSERT_TRUE(server.Ready()) << ReadText(folder + "/jackd.err");
  x11test::Xvfb x;
  ASSERT_FALSE(x.Display().empty());
  setenv("DISPLAY", x.Display().c_str(), 1);

  for (const bool interrupt : {false, true}) {
    SCOPED_TRACE(interrupt ? "ended by Ctrl-C" : "ended by closing the window");
    // Each run from the default settings, not from what the one before kept.
    std::remove((folder + "/config/brindle/Brindle.aupreset").c_str());
    const Child play = Start({BRINDLE_EXE, "play", "--client-name", "pedal"}, folder + "/play");
    WaitForPorts(folder, {"pedal:in_1", "pedal:out_1"});
    ASSERT_EQ(x11test::Xdotool(x.Display(), {"search", "--sync", "--onlyvisible", "--name", "^Brindle$"}), 0);
    const double before = ToneThrough("pedal");
    // The Level knob, below the strip: up by 60 pixels.
    const std::string knobX = "57", knobY = std::to_string(kStripHeight + 133);
    EXPECT_EQ(x11test::Xdotool(x.Display(), {"search",
                                             "--sync",
                                             "--onlyvisible",
                                             "--name",
                                             "^Brindle$",
                                             "mousemove",
                                             "--window",
                                             "%1",
                                             knobX,
                                             knobY,
                                             "mousedown",
                                             "1",
                                             "mousemove",
                                             "--window",
                                             "%1",
                                             knobX,
                                             std::to_string(kStripHeight + 103),
                                             "mousemove",
                                             "--window",
                                             "%1",
                                             knobX,
                                             std::to_string(kStripHeight + 73),
                                             "mouseup",
                                             "1"}),
              0);
    usleep(200000);
    const double after = ToneThrough("pedal");
    EXPECT_GT(before, 0.0);
    EXPECT_GT(after, before * 1.2) << "before " << before << ", after " << after;
    if (interrupt)
      kill(play.pid, SIGINT);
    else
      x11test::Xdotool(x.Display(), {"search", "--name", "^Brindle$", "windowclose", "%1"});
    EXPECT_EQ(Wait(play.pid, 10), 0) << ReadText(play.err);
    EXPECT_NE(ReadText(play.out).find("Level 0."), std::string::npos) << ReadText(play.out);
  }
  unsetenv("DISPLAY");

  // The window off screen: the editor at its size and the strip above it.
  int status = -1;
  Output({BRINDLE_EXE, "play", "--snapshot", folder + "/window.png", "--client-name", "pedal"}, folder + "/snap",
         &status);
  EXPECT_EQ(status, 0) << ReadText(folder + "/snap.err");
  EXPECT_EQ(PngSize(folder + "/window.png"), std::make_pair(kEditorWidth, kEditorHeight + kStripHeight));

  // The server going away while the window is open ends it too, with the message.
  setenv("DISPLAY", x.Display().c_str(), 1);
  const Child play = Start({BRINDLE_EXE, "play", "--client-name", "pedal"}, folder + "/play");
  ASSERT_EQ(x11test::Xdotool(x.Display(), {"search", "--sync", "--onlyvisible", "--name", "^Brindle$"}), 0);
  server.Kill(SIGTERM);
  EXPECT_EQ(Wait(play.pid, 10), 1);
  EXPECT_NE(ReadText(play.err).find("the JACK server went away"), std::string::npos) << ReadText(play.err);
  unsetenv("DISPLAY");
  RemoveFolder(folder);
}
