// IEffectBase: channel connections, host-buffer attachment and the processing
// entry points. Nothing here locks or allocates except SetBlockSize.
#include "plugcore/IEffectBase.h"

#include <cstring>

#include "plugcore/SampleConversion.h"

namespace
{
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

inline void WriteBack(const Core_PtrList<IEffectBase::OutChannel>& channels, int nFrames, bool accumulate)
{
  for (int i = 0, n = channels.GetSize(); i < n; ++i)
  {
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
  for (int i = idx, end = RangeEnd(idx, n, NInChannels()); i < end; ++i)
  {
    InChannel* channel = mInChannels.Get(i);
    channel->mConnected = connected;
    if (!connected) *channel->mDataSlot = channel->mScratchBuffer.Get();
  }
}

void IEffectBase::SetOutputChannelConnections(int idx, int n, bool connected)
{
  if (idx < 0) return;
  for (int i = idx, end = RangeEnd(idx, n, NOutChannels()); i < end; ++i)
  {
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

bool IEffectBase::IsOutChannelConnected(int chIdx) const
{
  const OutChannel* channel = mOutChannels.Get(chIdx);
  return channel && channel->mConnected;
}

void IEffectBase::LimitToStereoIO()
{
  for (int i = 2, n = NInChannels(); i < n; ++i)
  {
    InChannel* channel = mInChannels.Get(i);
    channel->mConnected = false;
    *channel->mDataSlot = channel->mScratchBuffer.Get();
  }
  for (int i = 2, n = NOutChannels(); i < n; ++i) mOutChannels.Get(i)->mConnected = true;
}

void IEffectBase::AttachInputBuffers(int idx, int n, double** ppData, int nFrames)
{
  (void)nFrames; // the host's buffers are used in place
  if (idx < 0 || !ppData) return;
  for (int i = idx, end = RangeEnd(idx, n, NInChannels()); i < end; ++i)
  {
    InChannel* channel = mInChannels.Get(i);
    if (!channel->mConnected) continue;
    double* hostBuffer = *ppData++;
    // A missing host buffer reads as the (silent or stale) scratch buffer instead of crashing.
    *channel->mDataSlot = hostBuffer ? hostBuffer : channel->mScratchBuffer.Get();
  }
}

void IEffectBase::AttachInputBuffers(int idx, int n, float** ppData, int nFrames)
{
  if (idx < 0 || !ppData) return;
  nFrames = ClampToBlock(nFrames, mBlockSize);
  for (int i = idx, end = RangeEnd(idx, n, NInChannels()); i < end; ++i)
  {
    InChannel* channel = mInChannels.Get(i);
    if (!channel->mConnected) continue;
    const float* hostBuffer = *ppData++;
    double* scratch = channel->mScratchBuffer.Get();
    if (scratch)
    {
      if (hostBuffer)
        ConvertFloatToDouble(hostBuffer, scratch, nFrames);
      else
        std::memset(scratch, 0, sizeof(double) * static_cast<size_t>(nFrames));
    }
    *channel->mDataSlot = scratch;
  }
}

void IEffectBase::AttachOutputBuffers(int idx, int n, double** ppData)
{
  if (idx < 0 || !ppData) return;
  for (int i = idx, end = RangeEnd(idx, n, NOutChannels()); i < end; ++i)
  {
    OutChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected) continue;
    double* hostBuffer = *ppData++;
    *channel->mDataSlot = hostBuffer ? hostBuffer : channel->mScratchBuffer.Get();
    // Output now goes straight to the host; no single-precision write-back.
    channel->mHostBuffer = nullptr;
  }
}

void IEffectBase::AttachOutputBuffers(int idx, int n, float** ppData)
{
  if (idx < 0 || !ppData) return;
  for (int i = idx, end = RangeEnd(idx, n, NOutChannels()); i < end; ++i)
  {
    OutChannel* channel = mOutChannels.Get(i);
    if (!channel->mConnected) continue;
    *channel->mDataSlot = channel->mScratchBuffer.Get();
    channel->mHostBuffer = *ppData++;
  }
}

// The base's own ProcessDoubleReplacing is exactly the pass-through (called by
// name, so a product's override is not run).
void IEffectBase::PassThroughBuffers(double /*sampleType*/, int nFrames)
{
  IEffectBase::ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), ClampToBlock(nFrames, mBlockSize));
}

void IEffectBase::PassThroughBuffers(float /*sampleType*/, int nFrames)
{
  nFrames = ClampToBlock(nFrames, mBlockSize);
  IEffectBase::ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  WriteBack(mOutChannels, nFrames, false);
}

void IEffectBase::ProcessBuffers(double /*sampleType*/, int nFrames)
{
  nFrames = ClampToBlock(nFrames, mBlockSize);
  if (nFrames <= 0 || !SlotsReady(mInData, mOutData)) return;
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
}

void IEffectBase::ProcessBuffers(float /*sampleType*/, int nFrames)
{
  nFrames = ClampToBlock(nFrames, mBlockSize);
  if (nFrames <= 0 || !SlotsReady(mInData, mOutData)) return;
  ProcessDoubleReplacing(mInData.Get(), mOutData.Get(), nFrames);
  WriteBack(mOutChannels, nFrames, false);
}

void IEffectBase::ProcessBuffersAccumulating(float /*sampleType*/, int nFrames)
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

namespace
{
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
  for (int i = 0, n = NInChannels(); i < n; ++i)
  {
    InChannel* channel = mInChannels.Get(i);
    ok = ResizeScratch(channel->mScratchBuffer, channel->mDataSlot, channel->mConnected, blockSize) && ok;
  }
  for (int i = 0, n = NOutChannels(); i < n; ++i)
  {
    OutChannel* channel = mOutChannels.Get(i);
    ok = ResizeScratch(channel->mScratchBuffer, channel->mDataSlot, channel->mConnected, blockSize) && ok;
  }
  // Out of memory: process nothing rather than run past a short buffer.
  mBlockSize = ok ? blockSize : 0;
}
