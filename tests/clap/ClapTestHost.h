// ClapTestHost: a CLAP host as strict as the ABI allows, for driving our modules in tests.
//
// - ClapModule loads a module with dlopen, compares clap_entry's version, calls init with the
//   module's path and deinit when done.
// - StrictHost is the host record. It offers every host extension our plug-ins may ask for
//   ("clap.thread-check", "clap.log", "clap.params", "clap.state", "clap.latency",
//   "clap.timer-support", "clap.gui", "clap.posix-fd-support"), all but the last (kOffersNoFds), or
//   none at all (kOffersNothing). Whatever the plug-in calls on it is checked against the thread the
//   ABI assigns it and against the lifecycle (no host call before init); descriptors must be valid,
//   registered once, with flags the ABI defines; timers and descriptors still registered when the
//   host's last plug-in is destroyed are breaches too; of "clap.gui" an embedded editor may only ask
//   to be resized (recorded, answered with mAcceptsResize). Every breach is recorded in Violations().
//   The thread that made the host is its main thread; OnAudioThread runs a piece of work on a thread
//   of its own that the thread-check answers as the audio thread.
// - StrictPlugin creates and initializes a plug-in and takes it through the lifecycle only in the
//   orders the ABI allows, asking for each extension before using it (a test calls the record's
//   functions directly to behave badly on purpose).
// - AudioBlock, InputEvents and OutputEvents are the buffers and event lists of one process call.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "clap/abi/ClapAudioPorts.h"
#include "clap/abi/ClapGui.h"
#include "clap/abi/ClapParams.h"
#include "clap/abi/ClapPlugin.h"
#include "clap/abi/ClapSmallExtensions.h"
#include "clap/abi/ClapState.h"

class ClapModule
{
public:
  explicit ClapModule(const std::string& path);
  ~ClapModule();
  ClapModule(const ClapModule&) = delete;
  ClapModule& operator=(const ClapModule&) = delete;

  bool Loaded() const { return mFactory != nullptr; }
  const std::string& Error() const { return mError; }
  const clap_plugin_entry_t* Entry() const { return mEntry; }
  const clap_plugin_factory_t* Factory() const { return mFactory; }

private:
  void* mHandle = nullptr;
  const clap_plugin_entry_t* mEntry = nullptr;
  const clap_plugin_factory_t* mFactory = nullptr;
  std::string mError;
};

class StrictHost
{
public:
  enum EOffer { kOffersAll, kOffersNoFds, kOffersNothing };
  explicit StrictHost(EOffer offer = kOffersAll, clap_version_t version = CLAP_VERSION);
  StrictHost(const StrictHost&) = delete;
  StrictHost& operator=(const StrictHost&) = delete;

  const clap_host_t* Host() const { return &mHost; }
  bool OffersAll() const { return mOffer == kOffersAll; }

  // Runs work on a thread the thread-check answers as the audio thread, and waits for it.
  void OnAudioThread(const std::function<void()>& work);
  bool IsMainThread() const { return std::this_thread::get_id() == mMainThread; }
  static bool IsAudioThread();

  // One turn of the host's event loop over the registered descriptors: waits up to timeoutMs for one
  // to be ready as registered and hands each ready one to the plug-in's on_fd. The number of calls.
  int RunFds(const clap_plugin_t* plugin, const clap_plugin_posix_fd_support_t* fds, int timeoutMs);
  // StrictPlugin counts the host's live plug-ins.
  void PluginMade() { ++mLivePlugins; }
  void PluginDestroyed();

  // Host calls are allowed once a plug-in's init has begun (StrictPlugin says when).
  void AllowHostCalls() { mHostCallsAllowed = true; }

  std::vector<std::string> Violations() const { return mViolations; }
  void Violation(const std::string& what) { mViolations.push_back(what); }

  // What the plug-in asked of the host.
  int mFlushRequests = 0;
  int mDirtyMarks = 0;
  int mRescans = 0;
  std::vector<std::string> mLogged; // "severity: message"
  std::vector<clap_id> mTimers;     // registered and not yet unregistered
  struct WatchedFd
  {
    int mFd;
    clap_posix_fd_flags_t mFlags;
  };
  std::vector<WatchedFd> mFds; // likewise
  struct Size
  {
    uint32_t mWidth, mHeight;
  };
  std::vector<Size> mResizeRequests; // clap.gui's request_resize, in order
  bool mAcceptsResize = true;        // its answer

private:
  static const void* GetExtension(const clap_host_t* host, const char* id);
  static StrictHost& Of(const clap_host_t* host) { return *static_cast<StrictHost*>(host->host_data); }
  void RequireMain(const char* call);
  WatchedFd* FindFd(int fd);
  // False, with a breach recorded, unless fd is open, flags are a mask of the ABI's and fd is (or is
  // not yet) registered.
  bool CheckFd(const char* call, int fd, clap_posix_fd_flags_t flags, bool registered);

  EOffer mOffer;
  clap_host_t mHost;
  std::thread::id mMainThread;
  bool mHostCallsAllowed = false;
  int mLivePlugins = 0;
  std::vector<std::string> mViolations; // appended only from the main thread or under the audio join
};

class StrictPlugin
{
public:
  // Creates plugin `id` and initializes it; Ok() says whether both worked.
  StrictPlugin(StrictHost& host, const clap_plugin_factory_t* factory, const char* id);
  // Stops, deactivates and destroys it in the allowed order.
  ~StrictPlugin();
  StrictPlugin(const StrictPlugin&) = delete;
  StrictPlugin& operator=(const StrictPlugin&) = delete;

  bool Ok() const { return mPlugin && mInitialized; }
  const clap_plugin_t* Raw() const { return mPlugin; }
  StrictHost& Host() { return mHost; }

  // The extension, asked for once; null when not offered.
  template <class T>
  const T* Ext(const char* id)
  {
    return static_cast<const T*>(Extension(id));
  }

  bool Activate(double rate = 48000.0, uint32_t minFrames = 1, uint32_t maxFrames = 4096);
  void Deactivate();
  // Runs work between start_processing and stop_processing on the audio thread.
  bool Processing(const std::function<void()>& work);

private:
  const void* Extension(const char* id);

  StrictHost& mHost;
  const clap_plugin_t* mPlugin = nullptr;
  bool mInitialized = false;
  bool mActive = false;
  std::vector<std::pair<std::string, const void*>> mExtensions;
};

// Owned event records handed to a plug-in in time order.
class InputEvents
{
public:
  InputEvents();
  void AddParamValue(uint32_t time, clap_id id, double value);
  void AddGesture(uint32_t time, clap_id id, bool begin);
  // An event of another kind or space (ignored by our plug-ins).
  void AddOther(uint32_t time, uint16_t space, uint16_t type);
  const clap_input_events_t* List() const { return &mList; }
  size_t Size() const { return mEvents.size(); }

private:
  std::vector<std::vector<unsigned char>> mEvents;
  clap_input_events_t mList;
};

class OutputEvents
{
public:
  // A host with room for `capacity` events per call.
  explicit OutputEvents(size_t capacity = 1024);
  const clap_output_events_t* List() const { return &mList; }
  struct Seen
  {
    uint16_t mType;
    clap_id mParamID;
    double mValue;
  };
  std::vector<Seen> mSeen;
  void Clear() { mSeen.clear(); }

private:
  size_t mCapacity;
  clap_output_events_t mList;
};

// Buffers for one process call: nIn input and nOut output channels of `frames` 32-bit samples.
class AudioBlock
{
public:
  AudioBlock(uint32_t nIn, uint32_t nOut, uint32_t frames);
  std::vector<float>& In(size_t c) { return mIn[c]; }
  std::vector<float>& Out(size_t c) { return mOut[c]; }
  // The process record for this block with the given events (null: an empty list).
  clap_process_t* Record(const clap_input_events_t* in = nullptr, const clap_output_events_t* out = nullptr);
  clap_audio_buffer_t& InBuffer() { return mInBuffer; }
  clap_audio_buffer_t& OutBuffer() { return mOutBuffer; }

private:
  std::vector<std::vector<float>> mIn, mOut;
  std::vector<float*> mInPtrs, mOutPtrs;
  clap_audio_buffer_t mInBuffer{}, mOutBuffer{};
  clap_process_t mProcess{};
  InputEvents mNoEvents;
  OutputEvents mSink;
};

// Byte streams for the state extension: reads in pieces of at most `piece` bytes, as hosts may.
struct MemoryStreams
{
  std::vector<unsigned char> mBytes;
  size_t mReadPos = 0;
  size_t mPiece = 7;
  clap_ostream_t Writer();
  clap_istream_t Reader();
};
