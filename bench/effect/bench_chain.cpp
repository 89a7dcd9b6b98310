// Brindle chain speed: the plain per-sample loop against the wavefront renderer, side by side on
// the same stereo input (effect on, cabinet on unless stated), reported as nanoseconds per frame.
#include "effect/BrindleChain.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

struct Fixture {
    AuDSP dsp;
    std::vector<double> noise = std::vector<double>(kBrindleNoiseTableSize);
    std::vector<double> left, right, out0, out1;
    BrindleSettings settings;

    explicit Fixture(int frames, bool cabinet)
        : left(frames), right(frames), out0(frames), out1(frames)
    {
        BrindleDesignFilters(dsp, 44100.0);
        BrindleFillNoiseTable(noise.data());
        for (int i = 0; i < frames; ++i) {
            left[i] = 0.3 * std::sin(i * 0.031) + 0.05 * std::sin(i * 0.77);
            right[i] = 0.25 * std::sin(i * 0.023 + 1.0);
        }
        settings.cabinetOn = cabinet;
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
    Fixture f(frames, state.range(1) != 0);
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

// Arguments: frames per block, cabinet on.
void Sizes(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"frames", "cabinet"});
    b->Args({512, 1})->Args({4096, 1})->Args({64, 1})->Args({512, 0});
}

constexpr int kFast = -1;
constexpr int kPlain = static_cast<int>(BrindleKernel::kPlain);
constexpr int kPortable = static_cast<int>(BrindleKernel::kPortable);
constexpr int kAvx2 = static_cast<int>(BrindleKernel::kAvx2);
constexpr int kAvx512 = static_cast<int>(BrindleKernel::kAvx512);

} // namespace

BENCHMARK(Chain<kPlain>)->Name("Plain")->Apply(Sizes);
BENCHMARK(Chain<kFast>)->Name("Fast")->Apply(Sizes);
BENCHMARK(Chain<kAvx512>)->Name("WavefrontAvx512")->Apply(Sizes);
BENCHMARK(Chain<kAvx2>)->Name("WavefrontAvx2")->Apply(Sizes);
BENCHMARK(Chain<kPortable>)->Name("WavefrontPortable")->Apply(Sizes);

BENCHMARK_MAIN();
