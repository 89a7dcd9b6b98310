// GetProperty: answers property-info calls (size and writability) and property
// reads. A read whose buffer is smaller than the property is refused before
// anything is written or created.
#include "au/IEffectAU.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "au/IEffectAUStrings.h"
#include "plugcore/Trace.h"

namespace {
constexpr UInt32 kPointerSize = sizeof(void*);

// Component type of the legacy view that the UI component list names.
constexpr OSType kViewComponentType = 0x61757677; // 'auvw'

// Lowest system version with the Cocoa view protocol (10.5, BCD digits).
constexpr SInt32 kCocoaViewMinSystem = 0x1050;
} // namespace

int IEffectAU::FindOrAddClump(const char* group)
{
  // The last equal entry wins, as the list may hold a text twice.
  int clump = 0;
  for (int i = 0, n = mParamGroups.GetSize(); i < n; ++i) {
    const char* g = mParamGroups.Get(i);
    if (g && std::strcmp(g, group) == 0) clump = i + 1;
  }
  if (clump) return clump;
  if (!mParamGroups.Add(group)) return 0;
  return mParamGroups.GetSize();
}

ComponentResult IEffectAU::GetParamInfo(AudioUnitElement element, AudioUnitParameterInfo* pInfo)
{
  IParam* param = GetParam(static_cast<int>(element));
  std::memset(pInfo, 0, sizeof(AudioUnitParameterInfo));
  pInfo->flags = kAudioUnitParameterFlag_CFNameRelease | kAudioUnitParameterFlag_HasCFNameString |
                 kAudioUnitParameterFlag_IsGlobalMeta | kAudioUnitParameterFlag_IsElementMeta |
                 kAudioUnitParameterFlag_IsReadable;
  if (param->mCanAutomate) pInfo->flags |= kAudioUnitParameterFlag_IsWritable;

  const char* name = param->GetNameForHost();
  pInfo->cfNameString = IEffectAU_MakeCFString(name);
  std::strncpy(pInfo->name, name, sizeof(pInfo->name) - 1);

  switch (param->Type()) {
  case IParam::kTypeInt:
  case IParam::kTypeEnum:
    pInfo->unit = kAudioUnitParameterUnit_Indexed;
    break;
  case IParam::kTypeBool:
    pInfo->unit = kAudioUnitParameterUnit_Boolean;
    break;
  default: {
    const char* label = param->GetLabelForHost();
    if (label && *label) {
      pInfo->unit = kAudioUnitParameterUnit_CustomUnit;
      pInfo->unitName = IEffectAU_MakeCFString(label);
    } else {
      pInfo->unit = kAudioUnitParameterUnit_Generic;
    }
  }
  }

  double minVal = 0.0, maxVal = 1.0;
  param->GetBounds(&minVal, &maxVal);
  pInfo->minValue = static_cast<AudioUnitParameterValue>(minVal);
  pInfo->maxValue = static_cast<AudioUnitParameterValue>(maxVal);
  pInfo->defaultValue = static_cast<AudioUnitParameterValue>(param->mValue);

  const char* group = param->GetParamGroupForHost();
  if (group && *group) {
    const int clump = FindOrAddClump(group);
    if (clump > 0) {
      pInfo->flags |= kAudioUnitParameterFlag_HasClump;
      pInfo->clumpID = static_cast<UInt32>(clump);
    }
  }
  return noErr;
}

ComponentResult IEffectAU::GetParamValueStrings(AudioUnitElement element, CFArrayRef* pArray, bool build)
{
  IParam* param = GetParam(static_cast<int>(element));
  const int n = param->GetNDisplayTexts();
  if (n <= 0) return kAudioUnitErr_InvalidProperty;
  if (!build) return noErr;
  CFMutableArrayRef array = CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFTypeArrayCallBacks);
  if (!array) return coreFoundationUnknownErr;
  for (int i = 0; i < n; ++i) {
    CFStringRef text = IEffectAU_MakeCFString(param->GetDisplayTextAtIdx(i));
    if (!text) {
      CFRelease(array);
      return coreFoundationUnknownErr;
    }
    CFArrayAppendValue(array, text);
    CFRelease(text);
  }
  *pArray = array;
  return noErr;
}

ComponentResult IEffectAU::GetElementName(AudioUnitScope scope, AudioUnitElement element, CFStringRef* pName)
{
  const Core_String* label = nullptr;
  if (scope == kAudioUnitScope_Output) {
    if (element >= mOutBuses.size()) return kAudioUnitErr_InvalidElement;
    label = GetOutputBusLabel(static_cast<int>(element));
  } else if (scope == kAudioUnitScope_Input) {
    if (element > 1) return kAudioUnitErr_InvalidElement;
    label = GetInputBusLabel(static_cast<int>(element));
  } else {
    return kAudioUnitErr_InvalidScope;
  }
  if (pName) {
    *pName = IEffectAU_MakeCFString(label ? label->Get() : "");
    if (!*pName) return coreFoundationUnknownErr;
  }
  return noErr;
}

ComponentResult IEffectAU::GetCocoaViewInfo(AudioUnitCocoaViewInfo* pInfo)
{
  CFStringRef bundleID = IEffectAU_MakeCFString(mBundleID.c_str());
  CFBundleRef bundle = bundleID ? CFBundleGetBundleWithIdentifier(bundleID) : nullptr;
  if (bundleID) CFRelease(bundleID);
  CFURLRef url = bundle ? CFBundleCopyBundleURL(bundle) : nullptr;
  if (!url) return kAudioUnitErr_InvalidProperty;
  CFStringRef className = IEffectAU_MakeCFString(mViewClassName.c_str());
  if (!className) {
    CFRelease(url);
    return coreFoundationUnknownErr;
  }
  pInfo->mCocoaAUViewBundleLocation = url;
  pInfo->mCocoaAUViewClass[0] = className;
  return noErr;
}

ComponentResult IEffectAU::GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                       UInt32* pDataSize, Boolean* pWriteable, void* pData)
{
  Trace("GetProperty", __LINE__, "%s(%d:%s):(%d:%s):%d", pData ? "" : "info:", static_cast<int>(propID),
        AUPropertyStr(static_cast<int>(propID)), static_cast<int>(scope), AUScopeStr(static_cast<int>(scope)),
        static_cast<int>(element));

  const UInt32 capacity = *pDataSize;
  const bool global = scope == kAudioUnitScope_Global;
  const int nParams = NParams();

  // Records the property's size and tells whether data is to be written: false for
  // an info call, and for a read with too small a buffer (*pRefused is then set).
  bool refused = false;
  auto wantData = [&](UInt32 size, bool writeable) {
    *pDataSize = size;
    if (writeable) *pWriteable = true;
    if (!pData) return false;
    if (capacity < size) {
      refused = true;
      return false;
    }
    return true;
  };
  auto done = [&]() -> ComponentResult {
    if (refused) return kAudioUnitErr_InvalidPropertyValue;
    return noErr;
  };

  switch (propID) {
  case kAudioUnitProperty_ClassInfo:
    if (wantData(kPointerSize, true)) return GetState(static_cast<CFPropertyListRef*>(pData));
    return done();

  case kAudioUnitProperty_MakeConnection:
    if (!global && scope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidProperty;
    wantData(sizeof(AudioUnitConnection), true);
    return done();

  case kAudioUnitProperty_SampleRate:
    if (wantData(sizeof(Float64), true)) *static_cast<Float64*>(pData) = GetSampleRate();
    return done();

  case kAudioUnitProperty_ParameterList: {
    if (!global) {
      *pDataSize = 0;
      return noErr;
    }
    if (wantData(static_cast<UInt32>(sizeof(AudioUnitParameterID) * static_cast<size_t>(nParams)), false)) {
      AudioUnitParameterID* ids = static_cast<AudioUnitParameterID*>(pData);
      for (int i = 0; i < nParams; ++i) ids[i] = static_cast<AudioUnitParameterID>(i);
    }
    return done();
  }

  case kAudioUnitProperty_ParameterInfo:
    if (!global) return kAudioUnitErr_InvalidProperty;
    if (element >= static_cast<UInt32>(nParams)) return kAudioUnitErr_InvalidElement;
    if (wantData(sizeof(AudioUnitParameterInfo), false))
      return GetParamInfo(element, static_cast<AudioUnitParameterInfo*>(pData));
    return done();

  case kAudioUnitProperty_FastDispatch: {
    void* proc = nullptr;
    if (element == kAudioUnitRenderSelect)
      proc = reinterpret_cast<void*>(&IEffectAU::RenderProc);
    else if (element == kAudioUnitSetParameterSelect)
      proc = reinterpret_cast<void*>(&IEffectAU::SetParamProc);
    else if (element == kAudioUnitGetParameterSelect)
      proc = reinterpret_cast<void*>(&IEffectAU::GetParamProc);
    else
      return kAudioUnitErr_InvalidElement;
    if (wantData(kPointerSize, false)) std::memcpy(pData, &proc, sizeof(proc));
    return done();
  }

  case kAudioUnitProperty_StreamFormat:
    if (!GetBus(scope, element)) return kAudioUnitErr_InvalidProperty;
    if (wantData(sizeof(AudioStreamBasicDescription), true))
      return GetStreamFormat(scope, element, static_cast<AudioStreamBasicDescription*>(pData));
    return done();

  case kAudioUnitProperty_ElementCount:
    if (wantData(sizeof(UInt32), false)) {
      UInt32 n = 0;
      if (global)
        n = 1;
      else if (scope == kAudioUnitScope_Input)
        n = static_cast<UInt32>(mInBuses.size());
      else if (scope == kAudioUnitScope_Output)
        n = static_cast<UInt32>(mOutBuses.size());
      *static_cast<UInt32*>(pData) = n;
    }
    return done();

  case kAudioUnitProperty_Latency:
  case kAudioUnitProperty_TailTime:
    if (!global) return kAudioUnitErr_InvalidProperty;
    if (wantData(sizeof(Float64), false))
      *static_cast<Float64*>(pData) = static_cast<Float64>(GetLatency()) / GetSampleRate();
    return done();

  case kAudioUnitProperty_SupportedNumChannels: {
    if (!global) return kAudioUnitErr_InvalidProperty;
    const int nIO = NLegalIOs();
    if (wantData(static_cast<UInt32>(sizeof(AUChannelInfo) * static_cast<size_t>(nIO)), false)) {
      AUChannelInfo* info = static_cast<AUChannelInfo*>(pData);
      for (int i = 0; i < nIO; ++i) {
        const ChannelIO* io = GetLegalIO(i);
        info[i].inChannels = static_cast<SInt16>(io->mIn);
        info[i].outChannels = static_cast<SInt16>(io->mOut);
        Trace("GetProperty", __LINE__, "IO:%d:%d", io->mIn, io->mOut);
      }
    }
    return done();
  }

  case kAudioUnitProperty_MaximumFramesPerSlice:
    if (!global) return kAudioUnitErr_InvalidProperty;
    if (wantData(sizeof(UInt32), true)) *static_cast<UInt32*>(pData) = static_cast<UInt32>(GetBlockSize());
    return done();

  case kAudioUnitProperty_ParameterValueStrings: {
    if (!global) return kAudioUnitErr_InvalidProperty;
    if (element >= static_cast<UInt32>(nParams)) return kAudioUnitErr_InvalidElement;
    if (GetParam(static_cast<int>(element))->GetNDisplayTexts() <= 0) {
      *pDataSize = 0;
      return kAudioUnitErr_InvalidProperty;
    }
    if (wantData(kPointerSize, false)) return GetParamValueStrings(element, static_cast<CFArrayRef*>(pData), true);
    return done();
  }

  case kAudioUnitProperty_GetUIComponentList:
    if (!GetGUI()) return kAudioUnitErr_InvalidProperty;
    if (wantData(sizeof(ComponentDescription), false)) {
      ComponentDescription* cd = static_cast<ComponentDescription*>(pData);
      cd->componentType = kViewComponentType;
      cd->componentSubType = static_cast<OSType>(GetPlugID());
      cd->componentManufacturer = static_cast<OSType>(GetMakerID());
      cd->componentFlags = 0;
      cd->componentFlagsMask = 0;
    }
    return done();

  case kAudioUnitProperty_AudioChannelLayout:
    return kAudioUnitErr_InvalidPropertyValue;

  case kAudioUnitProperty_BypassEffect:
    if (!global) return kAudioUnitErr_InvalidProperty;
    if (wantData(sizeof(UInt32), true)) *static_cast<UInt32*>(pData) = IsBypassed() ? 1 : 0;
    return done();

  case kAudioUnitProperty_LastRenderError:
    if (!global) return kAudioUnitErr_InvalidProperty;
    if (wantData(sizeof(OSStatus), false)) *static_cast<OSStatus*>(pData) = 0;
    return done();

  case kAudioUnitProperty_SetRenderCallback:
    if (!global && scope != kAudioUnitScope_Input) return kAudioUnitErr_InvalidProperty;
    if (element >= mInBuses.size()) return kAudioUnitErr_InvalidProperty;
    wantData(sizeof(AURenderCallbackStruct), true);
    return done();

  case kAudioUnitProperty_FactoryPresets:
    if (wantData(kPointerSize, false)) return GetFactoryPresets(static_cast<CFArrayRef*>(pData));
    return done();

  case kAudioUnitProperty_HostCallbacks:
    if (!global) return kAudioUnitErr_InvalidProperty;
    wantData(sizeof(HostCallbackInfo), true);
    return done();

  case kAudioUnitProperty_CurrentPreset:
  case kAudioUnitProperty_PresentPreset:
    if (wantData(sizeof(AUPreset), true)) {
      CFStringRef name = IEffectAU_MakeCFString(GetPresetName(mCurrentPreset));
      if (!name) return coreFoundationUnknownErr;
      AUPreset* preset = static_cast<AUPreset*>(pData);
      preset->presetNumber = mCurrentPreset;
      preset->presetName = name;
    }
    return done();

  case kAudioUnitProperty_ElementName: {
    if (!pData) return kAudioUnitErr_InvalidProperty;
    const ComponentResult r = GetElementName(scope, element, nullptr);
    if (r != noErr) return r;
    *pWriteable = false;
    if (wantData(kPointerSize, false)) return GetElementName(scope, element, static_cast<CFStringRef*>(pData));
    return done();
  }

  case kAudioUnitProperty_CocoaUI: {
    SInt32 system = 0;
    if (!GetGUI() || Gestalt(gestaltSystemVersion, &system) != noErr || system < kCocoaViewMinSystem)
      return kAudioUnitErr_InvalidProperty;
    if (wantData(sizeof(AudioUnitCocoaViewInfo), false))
      return GetCocoaViewInfo(static_cast<AudioUnitCocoaViewInfo*>(pData));
    return done();
  }

  case kAudioUnitProperty_SupportedChannelLayoutTags: {
    if (!IsInstrument() || mOutBuses.size() == 1) return kAudioUnitErr_InvalidProperty;
    if (GetChannelLayoutTags(scope, element, nullptr) == 0) return kAudioUnitErr_InvalidProperty;
    if (wantData(sizeof(AudioChannelLayoutTag), true))
      GetChannelLayoutTags(scope, element, static_cast<AudioChannelLayoutTag*>(pData));
    return done();
  }

  case kAudioUnitProperty_ParameterStringFromValue: {
    if (!wantData(sizeof(AudioUnitParameterStringFromValue), false) || !global) return done();
    AudioUnitParameterStringFromValue* sfv = static_cast<AudioUnitParameterStringFromValue*>(pData);
    IParam* param = GetParam(static_cast<int>(sfv->inParamID));
    if (!param || sfv->inParamID >= static_cast<UInt32>(nParams)) return kAudioUnitErr_InvalidElement;
    // Without a value pointer the current value is shown.
    const double value = sfv->inValue ? static_cast<double>(*sfv->inValue) : param->mValue;
    param->GetDisplayForHost(value, false, mValueText, true, static_cast<int>(sizeof(mValueText)));
    sfv->outString = IEffectAU_MakeCFString(mValueText);
    if (!sfv->outString) return coreFoundationUnknownErr;
    return noErr;
  }

  case kAudioUnitProperty_ParameterIDName: {
    if (!wantData(sizeof(AudioUnitParameterIDName), false) || !global) return done();
    AudioUnitParameterIDName* idName = static_cast<AudioUnitParameterIDName*>(pData);
    IParam* param = idName->inID < static_cast<UInt32>(nParams) ? GetParam(static_cast<int>(idName->inID)) : nullptr;
    if (!param) return kAudioUnitErr_InvalidElement;
    std::string name = param->GetNameForHost();
    if (idName->inDesiredLength != kAudioUnitParameterName_Full) {
      const int length = std::max(0, std::min<int>(idName->inDesiredLength, IParam::kTextSize - 1));
      IEffectAU_CutUTF8(&name, static_cast<size_t>(length));
    }
    idName->outName = IEffectAU_MakeCFString(name.c_str());
    if (!idName->outName) return coreFoundationUnknownErr;
    return noErr;
  }

  case kAudioUnitProperty_ParameterClumpName: {
    if (!wantData(sizeof(AudioUnitParameterNameInfo), false) || !global) return done();
    AudioUnitParameterNameInfo* clumpName = static_cast<AudioUnitParameterNameInfo*>(pData);
    if (clumpName->inID < 1 || clumpName->inID > static_cast<UInt32>(mParamGroups.GetSize()))
      return kAudioUnitErr_PropertyNotInUse;
    clumpName->outName = IEffectAU_MakeCFString(mParamGroups.Get(static_cast<int>(clumpName->inID) - 1));
    if (!clumpName->outName) return coreFoundationUnknownErr;
    return noErr;
  }

  case kAudioUnitProperty_ParameterValueFromString: {
    if (!wantData(sizeof(AudioUnitParameterValueFromString), false) || !global) return done();
    AudioUnitParameterValueFromString* vfs = static_cast<AudioUnitParameterValueFromString*>(pData);
    IParam* param =
        vfs->inParamID < static_cast<UInt32>(nParams) ? GetParam(static_cast<int>(vfs->inParamID)) : nullptr;
    if (!param) return kAudioUnitErr_InvalidElement;
    const std::string text = IEffectAU_CFStringToUTF8(vfs->inString);
    if (param->GetNDisplayTexts() == 0) {
      double value = std::atof(text.c_str());
      if (param->mNegateDisplay) value = -value;
      vfs->outValue = static_cast<AudioUnitParameterValue>(value);
    } else {
      int value = 0;
      if (param->MapDisplayText(text.c_str(), &value)) vfs->outValue = static_cast<AudioUnitParameterValue>(value);
    }
    return noErr;
  }

  case kMusicDeviceProperty_InstrumentCount:
    if (!global || !IsInstrument()) return kAudioUnitErr_InvalidProperty;
    if (wantData(sizeof(UInt32), false)) *static_cast<UInt32*>(pData) = 1;
    return done();

  default:
    return kAudioUnitErr_InvalidProperty;
  }
}
