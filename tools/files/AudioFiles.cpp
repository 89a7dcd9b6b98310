// libsndfile reading and temp-file-and-rename writing.
#include "tools/files/AudioFiles.h"

#include "tools/files/OutputFiles.h"
#include "tools/files/OutputTarget.h"
#include "tools/files/SoundStream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

SoundReader::~SoundReader()
{
  if (mFile) sf_close(mFile);
  if (mSpool) std::fclose(mSpool);
}

bool SoundReader::Open(const std::string& path, std::string& error)
{
  mInfo = SF_INFO{};
  if (path == "-" && lseek(STDIN_FILENO, 0, SEEK_CUR) < 0) {
    // Most decoders (FLAC's among them) look back and ahead in their file, which a pipe cannot do:
    // standard input is first copied into an unnamed temporary file.
    mSpool = std::tmpfile();
    char buffer[1 << 16];
    bool copied = mSpool != nullptr;
    for (ssize_t n; copied && (n = read(STDIN_FILENO, buffer, sizeof buffer)) != 0;) {
      if (n < 0 && errno == EINTR) continue;
      copied = n > 0 && std::fwrite(buffer, 1, static_cast<size_t>(n), mSpool) == static_cast<size_t>(n);
    }
    if (!copied || std::fflush(mSpool) != 0 || lseek(fileno(mSpool), 0, SEEK_SET) != 0) {
      error = std::string("cannot read standard input: ") + std::strerror(errno);
      return false;
    }
    mFile = sf_open_fd(fileno(mSpool), SFM_READ, &mInfo, SF_FALSE);
  } else {
    mFile = sf_open(path.c_str(), SFM_READ, &mInfo);
  }
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
  Abandon();
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
  mOutput = std::make_unique<SafeOutput>();
  if (!mOutput->Open(path, error)) {
    mOutput.reset();
    return false;
  }
  mStream = std::make_unique<SoundStream>();
  mFile = mStream->Open(mOutput->Fd(), path, format, channels, sampleRate, error);
  if (!mFile) {
    Abandon();
    return false;
  }
  // Integer formats clip rather than wrap around when the effect goes past full scale.
  sf_command(mFile, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  // The PEAK chunk holds the time of writing: without it, the same input gives the same bytes.
  sf_command(mFile, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  return true;
}

std::string SafeSoundWriter::Failure(const std::string& what, long frames, long written) const
{
  if (mStream->Failed()) return WriteFailure(mOutput->Name(), mStream->Errno());
  if (mFile && sf_error(mFile) != SF_ERR_NO_ERROR) return what + ": " + sf_strerror(mFile);
  if (frames > written)
    return what + ": the encoder took " + std::to_string(written) + " of " + std::to_string(frames) +
           " frames (are there samples that are not finite numbers?)";
  return what;
}

bool SafeSoundWriter::Write(const float* interleaved, long frames, std::string& error)
{
  if (mCountClips) {
    const float* end = interleaved + static_cast<size_t>(frames) * mChannels;
    for (const float* s = interleaved; s != end; ++s) mClipped += *s > 1.0f || *s < -1.0f;
  }
  const sf_count_t written = sf_writef_float(mFile, interleaved, frames);
  if (written != frames || mStream->Failed()) {
    error = Failure("cannot write '" + mOutput->Name() + "'", frames, static_cast<long>(written));
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
  const int closeErr = sf_close(mFile);
  mFile = nullptr;
  const bool finished = mStream->Finish();
  if (closeErr != 0 || !finished) {
    error = mStream->Failed() ? WriteFailure(mOutput->Name(), mStream->Errno())
                              : "cannot finish '" + mOutput->Name() + "': " + sf_error_number(closeErr);
    Abandon();
    return false;
  }
  const bool ok = mOutput->Commit(error);
  Abandon();
  return ok;
}

void SafeSoundWriter::Abandon()
{
  if (mFile) {
    sf_close(mFile);
    mFile = nullptr;
  }
  mStream.reset();
  mOutput.reset();
}
