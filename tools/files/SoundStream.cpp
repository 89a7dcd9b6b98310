// Streamed WAV headers and libsndfile's virtual I/O onto a descriptor.
#include "tools/files/SoundStream.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void Put16(std::string& out, unsigned value)
{
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value)
{
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

} // namespace

std::string SoundStream::StreamedWavHeader(int subtype, int channels, int sampleRate)
{
  unsigned tag = 1, bits = 0; // WAVE_FORMAT_PCM
  switch (subtype) {
  case SF_FORMAT_PCM_U8:
    bits = 8;
    break;
  case SF_FORMAT_PCM_16:
    bits = 16;
    break;
  case SF_FORMAT_PCM_24:
    bits = 24;
    break;
  case SF_FORMAT_PCM_32:
    bits = 32;
    break;
  case SF_FORMAT_FLOAT:
    tag = 3, bits = 32;
    break; // WAVE_FORMAT_IEEE_FLOAT
  case SF_FORMAT_DOUBLE:
    tag = 3, bits = 64;
    break;
  case SF_FORMAT_ALAW:
    tag = 6, bits = 8;
    break;
  case SF_FORMAT_ULAW:
    tag = 7, bits = 8;
    break;
  default:
    return std::string();
  }
  const unsigned blockAlign = static_cast<unsigned>(channels) * bits / 8;
  const bool plainPcm = tag == 1;
  std::string header = "RIFF";
  Put32(header, 0xFFFFFFFFu);
  header += "WAVEfmt ";
  Put32(header, plainPcm ? 16 : 18);
  Put16(header, tag);
  Put16(header, static_cast<unsigned>(channels));
  Put32(header, static_cast<std::uint32_t>(sampleRate));
  Put32(header, static_cast<std::uint32_t>(sampleRate) * blockAlign);
  Put16(header, blockAlign);
  Put16(header, bits);
  if (!plainPcm) {
    Put16(header, 0); // no extension bytes
    header += "fact";
    Put32(header, 4);
    Put32(header, 0xFFFFFFFFu); // frame count: unknown, as large as it goes
  }
  header += "data";
  // The data runs to the end of the stream; its size is what the RIFF size leaves for it.
  Put32(header, 0xFFFFFFFFu - static_cast<std::uint32_t>(header.size() + 4 - 8));
  return header;
}

SNDFILE* SoundStream::Open(int fd, const std::string& name, int format, int channels, int sampleRate,
                           std::string& error)
{
  mFd = fd;
  mPosition = 0;
  mMemory.clear();
  mFailed = false;
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = sampleRate;
  info.format = format;
  SF_VIRTUAL_IO io{&Length, &Seek, &Read, &Write, &Tell};
  const off_t start = lseek(fd, 0, SEEK_CUR);
  if (start >= 0) {
    mMode = Mode::kSeekable;
    mPosition = start;
  } else if ((format & SF_FORMAT_TYPEMASK) != SF_FORMAT_WAV) {
    mMode = Mode::kMemory;
  } else {
    mMode = Mode::kRawAfterHeader;
    const int subtype = format & SF_FORMAT_SUBMASK;
    const std::string header = StreamedWavHeader(subtype, channels, sampleRate);
    if (header.empty()) {
      error = "cannot stream this WAV encoding into '" + name + "'; write it to a file";
      return nullptr;
    }
    if (!WriteAll(header.data(), header.size())) {
      error = "cannot write '" + name + "': " + std::strerror(mErrno);
      return nullptr;
    }
    info.format = SF_FORMAT_RAW | subtype | SF_ENDIAN_LITTLE;
  }
  SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &info, this);
  if (!file) error = "cannot write '" + name + "': " + (mFailed ? std::strerror(mErrno) : sf_strerror(nullptr));
  return file;
}

bool SoundStream::Finish()
{
  if (mMode != Mode::kMemory || mFailed) return !mFailed;
  mMode = Mode::kRawAfterHeader;
  const std::string bytes = std::move(mMemory);
  mMemory.clear();
  return WriteAll(bytes.data(), bytes.size());
}

bool SoundStream::WriteAll(const void* bytes, size_t count)
{
  if (mFailed) return false;
  const char* p = static_cast<const char*>(bytes);
  while (count > 0) {
    const ssize_t n = write(mFd, p, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      mFailed = true;
      mErrno = n < 0 ? errno : EIO;
      return false;
    }
    p += n;
    count -= static_cast<size_t>(n);
    mPosition += n;
  }
  return true;
}

sf_count_t SoundStream::Length(void* self)
{
  SoundStream& s = *static_cast<SoundStream*>(self);
  if (s.mMode == Mode::kMemory) return static_cast<sf_count_t>(s.mMemory.size());
  struct stat st;
  if (s.mMode == Mode::kSeekable && fstat(s.mFd, &st) == 0 && S_ISREG(st.st_mode)) return st.st_size;
  return s.mPosition;
}

sf_count_t SoundStream::Seek(sf_count_t offset, int whence, void* self)
{
  SoundStream& s = *static_cast<SoundStream*>(self);
  if (s.mMode == Mode::kSeekable) {
    const off_t at = lseek(s.mFd, static_cast<off_t>(offset), whence);
    if (at >= 0) s.mPosition = at;
    return at;
  }
  const sf_count_t base = whence == SEEK_SET ? 0 : (whence == SEEK_CUR ? s.mPosition : Length(self));
  const sf_count_t target = base + offset;
  // Raw data after a header is written front to back; only "where am I" seeks can succeed.
  if (s.mMode == Mode::kRawAfterHeader) return target == s.mPosition ? target : -1;
  if (target < 0) return -1;
  s.mPosition = target;
  return target;
}

sf_count_t SoundStream::Read(void* buffer, sf_count_t count, void* self)
{
  SoundStream& s = *static_cast<SoundStream*>(self);
  if (s.mMode == Mode::kSeekable) {
    const ssize_t n = read(s.mFd, buffer, static_cast<size_t>(count));
    if (n <= 0) return 0;
    s.mPosition += n;
    return n;
  }
  if (s.mMode != Mode::kMemory || s.mPosition >= static_cast<sf_count_t>(s.mMemory.size())) return 0;
  const sf_count_t n = std::min<sf_count_t>(count, static_cast<sf_count_t>(s.mMemory.size()) - s.mPosition);
  std::memcpy(buffer, s.mMemory.data() + s.mPosition, static_cast<size_t>(n));
  s.mPosition += n;
  return n;
}

sf_count_t SoundStream::Write(const void* buffer, sf_count_t count, void* self)
{
  SoundStream& s = *static_cast<SoundStream*>(self);
  if (s.mMode == Mode::kMemory) {
    const size_t end = static_cast<size_t>(s.mPosition + count);
    if (s.mMemory.size() < end) s.mMemory.resize(end);
    std::memcpy(&s.mMemory[static_cast<size_t>(s.mPosition)], buffer, static_cast<size_t>(count));
    s.mPosition += count;
    return count;
  }
  // After a failed write the bytes are taken and dropped: the failure is reported from Failed(), and
  // libsndfile, told of it, skips freeing some encoders' state (Vorbis) when the file is closed.
  const sf_count_t before = s.mPosition;
  if (!s.WriteAll(buffer, static_cast<size_t>(count))) s.mPosition = before + count;
  return count;
}

sf_count_t SoundStream::Tell(void* self)
{
  return static_cast<SoundStream*>(self)->mPosition;
}
