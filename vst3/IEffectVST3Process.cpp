// IEffectVST3: the audio path. Nothing here allocates or does I/O; parameter changes go to
// ApplyNormalized (IEffectVST3Params.cpp), which takes the product's lock as its OnParamChange does.
#include "vst3/IEffectVST3.h"

#include <algorithm>
#include <cmath>

#include "plugcore/AudioPath.h"

using namespace vst3;

// Outputs that can be written safely are silenced when a block is refused: only when the record's
// frame count and sample size are ones the buffers can be trusted to hold (those of the set-up, once
// there is one), since a wrong count or sample size would write past them.
BRINDLE_AUDIO_PATH void IEffectVST3::SilenceOutputs(const ProcessData& data) const
{
  const int32 maxFrames = mSetUp ? mSetup.maxSamplesPerBlock : kMaxBlockSize;
  const bool sizeKnown = mSetUp ? data.symbolicSampleSize == mSetup.symbolicSampleSize
                                : data.symbolicSampleSize == kSample32 || data.symbolicSampleSize == kSample64;
  if (!data.outputs || data.numOutputs != 1 || data.numSamples < 1 || data.numSamples > maxFrames || !sizeKnown) return;
  const AudioBusBuffers& bus = data.outputs[0];
  if (!bus.channelBuffers32) return;
  for (int32 c = 0; c < bus.numChannels && c < 2; ++c) {
    if (data.symbolicSampleSize == kSample64 && bus.channelBuffers64[c])
      std::fill(bus.channelBuffers64[c], bus.channelBuffers64[c] + data.numSamples, 0.0);
    else if (data.symbolicSampleSize == kSample32 && bus.channelBuffers32[c])
      std::fill(bus.channelBuffers32[c], bus.channelBuffers32[c] + data.numSamples, 0.0f);
  }
}

BRINDLE_AUDIO_PATH bool IEffectVST3::ValidBuffers(const ProcessData& data) const
{
  if (data.symbolicSampleSize != mSetup.symbolicSampleSize || data.numSamples < 0 ||
      data.numSamples > mSetup.maxSamplesPerBlock)
    return false;
  if (data.numSamples == 0) return true; // parameters only, buffers optional
  if (data.numInputs != 1 || data.numOutputs != 1 || !data.inputs || !data.outputs) return false;
  for (const AudioBusBuffers* bus : {data.inputs, data.outputs}) {
    if (bus->numChannels != mChannels || !bus->channelBuffers32) return false;
    for (int c = 0; c < mChannels; ++c)
      if (!bus->channelBuffers32[c]) return false; // the same pointer whichever the sample size
  }
  return true;
}

BRINDLE_AUDIO_PATH size_t IEffectVST3::GatherPoints(IParameterChanges* changes, int32_t frames)
{
  if (!changes) return 0;
  size_t n = 0;
  const int32 queues = changes->getParameterCount();
  for (int32 q = 0; q < queues && q < 0x7FFF; ++q) {
    IParamValueQueue* queue = changes->getParameterData(q);
    if (!queue) continue;
    const ParamID id = queue->getParameterId();
    const int32 points = queue->getPointCount();
    for (int32 p = 0; p < points; ++p) {
      int32 offset = 0;
      double value = 0.0;
      if (queue->getPoint(p, offset, value) != kResultOk || !std::isfinite(value)) continue;
      // A full list keeps each queue's last value, which is where the host means the parameter to end.
      const bool last = p == points - 1;
      if (n == mPoints.size() && !last) continue;
      Point& slot = n < mPoints.size() ? mPoints[n++] : mPoints.back();
      slot = {std::min(std::max(offset, 0), frames), q << 16 | std::min(p, 0xFFFF), id, value};
    }
  }
  std::sort(mPoints.begin(), mPoints.begin() + static_cast<std::ptrdiff_t>(n), [](const Point& a, const Point& b) {
    return a.mOffset != b.mOffset ? a.mOffset < b.mOffset : a.mOrder < b.mOrder;
  });
  return n;
}

template <class T>
BRINDLE_AUDIO_PATH void IEffectVST3::ProcessPieces(T** in, T** out, int32_t frames, size_t nPoints)
{
  std::vector<T*>& ptrs = [this]() -> std::vector<T*>& {
    if constexpr (sizeof(T) == sizeof(float))
      return mPtrs32;
    else
      return mPtrs64;
  }();
  const size_t channels = static_cast<size_t>(mChannels);
  int32_t done = 0;
  auto renderTo = [&](int32_t end) {
    while (done < end) {
      const int piece = std::min(end - done, GetBlockSize());
      for (size_t c = 0; c < channels; ++c) {
        ptrs[c] = in[c] + done;
        ptrs[channels + c] = out[c] + done;
      }
      // The inputs are copied into the base's buffers before any output is written, which serves a
      // host that processes in place.
      AttachInputBuffers(0, NInChannels(), ptrs.data(), piece);
      AttachOutputBuffers(0, NOutChannels(), ptrs.data() + channels);
      ProcessBuffers(T(0), piece);
      done += piece;
      mSamplePos = static_cast<int>(static_cast<unsigned>(mSamplePos) + static_cast<unsigned>(piece));
    }
  };
  for (size_t i = 0; i < nPoints; ++i) {
    if (in) renderTo(mPoints[i].mOffset);
    ApplyNormalized(mPoints[i].mID, mPoints[i].mValue);
  }
  if (in) renderTo(frames);
}

BRINDLE_AUDIO_PATH tresult IEffectVST3::Process(ProcessData& data)
{
  if (Stage() != kActive) {
    SilenceOutputs(data);
    return kNotInitialized;
  }
  if (!ValidBuffers(data)) {
    SilenceOutputs(data);
    return kInvalidArgument;
  }
  const int32_t frames = data.numSamples;
  const size_t nPoints = GatherPoints(data.inputParameterChanges, frames);
  if (frames == 0)
    ProcessPieces<float>(nullptr, nullptr, 0, nPoints);
  else if (data.symbolicSampleSize == kSample64)
    ProcessPieces(data.inputs[0].channelBuffers64, data.outputs[0].channelBuffers64, frames, nPoints);
  else
    ProcessPieces(data.inputs[0].channelBuffers32, data.outputs[0].channelBuffers32, frames, nPoints);
  if (frames > 0) data.outputs[0].silenceFlags = 0;
  return kResultOk;
}
