// brindle_soak: a long run of Brindle under stress, as a host would stress it, that ends with a
// table of what was done and fails on anything lost. Both plug-in formats render at once (the
// Audio Unit component and the LV2 plug-in, each loaded from its bundle) while one thread
// automates every parameter of both, another saves and restores their states, and the main thread
// opens and closes the component's editor. The run fails on non-finite output, a refused call, a
// state that does not read back as it was restored, a parameter that does not read back as set,
// or resident memory that keeps growing after the warm-up.
#include "BrindleIdentity.h"
#include "tools/host/EditorHost.h"
#include "tools/soak/SoakComponent.h"
#include "tools/soak/SoakLV2Host.h"
#include "tools/soak/SoakReport.h"
#include "tools/soak/SoakSignal.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const char kUsage[] = "usage: brindle_soak [options]\n"
                      "\n"
                      "Renders Brindle through its Audio Unit component and its LV2 plug-in at once while other\n"
                      "threads automate every parameter, save and restore the state, and open and close the editor.\n"
                      "Prints a progress line every 10 s and a summary table at the end; exits 1 on any failure:\n"
                      "non-finite output, a refused call, a state or parameter that does not read back, or resident\n"
                      "memory growing by more than the limit after the warm-up.\n"
                      "\n"
                      "options:\n"
                      "  --seconds N       how long to run (default 600)\n"
                      "  --warmup N        seconds before the resident memory is first taken (default: a fifth of\n"
                      "                    the run, 2 to 60); a run no longer than it checks no memory\n"
                      "  --rss-limit KIB   the growth allowed after the warm-up, in KiB (default 64; -1: not checked)\n"
                      "  --speed X         render at most X times faster than real time (default 8; 0: no limit)\n"
                      "  --seed S          seed of the input signal, block sizes and automation (default: the time)\n"
                      "  --component PATH  the Brindle.component bundle (default: as the brindle command finds it)\n"
                      "  --lv2 PATH        the Brindle.lv2 bundle (default: beside the component)\n"
                      "  --help            this text\n";

struct Options
{
  double seconds = 600.0;
  double warmup = -1.0;
  long rssLimit = 64;
  double speed = 8.0;
  std::uint32_t seed = 0;
  std::string component, lv2;
};

constexpr int kMaxFrames = 1024;
constexpr double kAURate = 44100.0, kLV2Rate = 48000.0;
constexpr double kProgressInterval = 10.0;

bool ParseNumber(const char* text, double& out)
{
  char* end = nullptr;
  out = std::strtod(text, &end);
  return end && end != text && *end == '\0' && std::isfinite(out);
}

// 0 to go on, else the exit status (2 for a usage error, 0 after --help).
int ParseOptions(int argc, char** argv, Options& options)
{
  options.seed = static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count());
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i], value;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return -1;
    }
    const size_t equals = arg.find('=');
    if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = arg.substr(equals + 1);
      arg.resize(equals);
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      std::fprintf(stderr, "brindle_soak: %s needs a value (--help lists the options)\n", arg.c_str());
      return 2;
    }
    double number = 0.0;
    const bool numeric = ParseNumber(value.c_str(), number);
    if (arg == "--seconds" && numeric && number > 0)
      options.seconds = number;
    else if (arg == "--warmup" && numeric && number >= 0)
      options.warmup = number;
    else if (arg == "--rss-limit" && numeric && number >= -1 && number < 1e9 && number == std::floor(number))
      options.rssLimit = static_cast<long>(number);
    else if (arg == "--speed" && numeric && number >= 0)
      options.speed = number;
    else if (arg == "--seed" && numeric && number >= 0 && number <= 4294967295.0 && number == std::floor(number))
      options.seed = static_cast<std::uint32_t>(number);
    else if (arg == "--component")
      options.component = value;
    else if (arg == "--lv2")
      options.lv2 = value;
    else {
      std::fprintf(stderr, "brindle_soak: bad option or value: %s %s (--help lists the options)\n", arg.c_str(),
                   value.c_str());
      return 2;
    }
  }
  if (options.warmup < 0) options.warmup = std::min(60.0, std::max(2.0, options.seconds / 5));
  return 0;
}

// A block length as hosts choose them: powers of two, odd sizes, tiny slices and the maximum.
int PickBlock(SoakRandom& random)
{
  const double pick = random.Unit();
  if (pick < 0.3) return 32 << random.Between(0, 5);
  if (pick < 0.6) return random.Between(1, kMaxFrames);
  if (pick < 0.8) return random.Between(1, 16);
  return kMaxFrames;
}

// The value an automation event sends: often an end of the range, whole numbers for switches.
float PickValue(SoakRandom& random, float minimum, float maximum, bool stepped)
{
  const double pick = random.Unit();
  double v = pick < 0.1 ? minimum : pick < 0.2 ? maximum : random.Range(minimum, maximum);
  if (stepped) v = std::floor(v + 0.5);
  return static_cast<float>(std::min<double>(maximum, std::max<double>(minimum, v)));
}

void SleepSeconds(double seconds)
{
  if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// "" when every sample is finite, else where the first one is not.
std::string FindNonFinite(float* const* out, int channels, int frames)
{
  for (int c = 0; c < channels; ++c)
    for (int i = 0; i < frames; ++i)
      if (!std::isfinite(out[c][i]))
        return std::string(std::isnan(out[c][i]) ? "NaN" : "infinity") + " (or a sample not written) at channel " +
               std::to_string(c) + " frame " + std::to_string(i);
  return "";
}

struct RenderTarget
{
  const char* name;
  double rate;
  std::atomic<long long>* renders;
  std::atomic<long long>* frames;
};

// One render thread: varied input in, every output sample checked, paced to `speed` x real time.
template <typename RenderFn>
void RenderLoop(const RenderTarget& target, const Options& options, std::uint32_t seed, SoakFailures& failures,
                RenderFn render)
{
  SoakSignal signal(seed, target.rate);
  SoakRandom random(seed * 2654435761u + 1);
  std::vector<float> inL(kMaxFrames), inR(kMaxFrames), outL(kMaxFrames), outR(kMaxFrames);
  const float* in[2] = {inL.data(), inR.data()};
  float* out[2] = {outL.data(), outR.data()};
  const double start = SoakClock();
  long long frames = 0, renders = 0;
  std::string error;
  while (!failures.Stopping()) {
    const int n = PickBlock(random);
    signal.Fill(inL.data(), inR.data(), n);
    // Poisoned, so that a sample the plug-in leaves unwritten shows as a failure too.
    std::fill(outL.begin(), outL.begin() + n, NAN);
    std::fill(outR.begin(), outR.begin() + n, NAN);
    if (!render(in, out, n, error)) {
      failures.Add(std::string(target.name) + ": " + error);
      return;
    }
    const std::string bad = FindNonFinite(out, 2, n);
    if (!bad.empty()) {
      failures.Add(std::string(target.name) + " render " + std::to_string(renders + 1) + " (" + std::to_string(n) +
                   " frames, input seed " + std::to_string(seed) + "): " + bad);
      return;
    }
    ++renders;
    frames += n;
    target.renders->store(renders, std::memory_order_relaxed);
    target.frames->store(frames, std::memory_order_relaxed);
    if (options.speed > 0)
      SleepSeconds(static_cast<double>(frames) / target.rate / options.speed - (SoakClock() - start));
  }
}

struct Run
{
  Options options;
  SoakComponent au;
  SoakLV2Host lv2;
  SoakCounters counters;
  SoakFailures failures;
};

void AutomationLoop(Run& run)
{
  SoakRandom random(run.options.seed ^ 0xA5A5A5A5u);
  const auto& params = run.au.Parameters();
  const auto& controls = run.lv2.Controls();
  long long auEvents = 0, lv2Events = 0;
  std::string error;
  while (!run.failures.Stopping()) {
    if (random.Unit() < 0.5) {
      const SoakParameter& p = params[random.Next() % params.size()];
      if (!run.au.Automate(p, PickValue(random, p.minimum, p.maximum, p.stepped), error)) {
        run.failures.Add("AU automation: " + error);
        return;
      }
      run.counters.auAutomation.store(++auEvents, std::memory_order_relaxed);
    } else if (!controls.empty()) {
      const int c = static_cast<int>(random.Next() % controls.size());
      const LV2Port& port = controls[static_cast<size_t>(c)];
      run.lv2.QueueControl(c, PickValue(random, port.minimum, port.maximum, port.toggled || port.integer));
      run.counters.lv2Automation.store(++lv2Events, std::memory_order_relaxed);
    }
    SleepSeconds(random.Range(50e-6, 500e-6));
  }
}

void StateLoop(Run& run)
{
  SoakRandom random(run.options.seed ^ 0x5A5A5A5Au);
  std::string error;
  CFPropertyListRef previousAU = nullptr;
  SoakLV2State previousLV2;
  if (!run.au.CopyState(previousAU, error) || !run.lv2.Save(previousLV2, error)) {
    run.failures.Add("first state save: " + error);
    if (previousAU) CFRelease(previousAU);
    return;
  }
  long long auTrips = 0, auChanges = 0, lv2Trips = 0, lv2Changes = 0;
  while (!run.failures.Stopping()) {
    bool changed = false;
    if (!run.au.StateRoundTrip(previousAU, changed, error)) {
      run.failures.Add("AU " + error);
      break;
    }
    run.counters.auStateTrips.store(++auTrips, std::memory_order_relaxed);
    run.counters.auStateChanges.store(auChanges += changed, std::memory_order_relaxed);

    // LV2: a save beside the audio thread, then the previous state restored and saved again with
    // the audio thread paused; it must read back byte for byte.
    SoakLV2State now, before, after;
    if (!run.lv2.Save(now, error) || !run.lv2.Restore(previousLV2, error, &before, &after)) {
      run.failures.Add("LV2 state round trip: " + error);
      break;
    }
    if (after != previousLV2) {
      run.failures.Add("LV2 state round trip: the state saved after a restore differs from the state restored");
      break;
    }
    run.counters.lv2StateTrips.store(++lv2Trips, std::memory_order_relaxed);
    run.counters.lv2StateChanges.store(lv2Changes += before != previousLV2, std::memory_order_relaxed);
    previousLV2 = std::move(now);
    SleepSeconds(random.Range(2e-3, 20e-3));
  }
  if (previousAU) CFRelease(previousAU);
}

void PrintProgress(const Run& run, double t, long rss)
{
  const SoakCounters& c = run.counters;
  std::printf("[%6.0f s] AU %lld renders, LV2 %lld renders, %lld automation events, %lld state round trips, "
              "%lld editor cycles, RSS %ld KiB\n",
              t, c.auRenders.load(), c.lv2Renders.load(), c.auAutomation.load() + c.lv2Automation.load(),
              c.auStateTrips.load() + c.lv2StateTrips.load(), c.editorCycles.load(), rss);
  std::fflush(stdout);
}

std::string DefaultLV2Bundle(const std::string& componentPath)
{
  const size_t slash = componentPath.find_last_of('/');
  return (slash == std::string::npos ? std::string(".") : componentPath.substr(0, slash)) + "/" +
         BrindleIdentity::kName + ".lv2";
}

} // namespace

int main(int argc, char** argv)
{
  auto run = std::make_unique<Run>();
  Options& options = run->options;
  if (const int status = ParseOptions(argc, argv, options)) return status < 0 ? 0 : status;
  const std::string componentPath = ResolveComponentPath(options.component);
  const std::string lv2Path = options.lv2.empty() ? DefaultLV2Bundle(componentPath) : options.lv2;
  char speed[32] = "unlimited";
  if (options.speed > 0) std::snprintf(speed, sizeof speed, "%gx real time", options.speed);
  std::printf("brindle_soak: %g s (warm-up %g s), seed %u, speed %s\n  component %s\n  LV2 bundle %s\n",
              options.seconds, options.warmup, options.seed, speed, componentPath.c_str(), lv2Path.c_str());
  std::fflush(stdout);

  std::string error;
  const std::string lv2URI = std::string(BrindleIdentity::kLV2URI) + "#stereo";
  if (!run->au.Open(componentPath, kAURate, kMaxFrames, error) ||
      !run->lv2.Open(lv2Path, lv2URI, kLV2Rate, kMaxFrames, error)) {
    std::fprintf(stderr, "brindle_soak: %s\n", error.c_str());
    return 1;
  }
  if (run->lv2.AudioIns() != 2 || run->lv2.AudioOuts() != 2) {
    std::fprintf(stderr, "brindle_soak: <%s> has %d audio inputs and %d outputs, not 2 and 2\n", lv2URI.c_str(),
                 run->lv2.AudioIns(), run->lv2.AudioOuts());
    return 1;
  }

  const double start = SoakClock();
  const RenderTarget auTarget{"AU", kAURate, &run->counters.auRenders, &run->counters.auFrames};
  const RenderTarget lv2Target{"LV2", kLV2Rate, &run->counters.lv2Renders, &run->counters.lv2Frames};
  Run& r = *run;
  std::thread auThread([&] {
    RenderLoop(
        auTarget, options, options.seed, r.failures,
        [&](const float* const* in, float* const* out, int n, std::string& e) { return r.au.Render(in, out, n, e); });
  });
  std::thread lv2Thread([&] {
    RenderLoop(lv2Target, options, options.seed + 1, r.failures,
               [&](const float* const* in, float* const* out, int n, std::string&) {
                 r.lv2.Run(in, out, n);
                 return true;
               });
  });
  std::thread automation([&] { AutomationLoop(r); });
  std::thread state([&] { StateLoop(r); });

  // The main thread is the editor's (AppKit's main thread): open, let the redraw timer run, close.
  SoakRandom random(options.seed ^ 0x3C3C3C3Cu);
  SoakSummary summary;
  summary.rssLimit = options.rssLimit;
  double nextProgress = kProgressInterval;
  long long cycles = 0;
  for (;;) {
    const double t = SoakClock() - start;
    if (t >= options.seconds || r.failures.Stopping()) break;
    {
      EditorHost editor;
      if (!editor.Open(r.au.Unit(), error)) {
        r.failures.Add("editor " + std::to_string(cycles + 1) + ": " + error);
        break;
      }
      editor.Ticks(random.Between(1, 6));
    }
    r.counters.editorCycles.store(++cycles, std::memory_order_relaxed);
    // Memory is read between editors, when no window is open.
    const long rss = ReadRssKiB();
    if (t >= options.warmup) {
      if (summary.rssWarm < 0) summary.rssWarm = rss;
      summary.rssEnd = rss;
      summary.rssPeak = std::max(summary.rssPeak, rss);
    }
    if (t >= nextProgress) {
      PrintProgress(r, t, rss);
      nextProgress += kProgressInterval;
    }
    SleepSeconds(random.Range(5e-3, 30e-3));
  }
  r.failures.Stop();
  for (std::thread* t : {&auThread, &lv2Thread, &automation, &state}) t->join();
  summary.seconds = SoakClock() - start;

  summary.rssChecked = options.rssLimit >= 0 && summary.rssWarm >= 0 && summary.rssEnd >= 0;
  PrintSummary(stdout, r.counters, summary);
  std::fflush(stdout);
  std::vector<std::string> failed = r.failures.All();
  if (summary.rssChecked && summary.rssEnd - summary.rssWarm > options.rssLimit)
    failed.push_back("resident memory grew by " + std::to_string(summary.rssEnd - summary.rssWarm) +
                     " KiB after the warm-up (limit " + std::to_string(options.rssLimit) + " KiB)");
  for (const std::string& f : failed) std::fprintf(stderr, "brindle_soak: FAIL: %s\n", f.c_str());
  if (failed.empty()) std::printf("brindle_soak: PASS\n");
  return failed.empty() ? 0 : 1;
}
