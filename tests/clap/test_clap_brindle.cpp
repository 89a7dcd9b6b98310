// Brindle through CLAP against Brindle itself, built into this program: the parameters the host is
// told of with the product's texts, and changes at their frame inside a block. (A program of its own:
// Brindle's and Gain's editor hosts cannot be linked into one program.)
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "clap/ClapPluginGlue.h"
#include "tests/clap/ClapRenderCompare.h"
#include "tests/clap/ClapTestHost.h"
#include "tests/clap/DirectProducts.h"

TEST(ClapBrindle, InfoAndTextsAreTheProducts)
{
  ClapModule module(BRINDLE_CLAP_MODULE);
  ASSERT_TRUE(module.Loaded()) << module.Error();
  StrictHost host;
  StrictPlugin plugin(host, module.Factory(), "com.tallowby.clap.Brindle.mono");
  ASSERT_TRUE(plugin.Ok());
  const auto* params = plugin.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  ASSERT_NE(params, nullptr);
  ASSERT_EQ(params->count(plugin.Raw()), 4u);

  const uint32_t continuous = CLAP_PARAM_IS_AUTOMATABLE;
  const uint32_t switched = CLAP_PARAM_IS_AUTOMATABLE | CLAP_PARAM_IS_STEPPED | CLAP_PARAM_IS_ENUM;
  const struct
  {
    const char* name;
    uint32_t flags;
    double min, max, def;
  } expected[] = {{"Level", continuous, 0, 1, 0.5},
                  {"Attack", continuous, 0, 1, 0.5},
                  {"Effect", switched, 0, 1, 1},
                  {"Cabinet", switched, 0, 1, 1}};
  std::unique_ptr<IEffectCLAP> direct = MakeDirectBrindle(Variant(0));
  for (uint32_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(expected[i].name);
    clap_param_info_t info;
    ASSERT_TRUE(params->get_info(plugin.Raw(), i, &info));
    EXPECT_EQ(info.id, i); // the product's index: stable across versions, as sessions need
    EXPECT_STREQ(info.name, expected[i].name);
    EXPECT_EQ(info.flags, expected[i].flags);
    EXPECT_EQ(info.min_value, expected[i].min);
    EXPECT_EQ(info.max_value, expected[i].max);
    EXPECT_EQ(info.default_value, expected[i].def);
    double value = -1.0;
    ASSERT_TRUE(params->get_value(plugin.Raw(), i, &value));
    EXPECT_EQ(value, expected[i].def);
    // Every text the product shows, word for word, and back to the value it shows.
    for (double v : {0.0, 0.25, 0.5, 0.999, 1.0}) {
      if (info.flags & CLAP_PARAM_IS_STEPPED) v = std::round(v);
      char text[64], productText[IParam::kDisplayBufferSize];
      ASSERT_TRUE(params->value_to_text(plugin.Raw(), i, v, text, sizeof text));
      direct->GetParam(static_cast<int>(i))->GetDisplayForHost(v, false, productText);
      EXPECT_STREQ(text, productText);
      double back = -1.0;
      ASSERT_TRUE(params->text_to_value(plugin.Raw(), i, text, &back)) << text;
      EXPECT_NEAR(back, v, 0.0005) << text;
    }
  }
  // Texts that are no value, ids that are no parameter, buffers too small to hold anything.
  double v = 0.0;
  char text[8];
  const struct
  {
    clap_id id;
    const char* text;
  } refused[] = {{0, "loud"},  {0, ""},   {0, "0.5x"}, {0, "nan"},
                 {2, "Maybe"}, {2, "on"}, {4, "0.5"},  {CLAP_INVALID_ID, "1"}};
  for (const auto& r : refused) EXPECT_FALSE(params->text_to_value(plugin.Raw(), r.id, r.text, &v)) << r.text;
  EXPECT_TRUE(params->text_to_value(plugin.Raw(), 2, " Off ", &v));
  EXPECT_EQ(v, 0.0);
  EXPECT_TRUE(params->text_to_value(plugin.Raw(), 0, "7", &v)); // typed beyond the range: its end
  EXPECT_EQ(v, 1.0);
  for (double far : {1e300, -1e300, 3e9}) EXPECT_TRUE(params->value_to_text(plugin.Raw(), 2, far, text, sizeof text));
  EXPECT_FALSE(params->value_to_text(plugin.Raw(), 9, 0.5, text, sizeof text));
  EXPECT_FALSE(params->value_to_text(plugin.Raw(), 0, 0.5, text, 0));
  EXPECT_FALSE(params->value_to_text(plugin.Raw(), 0, NAN, text, sizeof text));
  EXPECT_FALSE(params->get_info(plugin.Raw(), 4, nullptr));
  EXPECT_FALSE(params->get_value(plugin.Raw(), 4, &v));

  // Gain's numbers carry their unit, and read back with or without it.
  ClapModule gainModule(GAIN_CLAP_MODULE);
  StrictPlugin gain(host, gainModule.Factory(), "com.tallowby.clap.Gain.stereo");
  const auto* gainParams = gain.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  ASSERT_TRUE(gainParams->value_to_text(gain.Raw(), 0, -6.0, text, sizeof text));
  EXPECT_STREQ(text, "-6.0 dB");
  for (const char* typed : {"-6.0 dB", "-6", " -6.0dB"}) {
    ASSERT_TRUE(gainParams->text_to_value(gain.Raw(), 0, typed, &v)) << typed;
    EXPECT_EQ(v, -6.0);
  }
  EXPECT_TRUE(host.Violations().empty());
}

TEST(ClapBrindle, ValuesTakeEffectAtTheirFrame)
{
  const std::vector<Change> brindleChanges = {{0, 0, 0.2},   {37, 1, 0.9},  {37, 2, 0.0},
                                              {200, 3, 0.0}, {311, 2, 1.0}, {511, 0, 1.0}};
  // Brindle adds a noise floor of a few 1e-20 from a generator each module keeps to itself, which is
  // all that may differ from the product rendered here.
  struct Case
  {
    const char* module;
    const char* id;
    uint32_t channels;
    std::unique_ptr<IEffectCLAP> (*make)(const IEffectCLAP::InstanceInfo&);
    const std::vector<Change>* changes;
    double tolerance;
  };
  const Case cases[] = {
      {BRINDLE_CLAP_MODULE, "com.tallowby.clap.Brindle.stereo", 2, &MakeDirectBrindle, &brindleChanges, 1e-6},
      {BRINDLE_CLAP_MODULE, "com.tallowby.clap.Brindle.mono", 1, &MakeDirectBrindle, &brindleChanges, 1e-6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const int variant = c.channels == 1 ? 0 : 1;
    const auto viaClap = RenderThroughClap(c.module, c.id, c.channels, *c.changes);
    const auto direct = RenderDirect(c.make(Variant(variant)), c.channels, *c.changes);
    EXPECT_LE(MaxDifference(viaClap, direct), c.tolerance);
    // The comparison sees a change taken one frame late.
    std::vector<Change> late = *c.changes;
    for (Change& ch : late) ch.frame = std::min(ch.frame + 1, kFrames - 1);
    EXPECT_GT(MaxDifference(viaClap, RenderDirect(c.make(Variant(variant)), c.channels, late)), 1e-4);
  }
}

TEST(ClapBrindle, EditorSwitchesReachTheHostAsWholeValues)
{
  StrictHost host;
  const char* features[] = {"audio-effect", nullptr};
  const clap_plugin_descriptor_t desc = {CLAP_VERSION, "test.brindle", "Brindle", "", "", "", "", "1", "", features};
  IEffectCLAP::InstanceInfo info = Variant(1);
  info.mHost = host.Host();
  const clap_plugin_t* plugin = ClapWrapPlugin(&desc, MakeDirectBrindle(info));
  ASSERT_NE(plugin, nullptr);
  host.AllowHostCalls();
  ASSERT_TRUE(plugin->init(plugin));
  IEffectCLAP* plug = ClapPluginObject(plugin);
  // A switch set from a position between its steps: the host stores the step the switch took.
  const struct
  {
    int idx;
    double normalized;
    double plain;
  } drags[] = {{2, 0.7, 1.0}, {3, 0.2, 0.0}, {0, 0.25, 0.25}};
  for (const auto& d : drags) {
    plug->BeginInformHostOfParamChange(d.idx);
    plug->SetParameterFromGUI(d.idx, d.normalized);
    plug->EndInformHostOfParamChange(d.idx);
  }
  OutputEvents out;
  static_cast<const clap_plugin_params_t*>(plugin->get_extension(plugin, CLAP_EXT_PARAMS))
      ->flush(plugin, nullptr, out.List());
  ASSERT_EQ(out.mSeen.size(), 9u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(out.mSeen[3 * i + 1].mParamID, static_cast<clap_id>(drags[i].idx));
    EXPECT_EQ(out.mSeen[3 * i + 1].mValue, drags[i].plain);
  }
  plugin->destroy(plugin);
  EXPECT_TRUE(host.Violations().empty());
}

// A host's two threads at once: the audio thread processes blocks with automation while the main
// thread reads values and texts, saves and restores the state and the editor drags controls. (Run
// under ThreadSanitizer by `make tsan`; here it checks that neither side sees the other's damage.)
TEST(ClapBrindle, MainThreadWorkWhileTheAudioThreadProcesses)
{
  StrictHost host;
  const char* features[] = {"audio-effect", nullptr};
  const clap_plugin_descriptor_t desc = {CLAP_VERSION, "test.brindle", "Brindle", "", "", "", "", "1", "", features};
  IEffectCLAP::InstanceInfo info = Variant(1);
  info.mHost = host.Host();
  const clap_plugin_t* plugin = ClapWrapPlugin(&desc, MakeDirectBrindle(info));
  ASSERT_NE(plugin, nullptr);
  host.AllowHostCalls();
  ASSERT_TRUE(plugin->init(plugin));
  IEffectCLAP* plug = ClapPluginObject(plugin);
  const auto* params = static_cast<const clap_plugin_params_t*>(plugin->get_extension(plugin, CLAP_EXT_PARAMS));
  const auto* state = static_cast<const clap_plugin_state_t*>(plugin->get_extension(plugin, CLAP_EXT_STATE));
  MemoryStreams saved;
  const clap_ostream_t writer = saved.Writer();
  ASSERT_TRUE(state->save(plugin, &writer));
  ASSERT_TRUE(plugin->activate(plugin, kRate, 1, 256));

  std::atomic<int> blocks{0};
  std::atomic<bool> stop{false};
  int failedBlocks = 0, badSamples = 0, begins = 0, ends = 0;
  std::thread audio([&] {
    host.OnAudioThread([&] {
      if (!plugin->start_processing(plugin)) return;
      AudioBlock block(2, 2, 256);
      InputEvents automation;
      automation.AddParamValue(0, 1, 0.3);
      automation.AddParamValue(100, 0, 0.9);
      automation.AddParamValue(200, 3, 0.0);
      OutputEvents out;
      bool last = false;
      for (int n = 0; !last; ++n) {
        last = stop.load() && n >= 200; // a block after the main thread's last change collects it
        for (uint32_t i = 0; i < 256; ++i) block.In(0)[i] = block.In(1)[i] = 0.5f * std::sin(0.05f * (i + 256 * n));
        out.Clear();
        if (plugin->process(plugin, block.Record(n % 3 ? nullptr : automation.List(), out.List())) !=
            CLAP_PROCESS_CONTINUE)
          ++failedBlocks;
        for (size_t c = 0; c < 2; ++c)
          for (float s : block.Out(c)) badSamples += std::isfinite(s) ? 0 : 1;
        for (const auto& seen : out.mSeen) {
          begins += seen.mType == CLAP_EVENT_PARAM_GESTURE_BEGIN;
          ends += seen.mType == CLAP_EVENT_PARAM_GESTURE_END;
        }
        blocks.store(n + 1);
      }
      plugin->stop_processing(plugin);
    });
  });
  while (blocks.load() == 0) std::this_thread::yield();
  int failedLoads = 0;
  for (int round = 0; round < 200; ++round) {
    const int idx = round % 4;
    plug->BeginInformHostOfParamChange(idx);
    plug->SetParameterFromGUI(idx, (round % 10) / 10.0);
    plug->EndInformHostOfParamChange(idx);
    double value = -1.0;
    char text[64];
    EXPECT_TRUE(params->get_value(plugin, static_cast<clap_id>(idx), &value));
    EXPECT_TRUE(params->value_to_text(plugin, static_cast<clap_id>(idx), value, text, sizeof text));
    if (round % 20 == 0) {
      saved.mReadPos = 0;
      const clap_istream_t reader = saved.Reader();
      failedLoads += state->load(plugin, &reader) ? 0 : 1;
    }
  }
  stop.store(true);
  audio.join();
  EXPECT_EQ(failedBlocks, 0);
  EXPECT_EQ(badSamples, 0);
  EXPECT_EQ(failedLoads, 0);
  // 600 editor events can overflow the queue between two blocks: the host may miss values and whole
  // gestures, never the end of one it saw begin.
  EXPECT_EQ(begins, ends);
  EXPECT_GT(ends, 0);
  plugin->deactivate(plugin);
  plugin->destroy(plugin);
  EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
}
