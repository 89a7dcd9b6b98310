#pragma once
// IEffectLV2: the LV2 face of a plug-in object.
//
// A product class derives from IEffectLV2 (which derives from the host-neutral IEffectBase);
// LV2Descriptor.h turns the host's C calls into calls on it. One object is one LV2 instance of
// one channel variant: the product's channel-IO string ("1-1 2-2") gives one LV2 plug-in per
// pair, all under the product's base URI, and InstanceInfo says which one the host asked for.
//
// Ports, in index order (LV2PortLayout): the variant's audio inputs, its audio outputs, one
// control input per parameter (in the parameter's real units) and a latency control output.
//
// Threads: Run is the audio path (no allocation, no I/O; the plug-in's lock only around a
// parameter change, which the product's OnParamChange takes anyway). Everything else runs in
// the host's instantiation class and never concurrently with Run.
#include <string>
#include <vector>

#include "lv2/LV2PortLayout.h"
#include "plugcore/IEffectBase.h"

// EAPI names the host interfaces the plug-in core knows by name; its values are open ints, and this
// one answers "" to GetAPIStr.
constexpr EAPI kAPILV2 = static_cast<EAPI>(6);

class IEffectLV2 : public IEffectBase
{
public:
  // An LV2 plug-in instance is audio only: its editor is the UI binary's, built on the UI's own
  // stand-in, so the product builds none here.
  static constexpr bool kMakesEditor = false;
  // Frames processed in one piece when the host states no block length.
  static constexpr int kDefaultBlockSize = 1024;
  // Largest block length taken from a host's options; a larger one is processed in pieces.
  static constexpr int kMaxBlockSize = 8192;

  // What the host told instantiate and which variant it picked.
  struct InstanceInfo
  {
    double mSampleRate = 44100.0;
    std::string mBundlePath;            // the bundle folder with a trailing slash, as the host gives it
    std::string mBundleID;              // the product's reverse-domain identifier
    std::string mBaseURI;               // the product's URI; each variant's URI extends it
    int mChannelIOIdx = 0;              // pair of the channel-IO string this instance is
    int mBlockSize = kDefaultBlockSize; // from the host's options, else the default
  };

  // Arguments in the same order as every adapter's; all but the first and the last go to
  // IEffectBase. Side-chain channels (plugScChans) have no LV2 port and must be 0.
  IEffectLV2(InstanceInfo info, int nParams, const char* channelIOStr, int nPresets, const char* effectName,
             const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
             bool spareFlag, bool plugDoesChunks, bool plugIsInst, int plugScChans);
  ~IEffectLV2() override;

  // ---- Host calls (LV2Descriptor.cpp forwards to these) ----

  // Called once after the product's constructor: sets the connections of the variant and the
  // buffers. False when the variant does not exist.
  bool PrepareInstance();
  // Port indices outside the layout are ignored; null disconnects.
  void ConnectPort(uint32_t port, void* data);
  void Activate();
  void Deactivate();
  // Any frame count: blocks longer than the block size are processed in pieces.
  void Run(uint32_t nFrames);

  // ---- State (IEffectLV2State.cpp) ----

  // The parameter values, as one blob with a header naming the plug-in.
  bool SaveStateBlob(std::vector<unsigned char>* out);
  // All or nothing: a blob from another plug-in, of another size, or with a value that is not
  // finite is refused and leaves every parameter as it was.
  bool RestoreStateBlob(const void* data, size_t size);

  const InstanceInfo& GetInstanceInfo() const { return mInfo; }
  const LV2PortLayout& GetPortLayout() const { return mLayout; }
  const char* GetBundleID() const { return mInfo.mBundleID.c_str(); }
  const char* GetBundlePath() const { return mInfo.mBundlePath.c_str(); }

  // ---- IEffectBase's host operations: an LV2 DSP instance has no way back to the host ----

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return mSamplePos; }
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int* pNum, int* pDenom) override;
  void GetTime(ITimeInfo* pTimeInfo) override;
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return false; }

private:
  // Takes each control port whose value moved since the last run into its parameter.
  void ReadControlPorts();

  InstanceInfo mInfo;
  std::string mChannelIO;
  LV2PortLayout mLayout;
  std::vector<float*> mAudioPorts;         // inputs then outputs, as connected by the host
  std::vector<const float*> mControlPorts; // one per parameter
  std::vector<float> mLastControl;         // value last taken from each control port
  float* mLatencyPort = nullptr;
  std::vector<float*> mInPtrs; // per-piece pointer lists handed to the base
  std::vector<float*> mOutPtrs;
  int mSamplePos = 0;
};
