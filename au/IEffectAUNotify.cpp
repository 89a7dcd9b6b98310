// Host notifications: property listeners and parameter-change events.
#include "au/IEffectAU.h"

#include <cstring>

#include "plugcore/Trace.h"

void IEffectAU::NotifyListeners(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element)
{
  // By index, re-reading the size each time: a listener may add or remove
  // listeners while it is being told. When the record at i is no longer the one
  // just told, an earlier one (or itself) was removed and the next record has moved
  // into place: it is told without stepping on.
  for (size_t i = 0; i < mPropertyListeners.size();) {
    const PropertyListener listener = mPropertyListeners[i];
    if (listener.mPropID == propID && listener.mListenerProc)
      listener.mListenerProc(listener.mProcArgs, mInstance, propID, scope, element);
    if (i < mPropertyListeners.size() && mPropertyListeners[i].mPropID == listener.mPropID &&
        mPropertyListeners[i].mListenerProc == listener.mListenerProc)
      ++i;
  }
}

void IEffectAU::InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope)
{
  NotifyListeners(propID, scope, 0);
}

void IEffectAU::InformHostOfProgramChange()
{
  NotifyListeners(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0);
}

void SendAUEvent(AudioUnitEventType type, AudioUnit instance, int paramIdx)
{
  AudioUnitEvent event;
  std::memset(&event, 0, sizeof(event));
  event.mEventType = type;
  event.mArgument.mParameter.mAudioUnit = instance;
  event.mArgument.mParameter.mParameterID = static_cast<AudioUnitParameterID>(paramIdx);
  event.mArgument.mParameter.mScope = kAudioUnitScope_Global;
  event.mArgument.mParameter.mElement = 0;
  AUEventListenerNotify(nullptr, nullptr, &event);
}

void IEffectAU::SendParamEvent(AudioUnitEventType type, int idx)
{
  SendAUEvent(type, mInstance, idx);
}

void IEffectAU::BeginInformHostOfParamChange(int idx)
{
  Trace("BeginInformHostOfParamChange", __LINE__, "%d", idx);
  SendParamEvent(kAudioUnitEvent_BeginParameterChangeGesture, idx);
}

void IEffectAU::InformHostOfParamChange(int idx, double normalizedValue)
{
  Trace("InformHostOfParamChange", __LINE__, "%d:%f", idx, normalizedValue);
  SendParamEvent(kAudioUnitEvent_ParameterValueChange, idx);
}

void IEffectAU::EndInformHostOfParamChange(int idx)
{
  Trace("EndInformHostOfParamChange", __LINE__, "%d", idx);
  SendParamEvent(kAudioUnitEvent_EndParameterChangeGesture, idx);
}
