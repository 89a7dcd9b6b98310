// PedalEngine: what the audio thread does each period, apart from the audio server's own calls:
// hand the period's buffers to the unit and keep the input and output peaks for the meters.
//
// The control thread may take the unit away from the audio thread (Suspend) to reconfigure it, and
// give it back (Resume); while suspended a period is silence. The handshake is two atomic flags, so
// Cycle takes no lock, allocates nothing and makes no system call.
#pragma once

#include <atomic>

class LiveUnit;

class PedalEngine
{
public:
  explicit PedalEngine(LiveUnit& unit) : mUnit(unit) {}

  // Audio thread: one period of `channels` buffers each way (the unit's channel count).
  void Cycle(const float* const* in, float* const* out, int channels, int frames);

  // Control thread: after Suspend returns, no Cycle is inside the unit until Resume.
  void Suspend();
  void Resume();
  // Any thread: stop rendering from the next period on (a period size the unit cannot take).
  void Disable() { mEnabled.store(false); }

  // The largest input and output magnitude since the previous call (0 to 1 and beyond).
  float TakeInputPeak() { return mInputPeak.exchange(0.0f); }
  float TakeOutputPeak() { return mOutputPeak.exchange(0.0f); }
  // Periods the unit refused to render (they went out silent).
  long Failures() const { return mFailures.load(); }

private:
  LiveUnit& mUnit;
  std::atomic<bool> mEnabled{false};
  std::atomic<bool> mBusy{false};
  std::atomic<float> mInputPeak{0.0f};
  std::atomic<float> mOutputPeak{0.0f};
  std::atomic<long> mFailures{0};
};
