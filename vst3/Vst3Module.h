#pragma once
// The COM objects a VST3 host sees: the factory of a product's one class, and the instance that is
// component, audio processor and edit controller at once over one IEffectVST3 product.
//
// One class rather than a processor and a controller joined by IConnectionPoint: the product keeps
// its parameters in one place, read by the audio thread and the editor alike, so a second copy
// synchronized through messages would only add a way for the two to disagree. Hosts find the
// controller by asking the component for IEditController (getControllerClassId answers kResultFalse).
#include <memory>

#include "vst3/IEffectVST3.h"

struct Vst3Product
{
  const char* mClassID; // 32 hex digits, the 16 bytes in order
  const char* mName;
  const char* mVendor;
  const char* mVersion;
  const char* mURL;
  const char* mEmail;
  const char* mSubCategories;
  const char* mBundleID; // the editor's images are registered under it
  std::unique_ptr<IEffectVST3> (*mMake)(const IEffectVST3::InstanceInfo& info);
};

// The module's bundle (the folder three levels above the binary that holds `symbol`) made known to
// the bundle registry, so that the editor finds its images there; without it the editor is blank.
void Vst3RegisterBundle(const void* symbol);

// 32 hex digits into the 16 bytes of an id; false for anything else.
bool Vst3ParseClassID(const char* hex, char out[16]);

class Vst3Factory final : public vst3::IPluginFactory2
{
public:
  explicit Vst3Factory(const Vst3Product& product);

  vst3::tresult queryInterface(const vst3::TUID iid, void** obj) override;
  // The factory is the module's static object: counting only keeps hosts' habits harmless.
  vst3::uint32 addRef() override { return 1; }
  vst3::uint32 release() override { return 1; }
  vst3::tresult getFactoryInfo(vst3::PFactoryInfo* info) override;
  vst3::int32 countClasses() override { return 1; }
  vst3::tresult getClassInfo(vst3::int32 index, vst3::PClassInfo* info) override;
  vst3::tresult createInstance(vst3::FIDString cid, vst3::FIDString iid, void** obj) override;
  vst3::tresult getClassInfo2(vst3::int32 index, vst3::PClassInfo2* info) override;

private:
  const Vst3Product& mProduct;
  char mClassID[16];
  bool mValid;
};
