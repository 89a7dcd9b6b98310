#include "plugcore/IEffectBase.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "containers/Core_CopyText.h"
#include "plugcore/Trace.h"

namespace {
// Reads an optionally signed decimal number after optional whitespace, the way
// "%d" does, but saturating instead of overflowing. Returns the position after it,
// or null (and leaves *value alone) when there is no number.
const char* ReadInt(const char* p, int* value)
{
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(p, &end, 10);
  if (end == p) return nullptr;
  if (v > INT_MAX)
    *value = INT_MAX;
  else if (v < INT_MIN)
    *value = INT_MIN;
  else
    *value = static_cast<int>(v);
  return end;
}
} // namespace

IEffectBase::IEffectBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                         const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
                         int latency, bool spareFlag, bool plugDoesChunks, bool plugIsInst, EAPI plugAPI)
    : mLegalIO(), mMutex(), mPlugID(uniqueID), mMakerID(mfrID), mVersion(vendorVersion), mAPI(plugAPI),
      mHost(kHostUninit), mHostVersion(0), mUsesChunks(plugDoesChunks), mIsInstrument(plugIsInst),
      mSpareFlag(spareFlag), mBypassed(false), mCurrentPreset(0), mSampleRate(44100.0), mBlockSize(0),
      mLatency(latency), mLatencyDelay(nullptr), mInData(256), mOutData(256)
{
  mEffectName[0] = mProductName[0] = mMfrName[0] = '\0';

  Trace("IEffectBase", __LINE__, "%s:%s", effectName ? effectName : "", CurrentTime());

  for (int i = 0; i < nParams; ++i) mParams.Add(new IParam);
  for (int i = 0; i < nPresets; ++i) mPresets.Add(new IPreset);

  Core_CopyText(mEffectName, effectName, kNameSize);
  Core_CopyText(mProductName, productName, kNameSize);
  Core_CopyText(mMfrName, mfrName, kNameSize);

  int maxIn = 0, maxOut = 0;
  ParseChannelIO(channelIOStr, &maxIn, &maxOut);

  // The data arrays never change size after this, so the channels' slot pointers stay valid.
  if (mInData.Resize(maxIn)) mInData.Zero();
  if (mOutData.Resize(maxOut)) mOutData.Zero();
  if (mHostOutData.Resize(maxOut)) mHostOutData.Zero();
  for (int i = 0; i < mInData.GetSize(); ++i) {
    InChannel* channel = new InChannel;
    channel->mDataSlot = mInData.Get() + i;
    mInChannels.Add(channel);
  }
  for (int i = 0; i < mOutData.GetSize(); ++i) {
    OutChannel* channel = new OutChannel;
    channel->mDataSlot = mOutData.Get() + i;
    mOutChannels.Add(channel);
  }
}

IEffectBase::~IEffectBase()
{
  mGraphics.reset(); // the editor goes first: its controls point at the parameters
  mParams.Empty(true);
  mPresets.Empty(true);
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
  mLegalIO.Empty(true);
  mInBusLabels.Empty(true);
  mOutBusLabels.Empty(true);
  // mLatencyDelay is never created here, so there is nothing to delete.
}

void IEffectBase::ParseChannelIO(const char* channelIOStr, int* maxIn, int* maxOut)
{
  for (const char* p = channelIOStr; p;) {
    int nIn = 0, nOut = 0;
    if (const char* q = ReadInt(p, &nIn)) {
      if (*q == '-') ReadInt(q + 1, &nOut);
    }
    // A channel count beyond what any host offers would only exhaust memory.
    if (nIn > kMaxChannels) nIn = kMaxChannels;
    if (nOut > kMaxChannels) nOut = kMaxChannels;

    ChannelIO* io = new ChannelIO{nIn, nOut};
    if (!mLegalIO.Add(io)) {
      delete io;
      break;
    }
    if (nIn > *maxIn) *maxIn = nIn;
    if (nOut > *maxOut) *maxOut = nOut;

    p = std::strchr(p, ' ');
    if (p) ++p;
  }
}

bool IEffectBase::LegalIO(int nIn, int nOut)
{
  bool legal = false;
  for (int i = 0, n = mLegalIO.GetSize(); i < n && !legal; ++i) {
    const ChannelIO* io = mLegalIO.Get(i);
    legal = (nIn < 0 || nIn == io->mIn) && (nOut < 0 || nOut == io->mOut);
  }
  Trace("LegalIO", __LINE__, "%d:%d:%s", nIn, nOut, legal ? "legal" : "illegal");
  return legal;
}

// ---- Virtual defaults ----

void IEffectBase::Reset()
{
  Core_MutexLock lock(mMutex);
}

void IEffectBase::OnParamChange(int /*paramIdx*/)
{
  Core_MutexLock lock(mMutex);
}

void IEffectBase::OnActivate(bool /*active*/)
{
  Core_MutexLock lock(mMutex);
}

void IEffectBase::ProcessMidiMsg(IMidiMsg* pMsg)
{
  SendMidiMsg(pMsg);
}

bool IEffectBase::MidiNoteName(int /*noteNumber*/, char* rName)
{
  if (rName) rName[0] = '\0';
  return false;
}

void IEffectBase::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  Trace("SetParameterFromGUI", __LINE__, "%d:%f", paramIdx, normalizedValue);
  Core_MutexLock lock(mMutex);
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  param->SetNormalized(normalizedValue);
  InformHostOfParamChange(paramIdx, normalizedValue);
  OnParamChange(paramIdx);
}

void IEffectBase::AttachGraphics(IEditorDelegate* pGraphics)
{
  if (!pGraphics) return;
  Core_MutexLock lock(mMutex);
  for (int i = 0, n = NParams(); i < n; ++i) pGraphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
  pGraphics->PrepDraw();
  // A second editor replaces the first, which the plug-in owns and so deletes.
  if (mGraphics.get() != pGraphics) mGraphics.reset(pGraphics);
}

void IEffectBase::ShowParamInEditor(int paramIdx, double value, bool normalized)
{
  if (mGraphics) mGraphics->SetParameterFromPlug(paramIdx, value, normalized);
}

void IEffectBase::ShowControlValueInEditor(int controlIdx, double normalized)
{
  if (mGraphics) mGraphics->SetControlFromPlug(controlIdx, normalized);
}

void IEffectBase::OnParamReset()
{
  for (int i = 0, n = NParams(); i < n; ++i) OnParamChange(i);
}

double IEffectBase::GetSamplesPerBeat()
{
  const double tempo = GetTempo();
  return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}

// ---- Labels ----

void IEffectBase::SetInputLabel(int idx, const char* label)
{
  if (InChannel* channel = mInChannels.Get(idx)) channel->mLabel.Set(label ? label : "");
}

void IEffectBase::SetOutputLabel(int idx, const char* label)
{
  if (OutChannel* channel = mOutChannels.Get(idx)) channel->mLabel.Set(label ? label : "");
}

const char* IEffectBase::GetInputLabel(int idx) const
{
  const InChannel* channel = mInChannels.Get(idx);
  return channel ? channel->mLabel.Get() : "";
}

const char* IEffectBase::GetOutputLabel(int idx) const
{
  const OutChannel* channel = mOutChannels.Get(idx);
  return channel ? channel->mLabel.Get() : "";
}

namespace {
void ReplaceBusLabel(Core_PtrList<Core_String>& labels, int idx, const char* text)
{
  labels.Delete(idx, true);
  Core_String* label = new Core_String(text);
  if (!labels.Insert(idx, label)) delete label;
}
} // namespace

void IEffectBase::SetInputBusLabel(int idx, const char* label)
{
  if (idx == 0 || idx == 1) ReplaceBusLabel(mInBusLabels, idx, label);
}

void IEffectBase::SetOutputBusLabel(int idx, const char* label)
{
  if (idx >= 0) ReplaceBusLabel(mOutBusLabels, idx, label);
}
