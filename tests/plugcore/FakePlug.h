#pragma once
// Test doubles for the plug-in core: a concrete IEffectBase whose host-facing
// operations record what they were asked, and an editor that records what the
// plug-in shows in it.

#include <atomic>
#include <string>
#include <vector>

#include "plugcore/IEditorDelegate.h"
#include "plugcore/IEffectBase.h"

class FakePlug : public IEffectBase
{
public:
  explicit FakePlug(int nParams = 0, const char* channelIO = "1-1 2-2", int nPresets = 0)
      : IEffectBase(nParams, channelIO, nPresets, "Fake Effect", "Fake Product", "Fake Maker", 0x00010203,
                    0x46616B65 /* Fake */, 0x4D6B6572 /* Mker */, 0, false, false, false, kAPIAU)
  {}

  struct HostParamChange
  {
    int index;
    double normalized;
  };

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override
  {
    mHostChanges.push_back({paramIdx, normalizedValue});
  }
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return mTempo; }
  void GetTimeSig(int* pNum, int* pDenom) override
  {
    if (pNum) *pNum = 4;
    if (pDenom) *pDenom = 4;
  }
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg* pMsg) override
  {
    mSentMidi.push_back(pMsg);
    return false;
  }

  // Exposed for tests.
  using IEffectBase::mBypassed;
  using IEffectBase::mCurrentPreset;
  using IEffectBase::mHost;
  using IEffectBase::mHostVersion;
  using IEffectBase::mInChannels;
  using IEffectBase::mInData;
  using IEffectBase::mOutChannels;
  using IEffectBase::mOutData;
  using IEffectBase::mParamGroups;
  using IEffectBase::mPresets;
  using IEffectBase::mSpareFlag;

  double mTempo = 120.0;
  std::vector<HostParamChange> mHostChanges;
  std::vector<IMidiMsg*> mSentMidi;
};

class FakeEditor : public IEditorDelegate
{
public:
  struct Call
  {
    std::string what;
    int index;
    double value;
    bool normalized;
  };

  explicit FakeEditor(bool* deletedFlag = nullptr) : mDeleted(deletedFlag) {}
  ~FakeEditor() override
  {
    if (mDeleted) *mDeleted = true;
  }

  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override
  {
    mCalls.push_back({"param", paramIdx, value, normalized});
  }
  void SetControlFromPlug(int controlIdx, double normalized) override
  {
    mCalls.push_back({"control", controlIdx, normalized, true});
  }
  void PrepDraw() override { mCalls.push_back({"prepdraw", -1, 0.0, false}); }
  void PromptForFile(Core_String* file, EFileAction, Core_String*, char*) override { file->Set(""); }

  std::vector<Call> mCalls;
  bool* mDeleted;
};
