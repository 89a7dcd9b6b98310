// The wavefront's eight-lane source (the AVX-512 build's) compiled for the baseline instruction
// set: far too slow to ship, it lets the kernel tests prove that source on machines without AVX-512.
#pragma once

#include "effect/BrindleChain.h"

void RunWideWavefront(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable, const BrindleBlock& block);
void RunWideWavefront(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable,
                      const BrindleFloatOutBlock& block);
