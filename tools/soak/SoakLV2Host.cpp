#include "tools/soak/SoakLV2Host.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>

#include <cmath>
#include <cstring>
#include <dlfcn.h>

LV2_URID SoakURIDMap::Map(LV2_URID_Map_Handle handle, const char* uri)
{
  auto* self = static_cast<SoakURIDMap*>(handle);
  std::lock_guard<std::mutex> lock(self->mMutex);
  auto found = self->mIds.find(uri);
  if (found != self->mIds.end()) return found->second;
  const LV2_URID id = static_cast<LV2_URID>(self->mIds.size() + 1);
  self->mIds.emplace(uri, id);
  return id;
}

SoakLV2Host::~SoakLV2Host()
{
  if (mInstance) {
    if (mActive && mDescriptor->deactivate) mDescriptor->deactivate(mInstance);
    mDescriptor->cleanup(mInstance);
  }
  if (mLibrary) dlclose(mLibrary);
}

bool SoakLV2Host::Open(const std::string& bundle, const std::string& uri, double rate, int maxFrames,
                       std::string& error)
{
  LV2Description description;
  if (!ReadLV2Description(bundle, uri, description, error)) return false;
  mLibrary = dlopen(description.binary.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mLibrary) {
    error = std::string("cannot load the LV2 library: ") + dlerror();
    return false;
  }
  using Entry = const LV2_Descriptor* (*)(std::uint32_t);
  const auto entry = reinterpret_cast<Entry>(dlsym(mLibrary, "lv2_descriptor"));
  if (!entry) {
    error = "'" + description.binary + "' exports no lv2_descriptor";
    return false;
  }
  for (std::uint32_t i = 0; !mDescriptor; ++i) {
    const LV2_Descriptor* d = entry(i);
    if (!d) break;
    if (d->URI && uri == d->URI) mDescriptor = d;
  }
  if (!mDescriptor) {
    error = "'" + description.binary + "' has no plug-in <" + uri + ">";
    return false;
  }

  // Features: urid:map, and the options naming the longest block the host will run.
  mBlockLength = maxFrames;
  mOptions = {{LV2_OPTIONS_INSTANCE, 0, mMap.Get(LV2_BUF_SIZE__maxBlockLength), sizeof(std::int32_t),
               mMap.Get(LV2_ATOM__Int), &mBlockLength},
              {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
  mFeatureStore = {{LV2_URID__map, mMap.Feature()},
                   {LV2_OPTIONS__options, mOptions.data()},
                   {LV2_BUF_SIZE__boundedBlockLength, nullptr}};
  for (const LV2_Feature& f : mFeatureStore) mFeatures.push_back(&f);
  mFeatures.push_back(nullptr);

  const std::string bundleSlash = bundle.empty() || bundle.back() == '/' ? bundle : bundle + "/";
  mInstance = mDescriptor->instantiate(mDescriptor, rate, bundleSlash.c_str(), mFeatures.data());
  if (!mInstance) {
    error = "<" + uri + "> did not instantiate";
    return false;
  }
  if (mDescriptor->extension_data)
    mState = static_cast<const LV2_State_Interface*>(mDescriptor->extension_data(LV2_STATE__interface));
  if (!mState || !mState->save || !mState->restore) {
    error = "<" + uri + "> offers no state interface";
    return false;
  }

  for (const LV2Port& port : description.ports) {
    switch (port.kind) {
    case LV2Port::kAudioIn:
      mAudioIn.push_back(port.index);
      break;
    case LV2Port::kAudioOut:
      mAudioOut.push_back(port.index);
      break;
    case LV2Port::kControlIn:
      mControls.push_back(port);
      break;
    case LV2Port::kControlOut:
      break;
    }
  }
  // Control memory is sized once, before any port is connected to it.
  mControlPorts.resize(mControls.size());
  mQueued.reset(new std::atomic<float>[mControls.size()]);
  mOutputControls.assign(description.ports.size(), 0.0f);
  for (size_t i = 0; i < mControls.size(); ++i) {
    mControlPorts[i] = mControls[i].fallback;
    mQueued[i].store(mControls[i].fallback, std::memory_order_relaxed);
    mDescriptor->connect_port(mInstance, mControls[i].index, &mControlPorts[i]);
  }
  for (const LV2Port& port : description.ports)
    if (port.kind == LV2Port::kControlOut)
      mDescriptor->connect_port(mInstance, port.index, &mOutputControls[port.index]);
  if (mDescriptor->activate) mDescriptor->activate(mInstance);
  mActive = true;
  return true;
}

void SoakLV2Host::QueueControl(int control, float value)
{
  mQueued[static_cast<size_t>(control)].store(value, std::memory_order_relaxed);
}

void SoakLV2Host::Run(const float* const* in, float* const* out, int frames)
{
  std::lock_guard<std::mutex> lock(mRunMutex);
  for (size_t i = 0; i < mControls.size(); ++i) mControlPorts[i] = mQueued[i].load(std::memory_order_relaxed);
  for (size_t i = 0; i < mAudioIn.size(); ++i)
    mDescriptor->connect_port(mInstance, mAudioIn[i], const_cast<float*>(in[i]));
  for (size_t i = 0; i < mAudioOut.size(); ++i) mDescriptor->connect_port(mInstance, mAudioOut[i], out[i]);
  mDescriptor->run(mInstance, static_cast<std::uint32_t>(frames));
}

LV2_State_Status SoakLV2Host::Store(LV2_State_Handle handle, std::uint32_t key, const void* value, size_t size,
                                    std::uint32_t type, std::uint32_t flags)
{
  if (!key || !type || (!value && size)) return LV2_STATE_ERR_UNKNOWN;
  SoakLV2State::Value& v = static_cast<SoakLV2State*>(handle)->properties[key];
  v.type = type;
  v.flags = flags;
  const auto* bytes = static_cast<const unsigned char*>(value);
  v.bytes.assign(bytes, bytes + size);
  return LV2_STATE_SUCCESS;
}

const void* SoakLV2Host::Retrieve(LV2_State_Handle handle, std::uint32_t key, size_t* size, std::uint32_t* type,
                                  std::uint32_t* flags)
{
  const auto& properties = static_cast<const SoakLV2State*>(handle)->properties;
  const auto found = properties.find(key);
  if (found == properties.end()) return nullptr;
  *size = found->second.bytes.size();
  *type = found->second.type;
  *flags = found->second.flags;
  return found->second.bytes.data();
}

bool SoakLV2Host::SaveInto(SoakLV2State& out, std::string& error)
{
  out.properties.clear();
  const LV2_State_Status status = mState->save(mInstance, Store, &out, LV2_STATE_IS_POD, mFeatures.data());
  if (status != LV2_STATE_SUCCESS) {
    error = "LV2 save returned status " + std::to_string(status);
    return false;
  }
  if (out.properties.empty()) {
    error = "LV2 save stored nothing";
    return false;
  }
  return true;
}

bool SoakLV2Host::Save(SoakLV2State& out, std::string& error)
{
  return SaveInto(out, error);
}

bool SoakLV2Host::Restore(const SoakLV2State& state, std::string& error, SoakLV2State* before, SoakLV2State* after)
{
  std::lock_guard<std::mutex> lock(mRunMutex);
  if (before && !SaveInto(*before, error)) return false;
  const LV2_State_Status status =
      mState->restore(mInstance, Retrieve, const_cast<SoakLV2State*>(&state), 0, mFeatures.data());
  if (status != LV2_STATE_SUCCESS) {
    error = "LV2 restore returned status " + std::to_string(status);
    return false;
  }
  return !after || SaveInto(*after, error);
}
