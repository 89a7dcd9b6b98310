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

template <bool Fast>
void Chain(benchmark::State& state)
{
    const int frames = static_cast<int>(state.range(0));
    Fixture f(frames, state.range(1) != 0);
    const BrindleBlock block = f.Block();
    for (auto _ : state) {
        if (Fast)
            BrindleProcessFast(f.dsp, f.settings, f.noise.data(), block);
        else
            BrindleProcessPlain(f.dsp, f.settings, f.noise.data(), block);
        benchmark::DoNotOptimize(f.out0.data());
        benchmark::ClobberMemory();
    }
    state.counters["ns_per_frame"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * frames * 1e-9,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void Sizes(benchmark::internal::Benchmark* b)
{
    b->Args({512, 1})->Args({64, 1})->Args({4096, 1})->Args({512, 0})->Args({1, 1})->Args({41, 1});
}

} // namespace

BENCHMARK(Chain<false>)->Name("Plain")->Apply(Sizes);
BENCHMARK(Chain<true>)->Name("Wavefront")->Apply(Sizes);

BENCHMARK_MAIN();
