// The render loop shared by `brindle render` and `brindle demo`.
#include "tools/render/RenderJob.h"

#include "effect/BrindleParams.h"
#include "tools/files/AudioFiles.h"
#include "tools/files/AudioFormatChoice.h"
#include "tools/files/InputLength.h"
#include "tools/files/OutputTarget.h"
#include "tools/render/ProgressBar.h"

#include <chrono>
#include <vector>

namespace {

bool ApplySettings(const RenderSettings& s, IRenderEngine& engine, std::string& error)
{
  if (s.hasLevel && !engine.SetParam(BrindleParams::kLevel, s.level, error)) return false;
  if (s.hasAttack && !engine.SetParam(BrindleParams::kAttack, s.attack, error)) return false;
  if (s.effect >= 0 && !engine.SetParam(BrindleParams::kEffect, s.effect, error)) return false;
  if (s.cabinet >= 0 && !engine.SetParam(BrindleParams::kCabinet, s.cabinet, error)) return false;
  return true;
}

} // namespace

bool RenderFile(const std::string& inPath, const std::string& outPath, const RenderSettings& settings,
                IRenderEngine& engine, RenderStats& stats, std::string& error)
{
  if (settings.blockSize < 1 || settings.blockSize > kMaxBlockSize) {
    error = "block size must be between 1 and " + std::to_string(kMaxBlockSize);
    return false;
  }
  if (!CheckOutputIsNoInput({inPath}, outPath, error)) return false;
  SoundReader reader;
  if (!reader.Open(inPath, error)) return false;
  const int channels = reader.Channels();
  if (channels != 1 && channels != 2) {
    error =
        "'" + inPath + "' has " + std::to_string(channels) + " channels; only mono and stereo files can be processed";
    return false;
  }
  RenderFormat format;
  format.sampleRate = reader.SampleRate();
  format.channels = channels;
  format.maxFrames = settings.blockSize;
  if (!engine.Open(format, error) || !ApplySettings(settings, engine, error)) return false;

  int outFormat = 0;
  if (!ChooseOutputFormat(outPath, settings.type, reader.Format(), channels, reader.SampleRate(), outFormat, error))
    return false;
  SafeSoundWriter writer;
  if (!writer.Open(outPath, outFormat, channels, reader.SampleRate(), error)) return false;

  const long block = settings.blockSize;
  std::vector<float> interleaved(static_cast<size_t>(block) * channels);
  std::vector<float> planarIn(static_cast<size_t>(block) * channels);
  std::vector<float> planarOut(static_cast<size_t>(block) * channels);
  const float* in[2] = {planarIn.data(), planarIn.data() + (channels - 1) * block};
  float* out[2] = {planarOut.data(), planarOut.data() + (channels - 1) * block};

  ProgressBar progress(settings.progress, reader.Frames());
  stats = RenderStats{};
  stats.sampleRate = reader.SampleRate();
  stats.channels = channels;
  std::chrono::steady_clock::duration busy{};
  for (;;) {
    const long got = reader.Read(interleaved.data(), block, error);
    if (got < 0) return false;
    if (got == 0) break;
    for (long i = 0; i < got; ++i)
      for (int c = 0; c < channels; ++c) planarIn[c * block + i] = interleaved[i * channels + c];
    const auto start = std::chrono::steady_clock::now();
    if (!engine.Render(in, out, static_cast<int>(got), error)) return false;
    busy += std::chrono::steady_clock::now() - start;
    for (long i = 0; i < got; ++i)
      for (int c = 0; c < channels; ++c) interleaved[i * channels + c] = planarOut[c * block + i];
    if (!writer.Write(interleaved.data(), got, error)) return false;
    stats.frames += got;
    progress.Update(stats.frames);
  }
  progress.Finish();
  stats.seconds = std::chrono::duration<double>(busy).count();
  if (!writer.Commit(error)) return false;
  const std::string cut = CutShortWarning(inPath, reader.Format(), reader.Frames(), stats.frames);
  if (!cut.empty()) stats.warnings.push_back(cut);
  stats.clipped = writer.ClippedSamples();
  if (stats.clipped > 0)
    stats.warnings.push_back(std::to_string(stats.clipped) +
                             " samples clipped at full scale (the output's encoding "
                             "holds no more; a float output or a lower --level keeps them)");
  return true;
}
