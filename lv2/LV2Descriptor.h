#pragma once
// LV2Descriptor: the C face of a product's LV2 bundle. A product's generated entry file
// (LV2Entry.cpp.in) names its factory and identity in an LV2Product and answers the host's
// lv2_descriptor calls from the LV2DescriptorTable made of it: one descriptor per variant
// (LV2PortLayout.h), whose callbacks build, run and free IEffectLV2 objects.
//
// The plug-in needs no host feature. It uses urid:map (for the options and the state) and the
// options' buf-size:maxBlockLength or nominalBlockLength when the host gives them. Sample rates
// outside kMinSampleRate .. kMaxSampleRate are refused. Every callback is a firewall: nothing
// thrown inside reaches the host (instantiate returns null, the state calls an error).
#include <memory>
#include <string>
#include <vector>

#include <lv2/core/lv2.h>

#include "lv2/IEffectLV2.h"

using LV2ProductFactory = std::unique_ptr<IEffectLV2> (*)(const IEffectLV2::InstanceInfo& info);

struct LV2Product
{
  const char* mBaseURI;   // the product's URI; variants add "#mono", "#stereo", ...
  const char* mBundleID;  // reverse-domain identifier, handed to each instance
  const char* mChannelIO; // the same channel-IO string the product gives its base
  LV2ProductFactory mFactory;
};

class LV2DescriptorTable
{
public:
  static constexpr double kMinSampleRate = 1000.0;
  static constexpr double kMaxSampleRate = 1536000.0;

  explicit LV2DescriptorTable(const LV2Product& product);
  LV2DescriptorTable(const LV2DescriptorTable&) = delete;
  LV2DescriptorTable& operator=(const LV2DescriptorTable&) = delete;

  // Null past the last variant.
  const LV2_Descriptor* Get(uint32_t index) const;
  uint32_t Size() const { return static_cast<uint32_t>(mVariants.size()); }

  // The plug-in object behind an instance handle this table's descriptors made.
  static IEffectLV2* GetPlug(LV2_Handle handle);

  struct Variant
  {
    LV2_Descriptor mDescriptor; // first, so that a descriptor pointer leads back to its Variant
    const LV2DescriptorTable* mTable;
    int mChannelIOIdx;
  };

private:
  LV2Product mProduct;
  std::vector<std::string> mURIs;
  std::vector<std::unique_ptr<Variant>> mVariants;

  static LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double rate, const char* bundlePath,
                                const LV2_Feature* const* features);
};
