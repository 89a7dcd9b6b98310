// Process-call overhead through VST3: the same stereo Brindle processing called directly
// (ProcessDoubleReplacing on double buffers, the product built into this program) against a process
// call into Brindle.vst3 (an empty parameter-change list, float/double conversion, output write-back),
// for 32 and 512 frames. The Overhead rows time both in alternation and report the overhead in
// percent, from the fastest block of each side and as the median of each pair's ratio.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "effect/BrindlePlugImpl.h"
#include "vst3/IEffectVST3.h"

template class BrindlePlug<IEffectVST3>;

using namespace vst3;

namespace {
constexpr int kMaxFrames = 512;

struct Signal
{
  Signal() : left(kMaxFrames), right(kMaxFrames)
  {
    for (int i = 0; i < kMaxFrames; ++i) {
      left[static_cast<size_t>(i)] = 0.3f * std::sin(i * 0.031f) + 0.05f * std::sin(i * 0.77f);
      right[static_cast<size_t>(i)] = 0.25f * std::sin(i * 0.023f + 1.0f);
    }
  }
  std::vector<float> left, right;
};
const Signal gSignal;

// No parameter changes, as in most blocks a host sends.
class NoChanges final : public IParameterChanges
{
public:
  tresult queryInterface(const TUID, void** obj) override
  {
    if (obj) *obj = nullptr;
    return kNoInterface;
  }
  uint32 addRef() override { return 1; }
  uint32 release() override { return 1; }
  int32 getParameterCount() override { return 0; }
  IParamValueQueue* getParameterData(int32) override { return nullptr; }
  IParamValueQueue* addParameterData(const ParamID&, int32&) override { return nullptr; }
};

// One stereo instance, set up, active and processing, on this thread.
class Vst3HostRig
{
public:
  explicit Vst3HostRig(int frames) : mIn{gSignal.left, gSignal.right}, mOut(2, std::vector<float>(frames))
  {
    mHandle = dlopen(BRINDLE_VST3_BINARY, RTLD_NOW | RTLD_LOCAL);
    auto entry = mHandle ? reinterpret_cast<bool (*)(void*)>(dlsym(mHandle, "ModuleEntry")) : nullptr;
    auto getFactory = mHandle ? reinterpret_cast<IPluginFactory* (*)()>(dlsym(mHandle, "GetPluginFactory")) : nullptr;
    if (!entry || !getFactory || !entry(mHandle)) return;
    IPluginFactory* factory = getFactory();
    PClassInfo info{};
    void* obj = nullptr;
    if (!factory || factory->getClassInfo(0, &info) != kResultOk ||
        factory->createInstance(info.cid, kIComponentIID.mBytes, &obj) != kResultOk)
      return;
    mComponent = static_cast<IComponent*>(obj);
    if (mComponent->queryInterface(kIAudioProcessorIID.mBytes, &obj) != kResultOk) return;
    mProcessor = static_cast<IAudioProcessor*>(obj);
    SpeakerArrangement stereo = kArrStereo;
    ProcessSetup setup{kRealtime, kSample32, kMaxFrames, 44100.0};
    if (mComponent->initialize(nullptr) != kResultOk || mProcessor->setBusArrangements(&stereo, 1, &stereo, 1) != 0 ||
        mProcessor->setupProcessing(setup) != kResultOk || mComponent->setActive(1) != kResultOk ||
        mProcessor->setProcessing(1) != kResultOk)
      return;
    for (int c = 0; c < 2; ++c) {
      mInPtrs[c] = mIn[c].data();
      mOutPtrs[c] = mOut[static_cast<size_t>(c)].data();
    }
    mInBus.numChannels = mOutBus.numChannels = 2;
    mInBus.channelBuffers32 = mInPtrs;
    mOutBus.channelBuffers32 = mOutPtrs;
    mData.symbolicSampleSize = kSample32;
    mData.numSamples = frames;
    mData.numInputs = mData.numOutputs = 1;
    mData.inputs = &mInBus;
    mData.outputs = &mOutBus;
    mData.inputParameterChanges = &mChanges;
    mReady = true;
  }
  ~Vst3HostRig()
  {
    if (mProcessor) {
      mProcessor->setProcessing(0);
      mComponent->setActive(0);
      mProcessor->release();
    }
    if (mComponent) {
      mComponent->terminate();
      mComponent->release();
    }
    if (mHandle) {
      if (auto exitFn = reinterpret_cast<bool (*)()>(dlsym(mHandle, "ModuleExit"))) exitFn();
      dlclose(mHandle);
    }
  }
  bool Ready() const { return mReady; }
  tresult Block() { return mProcessor->process(mData); }
  const float* Output() const { return mOut[0].data(); }

private:
  void* mHandle = nullptr;
  IComponent* mComponent = nullptr;
  IAudioProcessor* mProcessor = nullptr;
  std::vector<float> mIn[2];
  std::vector<std::vector<float>> mOut;
  float* mInPtrs[2] = {};
  float* mOutPtrs[2] = {};
  AudioBusBuffers mInBus{}, mOutBus{};
  NoChanges mChanges;
  ProcessData mData{};
  bool mReady = false;
};

std::unique_ptr<BrindlePlug<IEffectVST3>> DirectPlug(int frames)
{
  auto plug = std::make_unique<BrindlePlug<IEffectVST3>>(IEffectVST3::InstanceInfo{});
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

void ThroughVst3(benchmark::State& state)
{
  const int frames = static_cast<int>(state.range(0));
  Vst3HostRig host(frames);
  if (!host.Ready()) {
    state.SkipWithError("Brindle.vst3 could not be loaded and started");
    return;
  }
  for (auto _ : state) {
    if (host.Block() != kResultOk) {
      state.SkipWithError("process failed");
      break;
    }
    benchmark::DoNotOptimize(host.Output());
    benchmark::ClobberMemory();
  }
  PerFrame(state, frames);
}

// Direct and VST3 process of the same block in alternation, each call timed on its own, so that
// whatever else the machine does weighs on both sides alike.
void Overhead(benchmark::State& state)
{
  using Clock = std::chrono::steady_clock;
  const int frames = static_cast<int>(state.range(0));
  auto plug = DirectPlug(frames);
  DirectBuffers b(frames);
  Vst3HostRig host(frames);
  if (!host.Ready()) {
    state.SkipWithError("Brindle.vst3 could not be loaded and started");
    return;
  }
  Clock::duration bestDirect = Clock::duration::max(), bestVst3 = Clock::duration::max();
  std::vector<double> ratios;
  for (auto _ : state) {
    const Clock::time_point t0 = Clock::now();
    plug->ProcessDoubleReplacing(b.inputs, b.outputs, frames);
    const Clock::time_point t1 = Clock::now();
    const tresult result = host.Block();
    const Clock::time_point t2 = Clock::now();
    if (result != kResultOk) {
      state.SkipWithError("process failed");
      break;
    }
    bestDirect = std::min(bestDirect, t1 - t0);
    bestVst3 = std::min(bestVst3, t2 - t1);
    ratios.push_back(std::chrono::duration<double>(t2 - t1) / std::chrono::duration<double>(t1 - t0));
    benchmark::DoNotOptimize(b.out0.data());
    benchmark::DoNotOptimize(host.Output());
    benchmark::ClobberMemory();
  }
  const double direct = std::chrono::duration<double, std::nano>(bestDirect).count() / frames;
  const double vst3 = std::chrono::duration<double, std::nano>(bestVst3).count() / frames;
  state.counters["direct ns/frame"] = direct;
  state.counters["vst3 ns/frame"] = vst3;
  state.counters["overhead %"] = 100.0 * (vst3 - direct) / direct;
  if (!ratios.empty()) {
    std::nth_element(ratios.begin(), ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2), ratios.end());
    state.counters["paired overhead %"] = 100.0 * (ratios[ratios.size() / 2] - 1.0);
  }
}

double Fastest(const std::vector<double>& v)
{
  return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}

} // namespace

BENCHMARK(Direct)->Arg(32)->Arg(512)->ComputeStatistics("min", Fastest);
BENCHMARK(ThroughVst3)->Arg(32)->Arg(512)->ComputeStatistics("min", Fastest);
BENCHMARK(Overhead)->Arg(32)->Arg(512);

BENCHMARK_MAIN();
