// `brindle play` on a real JACK server (jackd with the dummy driver, started here under a name of
// its own): its ports show in jack_lsp; a known signal sent through them comes back as `brindle
// render` makes it at the server's period; Ctrl-C ends it cleanly and keeps its settings for the
// next run; repeated runs leave nothing behind in the graph; the server dying ends it with a
// message; no server at all is one line and status 1 at once.
#include "tests/play/PlayTestSupport.h"

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <sndfile.h>

#include <atomic>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

using namespace playtest;

namespace {

constexpr int kRate = 48000, kPeriod = 256;

bool WriteWav(const std::string& path, const std::vector<std::vector<float>>& planar)
{
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  std::vector<float> interleaved;
  for (size_t i = 0; i < planar[0].size(); ++i)
    for (int c = 0; c < 2; ++c) interleaved.push_back(planar[c][i]);
  const bool ok = sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(planar[0].size())) ==
                  static_cast<sf_count_t>(planar[0].size());
  sf_close(file);
  return ok;
}

std::vector<std::vector<float>> ReadWav(const std::string& path)
{
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  std::vector<std::vector<float>> planar(2);
  if (!file || info.channels != 2) return planar;
  std::vector<float> interleaved(static_cast<size_t>(info.frames) * 2);
  sf_readf_float(file, interleaved.data(), info.frames);
  sf_close(file);
  for (size_t i = 0; i < interleaved.size(); ++i) planar[i % 2].push_back(interleaved[i]);
  return planar;
}

// The delay (0 to maxDelay frames) at which `recorded` best follows `expected`, and the largest
// difference there.
double BestAlignment(const std::vector<std::vector<float>>& recorded, const std::vector<std::vector<float>>& expected,
                     int maxDelay, int& delay)
{
  double best = INFINITY;
  for (int d = 0; d <= maxDelay; ++d) {
    double worst = 0;
    for (int c = 0; c < 2 && worst < best; ++c)
      for (size_t i = 0; i < expected[c].size() && worst < best; ++i) {
        const size_t at = i + static_cast<size_t>(d);
        worst = std::fmax(worst, std::fabs((at < recorded[c].size() ? recorded[c][at] : 0.0f) - expected[c][i]));
      }
    if (worst < best) {
      best = worst;
      delay = d;
    }
  }
  return best;
}

} // namespace

TEST(PlayJack, NoServerIsOneLineAndStatusOneAtOnce)
{
  const std::string folder = Folder();
  setenv("JACK_DEFAULT_SERVER", ("brindle-nobody-" + std::to_string(getpid())).c_str(), 1);
  const double start = Seconds();
  const Child play = Start({BRINDLE_EXE, "play", "--no-window"}, folder + "/play");
  EXPECT_EQ(Wait(play.pid, 10), 1);
  EXPECT_LT(Seconds() - start, 5.0);
  const std::string err = ReadText(play.err);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("no JACK server"), std::string::npos) << err;
  EXPECT_NE(err.find("jackd -d dummy"), std::string::npos) << err;
  EXPECT_EQ(ReadText(play.out), "");
  RemoveFolder(folder);
}

TEST(PlayJack, LiveOnADummyServer)
{
  if (!RequireJack()) return;
  const std::string folder = Folder();
  ASSERT_FALSE(folder.empty());
  setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
  DummyServer server(folder, kRate, kPeriod);
  ASSERT_TRUE(server.Ready()) << ReadText(folder + "/jackd.err");
  const std::vector<std::string> ports = {"pedal:in_1", "pedal:in_2", "pedal:out_1", "pedal:out_2"};

  // The signal: a decaying plucked-like tone on the left, a quieter fifth above on the right.
  constexpr int kFrames = kRate / 2;
  std::vector<std::vector<float>> signal(2, std::vector<float>(kFrames));
  for (int i = 0; i < kFrames; ++i) {
    const double t = static_cast<double>(i) / kRate, envelope = std::exp(-3.0 * t);
    signal[0][static_cast<size_t>(i)] = static_cast<float>(0.7 * envelope * std::sin(2 * M_PI * 110 * t));
    signal[1][static_cast<size_t>(i)] = static_cast<float>(0.3 * envelope * std::sin(2 * M_PI * 165 * t));
  }
  // The pedal has been running on silence before the signal reaches it, and the effect's resting
  // state is not the state it starts in; the rendering starts with a second of silence as well, long
  // enough for both to settle, and is compared from the signal on.
  constexpr int kSettle = kRate;
  std::vector<std::vector<float>> settled(2, std::vector<float>(kSettle, 0.0f));
  for (int c = 0; c < 2; ++c) settled[c].insert(settled[c].end(), signal[c].begin(), signal[c].end());
  ASSERT_TRUE(WriteWav(folder + "/in.wav", settled));
  int status = -1;
  // The signal through the pedal, once it has rested a while at this period, against `brindle
  // render` at the same block size.
  const auto compare = [&](int period, double restingSince) {
    SCOPED_TRACE("period " + std::to_string(period));
    Output({BRINDLE_EXE, "render", folder + "/in.wav", folder + "/rendered.wav", "--block", std::to_string(period)},
           folder + "/render", &status);
    ASSERT_EQ(status, 0) << ReadText(folder + "/render.err");
    std::vector<std::vector<float>> rendered = ReadWav(folder + "/rendered.wav");
    ASSERT_EQ(rendered[0].size(), static_cast<size_t>(kSettle + kFrames));
    for (auto& channel : rendered) channel.erase(channel.begin(), channel.begin() + kSettle);
    Loopback loop(signal, kFrames + 8 * period);
    ASSERT_TRUE(loop.Open());
    ASSERT_TRUE(loop.Connect("pedal"));
    while (Seconds() < restingSince + 1.5 * kSettle / kRate) usleep(20000);
    ASSERT_TRUE(loop.Run(10));
    int delay = -1;
    const double difference = BestAlignment(loop.Recorded(), rendered, 8 * period, delay);
    EXPECT_LE(difference, 1e-6) << "best at a delay of " << delay << " frames";
    EXPECT_EQ(delay % period, 0) << "the pedal delays by whole periods";
    std::printf("period %d: through the pedal %d frames later, largest difference %.3g\n", period, delay, difference);
  };

  {
    SCOPED_TRACE("the signal through the pedal, and again after the period grew");
    const double started = Seconds();
    const Child play = Start({BRINDLE_EXE, "play", "--no-window", "--client-name", "pedal"}, folder + "/play");
    const std::string listing = WaitForPorts(folder, ports);
    for (const std::string& p : ports) EXPECT_NE(listing.find(p + "\n"), std::string::npos) << listing;
    compare(kPeriod, started);
    // Larger than the unit was set up for: it is set up again, outside the process callback.
    const double resized = Seconds();
    Output({"jack_bufsize", std::to_string(2 * kPeriod)}, folder + "/bufsize", &status);
    ASSERT_EQ(status, 0) << ReadText(folder + "/bufsize.err");
    compare(2 * kPeriod, resized);
    kill(play.pid, SIGINT);
    EXPECT_EQ(Wait(play.pid, 10), 0) << ReadText(play.err);
    const std::string out = ReadText(play.out);
    EXPECT_NE(out.find("playing as 'pedal' at 48000 Hz, period 256 frames"), std::string::npos) << out;
    EXPECT_NE(out.find("now at 48000 Hz, period 512 frames"), std::string::npos) << out;
    EXPECT_NE(out.find("round-trip latency"), std::string::npos) << out;
    EXPECT_EQ(ReadText(play.err), "");
    Output({"jack_bufsize", std::to_string(kPeriod)}, folder + "/bufsize", &status);
  }
  {
    SCOPED_TRACE("settings kept between runs, a preset replacing them");
    Output({BRINDLE_EXE, "save-preset", folder + "/quiet.aupreset", "--level", "0.25"}, folder + "/save", &status);
    ASSERT_EQ(status, 0) << ReadText(folder + "/save.err");
    const struct
    {
      std::vector<std::string> extra;
      const char* level;
    } kRuns[] = {{{"--preset", folder + "/quiet.aupreset"}, "Level 0.25"}, {{}, "Level 0.25"}};
    for (const auto& run : kRuns) {
      std::vector<std::string> args = {BRINDLE_EXE, "play", "--no-window", "--client-name", "pedal"};
      args.insert(args.end(), run.extra.begin(), run.extra.end());
      const Child play = Start(args, folder + "/play");
      WaitForPorts(folder, ports);
      kill(play.pid, SIGTERM);
      EXPECT_EQ(Wait(play.pid, 10), 0) << ReadText(play.err);
      EXPECT_NE(ReadText(play.out).find(run.level), std::string::npos) << ReadText(play.out);
    }
    const std::string listing = Output({"ls", "-A", folder + "/config/brindle"}, folder + "/ls");
    EXPECT_EQ(listing, "Brindle.aupreset\n") << "only the settings, no temporary file";
  }
  {
    SCOPED_TRACE("start and stop, Brindle and Gain, mono and stereo");
    using Links = std::vector<std::pair<std::string, std::string>>;
    const struct
    {
      std::vector<std::string> extra;
      std::vector<std::string> ports;
      Links linked, apart; // (port, port listed under it) by jack_lsp -c
    } kRuns[] = {
        {{"--channels", "1"}, {"pedal:in", "pedal:out"}, {}, {}},
        {{"--component", GAIN_COMPONENT_BUNDLE}, ports, {}, {}},
        {{"--component", GAIN_COMPONENT_BUNDLE, "--channels", "1", "--input", "system:capture_2", "--output",
          "system:playback_1", "--output", "system:playback_2"},
         {"pedal:in", "pedal:out"},
         {{"system:capture_2", "pedal:in"}, {"pedal:out", "system:playback_1"}, {"pedal:out", "system:playback_2"}},
         {{"system:capture_1", "pedal:in"}}},
        {{"--channels", "1", "--connect"},
         {"pedal:in", "pedal:out"},
         {{"system:capture_1", "pedal:in"}, {"pedal:out", "system:playback_1"}, {"pedal:out", "system:playback_2"}},
         {{"system:capture_2", "pedal:in"}}},
        {{"--input", "system:capture_2"},
         ports,
         {{"system:capture_2", "pedal:in_1"}, {"system:capture_2", "pedal:in_2"}},
         {{"pedal:out_1", "system:playback_1"}}},
    };
    for (const auto& run : kRuns) {
      std::vector<std::string> args = {BRINDLE_EXE, "play", "--no-window", "--client-name", "pedal"};
      args.insert(args.end(), run.extra.begin(), run.extra.end());
      const Child play = Start(args, folder + "/play");
      const std::string listing = WaitForPorts(folder, run.ports);
      for (const std::string& p : run.ports) EXPECT_NE(listing.find(p + "\n"), std::string::npos) << listing;
      // The pedal connects its ports after it has registered them: wait for the links it should make.
      std::string connections;
      for (const double end = Seconds() + 10; Seconds() < end; usleep(50000)) {
        connections = Output({"jack_lsp", "-c"}, folder + "/lsp");
        bool all = true;
        for (const auto& [a, b] : run.linked) all = all && Connected(connections, a, b);
        if (all) break;
      }
      for (const auto& [a, b] : run.linked) EXPECT_TRUE(Connected(connections, a, b)) << a << " -> " << b;
      for (const auto& [a, b] : run.apart) EXPECT_FALSE(Connected(connections, a, b)) << a << " -> " << b;
      kill(play.pid, SIGINT);
      EXPECT_EQ(Wait(play.pid, 10), 0) << ReadText(play.err);
    }
    const std::string connections = Output({"jack_lsp", "-c"}, folder + "/lsp");
    EXPECT_EQ(connections.find("pedal"), std::string::npos) << "a stopped pedal left ports behind:\n" << connections;
    EXPECT_NE(ReadText(folder + "/config/brindle/Gain.aupreset"), "");
  }
  {
    SCOPED_TRACE("a port that is not there");
    int code = -1;
    Output({BRINDLE_EXE, "play", "--no-window", "--input", "nowhere:out"}, folder + "/play", &code);
    EXPECT_EQ(code, 1);
    EXPECT_NE(ReadText(folder + "/play.err").find("there is no port 'nowhere:out'"), std::string::npos);
  }
  {
    SCOPED_TRACE("the server going away");
    const Child play = Start({BRINDLE_EXE, "play", "--no-window", "--client-name", "pedal"}, folder + "/play");
    WaitForPorts(folder, ports);
    // Killed the way a system stops it (SIGKILL would leave the server's entry in JACK's shared
    // registry, which holds only a few, for every later server to trip over).
    server.Kill(SIGTERM);
    EXPECT_EQ(Wait(play.pid, 10), 1);
    const std::string err = ReadText(play.err);
    EXPECT_NE(err.find("the JACK server went away"), std::string::npos) << err;
  }
  RemoveFolder(folder);
}

TEST(PlayCommand, RefusesMalformedCommandLines)
{
  const struct
  {
    std::vector<std::string> args;
    const char* says;
  } kCases[] = {
      {{"--channels", "3"}, "--channels takes 1 or 2"},
      {{"--channels"}, "needs a value"},
      {{"--connect", "--input", "a:1"}, "alternatives"},
      {{"--client-name", ""}, "--client-name takes"},
      {{"--client-name", "a:b"}, "--client-name takes"},
      {{"--client-name", std::string(64, 'x')}, "--client-name takes"},
      {{"--input="}, "needs a port name"},
      {{"--loud"}, "unknown option"},
      {{"stray"}, "unexpected argument"},
  };
  const std::string folder = Folder();
  for (const auto& c : kCases) {
    std::vector<std::string> args = {BRINDLE_EXE, "play"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    int status = -1;
    Output(args, folder + "/usage", &status);
    const std::string err = ReadText(folder + "/usage.err");
    EXPECT_EQ(status, 2) << c.says;
    EXPECT_NE(err.find(c.says), std::string::npos) << err;
  }
  int status = -1;
  const std::string help = Output({BRINDLE_EXE, "play", "--help"}, folder + "/help", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(help.find("--no-window"), std::string::npos);
  RemoveFolder(folder);
}

// Start and stop, again and again: the server ends up holding what it held before (no client, port,
// socket or shared memory left over) and every run ends with status 0. A few cycles here; the soak
// runs a hundred (BRINDLE_PLAY_CYCLES=100).
TEST(PlayJack, StartStopCyclesLeaveNothingBehind)
{
  if (!RequireJack()) return;
  const char* cyclesText = std::getenv("BRINDLE_PLAY_CYCLES");
  const int cycles = cyclesText ? std::max(1, std::atoi(cyclesText)) : 4;
  const std::string folder = Folder();
  setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
  DummyServer server(folder, kRate, kPeriod);
  ASSERT_TRUE(server.Ready()) << ReadText(folder + "/jackd.err");
  const int held = server.OpenDescriptors();
  ASSERT_GT(held, 0);
  int clean = 0;
  for (int i = 0; i < cycles; ++i) {
    const Child play = Start({BRINDLE_EXE, "play", "--no-window", "--client-name", "pedal"}, folder + "/play");
    WaitForPorts(folder, {"pedal:in_1", "pedal:in_2", "pedal:out_1", "pedal:out_2"});
    kill(play.pid, i % 2 ? SIGTERM : SIGINT);
    clean += Wait(play.pid, 10) == 0;
  }
  EXPECT_EQ(clean, cycles) << ReadText(folder + "/play.err");
  // The server lets go of a client's resources once it has noticed the client is gone.
  int now = -1;
  for (const double end = Seconds() + 5; Seconds() < end && (now = server.OpenDescriptors()) != held;) usleep(50000);
  EXPECT_EQ(now, held) << "after " << cycles << " runs";
  EXPECT_EQ(Output({"jack_lsp"}, folder + "/lsp").find("pedal"), std::string::npos);
  RemoveFolder(folder);
}
