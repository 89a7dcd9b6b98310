// The host's parameter calls, reached through the dispatcher and through fast
// dispatch. Both take the plug-in lock, so they live apart from the audio path
// (IEffectAURender.cpp), which takes none.
#include "au/IEffectAU.h"
#include "au/IEffectAUFirewall.h"

#include <cmath>

#include "plugcore/Trace.h"

OSStatus IEffectAU::GetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope,
                                 AudioUnitElement element, AudioUnitParameterValue* pValue)
{
  try {
    Trace("GetParamProc", __LINE__, "%d:(%d:%s):%d", static_cast<int>(paramID), static_cast<int>(scope),
          AUScopeStr(static_cast<int>(scope)), static_cast<int>(element));
    if (!plug || !pValue) return paramErr;
    if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
    IEffectAU* self = static_cast<IEffectAU*>(plug);
    Core_MutexLock lock(self->mMutex);
    IParam* param =
        paramID < static_cast<UInt32>(self->NParams()) ? self->GetParam(static_cast<int>(paramID)) : nullptr;
    if (!param) return kAudioUnitErr_InvalidProperty;
    *pValue = static_cast<AudioUnitParameterValue>(param->mValue);
    return noErr;
  } catch (...) {
    return StatusForCurrentException();
  }
}

OSStatus IEffectAU::SetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope,
                                 AudioUnitElement element, AudioUnitParameterValue value, UInt32 /*offsetFrames*/)
{
  try {
    Trace("SetParamProc", __LINE__, "%d:(%d:%s):%d", static_cast<int>(paramID), static_cast<int>(scope),
          AUScopeStr(static_cast<int>(scope)), static_cast<int>(element));
    if (!plug) return paramErr;
    if (scope != kAudioUnitScope_Global) return kAudioUnitErr_InvalidProperty;
    IEffectAU* self = static_cast<IEffectAU*>(plug);
    Core_MutexLock lock(self->mMutex);
    const int idx = static_cast<int>(paramID);
    IParam* param = paramID < static_cast<UInt32>(self->NParams()) ? self->GetParam(idx) : nullptr;
    if (!param) return kAudioUnitErr_InvalidProperty;
    // A NaN would pass the clamp and reach the product's arithmetic.
    if (std::isnan(value)) return kAudioUnitErr_InvalidPropertyValue;
    param->Set(static_cast<double>(value));
    self->ShowParamInEditor(idx, value, false);
    self->OnParamChange(idx);
    return noErr;
  } catch (...) {
    return StatusForCurrentException();
  }
}
