// SoakLV2Host: one LV2 plug-in instance driven the way a host drives it, through the library's
// lv2_descriptor entry and the LV2 C interface only.
//
// Threads, as LV2 sets them out: Run is the audio thread; QueueControl may come from any thread
// and lands in a host-side queue (one slot per control port, latest value wins) that the audio
// thread copies into the ports just before run(), so the plug-in only ever reads its control ports
// between runs of its own thread. Save may run beside run() (the state interface's own threading
// class); Restore may not, so it takes the lock each Run holds, as a host pauses its audio thread.
#pragma once

#include "tools/files/LV2Description.h"

#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// urid:map, callable from any thread.
class SoakURIDMap
{
public:
  SoakURIDMap() : mFeature{this, &Map} {}
  LV2_URID_Map* Feature() { return &mFeature; }
  LV2_URID Get(const char* uri) { return Map(this, uri); }

private:
  static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri);
  std::mutex mMutex;
  std::map<std::string, LV2_URID> mIds;
  LV2_URID_Map mFeature;
};

// The properties a plug-in stored, as a host keeps them with a session.
struct SoakLV2State
{
  struct Value
  {
    LV2_URID type = 0;
    std::uint32_t flags = 0;
    std::vector<unsigned char> bytes;
    bool operator==(const Value& o) const { return type == o.type && flags == o.flags && bytes == o.bytes; }
  };
  std::map<LV2_URID, Value> properties;
  bool operator==(const SoakLV2State& o) const { return properties == o.properties; }
  bool operator!=(const SoakLV2State& o) const { return !(*this == o); }
};

class SoakLV2Host
{
public:
  SoakLV2Host() = default;
  ~SoakLV2Host();
  SoakLV2Host(const SoakLV2Host&) = delete;
  SoakLV2Host& operator=(const SoakLV2Host&) = delete;

  // Reads the bundle's description of `uri`, loads its library, instantiates it at `rate` for
  // blocks of at most maxFrames and activates it. False with a one-line reason.
  bool Open(const std::string& bundle, const std::string& uri, double rate, int maxFrames, std::string& error);
  int AudioIns() const { return static_cast<int>(mAudioIn.size()); }
  int AudioOuts() const { return static_cast<int>(mAudioOut.size()); }
  // The control inputs, in port order.
  const std::vector<LV2Port>& Controls() const { return mControls; }

  // Audio thread: queued control values into the ports, then one run() over the caller's buffers.
  void Run(const float* const* in, float* const* out, int frames);
  // Any thread: the next value for control `control` (an index into Controls()).
  void QueueControl(int control, float value);

  // State thread. Save beside the audio thread; Restore paused against it.
  bool Save(SoakLV2State& out, std::string& error);
  // `before` and `after`, when given, receive the state saved right before and right after the
  // restore, with no run() in between.
  bool Restore(const SoakLV2State& state, std::string& error, SoakLV2State* before = nullptr,
               SoakLV2State* after = nullptr);

private:
  bool SaveInto(SoakLV2State& out, std::string& error);
  static LV2_State_Status Store(LV2_State_Handle handle, std::uint32_t key, const void* value, size_t size,
                                std::uint32_t type, std::uint32_t flags);
  static const void* Retrieve(LV2_State_Handle handle, std::uint32_t key, size_t* size, std::uint32_t* type,
                              std::uint32_t* flags);

  void* mLibrary = nullptr;
  const LV2_Descriptor* mDescriptor = nullptr;
  LV2_Handle mInstance = nullptr;
  const LV2_State_Interface* mState = nullptr;
  bool mActive = false;

  SoakURIDMap mMap;
  std::int32_t mBlockLength = 0;
  std::vector<LV2_Feature> mFeatureStore;
  std::vector<const LV2_Feature*> mFeatures;
  std::vector<LV2_Options_Option> mOptions;

  std::vector<std::uint32_t> mAudioIn, mAudioOut; // port indices
  std::vector<LV2Port> mControls;
  std::vector<float> mControlPorts;              // the memory the plug-in reads
  std::unique_ptr<std::atomic<float>[]> mQueued; // latest value asked for per control
  std::vector<float> mOutputControls;            // latency and any other output
  std::mutex mRunMutex;                          // held by Run, taken by Restore
};
