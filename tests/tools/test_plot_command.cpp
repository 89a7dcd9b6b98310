// `brindle plot` run as a program: a picture of the expected size from sound files, and refusals
// (bad arguments, unreadable inputs, unwritable destinations) that leave no output behind.
#include "raster/raster.h"

#include "tests/tools/test_temp_dir.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct PlotRun
{
  int status;
  std::string out, err;
};

std::string Slurp(const std::string& path)
{
  std::ifstream f(path);
  return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// The files in the folder apart from the captured streams ("..stdout", "..stderr").
size_t Count(const TempDir& dir)
{
  size_t n = 0;
  for (const std::string& name : dir.Entries()) n += name.compare(0, 2, "..") != 0;
  return n;
}

PlotRun RunPlot(const TempDir& dir, const std::string& args)
{
  const std::string out = dir / "..stdout", err = dir / "..stderr";
  const int raw = std::system((std::string(BRINDLE_EXE) + " plot " + args + " >" + out + " 2>" + err).c_str());
  PlotRun r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
  unlink(out.c_str());
  unlink(err.c_str());
  return r;
}

void WriteTone(const std::string& path, int channels, int frames)
{
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = 44100;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_TRUE(f);
  std::vector<float> x(static_cast<size_t>(frames) * channels);
  for (size_t i = 0; i < x.size(); ++i) x[i] = static_cast<float>(0.5 * std::sin(0.05 * static_cast<double>(i)));
  sf_writef_float(f, x.data(), frames);
  sf_close(f);
}

TEST(PlotCommand, DrawsOneRowPerFile)
{
  TempDir dir;
  WriteTone(dir / "a.wav", 1, 44100);
  WriteTone(dir / "b.wav", 2, 22050);
  const PlotRun r = RunPlot(dir, dir / "a.wav" + " " + dir / "b.wav" + " -o " + dir / "ab.png --title Two");
  ASSERT_EQ(r.status, 0) << r.err;
  std::unique_ptr<Raster_IBitmap> one(Raster_LoadPNG((dir / "ab.png").c_str()));
  ASSERT_TRUE(one);
  EXPECT_EQ(one->getWidth(), 1400);
  ASSERT_EQ(RunPlot(dir, "-o " + dir / "a.png " + dir / "a.wav").status, 0);
  std::unique_ptr<Raster_IBitmap> single(Raster_LoadPNG((dir / "a.png").c_str()));
  ASSERT_TRUE(single);
  // A second row adds the same height again.
  const int rowHeight = one->getHeight() - single->getHeight();
  EXPECT_GT(rowHeight, 150);
  EXPECT_GT(single->getHeight(), rowHeight);
  EXPECT_EQ(Count(dir), 4u); // two inputs, two pictures, no temporaries

  const PlotRun help = RunPlot(dir, "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: brindle plot", 0), 0u) << help.out;
}

TEST(PlotCommand, RefusalsLeaveNoOutput)
{
  TempDir dir;
  WriteTone(dir / "a.wav", 1, 1000);
  std::ofstream(dir / "junk.wav") << "not a sound file";
  WriteTone(dir / "empty.wav", 1, 0);
  mkdir((dir / "folder.png").c_str(), 0777);
  // An earlier picture (its signature is enough to be replaceable without --force).
  const std::string old = "\x89PNG\r\n\x1a\nold";
  std::ofstream(dir / "keep.png") << old;
  const std::string a = dir / "a.wav";
  struct Case
  {
    std::string args;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {"", 2, "no input files"},
      {a, 2, "no output picture"},
      {a + " -o", 2, "needs a value"},
      {a + " -o " + dir / "x.png --bogus", 2, "unknown option"},
      {a + " -o " + dir / "x.png -o " + dir / "y.png", 2, "only one output"},
      {"-o " + dir / "x.png", 2, "no input files"},
      {a + " " + dir / "missing.wav -o " + dir / "keep.png", 1, "missing.wav"},
      {a + " " + dir / "junk.wav -o " + dir / "keep.png", 1, "junk.wav"},
      {dir / "empty.wav -o " + dir / "keep.png", 1, "holds no audio"},
      {a + " -o " + dir / "nofolder/x.png", 1, "nofolder"},
      {a + " -o " + dir / "folder.png", 1, "folder.png"},
  };
  for (const Case& c : cases) {
    const PlotRun r = RunPlot(dir, c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
  }
  // Only the files made above: no picture, no temporary, and the old picture untouched.
  EXPECT_EQ(Count(dir), 5u);
  EXPECT_EQ(Slurp(dir / "keep.png"), old);
}

} // namespace
