#include "tools/play/PedalEngine.h"

#include "tools/play/LiveUnit.h"

#include <cmath>
#include <cstring>
#include <thread>

namespace {

float Peak(const float* const* buffers, int channels, int frames)
{
  float peak = 0.0f;
  for (int c = 0; c < channels; ++c)
    for (int i = 0; i < frames; ++i) peak = std::fmax(peak, std::fabs(buffers[c][i]));
  return peak;
}

void RaiseTo(std::atomic<float>& held, float value)
{
  float current = held.load(std::memory_order_relaxed);
  while (value > current && !held.compare_exchange_weak(current, value, std::memory_order_relaxed)) {}
}

} // namespace

void PedalEngine::Cycle(const float* const* in, float* const* out, int channels, int frames)
{
  mBusy.store(true);
  if (mEnabled.load() && frames <= mUnit.MaxFrames()) {
    RaiseTo(mInputPeak, Peak(in, channels, frames));
    if (!mUnit.Render(in, out, frames)) mFailures.fetch_add(1, std::memory_order_relaxed);
    RaiseTo(mOutputPeak, Peak(out, channels, frames));
  } else {
    for (int c = 0; c < channels; ++c) std::memset(out[c], 0, static_cast<size_t>(frames) * sizeof(float));
  }
  mBusy.store(false);
}

void PedalEngine::Suspend()
{
  mEnabled.store(false);
  while (mBusy.load()) std::this_thread::sleep_for(std::chrono::microseconds(200));
}

void PedalEngine::Resume()
{
  mEnabled.store(true);
}
