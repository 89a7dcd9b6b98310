// IEffectVST3: construction, the lifecycle calls, buses and the host's side of the editor's changes.
#include "vst3/IEffectVST3.h"

#include <algorithm>
#include <cmath>

using namespace vst3;

namespace {

// The product's channel-IO string lists the arrangements: a pair with equal counts of 1 or 2.
bool ProductHasPair(const IEffectBase& plug, int channels)
{
  for (int i = 0; const IEffectBase::ChannelIO* pair = plug.GetLegalIO(i); ++i)
    if (pair->mIn == channels && pair->mOut == channels) return true;
  return false;
}

int ChannelsOf(SpeakerArrangement arr)
{
  return arr == kArrMono ? 1 : arr == kArrStereo ? 2 : 0;
}

void CopyName(char16* out, const char* name)
{
  int i = 0;
  for (; name[i] && i < 127; ++i) out[i] = static_cast<char16>(static_cast<unsigned char>(name[i]));
  out[i] = 0;
}

} // namespace

IEffectVST3::IEffectVST3(InstanceInfo info, int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                         const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
                         int latency, bool spareFlag, bool plugDoesChunks, bool plugIsInst, int /*plugScChans*/)
    : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID, mfrID,
                  latency, spareFlag, plugDoesChunks, plugIsInst, kAPIVST3),
      mBundleID(std::move(info.mBundleID)), mPoints(kMaxPoints)
{
  SetSampleRate(44100.0);
  UseChannels(ProductHasPair(*this, 2) ? 2 : ProductHasPair(*this, 1) ? 1 : 0);
}

void IEffectVST3::UseChannels(int channels)
{
  mChannels = channels;
  // The arrangement's channels come from the host; the others of the widest pair read the base's
  // silent scratch buffers and write into scratch buffers nobody reads.
  SetInputChannelConnections(0, channels, true);
  SetInputChannelConnections(channels, NInChannels() - channels, false);
  SetOutputChannelConnections(0, channels, true);
  SetOutputChannelConnections(channels, NOutChannels() - channels, false);
  mPtrs32.assign(static_cast<size_t>(2 * channels), nullptr);
  mPtrs64.assign(static_cast<size_t>(2 * channels), nullptr);
}

tresult IEffectVST3::Initialize(FUnknown* /*context*/)
{
  if (Stage() != kCreated) return kResultFalse;
  if (mChannels == 0) return kInternalError; // a product with no arrangement VST3 can express
  mStage.store(kInitialized, std::memory_order_release);
  return kResultOk;
}

tresult IEffectVST3::Terminate()
{
  if (Stage() == kCreated) return kResultFalse;
  if (Stage() == kActive) OnActivate(false); // a host that forgot setActive(false)
  mHandler = nullptr;
  mProcessing = false;
  mSetUp = false; // a host that initializes again sets up again
  mStage.store(kCreated, std::memory_order_release);
  return kResultOk;
}

tresult IEffectVST3::SetupProcessing(const ProcessSetup& setup)
{
  if (Stage() != kInitialized) return kResultFalse;
  if ((setup.symbolicSampleSize != kSample32 && setup.symbolicSampleSize != kSample64) ||
      setup.maxSamplesPerBlock < 1 || setup.maxSamplesPerBlock > kMaxBlockSize || !std::isfinite(setup.sampleRate) ||
      setup.sampleRate <= 0.0 || setup.sampleRate > 1.0e7)
    return kInvalidArgument;
  mSetup = setup;
  mSetUp = true;
  return kResultOk;
}

tresult IEffectVST3::SetActive(bool active)
{
  if (active) {
    if (Stage() != kInitialized || !mSetUp) return kResultFalse;
    SetBlockSize(mSetup.maxSamplesPerBlock);
    if (GetBlockSize() != mSetup.maxSamplesPerBlock) return kOutOfMemory;
    SetSampleRate(mSetup.sampleRate);
    mOffline.store(mSetup.processMode == kOffline, std::memory_order_relaxed);
    mSamplePos = 0;
    Reset(); // the product redesigns for a new rate here
    OnActivate(true);
    mStage.store(kActive, std::memory_order_release);
    return kResultOk;
  }
  if (Stage() != kActive) return kResultFalse;
  OnActivate(false);
  mProcessing = false;
  mStage.store(kInitialized, std::memory_order_release);
  return kResultOk;
}

tresult IEffectVST3::SetProcessing(bool processing)
{
  if (Stage() != kActive) return kResultFalse;
  if (processing && !mProcessing) ZeroScratchBuffers();
  mProcessing = processing;
  return kResultOk;
}

int32 IEffectVST3::BusCount(MediaType type, BusDirection dir) const
{
  return type == kAudio && (dir == kInput || dir == kOutput) ? 1 : 0;
}

tresult IEffectVST3::BusInfo(MediaType type, BusDirection dir, int32 index, vst3::BusInfo& bus) const
{
  if (index < 0 || index >= BusCount(type, dir)) return kInvalidArgument;
  bus.mediaType = type;
  bus.direction = dir;
  bus.channelCount = mChannels;
  CopyName(bus.name, dir == kInput ? "Input" : "Output");
  bus.busType = kMain;
  bus.flags = vst3::BusInfo::kDefaultActive;
  return kResultOk;
}

tresult IEffectVST3::ActivateBus(MediaType type, BusDirection dir, int32 index) const
{
  // Both buses are always on; the host may say so, and nothing else.
  return index >= 0 && index < BusCount(type, dir) ? kResultOk : kInvalidArgument;
}

tresult IEffectVST3::SetBusArrangements(const SpeakerArrangement* inputs, int32 numIns,
                                        const SpeakerArrangement* outputs, int32 numOuts)
{
  if (Stage() == kActive) return kResultFalse;
  if (numIns != 1 || numOuts != 1 || !inputs || !outputs) return kResultFalse;
  const int channels = ChannelsOf(inputs[0]);
  if (channels == 0 || ChannelsOf(outputs[0]) != channels || !ProductHasPair(*this, channels)) return kResultFalse;
  if (channels != mChannels) UseChannels(channels);
  return kResultTrue;
}

tresult IEffectVST3::BusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) const
{
  if (index != 0 || (dir != kInput && dir != kOutput)) return kInvalidArgument;
  arr = mChannels == 1 ? kArrMono : kArrStereo;
  return kResultOk;
}

void IEffectVST3::SetComponentHandler(IComponentHandler* handler)
{
  mHandler = handler;
}

void IEffectVST3::BeginInformHostOfParamChange(int idx)
{
  if (mHandler && idx >= 0 && idx < NParams()) mHandler->beginEdit(static_cast<ParamID>(idx));
}

void IEffectVST3::InformHostOfParamChange(int idx, double /*normalizedValue*/)
{
  const IParam* param = GetParam(idx);
  // The caller set the parameter first (snapped to its steps); the host gets that value normalized.
  if (mHandler && param) mHandler->performEdit(static_cast<ParamID>(idx), ToNormalized(idx, param->Value()));
}

void IEffectVST3::EndInformHostOfParamChange(int idx)
{
  if (mHandler && idx >= 0 && idx < NParams()) mHandler->endEdit(static_cast<ParamID>(idx));
}

void IEffectVST3::InformHostOfProgramChange()
{
  if (mHandler) mHandler->restartComponent(IComponentHandler::kParamValuesChanged);
}

void IEffectVST3::GetTime(ITimeInfo* pTimeInfo)
{
  if (pTimeInfo) pTimeInfo->mSamplePos = static_cast<double>(mSamplePos);
}
