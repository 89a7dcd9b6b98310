// A strict VST3 host of our own, written from the binary interface: it loads a bundle as a host does
// (dlopen, ModuleEntry, GetPluginFactory; ModuleExit and dlclose at the end), asks for every interface
// it uses by id, and hands the plug-in streams, parameter changes and buffers it owns.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "vst3/abi/Vst3Controller.h"

class Vst3Module
{
public:
  // The bundle directory (<Name>.vst3); the binary is Contents/x86_64-linux/<Name>.so inside it.
  explicit Vst3Module(const std::string& bundle);
  ~Vst3Module();
  Vst3Module(const Vst3Module&) = delete;
  Vst3Module& operator=(const Vst3Module&) = delete;

  bool Loaded() const { return mFactory != nullptr; }
  const std::string& Error() const { return mError; }
  vst3::IPluginFactory2* Factory() const { return mFactory; }
  // The class id of the module's first class.
  std::string ClassID() const;
  void* Handle() const { return mHandle; }

private:
  void* mHandle = nullptr;
  vst3::IPluginFactory2* mFactory = nullptr;
  std::string mError;
};

// A growable byte stream; the plug-in reads and writes it through IBStream.
class MemoryStream final : public vst3::IBStream
{
public:
  MemoryStream() = default;
  explicit MemoryStream(std::vector<unsigned char> bytes) : mBytes(std::move(bytes)) {}
  vst3::tresult queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 addRef() override { return 1; } // owned by the test, on its stack
  vst3::uint32 release() override { return 1; }
  vst3::tresult read(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesRead) override;
  vst3::tresult write(void* buffer, vst3::int32 numBytes, vst3::int32* numBytesWritten) override;
  vst3::tresult seek(vst3::int64 pos, vst3::int32 mode, vst3::int64* result) override;
  vst3::tresult tell(vst3::int64* pos) override;

  const std::vector<unsigned char>& Bytes() const { return mBytes; }
  void Rewind() { mPos = 0; }
  // A stream that fails every read and write (a host's disk error).
  bool mFail = false;

private:
  std::vector<unsigned char> mBytes;
  size_t mPos = 0;
};

class ParamQueue final : public vst3::IParamValueQueue
{
public:
  explicit ParamQueue(vst3::ParamID id) : mID(id) {}
  vst3::tresult queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 addRef() override { return 1; }
  vst3::uint32 release() override { return 1; }
  vst3::ParamID getParameterId() override { return mID; }
  vst3::int32 getPointCount() override { return static_cast<vst3::int32>(mPoints.size()); }
  vst3::tresult getPoint(vst3::int32 index, vst3::int32& sampleOffset, vst3::ParamValue& value) override;
  vst3::tresult addPoint(vst3::int32 sampleOffset, vst3::ParamValue value, vst3::int32& index) override;

private:
  vst3::ParamID mID;
  std::vector<std::pair<vst3::int32, double>> mPoints;
};

class ParamChanges final : public vst3::IParameterChanges
{
public:
  ParamChanges() { mQueues.reserve(64); }
  vst3::tresult queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 addRef() override { return 1; }
  vst3::uint32 release() override { return 1; }
  vst3::int32 getParameterCount() override { return static_cast<vst3::int32>(mQueues.size()); }
  vst3::IParamValueQueue* getParameterData(vst3::int32 index) override;
  vst3::IParamValueQueue* addParameterData(const vst3::ParamID& id, vst3::int32& index) override;
  // A point in the queue of `id`, which is made when it is the first.
  void Add(vst3::ParamID id, vst3::int32 offset, double normalized);

private:
  std::vector<ParamQueue> mQueues;
};

// What the plug-in told the host, as "begin 2", "perform 2 0.5", "end 2", "restart 4".
class RecordingHandler final : public vst3::IComponentHandler
{
public:
  vst3::tresult queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 addRef() override { return 1; }
  vst3::uint32 release() override { return 1; }
  vst3::tresult beginEdit(vst3::ParamID id) override;
  vst3::tresult performEdit(vst3::ParamID id, vst3::ParamValue value) override;
  vst3::tresult endEdit(vst3::ParamID id) override;
  vst3::tresult restartComponent(vst3::int32 flags) override;
  std::vector<std::string> mCalls;
};

// Buffers for one process call, 32- or 64-bit, inputs and outputs apart.
class AudioBlock
{
public:
  AudioBlock(int channels, int frames, vst3::int32 sampleSize = vst3::kSample32);
  std::vector<float>& In(int c) { return mIn32[static_cast<size_t>(c)]; }
  std::vector<float>& Out(int c) { return mOut32[static_cast<size_t>(c)]; }
  std::vector<double>& In64(int c) { return mIn64[static_cast<size_t>(c)]; }
  std::vector<double>& Out64(int c) { return mOut64[static_cast<size_t>(c)]; }
  // The process record over these buffers; null changes for none.
  vst3::ProcessData& Data(vst3::IParameterChanges* changes = nullptr);

private:
  vst3::int32 mSampleSize;
  int mFrames;
  std::vector<std::vector<float>> mIn32, mOut32;
  std::vector<std::vector<double>> mIn64, mOut64;
  std::vector<float*> mInPtrs32, mOutPtrs32;
  std::vector<double*> mInPtrs64, mOutPtrs64;
  vst3::AudioBusBuffers mInBus{}, mOutBus{};
  vst3::ProcessData mData{};
};

// One instance, its three interfaces asked for by id; released (and checked to be freed) at the end.
class Vst3Plugin
{
public:
  Vst3Plugin(const Vst3Module& module);
  ~Vst3Plugin();
  Vst3Plugin(const Vst3Plugin&) = delete;
  Vst3Plugin& operator=(const Vst3Plugin&) = delete;

  bool Ok() const { return mComponent && mProcessor && mController; }
  vst3::IComponent* Component() const { return mComponent; }
  vst3::IAudioProcessor* Processor() const { return mProcessor; }
  vst3::IEditController* Controller() const { return mController; }
  // initialize, the arrangement, set-up, setActive(true) and setProcessing(true); false at the first refusal.
  bool Start(int channels, double rate = 48000.0, int maxBlock = 4096, vst3::int32 sampleSize = vst3::kSample32);
  // setProcessing(false), setActive(false), terminate.
  bool Stop();
  // The count the last release returned: 0 when the instance was freed.
  vst3::uint32 LastRelease() const { return mLastRelease; }

private:
  vst3::IComponent* mComponent = nullptr;
  vst3::IAudioProcessor* mProcessor = nullptr;
  vst3::IEditController* mController = nullptr;
  vst3::uint32 mLastRelease = 1;
};

std::string Utf16ToAscii(const vst3::char16* text);
std::vector<vst3::char16> AsciiToUtf16(const std::string& text);
