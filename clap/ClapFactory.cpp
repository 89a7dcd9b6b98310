// ClapFactory: descriptors, the plug-in factory and the module's init count.
#include "clap/ClapFactory.h"

#include <CoreFoundation/CoreFoundation.h>

#include <cstdlib>
#include <cstring>
#include <sstream>

#include "clap/ClapPluginGlue.h"

std::vector<ClapVariant> ClapVariants(const char* channelIO)
{
  std::vector<ClapVariant> variants;
  std::istringstream words(channelIO ? channelIO : "");
  std::string word;
  for (int idx = 0; words >> word; ++idx) {
    const size_t dash = word.find('-');
    if (dash == std::string::npos) continue;
    char* end = nullptr;
    const long in = std::strtol(word.c_str(), &end, 10);
    if (end != word.c_str() + dash) continue;
    const long out = std::strtol(word.c_str() + dash + 1, &end, 10);
    if (*end != '\0' || in <= 0 || out <= 0 || in > IEffectBase::kMaxChannels || out > IEffectBase::kMaxChannels)
      continue; // wildcards and side chains have no fixed ports
    bool seen = false;
    for (const ClapVariant& v : variants) seen = seen || (v.mIn == in && v.mOut == out);
    if (seen) continue;
    std::string fragment = in == 1 && out == 1   ? "mono"
                           : in == 2 && out == 2 ? "stereo"
                                                 : std::to_string(in) + "in" + std::to_string(out) + "out";
    variants.push_back({idx, static_cast<int>(in), static_cast<int>(out), fragment});
  }
  return variants;
}

ClapFactory::ClapFactory(const ClapProduct& product) : mProduct(product), mVariants(ClapVariants(product.mChannelIO))
{
  for (const ClapVariant& variant : mVariants) {
    auto d = std::make_unique<Described>();
    d->mID = std::string(product.mID) + "." + variant.mFragment;
    d->mFeatures = {CLAP_PLUGIN_FEATURE_AUDIO_EFFECT};
    if (product.mCategory && *product.mCategory) d->mFeatures.push_back(product.mCategory);
    if (variant.mOut == 1) d->mFeatures.push_back(CLAP_PLUGIN_FEATURE_MONO);
    if (variant.mOut == 2) d->mFeatures.push_back(CLAP_PLUGIN_FEATURE_STEREO);
    d->mFeatures.push_back(nullptr);
    d->mDescriptor = {CLAP_VERSION, d->mID.c_str(),   product.mName,        product.mVendor,    product.mURL, "",
                      "",           product.mVersion, product.mDescription, d->mFeatures.data()};
    mDescribed.push_back(std::move(d));
  }
  mRecord.mOwner = this;
  mRecord.mTable.get_plugin_count = [](const clap_plugin_factory_t* f) -> uint32_t {
    return f ? reinterpret_cast<const Record*>(f)->mOwner->Count() : 0;
  };
  mRecord.mTable.get_plugin_descriptor = [](const clap_plugin_factory_t* f, uint32_t index) {
    return f ? reinterpret_cast<const Record*>(f)->mOwner->Descriptor(index) : nullptr;
  };
  mRecord.mTable.create_plugin = [](const clap_plugin_factory_t* f, const clap_host_t* host,
                                    const char* id) -> const clap_plugin_t* {
    try {
      return f ? reinterpret_cast<const Record*>(f)->mOwner->Create(host, id) : nullptr;
    } catch (...) {
      return nullptr;
    }
  };
}

const clap_plugin_descriptor_t* ClapFactory::Descriptor(uint32_t index) const
{
  return index < mDescribed.size() ? &mDescribed[index]->mDescriptor : nullptr;
}

const clap_plugin_t* ClapFactory::Create(const clap_host_t* host, const char* id) const
{
  if (!host || !id || !host->get_extension || !clap_version_is_compatible(host->clap_version)) return nullptr;
  for (size_t i = 0; i < mDescribed.size(); ++i) {
    if (mDescribed[i]->mID != id) continue;
    IEffectCLAP::InstanceInfo info;
    info.mHost = host;
    info.mBundleID = mProduct.mBundleID ? mProduct.mBundleID : "";
    info.mChannelIOIdx = mVariants[i].mChannelIOIdx;
    std::unique_ptr<IEffectCLAP> plug = mProduct.mMake(info);
    if (!plug || plug->NInPort() != mVariants[i].mIn || plug->NOutPort() != mVariants[i].mOut) return nullptr;
    return ClapWrapPlugin(&mDescribed[i]->mDescriptor, std::move(plug));
  }
  return nullptr;
}

namespace {
int sInitCount = 0; // main thread only
} // namespace

namespace {
// Makes the module's resource folder known to the bundle registry (the module's own copy), so that
// the editor finds its images. A module copied without it still works, with a blank editor.
void RegisterResources(const std::string& folder)
{
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(
      kCFAllocatorDefault, reinterpret_cast<const UInt8*>(folder.c_str()), static_cast<CFIndex>(folder.size()), true);
  CFBundleRef bundle = url ? CFBundleCreate(kCFAllocatorDefault, url) : nullptr;
  if (url) CFRelease(url);
  if (bundle) CFRelease(bundle); // the registry keeps every bundle it has seen
}
} // namespace

bool ClapModuleInit(const char* pluginPath)
{
  if (!pluginPath) return false;
  if (sInitCount++ == 0) RegisterResources(std::string(pluginPath) + "-resources");
  return true;
}

void ClapModuleDeinit()
{
  if (sInitCount > 0) --sInitCount;
}

const void* ClapModuleGetFactory(const ClapFactory& factory, const char* factoryID)
{
  if (sInitCount == 0 || !factoryID || std::strcmp(factoryID, CLAP_PLUGIN_FACTORY_ID) != 0) return nullptr;
  return factory.Table();
}
