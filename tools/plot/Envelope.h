// The waveform envelope the brindle plots draw: a signal cut into equal spans, one per pixel column,
// each summarised by its lowest and highest sample and its RMS level.
#pragma once

#include <cstddef>
#include <vector>

struct EnvelopeColumn
{
  float min = 0;
  float max = 0;
  float rms = 0;
};

// Column c covers samples [c * count / columns, (c + 1) * count / columns), widened to one sample
// when the signal has fewer samples than columns, so every column shows the sample under it.
// Empty for no samples or no columns.
std::vector<EnvelopeColumn> ComputeEnvelope(const float* samples, size_t count, int columns);
