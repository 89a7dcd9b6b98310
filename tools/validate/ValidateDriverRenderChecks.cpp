// The format-neutral checks of the lifecycle and of rendering, through a plug-in driver: open and
// close, rendering at each rate in slices, oversize blocks, reset, noise, reconfiguration,
// parameters changing while another thread reads them, real-time safety and long sessions.
#include "tools/validate/ValidateChecks.h"
#include "tools/validate/ValidateDriverSupport.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <chrono>
#include <thread>

using namespace validate;

namespace {

constexpr double kMaxOpenCloseMs = 1000.0;

double Milliseconds(std::chrono::steady_clock::duration d)
{
  return std::chrono::duration<double, std::milli>(d).count();
}

// A change of every writable parameter to a random value, at random frames of a block, in order.
void RandomChanges(Noise& noise, const std::vector<DriverParameter>& params, int frames,
                   std::vector<ParameterChange>& changes)
{
  changes.clear();
  int frame = 0;
  for (const DriverParameter& p : params) {
    if (p.readOnly) continue;
    double v = p.minimum + noise.Unit() * (p.maximum - p.minimum);
    if (p.stepped) v = std::round(v);
    frame = std::min(frames - 1, frame + static_cast<int>(noise.NextWord() % 32));
    changes.push_back({p.id, v, frame});
  }
}

} // namespace

CheckOutcome DriverOpenCloseTimes(DriverContext& context, int)
{
  std::string error;
  const auto t0 = std::chrono::steady_clock::now();
  std::unique_ptr<PluginInstance> instance = context.driver->Create(error);
  const auto t1 = std::chrono::steady_clock::now();
  if (!instance) return Fail("open: " + error);
  instance.reset();
  const auto t2 = std::chrono::steady_clock::now();
  const double openMs = Milliseconds(t1 - t0), closeMs = Milliseconds(t2 - t1);
  char note[96];
  std::snprintf(note, sizeof note, "open %.3f ms, close %.3f ms", openMs, closeMs);
  if (openMs > kMaxOpenCloseMs || closeMs > kMaxOpenCloseMs)
    return Fail(std::string(note) + " (limit " + std::to_string(static_cast<int>(kMaxOpenCloseMs)) + " ms)");
  return Pass(note);
}

CheckOutcome DriverRepeatedOpenClose(DriverContext& context, int cycles)
{
  std::string error;
  size_t listed = 0;
  for (int i = 0; i < cycles; ++i) {
    std::unique_ptr<PluginInstance> instance = context.driver->Create(error);
    if (!instance) return Fail("open " + std::to_string(i + 1) + ": " + error);
    const size_t count = instance->Parameters().size();
    if (i > 0 && count != listed) return Fail("instance " + std::to_string(i + 1) + " lists other parameters");
    listed = count;
  }
  return Pass();
}

CheckOutcome DriverRenderAtRate(DriverContext& context, int sampleRate)
{
  constexpr int kMax = 4096;
  std::string error;
  std::unique_ptr<PluginInstance> instance = PreparedInstance(context, sampleRate, kMax, error);
  if (!instance) return Fail(error);
  Noise noise(context.seed);
  Planar in(2, kMax), out(2, kMax);
  for (int frames : {1, 64, 137, 512, 4096})
    for (int block = 0; block < 3; ++block)
      if (!(error = RenderNoise(*instance, noise, in, out, frames)).empty())
        return Fail(std::to_string(frames) + " frames: " + error);
  return Pass();
}

CheckOutcome DriverOversizeRenderRefused(DriverContext& context, int)
{
  std::string error;
  std::unique_ptr<PluginInstance> instance = PreparedInstance(context, 44100, 512, error);
  if (!instance) return Fail(error);
  Noise noise(context.seed);
  Planar in(2, 513), out(2, 513);
  if (!(error = RenderNoise(*instance, noise, in, out, 512)).empty()) return Fail("512 frames: " + error);
  if (instance->Render(in.in.data(), out.out.data(), 513, nullptr, 0)) return Fail("513 frames were rendered");
  // The refusal leaves the instance working.
  if (!(error = RenderNoise(*instance, noise, in, out, 512)).empty()) return Fail("after the refusal: " + error);
  return Pass();
}

CheckOutcome DriverReset(DriverContext& context, int)
{
  std::string error;
  std::unique_ptr<PluginInstance> instance = PreparedInstance(context, 44100, 512, error);
  if (!instance) return Fail(error);
  Noise noise(context.seed);
  Planar in(2, 512), out(2, 512);
  for (int block = 0; block < 3; ++block) {
    if (block == 1 && !instance->Reset()) return Fail("reset refused");
    if (!(error = RenderNoise(*instance, noise, in, out, 512)).empty()) return Fail(error);
  }
  // A reset between renders of one block size, then another block size after the reset.
  if (!instance->Reset()) return Fail("second reset refused");
  for (int frames : {1, 137, 512})
    if (!(error = RenderNoise(*instance, noise, in, out, frames)).empty()) return Fail("after a reset: " + error);
  return Pass();
}

CheckOutcome DriverNoiseOutputClean(DriverContext& context, int)
{
  std::string error;
  std::unique_ptr<PluginInstance> instance = PreparedInstance(context, 44100, 512, error);
  if (!instance) return Fail(error);
  const std::vector<DriverParameter> params = instance->Parameters();
  Noise noise(context.seed);
  Planar in(2, 512), out(2, 512);
  std::vector<ParameterChange> changes;
  // Random settings, loud and quiet noise, then silence (where denormals would show).
  for (int round = 0; round < 10 * context.level; ++round) {
    RandomChanges(noise, params, 512, changes);
    const float amplitude = round % 3 == 0 ? 1.0f : (round % 3 == 1 ? 1e-3f : 0.0f);
    if (!(error =
              RenderNoise(*instance, noise, in, out, 512, amplitude, changes.data(), static_cast<int>(changes.size())))
             .empty())
      return Fail("round " + std::to_string(round) + ": " + error);
  }
  return Pass();
}

CheckOutcome DriverReconfigureLiveInstance(DriverContext& context, int)
{
  std::string error;
  std::unique_ptr<PluginInstance> instance = context.driver->Create(error);
  if (!instance) return Fail(error);
  Noise noise(context.seed);
  Planar in(2, 1024), out(2, 1024);
  for (const auto& [rate, frames] :
       std::vector<std::pair<double, int>>{{44100, 512}, {96000, 1024}, {22050, 64}, {48000, 256}}) {
    if (!instance->Prepare(rate, frames, error)) return Fail(std::to_string(static_cast<int>(rate)) + " Hz: " + error);
    for (int block = 0; block < 4; ++block)
      if (!(error = RenderNoise(*instance, noise, in, out, frames)).empty())
        return Fail(std::to_string(static_cast<int>(rate)) + " Hz: " + error);
  }
  instance->Unprepare();
  return Pass("rates only: the channels are the plug-in's own");
}

CheckOutcome DriverRenderWhileReadingParameters(DriverContext& context, int)
{
  std::string error;
  std::unique_ptr<PluginInstance> instance = PreparedInstance(context, 44100, 256, error);
  if (!instance) return Fail(error);
  const std::vector<DriverParameter> params = instance->Parameters();
  // The format's own way: values change through events of the render on the audio thread, while
  // the main thread reads them and their texts.
  std::atomic<bool> rendering{true};
  std::string renderError;
  std::thread audio([&] {
    Noise noise(context.seed + 7);
    Planar in(2, 256), out(2, 256);
    std::vector<ParameterChange> changes;
    changes.reserve(params.size());
    for (int block = 0; block < 400 && renderError.empty(); ++block) {
      RandomChanges(noise, params, 256, changes);
      renderError = RenderNoise(*instance, noise, in, out, 256, 0.5f, changes.data(), static_cast<int>(changes.size()));
    }
    rendering = false;
  });
  std::string readError;
  while (rendering.load() && readError.empty()) {
    for (const DriverParameter& p : params) {
      double v = NAN;
      std::string text;
      if (!instance->GetValue(p.id, v) || !std::isfinite(v) || v < p.minimum || v > p.maximum)
        readError = Label(p) + " read " + std::to_string(v) + " while rendering";
      else if (context.driver->HasValueText() && !instance->ValueToText(p.id, v, text))
        readError = Label(p) + " has no text for " + std::to_string(v) + " while rendering";
    }
  }
  audio.join();
  if (!renderError.empty()) return Fail(renderError);
  if (!readError.empty()) return Fail(readError);
  // Both threads are done: a value sent with a render reads back.
  std::vector<ParameterChange> last;
  for (const DriverParameter& p : params)
    if (!p.readOnly) last.push_back({p.id, p.maximum, 0});
  Noise noise(context.seed);
  Planar in(2, 256), out(2, 256);
  if (!(error = RenderNoise(*instance, noise, in, out, 256, 0.5f, last.data(), static_cast<int>(last.size()))).empty())
    return Fail(error);
  for (const DriverParameter& p : params) {
    double v = NAN;
    if (!p.readOnly && (!instance->GetValue(p.id, v) || v != p.maximum))
      return Fail(Label(p) + " reads " + std::to_string(v) + " after a render set it to its maximum");
  }
  return Pass();
}

CheckOutcome DriverRealtimeSafety(DriverContext& context, int)
{
  constexpr int kRenders = 1000, kFrames = 256;
  std::string error;
  std::unique_ptr<PluginInstance> instance = PreparedInstance(context, 44100, kFrames, error);
  if (!instance) return Fail(error);
  const std::vector<DriverParameter> params = instance->Parameters();
  Noise noise(context.seed);
  Planar in(2, kFrames), out(2, kFrames);
  std::vector<ParameterChange> changes;
  changes.reserve(params.size());
  // One render first, so that what a plug-in does once (first touches) is not counted.
  if (!(error = RenderNoise(*instance, noise, in, out, kFrames)).empty()) return Fail(error);
  RealtimeCounts counts;
  {
    RealtimeProbe probe;
    for (int i = 0; i < kRenders && error.empty(); ++i) {
      probe.Pause();
      RandomChanges(noise, params, kFrames, changes);
      for (int c = 0; c < 2; ++c) noise.Fill(in.data[c].data(), kFrames, 0.5f);
      probe.Resume();
      if (!instance->Render(in.in.data(), out.out.data(), kFrames, changes.data(), static_cast<int>(changes.size())))
        error = "render " + std::to_string(i + 1) + " was refused";
    }
    counts = probe.Counts();
  }
  if (!error.empty()) return Fail(error);
  const std::string summary = std::to_string(counts.allocations) + " allocations, " + std::to_string(counts.frees) +
                              " frees, " + std::to_string(counts.locks) + " locks (" +
                              std::to_string(counts.contendedLocks) + " contended) in " + std::to_string(kRenders) +
                              " renders";
  if (counts.allocations || counts.frees || counts.contendedLocks) return Fail(summary);
  if (!RealtimeProbe::CountsAllocations()) return Fail("allocations cannot be counted in this build");
  return Pass(summary);
}

CheckOutcome DriverLongSession(DriverContext& context, int cycles)
{
  Planar in(2, 64), out(2, 64);
  for (int i = 0; i < cycles; ++i) {
    std::string error;
    std::unique_ptr<PluginInstance> instance = PreparedInstance(context, 44100, 64, error);
    if (!instance) return Fail("cycle " + std::to_string(i + 1) + ": " + error);
    if (!instance->Render(in.in.data(), out.out.data(), 64, nullptr, 0))
      return Fail("cycle " + std::to_string(i + 1) + ": the render was refused");
  }
  return Pass();
}
