#pragma once
// IEffectVST3: the VST3 face of a plug-in object.
//
// A product class template instantiated over IEffectVST3 is one VST3 component, which is its own
// edit controller (Vst3Module.h gives the host the COM objects). It has one main audio input bus
// and one main audio output bus, mono or stereo as the host arranges them while inactive: any pair of
// the product's channel-IO string whose input and output counts match.
//
// Every host call is checked against the stage it needs (created, initialized, set up, active) and
// refused with a result code when out of order; a process call with buffers that do not match the
// arrangement is refused and writes silence where it safely can.
//
// Parameters: the id of a parameter is its index in the product; the host's values are normalized
// through the parameter's own shape, stepped parameters in whole steps. Changes inside process take
// effect at their sample offset: the block is processed in pieces split there.
//
// The product builds its editor with every instance (cheap while nobody shows it); Vst3View.h shows it
// in the host's window.
//
// Threads: Process runs on the audio thread and allocates nothing; a parameter change takes the
// product's lock, which only a main-thread call of the host can hold at that moment. Everything else
// runs on the main thread.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "plugcore/IEffectBase.h"
#include "vst3/abi/Vst3Controller.h"

class IEffectVST3 : public IEffectBase
{
public:
  // The product builds its editor with every instance; Vst3View shows it in the host's window.
  static constexpr bool kMakesEditor = true;
  // Largest block a host may set up; longer ones are refused at set-up.
  static constexpr int kMaxBlockSize = 8192;
  // Parameter points taken from one process call; more are dropped (the last of each queue kept).
  static constexpr size_t kMaxPoints = 1024;
  // Largest state payload accepted from a host; ours are a few dozen bytes.
  static constexpr uint32_t kMaxStateSize = 1 << 20;

  enum EStage { kCreated, kInitialized, kActive };

  struct InstanceInfo
  {
    std::string mBundleID; // where the editor finds its images
  };

  // Arguments in the same order as every adapter's; all but the first and the last go to IEffectBase.
  IEffectVST3(InstanceInfo info, int nParams, const char* channelIOStr, int nPresets, const char* effectName,
              const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
              bool spareFlag, bool plugDoesChunks, bool plugIsInst, int plugScChans);

  // ---- Lifecycle (IEffectVST3.cpp) ----
  vst3::tresult Initialize(vst3::FUnknown* context);
  vst3::tresult Terminate();
  vst3::tresult SetupProcessing(const vst3::ProcessSetup& setup);
  vst3::tresult SetActive(bool active);
  vst3::tresult SetProcessing(bool processing);
  EStage Stage() const { return mStage.load(std::memory_order_acquire); }

  // ---- Buses ----
  vst3::int32 BusCount(vst3::MediaType type, vst3::BusDirection dir) const;
  vst3::tresult BusInfo(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index, vst3::BusInfo& bus) const;
  vst3::tresult ActivateBus(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index) const;
  vst3::tresult SetBusArrangements(const vst3::SpeakerArrangement* inputs, vst3::int32 numIns,
                                   const vst3::SpeakerArrangement* outputs, vst3::int32 numOuts);
  vst3::tresult BusArrangement(vst3::BusDirection dir, vst3::int32 index, vst3::SpeakerArrangement& arr) const;
  int Channels() const { return mChannels; }

  // ---- Audio (IEffectVST3Process.cpp) ----
  vst3::tresult Process(vst3::ProcessData& data);

  // ---- Parameters (IEffectVST3Params.cpp) ----
  vst3::tresult ParamInfo(vst3::int32 index, vst3::ParameterInfo& info) const;
  vst3::tresult ValueToString(vst3::ParamID id, double normalized, vst3::char16* out) const;
  vst3::tresult StringToValue(vst3::ParamID id, const vst3::char16* text, double& normalized) const;
  double ToPlain(vst3::ParamID id, double normalized) const;
  double ToNormalized(vst3::ParamID id, double plain) const;
  double NormalizedValue(vst3::ParamID id);
  vst3::tresult SetNormalizedValue(vst3::ParamID id, double normalized);
  void SetComponentHandler(vst3::IComponentHandler* handler);

  // ---- State (IEffectVST3State.cpp) ----
  vst3::tresult SaveState(vst3::IBStream* stream);
  // All or nothing: junk, a truncated state, another plug-in's or a newer format's state, or a value
  // outside its parameter's range is refused and leaves every parameter as it was.
  vst3::tresult LoadState(vst3::IBStream* stream);

  // ---- IEffectBase's host operations ----
  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalizedValue) override;
  void EndInformHostOfParamChange(int idx) override;
  void InformHostOfProgramChange() override;
  bool IsRenderingOffline() override { return mOffline.load(std::memory_order_relaxed); }
  int GetSamplePos() override { return mSamplePos; }
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int*, int*) override {}
  void GetTime(ITimeInfo* pTimeInfo) override;
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return false; }
  const char* GetBundleID() const { return mBundleID.c_str(); }

private:
  struct Point
  {
    vst3::int32 mOffset;
    vst3::int32 mOrder; // queue and point index, for a stable order at equal offsets
    vst3::ParamID mID;
    double mValue;
  };
  // A host value, normalized: into the product under its lock. Ignored for an unknown id or NaN.
  void ApplyNormalized(vst3::ParamID id, double normalized);
  bool ValidBuffers(const vst3::ProcessData& data) const;
  void SilenceOutputs(const vst3::ProcessData& data) const;
  size_t GatherPoints(vst3::IParameterChanges* changes, int32_t frames);
  template <class T>
  void ProcessPieces(T** in, T** out, int32_t frames, size_t nPoints);
  void UseChannels(int channels);

  std::string mBundleID;
  std::atomic<EStage> mStage{kCreated};
  std::atomic<bool> mOffline{false};
  bool mSetUp = false;
  bool mProcessing = false;
  vst3::ProcessSetup mSetup{};
  int mChannels = 0; // the arrangement's channel count, in and out alike
  int mSamplePos = 0;
  vst3::IComponentHandler* mHandler = nullptr;
  std::vector<Point> mPoints;  // sized once; the audio thread only writes into it
  std::vector<float*> mPtrs32; // per-piece channel pointers, inputs then outputs
  std::vector<double*> mPtrs64;
};
