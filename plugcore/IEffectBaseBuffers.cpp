// IEffectBase: channel connections, host-buffer attachment and the processing
// entry points. Nothing here locks or allocates except SetBlockSize; the functions
// marked BRINDLE_AUDIO_PATH run on the host's render thread.
#include "plugcore/IEffectBase.h"
#include "plugcore/AudioPath.h"

#include <cstring>

#include "plugcore/SampleConversion.h"

namespace {
// The channel range [first, end) an attach or connection call visits.
int RangeEnd(int first, int n, int nChannels)
{
  const long long end = static_cast<long long>(first) + n;
  return end < nChannels ? static_cast<int>(end) : nChannels;
}

// The audio path's helpers are file-local so that they inline into it.

// Scratch buffers hold exactly blockSize samples, so no call may go beyond.
inline int ClampToBlock(int nFrames, int blockSize)
{
  if (nFrames < 0) return 0;
  return nFrames < blockSize ? nFrames : blockSize;
}

// Before the adapter has set the connections some entries are still null; the
// processing routine must never see those.
inline bool SlotsReady(const Core_TypedBuf<double*>& inData, const Core_TypedBuf<double*>& outData)
{
  for (int i = 0, n = inData.GetSize(); i < n; ++i)
    if (!inData.Get()[i]) return false;
  for (int i = 0, n = outData.GetSize(); i < n; ++i)
    if (!outData.Get()[i]) return false;
  return true;
}

// Every output channel's host buffer, when every one is connected and has one: then a product's
// own single-precision rendering writes exactly the buffers the write-back would.
BRINDLE_AUDIO_PATH inline bool AllHostOutputs(const Core_PtrList<IEffectBase::OutChannel>& channels,
                                              Core_TypedBuf<float*>& hostOut)
{
  const int n = channels.GetSize();
  if (hostOut.GetSize() != n) return false;
  for (int i = 0; i < n; ++i) {
    const IEffectBase::OutChannel* channel = channels.Get(i);
    if (!channel->mConnected || !channel->mHostBuffer) return false;
    hostOut.Get()[i] = channel->mHostBuffer;
  }
  return true;
}

BRINDLE_AUDIO_PATH inline void WriteBack(const Core_PtrList<IEffectBase::OutChannel>& channels, int nFrames,
                                         bool accumulate)
{
  for (int i = 0, n = channels.GetSize(); i < n; ++i) {
    const IEffectBase::OutChannel* channel = channels.Get(i);
    float* host = channel->mHostBuffer;
    const double* out = *channel->mDataSlot;
    if (!channel->mConnected || !host || !out) continue;
    if (accumulate)
      AddDoubleToFloat(out, host, nFrames);
    else
      ConvertDoubleToFloat(out, host, nFrames);
  }
}
} // namespace

void IEffectBase::SetInputChannelConnections(int idx, int n, bool connected)
{
  if (idx < 0) return;
  for (int i = idx, end = RangeEnd(idx, n, NInChannels()); i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    channel->mConnected = connected;
    if (!connected) *channel->mDataSlot = channel->mScratchBuffer.Get();
  }
}

void IEffectBase::SetOutputChannelConnections(int idx, int n, bool connected)
{
  if (idx < 0) return;
  for (int i = idx, end = RangeEnd(idx, n, NOutChannels()); i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    channel->mConnected = connected;
    if (!connected) *channel->mDataSlot = channel->mScratchBuffer.Get();
  }
}

bool IEffectBase::IsInChannelConnected(int chIdx) const
{
  const InChannel* channel = mInChannels.Get(chIdx);
  return channel && channel->mConnected;
}

BRINDLE_AUDIO_PATH bool IEffectBase::IsOutChannelConnected(int chIdx) const
{
  const OutChannel* channel = mOutChannels.Get(chIdx);
  return channel && channel->mConnected;
}

void IEffectBase::LimitToStereoIO()
{
  for (int i = 2, n = NInChannels(); i < n; ++i) {
    InChannel* channel = mInChannels.Get(i);
    channel->mConnected = false;
    *channel->mDataSlot = channel->mScratchBuffer.Get();
  }
  for (int i = 2, n = NOutChannels(); i < n; ++i) mOutChannels.Get(i)->mConnected = true;
}

BRINDLE_AUDIO_PATH void IEffectBase::AttachInputBuffers(int idx, int n, double** ppData, int nFrames)
{
  (void)nFrames; // the host's buffers are used in place
  if (idx < 0 || !ppData) return;
  for (int i = idx, end = RangeEnd(idx, n, NInChannels()); i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    if (!channel->mConnected) continue;
    double* hostBuffer = *ppData++;
    // A missing host buffer reads as the (silent or stale) scratch buffer instead of crashing.
    *channel->mDataSlot = hostBuffer ? hostBuffer : channel->mScratchBuffer.Get();
  }
}

BRINDLE_AUDIO_PATH void IEffectBase::AttachInputBuffers(int idx, int n, float** ppData, int nFrames)
{
  if (idx < 0 || !ppData) return;
  nFrames = ClampToBlock(nFrames, mBlockSize);
  for (int i = idx, end = RangeEnd(idx, n, NInChannels()); i < end; ++i) {
    InChannel* channel = mInChannels.Get(i);
    if (!channel->mConnected) continue;
    const float* hostBuffer = *ppData++;
    double* scratch = channel->mScratchBuffer.Get();
    if (scratch) {
      if (hostBuffer)
        ConvertFloatToDouble(hostBuffer, scratch, nFrames);
      else
        std::memset(scratch, 0, sizeof(double) * static_cast<size_t>(nFrames));
    }
    *channel->mDataSlot = scratch;
  }
}

BRINDLE_AUDIO_PATH void IEffectBase::AttachOutputBuffers(int idx, int n, double** ppData)
{
  if (idx < 0 || !ppData) return;
  for (int i = idx, end = RangeEnd(idx, n, NOutChannels()); i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected) continue;
    double* hostBuffer = *ppData++;
    *channel->mDataSlot = hostBuffer ? hostBuffer : channel->mScratchBuffer.Get();
    // Output now goes straight to the host; no single-precision write-back.
    channel->mHostBuffer = nullptr;
  }
}

BRINDLE_AUDIO_PATH void IEffectBase::AttachOutputBuffers(int idx, int n, float** ppData)
{
  if (idx < 0 || !ppData) return;
  for (int i = idx, end = RangeEnd(idx, n, NOutChannels()); i < end; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected) continue;
    *channel->mDataSlot = channel->mScratchBuffer.Get();
    channel->mHostBuffer = *ppData++;
  }
}

// The base defaults of the processing routines.
BRINDLE_AUDIO_PATH void IEffectBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  if (!outputs || nFrames <= 0) return;
  const int nIn = NInChannels(), nOut = NOutChannels();
  for (int i = 0; i < nOut; ++i) {
    double* out = outputs[i];
    if (!out) continue;
    const double* in = i < nIn && inputs ? inputs[i] : nullptr;
    if (in) {
      if (in != out) std::memmove(out, in, sizeof(double) * static_cast<size_t>(nFrames));
    } else {
      std::memset(out, 0, sizeof(double) * static_cast<size_t>(nFrames));
    }
  }
}

BRINDLE_AUDIO_PATH void IEffectBase::ProcessSingleReplacing(float** inputs, float** outputs, int nFrames)
{
  if (!outputs || nFrames <= 0) return;
  const int nIn = NInChannels(), nOut = NOutChannels();
  for (int i = 0; i < nIn && inputs; ++i) {
    if (inputs[i] && outputs[i] && inputs[i] != outputs[i])
      std::memmove(outputs[i], inputs[i], sizeof(float) * static_cast<size_t>(nFrames));
  }
  for (int i = nIn; i < nOut; ++i) {
    if (outputs[i]) std::memset(outputs[i], 0, sizeof(float) * static_cast<size_t>(nFrames));
  }
}

// The base's own ProcessDoubleReplacing is exactly the pass-through (called by
// name, so a product's override is not run).
BRINDLE_AUDIO_PATH void IEffectBase::PassThroughBuffers(double /*sampleType*/, int nFrames)
{
  IEffectBase::ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), ClampToBlock(nFrames, mBlockSize));
}

BRINDLE_AUDIO_PATH void IEffectBase::PassThroughBuffers(float /*sampleType*/, int nFrames)
{
  nFrames = ClampToBlock(nFrames, mBlockSize);
  IEffectBase::ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  WriteBack(mOutChannels, nFrames, false);
}

BRINDLE_AUDIO_PATH void IEffectBase::ProcessBuffers(double /*sampleType*/, int nFrames)
{
  nFrames = ClampToBlock(nFrames, mBlockSize);
  if (nFrames <= 0 || !SlotsReady(mInData, mOutData)) return;
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

BRINDLE_AUDIO_PATH void IEffectBase::ProcessBuffers(float /*sampleType*/, int nFrames)
{
  nFrames = ClampToBlock(nFrames, mBlockSize);
  if (nFrames <= 0 || !SlotsReady(mInData, mOutData)) return;
  if (AllHostOutputs(mOutChannels, mHostOutData) && ProcessDoubleToSingle(mInData.Get(), mHostOutData.Get(), nFrames))
    return;
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  WriteBack(mOutChannels, nFrames, false);
}

BRINDLE_AUDIO_PATH void IEffectBase::ProcessBuffersAccumulating(float /*sampleType*/, int nFrames)
{
  nFrames = ClampToBlock(nFrames, mBlockSize);
  if (nFrames <= 0 || !SlotsReady(mInData, mOutData)) return;
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  WriteBack(mOutChannels, nFrames, true);
}

void IEffectBase::ZeroScratchBuffers()
{
  for (int i = 0, n = NInChannels(); i < n; ++i) mInChannels.Get(i)->mScratchBuffer.Zero();
  for (int i = 0, n = NOutChannels(); i < n; ++i) mOutChannels.Get(i)->mScratchBuffer.Zero();
}

namespace {
// Resizes one channel's scratch buffer to blockSize zeroed doubles and moves the
// channel's data entry along when it pointed at the old buffer, so it never
// dangles (an unconnected channel marked before any buffer existed gets its new
// scratch buffer too). False when the memory could not be had.
bool ResizeScratch(Core_TypedBuf<double>& scratch, double** slot, bool connected, int blockSize)
{
  double* old = scratch.Get();
  scratch.Resize(blockSize, true);
  const bool ok = scratch.GetSize() == blockSize;
  scratch.Zero();
  if (*slot == old && (old || !connected)) *slot = scratch.Get();
  return ok;
}
} // namespace

void IEffectBase::SetBlockSize(int blockSize)
{
  if (blockSize < 0) blockSize = 0;
  if (blockSize == mBlockSize) return;
  bool ok = true;
  for (int i = 0, n = NInChannels(); i < n; ++i) {
    InChannel* channel = mInChannels.Get(i);
    ok = ResizeScratch(channel->mScratchBuffer, channel->mDataSlot, channel->mConnected, blockSize) && ok;
  }
  for (int i = 0, n = NOutChannels(); i < n; ++i) {
    OutChannel* channel = mOutChannels.Get(i);
    ok = ResizeScratch(channel->mScratchBuffer, channel->mDataSlot, channel->mConnected, blockSize) && ok;
  }
  // Out of memory: process nothing rather than run past a short buffer.
  mBlockSize = ok ? blockSize : 0;
}
