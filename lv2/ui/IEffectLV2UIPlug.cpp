#include "lv2/ui/IEffectLV2UIPlug.h"

#include "lv2/IEffectLV2.h"
#include "lv2/LV2PortLayout.h"

#include <cmath>
#include <utility>

IEffectLV2UIPlug::IEffectLV2UIPlug(InstanceInfo info, int nParams, const char* channelIOStr, int nPresets,
                                   const char* effectName, const char* productName, const char* mfrName,
                                   int vendorVersion, int uniqueID, int mfrID, int latency, bool spareFlag,
                                   bool plugDoesChunks, bool plugIsInst, int /*plugScChans*/)
    : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID, mfrID,
                  latency, spareFlag, plugDoesChunks, plugIsInst, kAPILV2),
      mBundleID(std::move(info.mBundleID)), mWrite(info.mWrite), mController(info.mController), mTouch(info.mTouch),
      mFirstControlPort(info.mFirstControlPort)
{}

IEffectLV2UIPlug::~IEffectLV2UIPlug() = default;

int IEffectLV2UIPlug::ParamOfPort(uint32_t port) const
{
  if (port < mFirstControlPort) return -1;
  const uint32_t idx = port - mFirstControlPort;
  return idx < static_cast<uint32_t>(NParams()) ? static_cast<int>(idx) : -1;
}

bool IEffectLV2UIPlug::SetFromPort(uint32_t port, float value)
{
  const int idx = ParamOfPort(port);
  if (idx < 0 || std::isnan(value)) return false;
  Core_MutexLock lock(mMutex);
  IParam* param = GetParam(idx);
  // Read the way the audio side reads the port (switches, whole numbers, the range), and compared
  // in the port's own precision: the echo of a value the editor wrote must not move a control that
  // is being dragged.
  const double reading = LV2ParamValueFromPort(*param, value);
  if (static_cast<float>(param->Value()) == static_cast<float>(reading)) return false;
  param->Set(reading);
  ShowParamInEditor(idx, param->Value(), false);
  OnParamChange(idx);
  return true;
}

void IEffectLV2UIPlug::WritePort(int idx)
{
  const IParam* param = GetParam(idx);
  if (!param || !mWrite) return;
  const float value = static_cast<float>(param->Value());
  // Protocol 0: a single float for a control port.
  mWrite(mController, PortOfParam(idx), sizeof(float), 0, &value);
}

void IEffectLV2UIPlug::BeginInformHostOfParamChange(int idx)
{
  if (mTouch && mTouch->touch && GetParam(idx)) mTouch->touch(mTouch->handle, PortOfParam(idx), true);
}

void IEffectLV2UIPlug::InformHostOfParamChange(int idx, double /*normalizedValue*/)
{
  // The parameter already holds the new value; ports carry real values.
  WritePort(idx);
}

void IEffectLV2UIPlug::EndInformHostOfParamChange(int idx)
{
  if (mTouch && mTouch->touch && GetParam(idx)) mTouch->touch(mTouch->handle, PortOfParam(idx), false);
}

void IEffectLV2UIPlug::InformHostOfProgramChange()
{
  // LV2 has no program change a UI could report; the host hears the new values port by port.
  for (int i = 0; i < NParams(); ++i) WritePort(i);
}

void IEffectLV2UIPlug::GetTimeSig(int* pNum, int* pDenom)
{
  if (pNum) *pNum = 4;
  if (pDenom) *pDenom = 4;
}

void IEffectLV2UIPlug::GetTime(ITimeInfo* pTimeInfo)
{
  if (pTimeInfo) *pTimeInfo = ITimeInfo();
}
