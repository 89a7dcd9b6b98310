// IEffectAU construction and teardown, the bus layout, scratch memory, and the
// host's transport and identity queries.
#include "au/IEffectAU.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "au/IEffectAUStrings.h"
#include "plugcore/Trace.h"

namespace {
std::atomic<IEffectAUFactory> sPlugFactory{nullptr};

// A host's number truncated to int. Converting a value outside int's range (a
// timeline position past 2^31 samples, a NaN) is undefined: those are clamped,
// NaN reads as 0.
int HostValueToInt(double value)
{
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

int HostCountToInt(UInt32 value)
{
  return static_cast<int>(std::min<UInt32>(value, INT_MAX));
}
} // namespace

const char* AUInputTypeStr(int type)
{
  switch (type) {
  case eNotConnected:
    return "NotConnected";
  case eDirectFastProc:
    return "DirectFastProc";
  case eDirectNoFastProc:
    return "DirectNoFastProc";
  case eRenderCallback:
    return "RenderCallback";
  default:
    return "";
  }
}

void MakeDefaultASBD(AudioStreamBasicDescription* pASBD, double sampleRate, int nChannels, bool interleaved)
{
  if (!pASBD) return;
  std::memset(pASBD, 0, sizeof(AudioStreamBasicDescription));
  pASBD->mSampleRate = sampleRate;
  pASBD->mFormatID = kAudioFormatLinearPCM;
  pASBD->mFramesPerPacket = 1;
  pASBD->mChannelsPerFrame = static_cast<UInt32>(nChannels);
  pASBD->mBitsPerChannel = 32;
  const UInt32 sampleBytes = 4;
  if (interleaved) {
    pASBD->mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
    pASBD->mBytesPerPacket = pASBD->mBytesPerFrame = sampleBytes * static_cast<UInt32>(nChannels);
  } else {
    pASBD->mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
    pASBD->mBytesPerPacket = pASBD->mBytesPerFrame = sampleBytes;
  }
}

void IEffectAU::SetPlugFactory(IEffectAUFactory factory)
{
  sPlugFactory.store(factory);
}

IEffectAUFactory IEffectAU::GetPlugFactory()
{
  return sPlugFactory.load();
}

IEffectAU::IEffectAU(IEffectInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
                     const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
                     int uniqueID, int mfrID, int latency, bool spareFlag, bool plugDoesChunks, bool plugIsInst,
                     int plugScChans)
    : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID, mfrID,
                  latency, spareFlag, plugDoesChunks, plugIsInst, kAPIAU),
      mBundleID(std::move(instanceInfo.mBundleID)), mViewClassName(std::move(instanceInfo.mCocoaViewFactoryClassName))
{
  std::memset(mValueText, 0, sizeof(mValueText));
  Trace("IEffectAU", __LINE__, "%s", GetEffectName());

  const int nIn = NInChannels();
  const int nOut = NOutChannels();
  if (nIn > 0) {
    const int sc = std::max(0, std::min(plugScChans, nIn));
    if (sc > 0) {
      mInBuses.push_back(BusChannels{false, -1, nIn - sc, 0});
      mInBuses.push_back(BusChannels{false, -1, sc, nIn - sc});
      mInputConnections.resize(2);
      SetInputBusLabel(0, "main input");
      SetInputBusLabel(1, "aux input");
    } else {
      mInBuses.push_back(BusChannels{false, -1, nIn, 0});
      mInputConnections.resize(1);
      SetInputBusLabel(0, "input");
      SetInputBusLabel(1, "aux input");
    }
  }

  if (plugIsInst) {
    const int nBuses = (nOut + 1) / 2;
    for (int i = 0; i < nBuses; ++i) {
      const int first = 2 * i;
      mOutBuses.push_back(BusChannels{false, -1, std::min(2, nOut - first), first});
      char label[32];
      std::snprintf(label, sizeof(label), "output %i", i + 1);
      SetOutputBusLabel(i, label);
    }
  } else {
    mOutBuses.push_back(BusChannels{false, -1, nOut, 0});
    SetOutputBusLabel(0, "output");
  }

  AssessInputConnections();
  SetBlockSize(kDefaultBlockSize);
}

IEffectAU::~IEffectAU() = default;

const IEffectAU::InputBusConnection* IEffectAU::GetInputConnection(int busIdx) const
{
  if (busIdx < 0 || busIdx >= static_cast<int>(mInputConnections.size())) return nullptr;
  return &mInputConnections[static_cast<size_t>(busIdx)];
}

void IEffectAU::SetBlockSize(int blockSize)
{
  if (blockSize < 0) blockSize = 0;
  const size_t frames = static_cast<size_t>(blockSize);
  // assign() both sizes and zero-fills, also when the size does not change.
  mInputScratch.assign(frames * static_cast<size_t>(NInChannels()), 0.0f);
  mOutputScratch.assign(frames * static_cast<size_t>(NOutChannels()), 0.0f);
  IEffectBase::SetBlockSize(blockSize);
}

// ---- Transport ----

int IEffectAU::GetSamplePos()
{
  if (mHostCallbacks.transportStateProc) {
    Boolean playing = 0, changed = 0, cycling = 0;
    Float64 samplePos = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
    mHostCallbacks.transportStateProc(mHostCallbacks.hostUserData, &playing, &changed, &samplePos, &cycling,
                                      &cycleStart, &cycleEnd);
    return HostValueToInt(samplePos + 0.5);
  }
  return 0;
}

double IEffectAU::GetTempo()
{
  if (mHostCallbacks.beatAndTempoProc) {
    Float64 beat = 0.0, tempo = 0.0;
    mHostCallbacks.beatAndTempoProc(mHostCallbacks.hostUserData, &beat, &tempo);
    if (tempo > 0.0) mTempo = tempo;
  }
  return mTempo;
}

void IEffectAU::GetTimeSig(int* pNum, int* pDenom)
{
  if (!mHostCallbacks.musicalTimeLocationProc) return;
  UInt32 delta = 0, denom = 0;
  Float32 num = 0.0f;
  Float64 downBeat = 0.0;
  mHostCallbacks.musicalTimeLocationProc(mHostCallbacks.hostUserData, &delta, &num, &denom, &downBeat);
  if (pNum) *pNum = HostValueToInt(num);
  if (pDenom) *pDenom = HostCountToInt(denom);
}

void IEffectAU::GetTime(ITimeInfo* pTimeInfo)
{
  if (!pTimeInfo) return;
  if (mHostCallbacks.beatAndTempoProc) {
    Float64 beat = 0.0, tempo = 0.0;
    mHostCallbacks.beatAndTempoProc(mHostCallbacks.hostUserData, &beat, &tempo);
    if (tempo > 0.0) pTimeInfo->mTempo = tempo;
    if (beat > 0.0) pTimeInfo->mBeatPos = beat;
  }
  if (mHostCallbacks.transportStateProc) {
    Boolean playing = 0, changed = 0, cycling = 0;
    Float64 samplePos = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
    mHostCallbacks.transportStateProc(mHostCallbacks.hostUserData, &playing, &changed, &samplePos, &cycling,
                                      &cycleStart, &cycleEnd);
    if (samplePos > 0.0) pTimeInfo->mSamplePos = samplePos;
    if (cycleStart > 0.0) pTimeInfo->mLoopStartBeat = cycleStart;
    if (cycleEnd > 0.0) pTimeInfo->mLoopEndBeat = cycleEnd;
    pTimeInfo->mPlaying = playing != 0;
    pTimeInfo->mLooping = cycling != 0;
  }
  if (mHostCallbacks.musicalTimeLocationProc) {
    UInt32 delta = 0, denom = 0;
    Float32 num = 0.0f;
    Float64 downBeat = 0.0;
    mHostCallbacks.musicalTimeLocationProc(mHostCallbacks.hostUserData, &delta, &num, &denom, &downBeat);
    pTimeInfo->mTimeSigNum = HostValueToInt(num);
    pTimeInfo->mTimeSigDen = HostCountToInt(denom);
    if (downBeat > 0.0) pTimeInfo->mBarStartBeat = downBeat;
  }
}

// ---- Host ----

EHost IEffectAU::GetHost()
{
  if (mHost == kHostUninit) {
    // The host application is the process's main bundle.
    CFBundleRef mainBundle = CFBundleGetMainBundle();
    CFStringRef id = mainBundle ? CFBundleGetIdentifier(mainBundle) : nullptr;
    if (id) SetHost(IEffectAU_CFStringToUTF8(id).c_str(), 0);
    if (mHost == kHostUninit) SetHost("", 0);
  }
  return static_cast<EHost>(mHost);
}

void IEffectAU::HostSpecificInit()
{
  GetHost();
  OnHostIdentified();
}

void IEffectAU::ResizeGraphics(int /*w*/, int /*h*/)
{
  if (GetGUI()) OnWindowResize();
}

void IEffectAU::SetLatency(int samples)
{
  NotifyListeners(kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0);
  IEffectBase::SetLatency(samples);
}

bool IEffectAU::SendMidiMsg(IMidiMsg* /*pMsg*/)
{
  return false;
}
