// A helper for lilv_gain_checks.sh: checks that OUT is IN through Gain's law at the given settings,
// worked out here from the formula (stereo: the left channel times g * cos(theta), the right times
// g * sin(theta), with g = 10^(dB / 20) and theta = (pan + 100) / 200 * pi / 2; mono: times g).
//   gain_wav_check IN OUT GAIN_DB PAN
// Exits 0 when every sample agrees to float precision, else 1 with the first difference.
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

bool Read(const char* path, SF_INFO& info, std::vector<float>& data)
{
  info = SF_INFO{};
  SNDFILE* file = sf_open(path, SFM_READ, &info);
  if (!file) return false;
  data.resize(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
  const bool ok = sf_readf_float(file, data.data(), info.frames) == info.frames;
  sf_close(file);
  return ok;
}

} // namespace

int main(int argc, char** argv)
{
  if (argc != 5) {
    std::fputs("usage: gain_wav_check IN OUT GAIN_DB PAN\n", stderr);
    return 2;
  }
  SF_INFO inInfo, outInfo;
  std::vector<float> in, out;
  if (!Read(argv[1], inInfo, in) || !Read(argv[2], outInfo, out)) {
    std::fprintf(stderr, "gain_wav_check: cannot read %s or %s\n", argv[1], argv[2]);
    return 1;
  }
  if (inInfo.channels != outInfo.channels || inInfo.frames != outInfo.frames || inInfo.frames == 0) {
    std::fprintf(stderr, "gain_wav_check: %d x %ld in, %d x %ld out\n", inInfo.channels,
                 static_cast<long>(inInfo.frames), outInfo.channels, static_cast<long>(outInfo.frames));
    return 1;
  }
  const double g = std::pow(10.0, std::atof(argv[3]) / 20.0);
  const double theta = (std::atof(argv[4]) + 100.0) / 200.0 * (M_PI / 2.0);
  const int channels = inInfo.channels;
  const double factor[2] = {channels == 1 ? g : g * std::cos(theta), g * std::sin(theta)};
  for (size_t i = 0; i < in.size(); ++i) {
    const int c = static_cast<int>(i % static_cast<size_t>(channels));
    const double expected = in[i] * factor[c];
    if (std::fabs(out[i] - expected) > 1e-6 * std::fabs(expected) + 1e-9) {
      std::fprintf(stderr, "gain_wav_check: frame %zu channel %d is %.9g, not %.9g\n", i / channels, c, out[i],
                   expected);
      return 1;
    }
  }
  return 0;
}
