#include "tests/clap/ClapTestHost.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>

#include <algorithm>
#include <cstring>

// ---- ClapModule ----

ClapModule::ClapModule(const std::string& path)
{
  mHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!mHandle) {
    mError = dlerror();
    return;
  }
  mEntry = static_cast<const clap_plugin_entry_t*>(dlsym(mHandle, "clap_entry"));
  if (!mEntry) {
    mError = "no clap_entry";
    return;
  }
  if (!clap_version_is_compatible(mEntry->clap_version)) {
    mError = "clap_entry's version is not 1.x";
    mEntry = nullptr;
    return;
  }
  // A strict host asks for the factory only between init and deinit.
  if (mEntry->get_factory(CLAP_PLUGIN_FACTORY_ID)) {
    mError = "the factory was handed out before init";
    mEntry = nullptr;
    return;
  }
  if (!mEntry->init(path.c_str())) {
    mError = "init failed";
    mEntry = nullptr;
    return;
  }
  mFactory = static_cast<const clap_plugin_factory_t*>(mEntry->get_factory(CLAP_PLUGIN_FACTORY_ID));
  if (!mFactory) mError = "no plug-in factory";
}

ClapModule::~ClapModule()
{
  if (mEntry) mEntry->deinit();
  if (mHandle) dlclose(mHandle);
}

// ---- StrictHost ----

namespace {
thread_local bool tAudioThread = false;

const clap_host_thread_check_t kThreadCheck = {
    [](const clap_host_t* h) { return static_cast<StrictHost*>(h->host_data)->IsMainThread(); },
    [](const clap_host_t*) { return StrictHost::IsAudioThread(); },
};
} // namespace

bool StrictHost::IsAudioThread()
{
  return tAudioThread;
}

StrictHost::StrictHost(EOffer offer, clap_version_t version) : mOffer(offer), mMainThread(std::this_thread::get_id())
{
  mHost = {version, this, "Brindle strict test host", "tallowby", "", "1.0", &GetExtension, nullptr, nullptr, nullptr};
  mHost.request_restart = [](const clap_host_t* h) {
    if (!Of(h).mHostCallsAllowed) Of(h).Violation("request_restart before init");
  };
  mHost.request_process = [](const clap_host_t* h) {
    if (!Of(h).mHostCallsAllowed) Of(h).Violation("request_process before init");
  };
  mHost.request_callback = [](const clap_host_t* h) {
    if (!Of(h).mHostCallsAllowed) Of(h).Violation("request_callback before init");
  };
}

void StrictHost::RequireMain(const char* call)
{
  if (!mHostCallsAllowed) Violation(std::string(call) + " before init");
  if (!IsMainThread()) Violation(std::string(call) + " off the main thread");
}

const void* StrictHost::GetExtension(const clap_host_t* host, const char* id)
{
  StrictHost& self = Of(host);
  if (!self.mHostCallsAllowed) self.Violation(std::string("get_extension(") + (id ? id : "null") + ") before init");
  if (!id || self.mOffer == kOffersNothing) return nullptr;

  static const clap_host_log_t kLog = {[](const clap_host_t* h, clap_log_severity severity, const char* msg) {
    Of(h).mLogged.push_back(std::to_string(severity) + ": " + (msg ? msg : ""));
  }};
  static const clap_host_params_t kParams = {
      [](const clap_host_t* h, clap_param_rescan_flags) {
        Of(h).RequireMain("params.rescan");
        ++Of(h).mRescans;
      },
      [](const clap_host_t* h, clap_id, clap_param_clear_flags) { Of(h).RequireMain("params.clear"); },
      [](const clap_host_t* h) {
        // Any thread, but never from within the audio thread's process... which is allowed too.
        if (!Of(h).mHostCallsAllowed) Of(h).Violation("request_flush before init");
        ++Of(h).mFlushRequests;
      },
  };
  static const clap_host_state_t kState = {[](const clap_host_t* h) {
    Of(h).RequireMain("state.mark_dirty");
    ++Of(h).mDirtyMarks;
  }};
  static const clap_host_latency_t kLatency = {[](const clap_host_t* h) { Of(h).RequireMain("latency.changed"); }};

  static const clap_host_timer_support_t kTimers = {
      [](const clap_host_t* h, uint32_t period, clap_id* timerID) {
        StrictHost& target = Of(h);
        target.RequireMain("register_timer");
        if (!timerID || period == 0) return false;
        static clap_id next = 1;
        *timerID = next++;
        target.mTimers.push_back(*timerID);
        return true;
      },
      [](const clap_host_t* h, clap_id timerID) {
        StrictHost& target = Of(h);
        target.RequireMain("unregister_timer");
        const auto it = std::find(target.mTimers.begin(), target.mTimers.end(), timerID);
        if (it == target.mTimers.end()) {
          target.Violation("unregister_timer of a timer not registered");
          return false;
        }
        target.mTimers.erase(it);
        return true;
      },
  };
  // Every misuse is a breach and refused, as a host's reactor would refuse it.
  static const clap_host_posix_fd_support_t kFds = {
      [](const clap_host_t* h, int fd, clap_posix_fd_flags_t flags) {
        StrictHost& target = Of(h);
        target.RequireMain("register_fd");
        if (!target.CheckFd("register_fd", fd, flags, false)) return false;
        target.mFds.push_back({fd, flags});
        return true;
      },
      [](const clap_host_t* h, int fd, clap_posix_fd_flags_t flags) {
        StrictHost& target = Of(h);
        target.RequireMain("modify_fd");
        if (!target.CheckFd("modify_fd", fd, flags, true)) return false;
        target.FindFd(fd)->mFlags = flags;
        return true;
      },
      [](const clap_host_t* h, int fd) {
        StrictHost& target = Of(h);
        target.RequireMain("unregister_fd");
        WatchedFd* watched = target.FindFd(fd);
        if (!watched) {
          target.Violation("unregister_fd of a descriptor not registered");
          return false;
        }
        target.mFds.erase(target.mFds.begin() + (watched - target.mFds.data()));
        return true;
      },
  };

  // An embedded editor only asks to be resized; a zero size is no size.
  static const clap_host_gui_t kGui = {
      [](const clap_host_t* h) { Of(h).Violation("resize_hints_changed from an editor that cannot be resized"); },
      [](const clap_host_t* h, uint32_t width, uint32_t height) {
        StrictHost& target = Of(h);
        target.RequireMain("gui.request_resize"); // any thread, but ours come from the main one
        if (width == 0 || height == 0) target.Violation("gui.request_resize to an empty size");
        target.mResizeRequests.push_back({width, height});
        return target.mAcceptsResize;
      },
      [](const clap_host_t* h) {
        Of(h).Violation("gui.request_show: ours never asks");
        return false;
      },
      [](const clap_host_t* h) {
        Of(h).Violation("gui.request_hide: ours never asks");
        return false;
      },
      [](const clap_host_t* h, bool) { Of(h).Violation("gui.closed from an embedded editor"); },
  };

  if (!std::strcmp(id, CLAP_EXT_TIMER_SUPPORT)) return &kTimers;
  if (!std::strcmp(id, CLAP_EXT_GUI)) return &kGui;
  if (!std::strcmp(id, CLAP_EXT_POSIX_FD_SUPPORT)) return self.mOffer == kOffersAll ? &kFds : nullptr;
  if (!std::strcmp(id, CLAP_EXT_THREAD_CHECK)) return &kThreadCheck;
  if (!std::strcmp(id, CLAP_EXT_LOG)) return &kLog;
  if (!std::strcmp(id, CLAP_EXT_PARAMS)) return &kParams;
  if (!std::strcmp(id, CLAP_EXT_STATE)) return &kState;
  if (!std::strcmp(id, CLAP_EXT_LATENCY)) return &kLatency;
  return nullptr;
}

StrictHost::WatchedFd* StrictHost::FindFd(int fd)
{
  for (WatchedFd& watched : mFds)
    if (watched.mFd == fd) return &watched;
  return nullptr;
}

bool StrictHost::CheckFd(const char* call, int fd, clap_posix_fd_flags_t flags, bool registered)
{
  constexpr clap_posix_fd_flags_t kAll = CLAP_POSIX_FD_READ | CLAP_POSIX_FD_WRITE | CLAP_POSIX_FD_ERROR;
  std::string what;
  if (fd < 0 || fcntl(fd, F_GETFD) == -1)
    what = "a descriptor that is not open";
  else if (flags == 0 || (flags & ~kAll) != 0)
    what = "flags " + std::to_string(flags);
  else if ((FindFd(fd) != nullptr) != registered)
    what = registered ? "a descriptor not registered" : "a descriptor registered already";
  if (what.empty()) return true;
  Violation(std::string(call) + " with " + what);
  return false;
}

int StrictHost::RunFds(const clap_plugin_t* plugin, const clap_plugin_posix_fd_support_t* fds, int timeoutMs)
{
  std::vector<pollfd> polled;
  for (const WatchedFd& watched : mFds) {
    const short events = static_cast<short>(((watched.mFlags & CLAP_POSIX_FD_READ) ? POLLIN : 0) |
                                            ((watched.mFlags & CLAP_POSIX_FD_WRITE) ? POLLOUT : 0));
    polled.push_back({watched.mFd, events, 0});
  }
  if (polled.empty() || poll(polled.data(), polled.size(), timeoutMs) <= 0) return 0;
  int calls = 0;
  for (const pollfd& p : polled) {
    clap_posix_fd_flags_t flags = 0;
    if (p.revents & POLLIN) flags |= CLAP_POSIX_FD_READ;
    if (p.revents & POLLOUT) flags |= CLAP_POSIX_FD_WRITE;
    if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) flags |= CLAP_POSIX_FD_ERROR;
    // A descriptor the plug-in let go of during this turn is not reported.
    if (flags == 0 || !FindFd(p.fd)) continue;
    fds->on_fd(plugin, p.fd, flags);
    ++calls;
  }
  return calls;
}

void StrictHost::PluginDestroyed()
{
  if (--mLivePlugins > 0) return;
  if (!mTimers.empty()) Violation("a timer still registered after the last plug-in was destroyed");
  if (!mFds.empty()) Violation("a descriptor still registered after the last plug-in was destroyed");
}

void StrictHost::OnAudioThread(const std::function<void()>& work)
{
  std::thread audio([&] {
    tAudioThread = true;
    work();
  });
  audio.join();
}

// ---- StrictPlugin ----

StrictPlugin::StrictPlugin(StrictHost& host, const clap_plugin_factory_t* factory, const char* id) : mHost(host)
{
  if (!factory) return;
  mPlugin = factory->create_plugin(factory, host.Host(), id);
  if (!mPlugin) return;
  host.PluginMade();
  if (!mPlugin->desc || !clap_version_is_compatible(mPlugin->desc->clap_version) || !mPlugin->init ||
      !mPlugin->destroy || !mPlugin->process || !mPlugin->get_extension) {
    host.Violation("the plug-in record is incomplete or of an incompatible version");
    return;
  }
  host.AllowHostCalls();
  mInitialized = mPlugin->init(mPlugin);
}

StrictPlugin::~StrictPlugin()
{
  if (!mPlugin) return;
  if (mActive) Deactivate();
  mPlugin->destroy(mPlugin);
  mHost.PluginDestroyed();
}

const void* StrictPlugin::Extension(const char* id)
{
  for (const auto& [name, table] : mExtensions)
    if (name == id) return table;
  const void* table = mInitialized ? mPlugin->get_extension(mPlugin, id) : nullptr;
  mExtensions.emplace_back(id, table);
  return table;
}

bool StrictPlugin::Activate(double rate, uint32_t minFrames, uint32_t maxFrames)
{
  if (!Ok() || mActive) return false;
  mActive = mPlugin->activate(mPlugin, rate, minFrames, maxFrames);
  return mActive;
}

void StrictPlugin::Deactivate()
{
  if (!mActive) return;
  mPlugin->deactivate(mPlugin);
  mActive = false;
}

bool StrictPlugin::Processing(const std::function<void()>& work)
{
  if (!mActive) return false;
  bool started = false;
  mHost.OnAudioThread([&] {
    started = mPlugin->start_processing(mPlugin);
    if (!started) return;
    work();
    mPlugin->stop_processing(mPlugin);
  });
  return started;
}

// ---- Event lists ----

InputEvents::InputEvents()
{
  mList.ctx = this;
  mList.size = [](const clap_input_events_t* l) {
    return static_cast<uint32_t>(static_cast<const InputEvents*>(l->ctx)->mEvents.size());
  };
  mList.get = [](const clap_input_events_t* l, uint32_t index) -> const clap_event_header_t* {
    const auto& events = static_cast<const InputEvents*>(l->ctx)->mEvents;
    return index < events.size() ? reinterpret_cast<const clap_event_header_t*>(events[index].data()) : nullptr;
  };
}

void InputEvents::AddParamValue(uint32_t time, clap_id id, double value)
{
  clap_event_param_value_t e{};
  e.header = {sizeof(e), time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
  e.param_id = id;
  e.note_id = -1;
  e.port_index = e.channel = e.key = -1;
  e.value = value;
  const auto* bytes = reinterpret_cast<const unsigned char*>(&e);
  mEvents.emplace_back(bytes, bytes + sizeof(e));
}

void InputEvents::AddGesture(uint32_t time, clap_id id, bool begin)
{
  clap_event_param_gesture_t e{};
  e.header = {sizeof(e), time, CLAP_CORE_EVENT_SPACE_ID,
              static_cast<uint16_t>(begin ? CLAP_EVENT_PARAM_GESTURE_BEGIN : CLAP_EVENT_PARAM_GESTURE_END), 0};
  e.param_id = id;
  const auto* bytes = reinterpret_cast<const unsigned char*>(&e);
  mEvents.emplace_back(bytes, bytes + sizeof(e));
}

void InputEvents::AddOther(uint32_t time, uint16_t space, uint16_t type)
{
  // Sized and shaped like a value event, so a plug-in that ignored the space would act on it.
  clap_event_param_value_t e{};
  e.header = {sizeof(e), time, space, type, 0};
  e.value = 0.0;
  const auto* bytes = reinterpret_cast<const unsigned char*>(&e);
  mEvents.emplace_back(bytes, bytes + sizeof(e));
}

OutputEvents::OutputEvents(size_t capacity) : mCapacity(capacity)
{
  mList.ctx = this;
  mList.try_push = [](const clap_output_events_t* l, const clap_event_header_t* e) {
    auto* self = static_cast<OutputEvents*>(l->ctx);
    if (!e || self->mSeen.size() >= self->mCapacity) return false;
    Seen seen{e->type, CLAP_INVALID_ID, 0.0};
    if (e->type == CLAP_EVENT_PARAM_VALUE && e->size >= sizeof(clap_event_param_value_t)) {
      const auto* v = reinterpret_cast<const clap_event_param_value_t*>(e);
      seen.mParamID = v->param_id;
      seen.mValue = v->value;
    } else if ((e->type == CLAP_EVENT_PARAM_GESTURE_BEGIN || e->type == CLAP_EVENT_PARAM_GESTURE_END) &&
               e->size >= sizeof(clap_event_param_gesture_t)) {
      seen.mParamID = reinterpret_cast<const clap_event_param_gesture_t*>(e)->param_id;
    }
    self->mSeen.push_back(seen);
    return true;
  };
}

// ---- AudioBlock ----

AudioBlock::AudioBlock(uint32_t nIn, uint32_t nOut, uint32_t frames)
    : mIn(nIn, std::vector<float>(frames, 0.0f)), mOut(nOut, std::vector<float>(frames, 0.0f))
{
  for (auto& c : mIn) mInPtrs.push_back(c.data());
  for (auto& c : mOut) mOutPtrs.push_back(c.data());
  mInBuffer.data32 = mInPtrs.data();
  mInBuffer.channel_count = nIn;
  mOutBuffer.data32 = mOutPtrs.data();
  mOutBuffer.channel_count = nOut;
  mProcess.steady_time = -1;
  mProcess.frames_count = frames;
  mProcess.audio_inputs = &mInBuffer;
  mProcess.audio_outputs = &mOutBuffer;
  mProcess.audio_inputs_count = 1;
  mProcess.audio_outputs_count = 1;
}

clap_process_t* AudioBlock::Record(const clap_input_events_t* in, const clap_output_events_t* out)
{
  mProcess.in_events = in ? in : mNoEvents.List();
  mProcess.out_events = out ? out : mSink.List();
  return &mProcess;
}

// ---- MemoryStreams ----

clap_ostream_t MemoryStreams::Writer()
{
  return {this, [](const clap_ostream_t* s, const void* buffer, uint64_t size) -> int64_t {
            auto* self = static_cast<MemoryStreams*>(s->ctx);
            const size_t n = std::min<size_t>(size, self->mPiece);
            const auto* bytes = static_cast<const unsigned char*>(buffer);
            self->mBytes.insert(self->mBytes.end(), bytes, bytes + n);
            return static_cast<int64_t>(n);
          }};
}

clap_istream_t MemoryStreams::Reader()
{
  return {this, [](const clap_istream_t* s, void* buffer, uint64_t size) -> int64_t {
            auto* self = static_cast<MemoryStreams*>(s->ctx);
            const size_t n = std::min<size_t>({size, self->mPiece, self->mBytes.size() - self->mReadPos});
            if (n > 0) std::memcpy(buffer, self->mBytes.data() + self->mReadPos, n);
            self->mReadPos += n;
            return static_cast<int64_t>(n);
          }};
}
