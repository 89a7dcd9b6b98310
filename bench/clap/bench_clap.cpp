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
#include "effect/BrindlePlugImpl.h"

template class BrindlePlug<IEffectCLAP>;

namespace {
constexpr uint32_t kMaxFrames = 512;

struct Signal
{
  Signal() : left(kMaxFrames), right(kMaxFrames)
  {
    for (uint32_t i = 0; i < kMaxFrames; ++i) {
      left[i] = 0.3f * std::sin(i * 0.031f) + 0.05f * std::sin(i * 0.77f);
      right[i] = 0.25f * std::sin(i * 0.023f + 1.0f);
    }
  }
  std::vector<float> left, right;
};
const Signal gSignal;

// A host that offers no extension, one stereo instance active and processing, on this thread.
class ClapHostRig
{
public:
  explicit ClapHostRig(uint32_t frames) : mIn{gSignal.left, gSignal.right}, mOut(2, std::vector<float>(frames))
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
    if (!mPlugin || !mPlugin->init(mPlugin) || !mPlugin->activate(mPlugin, 44100.0, 1, kMaxFrames) ||
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

struct DirectBuffers
{
  explicit DirectBuffers(int frames)
      : in0(gSignal.left.begin(), gSignal.left.begin() + frames),
        in1(gSignal.right.begin(), gSignal.right.begin() + frames), out0(static_cast<size_t>(frames)),
        out1(static_cast<size_t>(frames))
  {}
  std::vector<double> in0, in1, out0, out1;
  double* inputs[2] = {in0.data(), in1.data()};
  double* outputs[2] = {out0.data(), out1.data()};
};

void PerFrame(benchmark::State& state, int frames)
{
  state.counters["ns/frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * frames,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Direct(benchmark::State& state)
{
  const int frames = static_cast<int>(state.range(0));
  auto plug = DirectPlug(frames);
  DirectBuffers b(frames);
  for (auto _ : state) {
    plug->ProcessDoubleReplacing(b.inputs, b.outputs, frames);
    benchmark::DoNotOptimize(b.out0.data());
    benchmark::ClobberMemory();
  }
  PerFrame(state, frames);
}

void ThroughClap(benchmark::State& state)
{
  const int frames = static_cast<int>(state.range(0));
  ClapHostRig host(static_cast<uint32_t>(frames));
  if (!host.Ready()) {
    state.SkipWithError("Brindle.clap could not be loaded and started");
    return;
  }
  for (auto _ : state) {
    if (host.Block() != CLAP_PROCESS_CONTINUE) {
      state.SkipWithError("process failed");
      break;
    }
    benchmark::DoNotOptimize(host.Output());
    benchmark::ClobberMemory();
  }
  PerFrame(state, frames);
}

// Direct and CLAP process of the same block in alternation, each call timed on its own, so that
// whatever else the machine does weighs on both sides alike.
void Overhead(benchmark::State& state)
{
  using Clock = std::chrono::steady_clock;
  const int frames = static_cast<int>(state.range(0));
  auto plug = DirectPlug(frames);
  DirectBuffers b(frames);
  ClapHostRig host(static_cast<uint32_t>(frames));
  if (!host.Ready()) {
    state.SkipWithError("Brindle.clap could not be loaded and started");
    return;
  }
  Clock::duration bestDirect = Clock::duration::max(), bestClap = Clock::duration::max();
  std::vector<double> ratios;
  for (auto _ : state) {
    const Clock::time_point t0 = Clock::now();
    plug->ProcessDoubleReplacing(b.inputs, b.outputs, frames);
    const Clock::time_point t1 = Clock::now();
    const clap_process_status status = host.Block();
    const Clock::time_point t2 = Clock::now();
    if (status != CLAP_PROCESS_CONTINUE) {
      state.SkipWithError("process failed");
      break;
    }
    bestDirect = std::min(bestDirect, t1 - t0);
    bestClap = std::min(bestClap, t2 - t1);
    ratios.push_back(std::chrono::duration<double>(t2 - t1) / std::chrono::duration<double>(t1 - t0));
    benchmark::DoNotOptimize(b.out0.data());
    benchmark::DoNotOptimize(host.Output());
    benchmark::ClobberMemory();
  }
  const double direct = std::chrono::duration<double, std::nano>(bestDirect).count() / frames;
  const double clap = std::chrono::duration<double, std::nano>(bestClap).count() / frames;
  state.counters["direct ns/frame"] = direct;
  state.counters["clap ns/frame"] = clap;
  state.counters["overhead %"] = 100.0 * (clap - direct) / direct;
  if (!ratios.empty()) {
    std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
    state.counters["paired overhead %"] = 100.0 * (ratios[ratios.size() / 2] - 1.0);
  }
}

double Fastest(const std::vector<double>& v)
{
  return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}

} // namespace

BENCHMARK(Direct)->Arg(32)->Arg(512)->ComputeStatistics("min", Fastest);
BENCHMARK(ThroughClap)->Arg(32)->Arg(512)->ComputeStatistics("min", Fastest);
BENCHMARK(Overhead)->Arg(32)->Arg(512);

BENCHMARK_MAIN();
