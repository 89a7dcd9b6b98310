#pragma once
// IEffectAU: the Audio Unit face of a plug-in object.
//
// A product class derives from IEffectAU (which derives from the host-neutral
// IEffectBase) and exports one C entry that forwards to IEffectAUEntry. The entry
// turns Component Manager calls into calls on the plug-in: open builds the object
// with the registered product factory, property calls describe and configure it,
// render pulls input from an upstream unit or a host callback and runs the
// product's processing once per host sample time.
//
// Threads: every selector but open and close runs under the plug-in's recursive
// mutex. The fast-dispatch render function runs without it and allocates nothing;
// the render notifiers it calls may be changed meanwhile (RenderNotifierList).
// Nothing thrown inside ever reaches the host: each C-facing function maps an
// escaping exception to an OSStatus.

#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/CoreServices.h>

#include <string>
#include <vector>

#include "au/IEffectInstanceInfo.h"
#include "au/RenderNotifierList.h"
#include "plugcore/IEffectBase.h"

class ByteChunk;
class IEffectAU;

// The product's factory: builds a new plug-in object, or returns null.
using IEffectAUFactory = IEffectAU* (*)();

// How an input bus is fed.
enum EAUInputType { eNotConnected = 0, eDirectFastProc, eDirectNoFastProc, eRenderCallback };
const char* AUInputTypeStr(int type);

// Posts a parameter event (value change or gesture) for the unit's parameter.
void SendAUEvent(AudioUnitEventType type, AudioUnit instance, int paramIdx);

// The canonical 32-bit float linear-PCM format for nChannels at sampleRate.
void MakeDefaultASBD(AudioStreamBasicDescription* pASBD, double sampleRate, int nChannels, bool interleaved);

class IEffectAU : public IEffectBase
{
public:
  // What a product built over this base (a class template over the adapter) is constructed with.
  using InstanceInfo = IEffectInstanceInfo;

  // A bus carries at most this many channels (the render path keeps its buffer
  // lists on the stack).
  static constexpr int kMaxBusChannels = 128;
  // Frames per slice until the host says otherwise.
  static constexpr int kDefaultBlockSize = 1024;

  struct BusChannels
  {
    bool mConnected = false;
    int mHostChannels = -1; // negotiated with the host; -1 while unset
    int mPlugChannels = 0;
    int mFirstPlugChannel = 0;
  };

  struct InputBusConnection
  {
    void* mSourcePlug = nullptr; // upstream unit's instance storage, for its fast render
    AudioUnit mSourceUnit = nullptr;
    int mSourceBus = 0;
    AudioUnitRenderProc mSourceRenderProc = nullptr;
    AURenderCallbackStruct mRenderCallback = {nullptr, nullptr};
    EAUInputType mInputType = eNotConnected;
  };

  struct PropertyListener
  {
    AudioUnitPropertyID mPropID;
    AudioUnitPropertyListenerProc mListenerProc;
    void* mProcArgs;
  };

  using RenderNotify = RenderNotifierList::Notifier;

  // Arguments in this order; all but the first and the last go to IEffectBase
  // (with the API kind AU). plugScChans input channels form a side-chain bus.
  IEffectAU(IEffectInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
            const char* effectName, const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
            int mfrID, int latency, bool spareFlag, bool plugDoesChunks, bool plugIsInst, int plugScChans);
  ~IEffectAU() override;

  // ---- C-facing entries (never throw) ----

  // Component Manager dispatcher; storage is the IEffectAU registered at open.
  static ComponentResult IEffectAUEntry(ComponentParameters* params, void* storage);
  // Legacy Carbon view component: open and close only; this platform has no Carbon
  // windows, so creating a view is refused.
  static ComponentResult IEffectAUCarbonViewEntry(ComponentParameters* params, void* storage);

  // The factory the open selector calls. The product registers it once per process
  // (its entry file does so at load time); open fails with memFullErr without one.
  static void SetPlugFactory(IEffectAUFactory factory);
  static IEffectAUFactory GetPlugFactory();

  // Fast-dispatch functions (kAudioUnitProperty_FastDispatch); `plug` is the
  // instance storage. RenderProc takes no lock.
  static OSStatus RenderProc(void* plug, AudioUnitRenderActionFlags* pFlags, const AudioTimeStamp* pTimestamp,
                             UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* pOutBufList);
  static OSStatus GetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope, AudioUnitElement element,
                               AudioUnitParameterValue* pValue);
  static OSStatus SetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope, AudioUnitElement element,
                               AudioUnitParameterValue value, UInt32 offsetFrames);

  // ---- Properties (reached through the dispatcher, under the lock) ----

  // Info call when pData is null. *pDataSize is the caller's buffer size on entry
  // for a data call and the property's size on return.
  ComponentResult GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                              UInt32* pDataSize, Boolean* pWriteable, void* pData);
  // dataSize is the size of the host's record; a record too small for the property
  // is refused (after the listeners heard of the write).
  ComponentResult SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                              const void* pData, UInt32 dataSize);

  // ---- State dictionary and host notifications ----

  ComponentResult GetState(CFPropertyListRef* ppPropList);
  ComponentResult SetState(CFPropertyListRef pPropList);
  void InformListeners(AudioUnitPropertyID propID, AudioUnitScope scope);

  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalizedValue) override;
  void EndInformHostOfParamChange(int idx) override;
  void InformHostOfProgramChange() override;

  // ---- Transport and host ----

  bool IsRenderingOffline() override { return mIsOffline; }
  int GetSamplePos() override;
  double GetTempo() override;
  void GetTimeSig(int* pNum, int* pDenom) override;
  void GetTime(ITimeInfo* pTimeInfo) override;
  EHost GetHost() override;
  void ResizeGraphics(int w, int h) override;
  void HostSpecificInit() override;
  void SetLatency(int samples) override;
  bool SendMidiMsg(IMidiMsg* pMsg) override;
  void SetBlockSize(int blockSize) override;

  // ---- Buses ----

  void AssessInputConnections();
  void ClearConnections();
  // Whether the host's channel counts over all buses form a legal configuration.
  bool CheckLegalIO();
  // Whether nChannels proposed for one bus would be legal.
  bool CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels);
  // Sum of the set host channel counts of every bus but excludeIdx; -1 when none is set.
  static int NHostChannelsConnected(const std::vector<BusChannels>& buses, int excludeIdx);
  // Null outside the bus lists or for scopes other than input, output and global.
  BusChannels* GetBus(AudioUnitScope scope, AudioUnitElement busIdx);

  int NInBuses() const { return static_cast<int>(mInBuses.size()); }
  int NOutBuses() const { return static_cast<int>(mOutBuses.size()); }
  const InputBusConnection* GetInputConnection(int busIdx) const;
  bool IsInitialized() const { return mIsInitialized; }
  // Replaced render-notifier lists not yet freed (a render may have been reading them).
  size_t RetiredNotifierLists() const { return mRenderNotifiers.RetiredCount(); }
  AudioUnit GetInstance() const { return mInstance; }
  const char* GetBundleID() const { return mBundleID.c_str(); }
  const char* GetViewClassName() const { return mViewClassName.c_str(); }

  // Channel-layout tag for a channel count: mono, stereo, else unknown.
  static AudioChannelLayoutTag GetTagForNumChannels(int nChannels);
  // Number of tags for the scope; writes the bus's tag when pTags is given.
  UInt32 GetChannelLayoutTags(AudioUnitScope scope, AudioUnitElement element, AudioChannelLayoutTag* pTags);

private:
  // Dispatch of one selector; runs inside the entry's firewall and lock.
  ComponentResult DoSelector(ComponentParameters* params);
  void AddPropertyListener(const PropertyListener& listener);
  void RemovePropertyListener(AudioUnitPropertyID propID, AudioUnitPropertyListenerProc proc, bool matchUserData,
                              void* userData);
  void NotifyListeners(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element);
  void SendParamEvent(AudioUnitEventType type, int idx);

  // Property helpers (IEffectAUProperties.cpp).
  ComponentResult GetParamInfo(AudioUnitElement element, AudioUnitParameterInfo* pInfo);
  ComponentResult GetFactoryPresets(CFArrayRef* pArray);
  ComponentResult GetParamValueStrings(AudioUnitElement element, CFArrayRef* pArray, bool build);
  ComponentResult GetElementName(AudioUnitScope scope, AudioUnitElement element, CFStringRef* pName);
  ComponentResult GetCocoaViewInfo(AudioUnitCocoaViewInfo* pInfo);
  ComponentResult SetHostIdentifier(const AUHostIdentifier* pID);
  int FindOrAddClump(const char* group);

  // Bus and connection helpers (IEffectAUBuses.cpp).
  ComponentResult SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                  const AudioStreamBasicDescription* pASBD);
  ComponentResult GetStreamFormat(AudioUnitScope scope, AudioUnitElement element, AudioStreamBasicDescription* pASBD);
  ComponentResult SetConnection(AudioUnitScope scope, const AudioUnitConnection* pConn);
  ComponentResult SetRenderCallback(AudioUnitScope scope, AudioUnitElement element,
                                    const AURenderCallbackStruct* pCallback);

  // Render helpers (IEffectAURender.cpp).
  OSStatus Render(AudioUnitRenderActionFlags* pFlags, const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx,
                  UInt32 nFrames, AudioBufferList* pOutBufList);
  OSStatus PullInputs(const AudioTimeStamp* pTimestamp, UInt32 nFrames);
  void CallRenderNotifiers(const RenderNotifierList::ReadScope& scope, int nNotifiers, AudioUnitRenderActionFlags flag,
                           const AudioTimeStamp* pTimestamp, UInt32 outputBusIdx, UInt32 nFrames,
                           AudioBufferList* pOutBufList);

  std::string mBundleID;
  std::string mViewClassName;
  char mValueText[32];
  AudioUnit mInstance = nullptr;
  bool mIsInitialized = false;
  bool mIsOffline = false;
  double mLastPullSampleTime = -1.0;
  double mTempo = 120.0;
  HostCallbackInfo mHostCallbacks = {nullptr, nullptr, nullptr, nullptr};
  std::vector<float> mInputScratch;
  std::vector<float> mOutputScratch;
  RenderNotifierList mRenderNotifiers;
  std::vector<BusChannels> mInBuses;
  std::vector<BusChannels> mOutBuses;
  std::vector<InputBusConnection> mInputConnections;
  std::vector<PropertyListener> mPropertyListeners;
};
