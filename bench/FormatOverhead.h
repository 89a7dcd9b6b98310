#pragma once
// The process-call overhead of a plug-in format: the product's own processing called directly
// against the same block through the format's module, each timed alone and, in the Overhead rows, in
// alternation so that whatever else the machine does weighs on both sides alike.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

namespace format_bench {

constexpr int kMaxFrames = 512;

// A stereo block of music-like signal, the same on both sides.
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

inline const Signal& TestSignal()
{
  static const Signal signal;
  return signal;
}

// The direct side's double buffers.
struct DirectBuffers
{
  explicit DirectBuffers(int frames)
      : in0(TestSignal().left.begin(), TestSignal().left.begin() + frames),
        in1(TestSignal().right.begin(), TestSignal().right.begin() + frames), out0(static_cast<size_t>(frames)),
        out1(static_cast<size_t>(frames))
  {}
  std::vector<double> in0, in1, out0, out1;
  double* inputs[2] = {in0.data(), in1.data()};
  double* outputs[2] = {out0.data(), out1.data()};
};

inline void PerFrame(benchmark::State& state, int frames)
{
  state.counters["ns/frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * frames,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

inline double Fastest(const std::vector<double>& v)
{
  return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}

// The product's processing of one block, timed alone.
template <class Plug>
void TimeDirect(benchmark::State& state, Plug& plug, int frames)
{
  DirectBuffers b(frames);
  for (auto _ : state) {
    plug.ProcessDoubleReplacing(b.inputs, b.outputs, frames);
    benchmark::DoNotOptimize(b.out0.data());
    benchmark::ClobberMemory();
  }
  PerFrame(state, frames);
}

// block() processes one block through the format and answers false on failure.
template <class Block>
void TimeThrough(benchmark::State& state, int frames, Block&& block)
{
  for (auto _ : state) {
    if (!block()) {
      state.SkipWithError("process failed");
      break;
    }
    benchmark::ClobberMemory();
  }
  PerFrame(state, frames);
}

// Both sides in alternation: the overhead in percent from the fastest block of each side and as
// the median of each pair's ratio; `format` names the format's own ns/frame counter.
template <class Plug, class Block>
void TimeOverhead(benchmark::State& state, Plug& plug, int frames, const std::string& format, Block&& block)
{
  using Clock = std::chrono::steady_clock;
  DirectBuffers b(frames);
  Clock::duration bestDirect = Clock::duration::max(), bestThrough = Clock::duration::max();
  std::vector<double> ratios;
  for (auto _ : state) {
    const Clock::time_point t0 = Clock::now();
    plug.ProcessDoubleReplacing(b.inputs, b.outputs, frames);
    const Clock::time_point t1 = Clock::now();
    const bool ok = block();
    const Clock::time_point t2 = Clock::now();
    if (!ok) {
      state.SkipWithError("process failed");
      break;
    }
    bestDirect = std::min(bestDirect, t1 - t0);
    bestThrough = std::min(bestThrough, t2 - t1);
    ratios.push_back(std::chrono::duration<double>(t2 - t1) / std::chrono::duration<double>(t1 - t0));
    benchmark::DoNotOptimize(b.out0.data());
    benchmark::ClobberMemory();
  }
  const double direct = std::chrono::duration<double, std::nano>(bestDirect).count() / frames;
  const double through = std::chrono::duration<double, std::nano>(bestThrough).count() / frames;
  state.counters["direct ns/frame"] = direct;
  state.counters[format + " ns/frame"] = through;
  state.counters["overhead %"] = 100.0 * (through - direct) / direct;
  if (!ratios.empty()) {
    std::nth_element(ratios.begin(), ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2), ratios.end());
    state.counters["paired overhead %"] = 100.0 * (ratios[ratios.size() / 2] - 1.0);
  }
}

} // namespace format_bench
