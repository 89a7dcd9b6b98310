// Resident memory over a long session: the component opened, initialized, rendered and closed a
// thousand times, and its editor view opened and closed a thousand times. Reports the resident set
// after cycle 100 and cycle 1000 and their difference (the target is under 64 KiB of growth in a
// release build). Memory, not time, is the result: each benchmark runs its cycles exactly once.
#include "tools/host/EditorHost.h"
#include "tools/validate/ValidateChecks.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <unistd.h>

namespace {

double ResidentKiB()
{
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024.0;
}

Component LoadComponent(benchmark::State& state)
{
  Component component = nullptr;
  std::string error;
  if (!LoadBrindleComponent(ResolveComponentPath(BRINDLE_COMPONENT_BUNDLE), component, error))
    state.SkipWithError(error.c_str());
  return component;
}

template <typename Cycle>
void RunCycles(benchmark::State& state, Cycle cycle)
{
  for (auto _ : state) {
    // The first reading pages in stdio's scanning code and allocates its FILE buffer: 64 KiB that
    // would otherwise land between the reading at cycle 100 and the one at cycle 1000.
    ResidentKiB();
    double at100 = 0;
    for (int i = 1; i <= 1000; ++i) {
      if (!cycle()) {
        state.SkipWithError("a cycle failed");
        return;
      }
      if (i == 100) at100 = ResidentKiB();
    }
    const double at1000 = ResidentKiB();
    state.counters["rss_100_KiB"] = at100;
    state.counters["rss_1000_KiB"] = at1000;
    state.counters["growth_KiB"] = at1000 - at100;
  }
}

void BM_OpenInitializeRenderClose(benchmark::State& state)
{
  ValidateContext context;
  if (!(context.component = LoadComponent(state))) return;
  validate::Planar in(2, 256), out(2, 256);
  RunCycles(state, [&] {
    ComponentHost host;
    std::string error;
    return validate::PrepareHost(context, host, validate::Stereo(44100, 256), error) &&
           host.Render(in.in.data(), out.out.data(), 256) == noErr;
  });
}
BENCHMARK(BM_OpenInitializeRenderClose)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_EditorViewOpenClose(benchmark::State& state)
{
  ValidateContext context;
  if (!(context.component = LoadComponent(state))) return;
  ComponentHost host;
  std::string error;
  if (!validate::PrepareHost(context, host, validate::Stereo(44100, 256), error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  RunCycles(state, [&] {
    EditorHost editor;
    std::string openError;
    if (!editor.Open(host.Unit(), openError)) return false;
    editor.Ticks(1);
    return true;
  });
}
BENCHMARK(BM_EditorViewOpenClose)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
