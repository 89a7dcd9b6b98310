// The brindle command as a new user meets it: outputs that are devices, pipes, links or someone
// else's file; outputs that are inputs; hostile preset paths; containers chosen by extension;
// inputs cut short and clipped outputs; byte-identical renders; option spelling; finding the
// component from a copied or installed program.
#include "tests/tools/test_temp_dir.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct ShellRun
{
  int status;
  std::string err;
};

std::string Slurp(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

void Spit(const std::string& path, const std::string& bytes)
{
  std::ofstream(path, std::ios::binary) << bytes;
}

// Runs a shell line in which "B" stands for the command; stdout goes where the line says (else
// /dev/null), stderr is captured.
ShellRun Sh(const TempDir& dir, std::string line)
{
  for (size_t at = line.find("B "); at != std::string::npos; at = line.find("B ", at + 1))
    if (at == 0 || line[at - 1] == ' ' || line[at - 1] == '|') line.replace(at, 1, BRINDLE_EXE);
  const std::string err = dir / "..err";
  if (line.find('>') == std::string::npos) line += " >/dev/null";
  const int raw = std::system(("cd '" + dir.Path() + "' && (" + line + ") 2>'" + err + "'").c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(err)};
}

void WriteSound(const std::string& path, int channels, int frames, int format, float amplitude = 0.5f)
{
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = 44100;
  info.format = format;
  SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
  std::vector<float> s(static_cast<size_t>(frames) * channels);
  for (size_t i = 0; i < s.size(); ++i)
    s[i] = amplitude * static_cast<float>(std::sin(0.01 * static_cast<double>(i / channels)));
  sf_writef_float(f, s.data(), frames);
  sf_close(f);
}

struct SoundInfo
{
  int format = 0;
  long long frames = -1;
};

SoundInfo ReadInfo(const std::string& path)
{
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return {};
  // Count what can really be read: a streamed header declares no length.
  std::vector<float> block(4096 * info.channels);
  long long frames = 0;
  for (sf_count_t n; (n = sf_readf_float(f, block.data(), 4096)) > 0;) frames += n;
  sf_close(f);
  return {info.format, frames};
}

struct stat StatOf(const std::string& path)
{
  struct stat st
  {};
  lstat(path.c_str(), &st);
  return st;
}

constexpr int kFloatWav = SF_FORMAT_WAV | SF_FORMAT_FLOAT;

} // namespace

TEST(BrindleOutputs, DevicesPipesLinksAndReplacedFilesSurvive)
{
  TempDir dir;
  WriteSound(dir / "in.wav", 2, 3000, kFloatWav);
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
  Spit(dir / "target.wav", "old");
  ASSERT_EQ(symlink("target.wav", (dir / "link.wav").c_str()), 0);
  Spit(dir / "private.wav", "old");
  chmod((dir / "private.wav").c_str(), 0600);
  Spit(dir / "linked.wav", "old");
  ASSERT_EQ(link((dir / "linked.wav").c_str(), (dir / "other-name.wav").c_str()), 0);
  if (geteuid() == 0) {
    ASSERT_EQ(chown((dir / "private.wav").c_str(), 4321, 4321), 0);
  }

  struct Case
  {
    const char* line;
    const char* readBack; // file that must then hold the 3000 rendered frames
  };
  const Case cases[] = {
      {"B render in.wav /dev/null", nullptr},
      {"B render in.wav - | cat > piped.wav", "piped.wav"},
      {"B render in.wav - > redirected.wav", "redirected.wav"},
      {"B render in.wav /dev/stdout > viastdout.wav", "viastdout.wav"},
      {"timeout 20 cat fifo > fromfifo.wav & B render in.wav fifo; wait", "fromfifo.wav"},
      {"B render in.wav - | B render - fromstdin.wav", "fromstdin.wav"},
      {"B render in.wav link.wav", "target.wav"},
      {"B render in.wav private.wav", "private.wav"},
      {"B render in.wav linked.wav", "other-name.wav"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const ShellRun r = Sh(dir, c.line);
    ASSERT_EQ(r.status, 0) << r.err;
    if (c.readBack) {
      EXPECT_EQ(ReadInfo(dir / c.readBack).frames, 3000);
    }
  }
  EXPECT_TRUE(S_ISCHR(StatOf("/dev/null").st_mode));
  EXPECT_TRUE(S_ISFIFO(StatOf(dir / "fifo").st_mode));
  EXPECT_TRUE(S_ISLNK(StatOf(dir / "link.wav").st_mode));
  EXPECT_EQ(StatOf(dir / "private.wav").st_mode & 07777, 0600u);
  if (geteuid() == 0) {
    EXPECT_EQ(StatOf(dir / "private.wav").st_uid, 4321u);
  }
  EXPECT_EQ(StatOf(dir / "linked.wav").st_ino, StatOf(dir / "other-name.wav").st_ino);
  // The pipe got a WAV header with the largest sizes, since nothing can be filled in later.
  EXPECT_EQ(Slurp(dir / "piped.wav").substr(0, 8), std::string("RIFF\xff\xff\xff\xff", 8));
  for (const std::string& name : dir.Entries()) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST(BrindleOutputs, RefusalsAreOneLineAndTouchNothing)
{
  TempDir dir;
  WriteSound(dir / "in.wav", 1, 1000, kFloatWav);
  WriteSound(dir / "keep.wav", 1, 1000, kFloatWav);
  ASSERT_EQ(symlink("in.wav", (dir / "alias.wav").c_str()), 0);
  Spit(dir / "notes.txt", "my notes");
  Spit(dir / "notes.fxp", "my notes, not a program");
  ASSERT_EQ(mkdir((dir / "folder").c_str(), 0755), 0);
  Spit(dir / "sparse.aupreset", "");
  ASSERT_EQ(truncate((dir / "sparse.aupreset").c_str(), 1LL << 30), 0);
  const std::string in = Slurp(dir / "in.wav"), keep = Slurp(dir / "keep.wav");

  struct Case
  {
    const char* line;
    int status;
    const char* mention;
  };
  const Case cases[] = {
      {"B render in.wav in.wav", 1, "is the input"},
      {"B render in.wav alias.wav", 1, "is the input"},
      {"B render in.wav - >> in.wav", 1, "is the input"},
      {"B plot in.wav keep.wav -o in.wav", 1, "is the input"},
      {"B plot in.wav -o keep.wav", 1, "--force"},
      {"B plot in.wav -o notes.txt", 1, "--force"},
      {"B save-preset keep.wav", 2, "must end in .aupreset, .fxp or .fxb"},
      {"B save-preset notes.fxp", 1, "--force"},
      {"B render --preset folder in.wav out.wav", 1, "folder"},
      {"B render --preset /dev/zero in.wav out.wav", 1, "not a preset file"},
      {"B render --preset sparse.aupreset in.wav out.wav", 1, "too large"},
      {"B save-preset --preset=/dev/zero out.aupreset", 1, "not a preset file"},
      {"B render in.wav out.xyz", 1, "'.xyz'"},
      {"B render in.wav out.wav --type bogus", 2, "--type"},
      {"B render in.wav folder", 1, "folder"},
      {"B render -x in.wav out.wav", 2, "unknown option '-x'"},
      {"B save-preset -q out.aupreset", 2, "unknown option '-q'"},
      {"B info -z", 2, "unknown option '-z'"},
      {"B validate -z", 2, "unknown option '-z'"},
      {"B demo -z", 2, "unknown option '-z'"},
      {"B render in.wav out.wav --quiet=yes", 2, "takes no value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const ShellRun r = Sh(dir, c.line);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.mention), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  EXPECT_EQ(Slurp(dir / "in.wav"), in);
  EXPECT_EQ(Slurp(dir / "keep.wav"), keep);
  EXPECT_EQ(Slurp(dir / "notes.txt"), "my notes");
  EXPECT_EQ(Slurp(dir / "notes.fxp"), "my notes, not a program");
  struct stat st;
  EXPECT_NE(stat((dir / "out.wav").c_str(), &st), 0);
  // --force is the way to replace a file of another kind.
  EXPECT_EQ(Sh(dir, "B plot in.wav -o notes.txt --force").status, 0);
  EXPECT_EQ(Slurp(dir / "notes.txt").substr(1, 3), "PNG");
}

TEST(BrindleOutputs, ContainerFollowsExtensionOrType)
{
  TempDir dir;
  WriteSound(dir / "float.wav", 2, 2000, kFloatWav);
  WriteSound(dir / "pcm16.wav", 1, 2000, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  struct Case
  {
    const char* in;
    const char* out;
    const char* options;
    int format;
  };
  const Case cases[] = {
      {"float.wav", "a.flac", "", SF_FORMAT_FLAC | SF_FORMAT_PCM_24}, // nearest FLAC takes
      {"pcm16.wav", "b.FLAC", "", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
      {"pcm16.wav", "c.aif", "", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
      {"float.wav", "d.ogg", "", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
      {"float.wav", "e.wav", "--type flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
      {"float.wav", "f", "", kFloatWav},
      {"a.flac", "g.wav", "", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
      {"float.wav", "h.au", "--type=au", SF_FORMAT_AU | SF_FORMAT_FLOAT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.out);
    const ShellRun r = Sh(dir, std::string("B render ") + c.in + " " + c.out + " " + c.options);
    ASSERT_EQ(r.status, 0) << r.err;
    const SoundInfo info = ReadInfo(dir / c.out);
    EXPECT_EQ(info.format & (SF_FORMAT_TYPEMASK | SF_FORMAT_SUBMASK), c.format);
    EXPECT_EQ(info.frames, 2000);
  }
}

TEST(BrindleOutputs, WarnsOfCutInputsAndClippingAndRendersReproducibly)
{
  TempDir dir;
  WriteSound(dir / "whole.wav", 1, 20000, kFloatWav);
  const std::string whole = Slurp(dir / "whole.wav");
  Spit(dir / "cut.wav", whole.substr(0, whole.size() - 4 * 5000)); // 5000 frames missing
  WriteSound(dir / "whole.ogg", 1, 44100, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
  const std::string ogg = Slurp(dir / "whole.ogg");
  Spit(dir / "cut.ogg", ogg.substr(0, ogg.size() * 9 / 10)); // without its last page
  WriteSound(dir / "loud.wav", 2, 5000, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0.9f);
  {
    // The same samples as float, read back through libsndfile as the command reads them.
    SF_INFO info{};
    SNDFILE* in = sf_open((dir / "loud.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(in, nullptr);
    std::vector<float> s(static_cast<size_t>(info.frames) * info.channels);
    sf_readf_float(in, s.data(), info.frames);
    sf_close(in);
    info.format = kFloatWav;
    SNDFILE* out = sf_open((dir / "loud-float.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(out, nullptr);
    sf_writef_float(out, s.data(), static_cast<sf_count_t>(s.size() / 2));
    sf_close(out);
  }

  struct Case
  {
    const char* line;
    const char* warning; // empty: no warning at all
  };
  const Case cases[] = {
      {"B render whole.wav a.wav", ""},
      {"B render cut.wav b.wav", "promises 20000 frames, holds 15000"},
      {"B render cut.ogg c.wav", "cut short"},
      {"B render loud.wav d.wav --effect off", "samples clipped"},
      {"B render loud.wav e.wav --effect off --type wav --quiet", "samples clipped"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const ShellRun r = Sh(dir, c.line);
    EXPECT_EQ(r.status, 0) << r.err;
    if (*c.warning) {
      EXPECT_NE(r.err.find(std::string("warning: ")), std::string::npos) << r.err;
      EXPECT_NE(r.err.find(c.warning), std::string::npos) << r.err;
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    } else {
      EXPECT_EQ(r.err, "");
    }
  }
  // The count is the samples beyond full scale, as a float render of the same input shows.
  ASSERT_EQ(Sh(dir, "B render loud-float.wav float.caf --effect off").status, 0);
  SF_INFO info{};
  info.format = 0;
  SNDFILE* f = sf_open((dir / "float.caf").c_str(), SFM_READ, &info);
  ASSERT_NE(f, nullptr);
  std::vector<float> s(static_cast<size_t>(info.frames) * info.channels);
  sf_readf_float(f, s.data(), info.frames);
  sf_close(f);
  long long over = 0;
  for (float v : s) over += std::fabs(v) > 1.0f;
  EXPECT_GT(over, 0);
  const std::string clipped = Sh(dir, "B render loud.wav g.wav --effect off").err;
  EXPECT_NE(clipped.find(" " + std::to_string(over) + " samples"), std::string::npos) << over << ": " << clipped;
  // Two float renders are the same bytes: no PEAK chunk with a time stamp.
  Sh(dir, "B render whole.wav r1.wav");
  sleep(1);
  Sh(dir, "B render whole.wav r2.wav");
  EXPECT_EQ(Slurp(dir / "r1.wav"), Slurp(dir / "r2.wav"));
  EXPECT_EQ(Slurp(dir / "r1.wav").find("PEAK"), std::string::npos);
}

TEST(BrindleOutputs, OptionSpellingsAndFindingTheComponent)
{
  TempDir dir;
  WriteSound(dir / "-dash.wav", 1, 1000, kFloatWav);
  const std::string ok[] = {
      "B render -- -dash.wav out1.wav",
      "B render --level=0.3 --block=64 --engine=direct -- -dash.wav out2.wav",
      "B demo --out=demo",
      "B plot --title=T --out=p.png -- -dash.wav",
      "B save-preset --level=0.2 -- -preset.aupreset",
      "B info --component=" + std::string(BRINDLE_EXE).substr(0, std::string(BRINDLE_EXE).rfind('/')) +
          "/../Brindle.component",
      "B --version > version.txt",
  };
  for (const std::string& line : ok) {
    SCOPED_TRACE(line);
    const ShellRun r = Sh(dir, line);
    EXPECT_EQ(r.status, 0) << r.err;
  }
  EXPECT_EQ(Slurp(dir / "version.txt").compare(0, 8, "brindle "), 0);

  // An installed tree (as `make install` lays it out, DESTDIR included) finds its own bundle;
  // $BRINDLE_COMPONENT and --component come first, in that order.
  const std::string exe = BRINDLE_EXE;
  const std::string binary = exe.substr(0, exe.rfind('/', exe.rfind('/') - 1)); // build/tools/brindle
  const ShellRun install =
      Sh(dir, std::string("DESTDIR=") + dir.Path() + "/stage cmake --install '" + binary + "' --prefix /opt/brindle");
  ASSERT_EQ(install.status, 0) << install.err;
  const std::string installed = dir / "stage/opt/brindle/bin/brindle";
  struct stat st;
  EXPECT_EQ(stat((dir / "stage/opt/brindle/share/man/man1/brindle.1").c_str(), &st), 0);
  struct Lookup
  {
    std::string line;
    int status;
  };
  const Lookup lookups[] = {
      {"env -u BRINDLE_COMPONENT " + installed + " info", 0},
      {"BRINDLE_COMPONENT=/nowhere " + installed + " info", 1},
      {"BRINDLE_COMPONENT=/nowhere " + installed + " info --component " + dir.Path() +
           "/stage/opt/brindle/lib/brindle/Brindle.component",
       0},
  };
  for (const Lookup& l : lookups) {
    SCOPED_TRACE(l.line);
    const ShellRun r = Sh(dir, l.line);
    EXPECT_EQ(r.status, l.status) << r.err;
  }
}

TEST(BrindleOutputs, MakeDemoBuildsOnlyTheCommand)
{
  const char* source = std::getenv("BRINDLE_SOURCE_DIR");
  if (!source) GTEST_SKIP() << "run through ctest, which names the source folder";
  TempDir dir;
  ASSERT_EQ(Sh(dir, std::string("make -n -C '") + source + "' demo BUILD=" + dir.Path() + "/b > plan.txt").status, 0);
  std::istringstream plan(Slurp(dir / "plan.txt"));
  int builds = 0;
  for (std::string line; std::getline(plan, line);) {
    if (line.find("cmake --build") == std::string::npos) continue;
    ++builds;
    EXPECT_NE(line.find("--target brindle"), std::string::npos) << line;
  }
  EXPECT_EQ(builds, 1);
}
