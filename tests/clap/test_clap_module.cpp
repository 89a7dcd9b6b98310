// The modules as a strict host meets them: what they export, their descriptors, a thousand lifecycles,
// and every bad host call we can think of refused cleanly, with a host that offers every extension
// and one that offers none.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tests/clap/ClapTestHost.h"

namespace {

std::set<std::string> DefinedDynamicSymbols(const std::string& path)
{
  std::set<std::string> names;
  FILE* nm = popen(("nm -D --defined-only '" + path + "' 2>/dev/null").c_str(), "r");
  if (!nm) return names;
  char line[1024];
  while (std::fgets(line, sizeof line, nm)) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    names.insert(text.substr(text.rfind(' ') + 1));
  }
  pclose(nm);
  return names;
}

std::vector<std::string> Features(const clap_plugin_descriptor_t* d)
{
  std::vector<std::string> out;
  for (const char* const* f = d->features; f && *f; ++f) out.push_back(*f);
  return out;
}

void FillNoise(AudioBlock& block, uint32_t channels, uint32_t seed)
{
  for (uint32_t c = 0; c < channels; ++c)
    for (float& s : block.In(c)) {
      seed = seed * 1664525u + 1013904223u;
      s = static_cast<float>(static_cast<int32_t>(seed)) / 2147483648.0f * 0.5f;
    }
}

bool AllFinite(AudioBlock& block, uint32_t channels)
{
  for (uint32_t c = 0; c < channels; ++c)
    for (float s : block.Out(c))
      if (!std::isfinite(s)) return false;
  return true;
}

} // namespace

TEST(ClapModule, ExportsOnlyTheEntryAndDescribesEachVariant)
{
  struct Case
  {
    const char* path;
    const char* idBase;
    const char* name;
    const char* version;
    const char* category;
  };
  for (const Case& c : {Case{BRINDLE_CLAP_MODULE, "com.tallowby.clap.Brindle", "Brindle", "2.3.0", "distortion"},
                        Case{GAIN_CLAP_MODULE, "com.tallowby.clap.Gain", "Gain", "1.0.0", "utility"}}) {
    SCOPED_TRACE(c.path);
    // The framework inside stays inside: two modules of different framework versions share a host.
    EXPECT_EQ(DefinedDynamicSymbols(c.path), std::set<std::string>{"clap_entry"});

    ClapModule module(c.path);
    ASSERT_TRUE(module.Loaded()) << module.Error();
    const clap_plugin_factory_t* f = module.Factory();
    ASSERT_EQ(f->get_plugin_count(f), 2u);
    EXPECT_EQ(f->get_plugin_descriptor(f, 2), nullptr);
    const char* channels[] = {"mono", "stereo"};
    for (uint32_t i = 0; i < 2; ++i) {
      const clap_plugin_descriptor_t* d = f->get_plugin_descriptor(f, i);
      ASSERT_NE(d, nullptr);
      EXPECT_TRUE(clap_version_is_compatible(d->clap_version));
      EXPECT_EQ(std::string(d->id), std::string(c.idBase) + "." + channels[i]);
      EXPECT_STREQ(d->name, c.name);
      EXPECT_STREQ(d->vendor, "tallowby");
      EXPECT_STREQ(d->version, c.version);
      EXPECT_NE(d->url, nullptr);
      EXPECT_EQ(Features(d), (std::vector<std::string>{"audio-effect", c.category, channels[i]}));
    }
  }
}

TEST(ClapModule, FactoryRefusesWhatIsNotOurs)
{
  ClapModule module(BRINDLE_CLAP_MODULE);
  ASSERT_TRUE(module.Loaded()) << module.Error();
  const clap_plugin_factory_t* f = module.Factory();
  StrictHost good;
  StrictHost draft(StrictHost::kOffersAll, clap_version_t{0, 19, 0});
  const struct
  {
    const clap_host_t* host;
    const char* id;
  } refused[] = {
      {good.Host(), "com.tallowby.clap.Gain.mono"},
      {good.Host(), "com.tallowby.clap.Brindle"},
      {good.Host(), ""},
      {good.Host(), nullptr},
      {nullptr, "com.tallowby.clap.Brindle.mono"},
      {draft.Host(), "com.tallowby.clap.Brindle.mono"},
  };
  for (const auto& r : refused) EXPECT_EQ(f->create_plugin(f, r.host, r.id), nullptr) << (r.id ? r.id : "null");
  EXPECT_EQ(module.Entry()->get_factory("clap.something-else"), nullptr);
  EXPECT_EQ(module.Entry()->get_factory(nullptr), nullptr);
  // Creating asks nothing of the host: that waits for init.
  EXPECT_TRUE(good.Violations().empty());
}

TEST(ClapLifecycle, AThousandCyclesWithEitherHost)
{
  ClapModule module(BRINDLE_CLAP_MODULE);
  ASSERT_TRUE(module.Loaded()) << module.Error();
  const char* ids[] = {"com.tallowby.clap.Brindle.mono", "com.tallowby.clap.Brindle.stereo"};
  const double rates[] = {44100.0, 48000.0, 96000.0, 22050.0};
  for (StrictHost::EOffer offer : {StrictHost::kOffersAll, StrictHost::kOffersNothing}) {
    StrictHost host(offer);
    const int cycles = offer == StrictHost::kOffersAll ? 1000 : 100;
    for (int i = 0; i < cycles; ++i) {
      const uint32_t channels = 1 + static_cast<uint32_t>(i % 2);
      StrictPlugin plugin(host, module.Factory(), ids[i % 2]);
      ASSERT_TRUE(plugin.Ok()) << i;
      ASSERT_TRUE(plugin.Activate(rates[i % 4], 1, 256)) << i;
      AudioBlock block(channels, channels, 64 + static_cast<uint32_t>(i % 3) * 61);
      FillNoise(block, channels, static_cast<uint32_t>(i));
      clap_process_status status = CLAP_PROCESS_ERROR;
      ASSERT_TRUE(plugin.Processing([&] { status = plugin.Raw()->process(plugin.Raw(), block.Record()); }));
      ASSERT_EQ(status, CLAP_PROCESS_CONTINUE) << i;
      ASSERT_TRUE(AllFinite(block, channels)) << i;
      if (i % 7 == 0) plugin.Deactivate(); // and the others are deactivated by the teardown
    }
    EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
    EXPECT_TRUE(host.mLogged.empty()) << host.mLogged.front();
  }
}

TEST(ClapLifecycle, BadHostCallsAreRefusedCleanly)
{
  ClapModule module(BRINDLE_CLAP_MODULE);
  ASSERT_TRUE(module.Loaded()) << module.Error();
  const char* stereo = "com.tallowby.clap.Brindle.stereo";

  // Each case gets a fresh, initialized stereo instance and says whether it was refused as it should.
  struct Case
  {
    const char* what;
    bool needsThreadCheck; // only a host with a thread-check can be caught on the wrong thread
    std::function<bool(StrictPlugin&)> refused;
  };
  auto processOnAudio = [](StrictPlugin& p, clap_process_t* record) {
    clap_process_status status = CLAP_PROCESS_CONTINUE;
    p.Host().OnAudioThread([&] { status = p.Raw()->process(p.Raw(), record); });
    return status;
  };
  // A refused block leaves the outputs silent rather than holding what was there.
  auto refusedAndSilent = [&](StrictPlugin& p, AudioBlock& block, clap_process_t* record) {
    const uint32_t channels = block.OutBuffer().channel_count;
    for (uint32_t c = 0; c < channels; ++c) std::fill(block.Out(c).begin(), block.Out(c).end(), 1.0f);
    if (!p.Processing([&] { EXPECT_EQ(p.Raw()->process(p.Raw(), record), CLAP_PROCESS_ERROR); })) return false;
    for (uint32_t c = 0; c < channels; ++c)
      for (float s : block.Out(c))
        if (s != 0.0f) return false;
    return true;
  };
  const std::vector<Case> cases = {
      {"process before activate", false,
       [&](StrictPlugin& p) {
         AudioBlock block(2, 2, 32);
         return processOnAudio(p, block.Record()) == CLAP_PROCESS_ERROR;
       }},
      {"process while active but not started", false,
       [&](StrictPlugin& p) {
         AudioBlock block(2, 2, 32);
         return p.Activate() && processOnAudio(p, block.Record()) == CLAP_PROCESS_ERROR;
       }},
      {"null process record", false,
       [&](StrictPlugin& p) {
         bool ok = false;
         return p.Activate() && p.Processing([&] { ok = p.Raw()->process(p.Raw(), nullptr) == CLAP_PROCESS_ERROR; }) &&
                ok;
       }},
      {"init twice", false, [](StrictPlugin& p) { return !p.Raw()->init(p.Raw()); }},
      {"NaN sample rate", false, [](StrictPlugin& p) { return !p.Activate(std::nan(""), 1, 512); }},
      {"infinite sample rate", false, [](StrictPlugin& p) { return !p.Activate(INFINITY, 1, 512); }},
      {"zero sample rate", false, [](StrictPlugin& p) { return !p.Activate(0.0, 1, 512); }},
      {"no frames at all", false, [](StrictPlugin& p) { return !p.Activate(48000.0, 0, 0); }},
      {"minimum above maximum", false, [](StrictPlugin& p) { return !p.Activate(48000.0, 600, 512); }},
      {"activate twice", false,
       [](StrictPlugin& p) { return p.Activate() && !p.Raw()->activate(p.Raw(), 48000.0, 1, 512); }},
      {"start_processing before activate", false,
       [](StrictPlugin& p) {
         bool started = true;
         p.Host().OnAudioThread([&] { started = p.Raw()->start_processing(p.Raw()); });
         return !started;
       }},
      {"start_processing twice", false,
       [](StrictPlugin& p) {
         bool again = true;
         return p.Activate() && p.Processing([&] { again = p.Raw()->start_processing(p.Raw()); }) && !again;
       }},
      {"mono buffers to a stereo instance", false,
       [&](StrictPlugin& p) {
         AudioBlock block(1, 1, 64);
         return p.Activate() && refusedAndSilent(p, block, block.Record());
       }},
      {"no input port", false,
       [&](StrictPlugin& p) {
         AudioBlock block(2, 2, 64);
         block.Record()->audio_inputs_count = 0;
         return p.Activate() && refusedAndSilent(p, block, block.Record());
       }},
      {"null channel list", false,
       [&](StrictPlugin& p) {
         AudioBlock block(2, 2, 64);
         block.InBuffer().data32 = nullptr;
         return p.Activate() && refusedAndSilent(p, block, block.Record());
       }},
      {"null channel", false,
       [&](StrictPlugin& p) {
         AudioBlock block(2, 2, 64);
         float* channels[2] = {block.Out(0).data(), nullptr};
         block.OutBuffer().data32 = channels;
         bool refused = false;
         refused = p.Activate() &&
                   p.Processing([&] { refused = p.Raw()->process(p.Raw(), block.Record()) == CLAP_PROCESS_ERROR; }) &&
                   refused;
         return refused;
       }},
      {"more frames than activated for", false,
       [&](StrictPlugin& p) {
         AudioBlock block(2, 2, 513);
         return p.Activate(48000.0, 1, 512) && refusedAndSilent(p, block, block.Record());
       }},
      {"64-bit buffers only", false,
       [&](StrictPlugin& p) {
         AudioBlock block(2, 2, 64);
         std::vector<double> l(64), r(64);
         double* data[2] = {l.data(), r.data()};
         block.InBuffer().data32 = nullptr;
         block.InBuffer().data64 = data;
         return p.Activate() && refusedAndSilent(p, block, block.Record());
       }},
      {"deactivate while processing", false,
       [&](StrictPlugin& p) {
         AudioBlock block(2, 2, 64);
         clap_process_status status = CLAP_PROCESS_ERROR;
         // The host's deactivate comes from its main thread while the audio thread still processes.
         return p.Activate() && p.Processing([&] {
           p.Raw()->deactivate(p.Raw());
           status = p.Raw()->process(p.Raw(), block.Record());
         }) && status == CLAP_PROCESS_CONTINUE;
       }},
      {"activate on the audio thread", true,
       [](StrictPlugin& p) {
         bool activated = true;
         p.Host().OnAudioThread([&] { activated = p.Raw()->activate(p.Raw(), 48000.0, 1, 512); });
         return !activated;
       }},
      {"start_processing on the main thread", true,
       [](StrictPlugin& p) { return p.Activate() && !p.Raw()->start_processing(p.Raw()); }},
      {"process on the main thread", true,
       [&](StrictPlugin& p) {
         AudioBlock block(2, 2, 64);
         bool refused = false;
         // Started properly, then called from the wrong thread.
         p.Activate();
         p.Host().OnAudioThread([&] { p.Raw()->start_processing(p.Raw()); });
         refused = p.Raw()->process(p.Raw(), block.Record()) == CLAP_PROCESS_ERROR;
         p.Host().OnAudioThread([&] { p.Raw()->stop_processing(p.Raw()); });
         return refused;
       }},
      {"parameter value read on the audio thread", true,
       [](StrictPlugin& p) {
         const auto* params = p.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS);
         bool answered = true;
         double v = 0.0;
         p.Host().OnAudioThread([&] { answered = params->get_value(p.Raw(), 0, &v); });
         return !answered;
       }},
      {"state saved on the audio thread", true,
       [](StrictPlugin& p) {
         const auto* state = p.Ext<clap_plugin_state_t>(CLAP_EXT_STATE);
         MemoryStreams streams;
         clap_ostream_t out = streams.Writer();
         bool saved = true;
         p.Host().OnAudioThread([&] { saved = state->save(p.Raw(), &out); });
         return !saved && streams.mBytes.empty();
       }},
  };

  for (StrictHost::EOffer offer : {StrictHost::kOffersAll, StrictHost::kOffersNothing}) {
    for (const Case& c : cases) {
      if (c.needsThreadCheck && offer == StrictHost::kOffersNothing) continue;
      SCOPED_TRACE(std::string(c.what) + (offer == StrictHost::kOffersAll ? " (full host)" : " (bare host)"));
      StrictHost host(offer);
      {
        StrictPlugin plugin(host, module.Factory(), stereo);
        ASSERT_TRUE(plugin.Ok());
        EXPECT_TRUE(c.refused(plugin));
        // Whatever happened, the instance still works afterwards the proper way.
        plugin.Deactivate();
        ASSERT_TRUE(plugin.Activate());
        AudioBlock block(2, 2, 64);
        clap_process_status status = CLAP_PROCESS_ERROR;
        EXPECT_TRUE(plugin.Processing([&] { status = plugin.Raw()->process(plugin.Raw(), block.Record()); }));
        EXPECT_EQ(status, CLAP_PROCESS_CONTINUE);
      }
      // The plug-in broke no rule of its own while being mistreated, and said what it refused.
      EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
    }
  }
}

TEST(ClapLifecycle, ExtensionsOfferedAndAudioPorts)
{
  ClapModule module(GAIN_CLAP_MODULE);
  ASSERT_TRUE(module.Loaded()) << module.Error();
  StrictHost host;
  for (uint32_t channels : {1u, 2u}) {
    StrictPlugin plugin(host, module.Factory(),
                        channels == 1 ? "com.tallowby.clap.Gain.mono" : "com.tallowby.clap.Gain.stereo");
    ASSERT_TRUE(plugin.Ok());
    for (const char* id : {CLAP_EXT_AUDIO_PORTS, CLAP_EXT_PARAMS, CLAP_EXT_STATE, CLAP_EXT_LATENCY, CLAP_EXT_TAIL,
                           CLAP_EXT_RENDER, CLAP_EXT_GUI, CLAP_EXT_TIMER_SUPPORT, CLAP_EXT_POSIX_FD_SUPPORT})
      EXPECT_NE(plugin.Raw()->get_extension(plugin.Raw(), id), nullptr) << id;
    for (const char* id : {"clap.audio-ports-config", "clap.note-ports", "clap.posix-fd", "", "clap.gui.draft"})
      EXPECT_EQ(plugin.Raw()->get_extension(plugin.Raw(), id), nullptr) << id;

    const auto* ports = plugin.Ext<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
    for (bool isInput : {true, false}) {
      ASSERT_EQ(ports->count(plugin.Raw(), isInput), 1u);
      clap_audio_port_info_t info;
      ASSERT_TRUE(ports->get(plugin.Raw(), 0, isInput, &info));
      EXPECT_EQ(info.id, 0u);
      EXPECT_EQ(info.channel_count, channels);
      EXPECT_EQ(info.flags, static_cast<uint32_t>(CLAP_AUDIO_PORT_IS_MAIN));
      EXPECT_STREQ(info.port_type, channels == 1 ? CLAP_PORT_MONO : CLAP_PORT_STEREO);
      EXPECT_FALSE(ports->get(plugin.Raw(), 1, isInput, &info));
    }
    ASSERT_TRUE(plugin.Activate());
    EXPECT_EQ(plugin.Ext<clap_plugin_latency_t>(CLAP_EXT_LATENCY)->get(plugin.Raw()), 0u);
    EXPECT_EQ(plugin.Ext<clap_plugin_tail_t>(CLAP_EXT_TAIL)->get(plugin.Raw()), 0u);
    const auto* render = plugin.Ext<clap_plugin_render_t>(CLAP_EXT_RENDER);
    EXPECT_FALSE(render->has_hard_realtime_requirement(plugin.Raw()));
    EXPECT_TRUE(render->set(plugin.Raw(), CLAP_RENDER_OFFLINE));
    EXPECT_TRUE(render->set(plugin.Raw(), CLAP_RENDER_REALTIME));
    EXPECT_FALSE(render->set(plugin.Raw(), 7));
  }
  EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
}
