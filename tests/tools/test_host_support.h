// Helpers for the host-side tests: running the brindle program, temporary folders, small sound
// files and the bundle built next to the program.
#pragma once

#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "tests/tools/test_temp_dir.h"

namespace hosttest {

inline std::string Exe()
{
  return BRINDLE_EXE;
}

// The bundle the build puts beside the program's folder.
inline std::string BundlePath()
{
  const std::string exe = Exe();
  return exe.substr(0, exe.rfind('/')) + "/../Brindle.component";
}

struct RunResult
{
  int status = -1;
  std::string out, err;
};

inline std::string Slurp(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// Runs the program with arguments (quoted by the caller where needed); optional environment prefix.
inline RunResult RunBrindle(const std::string& args, const std::string& env = "")
{
  char outPath[] = "/tmp/brindle-host-out-XXXXXX";
  char errPath[] = "/tmp/brindle-host-err-XXXXXX";
  close(mkstemp(outPath));
  close(mkstemp(errPath));
  const std::string cmd = env + " " + Exe() + " " + args + " >" + outPath + " 2>" + errPath;
  const int raw = std::system(cmd.c_str());
  RunResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = Slurp(outPath);
  r.err = Slurp(errPath);
  unlink(outPath);
  unlink(errPath);
  return r;
}

inline int LineCount(const std::string& text)
{
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

inline bool Exists(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

inline void WriteText(const std::string& path, const std::string& text)
{
  std::ofstream(path, std::ios::binary) << text;
}

// A float WAV of a decaying two-tone signal (never near zero for long).
inline void WriteSignal(const std::string& path, int channels, int rate, int frames)
{
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = rate;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  std::vector<float> samples(static_cast<size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      samples[static_cast<size_t>(i) * channels + c] =
          static_cast<float>(0.6 * std::sin(i * (0.021 + 0.005 * c)) + 0.2 * std::sin(i * 0.0031 + c));
  sf_writef_float(f, samples.data(), frames);
  sf_close(f);
}

inline std::vector<float> ReadSamples(const std::string& path)
{
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return {};
  std::vector<float> samples(static_cast<size_t>(info.frames) * info.channels);
  sf_readf_float(f, samples.data(), info.frames);
  sf_close(f);
  return samples;
}

// True when both files hold the same floats bit for bit (and the same count).
inline bool SameBits(const std::vector<float>& a, const std::vector<float>& b)
{
  return !a.empty() && a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

} // namespace hosttest
