// libsndfile reading and temp-file-and-rename writing.
#include "tools/files/AudioFiles.h"

#include "tools/files/OutputFiles.h"
#include "tools/files/OutputTarget.h"
#include "tools/files/SoundStream.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The one temporary file in flight, for the signal handler (async-signal-safe access only).
char gTempPath[4096];
std::atomic<bool> gTempActive{false};

void RemoveTempAndExit(int sig)
{
  if (gTempActive.load()) unlink(gTempPath);
  signal(sig, SIG_DFL);
  raise(sig);
}

} // namespace

void InstallTempFileCleanup()
{
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) std::signal(sig, RemoveTempAndExit);
}

SoundReader::~SoundReader()
{
  if (mFile) sf_close(mFile);
}

bool SoundReader::Open(const std::string& path, std::string& error)
{
  mInfo = SF_INFO{};
  mFile = sf_open(path.c_str(), SFM_READ, &mInfo);
  if (!mFile) {
    error = "cannot read '" + path + "': " + sf_strerror(nullptr);
    return false;
  }
  return true;
}

long SoundReader::Read(float* interleaved, long frames, std::string& error)
{
  const sf_count_t got = sf_readf_float(mFile, interleaved, frames);
  if (got < frames && sf_error(mFile) != SF_ERR_NO_ERROR) {
    error = std::string("read error: ") + sf_strerror(mFile);
    return -1;
  }
  return static_cast<long>(got);
}

SafeSoundWriter::SafeSoundWriter() = default;

SafeSoundWriter::~SafeSoundWriter()
{
  Abandon();
}

bool SafeSoundWriter::Open(const std::string& path, int format, int channels, int sampleRate, std::string& error)
{
  OutputTarget target;
  if (!ResolveOutputTarget(path, target, error)) return false;
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = sampleRate;
  info.format = format;
  if (!sf_format_check(&info)) {
    error = "this file type cannot be written";
    return false;
  }
  const int subtype = format & SF_FORMAT_SUBMASK;
  mCountClips = subtype != SF_FORMAT_FLOAT && subtype != SF_FORMAT_DOUBLE;
  mClipped = 0;
  mChannels = channels;
  if (target.kind == OutputKind::kStream) {
    const int fd = OpenStreamOutput(target, error);
    if (fd < 0) return false;
    mStream = std::make_unique<SoundStream>();
    mFile = mStream->Open(fd, path, format, channels, sampleRate, error);
    if (!mFile) {
      mStream.reset();
      return false;
    }
  } else {
    mPath = target.path;
    const std::string pattern = TempPatternFor(mPath);
    if (pattern.size() >= sizeof gTempPath) {
      error = "output path too long";
      return false;
    }
    std::strcpy(gTempPath, pattern.c_str());
    const int fd = mkstemp(gTempPath);
    if (fd < 0) {
      error = "cannot create a file in '" + FolderOf(mPath) + "': " + std::strerror(errno);
      return false;
    }
    mTempPath = gTempPath;
    gTempActive.store(true);
    mFile = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (!mFile) {
      error = std::string("cannot write '") + path + "': " + sf_strerror(nullptr);
      close(fd);
      Abandon();
      return false;
    }
  }
  // Integer formats clip rather than wrap around when the effect goes past full scale.
  sf_command(mFile, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  // The PEAK chunk holds the time of writing: without it, the same input gives the same bytes.
  sf_command(mFile, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  return true;
}

bool SafeSoundWriter::Write(const float* interleaved, long frames, std::string& error)
{
  if (mCountClips) {
    const float* end = interleaved + static_cast<size_t>(frames) * mChannels;
    for (const float* s = interleaved; s != end; ++s) mClipped += *s > 1.0f || *s < -1.0f;
  }
  if (sf_writef_float(mFile, interleaved, frames) != frames || (mStream && mStream->Failed())) {
    error = std::string("write error: ") + sf_strerror(mFile);
    return false;
  }
  return true;
}

bool SafeSoundWriter::Commit(std::string& error)
{
  if (!mFile) {
    error = "nothing to commit";
    return false;
  }
  sf_write_sync(mFile);
  const int closeErr = sf_close(mFile);
  mFile = nullptr;
  if (closeErr != 0 || (mStream && mStream->Failed())) {
    error =
        std::string("cannot finish the output: ") + (closeErr != 0 ? sf_error_number(closeErr) : std::strerror(EPIPE));
    Abandon();
    return false;
  }
  if (mStream) {
    mStream.reset();
    return true;
  }
  if (!MoveOutputIntoPlace(mTempPath, mPath, error)) {
    Abandon();
    return false;
  }
  mTempPath.clear();
  gTempActive.store(false);
  return true;
}

void SafeSoundWriter::Abandon()
{
  if (mFile) {
    sf_close(mFile);
    mFile = nullptr;
  }
  mStream.reset();
  if (!mTempPath.empty()) {
    unlink(mTempPath.c_str());
    mTempPath.clear();
  }
  gTempActive.store(false);
}
