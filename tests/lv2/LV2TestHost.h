#pragma once
// A minimal LV2 host for the in-process tests: a URID map, an options list, and an instance that
// owns its ports' memory and frees itself. It drives the test product's lv2_descriptor.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include "lv2/IEffectLV2.h"
#include "lv2/LV2Descriptor.h"

extern "C" const LV2_Descriptor* lv2_descriptor(uint32_t index);

class TestURIDMap
{
public:
  TestURIDMap() : mMap{this, &Map} {}
  LV2_URID Get(const char* uri) { return Map(this, uri); }
  LV2_URID_Map* Feature() { return &mMap; }

private:
  static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri)
  {
    auto& ids = static_cast<TestURIDMap*>(handle)->mIds;
    auto found = ids.find(uri);
    if (found != ids.end()) return found->second;
    const LV2_URID id = static_cast<LV2_URID>(ids.size() + 1);
    ids.emplace(uri, id);
    return id;
  }
  std::map<std::string, LV2_URID> mIds;
  LV2_URID_Map mMap;
};

class TestInstance
{
public:
  // Variant 0 is mono, 1 stereo. Every port is connected to memory of its own.
  TestInstance(uint32_t variant, double rate, const LV2_Feature* const* features = nullptr)
      : mDescriptor(lv2_descriptor(variant))
  {
    const LV2_Feature* const none[] = {nullptr};
    mHandle =
        mDescriptor ? mDescriptor->instantiate(mDescriptor, rate, "/nowhere/", features ? features : none) : nullptr;
    if (!mHandle) return;
    const LV2PortLayout& layout = Plug()->GetPortLayout();
    mControls.assign(static_cast<size_t>(layout.NParams()), 0.0f);
    for (int i = 0; i < layout.NParams(); ++i)
      mControls[static_cast<size_t>(i)] = static_cast<float>(Plug()->GetParam(i)->mDefault);
    for (uint32_t p = 0; p < layout.FirstControlPort(); ++p) mAudio.emplace_back();
    ConnectAll();
  }
  ~TestInstance()
  {
    if (mHandle) mDescriptor->cleanup(mHandle);
  }
  TestInstance(const TestInstance&) = delete;
  TestInstance& operator=(const TestInstance&) = delete;

  bool Ok() const { return mHandle != nullptr; }
  IEffectLV2* Plug() const { return LV2DescriptorTable::GetPlug(mHandle); }
  const LV2_Descriptor* Descriptor() const { return mDescriptor; }
  LV2_Handle Handle() const { return mHandle; }
  float& Control(int param) { return mControls[static_cast<size_t>(param)]; }
  float Latency() const { return mLatency; }
  // Audio port memory, resized (and reconnected) to hold nFrames.
  std::vector<float>& Audio(uint32_t port) { return mAudio[port]; }

  void Run(uint32_t nFrames)
  {
    for (auto& buffer : mAudio) buffer.resize(nFrames);
    ConnectAll();
    mDescriptor->run(mHandle, nFrames);
  }

  void ConnectAll()
  {
    const LV2PortLayout& layout = Plug()->GetPortLayout();
    for (uint32_t p = 0; p < layout.FirstControlPort(); ++p) mDescriptor->connect_port(mHandle, p, mAudio[p].data());
    for (int i = 0; i < layout.NParams(); ++i)
      mDescriptor->connect_port(mHandle, layout.FirstControlPort() + static_cast<uint32_t>(i),
                                &mControls[static_cast<size_t>(i)]);
    mDescriptor->connect_port(mHandle, layout.LatencyPort(), &mLatency);
  }

private:
  const LV2_Descriptor* mDescriptor;
  LV2_Handle mHandle = nullptr;
  std::vector<std::vector<float>> mAudio;
  std::vector<float> mControls;
  float mLatency = -1.0f;
};
