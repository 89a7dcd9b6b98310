// The wavefront's builds (portable, AVX2, AVX-512) and the choice among them and the plain loop.
#include "effect/BrindleWavefrontKernel.h"
#include "plugcore/AudioPath.h"

#include <climits>

namespace {

using brindle_wavefront::RunWavefront;

// Below this many frames the fill and drain cost more than the plain loop.
constexpr int kMinWavefrontFrames = 12;

template <typename Block>
BRINDLE_AUDIO_PATH void PassThroughSum(const Block& block)
{
  typedef typename std::remove_pointer<decltype(block.out0)>::type Sample;
  for (int i = 0; i < block.frames; ++i) {
    const Sample s = static_cast<Sample>(BrindleInputSample(block.in0[i]) + BrindleInputSample(block.in1[i]));
    block.out1[i] = s;
    block.out0[i] = s;
  }
}

} // namespace

#if defined(__x86_64__) || defined(__i386__)
namespace {
// The same source for wider registers. No FMA is enabled and contraction is off, so every
// operation rounds exactly as in the portable build: the output does not depend on the CPU.
template <typename Block>
__attribute__((target("avx2"))) void RenderAvx2(AuDSP& dsp, const BrindleSettings& s, const double* noise,
                                                const Block& b)
{
  if (s.cabinetOn)
    RunWavefront<22, 4>(dsp, s, noise, b);
  else
    RunWavefront<12, 4>(dsp, s, noise, b);
}

template <typename Block>
__attribute__((target("avx512f,avx512dq,avx512vl,avx512bw"))) void RenderAvx512(AuDSP& dsp, const BrindleSettings& s,
                                                                                const double* noise, const Block& b)
{
  if (s.cabinetOn)
    RunWavefront<22, 8>(dsp, s, noise, b);
  else
    RunWavefront<12, 8>(dsp, s, noise, b);
}
} // namespace
#endif

namespace {
template <typename Block>
BRINDLE_AUDIO_PATH void RenderPortable(AuDSP& dsp, const BrindleSettings& s, const double* noise, const Block& b)
{
  if (s.cabinetOn)
    RunWavefront<22, 4>(dsp, s, noise, b);
  else
    RunWavefront<12, 4>(dsp, s, noise, b);
}
} // namespace

bool BrindleKernelAvailable(BrindleKernel kernel)
{
  switch (kernel) {
  case BrindleKernel::kPlain:
  case BrindleKernel::kPortable:
    return true;
#if defined(__x86_64__) || defined(__i386__)
  case BrindleKernel::kAvx2:
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
  case BrindleKernel::kAvx512:
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
           __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw");
#endif
  default:
    return false;
  }
}

namespace {
// The kernels BrindleProcessFast runs, by block length, settled once per process from what the CPU
// has. Filling and draining the wavefront costs about as much as ten plain samples, so short blocks
// take the plain loop (same bits either way). With AVX-512 the eight-lane build has fewer, wider
// vectors: faster in the steady state of the full chain, but its pipeline fills and drains in
// coarser steps, and below a few hundred frames the four-lane AVX2 build is ahead. Without the
// cabinet the twelve stages fill three four-lane vectors exactly but leave a quarter of two
// eight-lane ones idle, and AVX2 is ahead at every length (all measured with bench_effect).
// The portable build of the wavefront is kept for its proof of bit-identity on any target, but with
// only 16 narrow registers it spills and loses to the plain loop, which is used instead.
struct KernelChoice
{
  int mWideFrom[2]; // by chain (without, with the cabinet): blocks of at least this many run mWide
  BrindleKernel mWide;
  int mNarrowFrom; // shorter blocks of at least this many run mNarrow, the rest the plain loop
  BrindleKernel mNarrow;
};

constexpr int kAvx512MinFrames = 256;
constexpr int kNever = INT_MAX;

KernelChoice ChooseKernels()
{
  const bool avx2 = BrindleKernelAvailable(BrindleKernel::kAvx2);
  if (BrindleKernelAvailable(BrindleKernel::kAvx512))
    return avx2 ? KernelChoice{{kNever, kAvx512MinFrames},
                               BrindleKernel::kAvx512,
                               kMinWavefrontFrames,
                               BrindleKernel::kAvx2}
                : KernelChoice{
                      {kMinWavefrontFrames, kMinWavefrontFrames}, BrindleKernel::kAvx512, 0, BrindleKernel::kPlain};
  if (avx2)
    return KernelChoice{{kMinWavefrontFrames, kMinWavefrontFrames}, BrindleKernel::kAvx2, 0, BrindleKernel::kPlain};
  return KernelChoice{{0, 0}, BrindleKernel::kPlain, 0, BrindleKernel::kPlain};
}

const KernelChoice& Kernels()
{
  static const KernelChoice choice = ChooseKernels();
  return choice;
}

BRINDLE_AUDIO_PATH BrindleKernel KernelFor(const KernelChoice& choice, int frames, bool cabinetOn)
{
  if (frames >= choice.mWideFrom[cabinetOn ? 1 : 0]) return choice.mWide;
  return frames >= choice.mNarrowFrom ? choice.mNarrow : BrindleKernel::kPlain;
}
} // namespace

BrindleKernel BrindleFastKernel()
{
  return Kernels().mWide;
}

BrindleKernel BrindleFastKernelFor(int frames, bool cabinetOn)
{
  return KernelFor(Kernels(), frames, cabinetOn);
}

namespace {
// Runs a kernel the caller has already found this CPU able to run.
template <typename Block>
BRINDLE_AUDIO_PATH void RunKernel(BrindleKernel kernel, AuDSP& dsp, const BrindleSettings& settings,
                                  const double* noiseTable, const Block& block)
{
  if (block.frames <= 0) return;
  if (!settings.effectOn) {
    PassThroughSum(block);
    return;
  }
  switch (kernel) {
  case BrindleKernel::kPortable:
    RenderPortable(dsp, settings, noiseTable, block);
    break;
#if defined(__x86_64__) || defined(__i386__)
  case BrindleKernel::kAvx2:
    RenderAvx2(dsp, settings, noiseTable, block);
    break;
  case BrindleKernel::kAvx512:
    RenderAvx512(dsp, settings, noiseTable, block);
    break;
#endif
  default:
    BrindleProcessPlain(dsp, settings, noiseTable, block);
    break;
  }
}
} // namespace

namespace {
template <typename Block>
BRINDLE_AUDIO_PATH void ProcessFast(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable,
                                    const Block& block)
{
  // Kernels() has checked the CPU once (BrindleFastKernel, called when the plug-in is built); the
  // render path does not ask again.
  const BrindleKernel kernel = KernelFor(Kernels(), block.frames, settings.cabinetOn);
  RunKernel(kernel, dsp, settings, noiseTable, block);
}
} // namespace

bool BrindleProcessWithKernel(BrindleKernel kernel, AuDSP& dsp, const BrindleSettings& settings,
                              const double* noiseTable, const BrindleBlock& block)
{
  if (!BrindleKernelAvailable(kernel)) return false;
  RunKernel(kernel, dsp, settings, noiseTable, block);
  return true;
}

bool BrindleProcessWithKernel(BrindleKernel kernel, AuDSP& dsp, const BrindleSettings& settings,
                              const double* noiseTable, const BrindleFloatOutBlock& block)
{
  if (!BrindleKernelAvailable(kernel)) return false;
  RunKernel(kernel, dsp, settings, noiseTable, block);
  return true;
}

BRINDLE_AUDIO_PATH void BrindleProcessFast(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable,
                                           const BrindleBlock& block)
{
  ProcessFast(dsp, settings, noiseTable, block);
}

BRINDLE_AUDIO_PATH void BrindleProcessFast(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable,
                                           const BrindleFloatOutBlock& block)
{
  ProcessFast(dsp, settings, noiseTable, block);
}
