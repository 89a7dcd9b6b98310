// TplName_render_sine LV2APPLY URI WORKDIR: writes a 440 Hz sine to WORKDIR/in.wav, runs it through
// the LV2 plug-in URI with lilv's lv2apply (LV2_PATH names the build folder) at -12 dB, and checks
// that what comes out is the sine at a quarter of its amplitude, sample by sample once the first block's
// ramp from the default -6 dB is over.
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 48000;
constexpr int kFrames = kRate / 2;

bool WriteSine(const std::string& path, std::vector<float>& samples)
{
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  samples.resize(kFrames);
  for (int i = 0; i < kFrames; ++i) samples[i] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * 440.0 * i / kRate));
  const bool ok = sf_writef_float(file, samples.data(), kFrames) == kFrames;
  return sf_close(file) == 0 && ok;
}

std::vector<float> ReadMono(const std::string& path)
{
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file || info.channels != 1) return {};
  std::vector<float> samples(static_cast<size_t>(info.frames));
  samples.resize(static_cast<size_t>(sf_readf_float(file, samples.data(), info.frames)));
  sf_close(file);
  return samples;
}

} // namespace

int main(int argc, char** argv)
{
  if (argc != 4) {
    std::fputs("usage: TplName_render_sine LV2APPLY URI WORKDIR\n", stderr);
    return 2;
  }
  const std::string dir = argv[3];
  std::filesystem::create_directories(dir);
  std::vector<float> in;
  if (!WriteSine(dir + "/in.wav", in)) {
    std::fprintf(stderr, "cannot write %s/in.wav\n", dir.c_str());
    return 1;
  }
  const std::string command =
      std::string("'") + argv[1] + "' -i '" + dir + "/in.wav' -o '" + dir + "/out.wav' -c gain -12 '" + argv[2] + "'";
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    return 1;
  }
  const std::vector<float> out = ReadMono(dir + "/out.wav");
  if (out.size() != in.size()) {
    std::fprintf(stderr, "%zu frames in, %zu out\n", in.size(), out.size());
    return 1;
  }
  const double expected = std::pow(10.0, -12.0 / 20.0);
  for (size_t i = 8192; i < out.size(); ++i) {
    if (std::fabs(out[i] - in[i] * expected) > 1e-4) {
      std::fprintf(stderr, "frame %zu: %g, expected %g\n", i, out[i], in[i] * expected);
      return 1;
    }
  }
  std::puts("the sine came out 12 dB down");
  return 0;
}
