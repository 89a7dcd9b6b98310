// The sample conversions at every instruction-set level this CPU runs, for one
// channel at a short and a typical block size: float to double (input attach),
// double to float (write-back) and the accumulating write-back.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "plugcore/SampleConversion.h"

namespace {
const char* const kLevelNames[kNumConversionLevels] = {"Scalar", "Sse2", "Avx2", "Avx512"};

// Both buffers start `offset` samples past a 64-byte boundary: 0 for aligned
// memory, 2 for a malloc'd block on a 16-byte boundary, as the host's may be.
struct Buffers
{
  Buffers(int n, int offset)
      : fStore(static_cast<size_t>(n + 32)), dStore(static_cast<size_t>(n + 16)), f(Aligned(fStore.data()) + offset),
        d(Aligned(dStore.data()) + offset)
  {
    for (int i = 0; i < n; ++i) {
      f[i] = 0.5f * std::sin(0.01f * static_cast<float>(i));
      d[i] = 0.5 * std::sin(0.013 * i);
    }
  }
  template <typename T>
  static T* Aligned(T* p)
  {
    const auto addr = reinterpret_cast<std::uintptr_t>(p);
    return reinterpret_cast<T*>((addr + 63) & ~static_cast<std::uintptr_t>(63));
  }
  std::vector<float> fStore;
  std::vector<double> dStore;
  float* f;
  double* d;
};

enum EWhich { kWiden, kNarrow, kAccumulate };

void Convert(benchmark::State& state, ESampleConversionLevel level, EWhich which)
{
  const SampleConversionFuncs* funcs = SampleConversionsAt(level);
  if (!funcs) {
    state.SkipWithError("level not available on this CPU");
    return;
  }
  const int n = static_cast<int>(state.range(0));
  Buffers b(n, static_cast<int>(state.range(1)));
  for (auto _ : state) {
    switch (which) {
    case kWiden:
      funcs->mFloatToDouble(b.f, b.d, n);
      break;
    case kNarrow:
      funcs->mDoubleToFloat(b.d, b.f, n);
      break;
    case kAccumulate:
      funcs->mAddDoubleToFloat(b.d, b.f, n);
      break;
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * n);
}

const int kRegistered = [] {
  const char* const whichNames[] = {"FloatToDouble", "DoubleToFloat", "AddDoubleToFloat"};
  for (int w = kWiden; w <= kAccumulate; ++w)
    for (int l = 0; l < kNumConversionLevels; ++l) {
      const auto level = static_cast<ESampleConversionLevel>(l);
      const auto which = static_cast<EWhich>(w);
      benchmark::RegisterBenchmark((std::string(whichNames[w]) + "/" + kLevelNames[l]).c_str(),
                                   [level, which](benchmark::State& st) { Convert(st, level, which); })
          ->ArgsProduct({{32, 512}, {0, 2}});
    }
  return 0;
}();
} // namespace
