// The pedal's audio path without a server: the unit rendered through fast dispatch as the process
// callback renders it. It must give what a host gets through the render entry, touch no allocator
// and take no lock (the probe intercepts both in this program, the loaded bundle included), go
// silent rather than overrun when a period is larger than the unit was set up for or while it is
// suspended, and its settings must survive in the settings folder.
#include "tools/play/LiveUnit.h"
#include "tools/play/PedalEngine.h"
#include "tools/play/PlayState.h"
#include "tools/validate/RealtimeProbe.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Bundle
{
  const char* name;
  const char* path;
};
const Bundle kBundles[] = {{"Brindle", BRINDLE_COMPONENT_BUNDLE}, {"Gain", GAIN_COMPONENT_BUNDLE}};

// Planar buffers for `channels` channels of `frames` frames and the pointer arrays to them.
struct Planar
{
  Planar(int channels, int frames) : data(static_cast<size_t>(channels), std::vector<float>(frames))
  {
    for (auto& d : data) ptr.push_back(d.data());
  }
  std::vector<std::vector<float>> data;
  std::vector<float*> ptr;
};

void Fill(Planar& p, int block)
{
  for (size_t c = 0; c < p.data.size(); ++c)
    for (size_t i = 0; i < p.data[c].size(); ++i)
      p.data[c][i] = 0.6f * static_cast<float>(std::sin(0.013 * (block * 997 + i) * (c + 1)));
}

bool OpenLive(const Bundle& bundle, LiveUnit& unit, int channels, int maxFrames)
{
  Component component = nullptr;
  std::string error;
  const bool ok = LoadEffectComponent(bundle.path, component, error) && unit.Open(component, error) &&
                  unit.Configure(48000.0, channels, maxFrames, error);
  EXPECT_TRUE(ok) << bundle.name << ": " << error;
  return ok;
}

} // namespace

TEST(PlayEngine, FastDispatchMatchesTheEntryAndNeitherAllocatesNorLocks)
{
  constexpr int kFrames = 256, kBlocks = 400;
  for (const Bundle& bundle : kBundles)
    for (int channels : {1, 2}) {
      SCOPED_TRACE(std::string(bundle.name) + " " + std::to_string(channels) + " channel(s)");
      LiveUnit live, reference;
      if (!OpenLive(bundle, live, channels, kFrames) || !OpenLive(bundle, reference, channels, kFrames)) continue;
      // The reference goes through the entry, as `brindle render` does.
      HostFormat format;
      format.sampleRate = 48000.0;
      format.inChannels = format.outChannels = channels;
      format.maxFrames = kFrames;
      ComponentHost& host = reference.Host();
      host.Uninitialize();
      ASSERT_EQ(host.Configure(format), noErr);
      ASSERT_EQ(host.Initialize(), noErr);

      PedalEngine engine(live);
      engine.Resume();
      Planar in(channels, kFrames), out(channels, kFrames), expected(channels, kFrames);
      double worst = 0;
      RealtimeCounts counts;
      for (int block = 0; block < kBlocks; ++block) {
        Fill(in, block);
        {
          RealtimeProbe probe;
          engine.Cycle(in.ptr.data(), out.ptr.data(), channels, kFrames);
          const RealtimeCounts c = probe.Counts();
          counts.allocations += c.allocations;
          counts.frees += c.frees;
          counts.locks += c.locks;
        }
        ASSERT_EQ(host.Render(in.ptr.data(), expected.ptr.data(), kFrames), noErr);
        for (int c = 0; c < channels; ++c)
          for (int i = 0; i < kFrames; ++i) worst = std::fmax(worst, std::fabs(out.data[c][i] - expected.data[c][i]));
      }
      // Each instance adds its own inaudible noise floor against denormal numbers; nothing more.
      EXPECT_LT(worst, 1e-6);
      EXPECT_EQ(counts.allocations, 0);
      EXPECT_EQ(counts.frees, 0);
      EXPECT_EQ(counts.locks, 0);
      EXPECT_GT(engine.TakeOutputPeak(), 0.0f);
      EXPECT_EQ(engine.TakeOutputPeak(), 0.0f) << "the peak is taken once";
      EXPECT_EQ(engine.Failures(), 0);
    }
}

TEST(PlayEngine, SilenceWhileSuspendedOrWhenThePeriodOutgrowsTheUnit)
{
  LiveUnit live;
  if (!OpenLive(kBundles[0], live, 2, 128)) return;
  PedalEngine engine(live);
  const struct
  {
    const char* what;
    bool resumed;
    int frames;
    bool silent;
  } kCases[] = {
      {"never resumed", false, 128, true},
      {"resumed, a period it takes", true, 128, false},
      {"a period longer than it was set up for", true, 512, true},
      {"a shorter period", true, 64, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    if (c.resumed) engine.Resume();
    Planar in(2, c.frames), out(2, c.frames);
    Fill(in, 1);
    for (auto& d : out.data) std::fill(d.begin(), d.end(), 7.0f); // garbage the server might leave
    engine.Cycle(in.ptr.data(), out.ptr.data(), 2, c.frames);
    bool silent = true;
    for (auto& d : out.data)
      for (float v : d) silent = silent && v == 0.0f;
    EXPECT_EQ(silent, c.silent);
  }
  engine.Suspend();
  Planar in(2, 128), out(2, 128);
  Fill(in, 2);
  engine.Cycle(in.ptr.data(), out.ptr.data(), 2, 128);
  for (auto& d : out.data)
    for (float v : d) EXPECT_EQ(v, 0.0f);
  // Reconfigured for the longer period, it renders it.
  std::string error;
  ASSERT_TRUE(live.Configure(48000.0, 2, 512, error)) << error;
  engine.Resume();
  Planar bigIn(2, 512), bigOut(2, 512);
  Fill(bigIn, 3);
  engine.Cycle(bigIn.ptr.data(), bigOut.ptr.data(), 2, 512);
  EXPECT_GT(engine.TakeOutputPeak(), 0.0f);
}

TEST(PlayState, SettingsFolderAndAtomicRoundTrip)
{
  const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
  const char* savedHome = std::getenv("HOME");
  const std::string keepXdg = savedXdg ? savedXdg : "", keepHome = savedHome ? savedHome : "";
  const struct
  {
    const char* xdg;  // null: unset
    const char* home; // null: unset
    const char* folder;
  } kFolders[] = {
      {"/x/conf", "/home/u", "/x/conf/brindle"},
      {"relative/conf", "/home/u", "/home/u/.config/brindle"}, // a relative one is ignored
      {"", "/home/u", "/home/u/.config/brindle"},
      {nullptr, "/home/u", "/home/u/.config/brindle"},
      {nullptr, nullptr, ""},
  };
  for (const auto& f : kFolders) {
    f.xdg ? setenv("XDG_CONFIG_HOME", f.xdg, 1) : unsetenv("XDG_CONFIG_HOME");
    f.home ? setenv("HOME", f.home, 1) : unsetenv("HOME");
    EXPECT_EQ(PlayConfigFolder(), f.folder) << (f.xdg ? f.xdg : "(unset)");
  }
  const struct
  {
    const char* bundle;
    const char* name;
  } kNames[] = {{"/a/b/Brindle.component", "Brindle"}, {"/a/Gain.component/", "Gain"}, {"Odd", "Odd"}};
  for (const auto& n : kNames) EXPECT_EQ(PluginNameOfBundle(n.bundle), n.name);
  setenv("XDG_CONFIG_HOME", "/x", 1);
  EXPECT_EQ(PlayStatePath("../evil/name"), "/x/brindle/plugin.._evil_name.aupreset");
  EXPECT_EQ(PlayStatePath("Fuzz Box"), "/x/brindle/Fuzz_Box.aupreset");

  // A unit's settings go into a folder made on the way, with nothing else left beside them, and
  // come back into a fresh instance.
  char folder[] = "/tmp/brindle-play-state-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  setenv("XDG_CONFIG_HOME", (std::string(folder) + "/deeper/conf").c_str(), 1);
  const std::string path = PlayStatePath("Brindle");
  LiveUnit first, second;
  if (OpenLive(kBundles[0], first, 2, 64) && OpenLive(kBundles[0], second, 2, 64)) {
    ASSERT_EQ(first.Host().SetParameter(0, 0.25f), noErr);
    std::string error;
    ASSERT_TRUE(SaveUnitState(first.Host(), path, error)) << error;
    ASSERT_TRUE(LoadUnitPreset(second.Host(), path, error)) << error;
    AudioUnitParameterValue value = -1;
    second.Host().GetParameter(0, value);
    EXPECT_EQ(value, 0.25f);
    int entries = 0;
    if (DIR* dir = opendir((std::string(folder) + "/deeper/conf/brindle").c_str())) {
      while (dirent* e = readdir(dir)) entries += e->d_name[0] != '.' || std::string(e->d_name).size() > 2;
      closedir(dir);
    }
    EXPECT_EQ(entries, 1) << "a temporary file was left beside the settings";
    // Another plug-in's settings are refused, and leave the unit as it was.
    LiveUnit gain;
    if (OpenLive(kBundles[1], gain, 2, 64)) {
      EXPECT_FALSE(LoadUnitPreset(gain.Host(), path, error));
      EXPECT_FALSE(error.empty());
    }
  }
  std::system((std::string("rm -rf ") + folder).c_str());
  keepXdg.empty() ? unsetenv("XDG_CONFIG_HOME") : setenv("XDG_CONFIG_HOME", keepXdg.c_str(), 1);
  keepHome.empty() ? unsetenv("HOME") : setenv("HOME", keepHome.c_str(), 1);
}
