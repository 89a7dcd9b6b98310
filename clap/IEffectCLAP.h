#pragma once
// IEffectCLAP: the CLAP face of a plug-in object.
//
// A product class template instantiated over IEffectCLAP is one CLAP plug-in instance of one channel
// variant: the product's channel-IO string ("1-1 2-2") gives one descriptor per pair (ClapFactory.h),
// and InstanceInfo says which one the host created. The variant has one main input port and one main
// output port with the pair's channel counts, fixed for the instance's life.
//
// ClapPluginGlue.cpp turns the host's C calls into calls here. Each host call is checked before it
// does anything: the lifecycle stage it needs (created, initialized, active, processing) and, when
// the host offers "clap.thread-check", the thread the ABI assigns it. A call out of order or on the
// wrong thread is refused (false, CLAP_PROCESS_ERROR or nothing done) and logged through the host's
// "clap.log" when offered.
//
// Parameters: the id of a parameter is its index in the product, which the product's enumeration
// fixes; values are the product's real values. Events inside process take effect at their frame: the
// block is processed in pieces split there. What the editor changes goes to the host through a
// lock-free queue (ClapEventQueue.h), emitted from the next process or flush.
//
// The product builds its editor with every instance (it is cheap while nobody shows it); "clap.gui"
// shows it inside the host's X11 window, run by the host's timer and, when the host watches file
// descriptors, by the X connection's readiness (IEffectCLAPGui.cpp).
//
// Threads: Process and Flush run on the audio thread while active (Flush on the main thread while
// inactive) and allocate nothing; a parameter event takes the product's lock, which only a main-thread
// call of the host can hold at that moment. Everything else, the editor included, runs on the main
// thread.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "clap/ClapEventQueue.h"
#include "clap/abi/ClapAudioPorts.h"
#include "clap/abi/ClapGui.h"
#include "clap/abi/ClapParams.h"
#include "clap/abi/ClapSmallExtensions.h"
#include "clap/abi/ClapState.h"
#include "plugcore/IEffectBase.h"

// EAPI's open values: this adapter answers "" to GetAPIStr as the LV2 one does.
constexpr EAPI kAPICLAP = static_cast<EAPI>(7);

class ClapEditorWindow;

class IEffectCLAP : public IEffectBase
{
public:
  // The product builds its editor with every instance; "clap.gui" shows it in the host's window.
  static constexpr bool kMakesEditor = true;
  // Fixed period of the host timer that drives an open editor (events, redraws), in milliseconds.
  static constexpr uint32_t kEditorTimerMs = 20;
  // Largest piece processed at once; a host's longer blocks are processed in pieces.
  static constexpr int kMaxBlockSize = 8192;
  // Editor changes held for the host between two process or flush calls.
  static constexpr size_t kHostQueueSize = 512;
  // Largest state accepted from a host; ours are a few dozen bytes.
  static constexpr size_t kMaxStateSize = 1 << 20;

  enum EStage { kCreated, kInitialized, kActive, kProcessing };

  struct InstanceInfo
  {
    const clap_host_t* mHost = nullptr;
    std::string mBundleID;
    int mChannelIOIdx = 0; // pair of the channel-IO string this instance is
  };

  // Arguments in the same order as every adapter's; all but the first and the last go to
  // IEffectBase. Side-chain channels have no port here and must be 0.
  IEffectCLAP(InstanceInfo info, int nParams, const char* channelIOStr, int nPresets, const char* effectName,
              const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
              bool spareFlag, bool plugDoesChunks, bool plugIsInst, int plugScChans);
  ~IEffectCLAP() override;

  // ---- Lifecycle (IEffectCLAP.cpp); each false or ignored when out of order or on the wrong thread ----
  bool Init();
  bool Activate(double sampleRate, uint32_t minFrames, uint32_t maxFrames);
  void Deactivate();
  bool StartProcessing();
  void StopProcessing();
  void ResetProcessing();
  // Before destruction: deactivates an instance the host left active.
  void Teardown();
  EStage Stage() const { return mStage.load(std::memory_order_acquire); }

  // ---- Audio (IEffectCLAPProcess.cpp) ----
  clap_process_status Process(const clap_process_t* process);
  void Flush(const clap_input_events_t* in, const clap_output_events_t* out);

  // ---- Ports ----
  uint32_t PortCount(bool isInput) const;
  bool PortInfo(uint32_t index, bool isInput, clap_audio_port_info_t* info) const;

  // ---- Parameters (IEffectCLAPParams.cpp) ----
  uint32_t ParamCount() const;
  bool ParamInfo(uint32_t index, clap_param_info_t* info) const;
  bool ParamValue(clap_id id, double* value);
  bool ValueToText(clap_id id, double value, char* out, uint32_t capacity) const;
  bool TextToValue(clap_id id, const char* text, double* value) const;

  // ---- State (IEffectCLAPState.cpp) ----
  bool SaveState(const clap_ostream_t* stream);
  // All or nothing: junk, a truncated or longer state, another plug-in's or a newer format's state,
  // a value outside its parameter's range is refused and leaves every parameter as it was.
  bool LoadState(const clap_istream_t* stream);

  // ---- Editor (IEffectCLAPGui.cpp): embedded in the host's X11 window, of a fixed size at its scale ----
  //
  // Created only with a host that offers "clap.timer-support", whose timer then runs the editor's X
  // events and redraws on the host's main thread; without it, create is refused rather than a
  // thread started behind the host's back. A host that also offers "clap.posix-fd-support" is asked to
  // watch the X connection while the editor's window is open, and OnFd then handles input as it
  // arrives; the timer still redraws. Main thread only, as the ABI has it.
  //
  // Sizes are physical pixels, as X11's are in CLAP: the editor's size at the scale the host set
  // (1 from create until it sets one).
  bool GuiApiSupported(const char* api, bool floating) const;
  bool GuiCreate(const char* api, bool floating);
  void GuiDestroy();
  // The host's factor, held to what the editor draws (IGraphics::SetScale): true when applied as
  // given. A new size while the window is open remakes it at that size and asks the host for the
  // room through "clap.gui"'s request_resize when offered.
  bool GuiSetScale(double scale);
  bool GuiSize(uint32_t* width, uint32_t* height) const;
  // The only size there is.
  bool GuiAdjustSize(uint32_t* width, uint32_t* height) const;
  bool GuiSetSize(uint32_t width, uint32_t height) const;
  bool GuiSetParent(const clap_window_t* window);
  bool GuiShow(bool visible);
  void OnTimer(clap_id timer);
  void OnFd(int fd, clap_posix_fd_flags_t flags);
  unsigned long GuiXWindow() const; // the editor's X window while one is open (tests)

  // ---- Latency, tail, render ----
  uint32_t LatencyFrames() const;
  uint32_t TailFrames() const;
  bool SetRenderMode(clap_plugin_render_mode mode);

  // Whether the calling thread is the one the ABI assigns: true when the host offers no way to tell.
  bool OnMainThread() const;
  bool OnAudioThread() const;
  // A refusal, through the host's log when it has one.
  void LogMisbehaviour(const char* what) const;

  const InstanceInfo& GetInstanceInfo() const { return mInfo; }
  const char* GetBundleID() const { return mInfo.mBundleID.c_str(); }
  int NInPort() const { return mNIn; }
  int NOutPort() const { return mNOut; }

  // ---- IEffectBase's host operations ----
  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalizedValue) override;
  void EndInformHostOfParamChange(int idx) override;
  void InformHostOfProgramChange() override;
  bool IsRenderingOffline() override { return mOffline.load(std::memory_order_relaxed); }
  int GetSamplePos() override { return mSamplePos; }
  double GetTempo() override { return 0.0; }
  void GetTimeSig(int*, int*) override {}
  void GetTime(ITimeInfo* pTimeInfo) override;
  void ResizeGraphics(int, int) override {}
  bool SendMidiMsg(IMidiMsg*) override { return false; }

private:
  // A host parameter value: clamped into the parameter (switches and whole numbers rounded), under
  // the product's lock, the product told. Ignored for an unknown id or a value that is not finite.
  void ApplyParamValue(clap_id id, double value);
  void ApplyEvent(const clap_event_header_t* event);
  void ProcessPiece(const clap_process_t* process, uint32_t start, uint32_t end);
  void DrainToHost(const clap_output_events_t* out);
  // False when the queue was full and the event is lost.
  bool QueueForHost(const ClapHostEvent& event);
  bool ValidBuffers(const clap_process_t* process) const;
  // Asks the host to watch the open editor's X connection, or to stop (IEffectCLAPGui.cpp).
  void WatchConnection();
  void UnwatchConnection();

  InstanceInfo mInfo;
  int mNIn = 0, mNOut = 0; // the variant's channel counts
  std::atomic<EStage> mStage{kCreated};
  std::atomic<bool> mOffline{false};
  uint32_t mMaxFrames = 0;
  int mSamplePos = 0;
  // Host extensions, read once in Init.
  const clap_host_thread_check_t* mThreadCheck = nullptr;
  const clap_host_log_t* mLog = nullptr;
  const clap_host_params_t* mHostParams = nullptr;
  const clap_host_state_t* mHostState = nullptr;
  const clap_host_timer_support_t* mHostTimers = nullptr;
  const clap_host_posix_fd_support_t* mHostFds = nullptr;
  const clap_host_gui_t* mHostGui = nullptr;
  // The editor's place in the host (IEffectCLAPGui.cpp).
  std::unique_ptr<ClapEditorWindow> mEditorWindow;
  bool mGuiCreated = false;
  clap_id mTimer = CLAP_INVALID_ID;
  int mWatchedFd = -1; // registered with the host
  ClapEventQueue mToHost{kHostQueueSize};
  std::vector<bool> mBeginDropped; // per parameter, editor thread only: its gesture's end is left out too
  std::vector<float*> mInPtrs;     // per-piece channel pointers handed to the base
  std::vector<float*> mOutPtrs;
};
