// Parameters through CLAP: what the host is told about them, their texts both ways, values that take
// effect at their frame inside a block (against the products rendered directly with the same changes
// at the same frames), the editor's changes reaching the host as gestures, and an audio thread that
// allocates nothing and locks only for a parameter event.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "clap/ClapPluginGlue.h"
#include "tests/clap/ClapRenderCompare.h"
#include "tests/clap/ClapTestHost.h"
#include "tests/clap/DirectProducts.h"
#include "tools/validate/RealtimeProbe.h"

TEST(ClapParams, ValuesTakeEffectAtTheirFrame)
{
  const std::vector<Change> gainChanges = {{0, 0, -6.0}, {37, 1, -50.0}, {200, 0, 6.0}, {450, 1, 100.0}};
  // Gain has no noise: through CLAP it is bit for bit the product.
  struct Case
  {
    const char* module;
    const char* id;
    uint32_t channels;
    std::unique_ptr<IEffectCLAP> (*make)(const IEffectCLAP::InstanceInfo&);
    const std::vector<Change>* changes;
    double tolerance;
  };
  const Case cases[] = {{GAIN_CLAP_MODULE, "com.tallowby.clap.Gain.stereo", 2, &MakeDirectGain, &gainChanges, 0.0},
                        {GAIN_CLAP_MODULE, "com.tallowby.clap.Gain.mono", 1, &MakeDirectGain, &gainChanges, 0.0}};
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

TEST(ClapParams, HostEventsOutOfOrderOrForeignAreHandled)
{
  ClapModule module(GAIN_CLAP_MODULE);
  StrictHost host;
  StrictPlugin plugin(host, module.Factory(), "com.tallowby.clap.Gain.stereo");
  ASSERT_TRUE(plugin.Ok() && plugin.Activate(kRate, 1, 256));
  const auto* params = plugin.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  AudioBlock block(2, 2, 128);
  InputEvents events;
  events.AddGesture(0, 0, true);
  events.AddParamValue(90, 0, -12.0);
  events.AddParamValue(10, 1, 30.0);              // stamped before the one ahead of it: taken at frame 90
  events.AddParamValue(4000, 0, 3.0);             // past the block: taken at its end
  events.AddParamValue(20, 7, 1.0);               // no such parameter
  events.AddParamValue(20, 1, NAN);               // no value
  events.AddOther(30, 5, CLAP_EVENT_PARAM_VALUE); // another event space
  events.AddOther(30, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_MIDI);
  events.AddParamValue(40, 1, 300.0); // beyond the range: its end
  events.AddGesture(127, 0, false);
  clap_process_status status = CLAP_PROCESS_ERROR;
  ASSERT_TRUE(plugin.Processing([&] { status = plugin.Raw()->process(plugin.Raw(), block.Record(events.List())); }));
  EXPECT_EQ(status, CLAP_PROCESS_CONTINUE);
  plugin.Deactivate();
  double gain = 0.0, pan = 0.0;
  ASSERT_TRUE(params->get_value(plugin.Raw(), 0, &gain));
  ASSERT_TRUE(params->get_value(plugin.Raw(), 1, &pan));
  EXPECT_EQ(gain, 3.0);
  EXPECT_EQ(pan, 100.0);
  // Flushed while inactive, on the main thread: values set without any audio.
  InputEvents flushed;
  flushed.AddParamValue(0, 0, -20.0);
  OutputEvents out;
  params->flush(plugin.Raw(), flushed.List(), out.List());
  ASSERT_TRUE(params->get_value(plugin.Raw(), 0, &gain));
  EXPECT_EQ(gain, -20.0);
  EXPECT_TRUE(out.mSeen.empty());
  EXPECT_TRUE(host.Violations().empty());
}

TEST(ClapParams, EditorChangesReachTheHostWithGestures)
{
  StrictHost host;
  const char* features[] = {"audio-effect", nullptr};
  const clap_plugin_descriptor_t desc = {CLAP_VERSION, "test.gain", "Gain", "", "", "", "", "1", "", features};
  IEffectCLAP::InstanceInfo info = Variant(1);
  info.mHost = host.Host();
  const clap_plugin_t* plugin = ClapWrapPlugin(&desc, MakeDirectGain(info));
  ASSERT_NE(plugin, nullptr);
  host.AllowHostCalls();
  ASSERT_TRUE(plugin->init(plugin));
  IEffectCLAP* plug = ClapPluginObject(plugin);
  const auto* params = static_cast<const clap_plugin_params_t*>(plugin->get_extension(plugin, CLAP_EXT_PARAMS));

  // A drag in the editor while the host is not processing: the host is asked for a flush.
  auto drag = [&](int idx, std::initializer_list<double> normalized) {
    plug->BeginInformHostOfParamChange(idx);
    for (double n : normalized) plug->SetParameterFromGUI(idx, n);
    plug->EndInformHostOfParamChange(idx);
  };
  drag(0, {0.5, 0.8});
  EXPECT_GT(host.mFlushRequests, 0);
  EXPECT_EQ(host.mDirtyMarks, 2);
  OutputEvents out;
  params->flush(plugin, nullptr, out.List());
  ASSERT_EQ(out.mSeen.size(), 4u);
  EXPECT_EQ(out.mSeen[0].mType, CLAP_EVENT_PARAM_GESTURE_BEGIN);
  EXPECT_EQ(out.mSeen[1].mType, CLAP_EVENT_PARAM_VALUE);
  EXPECT_EQ(out.mSeen[2].mType, CLAP_EVENT_PARAM_VALUE);
  EXPECT_EQ(out.mSeen[2].mValue, plug->GetParam(0)->Value()); // the plain value, as the host stores it
  EXPECT_EQ(out.mSeen[3].mType, CLAP_EVENT_PARAM_GESTURE_END);
  for (const auto& seen : out.mSeen) EXPECT_EQ(seen.mParamID, 0u);

  // While processing, the events come out of process; a host with room for one event a call gets the
  // rest in later calls, in order.
  ASSERT_TRUE(plugin->activate(plugin, kRate, 1, 256));
  drag(1, {0.25});
  OutputEvents narrow(1);
  std::vector<uint16_t> types;
  host.OnAudioThread([&] {
    ASSERT_TRUE(plugin->start_processing(plugin));
    for (int call = 0; call < 4; ++call) {
      AudioBlock block(2, 2, 64);
      narrow.Clear();
      EXPECT_EQ(plugin->process(plugin, block.Record(nullptr, narrow.List())), CLAP_PROCESS_CONTINUE);
      for (const auto& seen : narrow.mSeen) types.push_back(seen.mType);
    }
    plugin->stop_processing(plugin);
  });
  EXPECT_EQ(types, (std::vector<uint16_t>{CLAP_EVENT_PARAM_GESTURE_BEGIN, CLAP_EVENT_PARAM_VALUE,
                                          CLAP_EVENT_PARAM_GESTURE_END}));

  // A drag far longer than the queue still ends its gesture.
  plug->BeginInformHostOfParamChange(0);
  for (int i = 0; i < 2000; ++i) plug->SetParameterFromGUI(0, (i % 100) / 100.0);
  plug->EndInformHostOfParamChange(0);
  plugin->deactivate(plugin);
  out.Clear();
  params->flush(plugin, nullptr, out.List());
  ASSERT_GE(out.mSeen.size(), 3u);
  EXPECT_LE(out.mSeen.size(), IEffectCLAP::kHostQueueSize);
  EXPECT_EQ(out.mSeen.front().mType, CLAP_EVENT_PARAM_GESTURE_BEGIN);
  EXPECT_EQ(out.mSeen.back().mType, CLAP_EVENT_PARAM_GESTURE_END);

  // Two gestures at once (a control that moves two parameters) begun while values have filled the
  // queue: the one that finds no room is left out whole, and the other still ends.
  for (int i = 0; i < 2000; ++i) plug->SetParameterFromGUI(0, (i % 100) / 100.0);
  plug->BeginInformHostOfParamChange(1);
  plug->BeginInformHostOfParamChange(0);
  plug->SetParameterFromGUI(0, 0.3);
  plug->EndInformHostOfParamChange(0);
  plug->EndInformHostOfParamChange(1);
  out.Clear();
  params->flush(plugin, nullptr, out.List());
  int open[2] = {0, 0};
  for (const auto& seen : out.mSeen) {
    ASSERT_LT(seen.mParamID, 2u);
    if (seen.mType == CLAP_EVENT_PARAM_GESTURE_BEGIN) ++open[seen.mParamID];
    if (seen.mType == CLAP_EVENT_PARAM_GESTURE_END) {
      EXPECT_EQ(open[seen.mParamID]--, 1) << "an end without its beginning";
    }
  }
  EXPECT_EQ(open[0], 0);
  EXPECT_EQ(open[1], 0);
  plugin->destroy(plugin);
  EXPECT_TRUE(host.Violations().empty()) << host.Violations().front();
}

TEST(ClapParams, TheAudioThreadAllocatesNothingAndLocksOnlyForAParameterEvent)
{
  if (!RealtimeProbe::CountsAllocations()) GTEST_SKIP() << "this build cannot see allocations";
  ClapModule module(BRINDLE_CLAP_MODULE);
  ASSERT_TRUE(module.Loaded()) << module.Error();
  StrictHost host;
  StrictPlugin plugin(host, module.Factory(), "com.tallowby.clap.Brindle.stereo");
  ASSERT_TRUE(plugin.Ok() && plugin.Activate(kRate, 1, 512));
  AudioBlock block(2, 2, 512);
  InputEvents none, oneEach;
  oneEach.AddParamValue(100, 0, 0.7);
  OutputEvents out;
  RealtimeCounts quiet, withEvents;
  ASSERT_TRUE(plugin.Processing([&] {
    // First touches stay outside: glibc gives a loaded module's thread-local storage to each thread on
    // its first use, which the first parameter event's lock makes.
    plugin.Raw()->process(plugin.Raw(), block.Record(oneEach.List(), out.List()));
    {
      RealtimeProbe probe;
      for (int i = 0; i < 1000; ++i) plugin.Raw()->process(plugin.Raw(), block.Record(none.List(), out.List()));
      quiet = probe.Counts();
    }
    {
      RealtimeProbe probe;
      for (int i = 0; i < 1000; ++i) plugin.Raw()->process(plugin.Raw(), block.Record(oneEach.List(), out.List()));
      withEvents = probe.Counts();
    }
  }));
  EXPECT_EQ(quiet.allocations, 0);
  EXPECT_EQ(quiet.frees, 0);
  EXPECT_EQ(quiet.locks, 0);
  EXPECT_EQ(withEvents.allocations, 0);
  EXPECT_EQ(withEvents.frees, 0);
  // The product takes its own lock to change a setting: once per event, and nobody else holds it.
  EXPECT_EQ(withEvents.locks, 1000);
  EXPECT_EQ(withEvents.contendedLocks, 0);
}
