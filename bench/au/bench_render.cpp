// Render-path overhead: the same stereo Brindle processing called directly
// (ProcessDoubleReplacing on double buffers) against a host render through the
// adapter (host callback pull, float/double conversion, output write-back), side
// by side for 32 and 512 frames. Reported per frame; compare each Render row with
// the Direct row of the same size.
#include <AudioUnit/AudioUnit.h>
#include <CoreServices/CoreServices.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "au/IEffectAU.h"
#include "effect/Brindle.h"
#include "BrindleIdentity.h"
#include "au/AUPlugFactory.h"

namespace {
constexpr int kMaxFrames = 512;

// A host input signal, the same for both ways of calling.
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
Signal gSignal;

OSStatus HostInput(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 nFrames,
                   AudioBufferList* list)
{
  const float* src[2] = {gSignal.left.data(), gSignal.right.data()};
  for (UInt32 c = 0; c < list->mNumberBuffers && c < 2; ++c)
    std::memcpy(list->mBuffers[c].mData, src[c], nFrames * sizeof(float));
  return noErr;
}

IEffectAU* MakeBrindleForHost()
{
  return MakeAUPlug<Brindle, BrindleIdentity>();
}

ComponentResult Entry(ComponentParameters* params, Handle storage)
{
  return IEffectAU::IEffectAUEntry(params, storage);
}

Component BrindleComponent()
{
  static Component component = [] {
    IEffectAU::SetPlugFactory(&MakeBrindleForHost);
    ComponentDescription cd = {0x61756678, 0x62646c33, 0x51786c6f, 0, 0};
    return RegisterComponent(&cd, Entry, 0, nullptr, nullptr, nullptr);
  }();
  return component;
}

void Direct(benchmark::State& state)
{
  const int frames = static_cast<int>(state.range(0));
  Brindle* plug = static_cast<Brindle*>(MakeAUPlug<Brindle, BrindleIdentity>());
  plug->SetBlockSize(frames);
  plug->OnParamReset();
  // The processing reads doubles: the host's floats converted once, outside the loop.
  std::vector<double> in0(gSignal.left.begin(), gSignal.left.begin() + frames);
  std::vector<double> in1(gSignal.right.begin(), gSignal.right.begin() + frames);
  std::vector<double> out0(static_cast<size_t>(frames)), out1(static_cast<size_t>(frames));
  double* inputs[2] = {in0.data(), in1.data()};
  double* outputs[2] = {out0.data(), out1.data()};
  for (auto _ : state) {
    plug->ProcessDoubleReplacing(inputs, outputs, frames);
    benchmark::DoNotOptimize(out0.data());
    benchmark::ClobberMemory();
  }
  state.counters["ns/frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * frames,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  delete plug;
}

// The plug-in base's own float path without the adapter: the host's floats are
// attached (converted to double), processed, and written back as floats. The gap
// between this and Direct is the base's conversion work; the gap between this and
// RenderFastDispatch is the adapter's own.
void BaseFloatPath(benchmark::State& state)
{
  const int frames = static_cast<int>(state.range(0));
  Brindle* plug = static_cast<Brindle*>(MakeAUPlug<Brindle, BrindleIdentity>());
  plug->SetBlockSize(frames);
  plug->OnParamReset();
  plug->SetInputChannelConnections(0, 2, true);
  plug->SetOutputChannelConnections(0, 2, true);
  std::vector<float> out0(static_cast<size_t>(frames)), out1(static_cast<size_t>(frames));
  float* inputs[2] = {gSignal.left.data(), gSignal.right.data()};
  float* outputs[2] = {out0.data(), out1.data()};
  for (auto _ : state) {
    plug->AttachInputBuffers(0, 2, inputs, frames);
    plug->AttachOutputBuffers(0, 2, outputs);
    plug->ProcessBuffers(0.0f, frames);
    benchmark::DoNotOptimize(out0.data());
    benchmark::ClobberMemory();
  }
  state.counters["ns/frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * frames,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  delete plug;
}

// A host's side of the render call: the component opened for a block size with the input pulled
// from HostInput, two float output buffers, and a running timestamp. `fast` renders through the
// fast-dispatch function as hosts do, otherwise AudioUnitRender goes through the Component
// Manager and the entry.
class HostRender
{
public:
  explicit HostRender(int frames)
      : mFrames(frames), mUnit(OpenComponent(BrindleComponent())), mOut0(static_cast<size_t>(frames)),
        mOut1(static_cast<size_t>(frames))
  {
    if (!mUnit) return;
    UInt32 maxFrames = static_cast<UInt32>(frames);
    AudioUnitSetProperty(mUnit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &maxFrames,
                         sizeof(maxFrames));
    AURenderCallbackStruct cb = {HostInput, nullptr};
    AudioUnitSetProperty(mUnit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb, sizeof(cb));
    AudioUnitInitialize(mUnit);
    UInt32 size = sizeof(mRenderProc);
    AudioUnitGetProperty(mUnit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect,
                         &mRenderProc, &size);
    mStorage = GetComponentInstanceStorage(mUnit);
    std::memset(&mTimeStamp, 0, sizeof(mTimeStamp));
    mTimeStamp.mFlags = kAudioTimeStampSampleTimeValid;
  }
  ~HostRender()
  {
    if (mUnit) CloseComponent(mUnit);
  }
  HostRender(const HostRender&) = delete;
  HostRender& operator=(const HostRender&) = delete;

  bool IsOpen() const { return mUnit != nullptr; }
  const float* Output() const { return mOut0.data(); }

  OSStatus Block(bool fast)
  {
    AudioBufferList* list = reinterpret_cast<AudioBufferList*>(mListBytes);
    list->mNumberBuffers = 2;
    list->mBuffers[0] = {1, static_cast<UInt32>(mFrames * sizeof(float)), mOut0.data()};
    list->mBuffers[1] = {1, static_cast<UInt32>(mFrames * sizeof(float)), mOut1.data()};
    AudioUnitRenderActionFlags flags = 0;
    const UInt32 n = static_cast<UInt32>(mFrames);
    const OSStatus r = fast ? mRenderProc(mStorage, &flags, &mTimeStamp, 0, n, list)
                            : AudioUnitRender(mUnit, &flags, &mTimeStamp, 0, n, list);
    mTimeStamp.mSampleTime += mFrames;
    return r;
  }

private:
  int mFrames;
  ComponentInstance mUnit;
  AudioUnitRenderProc mRenderProc = nullptr;
  void* mStorage = nullptr;
  std::vector<float> mOut0, mOut1;
  alignas(AudioBufferList) unsigned char mListBytes[sizeof(AudioBufferList) + sizeof(AudioBuffer)];
  AudioTimeStamp mTimeStamp;
};

void Render(benchmark::State& state, bool fast)
{
  const int frames = static_cast<int>(state.range(0));
  HostRender host(frames);
  if (!host.IsOpen()) {
    state.SkipWithError("open failed");
    return;
  }
  for (auto _ : state) {
    if (host.Block(fast) != noErr) {
      state.SkipWithError("render failed");
      break;
    }
    benchmark::DoNotOptimize(host.Output());
    benchmark::ClobberMemory();
  }
  state.counters["ns/frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * frames,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void RenderFastDispatch(benchmark::State& state)
{
  Render(state, true);
}
void RenderThroughEntry(benchmark::State& state)
{
  Render(state, false);
}
// Direct and host render of the same block in alternation, each call timed on its own, so that
// whatever else the machine does in the meantime weighs on both sides alike. Reports both costs
// per frame and the host render's overhead over direct processing in percent: the figure the
// separate rows above can only give as a ratio of two runs taken at different moments.
void Overhead(benchmark::State& state, bool fast)
{
  using Clock = std::chrono::steady_clock;
  const int frames = static_cast<int>(state.range(0));
  const std::unique_ptr<Brindle> plug(static_cast<Brindle*>(MakeAUPlug<Brindle, BrindleIdentity>()));
  plug->SetBlockSize(frames);
  plug->OnParamReset();
  std::vector<double> in0(gSignal.left.begin(), gSignal.left.begin() + frames);
  std::vector<double> in1(gSignal.right.begin(), gSignal.right.begin() + frames);
  std::vector<double> dOut0(static_cast<size_t>(frames)), dOut1(static_cast<size_t>(frames));
  double* inputs[2] = {in0.data(), in1.data()};
  double* outputs[2] = {dOut0.data(), dOut1.data()};

  HostRender host(frames);
  if (!host.IsOpen()) {
    state.SkipWithError("open failed");
    return;
  }

  // The fastest of each side over the run: a block slowed by an interruption tells nothing about
  // either path, and both sides see many blocks from the same moments.
  Clock::duration bestDirect = Clock::duration::max(), bestRender = Clock::duration::max();
  // And the median of each pair's ratio: a pair's two blocks run microseconds apart, so a slow
  // spell of the machine scales both, and the median is not decided by one lucky block.
  std::vector<double> ratios;
  for (auto _ : state) {
    const Clock::time_point t0 = Clock::now();
    plug->ProcessDoubleReplacing(inputs, outputs, frames);
    const Clock::time_point t1 = Clock::now();
    const OSStatus r = host.Block(fast);
    const Clock::time_point t2 = Clock::now();
    if (r != noErr) {
      state.SkipWithError("render failed");
      break;
    }
    bestDirect = std::min(bestDirect, t1 - t0);
    bestRender = std::min(bestRender, t2 - t1);
    ratios.push_back(std::chrono::duration<double>(t2 - t1) / std::chrono::duration<double>(t1 - t0));
    benchmark::DoNotOptimize(dOut0.data());
    benchmark::DoNotOptimize(host.Output());
    benchmark::ClobberMemory();
  }
  const double direct = std::chrono::duration<double, std::nano>(bestDirect).count() / frames;
  const double render = std::chrono::duration<double, std::nano>(bestRender).count() / frames;
  state.counters["direct ns/frame"] = direct;
  state.counters["render ns/frame"] = render;
  state.counters["overhead %"] = 100.0 * (render - direct) / direct;
  if (!ratios.empty()) {
    std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
    state.counters["paired overhead %"] = 100.0 * (ratios[ratios.size() / 2] - 1.0);
  }
}

void OverheadFastDispatch(benchmark::State& state)
{
  Overhead(state, true);
}
void OverheadThroughEntry(benchmark::State& state)
{
  Overhead(state, false);
}

// With --benchmark_repetitions, the fastest repetition is reported beside mean and median: on a
// machine shared with other work it is the steadiest estimate of each row, and the overhead is
// the ratio of two such rows. --benchmark_enable_random_interleaving=true spreads the other
// work's disturbance over all rows alike.
double Fastest(const std::vector<double>& v)
{
  return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}

} // namespace

BENCHMARK(Direct)->Arg(32)->Arg(512)->ComputeStatistics("min", Fastest);
BENCHMARK(BaseFloatPath)->Arg(32)->Arg(512)->ComputeStatistics("min", Fastest);
BENCHMARK(RenderFastDispatch)->Arg(32)->Arg(512)->ComputeStatistics("min", Fastest);
BENCHMARK(RenderThroughEntry)->Arg(32)->Arg(512)->ComputeStatistics("min", Fastest);
BENCHMARK(OverheadFastDispatch)->Arg(32)->Arg(512);
BENCHMARK(OverheadThroughEntry)->Arg(32)->Arg(512);

BENCHMARK_MAIN();
