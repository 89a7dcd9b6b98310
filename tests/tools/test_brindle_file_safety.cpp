// The brindle command's files under hostile conditions: full disks and size limits, hard links,
// FIFOs, links and private modes for every kind of output, outputs that are standard input, pipes
// carrying formats that need rewinding, long names, cut-short inputs and unwritable reports.
#include "plugcore/PresetFiles.h"
#include "tools/files/AudioFiles.h"
#include "tools/files/OutputFiles.h"

#include "test_host_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>

using namespace hosttest;

namespace {

// Runs a shell line in dir in which "B" stands for the command; stdout is captured unless the line
// redirects it.
RunResult Sh(const TempDir& dir, std::string line)
{
  for (size_t at = line.find("B "); at != std::string::npos; at = line.find("B ", at + 1))
    if (at == 0 || line[at - 1] == ' ' || line[at - 1] == '|' || line[at - 1] == ';') line.replace(at, 1, Exe());
  RunResult r;
  const int raw = std::system(
      ("cd '" + dir.Path() + "' && (" + line + ") >'" + dir.Path() + "/.out' 2>'" + dir.Path() + "/.err'").c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = Slurp(dir / ".out");
  r.err = Slurp(dir / ".err");
  unlink((dir / ".out").c_str());
  unlink((dir / ".err").c_str());
  return r;
}

struct stat StatOf(const std::string& path)
{
  struct stat st
  {};
  lstat(path.c_str(), &st);
  return st;
}

// Frames that can really be read (a streamed or piped file declares no length); -1 when unreadable.
long long ReadableFrames(const std::string& path, int* format = nullptr)
{
  SF_INFO info{};
  SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
  if (!f) return -1;
  if (format) *format = info.format & (SF_FORMAT_TYPEMASK | SF_FORMAT_SUBMASK);
  std::vector<float> block(4096 * static_cast<size_t>(info.channels));
  long long frames = 0;
  for (sf_count_t n; (n = sf_readf_float(f, block.data(), 4096)) > 0;) frames += n;
  sf_close(f);
  return frames;
}

bool NoTemporaryLeft(const TempDir& dir)
{
  for (const std::string& name : dir.Entries())
    if (name.find(".tmp") != std::string::npos || name.find(".brindle-") != std::string::npos) return false;
  return true;
}

} // namespace

TEST(BrindleFileSafety, FailedWritesReportTheTruthAndKeepWhatWasThere)
{
  TempDir dir;
  WriteSignal(dir / "in.wav", 2, 44100, 3000);
  WriteSignal(dir / "big.wav", 2, 44100, 200000);
  for (const char* name : {"keep.mp3", "keep.flac", "keep.ogg", "keep.wav", "keep.png"}) WriteText(dir / name, "old");
  ASSERT_EQ(Sh(dir, "B render in.wav self.wav").status, 0);
  const std::string self = Slurp(dir / "self.wav");
  for (const char* name : {"full.fxp", "full.aupreset", "full.png"})
    ASSERT_EQ(symlink("/dev/full", (dir / name).c_str()), 0);
  // A run limited to 16 KiB per file meets its limit as it would meet a full disk.
  const std::string limited = "trap '' XFSZ; ulimit -f 16; ";
  struct Case
  {
    std::string line;
    const char* mention;
  };
  const Case cases[] = {
      {"B render - self.wav < self.wav", "is the input '-'"},
      {"B render - - < self.wav >> self.wav", "is the input '-'"},
      {"B render in.wav /dev/full --type mp3", "No space left on device"},
      {"B render in.wav /dev/full --type flac", "No space left on device"},
      {"B render in.wav /dev/full --type ogg", "No space left on device"},
      {"B render in.wav /dev/full --type wav", "No space left on device"},
      {limited + "B render big.wav keep.mp3", "File too large"},
      {limited + "B render big.wav keep.flac", "File too large"},
      {limited + "B render big.wav keep.ogg", "File too large"},
      {limited + "B render big.wav keep.wav", "File too large"},
      {"trap '' XFSZ; ulimit -f 1; B plot in.wav -o keep.png --force", "File too large"},
      {"B save-preset full.fxp", "No space left on device"},
      {"B save-preset full.aupreset", "No space left on device"},
      {"B plot in.wav -o full.png", "No space left on device"},
      {"B info > /dev/full", "cannot write standard output: No space left on device"},
      {"B validate --level 1 > /dev/full", "cannot write standard output: No space left on device"},
      {"B save-preset x.fxp && B show-preset x.fxp > /dev/full", "cannot write standard output: No space left"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const RunResult r = Sh(dir, c.line);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(c.mention), std::string::npos) << r.err;
    EXPECT_EQ(LineCount(r.err), 1) << r.err;
    EXPECT_EQ(r.err.find("No Error"), std::string::npos) << r.err;
  }
  for (const char* name : {"keep.mp3", "keep.flac", "keep.ogg", "keep.wav", "keep.png"})
    EXPECT_EQ(Slurp(dir / name), "old") << name;
  EXPECT_EQ(Slurp(dir / "self.wav"), self);
  EXPECT_TRUE(NoTemporaryLeft(dir));
}

TEST(BrindleFileSafety, HardLinkedOutputKeepsItsOldBytesWhenTheNewOnesDoNotFit)
{
  TempDir dir;
  const std::string linked = dir / "linked.bin", other = dir / "other.bin", temp = dir / "new.bin";
  const std::string old(10000, 'o'), fresh(100000, 'n');
  WriteText(linked, old);
  ASSERT_EQ(link(linked.c_str(), other.c_str()), 0);
  WriteText(temp, fresh);
  // The limit lets the old bytes be kept aside but stops the new ones part way, as a full disk would.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{50000, 50000};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string error;
    const bool moved = MoveOutputIntoPlace(temp, linked, error);
    _exit(!moved && error.find("File too large") != std::string::npos && error.find("unchanged") != std::string::npos
              ? 0
              : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(Slurp(linked), old);
  EXPECT_EQ(StatOf(linked).st_ino, StatOf(other).st_ino);
  EXPECT_EQ(Slurp(temp), fresh) << "the caller's temporary file is the caller's to remove";
  EXPECT_EQ(dir.Entries().size(), 3u);

  // Without a limit the new bytes reach every link.
  std::string error;
  ASSERT_TRUE(MoveOutputIntoPlace(temp, linked, error)) << error;
  EXPECT_EQ(Slurp(other), fresh);
  EXPECT_EQ(dir.Entries().size(), 2u);
}

TEST(BrindleFileSafety, AnEncoderRefusingSamplesSaysSoAndLeavesNothing)
{
  TempDir dir;
  // libsndfile's FLAC encoder takes no frame of a block holding a NaN, and reports no error.
  SafeSoundWriter writer;
  std::string error;
  ASSERT_TRUE(writer.Open(dir / "nan.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 1, 44100, error)) << error;
  std::vector<float> samples(1000, 0.1f);
  samples[5] = std::nanf("");
  EXPECT_FALSE(writer.Write(samples.data(), 1000, error));
  EXPECT_NE(error.find("0 of 1000 frames"), std::string::npos) << error;
  EXPECT_EQ(error.find("No Error"), std::string::npos) << error;
  writer.Abandon();
  EXPECT_TRUE(dir.Entries().empty());
}

TEST(BrindleFileSafety, EveryOutputKindKeepsLinksModesAndFifos)
{
  TempDir dir;
  WriteSignal(dir / "in.wav", 1, 44100, 3000);
  struct Kind
  {
    const char* extension;
    const char* write; // writes OUT
    const char* magic; // what the written file starts with
  };
  const Kind kinds[] = {
      {"fxp", "B save-preset OUT --level 0.3", "CcnK"},
      {"fxb", "B save-preset OUT --level 0.3", "CcnK"},
      {"aupreset", "B save-preset OUT --level 0.3", "<?xml"},
      {"png", "B plot in.wav -o OUT", "\x89PNG"},
      {"wav", "B render in.wav OUT", "RIFF"},
  };
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.extension);
    const std::string ext = k.extension;
    const auto line = [&](const std::string& out) {
      std::string l = k.write;
      return l.replace(l.find("OUT"), 3, out);
    };
    WriteText(dir / ("target." + ext), "");
    ASSERT_EQ(symlink(("target." + ext).c_str(), (dir / ("link." + ext)).c_str()), 0);
    WriteText(dir / ("private." + ext), "");
    chmod((dir / ("private." + ext)).c_str(), 0600);
    WriteText(dir / ("linked." + ext), "");
    ASSERT_EQ(link((dir / ("linked." + ext)).c_str(), (dir / ("other-name." + ext)).c_str()), 0);
    ASSERT_EQ(mkfifo((dir / ("fifo." + ext)).c_str(), 0644), 0);
    const std::string longName = std::string(250 - ext.size() - 1, 'n') + "." + ext;
    const std::string lines[] = {
        line("link." + ext),
        line("private." + ext),
        line("linked." + ext),
        "timeout 20 cat fifo." + ext + " > from-fifo." + ext + " & " + line("fifo." + ext) + "; wait",
        line(longName),
    };
    for (const std::string& l : lines) {
      const RunResult r = Sh(dir, "timeout 60 " + l);
      EXPECT_EQ(r.status, 0) << l << ": " << r.err;
    }
    for (const std::string& written :
         {"target." + ext, "private." + ext, "other-name." + ext, "from-fifo." + ext, longName})
      EXPECT_EQ(Slurp(dir / written).compare(0, std::strlen(k.magic), k.magic), 0) << written;
    EXPECT_TRUE(S_ISLNK(StatOf(dir / ("link." + ext)).st_mode));
    EXPECT_EQ(StatOf(dir / ("private." + ext)).st_mode & 07777, 0600u);
    EXPECT_EQ(StatOf(dir / ("linked." + ext)).st_ino, StatOf(dir / ("other-name." + ext)).st_ino);
    EXPECT_TRUE(S_ISFIFO(StatOf(dir / ("fifo." + ext)).st_mode));
  }
  EXPECT_TRUE(NoTemporaryLeft(dir));
}

TEST(BrindleFileSafety, PipesStandardInputAndUnusualInputsReadBack)
{
  TempDir dir;
  WriteSignal(dir / "in.wav", 2, 44100, 3000);
  ASSERT_EQ(Sh(dir, "B render in.wav in.flac && B render in.wav in.mp3").status, 0);
  {
    // An AIFF file without its last 1000 frames, and the whole one.
    ASSERT_EQ(Sh(dir, "B render in.wav whole.aiff").status, 0);
    const std::string whole = Slurp(dir / "whole.aiff");
    ASSERT_GT(whole.size(), 1000u * 2 * 4);
    WriteText(dir / "cut.aiff", whole.substr(0, whole.size() - 1000 * 2 * 4));
  }
  struct Case
  {
    const char* line;
    const char* readBack;
    int format;          // of readBack, 0: any
    const char* warning; // expected on stderr, "" for none
  };
  const Case cases[] = {
      {"B render in.wav - --type flac | cat > piped.flac", "piped.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, ""},
      {"B render in.wav - --type aiff | cat > piped.aiff", "piped.aiff", 0, ""},
      {"cat in.flac | B render - from-flac-pipe.wav", "from-flac-pipe.wav", 0, ""},
      {"B render - from-flac-file.wav < in.flac", "from-flac-file.wav", 0, ""},
      {"B render in.mp3 from-mp3.wav", "from-mp3.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, ""},
      {"B render in.mp3 from-mp3.flac", "from-mp3.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, ""},
      {"B render whole.aiff from-aiff.wav", "from-aiff.wav", 0, ""},
      {"B render cut.aiff from-cut.wav", "from-cut.wav", 0, "promises 3000 frames, holds 2000"},
      // Appended to a file: the bytes before it stay, the completed header lands after them.
      {"printf JUNK > app.bin && B render in.wav - --type flac >> app.bin && tail -c +5 app.bin > app.flac", "app.flac",
       SF_FORMAT_FLAC | SF_FORMAT_PCM_24, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const RunResult r = Sh(dir, c.line);
    ASSERT_EQ(r.status, 0) << r.err;
    int format = 0;
    EXPECT_GE(ReadableFrames(dir / c.readBack, &format), 2000);
    if (c.format) {
      EXPECT_EQ(format, c.format);
    }
    if (*c.warning) {
      EXPECT_NE(r.err.find(c.warning), std::string::npos) << r.err;
    } else {
      EXPECT_EQ(r.err, "");
    }
  }
  EXPECT_EQ(Slurp(dir / "app.bin").substr(0, 4), "JUNK");
  // The pipe carries the very bytes a file gets: the stream header complete, nothing after the end.
  EXPECT_EQ(ReadableFrames(dir / "piped.flac"), 3000);
  ASSERT_EQ(Sh(dir, "B render in.wav file.flac").status, 0);
  EXPECT_EQ(Slurp(dir / "piped.flac"), Slurp(dir / "file.flac"));
  EXPECT_TRUE(SameBits(ReadSamples(dir / "from-flac-pipe.wav"), ReadSamples(dir / "from-flac-file.wav")));
}

TEST(BrindleFileSafety, PresetsGoToStandardOutputAndShowNamesHarmlessly)
{
  TempDir dir;
  RunResult r = Sh(dir, "B save-preset - --level 0.25");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.compare(0, 5, "<?xml"), 0) << r.out;
  EXPECT_NE(r.out.find("<key>data</key>"), std::string::npos);

  // Names as a hostile file may carry them: escape sequences, C1 controls, quotes.
  ASSERT_EQ(Sh(dir, "B save-preset plain.fxp").status, 0);
  PresetFileBytes bytes;
  std::string error;
  ASSERT_TRUE(ReadPresetFile((dir / "plain.fxp").c_str(), &bytes, &error)) << error;
  FXPProgram program;
  ASSERT_TRUE(ParseFXP(bytes.data(), bytes.size(), &program, &error)) << error;
  struct Case
  {
    std::string name;
    const char* shown;
  };
  const Case cases[] = {
      {"\x1b]0;owned\x07\x1b[2J", "preset: \"\\x1b]0;owned\\x07\\x1b[2J\""},
      {"a\xc2\x9b"
       "31mb",
       "preset: \"a\\x9b31mb\""},
      {"say \"hi\"\\", "preset: \"say \\\"hi\\\"\\\\\""},
      {"Cr\xc3\xa8me", "preset: \"Cr\xc3\xa8me\""},
  };
  for (const Case& c : cases) {
    program.mName = c.name;
    ASSERT_TRUE(BuildFXP(program, &bytes, &error)) << error;
    WriteText(dir / "named.fxp", std::string(bytes.begin(), bytes.end()));
    r = Sh(dir, "B show-preset named.fxp");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(c.shown), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
  }
}
