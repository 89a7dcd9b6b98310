// IEffectCLAP: construction, the lifecycle calls, ports, threads and the editor's way to the host.
#include "clap/IEffectCLAP.h"

#include "clap/ClapEditorWindow.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

template <class T>
const T* HostExtension(const clap_host_t* host, const char* id)
{
  return host && host->get_extension ? static_cast<const T*>(host->get_extension(host, id)) : nullptr;
}

} // namespace

IEffectCLAP::IEffectCLAP(InstanceInfo info, int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                         const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
                         int latency, bool spareFlag, bool plugDoesChunks, bool plugIsInst, int /*plugScChans*/)
    : IEffectBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID, mfrID,
                  latency, spareFlag, plugDoesChunks, plugIsInst, kAPICLAP),
      mInfo(std::move(info))
{
  // Until activation tells the rate; the product designs its filters for it now and again then.
  SetSampleRate(44100.0);
  if (const ChannelIO* pair = GetLegalIO(mInfo.mChannelIOIdx)) {
    mNIn = pair->mIn;
    mNOut = pair->mOut;
  }
  // The variant's channels come from the host; the others of the widest pair read the base's silent
  // scratch buffers and write into scratch buffers nobody reads.
  SetInputChannelConnections(0, mNIn, true);
  SetInputChannelConnections(mNIn, NInChannels() - mNIn, false);
  SetOutputChannelConnections(0, mNOut, true);
  SetOutputChannelConnections(mNOut, NOutChannels() - mNOut, false);
  mInPtrs.assign(static_cast<size_t>(mNIn > 0 ? mNIn : 0), nullptr);
  mOutPtrs.assign(static_cast<size_t>(mNOut > 0 ? mNOut : 0), nullptr);
  mBeginDropped.assign(static_cast<size_t>(NParams() > 0 ? NParams() : 0), false);
}

IEffectCLAP::~IEffectCLAP()
{
  // Before the base deletes the editor the window shows.
  mEditorWindow.reset();
}

bool IEffectCLAP::OnMainThread() const
{
  return !mThreadCheck || !mThreadCheck->is_main_thread || mThreadCheck->is_main_thread(mInfo.mHost);
}

bool IEffectCLAP::OnAudioThread() const
{
  return !mThreadCheck || !mThreadCheck->is_audio_thread || mThreadCheck->is_audio_thread(mInfo.mHost);
}

void IEffectCLAP::LogMisbehaviour(const char* what) const
{
  if (mLog && mLog->log)
    mLog->log(mInfo.mHost, CLAP_LOG_HOST_MISBEHAVING, what);
  else
    std::fprintf(stderr, "%s (CLAP): %s\n", GetEffectName(), what);
}

bool IEffectCLAP::Init()
{
  // Only now may the host's extensions be asked for; thread-check first, so that Init itself is checked.
  if (Stage() != kCreated) {
    LogMisbehaviour("init called twice");
    return false;
  }
  const clap_host_t* host = mInfo.mHost;
  mThreadCheck = HostExtension<clap_host_thread_check_t>(host, CLAP_EXT_THREAD_CHECK);
  mLog = HostExtension<clap_host_log_t>(host, CLAP_EXT_LOG);
  if (!OnMainThread()) {
    LogMisbehaviour("init called off the main thread");
    return false;
  }
  mHostParams = HostExtension<clap_host_params_t>(host, CLAP_EXT_PARAMS);
  mHostState = HostExtension<clap_host_state_t>(host, CLAP_EXT_STATE);
  mHostTimers = HostExtension<clap_host_timer_support_t>(host, CLAP_EXT_TIMER_SUPPORT);
  if (mHostTimers && (!mHostTimers->register_timer || !mHostTimers->unregister_timer)) mHostTimers = nullptr;
  mHostFds = HostExtension<clap_host_posix_fd_support_t>(host, CLAP_EXT_POSIX_FD_SUPPORT);
  if (mHostFds && (!mHostFds->register_fd || !mHostFds->modify_fd || !mHostFds->unregister_fd)) mHostFds = nullptr;
  mHostGui = HostExtension<clap_host_gui_t>(host, CLAP_EXT_GUI);
  if (mHostGui && !mHostGui->request_resize) mHostGui = nullptr;
  if (mNIn <= 0 || mNOut <= 0) return false;
  mStage.store(kInitialized, std::memory_order_release);
  return true;
}

bool IEffectCLAP::Activate(double sampleRate, uint32_t minFrames, uint32_t maxFrames)
{
  if (Stage() != kInitialized || !OnMainThread()) {
    LogMisbehaviour(Stage() == kCreated       ? "activate before init"
                    : Stage() != kInitialized ? "activate while active"
                                              : "activate off the main thread");
    return false;
  }
  if (!std::isfinite(sampleRate) || sampleRate <= 0.0 || sampleRate > 1.0e7 || maxFrames < 1 || minFrames > maxFrames) {
    LogMisbehaviour("activate with a sample rate or block sizes no audio has");
    return false;
  }
  mMaxFrames = maxFrames;
  const int blockSize = static_cast<int>(std::min<uint32_t>(maxFrames, kMaxBlockSize));
  SetBlockSize(blockSize);
  if (GetBlockSize() != blockSize) return false;
  SetSampleRate(sampleRate);
  mSamplePos = 0;
  Reset(); // the product redesigns for a new rate here
  OnActivate(true);
  mStage.store(kActive, std::memory_order_release);
  return true;
}

void IEffectCLAP::Deactivate()
{
  if (Stage() != kActive || !OnMainThread()) {
    LogMisbehaviour(Stage() == kProcessing ? "deactivate while processing" : "deactivate out of order");
    return;
  }
  OnActivate(false);
  mStage.store(kInitialized, std::memory_order_release);
}

bool IEffectCLAP::StartProcessing()
{
  if (Stage() != kActive || !OnAudioThread()) {
    LogMisbehaviour("start_processing while inactive, twice, or off the audio thread");
    return false;
  }
  mStage.store(kProcessing, std::memory_order_release);
  return true;
}

void IEffectCLAP::StopProcessing()
{
  if (Stage() != kProcessing || !OnAudioThread()) {
    LogMisbehaviour("stop_processing without start_processing, or off the audio thread");
    return;
  }
  mStage.store(kActive, std::memory_order_release);
}

void IEffectCLAP::ResetProcessing()
{
  if (Stage() < kActive || !OnAudioThread()) {
    LogMisbehaviour("reset while inactive or off the audio thread");
    return;
  }
  mSamplePos = 0;
  ZeroScratchBuffers();
}

void IEffectCLAP::Teardown()
{
  if (mGuiCreated) GuiDestroy();
  if (Stage() == kProcessing) mStage.store(kActive, std::memory_order_release);
  if (Stage() == kActive) {
    LogMisbehaviour("destroy while active");
    OnActivate(false);
    mStage.store(kInitialized, std::memory_order_release);
  }
}

uint32_t IEffectCLAP::PortCount(bool isInput) const
{
  return (isInput ? mNIn : mNOut) > 0 ? 1 : 0;
}

bool IEffectCLAP::PortInfo(uint32_t index, bool isInput, clap_audio_port_info_t* info) const
{
  if (!info || index >= PortCount(isInput)) return false;
  const int channels = isInput ? mNIn : mNOut;
  std::memset(info, 0, sizeof(*info));
  info->id = 0;
  std::snprintf(info->name, sizeof(info->name), "%s", isInput ? "In" : "Out");
  info->flags = CLAP_AUDIO_PORT_IS_MAIN;
  info->channel_count = static_cast<uint32_t>(channels);
  info->port_type = channels == 1 ? CLAP_PORT_MONO : channels == 2 ? CLAP_PORT_STEREO : nullptr;
  // Inputs are copied before any output is written, so one buffer may serve both.
  info->in_place_pair = mNIn == mNOut ? 0 : CLAP_INVALID_ID;
  return true;
}

uint32_t IEffectCLAP::LatencyFrames() const
{
  return static_cast<uint32_t>(std::max(GetLatency(), 0));
}

uint32_t IEffectCLAP::TailFrames() const
{
  // What the Audio Unit reports as its tail, in frames.
  return LatencyFrames();
}

bool IEffectCLAP::SetRenderMode(clap_plugin_render_mode mode)
{
  if (mode != CLAP_RENDER_REALTIME && mode != CLAP_RENDER_OFFLINE) return false;
  mOffline.store(mode == CLAP_RENDER_OFFLINE, std::memory_order_relaxed);
  return true;
}

bool IEffectCLAP::QueueForHost(const ClapHostEvent& event)
{
  const bool queued = mToHost.Push(event);
  // The host collects the queue at its next process call; while it is not processing, it is asked
  // for a flush.
  if (Stage() != kProcessing && mHostParams && mHostParams->request_flush) mHostParams->request_flush(mInfo.mHost);
  return queued;
}

void IEffectCLAP::BeginInformHostOfParamChange(int idx)
{
  if (idx < 0 || idx >= NParams()) return;
  // A gesture the full queue could not begin is left out whole: the host never sees an end alone.
  mBeginDropped[static_cast<size_t>(idx)] =
      !QueueForHost({ClapHostEvent::kGestureBegin, static_cast<uint32_t>(idx), 0.0});
}

void IEffectCLAP::InformHostOfParamChange(int idx, double /*normalizedValue*/)
{
  const IParam* param = GetParam(idx);
  if (!param) return;
  // The caller set the parameter first (snapped to its steps); its real value is what the host stores.
  QueueForHost({ClapHostEvent::kValue, static_cast<uint32_t>(idx), param->Value()});
  if (mHostState && mHostState->mark_dirty && OnMainThread()) mHostState->mark_dirty(mInfo.mHost);
}

void IEffectCLAP::EndInformHostOfParamChange(int idx)
{
  if (idx < 0 || idx >= NParams()) return;
  if (mBeginDropped[static_cast<size_t>(idx)])
    mBeginDropped[static_cast<size_t>(idx)] = false;
  else
    QueueForHost({ClapHostEvent::kGestureEnd, static_cast<uint32_t>(idx), 0.0});
}

void IEffectCLAP::InformHostOfProgramChange()
{
  if (mHostParams && mHostParams->rescan && OnMainThread()) mHostParams->rescan(mInfo.mHost, CLAP_PARAM_RESCAN_VALUES);
}

void IEffectCLAP::GetTime(ITimeInfo* pTimeInfo)
{
  if (pTimeInfo) pTimeInfo->mSamplePos = static_cast<double>(mSamplePos);
}
