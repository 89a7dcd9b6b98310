// The Component Manager entry: selector dispatch, listener and notifier lists, and
// the legacy view component. Both entries are firewalls: whatever happens inside,
// the host gets an OSStatus back.
#include "au/IEffectAU.h"
#include "au/IEffectAUFirewall.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

#include "plugcore/IMidiMsg.h"
#include "plugcore/Trace.h"

namespace {
// Counted arguments of a parameter block: argument i of n sits at params[n - 1 - i],
// in the low-address bytes of its slot.
class BlockArgs
{
public:
  explicit BlockArgs(const ComponentParameters* params)
      : mParams(params), mCount(static_cast<int>(params->paramSize / sizeof(long)))
  {}

  bool Has(int n) const { return mCount >= n; }

  template <typename T>
  T Get(int i) const
  {
    static_assert(sizeof(T) <= sizeof(long), "an argument fits its slot");
    T value;
    std::memcpy(&value, &mParams->params[mCount - 1 - i], sizeof(T));
    return value;
  }

private:
  const ComponentParameters* mParams;
  int mCount;
};

// Selectors 0..17 the entry answers (the capability query reports these).
constexpr UInt32 kCanDoMask = 0x3CEFE;

// Counted arguments each selector needs; -1 for selectors the entry does not handle.
int ArgCount(int select)
{
  switch (select) {
  case kComponentOpenSelect:
  case kComponentCloseSelect:
  case kComponentCanDoSelect:
    return 1;
  case kComponentVersionSelect:
  case kAudioUnitInitializeSelect:
  case kAudioUnitUninitializeSelect:
    return 0;
  case kAudioUnitGetPropertyInfoSelect:
  case kAudioUnitGetPropertySelect:
  case kAudioUnitSetPropertySelect:
  case kAudioUnitSetParameterSelect:
  case kAudioUnitRenderSelect:
  case kMusicDeviceStartNoteSelect:
    return 5;
  case kAudioUnitGetParameterSelect:
  case kMusicDeviceMIDIEventSelect:
    return 4;
  case kAudioUnitAddPropertyListenerSelect:
  case kAudioUnitRemovePropertyListenerWithUserDataSelect:
  case kMusicDeviceStopNoteSelect:
    return 3;
  case kAudioUnitResetSelect:
  case kAudioUnitRemovePropertyListenerSelect:
  case kAudioUnitAddRenderNotifySelect:
  case kAudioUnitRemoveRenderNotifySelect:
  case kAudioUnitScheduleParametersSelect:
  case kMusicDeviceSysExSelect:
    return 2;
  case kMusicDevicePrepareInstrumentSelect:
  case kMusicDeviceReleaseInstrumentSelect:
    return 1;
  default:
    return -1;
  }
}

// A host's float note value truncated to int; outside int's range (or NaN) the
// plain conversion is undefined, so those are clamped and NaN reads as 0.
int NoteValueToInt(Float32 value)
{
  if (std::isnan(value)) return 0;
  if (value >= static_cast<Float32>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<Float32>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

// The legacy view component's instance record.
struct CarbonViewRecord
{
  AudioUnitCarbonView mViewInstance;
  IEffectAU* mPlug;
};
} // namespace

ComponentResult IEffectAU::IEffectAUEntry(ComponentParameters* params, void* storage)
{
  try {
    if (!params) return paramErr;
    const int select = params->what;
    Trace("IEffectAUEntry", __LINE__, "(%d:%s)", select, AUSelectStr(select));

    const int nArgs = ArgCount(select);
    if (nArgs < 0) return badComponentSelector;
    const BlockArgs args(params);
    if (!args.Has(nArgs)) return paramErr;

    switch (select) {
    case kComponentOpenSelect: {
      const ComponentInstance ci = args.Get<ComponentInstance>(0);
      const IEffectAUFactory factory = GetPlugFactory();
      if (!ci) return paramErr;
      if (!factory) return memFullErr;
      std::unique_ptr<IEffectAU> plug(factory());
      if (!plug) return memFullErr;
      plug->HostSpecificInit();
      plug->PruneUninitializedPresets();
      plug->mInstance = ci;
      SetComponentInstanceStorage(ci, reinterpret_cast<Handle>(plug.get()));
      plug.release();
      return noErr;
    }
    case kComponentCloseSelect: {
      IEffectAU* plug = static_cast<IEffectAU*>(storage);
      if (plug) {
        plug->ClearConnections();
        delete plug;
      }
      return noErr;
    }
    case kComponentCanDoSelect: {
      const int asked = args.Get<SInt16>(0);
      return asked >= 0 && asked <= 17 && ((kCanDoMask >> asked) & 1u) ? 1 : 0;
    }
    default:
      break;
    }

    IEffectAU* plug = static_cast<IEffectAU*>(storage);
    if (!plug) return badComponentInstance;
    Core_MutexLock lock(plug->mMutex);
    return plug->DoSelector(params);
  } catch (...) {
    return StatusForCurrentException();
  }
}

ComponentResult IEffectAU::DoSelector(ComponentParameters* params)
{
  const BlockArgs args(params);
  switch (params->what) {
  case kComponentVersionSelect:
    return GetEffectVersion(false);

  case kAudioUnitInitializeSelect:
    if (!CheckLegalIO()) return badComponentSelector;
    mIsInitialized = true;
    // A (re)initialised unit starts a new stream: no history of the last one, and the sample
    // rate a stream format set since is taken up now.
    Reset();
    OnParamReset();
    OnActivate(true);
    return noErr;

  case kAudioUnitUninitializeSelect:
    mIsInitialized = false;
    OnActivate(false);
    return noErr;

  case kAudioUnitGetPropertyInfoSelect: {
    UInt32 localSize = 0;
    Boolean localWriteable = false;
    UInt32* pSize = args.Get<UInt32*>(3);
    Boolean* pWriteable = args.Get<Boolean*>(4);
    if (!pSize) pSize = &localSize;
    if (!pWriteable) pWriteable = &localWriteable;
    *pSize = 0;
    *pWriteable = false;
    return GetProperty(args.Get<AudioUnitPropertyID>(0), args.Get<AudioUnitScope>(1), args.Get<AudioUnitElement>(2),
                       pSize, pWriteable, nullptr);
  }

  case kAudioUnitGetPropertySelect: {
    // Without a size the caller has room for nothing; the capacity check refuses.
    UInt32 localSize = 0;
    Boolean writeable = false;
    UInt32* pSize = args.Get<UInt32*>(4);
    if (!pSize) pSize = &localSize;
    return GetProperty(args.Get<AudioUnitPropertyID>(0), args.Get<AudioUnitScope>(1), args.Get<AudioUnitElement>(2),
                       pSize, &writeable, args.Get<void*>(3));
  }

  case kAudioUnitSetPropertySelect:
    return SetProperty(args.Get<AudioUnitPropertyID>(0), args.Get<AudioUnitScope>(1), args.Get<AudioUnitElement>(2),
                       args.Get<const void*>(3), args.Get<UInt32>(4));

  case kAudioUnitGetParameterSelect:
    return GetParamProc(this, args.Get<AudioUnitParameterID>(0), args.Get<AudioUnitScope>(1),
                        args.Get<AudioUnitElement>(2), args.Get<AudioUnitParameterValue*>(3));

  case kAudioUnitSetParameterSelect:
    return SetParamProc(this, args.Get<AudioUnitParameterID>(0), args.Get<AudioUnitScope>(1),
                        args.Get<AudioUnitElement>(2), args.Get<AudioUnitParameterValue>(3), args.Get<UInt32>(4));

  case kAudioUnitResetSelect:
    Reset();
    return noErr;

  case kAudioUnitAddPropertyListenerSelect:
    AddPropertyListener(PropertyListener{args.Get<AudioUnitPropertyID>(0), args.Get<AudioUnitPropertyListenerProc>(1),
                                         args.Get<void*>(2)});
    return noErr;

  case kAudioUnitRemovePropertyListenerSelect:
    RemovePropertyListener(args.Get<AudioUnitPropertyID>(0), args.Get<AudioUnitPropertyListenerProc>(1), false,
                           nullptr);
    return noErr;

  case kAudioUnitRemovePropertyListenerWithUserDataSelect:
    RemovePropertyListener(args.Get<AudioUnitPropertyID>(0), args.Get<AudioUnitPropertyListenerProc>(1), true,
                           args.Get<void*>(2));
    return noErr;

  case kAudioUnitRenderSelect:
    return RenderProc(this, args.Get<AudioUnitRenderActionFlags*>(0), args.Get<const AudioTimeStamp*>(1),
                      args.Get<UInt32>(2), args.Get<UInt32>(3), args.Get<AudioBufferList*>(4));

  case kAudioUnitAddRenderNotifySelect: {
    mRenderNotifiers.Add(args.Get<AURenderCallback>(0), args.Get<void*>(1));
    return noErr;
  }

  case kAudioUnitRemoveRenderNotifySelect: {
    mRenderNotifiers.RemoveFirst(args.Get<AURenderCallback>(0));
    return noErr;
  }

  case kAudioUnitScheduleParametersSelect: {
    const AudioUnitParameterEvent* events = args.Get<const AudioUnitParameterEvent*>(0);
    const UInt32 nEvents = args.Get<UInt32>(1);
    if (!events && nEvents > 0) return paramErr;
    for (UInt32 i = 0; i < nEvents; ++i) {
      const AudioUnitParameterEvent& e = events[i];
      if (e.eventType != kParameterEvent_Immediate) continue;
      const ComponentResult r = SetParamProc(this, e.parameter, e.scope, e.element, e.eventValues.immediate.value,
                                             e.eventValues.immediate.bufferOffset);
      if (r != noErr) return r;
    }
    return noErr;
  }

  case kMusicDeviceMIDIEventSelect: {
    IMidiMsg msg(static_cast<int>(args.Get<UInt32>(3)), static_cast<uint8_t>(args.Get<UInt32>(0)),
                 static_cast<uint8_t>(args.Get<UInt32>(1)), static_cast<uint8_t>(args.Get<UInt32>(2)));
    ProcessMidiMsg(&msg);
    return noErr;
  }

  case kMusicDeviceSysExSelect: {
    const UInt8* data = args.Get<const UInt8*>(0);
    const UInt32 length = args.Get<UInt32>(1);
    ISysEx sysEx(0, data, data ? static_cast<int>(std::min<UInt32>(length, 0x7FFFFFFF)) : 0);
    ProcessSysEx(&sysEx);
    return noErr;
  }

  case kMusicDevicePrepareInstrumentSelect:
  case kMusicDeviceReleaseInstrumentSelect:
    return noErr;

  case kMusicDeviceStartNoteSelect: {
    NoteInstanceID* pNoteID = args.Get<NoteInstanceID*>(2);
    const UInt32 offset = args.Get<UInt32>(3);
    const MusicDeviceNoteParams* note = args.Get<const MusicDeviceNoteParams*>(4);
    if (!note) return paramErr;
    const int pitch = NoteValueToInt(note->mPitch);
    if (pNoteID) *pNoteID = static_cast<NoteInstanceID>(pitch);
    IMidiMsg msg;
    msg.MakeNoteOnMsg(pitch, NoteValueToInt(note->mVelocity), static_cast<int>(offset), 0);
    ProcessMidiMsg(&msg);
    return noErr;
  }

  case kMusicDeviceStopNoteSelect: {
    IMidiMsg msg;
    msg.MakeNoteOffMsg(static_cast<int>(args.Get<NoteInstanceID>(1)), static_cast<int>(args.Get<UInt32>(2)), 0);
    ProcessMidiMsg(&msg);
    return noErr;
  }

  default:
    return badComponentSelector;
  }
}

void IEffectAU::AddPropertyListener(const PropertyListener& listener)
{
  for (const PropertyListener& l : mPropertyListeners)
    if (l.mPropID == listener.mPropID && l.mListenerProc == listener.mListenerProc) return;
  mPropertyListeners.push_back(listener);
}

void IEffectAU::RemovePropertyListener(AudioUnitPropertyID propID, AudioUnitPropertyListenerProc proc,
                                       bool matchUserData, void* userData)
{
  for (size_t i = 0; i < mPropertyListeners.size(); ++i) {
    const PropertyListener& l = mPropertyListeners[i];
    if (l.mPropID == propID && l.mListenerProc == proc && (!matchUserData || l.mProcArgs == userData)) {
      mPropertyListeners.erase(mPropertyListeners.begin() + static_cast<long>(i));
      return;
    }
  }
}

ComponentResult IEffectAU::IEffectAUCarbonViewEntry(ComponentParameters* params, void* storage)
{
  try {
    if (!params) return paramErr;
    const int select = params->what;
    Trace("IEffectAUCarbonViewEntry", __LINE__, "%d:%s", select, AUSelectStr(select));
    const BlockArgs args(params);
    CarbonViewRecord* record = static_cast<CarbonViewRecord*>(storage);

    switch (select) {
    case kComponentOpenSelect: {
      if (!args.Has(1)) return paramErr;
      const AudioUnitCarbonView ci = args.Get<AudioUnitCarbonView>(0);
      if (!ci) return paramErr;
      std::unique_ptr<CarbonViewRecord> view(new CarbonViewRecord{ci, nullptr});
      SetComponentInstanceStorage(ci, reinterpret_cast<Handle>(view.get()));
      view.release();
      return noErr;
    }
    case kComponentCloseSelect:
      // The record never opens an editor window (see below), so there is none to close.
      delete record;
      return noErr;
    case kAudioUnitCarbonViewCreateSelect: {
      if (!record || !args.Has(6)) return badComponentSelector;
      const AudioUnit editUnit = args.Get<AudioUnit>(0);
      record->mPlug = editUnit ? reinterpret_cast<IEffectAU*>(GetComponentInstanceStorage(editUnit)) : nullptr;
      // There are no Carbon windows on this platform: a view can never be embedded,
      // editor or not. Hosts fall back to the Cocoa view.
      return badComponentSelector;
    }
    default:
      return badComponentSelector;
    }
  } catch (...) {
    return StatusForCurrentException();
  }
}
