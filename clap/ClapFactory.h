#pragma once
// ClapFactory: a product as a CLAP module: one descriptor per channel variant, the plug-in factory
// that creates them, and the bookkeeping behind clap_entry's init and deinit.
//
// Each fixed pair of the product's channel-IO string ("1-1 2-2") is a plug-in of its own, with the
// product's id plus ".mono", ".stereo" or ".<n>in<m>out": two descriptors rather than one with
// "clap.audio-ports-config", so that every instance keeps one port layout for its whole life (a host
// never reconfigures a running instance, and sessions name the layout they were made with), as the
// LV2 bundle's plug-ins do. Features: "audio-effect", the product's category, "mono" or "stereo".
//
// The module is usable between init and deinit (counted: a host may call init again after deinit,
// and get_factory answers only in between). Main thread only, as the ABI has it.
#include <memory>
#include <string>
#include <vector>

#include "clap/IEffectCLAP.h"
#include "clap/abi/ClapPlugin.h"

struct ClapProduct
{
  const char* mID; // reverse-domain; each variant extends it
  const char* mName;
  const char* mVendor;
  const char* mURL;
  const char* mVersion;
  const char* mDescription;
  const char* mBundleID;
  const char* mChannelIO;
  const char* mCategory; // a feature word: "distortion", "utility", ...
  // Builds the product over the adapter; may throw.
  std::unique_ptr<IEffectCLAP> (*mMake)(const IEffectCLAP::InstanceInfo& info);
};

struct ClapVariant
{
  int mChannelIOIdx;
  int mIn, mOut;
  std::string mFragment; // "mono", "stereo", "3in4out"
};

// The fixed pairs of a channel-IO string, in its order, without repeats.
std::vector<ClapVariant> ClapVariants(const char* channelIO);

class ClapFactory
{
public:
  explicit ClapFactory(const ClapProduct& product);
  ClapFactory(const ClapFactory&) = delete;
  ClapFactory& operator=(const ClapFactory&) = delete;

  const clap_plugin_factory_t* Table() const { return &mRecord.mTable; }
  uint32_t Count() const { return static_cast<uint32_t>(mVariants.size()); }
  const clap_plugin_descriptor_t* Descriptor(uint32_t index) const;
  // Null for a host that is no compatible CLAP host, an id of none of ours, or a failed build.
  const clap_plugin_t* Create(const clap_host_t* host, const char* id) const;

private:
  struct Record
  {
    clap_plugin_factory_t mTable; // first: the host's pointer to it leads back here
    const ClapFactory* mOwner;
  };
  struct Described
  {
    std::string mID;
    std::vector<const char*> mFeatures;
    clap_plugin_descriptor_t mDescriptor;
  };

  ClapProduct mProduct;
  std::vector<ClapVariant> mVariants;
  std::vector<std::unique_ptr<Described>> mDescribed;
  Record mRecord;
};

// clap_entry's three functions for a product whose factory is `factory` (built on first use). The
// first init registers the folder "<plugin path>-resources" (the editor's Info.plist and images, as
// brindle_clap_bundle lays them out) with the bundle registry.
bool ClapModuleInit(const char* pluginPath);
void ClapModuleDeinit();
const void* ClapModuleGetFactory(const ClapFactory& factory, const char* factoryID);
