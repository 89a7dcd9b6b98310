// The brindle command, run as a program: render against direct processing of the chain (bit for
// bit, mono and stereo, several rates, block sizes and settings), format preservation, refusals
// that leave no output behind, help texts and the demo.
#include "effect/BrindleChain.h"
#include "tools/cli/CommandLine.h"
#include "tools/cli/Commands.h"

#include "tests/tools/test_temp_dir.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::string BrindleExe()
{
  return BRINDLE_EXE;
}

struct RunResult
{
  int status;
  std::string err;
};

// Runs the command with arguments (already shell-quoted where needed), capturing stderr.
RunResult RunBrindle(const std::string& args)
{
  char errPath[] = "/tmp/brindle-test-err-XXXXXX";
  const int fd = mkstemp(errPath);
  close(fd);
  const std::string cmd = BrindleExe() + " " + args + " >/dev/null 2>" + errPath;
  const int raw = std::system(cmd.c_str());
  std::ifstream f(errPath);
  std::string err((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  unlink(errPath);
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, err};
}

struct Audio
{
  int channels = 0, rate = 0, format = 0;
  std::vector<float> samples; // interleaved
};

void WriteFile(const std::string& path, const Audio& a)
{
  SF_INFO info{};
  info.channels = a.channels;
  info.samplerate = a.rate;
  info.format = a.format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
  sf_writef_float(f, a.samples.data(), a.samples.size() / a.channels);
  sf_close(f);
}

Audio ReadFile(const std::string& path)
{
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  Audio a;
  if (!f) return a;
  a.channels = info.channels;
  a.rate = info.samplerate;
  a.format = info.format;
  a.samples.resize(static_cast<size_t>(info.frames) * info.channels);
  sf_readf_float(f, a.samples.data(), info.frames);
  sf_close(f);
  return a;
}

Audio MakeInput(int channels, int rate, int frames, int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT)
{
  Audio a{channels, rate, format, std::vector<float>(static_cast<size_t>(frames) * channels)};
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      a.samples[i * channels + c] =
          static_cast<float>(0.5 * std::sin(i * (0.013 + 0.007 * c)) * std::exp(-(i % 5000) / 2500.0));
  return a;
}

// What the command must produce: a fresh plug-in (first instance in its process: generator state
// 1), its filters designed at 44100 Hz and redesigned with a second noise table when the file's
// rate differs, then block-wise processing of the float input, results rounded to float.
std::vector<float> Expected(const Audio& in, int block, const BrindleSettings& st)
{
  const std::uint32_t saved = rand_state;
  rand_state = 1;
  std::vector<double> noise(kBrindleNoiseTableSize);
  BrindleFillNoiseTable(noise.data());
  AuDSP dsp;
  BrindleDesignFilters(dsp, 44100.0);
  if (in.rate != 44100) {
    BrindleFillNoiseTable(noise.data());
    BrindleDesignFilters(dsp, in.rate);
  }
  rand_state = saved;
  const int frames = static_cast<int>(in.samples.size() / in.channels);
  std::vector<float> out(in.samples.size());
  std::vector<double> l(block), r(block), o0(block), o1(block);
  for (int start = 0; start < frames; start += block) {
    const int n = std::min(block, frames - start);
    for (int i = 0; i < n; ++i) {
      l[i] = in.samples[(start + i) * in.channels];
      r[i] = in.channels == 2 ? in.samples[(start + i) * 2 + 1] : 0.0;
    }
    BrindleProcessPlain(dsp, st, noise.data(), {l.data(), r.data(), o0.data(), o1.data(), n});
    for (int i = 0; i < n; ++i)
      for (int c = 0; c < in.channels; ++c)
        out[(start + i) * in.channels + c] = static_cast<float>(c == 0 ? o0[i] : o1[i]);
  }
  return out;
}

bool FileExists(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

} // namespace

TEST(BrindleRender, MatchesDirectProcessingBitForBit)
{
  TempDir dir;
  struct Case
  {
    int channels, rate, frames, block;
    const char* options;
    BrindleSettings settings;
  };
  BrindleSettings defaults;
  BrindleSettings custom;
  // Settings reach the plug-in as a host's 32-bit parameter values.
  custom.outputGain = 4.0 * double(0.3f);
  custom.drive = 5.0 * double(0.9f);
  custom.attack = double(0.9f);
  custom.cabinetOn = false;
  BrindleSettings off;
  off.effectOn = false;
  const Case cases[] = {
      {1, 44100, 3000, 512, "", defaults},
      {2, 44100, 2500, 100, "--level 0.3 --attack=0.9 --cabinet off", custom},
      {2, 48000, 4000, 1024, "", defaults},
      {1, 22050, 700, 7, "--block 7 --effect off", off},
      {2, 96000, 50000, 44101, "--block 44101", defaults}, // one block longer than the noise table
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    const Audio in = MakeInput(c.channels, c.rate, c.frames);
    WriteFile(dir / "in.wav", in);
    std::string options = c.options;
    if (c.block != 512 && options.find("--block") == std::string::npos)
      options += " --block " + std::to_string(c.block);
    const RunResult r = RunBrindle("render " + (dir / "in.wav") + " " + (dir / "out.wav") + " --quiet " + options);
    ASSERT_EQ(r.status, 0) << r.err;
    const Audio out = ReadFile(dir / "out.wav");
    EXPECT_EQ(out.channels, c.channels);
    EXPECT_EQ(out.rate, c.rate);
    EXPECT_EQ(out.format, in.format);
    const std::vector<float> expected = Expected(in, c.block, c.settings);
    ASSERT_EQ(out.samples.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
      ASSERT_EQ(0, std::memcmp(&out.samples[i], &expected[i], sizeof(float))) << "sample " << i;
  }
}

TEST(BrindleRender, KeepsIntegerFormatsAndClipsInsteadOfWrapping)
{
  TempDir dir;
  Audio in = MakeInput(2, 44100, 2000, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  for (float& s : in.samples) s = s > 0 ? 0.75f : -0.75f; // with the effect off, left + right goes past full scale
  WriteFile(dir / "in.wav", in);
  const RunResult r = RunBrindle("render " + (dir / "in.wav") + " " + (dir / "out.wav") + " --effect off");
  ASSERT_EQ(r.status, 0) << r.err;
  const Audio out = ReadFile(dir / "out.wav");
  EXPECT_EQ(out.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  EXPECT_EQ(out.channels, 2);
  EXPECT_EQ(out.samples.size(), in.samples.size());
  const std::vector<float> expected = Expected(ReadFile(dir / "in.wav"), 512, [] {
    BrindleSettings s;
    s.effectOn = false;
    return s;
  }());
  int clipped = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    const float want = std::max(-1.0f, std::min(1.0f, expected[i]));
    ASSERT_NEAR(out.samples[i], want, 2.0 / 32768) << i;
    clipped += std::fabs(expected[i]) > 1.0f;
  }
  EXPECT_GT(clipped, 0) << "the test signal should have reached past full scale";
}

TEST(BrindleRender, RefusalsExplainAndLeaveNoOutput)
{
  TempDir dir;
  WriteFile(dir / "mono.wav", MakeInput(1, 44100, 1000));
  WriteFile(dir / "three.wav", MakeInput(3, 44100, 1000));
  {
    std::ofstream junk(dir / "junk.wav");
    junk << "this is not a sound file";
  }
  {
    std::ofstream keep(dir / "keep.wav");
    keep << "precious";
  }
  const std::string mono = dir / "mono.wav", out = dir / "out.wav", keep = dir / "keep.wav";
  struct Bad
  {
    std::string args;
    int status;
    const char* mention;
  };
  const Bad bads[] = {
      {"render " + (dir / "missing.wav") + " " + out, 1, "cannot read"},
      {"render " + (dir / "junk.wav") + " " + keep, 1, "cannot read"},
      {"render " + (dir / "three.wav") + " " + keep, 1, "3 channels"},
      {"render " + mono + " " + keep + " --level 1.5", 2, "--level"},
      {"render " + mono + " " + out + " --attack -0.1", 2, "--attack"},
      {"render " + mono + " " + out + " --level nan", 2, "--level"},
      {"render " + mono + " " + out + " --level 0.5x", 2, "--level"},
      {"render " + mono + " " + out + " --effect maybe", 2, "--effect"},
      {"render " + mono + " " + out + " --block 0", 2, "--block"},
      {"render " + mono + " " + out + " --block 2.5", 2, "--block"},
      {"render " + mono + " " + out + " --level", 2, "needs a value"},
      {"render " + mono + " " + out + " --volume 3", 2, "unknown option"},
      {"render " + mono, 2, "expected an input and an output"},
      {"render " + mono + " " + (dir / "no/such/folder/out.wav"), 1, "cannot create"},
      {"frobnicate", 2, "unknown command"},
  };
  for (const Bad& b : bads) {
    SCOPED_TRACE(b.args);
    const RunResult r = RunBrindle(b.args);
    EXPECT_EQ(r.status, b.status);
    EXPECT_NE(r.err.find(b.mention), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
    EXPECT_FALSE(FileExists(out));
  }
  // The existing file was never touched, and no temporary file was left behind.
  std::ifstream kept(keep);
  std::string content;
  kept >> content;
  EXPECT_EQ(content, "precious");
  for (const std::string& name : dir.Entries()) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;

  // A successful run replaces the destination and also leaves nothing else.
  ASSERT_EQ(RunBrindle("render " + mono + " " + keep).status, 0);
  EXPECT_EQ(ReadFile(keep).channels, 1);
  EXPECT_EQ(dir.Entries().size(), 4u);
}

TEST(BrindleRender, StatsHelpAndDemo)
{
  TempDir dir;
  for (const char* args : {"--help", "render --help", "demo --help"}) {
    const RunResult r = RunBrindle(args);
    EXPECT_EQ(r.status, 0) << args;
  }
  const std::string statsOut = dir / "stats.txt";
  WriteFile(dir / "in.wav", MakeInput(2, 44100, 44100));
  ASSERT_EQ(
      std::system(
          (BrindleExe() + " render " + (dir / "in.wav") + " " + (dir / "out.wav") + " --stats > " + statsOut).c_str()),
      0);
  std::ifstream stats(statsOut);
  std::string all((std::istreambuf_iterator<char>(stats)), std::istreambuf_iterator<char>());
  EXPECT_NE(all.find("frames: 44100"), std::string::npos) << all;
  EXPECT_NE(all.find("real-time factor"), std::string::npos) << all;

  const RunResult demo = RunBrindle("demo --out " + (dir / "demo"));
  ASSERT_EQ(demo.status, 0) << demo.err;
  const Audio dry = ReadFile(dir / "demo/brindle-dry.wav");
  const Audio fuzz = ReadFile(dir / "demo/brindle-fuzz.wav");
  ASSERT_EQ(dry.channels, 1);
  EXPECT_GT(dry.samples.size(), 3u * 44100);
  ASSERT_EQ(fuzz.samples.size(), dry.samples.size());
  // The riff is not silence, and the fuzz output is the render of the dry file.
  float peak = 0;
  for (float s : dry.samples) peak = std::max(peak, std::fabs(s));
  EXPECT_GT(peak, 0.1f);
  EXPECT_LT(peak, 1.0f);
  const std::vector<float> expected = Expected(dry, 512, BrindleSettings{});
  for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(fuzz.samples[i], expected[i]) << i;
}

TEST(BrindleRenderParsing, RealValuesAndSwitches)
{
  double v = -1;
  EXPECT_TRUE(ParseRealInRange("0", 0, 1, v));
  EXPECT_EQ(v, 0.0);
  EXPECT_TRUE(ParseRealInRange("1e0", 0, 1, v));
  EXPECT_EQ(v, 1.0);
  EXPECT_TRUE(ParseRealInRange(".25", 0, 1, v));
  EXPECT_EQ(v, 0.25);
  for (const char* bad : {"", "1.0001", "-0.5", "inf", "nan", "0.5 ", "x", "1e400"})
    EXPECT_FALSE(ParseRealInRange(bad, 0, 1, v)) << bad;
  int s = -1;
  EXPECT_TRUE(ParseOnOff("on", s));
  EXPECT_EQ(s, 1);
  EXPECT_TRUE(ParseOnOff("off", s));
  EXPECT_EQ(s, 0);
  EXPECT_FALSE(ParseOnOff("ON", s));
  EXPECT_FALSE(ParseOnOff("1", s));
}
