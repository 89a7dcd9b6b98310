// LV2Descriptor: the descriptor callbacks, options and the state extension.
#include "lv2/LV2Descriptor.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include "plugcore/AudioPath.h"

namespace {
// What the host handle points at: the plug-in object and the URIDs its state needs.
struct LV2Instance
{
  std::unique_ptr<IEffectLV2> mPlug;
  std::string mStateKeyURI;
  LV2_URID_Map* mMap = nullptr; // from instantiate; the state calls may bring one instead
};

const void* FindFeature(const LV2_Feature* const* features, const char* uri)
{
  for (const LV2_Feature* const* f = features; f && *f; ++f)
    if ((*f)->URI && std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
  return nullptr;
}

// The block length the host promises: maxBlockLength, else nominalBlockLength, else 0.
int BlockLengthFromOptions(const LV2_Options_Option* options, LV2_URID_Map* map)
{
  if (!options || !map || !map->map) return 0;
  const LV2_URID maxKey = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
  const LV2_URID nominalKey = map->map(map->handle, LV2_BUF_SIZE__nominalBlockLength);
  const LV2_URID intType = map->map(map->handle, LV2_ATOM__Int);
  int maxLength = 0, nominal = 0;
  // A host ends the list with a zero key; a bound keeps a list without one from running on.
  for (int i = 0; i < 1024 && options[i].key != 0; ++i) {
    const LV2_Options_Option& o = options[i];
    if (o.context != LV2_OPTIONS_INSTANCE || o.type != intType || o.size != sizeof(int32_t) || !o.value) continue;
    int32_t v = 0;
    std::memcpy(&v, o.value, sizeof v);
    if (o.key == maxKey && v > 0) maxLength = v;
    if (o.key == nominalKey && v > 0) nominal = v;
  }
  return maxLength > 0 ? maxLength : nominal;
}

LV2_URID_Map* MapFor(LV2Instance* instance, const LV2_Feature* const* features)
{
  if (instance->mMap) return instance->mMap;
  auto* map = static_cast<LV2_URID_Map*>(const_cast<void*>(FindFeature(features, LV2_URID__map)));
  return map && map->map ? map : nullptr;
}

LV2_State_Status Save(LV2_Handle handle, LV2_State_Store_Function store, LV2_State_Handle state, uint32_t /*flags*/,
                      const LV2_Feature* const* features)
{
  try {
    auto* instance = static_cast<LV2Instance*>(handle);
    if (!instance || !store) return LV2_STATE_ERR_UNKNOWN;
    LV2_URID_Map* map = MapFor(instance, features);
    if (!map) return LV2_STATE_ERR_NO_FEATURE;
    std::vector<unsigned char> blob;
    if (!instance->mPlug->SaveStateBlob(&blob)) return LV2_STATE_ERR_UNKNOWN;
    // A parameter blob is written in one byte order everywhere; a product's own chunk is not.
    uint32_t storeFlags = LV2_STATE_IS_POD;
    if (!instance->mPlug->UsesChunks()) storeFlags |= LV2_STATE_IS_PORTABLE;
    return store(state, map->map(map->handle, instance->mStateKeyURI.c_str()), blob.data(), blob.size(),
                 map->map(map->handle, LV2_ATOM__Chunk), storeFlags);
  } catch (...) {
    return LV2_STATE_ERR_UNKNOWN;
  }
}

LV2_State_Status Restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve, LV2_State_Handle state,
                         uint32_t /*flags*/, const LV2_Feature* const* features)
{
  try {
    auto* instance = static_cast<LV2Instance*>(handle);
    if (!instance || !retrieve) return LV2_STATE_ERR_UNKNOWN;
    LV2_URID_Map* map = MapFor(instance, features);
    if (!map) return LV2_STATE_ERR_NO_FEATURE;
    size_t size = 0;
    uint32_t type = 0, valueFlags = 0;
    const void* data =
        retrieve(state, map->map(map->handle, instance->mStateKeyURI.c_str()), &size, &type, &valueFlags);
    if (!data) return LV2_STATE_ERR_NO_PROPERTY;
    if (type != map->map(map->handle, LV2_ATOM__Chunk)) return LV2_STATE_ERR_BAD_TYPE;
    return instance->mPlug->RestoreStateBlob(data, size) ? LV2_STATE_SUCCESS : LV2_STATE_ERR_UNKNOWN;
  } catch (...) {
    return LV2_STATE_ERR_UNKNOWN;
  }
}

const LV2_State_Interface kStateInterface = {Save, Restore};

void ConnectPort(LV2_Handle handle, uint32_t port, void* data)
{
  static_cast<LV2Instance*>(handle)->mPlug->ConnectPort(port, data);
}

void Activate(LV2_Handle handle)
{
  try {
    static_cast<LV2Instance*>(handle)->mPlug->Activate();
  } catch (...) {}
}

BRINDLE_AUDIO_PATH void Run(LV2_Handle handle, uint32_t nFrames)
{
  static_cast<LV2Instance*>(handle)->mPlug->Run(nFrames);
}

void Deactivate(LV2_Handle handle)
{
  try {
    static_cast<LV2Instance*>(handle)->mPlug->Deactivate();
  } catch (...) {}
}

void Cleanup(LV2_Handle handle)
{
  try {
    delete static_cast<LV2Instance*>(handle); // made by Instantiate
  } catch (...) {}
}

const void* ExtensionData(const char* uri)
{
  if (uri && std::strcmp(uri, LV2_STATE__interface) == 0) return &kStateInterface;
  return nullptr;
}
} // namespace

LV2DescriptorTable::LV2DescriptorTable(const LV2Product& product) : mProduct(product)
{
  const std::vector<LV2Variant> variants = LV2Variants(product.mChannelIO);
  // Every URI is made before any descriptor points into the vector.
  for (const LV2Variant& v : variants) mURIs.push_back(LV2VariantURI(product.mBaseURI, v));
  for (size_t i = 0; i < variants.size(); ++i) {
    auto variant = std::make_unique<Variant>();
    variant->mDescriptor = {mURIs[i].c_str(), Instantiate, ConnectPort,  Activate, Run,
                            Deactivate,       Cleanup,     ExtensionData};
    variant->mTable = this;
    variant->mChannelIOIdx = variants[i].mChannelIOIdx;
    mVariants.push_back(std::move(variant));
  }
}

const LV2_Descriptor* LV2DescriptorTable::Get(uint32_t index) const
{
  return index < mVariants.size() ? &mVariants[index]->mDescriptor : nullptr;
}

IEffectLV2* LV2DescriptorTable::GetPlug(LV2_Handle handle)
{
  return handle ? static_cast<LV2Instance*>(handle)->mPlug.get() : nullptr;
}

LV2_Handle LV2DescriptorTable::Instantiate(const LV2_Descriptor* descriptor, double rate, const char* bundlePath,
                                           const LV2_Feature* const* features)
{
  try {
    if (!descriptor || !(rate >= kMinSampleRate && rate <= kMaxSampleRate)) return nullptr;
    const Variant* variant = reinterpret_cast<const Variant*>(descriptor);
    const LV2Product& product = variant->mTable->mProduct;
    if (!product.mFactory) return nullptr;

    auto instance = std::make_unique<LV2Instance>();
    auto* map = static_cast<LV2_URID_Map*>(const_cast<void*>(FindFeature(features, LV2_URID__map)));
    instance->mMap = map && map->map ? map : nullptr;
    instance->mStateKeyURI = std::string(product.mBaseURI) + "#state";

    IEffectLV2::InstanceInfo info;
    info.mSampleRate = rate;
    info.mBundlePath = bundlePath ? bundlePath : "";
    info.mBundleID = product.mBundleID ? product.mBundleID : "";
    info.mBaseURI = product.mBaseURI;
    info.mChannelIOIdx = variant->mChannelIOIdx;
    const int promised = BlockLengthFromOptions(
        static_cast<const LV2_Options_Option*>(FindFeature(features, LV2_OPTIONS__options)), instance->mMap);
    info.mBlockSize = promised > 0 ? promised : IEffectLV2::kDefaultBlockSize;

    instance->mPlug = product.mFactory(info);
    if (!instance->mPlug || !instance->mPlug->PrepareInstance()) return nullptr;
    return instance.release(); // freed by Cleanup
  } catch (...) {
    return nullptr;
  }
}
