// Process-call overhead through CLAP: the same stereo Brindle processing called directly
// (ProcessDoubleReplacing on double buffers, the product built into this program) against a process
// call into Brindle.clap (event list, float/double conversion, output write-back), for 32 and 512
// frames. The Overhead rows time both in alternation and report the overhead in percent, from the
// fastest block of each side and as the median of each pair's ratio.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "clap/IEffectCLAP.h"
#include "clap/abi/ClapPlugin.h"
#include "bench/FormatOverhead.h"
#include "effect/BrindlePlugImpl.h"

template class BrindlePlug<IEffectCLAP>;

namespace {

// A host that offers no extension, one stereo instance active and processing, on this thread.
class ClapHostRig
{
public:
  explicit ClapHostRig(uint32_t frames)
      : mIn{format_bench::TestSignal().left, format_bench::TestSignal().right}, mOut(2, std::vector<float>(frames))
  {
    mHandle = dlopen(BRINDLE_CLAP_MODULE, RTLD_NOW | RTLD_LOCAL);
    const auto* entry = mHandle ? static_cast<const clap_plugin_entry_t*>(dlsym(mHandle, "clap_entry")) : nullptr;
    if (!entry || !entry->init(BRINDLE_CLAP_MODULE)) return;
    mEntry = entry;
    const auto* factory = static_cast<const clap_plugin_factory_t*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    mHost = {CLAP_VERSION,
             nullptr,
             "bench",
             "",
             "",
             "1",
             [](const clap_host_t*, const char*) -> const void* { return nullptr; },
             [](const clap_host_t*) {},
             [](const clap_host_t*) {},
             [](const clap_host_t*) {}};
    mPlugin = factory ? factory->create_plugin(factory, &mHost, "com.tallowby.clap.Brindle.stereo") : nullptr;
    if (!mPlugin || !mPlugin->init(mPlugin) || !mPlugin->activate(mPlugin, 44100.0, 1, format_bench::kMaxFrames) ||
        !mPlugin->start_processing(mPlugin))
      return;
    for (int c = 0; c < 2; ++c) {
      mInPtrs[c] = mIn[c].data();
      mOutPtrs[c] = mOut[c].data();
    }
    mInBuffer = {mInPtrs, nullptr, 2, 0, 0};
    mOutBuffer = {mOutPtrs, nullptr, 2, 0, 0};
    mEvents = {nullptr, [](const clap_input_events_t*) -> uint32_t { return 0; },
               [](const clap_input_events_t*, uint32_t) -> const clap_event_header_t* { return nullptr; }};
    mSink = {nullptr, [](const clap_output_events_t*, const clap_event_header_t*) { return false; }};
    mProcess = {-1, frames, nullptr, &mInBuffer, &mOutBuffer, 1, 1, &mEvents, &mSink};
    mReady = true;
  }
  ~ClapHostRig()
  {
    if (mPlugin) {
      if (mReady) mPlugin->stop_processing(mPlugin);
      mPlugin->deactivate(mPlugin);
      mPlugin->destroy(mPlugin);
    }
    if (mEntry) mEntry->deinit();
    if (mHandle) dlclose(mHandle);
  }
  bool Ready() const { return mReady; }
  clap_process_status Block() { return mPlugin->process(mPlugin, &mProcess); }
  const float* Output() const { return mOut[0].data(); }

private:
  void* mHandle = nullptr;
  const clap_plugin_entry_t* mEntry = nullptr;
  clap_host_t mHost{};
  const clap_plugin_t* mPlugin = nullptr;
  std::vector<float> mIn[2];
  std::vector<std::vector<float>> mOut;
  float* mInPtrs[2] = {};
  float* mOutPtrs[2] = {};
  clap_audio_buffer_t mInBuffer{}, mOutBuffer{};
  clap_input_events_t mEvents{};
  clap_output_events_t mSink{};
  clap_process_t mProcess{};
  bool mReady = false;
};

std::unique_ptr<BrindlePlug<IEffectCLAP>> DirectPlug(int frames)
{
  IEffectCLAP::InstanceInfo info;
  info.mChannelIOIdx = 1;
  auto plug = std::make_unique<BrindlePlug<IEffectCLAP>>(info);
  plug->SetBlockSize(frames);
  plug->OnParamReset();
  return plug;
}

void Direct(benchmark::State& state)
{
  const int frames = static_cast<int>(state.range(0));
  auto plug = DirectPlug(frames);
  format_bench::TimeDirect(state, *plug, frames);
}

void ThroughClap(benchmark::State& state)
{
  const int frames = static_cast<int>(state.range(0));
  ClapHostRig host(static_cast<uint32_t>(frames));
  if (!host.Ready()) {
    state.SkipWithError("Brindle.clap could not be loaded and started");
    return;
  }
  format_bench::TimeThrough(state, frames, [&] {
    const bool ok = host.Block() == CLAP_PROCESS_CONTINUE;
    benchmark::DoNotOptimize(host.Output());
    return ok;
  });
}

void Overhead(benchmark::State& state)
{
  const int frames = static_cast<int>(state.range(0));
  auto plug = DirectPlug(frames);
  ClapHostRig host(static_cast<uint32_t>(frames));
  if (!host.Ready()) {
    state.SkipWithError("Brindle.clap could not be loaded and started");
    return;
  }
  format_bench::TimeOverhead(state, *plug, frames, "clap", [&] {
    const bool ok = host.Block() == CLAP_PROCESS_CONTINUE;
    benchmark::DoNotOptimize(host.Output());
    return ok;
  });
}

} // namespace

BENCHMARK(Direct)->Arg(32)->Arg(512)->ComputeStatistics("min", format_bench::Fastest);
BENCHMARK(ThroughClap)->Arg(32)->Arg(512)->ComputeStatistics("min", format_bench::Fastest);
BENCHMARK(Overhead)->Arg(32)->Arg(512);

BENCHMARK_MAIN();
