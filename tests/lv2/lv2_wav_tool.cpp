// A helper for lilv_checks.sh: writes a test signal as a float WAV, and compares two sound files
// sample for sample (exit 0 only when every sample is bit-identical).
//   lv2_wav_tool make OUT CHANNELS RATE FRAMES
//   lv2_wav_tool same A B
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
int Make(const char* path, int channels, int rate, int frames)
{
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = rate;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path, SFM_WRITE, &info);
  if (!file) return 1;
  // A decaying chord with a different mix per channel, loud enough to drive the fuzz hard.
  std::vector<float> data(static_cast<size_t>(frames) * static_cast<size_t>(channels));
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) {
      const double t = static_cast<double>(i) / rate;
      const double v = std::exp(-3.0 * t) *
                       (0.6 * std::sin(2 * M_PI * 110.0 * t) + 0.3 * std::sin(2 * M_PI * (165.0 + 40.0 * c) * t));
      data[static_cast<size_t>(i * channels + c)] = static_cast<float>(v);
    }
  const bool ok = sf_writef_float(file, data.data(), frames) == frames;
  sf_close(file);
  return ok ? 0 : 1;
}

bool Read(const char* path, SF_INFO* info, std::vector<float>* data)
{
  *info = SF_INFO{};
  SNDFILE* file = sf_open(path, SFM_READ, info);
  if (!file) return false;
  data->resize(static_cast<size_t>(info->frames) * static_cast<size_t>(info->channels));
  const bool ok = sf_readf_float(file, data->data(), info->frames) == info->frames;
  sf_close(file);
  return ok;
}

int Same(const char* a, const char* b)
{
  SF_INFO ia, ib;
  std::vector<float> da, db;
  if (!Read(a, &ia, &da) || !Read(b, &ib, &db)) return 2;
  if (ia.channels != ib.channels || ia.frames != ib.frames) {
    std::printf("shape differs: %d x %lld against %d x %lld\n", ia.channels, static_cast<long long>(ia.frames),
                ib.channels, static_cast<long long>(ib.frames));
    return 1;
  }
  for (size_t i = 0; i < da.size(); ++i)
    if (std::memcmp(&da[i], &db[i], sizeof(float)) != 0) {
      std::printf("sample %zu differs: %.9g against %.9g\n", i, da[i], db[i]);
      return 1;
    }
  std::printf("%zu samples equal\n", da.size());
  return 0;
}
} // namespace

int main(int argc, char** argv)
{
  if (argc == 6 && std::strcmp(argv[1], "make") == 0)
    return Make(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
  if (argc == 4 && std::strcmp(argv[1], "same") == 0) return Same(argv[2], argv[3]);
  std::fputs("usage: lv2_wav_tool make OUT CHANNELS RATE FRAMES | same A B\n", stderr);
  return 2;
}
