// Buses: how the host's buses map onto the plug-in's channels, channel-count
// negotiation and stream formats.
#include "au/IEffectAU.h"

#include <algorithm>
#include <cmath>

#include "plugcore/Trace.h"

IEffectAU::BusChannels* IEffectAU::GetBus(AudioUnitScope scope, AudioUnitElement busIdx)
{
  std::vector<BusChannels>* buses = nullptr;
  if (scope == kAudioUnitScope_Input)
    buses = &mInBuses;
  else if (scope == kAudioUnitScope_Output || scope == kAudioUnitScope_Global)
    buses = &mOutBuses;
  if (!buses || busIdx >= buses->size()) return nullptr;
  return &(*buses)[busIdx];
}

int IEffectAU::NHostChannelsConnected(const std::vector<BusChannels>& buses, int excludeIdx)
{
  bool any = false;
  int n = 0;
  for (int i = 0, nBuses = static_cast<int>(buses.size()); i < nBuses; ++i) {
    const int h = buses[static_cast<size_t>(i)].mHostChannels;
    if (i != excludeIdx && h >= 0) {
      any = true;
      n += h;
    }
  }
  return any ? n : -1;
}

bool IEffectAU::CheckLegalIO()
{
  const int nIn = NHostChannelsConnected(mInBuses, -1);
  const int nOut = NHostChannelsConnected(mOutBuses, -1);
  return (nIn == 0 && nOut == 0) || LegalIO(nIn, nOut);
}

bool IEffectAU::CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels)
{
  if (scope == kAudioUnitScope_Input) {
    const int nIn = nChannels + std::max(NHostChannelsConnected(mInBuses, busIdx), 0);
    const int nOut = mIsInitialized ? NHostChannelsConnected(mOutBuses, -1) : -1;
    return LegalIO(nIn, nOut);
  }
  const int nOut = nChannels + std::max(NHostChannelsConnected(mOutBuses, busIdx), 0);
  const int nIn = mIsInitialized ? NHostChannelsConnected(mInBuses, -1) : -1;
  return LegalIO(nIn, nOut);
}

void IEffectAU::AssessInputConnections()
{
  Core_MutexLock lock(mMutex);
  const int nIn = NInChannels();
  std::vector<bool> wasConnected(static_cast<size_t>(std::max(nIn, 0)));
  for (int c = 0; c < nIn; ++c) wasConnected[static_cast<size_t>(c)] = IsInChannelConnected(c);
  SetInputChannelConnections(0, nIn, false);

  for (size_t i = 0; i < mInBuses.size() && i < mInputConnections.size(); ++i) {
    BusChannels& bus = mInBuses[i];
    InputBusConnection& conn = mInputConnections[i];
    if (conn.mSourceRenderProc && conn.mSourcePlug)
      conn.mInputType = eDirectFastProc;
    else if (conn.mSourceUnit)
      conn.mInputType = eDirectNoFastProc;
    else if (conn.mRenderCallback.inputProc)
      conn.mInputType = eRenderCallback;
    else
      conn.mInputType = eNotConnected;

    if (conn.mInputType == eNotConnected) {
      bus.mConnected = false;
    } else {
      bus.mConnected = true;
      if (bus.mHostChannels < 0) {
        Trace("AssessInputConnections", __LINE__, "AssumeChannels:%d", bus.mPlugChannels);
        bus.mHostChannels = bus.mPlugChannels;
      }
      const int first = bus.mFirstPlugChannel;
      SetInputChannelConnections(first, bus.mHostChannels, true);
      SetInputChannelConnections(first + bus.mHostChannels, std::max(bus.mPlugChannels - bus.mHostChannels, 0), false);
    }
    Trace("AssessInputConnections", __LINE__, "%d:%s:%d:%d:%d", static_cast<int>(i), AUInputTypeStr(conn.mInputType),
          bus.mFirstPlugChannel, bus.mPlugChannels, bus.mHostChannels);
  }
  // A channel the host no longer feeds reads silence, not its last block over and
  // over (a stereo input set to mono would otherwise keep summing a stale right
  // channel into every block).
  for (int c = 0; c < nIn; ++c) {
    if (!wasConnected[static_cast<size_t>(c)] || IsInChannelConnected(c)) continue;
    Core_TypedBuf<double>& scratch = mInChannels.Get(c)->mScratchBuffer;
    std::fill(scratch.Get(), scratch.Get() + scratch.GetSize(), 0.0);
  }
}

void IEffectAU::ClearConnections()
{
  for (size_t i = 0; i < mInBuses.size(); ++i) {
    mInBuses[i].mConnected = false;
    mInBuses[i].mHostChannels = -1;
    if (i < mInputConnections.size()) mInputConnections[i] = InputBusConnection();
  }
  for (BusChannels& bus : mOutBuses) {
    bus.mConnected = false;
    bus.mHostChannels = -1;
  }
}

ComponentResult IEffectAU::GetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                           AudioStreamBasicDescription* pASBD)
{
  BusChannels* bus = GetBus(scope, element);
  if (!bus) return kAudioUnitErr_InvalidProperty;
  const int n = bus->mHostChannels >= 0 ? bus->mHostChannels : bus->mPlugChannels;
  if (pASBD) MakeDefaultASBD(pASBD, GetSampleRate(), n, false);
  return noErr;
}

ComponentResult IEffectAU::SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                           const AudioStreamBasicDescription* pASBD)
{
  BusChannels* bus = GetBus(scope, element);
  if (!bus) return kAudioUnitErr_InvalidProperty;

  const int n = static_cast<int>(std::min<UInt32>(pASBD->mChannelsPerFrame, 0x7FFFFFFF));
  bus->mHostChannels = 0;
  // A bus never carries more channels than the render path has room for.
  const bool legal = n <= kMaxBusChannels && CheckLegalIO(scope, static_cast<int>(element), n);
  const bool linear = pASBD->mFormatID == kAudioFormatLinearPCM;
  const bool canonical = (pASBD->mFormatFlags & (kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked)) != 0;
  const bool accepted = n > 0 && legal && linear && canonical;
  Trace("SetProperty", __LINE__, "%d:%d:%s:%s:%s", n, bus->mPlugChannels, linear ? "linearPCM" : "notLinearPCM",
        canonical ? "canonicalFormat" : "notCanonicalFormat", legal ? "connectionOK" : "connectionNotOK");
  if (accepted) {
    bus->mHostChannels = n;
    // A rate of 0 or below, NaN or infinity names no rate: the format is taken
    // and the rate left as it is (filter design divides by it).
    if (pASBD->mSampleRate > 0.0 && std::isfinite(pASBD->mSampleRate)) SetSampleRate(pASBD->mSampleRate);
  }
  // An output bus sets up its channels again at the next render: comparing host
  // channels with the buffer count alone would miss a stereo bus set to mono and
  // back, leaving a channel connected to a host buffer of a past render.
  if (scope != kAudioUnitScope_Input) bus->mConnected = false;
  AssessInputConnections();
  if (!accepted) return kAudioUnitErr_InvalidProperty;
  return noErr;
}

AudioChannelLayoutTag IEffectAU::GetTagForNumChannels(int nChannels)
{
  switch (nChannels) {
  case 1:
    return static_cast<AudioChannelLayoutTag>(kAudioChannelLayoutTag_Mono);
  case 2:
    return static_cast<AudioChannelLayoutTag>(kAudioChannelLayoutTag_Stereo);
  default:
    return static_cast<AudioChannelLayoutTag>(kAudioChannelLayoutTag_Unknown);
  }
}

UInt32 IEffectAU::GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element, AudioChannelLayoutTag* pTags)
{
  // Each direction describes its own bus: an input-scope query names the input bus.
  BusChannels* bus = nullptr;
  if (scope == kAudioUnitScope_Output)
    bus = GetBus(kAudioUnitScope_Output, element);
  else if (scope == kAudioUnitScope_Input && NInBuses() > 0)
    bus = GetBus(kAudioUnitScope_Input, element);
  if (!bus) return 0;
  if (pTags) pTags[0] = GetTagForNumChannels(bus->mPlugChannels);
  return 1;
}
