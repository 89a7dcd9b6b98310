// Rendering. This is the audio path: nothing here allocates, locks or does I/O;
// buffer lists live on the stack, scratch memory was sized by SetBlockSize and the
// render notifiers are read without a lock. Every function here is marked
// BRINDLE_AUDIO_PATH.
#include "au/IEffectAU.h"
#include "au/IEffectAUFirewall.h"

#include <algorithm>
#include <cstddef>
#include <new>

#include "plugcore/AudioPath.h"

namespace {
// A buffer list with room for a full bus, on the stack.
struct StackBufferList
{
  alignas(AudioBufferList) unsigned char mBytes[offsetof(AudioBufferList, mBuffers) +
                                                sizeof(AudioBuffer) * IEffectAU::kMaxBusChannels];

  AudioBufferList* Init(UInt32 nBuffers, UInt32 nFrames)
  {
    AudioBufferList* list = reinterpret_cast<AudioBufferList*>(mBytes);
    list->mNumberBuffers = nBuffers;
    for (UInt32 i = 0; i < nBuffers; ++i) {
      list->mBuffers[i].mNumberChannels = 1;
      list->mBuffers[i].mDataByteSize = nFrames * sizeof(float);
      list->mBuffers[i].mData = nullptr;
    }
    return list;
  }
};

} // namespace

BRINDLE_AUDIO_PATH OSStatus IEffectAU::RenderProc(void* plug, AudioUnitRenderActionFlags* pFlags,
                                                  const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx, UInt32 nFrames,
                                                  AudioBufferList* pOutBufList)
{
  try {
    if (!plug) return paramErr;
    return static_cast<IEffectAU*>(plug)->Render(pFlags, pTimestamp, outputBusIdx, nFrames, pOutBufList);
  } catch (...) {
    return StatusForCurrentException();
  }
}

BRINDLE_AUDIO_PATH void IEffectAU::CallRenderNotifiers(const RenderNotifierList::ReadScope& scope, int nNotifiers,
                                                       AudioUnitRenderActionFlags flag,
                                                       const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx,
                                                       UInt32 nFrames, AudioBufferList* pOutBufList)
{
  // A notifier may remove itself (through the entry, on this thread): never read past the list as
  // it is now, and when the call took this record out, the next one has moved into its place and
  // is called from the same index.
  const RenderNotifierList::Array* list = &scope.Current();
  for (int i = 0; i < nNotifiers && i < list->Size();) {
    const RenderNotifierList::Notifier notify = list->mItems[static_cast<size_t>(i)];
    AudioUnitRenderActionFlags flags = flag;
    if (notify.mFunc) notify.mFunc(notify.mFuncArgs, &flags, pTimestamp, outputBusIdx, nFrames, pOutBufList);
    const RenderNotifierList::Array* now = &scope.Current();
    const int before = list->Size(), after = now->Size();
    const bool moved = after < before && (i >= after || now->mItems[static_cast<size_t>(i)].mFunc != notify.mFunc ||
                                          now->mItems[static_cast<size_t>(i)].mFuncArgs != notify.mFuncArgs);
    list = now;
    if (moved)
      nNotifiers -= before - after;
    else
      ++i;
  }
}

BRINDLE_AUDIO_PATH OSStatus IEffectAU::PullInputs(const AudioTimeStamp* pTimestamp, UInt32 nFrames)
{
  const int nIn = NInChannels();
  for (size_t busIdx = 0; busIdx < mInBuses.size() && busIdx < mInputConnections.size(); ++busIdx) {
    const BusChannels& bus = mInBuses[busIdx];
    const InputBusConnection& conn = mInputConnections[busIdx];
    if (!bus.mConnected || conn.mInputType == eNotConnected) continue;

    // Only the plug-in's own channels are pulled; the scratch memory has no room
    // for more.
    const int first = bus.mFirstPlugChannel;
    const int nChannels = std::max(0, std::min({bus.mHostChannels, kMaxBusChannels, nIn - first}));
    StackBufferList storage;
    AudioBufferList* list = storage.Init(static_cast<UInt32>(nChannels), nFrames);
    AudioUnitRenderActionFlags flags = 0;
    OSStatus r = noErr;

    switch (conn.mInputType) {
    case eRenderCallback:
      for (int j = 0; j < nChannels; ++j)
        list->mBuffers[j].mData = mInputScratch.data() + static_cast<size_t>(nFrames) * static_cast<size_t>(first + j);
      r = conn.mRenderCallback.inputProc(conn.mRenderCallback.inputProcRefCon, &flags, pTimestamp,
                                         static_cast<UInt32>(busIdx), nFrames, list);
      break;
    case eDirectNoFastProc:
      r = AudioUnitRender(conn.mSourceUnit, &flags, pTimestamp, static_cast<UInt32>(conn.mSourceBus), nFrames, list);
      break;
    case eDirectFastProc:
      r = conn.mSourceRenderProc(conn.mSourcePlug, &flags, pTimestamp, static_cast<UInt32>(conn.mSourceBus), nFrames,
                                 list);
      break;
    default:
      break;
    }
    if (r != noErr) return r;

    // A source must hand back as many full buffers as it was asked for.
    if (list->mNumberBuffers < static_cast<UInt32>(nChannels)) return kAudioUnitErr_NoConnection;
    for (int j = 0; j < nChannels; ++j) {
      AudioBuffer& buffer = list->mBuffers[j];
      if (!buffer.mData || buffer.mDataByteSize < nFrames * sizeof(float)) return kAudioUnitErr_NoConnection;
    }
    for (int j = 0; j < nChannels; ++j) {
      float* data = static_cast<float*>(list->mBuffers[j].mData);
      AttachInputBuffers(first + j, 1, &data, static_cast<int>(nFrames));
    }
  }
  mLastPullSampleTime = pTimestamp->mSampleTime;
  return noErr;
}

BRINDLE_AUDIO_PATH OSStatus IEffectAU::Render(AudioUnitRenderActionFlags* /*pFlags*/, const AudioTimeStamp* pTimestamp,
                                              UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* pOutBufList)
{
  if (!pTimestamp || !(pTimestamp->mFlags & kAudioTimeStampSampleTimeValid) || outputBusIdx >= mOutBuses.size() ||
      nFrames > static_cast<UInt32>(GetBlockSize()))
    return kAudioUnitErr_InvalidPropertyValue;

  // Each buffer the bus fills must hold the slice. Buffers beyond the bus's
  // channels are left alone when they carry the host's memory; one without memory
  // would have to be pointed past our scratch memory, so that list is refused.
  BusChannels& outBus = mOutBuses[outputBusIdx];
  if (!pOutBufList) return kAudioUnitErr_InvalidPropertyValue;
  const UInt32 nPlug = static_cast<UInt32>(std::max(outBus.mPlugChannels, 0));
  const UInt32 nBuffers = std::min(pOutBufList->mNumberBuffers, nPlug);
  for (UInt32 i = 0; i < pOutBufList->mNumberBuffers; ++i) {
    const AudioBuffer& buffer = pOutBufList->mBuffers[i];
    if (i < nBuffers ? buffer.mData && buffer.mDataByteSize < nFrames * sizeof(float) : !buffer.mData)
      return kAudioUnitErr_InvalidPropertyValue;
  }

  const RenderNotifierList::ReadScope notifiers(mRenderNotifiers);
  const int nNotifiers = notifiers.Current().Size();
  if (nNotifiers > 0)
    CallRenderNotifiers(notifiers, nNotifiers, kAudioUnitRenderAction_PreRender, pTimestamp, outputBusIdx, nFrames,
                        pOutBufList);

  if (pTimestamp->mSampleTime != mLastPullSampleTime) {
    const OSStatus r = PullInputs(pTimestamp, nFrames);
    if (r != noErr) return r;
  }

  const int first = outBus.mFirstPlugChannel;
  const int b = static_cast<int>(nBuffers);
  if (!outBus.mConnected || outBus.mHostChannels != b) {
    // Until the host sets a format the bus carries all of its plug-in channels.
    const int hostChannels = outBus.mHostChannels >= 0 ? outBus.mHostChannels : outBus.mPlugChannels;
    const int c = std::max(0, std::min(hostChannels, b));
    // A host that never sets a format comes here on every render; the connections are usually
    // those of the render before, and then there is nothing to change.
    bool same = outBus.mConnected;
    for (int i = 0; same && i < outBus.mPlugChannels; ++i) same = IsOutChannelConnected(first + i) == (i < c);
    if (!same) {
      SetOutputChannelConnections(first, c, true);
      SetOutputChannelConnections(first + c, std::max(outBus.mPlugChannels - c, 0), false);
      outBus.mConnected = true;
    }
  }

  for (int i = 0; i < b; ++i) {
    AudioBuffer& buffer = pOutBufList->mBuffers[i];
    if (!buffer.mData) {
      buffer.mData = mOutputScratch.data() + static_cast<size_t>(nFrames) * static_cast<size_t>(first + i);
      buffer.mDataByteSize = nFrames * sizeof(float);
    }
    float* data = static_cast<float*>(buffer.mData);
    AttachOutputBuffers(first + i, 1, &data);
  }

  // Process once per render cycle: when the bus just rendered is the last connected one.
  const int nOutBuses = static_cast<int>(mOutBuses.size());
  int firstUnconnected = 0;
  while (firstUnconnected < nOutBuses && mOutBuses[static_cast<size_t>(firstUnconnected)].mConnected)
    ++firstUnconnected;
  if (firstUnconnected == static_cast<int>(outputBusIdx) + 1) {
    if (firstUnconnected < nOutBuses)
      SetOutputChannelConnections(2 * firstUnconnected, 2 * (nOutBuses - firstUnconnected), false);
    if (IsBypassed())
      PassThroughBuffers(0.0f, static_cast<int>(nFrames));
    else
      ProcessBuffers(0.0f, static_cast<int>(nFrames));
  }

  if (nNotifiers > 0)
    CallRenderNotifiers(notifiers, nNotifiers, kAudioUnitRenderAction_PostRender, pTimestamp, outputBusIdx, nFrames,
                        pOutBufList);
  return noErr;
}
