#include "tools/play/JackPedal.h"

#include "tools/play/LiveUnit.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// libjack reports its own troubles on stderr, several lines for one refused connection; the
// command prints one line of its own instead.
void Quiet(const char*) {}

std::string PortName(const char* stem, int index, int channels)
{
  return channels == 1 ? std::string(stem) : std::string(stem) + "_" + std::to_string(index + 1);
}

} // namespace

JackPedal::~JackPedal()
{
  Close();
}

void JackPedal::Close()
{
  if (!mClient) return;
  if (mActive && !mGone.load()) jack_deactivate(mClient);
  mActive = false;
  jack_client_close(mClient);
  mClient = nullptr;
}

JackOpenResult JackPedal::Open(const std::string& clientName, int channels, std::string& error)
{
  jack_set_error_function(Quiet);
  jack_set_info_function(Quiet);
  if (channels < 1 || channels > kMaxChannels) {
    error = "the pedal has 1 or 2 channels";
    return JackOpenResult::kFailed;
  }
  jack_status_t status{};
  mClient = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
  if (!mClient) {
    if (status & JackServerFailed) {
      error = "no JACK server is running (start one with 'jackd -d dummy' or 'jackd -d alsa', or run a desktop's "
              "PipeWire with its JACK layer)";
      return JackOpenResult::kNoServer;
    }
    if (status & JackNameNotUnique)
      error = "a JACK client named '" + clientName + "' is already running (choose another with --client-name)";
    else {
      char code[16];
      std::snprintf(code, sizeof code, "0x%x", static_cast<unsigned>(status));
      error = "the JACK server refused the client '" + clientName + "' (status " + code + ")";
    }
    return JackOpenResult::kFailed;
  }
  mName = jack_get_client_name(mClient);
  mChannels = channels;
  for (int c = 0; c < channels; ++c) {
    mInputs[c] =
        jack_port_register(mClient, PortName("in", c, channels).c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    mOutputs[c] =
        jack_port_register(mClient, PortName("out", c, channels).c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
    if (!mInputs[c] || !mOutputs[c]) {
      error = "the JACK server refused to register the ports";
      Close();
      return JackOpenResult::kFailed;
    }
  }
  jack_set_process_callback(mClient, &JackPedal::OnProcess, this);
  jack_set_buffer_size_callback(mClient, &JackPedal::OnBufferSize, this);
  jack_set_sample_rate_callback(mClient, &JackPedal::OnSampleRate, this);
  jack_set_xrun_callback(mClient, &JackPedal::OnXrun, this);
  jack_set_latency_callback(mClient, &JackPedal::OnLatency, this);
  jack_on_info_shutdown(mClient, &JackPedal::OnShutdown, this);
  return JackOpenResult::kOpened;
}

bool JackPedal::Start(std::string& error)
{
  mPendingRate.store(jack_get_sample_rate(mClient));
  mPendingPeriod.store(jack_get_buffer_size(mClient));
  if (!Reconfigure(error)) return false;
  if (jack_activate(mClient) != 0) {
    error = "the JACK server refused to activate the client";
    return false;
  }
  mActive = true;
  return true;
}

bool JackPedal::Reconfigure(std::string& error)
{
  const double rate = mPendingRate.load();
  const int period = static_cast<int>(mPendingPeriod.load());
  mEngine.Suspend();
  // A smaller period needs no new set-up; a larger one or another rate does.
  if (rate != mRate.load() || period > mUnit.MaxFrames() || !mUnit.IsReady()) {
    if (!mUnit.Configure(rate, mChannels, period, error)) return false;
    mUnitLatency.store(mUnit.LatencyFrames());
    if (mClient && mActive) jack_recompute_total_latencies(mClient);
  }
  mRate.store(rate);
  mPeriod.store(period);
  mEngine.Resume();
  return true;
}

bool JackPedal::Service(std::string& error)
{
  if (mGone.load()) {
    error = ShutdownReason().empty() ? "the JACK server went away" : "the JACK server went away: " + ShutdownReason();
    return false;
  }
  if (mChanged.exchange(false) && !Reconfigure(error)) return false;
  return true;
}

std::string JackPedal::ShutdownReason() const
{
  return mGone.load() ? std::string(mReason) : std::string();
}

std::vector<std::string> JackPedal::PortNames() const
{
  std::vector<std::string> names;
  for (int c = 0; c < mChannels; ++c) names.push_back(jack_port_name(mInputs[c]));
  for (int c = 0; c < mChannels; ++c) names.push_back(jack_port_name(mOutputs[c]));
  return names;
}

float JackPedal::CpuLoad() const
{
  return mClient && !mGone.load() ? jack_cpu_load(mClient) : 0.0f;
}

int JackPedal::RoundTripLatency() const
{
  if (!mClient || mGone.load()) return 0;
  jack_latency_range_t capture{}, playback{};
  jack_port_get_latency_range(mInputs[0], JackCaptureLatency, &capture);
  jack_port_get_latency_range(mOutputs[0], JackPlaybackLatency, &playback);
  return static_cast<int>(capture.max + playback.max) + mUnitLatency.load();
}

bool JackPedal::Connect(const std::vector<std::string>& sources, const std::vector<std::string>& destinations,
                        std::string& error)
{
  const auto link = [&](const std::vector<std::string>& names, jack_port_t* const* ours, bool intoOurs) {
    // Name k goes with our port k (the last port when there are more names), and our ports beyond
    // the names with the last name: one guitar feeds both inputs, one output both speakers.
    const size_t count = names.empty() ? 0 : std::max(names.size(), static_cast<size_t>(mChannels));
    for (size_t k = 0; k < count; ++k) {
      const std::string& other = names[std::min(k, names.size() - 1)];
      const char* mine = jack_port_name(ours[std::min(k, static_cast<size_t>(mChannels - 1))]);
      const int result =
          intoOurs ? jack_connect(mClient, other.c_str(), mine) : jack_connect(mClient, mine, other.c_str());
      if (result != 0 && result != EEXIST) {
        error = "cannot connect " + (intoOurs ? other + " to " + mine : std::string(mine) + " to " + other) +
                (jack_port_by_name(mClient, other.c_str()) ? "" : " (there is no port '" + other + "')");
        return false;
      }
    }
    return true;
  };
  return link(sources, mInputs, true) && link(destinations, mOutputs, false);
}

bool JackPedal::ConnectPhysical(std::string& error)
{
  const auto physical = [this](unsigned long direction, size_t most) {
    std::vector<std::string> names;
    if (const char** ports =
            jack_get_ports(mClient, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | direction)) {
      for (const char** p = ports; *p && names.size() < most; ++p) names.push_back(*p);
      jack_free(ports);
    }
    return names;
  };
  // The system's capture ports are outputs of the graph, its playback ports inputs. As many
  // capture ports as we have inputs (an interface's other inputs stay out of the mix), and a pair
  // of speakers whether the effect is mono or stereo.
  const std::vector<std::string> capture = physical(JackPortIsOutput, static_cast<size_t>(mChannels)),
                                 playback = physical(JackPortIsInput, 2);
  if (capture.empty() && playback.empty()) {
    error = "the JACK server has no physical capture or playback ports to connect to";
    return false;
  }
  return Connect(capture, playback, error);
}

int JackPedal::OnProcess(jack_nframes_t frames, void* arg)
{
  JackPedal* self = static_cast<JackPedal*>(arg);
  float* in[kMaxChannels] = {};
  float* out[kMaxChannels] = {};
  for (int c = 0; c < self->mChannels; ++c) {
    in[c] = static_cast<float*>(jack_port_get_buffer(self->mInputs[c], frames));
    out[c] = static_cast<float*>(jack_port_get_buffer(self->mOutputs[c], frames));
  }
  self->mEngine.Cycle(in, out, self->mChannels, static_cast<int>(frames));
  return 0;
}

int JackPedal::OnBufferSize(jack_nframes_t frames, void* arg)
{
  JackPedal* self = static_cast<JackPedal*>(arg);
  // The engine itself leaves out periods longer than the unit takes until the control thread has
  // reconfigured it.
  self->mPendingPeriod.store(frames);
  self->mChanged.store(true);
  return 0;
}

int JackPedal::OnSampleRate(jack_nframes_t rate, void* arg)
{
  JackPedal* self = static_cast<JackPedal*>(arg);
  if (rate != self->mPendingRate.load()) self->mEngine.Disable();
  self->mPendingRate.store(rate);
  self->mChanged.store(true);
  return 0;
}

int JackPedal::OnXrun(void* arg)
{
  static_cast<JackPedal*>(arg)->mXruns.fetch_add(1);
  return 0;
}

void JackPedal::OnLatency(jack_latency_callback_mode_t mode, void* arg)
{
  // Our outputs lag our inputs by the plug-in's own latency, in both directions of the graph.
  JackPedal* self = static_cast<JackPedal*>(arg);
  const jack_nframes_t own = static_cast<jack_nframes_t>(self->mUnitLatency.load());
  for (int c = 0; c < self->mChannels; ++c) {
    jack_latency_range_t range{};
    if (mode == JackCaptureLatency) {
      jack_port_get_latency_range(self->mInputs[c], JackCaptureLatency, &range);
      range.min += own;
      range.max += own;
      jack_port_set_latency_range(self->mOutputs[c], JackCaptureLatency, &range);
    } else {
      jack_port_get_latency_range(self->mOutputs[c], JackPlaybackLatency, &range);
      range.min += own;
      range.max += own;
      jack_port_set_latency_range(self->mInputs[c], JackPlaybackLatency, &range);
    }
  }
}

void JackPedal::OnShutdown(jack_status_t, const char* reason, void* arg)
{
  JackPedal* self = static_cast<JackPedal*>(arg);
  if (reason) std::snprintf(self->mReason, sizeof self->mReason, "%s", reason);
  self->mGone.store(true);
}
