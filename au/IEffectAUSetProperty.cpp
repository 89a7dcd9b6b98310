// SetProperty: property writes, including input connections, host render
// callbacks and the host's self-identification. Listeners hear of every write,
// also of writes that are then refused.
#include "au/IEffectAU.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "au/IEffectAUStrings.h"
#include "plugcore/Trace.h"

namespace {
// Largest slice a host may announce; far beyond any real host, small enough that
// the scratch memory it implies can always be had.
constexpr UInt32 kMaxFramesPerSlice = 1u << 20;

template <typename T>
T ReadRecord(const void* pData)
{
  T value;
  std::memcpy(&value, pData, sizeof(T));
  return value;
}
} // namespace

ComponentResult IEffectAU::SetConnection(AudioUnitScope scope, const AudioUnitConnection* pConn)
{
  if ((scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input) ||
      pConn->destInputNumber >= mInputConnections.size())
    return kAudioUnitErr_InvalidProperty;

  const UInt32 dest = pConn->destInputNumber;
  mInputConnections[dest] = InputBusConnection();

  bool ok = true;
  if (pConn->sourceAudioUnit) {
    AudioStreamBasicDescription format{};
    UInt32 size = sizeof(format);
    // A source that answers with less than a whole format has not told us one.
    ok = AudioUnitGetProperty(pConn->sourceAudioUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                              pConn->sourceOutputNumber, &format, &size) == noErr &&
         size >= sizeof(format);
    // Applied through SetProperty so that listeners hear of it and the channel
    // negotiation runs.
    ok = ok &&
         SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, dest, &format, sizeof(format)) == noErr;
    if (ok) {
      InputBusConnection& conn = mInputConnections[dest];
      conn.mSourceUnit = pConn->sourceAudioUnit;
      conn.mSourceBus = static_cast<int>(pConn->sourceOutputNumber);
      AudioUnitRenderProc srcRenderProc = nullptr;
      UInt32 procSize = sizeof(srcRenderProc);
      if (AudioUnitGetProperty(pConn->sourceAudioUnit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                               kAudioUnitRenderSelect, &srcRenderProc, &procSize) == noErr &&
          srcRenderProc) {
        conn.mSourceRenderProc = srcRenderProc;
        conn.mSourcePlug = GetComponentInstanceStorage(pConn->sourceAudioUnit);
      }
    }
  }
  AssessInputConnections();
  if (!ok) return kAudioUnitErr_InvalidProperty;
  return noErr;
}

ComponentResult IEffectAU::SetRenderCallback(AudioUnitScope scope, AudioUnitElement element,
                                             const AURenderCallbackStruct* pCallback)
{
  if (scope != kAudioUnitScope_Input || element >= mInputConnections.size()) return kAudioUnitErr_InvalidProperty;
  InputBusConnection& conn = mInputConnections[element];
  conn = InputBusConnection();
  if (pCallback->inputProc) conn.mRenderCallback = *pCallback;
  AssessInputConnections();
  return noErr;
}

ComponentResult IEffectAU::SetHostIdentifier(const AUHostIdentifier* pID)
{
  const std::string name = IEffectAU_CFStringToUTF8(pID->hostName);
  const AUNumVersion& v = pID->hostVersion;
  const int version = v.majorRev * 65536 + ((v.minorAndBugRev >> 4) & 0x0F) * 256 + (v.minorAndBugRev & 0x0F);
  SetHost(name.c_str(), version);
  OnHostIdentified();
  return noErr;
}

ComponentResult IEffectAU::SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                       const void* pData, UInt32 dataSize)
{
  Trace("SetProperty", __LINE__, "(%d:%s):(%d:%s):%d", static_cast<int>(propID),
        AUPropertyStr(static_cast<int>(propID)), static_cast<int>(scope), AUScopeStr(static_cast<int>(scope)),
        static_cast<int>(element));

  NotifyListeners(propID, scope, 0);

  // The record the host hands over must be there and be as large as the property's.
  auto hasRecord = [&](size_t size) { return pData && dataSize >= size; };

  switch (propID) {
  case kAudioUnitProperty_ClassInfo:
    if (!hasRecord(sizeof(CFPropertyListRef))) return kAudioUnitErr_InvalidPropertyValue;
    return SetState(ReadRecord<CFPropertyListRef>(pData));

  case kAudioUnitProperty_MakeConnection: {
    if (!hasRecord(sizeof(AudioUnitConnection))) return kAudioUnitErr_InvalidPropertyValue;
    const AudioUnitConnection conn = ReadRecord<AudioUnitConnection>(pData);
    return SetConnection(scope, &conn);
  }

  case kAudioUnitProperty_SampleRate: {
    if (!hasRecord(sizeof(Float64))) return kAudioUnitErr_InvalidPropertyValue;
    const Float64 rate = ReadRecord<Float64>(pData);
    // Filter design divides by the rate: only a finite positive rate is usable.
    if (!(rate > 0.0) || !std::isfinite(rate)) return kAudioUnitErr_InvalidPropertyValue;
    SetSampleRate(rate);
    Reset();
    return noErr;
  }

  case kAudioUnitProperty_StreamFormat: {
    if (!hasRecord(sizeof(AudioStreamBasicDescription))) return kAudioUnitErr_InvalidPropertyValue;
    const AudioStreamBasicDescription format = ReadRecord<AudioStreamBasicDescription>(pData);
    return SetStreamFormat(scope, element, &format);
  }

  case kAudioUnitProperty_MaximumFramesPerSlice: {
    if (!hasRecord(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
    const UInt32 frames = ReadRecord<UInt32>(pData);
    if (frames > kMaxFramesPerSlice) return kAudioUnitErr_InvalidPropertyValue;
    SetBlockSize(static_cast<int>(frames));
    Reset();
    return noErr;
  }

  case kAudioUnitProperty_BypassEffect: {
    if (!hasRecord(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
    mBypassed = ReadRecord<UInt32>(pData) != 0;
    OnActivate(!mBypassed);
    Reset();
    return noErr;
  }

  case kAudioUnitProperty_SetRenderCallback: {
    if (!hasRecord(sizeof(AURenderCallbackStruct))) return kAudioUnitErr_InvalidPropertyValue;
    const AURenderCallbackStruct callback = ReadRecord<AURenderCallbackStruct>(pData);
    return SetRenderCallback(scope, element, &callback);
  }

  case kAudioUnitProperty_HostCallbacks: {
    if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
    if (!pData) return kAudioUnitErr_InvalidPropertyValue;
    // Older hosts hand over a shorter table: take what is there, the rest is absent.
    HostCallbackInfo info = {nullptr, nullptr, nullptr, nullptr};
    std::memcpy(&info, pData, std::min<size_t>(dataSize, sizeof(info)));
    mHostCallbacks = info;
    return noErr;
  }

  case kAudioUnitProperty_CurrentPreset:
  case kAudioUnitProperty_PresentPreset: {
    if (!hasRecord(sizeof(AUPreset))) return kAudioUnitErr_InvalidPropertyValue;
    RestorePreset(static_cast<int>(ReadRecord<AUPreset>(pData).presetNumber));
    return noErr;
  }

  case kAudioUnitProperty_OfflineRender:
    if (!hasRecord(sizeof(UInt32))) return kAudioUnitErr_InvalidPropertyValue;
    mIsOffline = ReadRecord<UInt32>(pData) != 0;
    return noErr;

  case kAudioUnitProperty_AUHostIdentifier: {
    if (!hasRecord(sizeof(AUHostIdentifier))) return kAudioUnitErr_InvalidPropertyValue;
    const AUHostIdentifier id = ReadRecord<AUHostIdentifier>(pData);
    return SetHostIdentifier(&id);
  }

  default:
    return kAudioUnitErr_InvalidProperty;
  }
}
