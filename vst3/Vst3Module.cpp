// The factory and the instance: VST3's COM calls turned into calls of IEffectVST3.
#include "vst3/Vst3Module.h"

#include <CoreFoundation/CoreFoundation.h>
#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "vst3/Vst3View.h"

using namespace vst3;

namespace {

template <size_t N>
void Copy(char (&out)[N], const char* text)
{
  std::snprintf(out, N, "%s", text ? text : "");
}

class Vst3Instance;

// The three faces of an instance, each a COM interface that forwards its identity to the instance.
struct ComponentFace final : IComponent
{
  Vst3Instance* mOwner = nullptr;
  tresult queryInterface(const TUID iid, void** obj) override;
  uint32 addRef() override;
  uint32 release() override;
  tresult initialize(FUnknown* context) override;
  tresult terminate() override;
  tresult getControllerClassId(TUID classId) override;
  tresult setIoMode(IoMode) override { return kResultOk; }
  int32 getBusCount(MediaType type, BusDirection dir) override;
  tresult getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus) override;
  tresult getRoutingInfo(RoutingInfo&, RoutingInfo&) override { return kNotImplemented; }
  tresult activateBus(MediaType type, BusDirection dir, int32 index, TBool state) override;
  tresult setActive(TBool state) override;
  tresult setState(IBStream* state) override;
  tresult getState(IBStream* state) override;
};

struct ProcessorFace final : IAudioProcessor
{
  Vst3Instance* mOwner = nullptr;
  tresult queryInterface(const TUID iid, void** obj) override;
  uint32 addRef() override;
  uint32 release() override;
  tresult setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                             int32 numOuts) override;
  tresult getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) override;
  tresult canProcessSampleSize(int32 size) override
  {
    return size == kSample32 || size == kSample64 ? kResultTrue : kResultFalse;
  }
  uint32 getLatencySamples() override;
  tresult setupProcessing(ProcessSetup& setup) override;
  tresult setProcessing(TBool state) override;
  tresult process(ProcessData& data) override;
  uint32 getTailSamples() override { return getLatencySamples(); }
};

struct ControllerFace final : IEditController
{
  Vst3Instance* mOwner = nullptr;
  tresult queryInterface(const TUID iid, void** obj) override;
  uint32 addRef() override;
  uint32 release() override;
  // The controller is the component: initialize and terminate here only confirm the component's.
  tresult initialize(FUnknown* context) override;
  tresult terminate() override { return kResultOk; }
  tresult setComponentState(IBStream* state) override;
  // The controller keeps nothing of its own: its state is empty.
  tresult setState(IBStream* state) override { return state ? kResultOk : kInvalidArgument; }
  tresult getState(IBStream* state) override { return state ? kResultOk : kInvalidArgument; }
  int32 getParameterCount() override;
  tresult getParameterInfo(int32 index, ParameterInfo& info) override;
  tresult getParamStringByValue(ParamID id, ParamValue value, String128 string) override;
  tresult getParamValueByString(ParamID id, char16* string, ParamValue& value) override;
  ParamValue normalizedParamToPlain(ParamID id, ParamValue value) override;
  ParamValue plainParamToNormalized(ParamID id, ParamValue value) override;
  ParamValue getParamNormalized(ParamID id) override;
  tresult setParamNormalized(ParamID id, ParamValue value) override;
  tresult setComponentHandler(IComponentHandler* handler) override;
  IPlugView* createView(FIDString name) override;
};

class Vst3Instance
{
public:
  explicit Vst3Instance(std::unique_ptr<IEffectVST3> plug) : mPlug(std::move(plug))
  {
    mComponent.mOwner = this;
    mProcessor.mOwner = this;
    mController.mOwner = this;
  }

  tresult Query(const TUID iid, void** obj)
  {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (SameUid(iid, kFUnknownIID) || SameUid(iid, kIPluginBaseIID) || SameUid(iid, kIComponentIID))
      *obj = static_cast<IComponent*>(&mComponent);
    else if (SameUid(iid, kIAudioProcessorIID))
      *obj = static_cast<IAudioProcessor*>(&mProcessor);
    else if (SameUid(iid, kIEditControllerIID))
      *obj = static_cast<IEditController*>(&mController);
    else
      return kNoInterface;
    AddRef();
    return kResultOk;
  }
  uint32 AddRef() { return mRefs.fetch_add(1, std::memory_order_relaxed) + 1; }
  uint32 Release()
  {
    const uint32 left = mRefs.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) {
      if (mPlug->Stage() != IEffectVST3::kCreated) mPlug->Terminate();
      delete this;
    }
    return left;
  }
  IEffectVST3& Plug() { return *mPlug; }

private:
  std::atomic<uint32> mRefs{1};
  std::unique_ptr<IEffectVST3> mPlug;
  ComponentFace mComponent;
  ProcessorFace mProcessor;
  ControllerFace mController;
};

// ---- ComponentFace ----
tresult ComponentFace::queryInterface(const TUID iid, void** obj)
{
  return mOwner->Query(iid, obj);
}
uint32 ComponentFace::addRef()
{
  return mOwner->AddRef();
}
uint32 ComponentFace::release()
{
  return mOwner->Release();
}
tresult ComponentFace::initialize(FUnknown* context)
{
  return mOwner->Plug().Initialize(context);
}
tresult ComponentFace::terminate()
{
  return mOwner->Plug().Terminate();
}
tresult ComponentFace::getControllerClassId(TUID classId)
{
  if (classId) std::memset(classId, 0, 16);
  return kResultFalse; // no separate controller: this component is its own
}
int32 ComponentFace::getBusCount(MediaType type, BusDirection dir)
{
  return mOwner->Plug().BusCount(type, dir);
}
tresult ComponentFace::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo& bus)
{
  return mOwner->Plug().BusInfo(type, dir, index, bus);
}
tresult ComponentFace::activateBus(MediaType type, BusDirection dir, int32 index, TBool /*state*/)
{
  return mOwner->Plug().ActivateBus(type, dir, index);
}
tresult ComponentFace::setActive(TBool state)
{
  return mOwner->Plug().SetActive(state != 0);
}
tresult ComponentFace::setState(IBStream* state)
{
  return mOwner->Plug().LoadState(state);
}
tresult ComponentFace::getState(IBStream* state)
{
  return mOwner->Plug().SaveState(state);
}

// ---- ProcessorFace ----
tresult ProcessorFace::queryInterface(const TUID iid, void** obj)
{
  return mOwner->Query(iid, obj);
}
uint32 ProcessorFace::addRef()
{
  return mOwner->AddRef();
}
uint32 ProcessorFace::release()
{
  return mOwner->Release();
}
tresult ProcessorFace::setBusArrangements(SpeakerArrangement* inputs, int32 numIns, SpeakerArrangement* outputs,
                                          int32 numOuts)
{
  return mOwner->Plug().SetBusArrangements(inputs, numIns, outputs, numOuts);
}
tresult ProcessorFace::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement& arr)
{
  return mOwner->Plug().BusArrangement(dir, index, arr);
}
uint32 ProcessorFace::getLatencySamples()
{
  return static_cast<uint32>(std::max(mOwner->Plug().GetLatency(), 0));
}
tresult ProcessorFace::setupProcessing(ProcessSetup& setup)
{
  return mOwner->Plug().SetupProcessing(setup);
}
tresult ProcessorFace::setProcessing(TBool state)
{
  return mOwner->Plug().SetProcessing(state != 0);
}
tresult ProcessorFace::process(ProcessData& data)
{
  return mOwner->Plug().Process(data);
}

// ---- ControllerFace ----
tresult ControllerFace::queryInterface(const TUID iid, void** obj)
{
  return mOwner->Query(iid, obj);
}
uint32 ControllerFace::addRef()
{
  return mOwner->AddRef();
}
uint32 ControllerFace::release()
{
  return mOwner->Release();
}
tresult ControllerFace::initialize(FUnknown* context)
{
  IEffectVST3& plug = mOwner->Plug();
  return plug.Stage() == IEffectVST3::kCreated ? plug.Initialize(context) : kResultOk;
}
tresult ControllerFace::setComponentState(IBStream* state)
{
  // The component's state, which this object holds already when the host set it there first; loaded
  // again it changes nothing, and a host that only tells the controller is served too.
  return mOwner->Plug().LoadState(state);
}
int32 ControllerFace::getParameterCount()
{
  return mOwner->Plug().NParams();
}
tresult ControllerFace::getParameterInfo(int32 index, ParameterInfo& info)
{
  return mOwner->Plug().ParamInfo(index, info);
}
tresult ControllerFace::getParamStringByValue(ParamID id, ParamValue value, String128 string)
{
  return mOwner->Plug().ValueToString(id, value, string);
}
tresult ControllerFace::getParamValueByString(ParamID id, char16* string, ParamValue& value)
{
  return mOwner->Plug().StringToValue(id, string, value);
}
ParamValue ControllerFace::normalizedParamToPlain(ParamID id, ParamValue value)
{
  return mOwner->Plug().ToPlain(id, value);
}
ParamValue ControllerFace::plainParamToNormalized(ParamID id, ParamValue value)
{
  return mOwner->Plug().ToNormalized(id, value);
}
ParamValue ControllerFace::getParamNormalized(ParamID id)
{
  return mOwner->Plug().NormalizedValue(id);
}
tresult ControllerFace::setParamNormalized(ParamID id, ParamValue value)
{
  return mOwner->Plug().SetNormalizedValue(id, value);
}
IPlugView* ControllerFace::createView(FIDString name)
{
  if (!name || std::strcmp(name, kEditorViewType) != 0 || !mOwner->Plug().GetGUI()) return nullptr;
  try {
    return new Vst3View(this, mOwner->Plug());
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

tresult ControllerFace::setComponentHandler(IComponentHandler* handler)
{
  mOwner->Plug().SetComponentHandler(handler);
  return kResultOk;
}

} // namespace

void Vst3RegisterBundle(const void* symbol)
{
  Dl_info where{};
  if (!dladdr(symbol, &where) || !where.dli_fname) return;
  std::string folder = where.dli_fname; // <bundle>/Contents/x86_64-linux/<Name>.so
  for (int up = 0; up < 3 && folder.find('/') != std::string::npos; ++up) folder.erase(folder.rfind('/'));
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      kCFAllocatorDefault, reinterpret_cast<const UInt8*>(folder.c_str()), static_cast<CFIndex>(folder.size()), true);
  CFBundleRef bundle = url ? CFBundleCreate(kCFAllocatorDefault, url) : nullptr;
  if (url) CFRelease(url);
  if (bundle) CFRelease(bundle); // the registry keeps every bundle it has seen
}

bool Vst3ParseClassID(const char* hex, char out[16])
{
  if (!hex || std::strlen(hex) != 32) return false;
  for (int i = 0; i < 16; ++i) {
    unsigned byte = 0;
    for (int k = 0; k < 2; ++k) {
      const char c = hex[2 * i + k];
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) return false;
      byte = byte << 4 | static_cast<unsigned>(digit);
    }
    out[i] = static_cast<char>(byte);
  }
  return true;
}

Vst3Factory::Vst3Factory(const Vst3Product& product) : mProduct(product)
{
  mValid = Vst3ParseClassID(product.mClassID, mClassID);
}

tresult Vst3Factory::queryInterface(const TUID iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  if (SameUid(iid, kFUnknownIID) || SameUid(iid, kIPluginFactoryIID) || SameUid(iid, kIPluginFactory2IID)) {
    *obj = static_cast<IPluginFactory2*>(this);
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

tresult Vst3Factory::getFactoryInfo(PFactoryInfo* info)
{
  if (!info) return kInvalidArgument;
  std::memset(info, 0, sizeof *info);
  Copy(info->vendor, mProduct.mVendor);
  Copy(info->url, mProduct.mURL);
  Copy(info->email, mProduct.mEmail);
  info->flags = PFactoryInfo::kUnicode;
  return kResultOk;
}

tresult Vst3Factory::getClassInfo(int32 index, PClassInfo* info)
{
  if (!info || index != 0 || !mValid) return kInvalidArgument;
  std::memset(info, 0, sizeof *info);
  std::memcpy(info->cid, mClassID, 16);
  info->cardinality = PClassInfo::kManyInstances;
  Copy(info->category, kAudioModuleClass);
  Copy(info->name, mProduct.mName);
  return kResultOk;
}

tresult Vst3Factory::getClassInfo2(int32 index, PClassInfo2* info)
{
  if (!info || index != 0 || !mValid) return kInvalidArgument;
  std::memset(info, 0, sizeof *info);
  std::memcpy(info->cid, mClassID, 16);
  info->cardinality = PClassInfo::kManyInstances;
  Copy(info->category, kAudioModuleClass);
  Copy(info->name, mProduct.mName);
  info->classFlags = 0;
  Copy(info->subCategories, mProduct.mSubCategories);
  Copy(info->vendor, mProduct.mVendor);
  Copy(info->version, mProduct.mVersion);
  Copy(info->sdkVersion, kSdkVersionString);
  return kResultOk;
}

tresult Vst3Factory::createInstance(FIDString cid, FIDString iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  if (!mValid || !cid || std::memcmp(cid, mClassID, 16) != 0) return kInvalidArgument;
  Vst3Instance* instance = nullptr;
  try {
    IEffectVST3::InstanceInfo info;
    info.mBundleID = mProduct.mBundleID ? mProduct.mBundleID : "";
    instance = new Vst3Instance(mProduct.mMake(info));
  } catch (const std::bad_alloc&) {
    return kOutOfMemory;
  }
  // The instance starts with one reference, the host's answer takes another; dropping the first
  // leaves the host the only owner, or frees it when the interface is unknown.
  const tresult result = instance->Query(iid, obj);
  instance->Release();
  return result;
}
