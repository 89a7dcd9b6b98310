// The VST3 driver of `brindle validate`: loads the bundle's binary with dlopen (ModuleEntry,
// GetPluginFactory, ModuleExit), makes the chosen audio module class, asks for each interface by id
// and drives it as a host does: the controller for parameter lists, values and texts, the processor
// for rendering, with values reaching it as parameter changes of the next process call. A plug-in
// whose controller is a class of its own gets one made and told the component's state.
#include "tools/validate/PluginDriver.h"

#include "tools/validate/Vst3HostObjects.h"
#include "vst3/abi/Vst3Controller.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <set>

using namespace vst3;
using vst3host::ByteStream;
using vst3host::Changes;

namespace {

std::string Ascii(const char16* text, size_t capacity)
{
  std::string out;
  for (size_t i = 0; i < capacity && text[i]; ++i) out.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
  return out;
}

template <class T>
T* Ask(FUnknown* object, const Uid& iid)
{
  void* obj = nullptr;
  if (!object || object->queryInterface(iid.mBytes, &obj) != kResultOk) return nullptr;
  return static_cast<T*>(obj);
}

class Vst3Instance : public PluginInstance
{
public:
  Vst3Instance(IPluginFactory* factory, const std::string& cid)
  {
    void* obj = nullptr;
    if (factory->createInstance(cid.data(), kIComponentIID.mBytes, &obj) != kResultOk || !obj) {
      mError = "createInstance refused the class";
      return;
    }
    mComponent = static_cast<IComponent*>(obj);
    if (mComponent->initialize(nullptr) != kResultOk) {
      mError = "initialize refused";
      return;
    }
    mInitialized = true;
    mProcessor = Ask<IAudioProcessor>(mComponent, kIAudioProcessorIID);
    if (!mProcessor) {
      mError = "the component is no IAudioProcessor";
      return;
    }
    mController = Ask<IEditController>(mComponent, kIEditControllerIID);
    if (!mController) {
      // A controller of its own class, told the component's state.
      TUID controllerId{};
      if (mComponent->getControllerClassId(controllerId) != kResultOk ||
          factory->createInstance(controllerId, kIEditControllerIID.mBytes, &obj) != kResultOk || !obj) {
        mError = "no edit controller";
        return;
      }
      mController = static_cast<IEditController*>(obj);
      mSeparateController = true;
      if (mController->initialize(nullptr) != kResultOk) {
        mError = "the controller's initialize refused";
        return;
      }
      ByteStream state;
      if (mComponent->getState(&state) == kResultOk) {
        ByteStream reader(state.Take());
        mController->setComponentState(&reader);
      }
    }
    for (const DriverParameter& p : Parameters()) mIds.insert(p.id);
    mOk = true;
  }
  ~Vst3Instance() override
  {
    Unprepare();
    if (mController) {
      if (mSeparateController) mController->terminate();
      mController->release();
    }
    if (mProcessor) mProcessor->release();
    if (mComponent) {
      if (mInitialized) mComponent->terminate();
      mComponent->release();
    }
  }
  bool Ok() const { return mOk; }
  const std::string& Error() const { return mError; }

  std::vector<DriverParameter> Parameters() override
  {
    std::vector<DriverParameter> list;
    const int32 count = mController->getParameterCount();
    for (int32 i = 0; i < count; ++i) {
      ParameterInfo info{};
      if (mController->getParameterInfo(i, info) != kResultOk) continue;
      DriverParameter p;
      p.id = info.id;
      p.name = Ascii(info.title, 128);
      p.minimum = 0;
      p.maximum = 1;
      p.defaultValue = info.defaultNormalizedValue;
      // Steps of a normalized value are k / stepCount, so only 0 and 1 are whole.
      p.stepped = info.stepCount > 0;
      p.readOnly = (info.flags & ParameterInfo::kIsReadOnly) != 0;
      list.push_back(p);
    }
    return list;
  }
  bool GetValue(std::uint32_t id, double& value) override
  {
    if (!mIds.count(id)) return false;
    value = mController->getParamNormalized(id);
    return true;
  }
  bool SetValue(std::uint32_t id, double value) override
  {
    if (!mIds.count(id)) return false;
    // The controller first, as a host's automation does, and the processor with the next render.
    const bool ok = mController->setParamNormalized(id, value) == kResultOk;
    double now = value;
    GetValue(id, now);
    mPending.Add(id, 0, now);
    return ok;
  }
  bool ValueToText(std::uint32_t id, double value, std::string& text) override
  {
    String128 buffer{};
    if (mController->getParamStringByValue(id, value, buffer) != kResultOk) return false;
    text = Ascii(buffer, 128);
    return true;
  }
  bool TextToValue(std::uint32_t id, const std::string& text, double& value) override
  {
    std::vector<char16> wide(text.begin(), text.end());
    for (char16& c : wide) c = static_cast<char16>(static_cast<unsigned char>(c));
    wide.push_back(0);
    return mController->getParamValueByString(id, wide.data(), value) == kResultOk;
  }

  bool Prepare(double rate, int maxFrames, std::string& error) override
  {
    if (!mOk) {
      error = mError;
      return false;
    }
    Unprepare();
    // Stereo, else mono (the plug-in then renders the first of the two channels handed over).
    mChannels = 2;
    SpeakerArrangement in = kArrStereo, out = kArrStereo;
    if (mProcessor->setBusArrangements(&in, 1, &out, 1) != kResultTrue) {
      in = out = kArrMono;
      mChannels = 1;
      if (mProcessor->setBusArrangements(&in, 1, &out, 1) != kResultTrue) {
        error = "setBusArrangements refused stereo and mono";
        return false;
      }
    }
    ProcessSetup setup{kRealtime, kSample32, maxFrames, rate};
    if (mProcessor->setupProcessing(setup) != kResultOk) {
      error = "setupProcessing refused " + std::to_string(rate) + " Hz, " + std::to_string(maxFrames) + " frames";
      return false;
    }
    if (mComponent->setActive(1) != kResultOk) {
      error = "setActive refused";
      return false;
    }
    mActive = true;
    mProcessor->setProcessing(1); // optional for a plug-in: the answer is not a refusal
    mProcessing = true;
    return true;
  }
  void Unprepare() override
  {
    if (mProcessing) mProcessor->setProcessing(0);
    mProcessing = false;
    if (mActive) mComponent->setActive(0);
    mActive = false;
  }
  bool Render(const float* const* in, float* const* out, int frames, const ParameterChange* changes,
              int changeCount) override
  {
    if (!mActive) return false;
    for (int i = 0; i < changeCount; ++i)
      mPending.Add(changes[i].id, std::clamp(changes[i].frame, 0, std::max(0, frames - 1)), changes[i].value);
    mIn[0] = const_cast<float*>(in[0]);
    mIn[1] = const_cast<float*>(in[1]);
    mOut[0] = out[0];
    mOut[1] = out[1];
    AudioBusBuffers inBus{}, outBus{};
    inBus.numChannels = outBus.numChannels = mChannels;
    inBus.channelBuffers32 = mIn;
    outBus.channelBuffers32 = mOut;
    ProcessData data{};
    data.processMode = kRealtime;
    data.symbolicSampleSize = kSample32;
    data.numSamples = frames;
    data.numInputs = data.numOutputs = 1;
    data.inputs = &inBus;
    data.outputs = &outBus;
    data.inputParameterChanges = &mPending;
    const bool ok = mProcessor->process(data) == kResultOk;
    mPending.Clear();
    return ok;
  }
  bool Reset() override
  {
    // A VST3 host resets by switching the component off and on.
    if (!mActive) return false;
    if (mProcessing) mProcessor->setProcessing(0);
    const bool ok = mComponent->setActive(0) == kResultOk && mComponent->setActive(1) == kResultOk;
    if (mProcessing) mProcessor->setProcessing(1);
    return ok;
  }

  bool SaveState(std::vector<unsigned char>& bytes) override
  {
    ByteStream stream;
    if (mComponent->getState(&stream) != kResultOk) return false;
    bytes = stream.Take();
    return true;
  }
  bool LoadState(const std::vector<unsigned char>& bytes) override
  {
    ByteStream stream(bytes);
    if (mComponent->setState(&stream) != kResultOk) return false;
    if (mSeparateController) {
      ByteStream again(bytes);
      mController->setComponentState(&again);
    }
    return true;
  }

private:
  IComponent* mComponent = nullptr;
  IAudioProcessor* mProcessor = nullptr;
  IEditController* mController = nullptr;
  bool mInitialized = false, mSeparateController = false, mOk = false, mActive = false, mProcessing = false;
  int32 mChannels = 2;
  std::set<std::uint32_t> mIds;
  Changes mPending;
  float* mIn[2] = {};
  float* mOut[2] = {};
  std::string mError;
};

class Vst3Driver : public PluginDriver
{
public:
  ~Vst3Driver() override
  {
    if (mFactory) mFactory->release();
    if (mEntered)
      if (auto exitFn = reinterpret_cast<bool (*)()>(dlsym(mHandle, "ModuleExit"))) exitFn();
    if (mHandle) dlclose(mHandle);
  }
  bool Load(const std::string& bundle, const std::string& wanted, std::string& error)
  {
    std::string stem = bundle.substr(bundle.find_last_of('/') + 1);
    stem = stem.substr(0, stem.rfind(".vst3"));
    const std::string binary = bundle + "/Contents/x86_64-linux/" + stem + ".so";
    mHandle = dlopen(binary.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!mHandle) {
      const char* why = dlerror();
      error = bundle + ": not a loadable VST3 bundle (" + (why ? why : "dlopen failed") + ")";
      return false;
    }
    auto entry = reinterpret_cast<bool (*)(void*)>(dlsym(mHandle, "ModuleEntry"));
    auto getFactory = reinterpret_cast<IPluginFactory* (*)()>(dlsym(mHandle, "GetPluginFactory"));
    if (!entry || !getFactory || !dlsym(mHandle, "ModuleExit")) {
      error = bundle + ": ModuleEntry, ModuleExit or GetPluginFactory is missing";
      return false;
    }
    if (!entry(mHandle)) {
      error = bundle + ": ModuleEntry refused";
      return false;
    }
    mEntered = true;
    mFactory = getFactory();
    if (!mFactory) {
      error = bundle + ": no plug-in factory";
      return false;
    }
    IPluginFactory2* factory2 = Ask<IPluginFactory2>(mFactory, kIPluginFactory2IID);
    std::string names;
    bool chosenStereo = false;
    for (int32 i = 0; i < mFactory->countClasses(); ++i) {
      PClassInfo info{};
      if (mFactory->getClassInfo(i, &info) != kResultOk) continue;
      if (std::strncmp(info.category, kAudioModuleClass, sizeof info.category) != 0) continue;
      const std::string name(info.name, strnlen(info.name, sizeof info.name));
      names += (names.empty() ? "" : ", ") + name;
      if (!wanted.empty()) {
        if (wanted == name) {
          mClass.assign(info.cid, 16);
          mName = name;
        }
        continue;
      }
      bool stereo = false;
      PClassInfo2 info2{};
      if (factory2 && factory2->getClassInfo2(i, &info2) == kResultOk)
        stereo =
            std::string(info2.subCategories, strnlen(info2.subCategories, sizeof info2.subCategories)).find("Stereo") !=
            std::string::npos;
      if (mClass.empty() || (stereo && !chosenStereo)) {
        mClass.assign(info.cid, 16);
        mName = name;
        chosenStereo = stereo;
      }
    }
    if (factory2) factory2->release();
    if (mClass.empty()) {
      error = bundle + (wanted.empty() ? ": the factory lists no audio module class"
                                       : ": no class '" + wanted + "' (the bundle has: " + names + ")");
      return false;
    }
    return true;
  }
  const char* Format() const override { return "VST3"; }
  std::string PluginName() const override { return mName; }
  std::string PluginId() const override
  {
    static const char kHex[] = "0123456789ABCDEF";
    std::string hex;
    for (char c : mClass) {
      hex.push_back(kHex[(static_cast<unsigned char>(c) >> 4) & 15]);
      hex.push_back(kHex[static_cast<unsigned char>(c) & 15]);
    }
    return hex;
  }
  std::unique_ptr<PluginInstance> Create(std::string& error) override
  {
    auto instance = std::make_unique<Vst3Instance>(mFactory, mClass);
    if (!instance->Ok()) {
      error = instance->Error();
      return nullptr;
    }
    return instance;
  }

private:
  void* mHandle = nullptr;
  bool mEntered = false;
  IPluginFactory* mFactory = nullptr;
  std::string mClass, mName;
};

} // namespace

std::unique_ptr<PluginDriver> OpenVst3Driver(const std::string& path, const std::string& plugin, std::string& error)
{
  auto driver = std::make_unique<Vst3Driver>();
  if (!driver->Load(path, plugin, error)) return nullptr;
  return driver;
}
