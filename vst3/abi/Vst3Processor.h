#pragma once
// VST3's audio processing interfaces (Linux x86-64 ABI): IComponent, IAudioProcessor, the buses,
// process data and the parameter changes a host hands to process.
#include "vst3/abi/Vst3Base.h"

namespace vst3 {

using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;
using ParamID = uint32;
using ParamValue = double;
using SpeakerArrangement = uint64;
using String128 = char16[128];

enum : MediaType { kAudio = 0, kEvent = 1 };
enum : BusDirection { kInput = 0, kOutput = 1 };
enum : BusType { kMain = 0, kAux = 1 };
enum : int32 { kSample32 = 0, kSample64 = 1 };
enum : int32 { kRealtime = 0, kPrefetch = 1, kOffline = 2 };
enum : uint32 { kDistributable = 1 << 0, kSimpleModeSupported = 1 << 1 };

constexpr SpeakerArrangement kSpeakerL = 1 << 0;
constexpr SpeakerArrangement kSpeakerR = 1 << 1;
constexpr SpeakerArrangement kSpeakerM = 1 << 19;
constexpr SpeakerArrangement kArrMono = kSpeakerM;
constexpr SpeakerArrangement kArrStereo = kSpeakerL | kSpeakerR;

struct BusInfo
{
  enum : uint32 { kDefaultActive = 1 << 0 };
  MediaType mediaType;
  BusDirection direction;
  int32 channelCount;
  String128 name;
  BusType busType;
  uint32 flags;
};
static_assert(sizeof(BusInfo) == 276 && offsetof(BusInfo, name) == 12 && offsetof(BusInfo, busType) == 268,
              "BusInfo layout");

struct RoutingInfo
{
  MediaType mediaType;
  int32 busIndex;
  int32 channel;
};
static_assert(sizeof(RoutingInfo) == 12, "RoutingInfo layout");

class IComponent : public IPluginBase
{
public:
  virtual tresult getControllerClassId(TUID classId) = 0;
  virtual tresult setIoMode(IoMode mode) = 0;
  virtual int32 getBusCount(MediaType type, BusDirection dir) = 0;
  virtual tresult getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) = 0;
  virtual tresult getRoutingInfo(RoutingInfo& inInfo, RoutingInfo& outInfo) = 0;
  virtual tresult activateBus(MediaType type, BusDirection dir, int32 index, TBool state) = 0;
  virtual tresult setActive(TBool state) = 0;
  virtual tresult setState(IBStream* state) = 0;
  virtual tresult getState(IBStream* state) = 0;

protected:
  ~IComponent() = default;
};
constexpr Uid kIComponentIID = MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);

struct ProcessSetup
{
  int32 processMode;
  int32 symbolicSampleSize;
  int32 maxSamplesPerBlock;
  double sampleRate;
};
static_assert(sizeof(ProcessSetup) == 24 && offsetof(ProcessSetup, sampleRate) == 16, "ProcessSetup layout");

struct AudioBusBuffers
{
  int32 numChannels;
  uint64 silenceFlags;
  union
  {
    float** channelBuffers32;
    double** channelBuffers64;
  };
};
static_assert(sizeof(AudioBusBuffers) == 24 && offsetof(AudioBusBuffers, silenceFlags) == 8 &&
                  offsetof(AudioBusBuffers, channelBuffers32) == 16,
              "AudioBusBuffers layout");

class IParamValueQueue : public FUnknown
{
public:
  virtual ParamID getParameterId() = 0;
  virtual int32 getPointCount() = 0;
  virtual tresult getPoint(int32 index, int32& sampleOffset, ParamValue& value) = 0;
  virtual tresult addPoint(int32 sampleOffset, ParamValue value, int32& index) = 0;

protected:
  ~IParamValueQueue() = default;
};
constexpr Uid kIParamValueQueueIID = MakeUid(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);

class IParameterChanges : public FUnknown
{
public:
  virtual int32 getParameterCount() = 0;
  virtual IParamValueQueue* getParameterData(int32 index) = 0;
  virtual IParamValueQueue* addParameterData(const ParamID& id, int32& index) = 0;

protected:
  ~IParameterChanges() = default;
};
constexpr Uid kIParameterChangesIID = MakeUid(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);

class IEventList; // events are not used: the plug-in has no event buses
struct ProcessContext;

struct ProcessData
{
  int32 processMode;
  int32 symbolicSampleSize;
  int32 numSamples;
  int32 numInputs;
  int32 numOutputs;
  AudioBusBuffers* inputs;
  AudioBusBuffers* outputs;
  IParameterChanges* inputParameterChanges;
  IParameterChanges* outputParameterChanges;
  IEventList* inputEvents;
  IEventList* outputEvents;
  ProcessContext* processContext;
};
static_assert(sizeof(ProcessData) == 80 && offsetof(ProcessData, inputs) == 24 &&
                  offsetof(ProcessData, inputParameterChanges) == 40 && offsetof(ProcessData, processContext) == 72,
              "ProcessData layout");

class IAudioProcessor : public FUnknown
{
public:
  virtual tresult setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                     int32 numOuts) = 0;
  virtual tresult getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) = 0;
  virtual tresult canProcessSampleSize(int32 symbolicSampleSize) = 0;
  virtual uint32 getLatencySamples() = 0;
  virtual tresult setupProcessing(ProcessSetup& setup) = 0;
  virtual tresult setProcessing(TBool state) = 0;
  virtual tresult process(ProcessData& data) = 0;
  virtual uint32 getTailSamples() = 0;

protected:
  ~IAudioProcessor() = default;
};
constexpr Uid kIAudioProcessorIID = MakeUid(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);

} // namespace vst3
