// Noise generator and running-sum table.
#include "effect/BrindleNoise.h"

#include <cstring>

std::uint32_t rand_state = 1;

void BrindleNoiseStep(std::uint32_t& state, float& value)
{
  state = state * 1234567u + 890123u;
  const std::uint32_t bits = (state & 0x807f0000u) | 0x1e000000u;
  float noise;
  std::memcpy(&noise, &bits, sizeof noise);
  value = value + noise;
}

void BrindleFillNoiseTable(double* table)
{
  std::uint32_t state = rand_state;
  float sum = 0.0f;
  for (int i = 0; i < kBrindleNoiseTableSize; ++i) {
    BrindleNoiseStep(state, sum);
    table[i] = static_cast<double>(sum);
  }
  rand_state = state;
}
