// The LV2 driver of `brindle validate`: reads the bundle's description (manifest.ttl and the data
// file) for the library and the ports, loads the library and makes plug-ins through
// lv2_descriptor, with urid:map, the options naming the longest block and boundedBlockLength.
// The control input ports are the parameters; their values live host-side and are copied into the
// port memory between runs, as LV2 has the plug-in read its ports only inside run(). LV2 has no
// value text, so the driver declares none. The state is the plug-in's own (through the state
// extension) followed by the control values, which an LV2 host saves itself.
#include "tools/files/LV2Description.h"
#include "tools/validate/PluginDriver.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

namespace {

// urid:map, callable from any thread.
class UridMap
{
public:
  UridMap() : mFeature{this, &Map} {}
  LV2_URID_Map* Feature() { return &mFeature; }
  LV2_URID Get(const char* uri) { return Map(this, uri); }

private:
  static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri)
  {
    auto* self = static_cast<UridMap*>(handle);
    std::lock_guard<std::mutex> lock(self->mMutex);
    auto found = self->mIds.find(uri);
    if (found != self->mIds.end()) return found->second;
    const auto id = static_cast<LV2_URID>(self->mIds.size() + 1);
    self->mIds.emplace(uri, id);
    return id;
  }
  std::mutex mMutex;
  std::map<std::string, LV2_URID> mIds;
  LV2_URID_Map mFeature;
};

// What every instance of one plug-in shares: the library, its descriptor and description.
struct Lv2Module
{
  const LV2_Descriptor* descriptor = nullptr;
  LV2Description description;
  std::string bundle, uri, stateKey;
  UridMap map;
};

// The plug-in's own state, as the state extension stores and retrieves it.
struct StateStore
{
  LV2_URID key = 0, chunk = 0;
  std::vector<unsigned char> bytes;
  bool stored = false;
  static LV2_State_Status Store(LV2_State_Handle handle, std::uint32_t key, const void* value, size_t size,
                                std::uint32_t type, std::uint32_t)
  {
    auto* self = static_cast<StateStore*>(handle);
    if (key != self->key || type != self->chunk || self->stored) return LV2_STATE_ERR_UNKNOWN;
    const auto* b = static_cast<const unsigned char*>(value);
    self->bytes.assign(b, b + size);
    self->stored = true;
    return LV2_STATE_SUCCESS;
  }
  static const void* Retrieve(LV2_State_Handle handle, std::uint32_t key, size_t* size, std::uint32_t* type,
                              std::uint32_t* flags)
  {
    auto* self = static_cast<StateStore*>(handle);
    if (key != self->key || self->bytes.empty()) return nullptr;
    *size = self->bytes.size();
    *type = self->chunk;
    *flags = LV2_STATE_IS_POD;
    return self->bytes.data();
  }
};

class Lv2Instance : public PluginInstance
{
public:
  explicit Lv2Instance(Lv2Module& module) : mModule(module)
  {
    for (const LV2Port& port : module.description.ports) {
      if (port.kind == LV2Port::kAudioIn) mAudioIn.push_back(port.index);
      if (port.kind == LV2Port::kAudioOut) mAudioOut.push_back(port.index);
      if (port.kind == LV2Port::kControlIn) mControls.push_back(port);
    }
    mValues.reset(new std::atomic<float>[mControls.size()]);
    for (size_t i = 0; i < mControls.size(); ++i) mValues[i].store(mControls[i].fallback);
    mControlPorts.resize(mControls.size());
    for (size_t i = 0; i < mControls.size(); ++i) mControlPorts[i] = mControls[i].fallback;
    mOutputPorts.assign(module.description.ports.size(), 0.0f);
    Instantiate(44100, 4096);
  }
  ~Lv2Instance() override { Cleanup(); }
  const std::string& Error() const { return mError; }
  bool Ok() const { return mHandle != nullptr; }

  std::vector<DriverParameter> Parameters() override
  {
    std::vector<DriverParameter> list;
    for (const LV2Port& port : mControls) {
      DriverParameter p;
      p.id = port.index;
      p.name = port.name;
      p.minimum = port.minimum;
      p.maximum = port.maximum;
      p.defaultValue = port.fallback;
      p.stepped = port.integer || port.toggled || port.enumeration;
      list.push_back(p);
    }
    return list;
  }
  bool GetValue(std::uint32_t id, double& value) override
  {
    const int c = Control(id);
    if (c < 0) return false;
    value = mValues[static_cast<size_t>(c)].load();
    return true;
  }
  bool SetValue(std::uint32_t id, double value) override
  {
    const int c = Control(id);
    if (c < 0) return false;
    return Apply(c, value);
  }
  bool ValueToText(std::uint32_t, double, std::string&) override { return false; }
  bool TextToValue(std::uint32_t, const std::string&, double&) override { return false; }

  bool Prepare(double rate, int maxFrames, std::string& error) override
  {
    if (!mHandle) {
      error = mError;
      return false;
    }
    Unprepare();
    // The rate and the longest block are fixed at instantiation: a new one carries the state over.
    if (rate != mRate || maxFrames != mBlockLength) {
      std::vector<unsigned char> saved;
      if (!SaveState(saved)) {
        error = "the state cannot be saved to carry it to a new instance";
        return false;
      }
      Cleanup();
      if (!Instantiate(rate, maxFrames) || !LoadState(saved)) {
        error = mError.empty() ? "the state did not carry to a new instance" : mError;
        return false;
      }
    }
    if (mModule.descriptor->activate) mModule.descriptor->activate(mHandle);
    mActive = true;
    return true;
  }
  void Unprepare() override
  {
    if (mActive && mModule.descriptor->deactivate) mModule.descriptor->deactivate(mHandle);
    mActive = false;
  }
  bool Render(const float* const* in, float* const* out, int frames, const ParameterChange* changes,
              int changeCount) override
  {
    if (!mActive || frames < 1 || frames > mBlockLength) return false;
    for (int i = 0; i < changeCount; ++i) {
      const int c = Control(changes[i].id);
      if (c >= 0) Apply(c, changes[i].value);
    }
    for (size_t i = 0; i < mControls.size(); ++i) mControlPorts[i] = mValues[i].load();
    const LV2_Descriptor* d = mModule.descriptor;
    for (size_t i = 0; i < mAudioIn.size() && i < 2; ++i)
      d->connect_port(mHandle, mAudioIn[i], const_cast<float*>(in[i]));
    for (size_t i = 0; i < mAudioOut.size() && i < 2; ++i) d->connect_port(mHandle, mAudioOut[i], out[i]);
    d->run(mHandle, static_cast<std::uint32_t>(frames));
    return true;
  }
  // LV2 resets through deactivate and activate.
  bool Reset() override
  {
    if (!mActive) return false;
    if (mModule.descriptor->deactivate) mModule.descriptor->deactivate(mHandle);
    if (mModule.descriptor->activate) mModule.descriptor->activate(mHandle);
    return true;
  }

  // The plug-in's blob, then the control values and their count.
  bool SaveState(std::vector<unsigned char>& bytes) override
  {
    if (!mState) return false;
    StateStore store{mModule.map.Get(mModule.stateKey.c_str()), mModule.map.Get(LV2_ATOM__Chunk), {}, false};
    if (mState->save(mHandle, &StateStore::Store, &store, LV2_STATE_IS_POD, mFeatures.data()) != LV2_STATE_SUCCESS ||
        !store.stored)
      return false;
    bytes = std::move(store.bytes);
    for (size_t i = 0; i < mControls.size(); ++i) Append(bytes, mValues[i].load());
    Append(bytes, static_cast<std::uint32_t>(mControls.size()));
    return true;
  }
  bool LoadState(const std::vector<unsigned char>& bytes) override
  {
    if (!mState || bytes.size() < 4) return false;
    std::uint32_t count = 0;
    std::memcpy(&count, bytes.data() + bytes.size() - 4, 4);
    if (count != mControls.size() || bytes.size() <= 4 + 4 * static_cast<size_t>(count)) return false;
    const size_t blobSize = bytes.size() - 4 - 4 * static_cast<size_t>(count);
    std::vector<float> values(count);
    std::memcpy(values.data(), bytes.data() + blobSize, 4 * static_cast<size_t>(count));
    for (size_t i = 0; i < count; ++i)
      if (!std::isfinite(values[i]) || values[i] < mControls[i].minimum || values[i] > mControls[i].maximum)
        return false;
    StateStore store{mModule.map.Get(mModule.stateKey.c_str()), mModule.map.Get(LV2_ATOM__Chunk),
                     std::vector<unsigned char>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(blobSize)),
                     false};
    if (mState->restore(mHandle, &StateStore::Retrieve, &store, 0, mFeatures.data()) != LV2_STATE_SUCCESS) return false;
    for (size_t i = 0; i < count; ++i) mValues[i].store(values[i]);
    return true;
  }

private:
  template <typename T>
  static void Append(std::vector<unsigned char>& bytes, T value)
  {
    unsigned char b[sizeof(T)];
    std::memcpy(b, &value, sizeof(T));
    bytes.insert(bytes.end(), b, b + sizeof(T));
  }
  int Control(std::uint32_t id) const
  {
    for (size_t i = 0; i < mControls.size(); ++i)
      if (mControls[i].index == id) return static_cast<int>(i);
    return -1;
  }
  // A value a host would put in the port: in range, whole when stepped; NaN is refused.
  bool Apply(int control, double value)
  {
    const LV2Port& port = mControls[static_cast<size_t>(control)];
    if (std::isnan(value)) return false;
    double v = std::min<double>(std::max<double>(value, port.minimum), port.maximum);
    if (port.integer || port.toggled || port.enumeration) v = std::round(v);
    mValues[static_cast<size_t>(control)].store(static_cast<float>(v));
    return true;
  }
  bool Instantiate(double rate, int maxFrames)
  {
    mRate = rate;
    mBlockLength = maxFrames;
    UridMap& map = mModule.map;
    mOptions = {{LV2_OPTIONS_INSTANCE, 0, map.Get(LV2_BUF_SIZE__maxBlockLength), sizeof(std::int32_t),
                 map.Get(LV2_ATOM__Int), &mBlockLength},
                {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    mFeatureStore = {{LV2_URID__map, map.Feature()},
                     {LV2_OPTIONS__options, mOptions.data()},
                     {LV2_BUF_SIZE__boundedBlockLength, nullptr}};
    mFeatures.clear();
    for (const LV2_Feature& f : mFeatureStore) mFeatures.push_back(&f);
    mFeatures.push_back(nullptr);
    const LV2_Descriptor* d = mModule.descriptor;
    const std::string bundleSlash = mModule.bundle + "/";
    mHandle = d->instantiate(d, rate, bundleSlash.c_str(), mFeatures.data());
    if (!mHandle) {
      mError = "<" + mModule.uri + "> did not instantiate at " + std::to_string(rate) + " Hz";
      return false;
    }
    mState =
        d->extension_data ? static_cast<const LV2_State_Interface*>(d->extension_data(LV2_STATE__interface)) : nullptr;
    if (mState && (!mState->save || !mState->restore)) mState = nullptr;
    for (size_t i = 0; i < mControls.size(); ++i) d->connect_port(mHandle, mControls[i].index, &mControlPorts[i]);
    for (const LV2Port& port : mModule.description.ports)
      if (port.kind == LV2Port::kControlOut) d->connect_port(mHandle, port.index, &mOutputPorts[port.index]);
    return true;
  }
  void Cleanup()
  {
    if (!mHandle) return;
    Unprepare();
    mModule.descriptor->cleanup(mHandle);
    mHandle = nullptr;
  }

  Lv2Module& mModule;
  LV2_Handle mHandle = nullptr;
  const LV2_State_Interface* mState = nullptr;
  bool mActive = false;
  double mRate = 0;
  std::int32_t mBlockLength = 0;
  std::vector<LV2_Options_Option> mOptions;
  std::vector<LV2_Feature> mFeatureStore;
  std::vector<const LV2_Feature*> mFeatures;
  std::vector<std::uint32_t> mAudioIn, mAudioOut;
  std::vector<LV2Port> mControls;
  std::unique_ptr<std::atomic<float>[]> mValues; // the host's values, from any thread
  std::vector<float> mControlPorts;              // the memory the plug-in reads in run()
  std::vector<float> mOutputPorts;
  std::string mError;
};

size_t AudioIns(const LV2Description& d)
{
  size_t n = 0;
  for (const LV2Port& port : d.ports) n += port.kind == LV2Port::kAudioIn;
  return n;
}

class Lv2Driver : public PluginDriver
{
public:
  ~Lv2Driver() override
  {
    if (mLibrary) dlclose(mLibrary);
  }
  bool Load(const std::string& bundle, const std::string& wanted, std::string& error)
  {
    const std::vector<std::string> uris = LV2PluginURIs(bundle, error);
    if (uris.empty()) {
      error = bundle + ": " + error;
      return false;
    }
    // The one asked for, else the first with two audio inputs, else the first.
    std::string uri, list;
    for (const std::string& u : uris) {
      list += (list.empty() ? "" : ", ") + u;
      LV2Description d;
      std::string ignored;
      if (!wanted.empty() ? u == wanted : uri.empty() && ReadLV2Description(bundle, u, d, ignored) && AudioIns(d) == 2)
        uri = u;
    }
    if (uri.empty() && !wanted.empty()) {
      error = bundle + ": no plug-in <" + wanted + "> (the bundle has: " + list + ")";
      return false;
    }
    if (uri.empty()) uri = uris.front();
    mModule.bundle = bundle;
    mModule.uri = uri;
    // The plug-in's state key is its product's URI with the fragment "state".
    mModule.stateKey = uri.substr(0, uri.find('#')) + "#state";
    if (!ReadLV2Description(bundle, uri, mModule.description, error)) {
      error = bundle + ": " + error;
      return false;
    }
    const size_t audioIn = AudioIns(mModule.description),
                 audioOut = std::count_if(mModule.description.ports.begin(), mModule.description.ports.end(),
                                          [](const LV2Port&port) { return port.kind == LV2Port::kAudioOut; });
    if (audioIn != audioOut || audioIn < 1 || audioIn > 2) {
      error = bundle + ": the driver renders one or two audio ports in and out, not " + std::to_string(audioIn) +
              " in and " + std::to_string(audioOut) + " out";
      return false;
    }
    mLibrary = dlopen(mModule.description.binary.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!mLibrary) {
      const char* why = dlerror();
      error = mModule.description.binary + ": not a loadable library (" + (why ? why : "dlopen failed") + ")";
      return false;
    }
    using Entry = const LV2_Descriptor* (*)(std::uint32_t);
    const auto entry = reinterpret_cast<Entry>(dlsym(mLibrary, "lv2_descriptor"));
    if (!entry) {
      error = mModule.description.binary + ": exports no lv2_descriptor";
      return false;
    }
    for (std::uint32_t i = 0; !mModule.descriptor; ++i) {
      const LV2_Descriptor* d = entry(i);
      if (!d) break;
      if (d->URI && uri == d->URI) mModule.descriptor = d;
    }
    const LV2_Descriptor* d = mModule.descriptor;
    if (!d) {
      error = mModule.description.binary + ": no plug-in <" + uri + ">";
      return false;
    }
    if (!d->instantiate || !d->connect_port || !d->run || !d->cleanup) {
      error = mModule.description.binary + ": the descriptor of <" + uri + "> is incomplete";
      return false;
    }
    return true;
  }
  const char* Format() const override { return "LV2"; }
  bool HasValueText() const override { return false; }
  std::string PluginName() const override
  {
    return mModule.description.name.empty() ? mModule.uri : mModule.description.name;
  }
  std::string PluginId() const override { return mModule.uri; }
  std::unique_ptr<PluginInstance> Create(std::string& error) override
  {
    auto instance = std::make_unique<Lv2Instance>(mModule);
    if (!instance->Ok()) {
      error = instance->Error();
      return nullptr;
    }
    return instance;
  }

private:
  void* mLibrary = nullptr;
  Lv2Module mModule;
};

} // namespace

std::unique_ptr<PluginDriver> OpenLv2Driver(const std::string& path, const std::string& plugin, std::string& error)
{
  auto driver = std::make_unique<Lv2Driver>();
  if (!driver->Load(path, plugin, error)) return nullptr;
  return driver;
}
