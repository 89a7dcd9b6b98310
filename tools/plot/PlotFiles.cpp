// Reading sound files into figure rows, drawing, and saving.
#include "tools/plot/PlotFiles.h"

#include "tools/files/AudioFiles.h"
#include "tools/files/PngWriter.h"
#include "tools/plot/WaveformFigure.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

std::string FileName(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The mean of the channels; non-finite samples (a damaged float file) count as silence and huge
// ones are held to a plottable size.
bool LoadRow(const PlotInput& input, FigureRow& row, std::string& error)
{
  SoundReader reader;
  if (!reader.Open(input.path, error)) return false;
  const int channels = reader.Channels();
  const int rate = reader.SampleRate();
  if (channels <= 0 || rate <= 0) {
    error = "'" + input.path + "' declares no channels or no sample rate";
    return false;
  }
  std::vector<float> block(static_cast<size_t>(4096) * channels);
  row.samples.clear();
  // The declared length saves regrowing; a damaged header cannot make it reserve absurd amounts.
  if (reader.Frames() > 0 && reader.Frames() < (std::int64_t{1} << 28))
    row.samples.reserve(static_cast<size_t>(reader.Frames()));
  for (;;) {
    const long got = reader.Read(block.data(), 4096, error);
    if (got < 0) {
      error = "'" + input.path + "': " + error;
      return false;
    }
    if (got == 0) break;
    for (long f = 0; f < got; ++f) {
      double sum = 0;
      for (int c = 0; c < channels; ++c) {
        const float s = block[static_cast<size_t>(f) * channels + c];
        sum += std::isfinite(s) ? std::fmax(-1e6f, std::fmin(1e6f, s)) : 0.0f;
      }
      row.samples.push_back(static_cast<float>(sum / channels));
    }
  }
  if (row.samples.empty()) {
    error = "'" + input.path + "' holds no audio";
    return false;
  }
  row.sampleRate = rate;
  row.title = input.title.empty() ? FileName(input.path) : input.title;
  const double seconds = static_cast<double>(row.samples.size()) / rate;
  char format[96];
  if (seconds < 1)
    std::snprintf(format, sizeof format, "%d Hz, %.3g ms", rate, seconds * 1000);
  else
    std::snprintf(format, sizeof format, "%d Hz, %.*f s", rate, seconds < 10 ? 2 : 1, seconds);
  std::string detail = std::string(channels == 1 ? "mono, " : channels == 2 ? "stereo, " : ", ") + format;
  if (channels > 2) detail = std::to_string(channels) + " channels" + detail;
  if (channels > 1) detail += " (mixed to mono)";
  row.detail = (input.title.empty() ? std::string() : FileName(input.path) + ", ") + detail;
  return true;
}

} // namespace

bool PlotSoundFiles(const std::vector<PlotInput>& inputs, const std::string& title, const std::string& subtitle,
                    const std::string& outPath, std::string& error)
{
  if (inputs.empty() || inputs.size() > static_cast<size_t>(kMaxPlotRows)) {
    error = "a picture takes 1 to " + std::to_string(kMaxPlotRows) + " sound files";
    return false;
  }
  ComparisonFigure figure;
  figure.title = title;
  figure.subtitle = subtitle;
  figure.rows.resize(inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i)
    if (!LoadRow(inputs[i], figure.rows[i], error)) return false;
  std::unique_ptr<FigureCanvas> canvas = DrawComparisonFigure(figure);
  if (!canvas) {
    error = "cannot allocate the picture";
    return false;
  }
  return WritePngFile(&canvas->Bitmap(), outPath, error);
}
