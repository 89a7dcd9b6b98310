// The base's own cost around a do-nothing processing routine: float input
// attach (conversion to double), the processing call, and the float write-back,
// for a stereo plug-in at several block sizes.
#include <benchmark/benchmark.h>

#include <vector>

#include "plugcore/IEffectBase.h"

namespace {
class NullPlug : public IEffectBase
{
public:
  NullPlug() : IEffectBase(0, "1-1 2-2", 0, "Null", "Null", "Bench", 0x00010000, 1, 2, 0, false, false, false, kAPIAU)
  {}
  // Leaves the output buffers as they are: only the base's work is measured.
  void ProcessDoubleReplacing(double**, double** outputs, int) override { benchmark::DoNotOptimize(outputs); }
  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int*, int*) override {}
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return false; }
};

// Attaches float buffers to a stereo NullPlug and makes the base call under test (`step`) once per
// iteration, reporting the cost per frame.
template <class Step>
void runFloatBlocks(benchmark::State& state, Step step)
{
  const int frames = static_cast<int>(state.range(0));
  NullPlug plug;
  plug.SetBlockSize(frames);
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);

  std::vector<float> in0(frames, 0.25f), in1(frames, -0.25f), out0(frames), out1(frames);
  float* ins[] = {in0.data(), in1.data()};
  float* outs[] = {out0.data(), out1.data()};
  for (auto _ : state) {
    plug.AttachInputBuffers(0, 2, ins, frames);
    plug.AttachOutputBuffers(0, 2, outs);
    step(plug, frames);
    benchmark::ClobberMemory();
  }
  state.counters["ns_per_frame"] = benchmark::Counter(
      static_cast<double>(frames), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_FloatAttachProcessWriteBack(benchmark::State& state)
{
  runFloatBlocks(state, [](NullPlug& plug, int frames) { plug.ProcessBuffers(0.0f, frames); });
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FloatAttachProcessWriteBack)->Arg(64)->Arg(512)->Arg(4096);

void BM_PassThroughFloat(benchmark::State& state)
{
  runFloatBlocks(state, [](NullPlug& plug, int frames) { plug.PassThroughBuffers(0.0f, frames); });
}
BENCHMARK(BM_PassThroughFloat)->Arg(512);
} // namespace

BENCHMARK_MAIN();
