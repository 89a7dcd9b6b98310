// JackPedal: the effect as a client of a JACK server (jackd, or PipeWire's JACK layer).
//
// Open registers the client without ever starting a server, and mono or stereo in and out ports
// ("in"/"out", or "in_1", "in_2", "out_1", "out_2"). Start configures the unit at the server's rate
// and period and activates. From then on the server's process thread runs PedalEngine::Cycle, and
// the control thread calls Service now and then: it reconfigures the unit when the server's rate or
// period changes (never inside the process callback) and tells when the server has gone away.
#pragma once

#include "tools/play/PedalEngine.h"

#include <jack/jack.h>

#include <atomic>
#include <string>
#include <vector>

class LiveUnit;

enum class JackOpenResult { kOpened, kNoServer, kFailed };

class JackPedal
{
public:
  static constexpr int kMaxChannels = 2;

  explicit JackPedal(LiveUnit& unit) : mUnit(unit), mEngine(unit) {}
  ~JackPedal();
  JackPedal(const JackPedal&) = delete;
  JackPedal& operator=(const JackPedal&) = delete;

  // Connects to a running server (never starting one) and registers the ports.
  JackOpenResult Open(const std::string& clientName, int channels, std::string& error);
  // Configures the unit at the server's rate and period and activates the client.
  bool Start(std::string& error);
  // Connects our inputs from `sources` and our outputs to `destinations` (full port names). The k-th
  // name goes with our k-th port (extra names with our last port); when fewer names than channels
  // are given, the last one goes with the rest of our ports.
  bool Connect(const std::vector<std::string>& sources, const std::vector<std::string>& destinations,
               std::string& error);
  // The system's physical capture ports into our inputs, our outputs to its playback ports.
  bool ConnectPhysical(std::string& error);

  // Control thread: applies a pending rate or period change. False once the server has gone away.
  bool Service(std::string& error);
  bool ServerGone() const { return mGone.load(); }
  // Why the server said it went away (empty when it did not say).
  std::string ShutdownReason() const;

  const std::string& ClientName() const { return mName; }
  std::vector<std::string> PortNames() const;
  double SampleRate() const { return mRate.load(); }
  int Period() const { return mPeriod.load(); }
  long Xruns() const { return mXruns.load(); }
  float CpuLoad() const;
  // Frames from the capture ports feeding our inputs to the playback ports our outputs feed,
  // through the plug-in: what the ports' latency ranges report plus the plug-in's own latency.
  int RoundTripLatency() const;
  PedalEngine& Engine() { return mEngine; }

private:
  static int OnProcess(jack_nframes_t frames, void* arg);
  static int OnBufferSize(jack_nframes_t frames, void* arg);
  static int OnSampleRate(jack_nframes_t rate, void* arg);
  static int OnXrun(void* arg);
  static void OnLatency(jack_latency_callback_mode_t mode, void* arg);
  static void OnShutdown(jack_status_t code, const char* reason, void* arg);
  bool Reconfigure(std::string& error);
  void Close();

  LiveUnit& mUnit;
  PedalEngine mEngine;
  jack_client_t* mClient = nullptr;
  std::string mName;
  int mChannels = 0;
  jack_port_t* mInputs[kMaxChannels] = {};
  jack_port_t* mOutputs[kMaxChannels] = {};
  bool mActive = false;
  std::atomic<double> mRate{0.0}; // read by the window's strip while the control thread sets it
  std::atomic<int> mPeriod{0};
  std::atomic<unsigned> mPendingRate{0};
  std::atomic<unsigned> mPendingPeriod{0};
  std::atomic<bool> mChanged{false};
  std::atomic<long> mXruns{0};
  std::atomic<int> mUnitLatency{0};
  std::atomic<bool> mGone{false};
  char mReason[256] = {};
};
