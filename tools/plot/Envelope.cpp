// Min/max/RMS per column.
#include "tools/plot/Envelope.h"

#include <algorithm>
#include <cmath>

std::vector<EnvelopeColumn> ComputeEnvelope(const float* samples, size_t count, int columns)
{
  std::vector<EnvelopeColumn> result;
  if (!samples || count == 0 || columns <= 0) return result;
  result.resize(static_cast<size_t>(columns));
  const size_t cols = static_cast<size_t>(columns);
  for (size_t c = 0; c < cols; ++c) {
    // 64-bit products: a long file times a wide picture must not wrap.
    const size_t begin = static_cast<size_t>(static_cast<unsigned long long>(c) * count / cols);
    size_t end = static_cast<size_t>(static_cast<unsigned long long>(c + 1) * count / cols);
    end = std::max(end, begin + 1);
    EnvelopeColumn& col = result[c];
    col.min = col.max = samples[begin];
    double sumSquares = 0;
    for (size_t i = begin; i < end; ++i) {
      col.min = std::min(col.min, samples[i]);
      col.max = std::max(col.max, samples[i]);
      sumSquares += static_cast<double>(samples[i]) * samples[i];
    }
    col.rms = static_cast<float>(std::sqrt(sumSquares / static_cast<double>(end - begin)));
  }
  return result;
}
