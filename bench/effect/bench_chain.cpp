// Brindle chain speed: the plain per-sample loop against the wavefront renderer, side by side on
// the same stereo input (effect on, cabinet on unless stated), reported as nanoseconds per frame.
//
// Inputs: music-like partials, white noise, DC and digital silence. Before timing, each fixture
// runs 2.5 seconds of its input through the chain so that DC has long decayed through the first
// high-pass: a chain whose histories sank into denormal numbers shows up as a slower DC row.
#include "effect/BrindleChain.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

enum Input { kMusic, kNoise, kDC, kSilence };

struct Fixture
{
  AuDSP dsp;
  std::vector<double> noise = std::vector<double>(kBrindleNoiseTableSize);
  std::vector<double> left, right, out0, out1;
  BrindleSettings settings;

  Fixture(int frames, bool cabinet, Input input) : left(frames), right(frames), out0(frames), out1(frames)
  {
    BrindleDesignFilters(dsp, 44100.0);
    BrindleFillNoiseTable(noise.data());
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-0.5, 0.5);
    for (int i = 0; i < frames; ++i) {
      switch (input) {
      case kMusic:
        left[i] = 0.3 * std::sin(i * 0.031) + 0.05 * std::sin(i * 0.77);
        right[i] = 0.25 * std::sin(i * 0.023 + 1.0);
        break;
      case kNoise:
        left[i] = u(rng);
        right[i] = u(rng);
        break;
      case kDC:
        left[i] = 0.5;
        right[i] = 0.0;
        break;
      case kSilence:
        left[i] = right[i] = 0.0;
        break;
      }
    }
    settings.cabinetOn = cabinet;
    const BrindleBlock block = Block();
    for (int done = 0; done < 110250; done += frames) BrindleProcessFast(dsp, settings, noise.data(), block);
  }
  BrindleBlock Block() { return {left.data(), right.data(), out0.data(), out1.data(), (int)left.size()}; }
};

// Kernel kPlain is the plain per-sample loop (BrindleProcessPlain); the others are the wavefront
// builds. "Fast" is whatever BrindleProcessFast picks on this CPU.
template <int Kernel>
void Chain(benchmark::State& state)
{
  if (Kernel >= 0 && !BrindleKernelAvailable(static_cast<BrindleKernel>(Kernel))) {
    state.SkipWithError("kernel not supported on this CPU");
    return;
  }
  const int frames = static_cast<int>(state.range(0));
  Fixture f(frames, state.range(1) != 0, static_cast<Input>(state.range(2)));
  const BrindleBlock block = f.Block();
  for (auto _ : state) {
    if (Kernel < 0)
      BrindleProcessFast(f.dsp, f.settings, f.noise.data(), block);
    else if (Kernel == static_cast<int>(BrindleKernel::kPlain))
      BrindleProcessPlain(f.dsp, f.settings, f.noise.data(), block);
    else
      BrindleProcessWithKernel(static_cast<BrindleKernel>(Kernel), f.dsp, f.settings, f.noise.data(), block);
    benchmark::DoNotOptimize(f.out0.data());
    benchmark::ClobberMemory();
  }
  // Seconds per frame, shown with an SI prefix (e.g. "9.1n" is 9.1 ns per frame).
  state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * frames,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Arguments: frames per block, cabinet on, input.
void Sizes(benchmark::internal::Benchmark* b)
{
  b->ArgNames({"frames", "cabinet", "input"});
  for (int frames : {32, 64, 128, 192, 256, 384, 512, 4096}) b->Args({frames, 1, kMusic});
  for (int frames : {64, 256, 512, 4096}) b->Args({frames, 0, kMusic});
  for (int input : {kNoise, kDC, kSilence})
    for (int frames : {64, 512}) b->Args({frames, 1, input});
}

// With --benchmark_repetitions, the fastest repetition is reported beside mean and median: on a
// machine shared with other work it is the steadiest estimate of a row.
double Fastest(const std::vector<double>& v)
{
  return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}

constexpr int kFast = -1;
constexpr int kPlain = static_cast<int>(BrindleKernel::kPlain);
constexpr int kPortable = static_cast<int>(BrindleKernel::kPortable);
constexpr int kAvx2 = static_cast<int>(BrindleKernel::kAvx2);
constexpr int kAvx512 = static_cast<int>(BrindleKernel::kAvx512);

} // namespace

BENCHMARK(Chain<kPlain>)->Name("Plain")->Apply(Sizes)->ComputeStatistics("min", Fastest);
BENCHMARK(Chain<kFast>)->Name("Fast")->Apply(Sizes)->ComputeStatistics("min", Fastest);
BENCHMARK(Chain<kAvx512>)->Name("WavefrontAvx512")->Apply(Sizes)->ComputeStatistics("min", Fastest);
BENCHMARK(Chain<kAvx2>)->Name("WavefrontAvx2")->Apply(Sizes)->ComputeStatistics("min", Fastest);
BENCHMARK(Chain<kPortable>)->Name("WavefrontPortable")->Apply(Sizes)->ComputeStatistics("min", Fastest);

BENCHMARK_MAIN();
