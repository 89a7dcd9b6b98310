// `brindle play`: the effect live on a JACK server (jackd, or PipeWire's JACK layer), with its editor
// in a window or headless, until the window closes, Ctrl-C, or the server goes away.
#include "tools/cli/CommandLine.h"
#include "tools/cli/Commands.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "tools/host/ComponentHost.h"
#include "tools/play/JackPedal.h"
#include "tools/play/LiveUnit.h"
#include "tools/play/PlayState.h"
#include "tools/play/PlayWindow.h"

namespace {

const char kUsage[] =
    "usage: brindle play [options]\n"
    "\n"
    "Runs the effect live as a client of the JACK server (jackd, or a desktop's PipeWire through its\n"
    "JACK layer), at the server's sample rate and period, with the editor in a window. It ends when the\n"
    "window is closed, on Ctrl-C, or when the server goes away (exit status 1). The last settings are\n"
    "kept for the next run in $XDG_CONFIG_HOME/brindle/ (else ~/.config/brindle/).\n"
    "\n"
    "options:\n"
    "  --channels 1|2         mono or stereo ports in and out (default 2)\n"
    "  --input PORT           connect this port into the effect (repeatable: the k-th goes to input k,\n"
    "                         extra ones to the last input; the last one given feeds the other inputs)\n"
    "  --output PORT          connect the effect's output to this port (repeatable, likewise: a mono\n"
    "                         effect given two ports plays into both)\n"
    "  --connect              connect the system's first capture port(s) in and its first two playback\n"
    "                         ports out\n"
    "  --client-name NAME     the JACK client name (default brindle)\n"
    "  --preset FILE          start from this preset (.aupreset, .fxp or .fxb) instead of the last settings\n"
    "  --no-window            run without the editor; print parameter changes and xruns\n"
    "  --snapshot OUT.png     play for a second, then draw the window (editor and strip) off screen\n"
    "                         into a picture and end\n"
    "  --display NAME         the X display for the window (default: $DISPLAY)\n"
    "  --component PATH       the component bundle, Brindle's or another plug-in's (default:\n"
    "                         $BRINDLE_COMPONENT, else Brindle's, built next to this program)\n"
    "  -h, --help             this text\n"
    "\n"
    "With no server running it says so and exits with status 1; start one with 'jackd -d dummy' (no\n"
    "sound card) or 'jackd -d alsa', or use a desktop's PipeWire.\n";

const char kCommand[] = "play";

// Set by the signals, or by the control thread when the server has gone away.
std::atomic<int> sStop{0}; // lock-free, so a signal handler may store into it

void OnStopSignal(int)
{
  sStop.store(1);
}

struct PlayOptions
{
  int channels = 2;
  std::vector<std::string> inputs, outputs;
  bool connectSystem = false;
  std::string clientName = "brindle";
  std::string presetPath, componentPath, display, snapshotPath;
  bool window = true;
};

// 0 when parsed, else the exit status to return (help printed, or a usage error reported).
int ParseOptions(int argc, char** argv, PlayOptions& options, bool& help)
{
  help = false;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i], value;
    if (arg == "-h" || arg == "--help") {
      help = true;
      return 0;
    }
    if (arg == "--connect") {
      options.connectSystem = true;
      continue;
    }
    if (arg == "--no-window") {
      options.window = false;
      continue;
    }
    const size_t equals = arg.find('=');
    std::string name = arg;
    if (arg.compare(0, 2, "--") != 0) return CommandUsageError(kCommand, "unexpected argument '" + arg + "'");
    if (equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    } else if (name == "--channels" || name == "--input" || name == "--output" || name == "--client-name" ||
               name == "--preset" || name == "--component" || name == "--display" || name == "--snapshot") {
      if (i + 1 >= argc) return CommandUsageError(kCommand, name + " needs a value");
      value = argv[++i];
    } else {
      return CommandUsageError(kCommand, "unknown option '" + name + "'");
    }
    if (name == "--channels") {
      if (value != "1" && value != "2")
        return CommandUsageError(kCommand, "--channels takes 1 or 2, not '" + value + "'");
      options.channels = value[0] - '0';
    } else if (name == "--input" || name == "--output") {
      if (value.empty()) return CommandUsageError(kCommand, name + " needs a port name");
      (name == "--input" ? options.inputs : options.outputs).push_back(value);
    } else if (name == "--client-name") {
      // JACK's own limit, less room for the port names.
      if (value.empty() || value.size() > 63 || value.find(':') != std::string::npos)
        return CommandUsageError(kCommand, "--client-name takes 1 to 63 characters without ':'");
      options.clientName = value;
    } else if (name == "--preset")
      options.presetPath = value;
    else if (name == "--component")
      options.componentPath = value;
    else if (name == "--display")
      options.display = value;
    else if (name == "--snapshot") {
      if (value.empty()) return CommandUsageError(kCommand, "--snapshot needs a file name");
      options.snapshotPath = value;
    } else
      return CommandUsageError(kCommand, "unknown option '" + name + "'");
  }
  if (!options.snapshotPath.empty() && !options.window)
    return CommandUsageError(kCommand, "--snapshot draws the window; leave out --no-window");
  if (options.connectSystem && (!options.inputs.empty() || !options.outputs.empty()))
    return CommandUsageError(kCommand, "--connect and --input/--output are alternatives");
  return 0;
}

std::string ParameterName(ComponentHost& host, AudioUnitParameterID id)
{
  AudioUnitParameterInfo info{};
  UInt32 size = sizeof(info);
  if (AudioUnitGetProperty(host.Unit(), kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info, &size) !=
      noErr)
    return "parameter " + std::to_string(id);
  const std::string name = info.cfNameString ? StringFromCF(info.cfNameString) : info.name;
  ReleaseParameterInfoNames(info);
  return name;
}

void PrintParameter(ComponentHost& host, AudioUnitParameterID id, AudioUnitParameterValue value)
{
  std::string text;
  host.ValueText(id, value, text);
  std::printf("%s %.6g \"%s\"\n", ParameterName(host, id).c_str(), static_cast<double>(value), text.c_str());
  std::fflush(stdout);
}

// Headless: the changes of parameter values since the last look (made by a preset, or by another
// host of the same instance), as the window's listener would report them.
class ParameterWatch
{
public:
  explicit ParameterWatch(ComponentHost& host) : mHost(host)
  {
    std::vector<AudioUnitParameterID> ids;
    host.ParameterList(ids);
    for (AudioUnitParameterID id : ids) {
      AudioUnitParameterValue value = 0;
      if (host.GetParameter(id, value) == noErr) mLast[id] = value;
    }
  }
  void Poll()
  {
    for (auto& [id, last] : mLast) {
      AudioUnitParameterValue value = 0;
      if (mHost.GetParameter(id, value) != noErr || value == last) continue;
      last = value;
      PrintParameter(mHost, id, value);
    }
  }

private:
  ComponentHost& mHost;
  std::map<AudioUnitParameterID, AudioUnitParameterValue> mLast;
};

void Sleep(double seconds)
{
  timespec t{0, static_cast<long>(seconds * 1e9)};
  nanosleep(&t, nullptr);
}

} // namespace

int RunPlayCommand(int argc, char** argv)
{
  PlayOptions options;
  bool help = false;
  if (const int status = ParseOptions(argc, argv, options, help); status != 0) return status;
  if (help) {
    std::fputs(kUsage, stdout);
    return 0;
  }

  std::string error;
  const std::string bundle = ResolveComponentPath(options.componentPath);
  Component component = nullptr;
  if (!LoadEffectComponent(bundle, component, error)) return CommandFailure(kCommand, error);
  LiveUnit unit;
  if (!unit.Open(component, error)) return CommandFailure(kCommand, error);

  // The last settings first; a preset named on the command line replaces them.
  const std::string statePath = PlayStatePath(PluginNameOfBundle(bundle));
  if (!statePath.empty() && access(statePath.c_str(), F_OK) == 0 && !LoadUnitPreset(unit.Host(), statePath, error))
    std::fprintf(stderr, "brindle play: ignoring the last settings: %s\n", error.c_str());
  if (!options.presetPath.empty() && !LoadUnitPreset(unit.Host(), options.presetPath, error))
    return CommandFailure(kCommand, error);

  JackPedal pedal(unit);
  switch (pedal.Open(options.clientName, options.channels, error)) {
  case JackOpenResult::kOpened:
    break;
  case JackOpenResult::kNoServer:
  case JackOpenResult::kFailed:
    return CommandFailure(kCommand, error);
  }
  if (!pedal.Start(error)) return CommandFailure(kCommand, error);
  if (options.connectSystem ? !pedal.ConnectPhysical(error) : !pedal.Connect(options.inputs, options.outputs, error))
    return CommandFailure(kCommand, error);

  std::string ports;
  for (const std::string& port : pedal.PortNames()) ports += " " + port;
  std::printf("playing as '%s' at %.0f Hz, period %d frames; ports:%s\n", pedal.ClientName().c_str(),
              pedal.SampleRate(), pedal.Period(), ports.c_str());
  std::fflush(stdout);
  // Headless, the settings it starts from come first; the changes follow as they happen.
  if (!options.window || !options.snapshotPath.empty()) {
    std::vector<AudioUnitParameterID> ids;
    unit.Host().ParameterList(ids);
    for (AudioUnitParameterID id : ids) {
      AudioUnitParameterValue value = 0;
      if (unit.Host().GetParameter(id, value) == noErr) PrintParameter(unit.Host(), id, value);
    }
  }

  // Ctrl-C and SIGTERM end the run cleanly (the window installs its own while it is open).
  struct sigaction action = {}, oldInt = {}, oldTerm = {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &oldInt);
  sigaction(SIGTERM, &action, &oldTerm);

  // The control thread: reconfigures on rate and period changes, notices the server going away,
  // and (headless) reports xruns, latency and parameter changes.
  std::atomic<bool> done{false};
  std::string controlError;
  const bool window = options.window && options.snapshotPath.empty();
  std::atomic<int> latencyFrames{0};
  std::thread control([&] {
    ParameterWatch watch(unit.Host());
    long xruns = 0;
    int latency = -1;
    double rate = pedal.SampleRate();
    int period = pedal.Period();
    for (int tick = 0; !done.load(); ++tick) {
      if (!pedal.Service(controlError)) {
        sStop.store(1); // the main thread's wait and the window's tick both watch it
        break;
      }
      if (pedal.SampleRate() != rate || pedal.Period() != period) {
        rate = pedal.SampleRate();
        period = pedal.Period();
        std::printf("now at %.0f Hz, period %d frames\n", rate, period);
        std::fflush(stdout);
      }
      if (const long now = pedal.Xruns(); now != xruns) {
        std::printf("xrun (%ld so far)\n", now);
        std::fflush(stdout);
        xruns = now;
      }
      // The ports' latencies settle once the graph has been sorted; report them then and on change.
      if (tick >= 4) {
        if (const int frames = pedal.RoundTripLatency(); frames != latency) {
          latency = frames;
          latencyFrames.store(frames);
          std::printf("round-trip latency %d frames (%.2f ms)\n", frames, 1000.0 * frames / pedal.SampleRate());
          std::fflush(stdout);
        }
      }
      if (!window) watch.Poll();
      Sleep(0.05);
    }
  });

  // What the strip shows, from the main thread (the levels and load are atomics or libjack's).
  const auto stripStatus = [&](StripStatus& status) {
    status.inputPeak = pedal.Engine().TakeInputPeak();
    status.outputPeak = pedal.Engine().TakeOutputPeak();
    status.cpuLoad = pedal.CpuLoad();
    status.xruns = pedal.Xruns();
    if (status.news.empty() || status.news.compare(0, 7, "latency") == 0) {
      char news[96];
      const int frames = latencyFrames.load();
      std::snprintf(news, sizeof news, "latency %d frames (%.1f ms)", frames, 1000.0 * frames / pedal.SampleRate());
      status.news = news;
    }
  };
  bool windowOk = true;
  if (!options.snapshotPath.empty()) {
    // A second of playing, so the strip has levels, load and latency to show.
    StripStatus status;
    for (int i = 0; i < 20 && !sStop; ++i) {
      Sleep(0.05);
      StripStatus now;
      stripStatus(now);
      status.inputPeak = std::max(status.inputPeak, now.inputPeak);
      status.outputPeak = std::max(status.outputPeak, now.outputPeak);
      status.cpuLoad = now.cpuLoad;
      status.xruns = now.xruns;
      status.news = now.news;
    }
    windowOk = SnapshotPlayWindow(unit.Host().Unit(), status, options.snapshotPath, error);
  } else if (window) {
    PlayWindowHooks hooks;
    hooks.title = PluginNameOfBundle(bundle);
    hooks.onChange = [&unit](AudioUnitParameterID id, AudioUnitParameterValue value) {
      PrintParameter(unit.Host(), id, value);
    };
    hooks.tick = [&](StripStatus& status) {
      if (sStop) return false;
      stripStatus(status);
      return true;
    };
    hooks.openPreset = [&unit](const std::string& file) {
      std::string why;
      const bool ok = LoadUnitPreset(unit.Host(), file, why);
      std::printf("%s\n", ok ? ("opened " + file).c_str() : why.c_str());
      std::fflush(stdout);
      return ok ? "opened " + file.substr(file.rfind('/') + 1) : why;
    };
    hooks.savePreset = [&unit](const std::string& file) {
      std::string why;
      const bool ok = SaveUnitPreset(unit.Host(), file, why);
      std::printf("%s\n", ok ? ("saved " + file).c_str() : why.c_str());
      std::fflush(stdout);
      return ok ? "saved " + file.substr(file.rfind('/') + 1) : why;
    };
    windowOk = RunPlayWindow(unit.Host().Unit(), options.display, hooks, error);
  } else {
    while (!sStop) Sleep(0.05);
  }
  done.store(true);
  control.join();
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);

  const bool serverGone = pedal.ServerGone();
  if (!statePath.empty() && !SaveUnitState(unit.Host(), statePath, error))
    std::fprintf(stderr, "brindle play: cannot keep the settings: %s\n", error.c_str());
  if (serverGone) return CommandFailure(kCommand, controlError.empty() ? "the JACK server went away" : controlError);
  if (!windowOk) return CommandFailure(kCommand, error);
  if (!controlError.empty()) return CommandFailure(kCommand, controlError);
  return 0;
}
