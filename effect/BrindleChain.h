// The Brindle signal chain, free of any host or plug-in framework: filter set-up for a sample rate,
// the per-sample fuzz/tone and cabinet stages, and two block renderers over the same arithmetic.
//
// BrindleProcessPlain is the reference: one sample at a time through all stages, exactly as the
// chain is defined. BrindleProcessFast produces bit-identical output several times faster by
// visiting stages and samples in a different order (a wavefront across the filter cascade, see
// BrindleWavefront.cpp); the per-stage arithmetic and its order of summation are unchanged.
//
// Both read the settings once per block and the noise table from entry 0 at the start of every
// block. Blocks longer than the table wrap around to entry 0 again, so any block length is safe.
// In-place use (an output buffer equal to an input buffer) is allowed.
//
// Both take a NaN or infinite input sample as silence (0.0) where it enters, before the sum: one
// such sample would otherwise turn the rest of the block into NaN, which a host mixes into its bus
// and every plug-in after this one. Finite samples enter unchanged, to the last bit.
//
// Both end every block that ran the filters with BrindleSettleHistories: histories that decayed
// into denormal numbers are set to zero (a constant input leaves the 95 Hz high-pass ringing
// there for good, at several times the cost of a normal sample), and histories poisoned by a
// finite input so large that the arithmetic overflows are cleared so that the effect is heard
// again from the next block on.
#pragma once

#include "effect/AuDSP.h"
#include "effect/BrindleNoise.h"

#include <cfloat>
#include <cmath>

constexpr int kBrindleNumStages = 22;     // biquad slots 0..21
constexpr int kBrindleFirstCabStage = 12; // slots 12..21 form the cabinet
constexpr double kBrindleFuzzLevel = 0.8;

struct BrindleSettings
{
  double outputGain = 2.0; // 4 x "Level"
  double drive = 2.5;      // 5 x "Attack"
  double attack = 0.5;     // "Attack"
  bool effectOn = true;
  bool cabinetOn = true;
};

// Two input channels are summed; both outputs receive the same result.
struct BrindleBlock
{
  const double* in0;
  const double* in1;
  double* out0;
  double* out1;
  int frames;
};

// The same with single-precision outputs, as a host's buffers are: each output sample is the
// double result rounded to float exactly as a cast rounds it, written without a double buffer in
// between.
struct BrindleFloatOutBlock
{
  const double* in0;
  const double* in1;
  float* out0;
  float* out1;
  int frames;
};

// An input sample as the chain takes it: NaN and the infinities are silence, anything else stays.
inline double BrindleInputSample(double x)
{
  // NaN fails every comparison, so "at most DBL_MAX" lets only finite values through.
  return std::fabs(x) <= DBL_MAX ? x : 0.0;
}

// Full reset of the filter bank, then slots 0..21 designed for the sample rate.
void BrindleDesignFilters(AuDSP& dsp, double sampleRate);

// Fuzz and tone stage for one sample: band limit, fuzz, mix, ten tone biquads, output gain.
void BrindleDriveA(AuDSP& dsp, double drive, double attack, double outputGain, double input, double& output);
// Cabinet stage for one sample: slots 12..21.
void BrindleCab(AuDSP& dsp, double input, double& output);

// Stage by stage over slots 0..21: a stage whose output history y1 and y2 both lie below the
// smallest normal double gets y1 = y2 = 0, and a stage with any non-finite history value gets all
// four history values zeroed. The first leaves every output unchanged: a history that small can
// only change values that are themselves far below the 1e-20 each stage adds to its output, and
// the first sample of real signal absorbs the difference exactly. Only non-finite values (or a
// finite input so large that it overflows) trigger the second.
void BrindleSettleHistories(AuDSP& dsp);

void BrindleProcessPlain(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable,
                         const BrindleBlock& block);
void BrindleProcessPlain(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable,
                         const BrindleFloatOutBlock& block);
void BrindleProcessFast(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable,
                        const BrindleBlock& block);
void BrindleProcessFast(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable,
                        const BrindleFloatOutBlock& block);

// The builds behind BrindleProcessFast, all bit-identical: the plain loop, the wavefront for the
// baseline instruction set (generic vectors), and the wavefront for AVX2 and for AVX-512.
enum class BrindleKernel { kPlain, kPortable, kAvx2, kAvx512 };
bool BrindleKernelAvailable(BrindleKernel kernel);
// The widest kernel BrindleProcessFast uses on this CPU, and the one it uses for a block of this
// length through the chain with or without the cabinet.
BrindleKernel BrindleFastKernel();
BrindleKernel BrindleFastKernelFor(int frames, bool cabinetOn);
// Runs the given kernel; false (and nothing done) when this CPU cannot run it.
bool BrindleProcessWithKernel(BrindleKernel kernel, AuDSP& dsp, const BrindleSettings& settings,
                              const double* noiseTable, const BrindleBlock& block);
bool BrindleProcessWithKernel(BrindleKernel kernel, AuDSP& dsp, const BrindleSettings& settings,
                              const double* noiseTable, const BrindleFloatOutBlock& block);
