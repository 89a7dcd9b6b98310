// IEffectLV2: construction, the variant's connections and the lifecycle calls.
#include "lv2/IEffectLV2.h"

#include <cmath>

IEffectLV2::IEffectLV2(InstanceInfo info, int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                       const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
                       int latency, bool spareFlag, bool plugDoesChunks, bool plugIsInst, int /*plugScChans*/)
    : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID, mfrID,
                  latency, spareFlag, plugDoesChunks, plugIsInst, kAPILV2),
      mInfo(std::move(info)), mChannelIO(channelIOStr ? channelIOStr : "")
{
  // Before the product's constructor runs, which designs its filters for this rate.
  SetSampleRate(mInfo.mSampleRate);
}

IEffectLV2::~IEffectLV2() = default;

bool IEffectLV2::PrepareInstance()
{
  const LV2Variant* variant = nullptr;
  const std::vector<LV2Variant> variants = LV2Variants(mChannelIO.c_str());
  for (const LV2Variant& v : variants)
    if (v.mChannelIOIdx == mInfo.mChannelIOIdx) variant = &v;
  // The base read the same string; a pair it reads otherwise is no variant to build.
  const ChannelIO* pair = variant ? GetLegalIO(variant->mChannelIOIdx) : nullptr;
  if (!pair || pair->mIn != variant->mIn || pair->mOut != variant->mOut || variant->mIn > NInChannels() ||
      variant->mOut > NOutChannels())
    return false;

  mLayout = LV2PortLayout(*this, variant->mIn, variant->mOut);
  // The variant's channels come from the host; the others of the widest pair read the base's
  // silent scratch buffers and write into scratch buffers nobody reads.
  SetInputChannelConnections(0, variant->mIn, true);
  SetInputChannelConnections(variant->mIn, NInChannels() - variant->mIn, false);
  SetOutputChannelConnections(0, variant->mOut, true);
  SetOutputChannelConnections(variant->mOut, NOutChannels() - variant->mOut, false);

  int blockSize = mInfo.mBlockSize;
  if (blockSize <= 0) blockSize = kDefaultBlockSize;
  if (blockSize > kMaxBlockSize) blockSize = kMaxBlockSize;
  mInfo.mBlockSize = blockSize;
  SetBlockSize(blockSize);
  if (GetBlockSize() != blockSize) return false;

  mAudioPorts.assign(static_cast<size_t>(variant->mIn + variant->mOut), nullptr);
  mInPtrs.assign(static_cast<size_t>(variant->mIn), nullptr);
  mOutPtrs.assign(static_cast<size_t>(variant->mOut), nullptr);
  mControlPorts.assign(static_cast<size_t>(NParams()), nullptr);
  // NaN never equals a port's value, so the first run takes every connected control port.
  mLastControl.assign(static_cast<size_t>(NParams()), std::nanf(""));
  return true;
}

void IEffectLV2::ConnectPort(uint32_t port, void* data)
{
  int idx = 0;
  switch (mLayout.Kind(port, &idx)) {
  case LV2PortLayout::kAudioIn:
    mAudioPorts[static_cast<size_t>(idx)] = static_cast<float*>(data);
    break;
  case LV2PortLayout::kAudioOut:
    mAudioPorts[static_cast<size_t>(mLayout.NIn() + idx)] = static_cast<float*>(data);
    break;
  case LV2PortLayout::kControlIn:
    mControlPorts[static_cast<size_t>(idx)] = static_cast<const float*>(data);
    break;
  case LV2PortLayout::kLatencyOut:
    mLatencyPort = static_cast<float*>(data);
    break;
  default:
    break;
  }
}

void IEffectLV2::ReadControlPorts()
{
  for (size_t i = 0; i < mControlPorts.size(); ++i) {
    const float* port = mControlPorts[i];
    if (!port) continue;
    const float value = *port;
    // A NaN from the host is no setting; the parameter keeps its value.
    if (std::isnan(value) || value == mLastControl[i]) continue;
    mLastControl[i] = value;
    const int idx = static_cast<int>(i);
    IParam* param = GetParam(idx);
    // The same lock the product's OnParamChange takes; uncontended, since no other host call
    // runs beside Run.
    Core_MutexLock lock(mMutex);
    param->Set(LV2ParamValueFromPort(*param, value));
    OnParamChange(idx);
  }
}

void IEffectLV2::Activate()
{
  mSamplePos = 0;
  Reset();
  OnActivate(true);
}

void IEffectLV2::Deactivate()
{
  OnActivate(false);
}

void IEffectLV2::GetTimeSig(int* /*pNum*/, int* /*pDenom*/)
{
  // No transport without the time extension: the callers' defaults stand.
}

void IEffectLV2::GetTime(ITimeInfo* pTimeInfo)
{
  if (pTimeInfo) pTimeInfo->mSamplePos = static_cast<double>(mSamplePos);
}
