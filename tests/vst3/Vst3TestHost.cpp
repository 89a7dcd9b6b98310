#include "tests/vst3/Vst3TestHost.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace vst3;

namespace {

template <class Interface>
tresult Answer(const Uid& own, Interface* self, const TUID iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  if (SameUid(iid, kFUnknownIID) || SameUid(iid, own)) {
    *obj = self;
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

} // namespace

Vst3Module::Vst3Module(const std::string& bundle)
{
  std::string stem = bundle;
  while (!stem.empty() && stem.back() == '/') stem.pop_back();
  stem = stem.substr(stem.find_last_of('/') + 1);
  stem = stem.substr(0, stem.rfind(".vst3"));
  const std::string binary = bundle + "/Contents/x86_64-linux/" + stem + ".so";
  mHandle = dlopen(binary.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mHandle) {
    mError = dlerror();
    return;
  }
  using Entry = bool (*)(void*);
  using GetFactory = IPluginFactory* (*)();
  auto entry = reinterpret_cast<Entry>(dlsym(mHandle, "ModuleEntry"));
  auto getFactory = reinterpret_cast<GetFactory>(dlsym(mHandle, "GetPluginFactory"));
  if (!entry || !getFactory || !dlsym(mHandle, "ModuleExit")) {
    mError = "an entry point is missing";
    return;
  }
  if (!entry(mHandle)) {
    mError = "ModuleEntry refused";
    return;
  }
  IPluginFactory* factory = getFactory();
  void* factory2 = nullptr;
  if (!factory || factory->queryInterface(kIPluginFactory2IID.mBytes, &factory2) != kResultOk || !factory2) {
    mError = "no IPluginFactory2";
    return;
  }
  mFactory = static_cast<IPluginFactory2*>(factory2);
  factory->release();
}

Vst3Module::~Vst3Module()
{
  if (!mHandle) return;
  if (mFactory) mFactory->release();
  if (auto exitFn = reinterpret_cast<bool (*)()>(dlsym(mHandle, "ModuleExit"))) {
    EXPECT_TRUE(exitFn());
  }
  dlclose(mHandle);
}

std::string Vst3Module::ClassID() const
{
  PClassInfo info{};
  if (!mFactory || mFactory->getClassInfo(0, &info) != kResultOk) return {};
  return std::string(info.cid, 16);
}

tresult MemoryStream::queryInterface(const TUID iid, void** obj)
{
  return Answer(kIBStreamIID, static_cast<IBStream*>(this), iid, obj);
}

tresult MemoryStream::read(void* buffer, int32 numBytes, int32* numBytesRead)
{
  if (numBytesRead) *numBytesRead = 0;
  if (mFail || numBytes < 0 || !buffer) return kResultFalse;
  const size_t n = std::min(static_cast<size_t>(numBytes), mBytes.size() - std::min(mPos, mBytes.size()));
  if (n) std::memcpy(buffer, mBytes.data() + mPos, n);
  mPos += n;
  if (numBytesRead) *numBytesRead = static_cast<int32>(n);
  return kResultOk;
}

tresult MemoryStream::write(void* buffer, int32 numBytes, int32* numBytesWritten)
{
  if (numBytesWritten) *numBytesWritten = 0;
  if (mFail || numBytes < 0 || !buffer) return kResultFalse;
  if (mBytes.size() < mPos + static_cast<size_t>(numBytes)) mBytes.resize(mPos + static_cast<size_t>(numBytes));
  std::memcpy(mBytes.data() + mPos, buffer, static_cast<size_t>(numBytes));
  mPos += static_cast<size_t>(numBytes);
  if (numBytesWritten) *numBytesWritten = numBytes;
  return kResultOk;
}

tresult MemoryStream::seek(int64 pos, int32 mode, int64* result)
{
  const int64 base = mode == kIBSeekSet   ? 0
                     : mode == kIBSeekCur ? static_cast<int64>(mPos)
                                          : static_cast<int64>(mBytes.size());
  if (base + pos < 0) return kInvalidArgument;
  mPos = static_cast<size_t>(base + pos);
  if (result) *result = static_cast<int64>(mPos);
  return kResultOk;
}

tresult MemoryStream::tell(int64* pos)
{
  if (!pos) return kInvalidArgument;
  *pos = static_cast<int64>(mPos);
  return kResultOk;
}

tresult ParamQueue::queryInterface(const TUID iid, void** obj)
{
  return Answer(kIParamValueQueueIID, static_cast<IParamValueQueue*>(this), iid, obj);
}

tresult ParamQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
  if (index < 0 || index >= getPointCount()) return kInvalidArgument;
  sampleOffset = mPoints[static_cast<size_t>(index)].first;
  value = mPoints[static_cast<size_t>(index)].second;
  return kResultOk;
}

tresult ParamQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
  index = getPointCount();
  mPoints.emplace_back(sampleOffset, value);
  return kResultOk;
}

tresult ParamChanges::queryInterface(const TUID iid, void** obj)
{
  return Answer(kIParameterChangesIID, static_cast<IParameterChanges*>(this), iid, obj);
}

IParamValueQueue* ParamChanges::getParameterData(int32 index)
{
  return index >= 0 && index < getParameterCount() ? &mQueues[static_cast<size_t>(index)] : nullptr;
}

IParamValueQueue* ParamChanges::addParameterData(const ParamID& id, int32& index)
{
  for (size_t i = 0; i < mQueues.size(); ++i)
    if (mQueues[i].getParameterId() == id) {
      index = static_cast<int32>(i);
      return &mQueues[i];
    }
  index = getParameterCount();
  mQueues.emplace_back(id);
  return &mQueues.back();
}

void ParamChanges::Add(ParamID id, int32 offset, double normalized)
{
  int32 index = 0, point = 0;
  addParameterData(id, index)->addPoint(offset, normalized, point);
}

tresult RecordingHandler::queryInterface(const TUID iid, void** obj)
{
  return Answer(kIComponentHandlerIID, static_cast<IComponentHandler*>(this), iid, obj);
}

tresult RecordingHandler::beginEdit(ParamID id)
{
  mCalls.push_back("begin " + std::to_string(id));
  return kResultOk;
}

tresult RecordingHandler::performEdit(ParamID id, ParamValue value)
{
  char text[64];
  std::snprintf(text, sizeof text, "perform %u %g", id, value);
  mCalls.push_back(text);
  return kResultOk;
}

tresult RecordingHandler::endEdit(ParamID id)
{
  mCalls.push_back("end " + std::to_string(id));
  return kResultOk;
}

tresult RecordingHandler::restartComponent(int32 flags)
{
  mCalls.push_back("restart " + std::to_string(flags));
  return kResultOk;
}

AudioBlock::AudioBlock(int channels, int frames, int32 sampleSize) : mSampleSize(sampleSize), mFrames(frames)
{
  const size_t n = static_cast<size_t>(channels), f = static_cast<size_t>(frames);
  mIn32.assign(n, std::vector<float>(f));
  mOut32.assign(n, std::vector<float>(f, 9.0f)); // not silence: a refused block must clear it
  mIn64.assign(n, std::vector<double>(f));
  mOut64.assign(n, std::vector<double>(f, 9.0));
  for (size_t c = 0; c < n; ++c) {
    mInPtrs32.push_back(mIn32[c].data());
    mOutPtrs32.push_back(mOut32[c].data());
    mInPtrs64.push_back(mIn64[c].data());
    mOutPtrs64.push_back(mOut64[c].data());
  }
  mInBus.numChannels = mOutBus.numChannels = channels;
}

ProcessData& AudioBlock::Data(IParameterChanges* changes)
{
  if (mSampleSize == kSample64) {
    mInBus.channelBuffers64 = mInPtrs64.data();
    mOutBus.channelBuffers64 = mOutPtrs64.data();
  } else {
    mInBus.channelBuffers32 = mInPtrs32.data();
    mOutBus.channelBuffers32 = mOutPtrs32.data();
  }
  mData = ProcessData{};
  mData.processMode = kRealtime;
  mData.symbolicSampleSize = mSampleSize;
  mData.numSamples = mFrames;
  mData.numInputs = mData.numOutputs = 1;
  mData.inputs = &mInBus;
  mData.outputs = &mOutBus;
  mData.inputParameterChanges = changes;
  return mData;
}

Vst3Plugin::Vst3Plugin(const Vst3Module& module)
{
  if (!module.Loaded()) return;
  const std::string cid = module.ClassID();
  void* obj = nullptr;
  if (module.Factory()->createInstance(cid.data(), kIComponentIID.mBytes, &obj) != kResultOk || !obj) return;
  mComponent = static_cast<IComponent*>(obj);
  if (mComponent->queryInterface(kIAudioProcessorIID.mBytes, &obj) == kResultOk)
    mProcessor = static_cast<IAudioProcessor*>(obj);
  // The component is its own controller: a host finds it by asking.
  if (mComponent->queryInterface(kIEditControllerIID.mBytes, &obj) == kResultOk)
    mController = static_cast<IEditController*>(obj);
}

Vst3Plugin::~Vst3Plugin()
{
  if (mController) mController->release();
  if (mProcessor) mProcessor->release();
  if (!mComponent) return;
  mLastRelease = mComponent->release();
  EXPECT_EQ(mLastRelease, 0u) << "the instance outlived the host's last reference";
}

bool Vst3Plugin::Start(int channels, double rate, int maxBlock, int32 sampleSize)
{
  if (!Ok() || mComponent->initialize(nullptr) != kResultOk) return false;
  SpeakerArrangement arr = channels == 1 ? kArrMono : kArrStereo;
  if (mProcessor->setBusArrangements(&arr, 1, &arr, 1) != kResultTrue) return false;
  ProcessSetup setup{kRealtime, sampleSize, maxBlock, rate};
  return mProcessor->setupProcessing(setup) == kResultOk && mComponent->setActive(1) == kResultOk &&
         mProcessor->setProcessing(1) == kResultOk;
}

bool Vst3Plugin::Stop()
{
  return mProcessor->setProcessing(0) == kResultOk && mComponent->setActive(0) == kResultOk &&
         mComponent->terminate() == kResultOk;
}

std::string Utf16ToAscii(const char16* text)
{
  std::string out;
  for (int i = 0; text[i] && i < 128; ++i) out.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
  return out;
}

std::vector<char16> AsciiToUtf16(const std::string& text)
{
  std::vector<char16> out(text.begin(), text.end());
  out.push_back(0);
  return out;
}
