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

#include "bench/FormatOverhead.h"
#include "effect/BrindlePlugImpl.h"
#include "vst3/IEffectVST3.h"

template class BrindlePlug<IEffectVST3>;

using namespace vst3;

namespace {

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
  explicit Vst3HostRig(int frames)
      : mIn{format_bench::TestSignal().left, format_bench::TestSignal().right}, mOut(2, std::vector<float>(frames))
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
    ProcessSetup setup{kRealtime, kSample32, format_bench::kMaxFrames, 44100.0};
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

void Direct(benchmark::State& state)
{
  const int frames = static_cast<int>(state.range(0));
  auto plug = DirectPlug(frames);
  format_bench::TimeDirect(state, *plug, frames);
}

void ThroughVst3(benchmark::State& state)
{
  const int frames = static_cast<int>(state.range(0));
  Vst3HostRig host(frames);
  if (!host.Ready()) {
    state.SkipWithError("Brindle.vst3 could not be loaded and started");
    return;
  }
  format_bench::TimeThrough(state, frames, [&] {
    const bool ok = host.Block() == kResultOk;
    benchmark::DoNotOptimize(host.Output());
    return ok;
  });
}

void Overhead(benchmark::State& state)
{
  const int frames = static_cast<int>(state.range(0));
  auto plug = DirectPlug(frames);
  Vst3HostRig host(frames);
  if (!host.Ready()) {
    state.SkipWithError("Brindle.vst3 could not be loaded and started");
    return;
  }
  format_bench::TimeOverhead(state, *plug, frames, "vst3", [&] {
    const bool ok = host.Block() == kResultOk;
    benchmark::DoNotOptimize(host.Output());
    return ok;
  });
}

} // namespace

BENCHMARK(Direct)->Arg(32)->Arg(512)->ComputeStatistics("min", format_bench::Fastest);
BENCHMARK(ThroughVst3)->Arg(32)->Arg(512)->ComputeStatistics("min", format_bench::Fastest);
BENCHMARK(Overhead)->Arg(32)->Arg(512);

BENCHMARK_MAIN();
