#include "WideWavefront.h"

#include "effect/BrindleWavefrontKernel.h"

namespace {
template <typename Block>
void RunWide(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable, const Block& block)
{
  if (block.frames <= 0) return;
  if (settings.cabinetOn)
    brindle_wavefront::RunWavefront<22, 8>(dsp, settings, noiseTable, block);
  else
    brindle_wavefront::RunWavefront<12, 8>(dsp, settings, noiseTable, block);
}
} // namespace

void RunWideWavefront(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable, const BrindleBlock& block)
{
  RunWide(dsp, settings, noiseTable, block);
}

void RunWideWavefront(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable,
                      const BrindleFloatOutBlock& block)
{
  RunWide(dsp, settings, noiseTable, block);
}
