// Filter table, per-sample stages and the reference block loop of the Brindle chain.
#include "effect/BrindleChain.h"
#include "plugcore/AudioPath.h"

#include <cfloat>
#include <cmath>
#include <type_traits>

namespace {
struct StageDesign
{
  int type;
  double frequency;
  double bandwidth;
  double gainDB;
};

const StageDesign kStages[kBrindleNumStages] = {
    // input band limit
    {AuDSP::kHighPass, 95.0, 1.46, 0.0},
    {AuDSP::kLowPass, 320.0, 1.46, 0.0},
    // post-fuzz tone
    {AuDSP::kLowShelf, 140.0, 1.0, -30.0},
    {AuDSP::kPeaking, 200.0, 2.3, -7.5},
    {AuDSP::kPeaking, 500.0, 2.8, -12.3},
    {AuDSP::kPeaking, 300.0, 0.8, -1.8},
    {AuDSP::kPeaking, 1760.0, 1.3, 6.3},
    {AuDSP::kPeaking, 2220.0, 0.38, -12.0},
    {AuDSP::kPeaking, 7000.0, 0.8, -4.8},
    {AuDSP::kPeaking, 3900.0, 2.0, 13.8},
    {AuDSP::kHighShelf, 14100.0, 1.0, -30.0},
    {AuDSP::kHighShelf, 11200.0, 1.0, -21.3},
    // speaker cabinet
    {AuDSP::kLowShelf, 200.0, 0.4, -26.4},
    {AuDSP::kPeaking, 1500.0, 1.0, 0.0},
    {AuDSP::kPeaking, 500.0, 1.0, -7.2},
    {AuDSP::kPeaking, 850.0, 0.2, -10.2},
    {AuDSP::kPeaking, 1200.0, 0.2, -8.7},
    {AuDSP::kPeaking, 1800.0, 0.2, -19.2},
    {AuDSP::kPeaking, 2200.0, 1.0, 11.7},
    {AuDSP::kPeaking, 3200.0, 0.6, -17.1},
    {AuDSP::kPeaking, 5800.0, 0.6, -21.6},
    {AuDSP::kHighShelf, 10200.0, 1.0, -30.0},
};
} // namespace

void BrindleDesignFilters(AuDSP& dsp, double sampleRate)
{
  dsp.dspFullReset();
  for (int slot = 0; slot < kBrindleNumStages; ++slot) {
    const StageDesign& d = kStages[slot];
    if (d.frequency >= 0.5 * sampleRate) {
      // At low host rates (11025, 22050 Hz) the upper tone and cabinet stages sit at or above
      // half the rate: there is none of their band to shape, and their designs there are
      // unstable (NaN exactly at half the rate). Such a stage passes its input through.
      dsp.b0[slot] = 1.0;
      dsp.b1[slot] = dsp.b2[slot] = dsp.a1[slot] = dsp.a2[slot] = 0.0;
      continue;
    }
    dsp.biquadFilterInit(slot, d.type, d.frequency, d.bandwidth, d.gainDB, sampleRate);
  }
}

BRINDLE_AUDIO_PATH void BrindleDriveA(AuDSP& dsp, double drive, double attack, double outputGain, double input,
                                      double& output)
{
  double a, b, f, m;
  dsp.biquadFilterProcess(0, input, a);
  dsp.biquadFilterProcess(1, a, b);
  AuDSP::fuzzdrive3(b, kBrindleFuzzLevel, drive, f);
  AuDSP::xmix(f, 2.0 * b, 0.5 * attack, m);
  double y = m;
  for (int slot = 2; slot < kBrindleFirstCabStage; ++slot) dsp.biquadFilterProcess(slot, y, y);
  output = y * outputGain;
}

BRINDLE_AUDIO_PATH void BrindleCab(AuDSP& dsp, double input, double& output)
{
  double y = input;
  for (int slot = kBrindleFirstCabStage; slot < kBrindleNumStages; ++slot) dsp.biquadFilterProcess(slot, y, y);
  output = y;
}

namespace {
template <typename Block>
BRINDLE_AUDIO_PATH void ProcessPlain(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable,
                                     const Block& block)
{
  typedef typename std::remove_pointer<decltype(block.out0)>::type Sample;
  int noiseIndex = 0;
  for (int i = 0; i < block.frames; ++i) {
    const double s = BrindleInputSample(block.in0[i]) + BrindleInputSample(block.in1[i]);
    if (!settings.effectOn) {
      block.out1[i] = static_cast<Sample>(s);
      block.out0[i] = static_cast<Sample>(s);
      continue;
    }
    const double x = s + noiseTable[noiseIndex];
    if (++noiseIndex == kBrindleNoiseTableSize) noiseIndex = 0; // blocks longer than the table reuse it from the start
    double y;
    BrindleDriveA(dsp, settings.drive, settings.attack, settings.outputGain, x, y);
    if (settings.cabinetOn) BrindleCab(dsp, y, y);
    block.out1[i] = static_cast<Sample>(y);
    block.out0[i] = static_cast<Sample>(y);
  }
  if (settings.effectOn && block.frames > 0) BrindleSettleHistories(dsp);
}
} // namespace

BRINDLE_AUDIO_PATH void BrindleProcessPlain(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable,
                                            const BrindleBlock& block)
{
  ProcessPlain(dsp, settings, noiseTable, block);
}

BRINDLE_AUDIO_PATH void BrindleProcessPlain(AuDSP& dsp, const BrindleSettings& settings, const double* noiseTable,
                                            const BrindleFloatOutBlock& block)
{
  ProcessPlain(dsp, settings, noiseTable, block);
}

void BrindleSettleHistories(AuDSP& dsp)
{
  // Selects rather than branches: 22 stages checked on every block must stay cheap.
  for (int s = 0; s < kBrindleNumStages; ++s) {
    const double x1 = dsp.x1[s], x2 = dsp.x2[s], y1 = dsp.y1[s], y2 = dsp.y2[s];
    // NaN fails every comparison, so "not at most DBL_MAX" catches it with the infinities.
    const bool poisoned = !(std::fabs(x1) <= DBL_MAX) | !(std::fabs(x2) <= DBL_MAX) | !(std::fabs(y1) <= DBL_MAX) |
                          !(std::fabs(y2) <= DBL_MAX);
    const bool faded = (std::fabs(y1) < DBL_MIN) & (std::fabs(y2) < DBL_MIN);
    dsp.x1[s] = poisoned ? 0.0 : x1;
    dsp.x2[s] = poisoned ? 0.0 : x2;
    dsp.y1[s] = poisoned | faded ? 0.0 : y1;
    dsp.y2[s] = poisoned | faded ? 0.0 : y2;
  }
}
