// Streamed WAV headers and libsndfile's virtual I/O onto a descriptor.
#include "tools/files/SoundStream.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
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

SoundStream::~SoundStream()
{
  if (mFd >= 0) close(mFd);
}

SNDFILE* SoundStream::Open(int fd, const std::string& name, int format, int channels, int sampleRate,
                           std::string& error)
{
  mFd = fd;
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = sampleRate;
  info.format = format;
  const bool seekable = lseek(fd, 0, SEEK_CUR) >= 0;
  if (seekable || (format & SF_FORMAT_TYPEMASK) != SF_FORMAT_WAV) {
    SNDFILE* file = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
    if (!file) error = "cannot write '" + name + "': " + sf_strerror(nullptr);
    return file;
  }
  const int subtype = format & SF_FORMAT_SUBMASK;
  const std::string header = StreamedWavHeader(subtype, channels, sampleRate);
  if (header.empty()) {
    error = "cannot stream this WAV encoding into '" + name + "'; write it to a file";
    return nullptr;
  }
  if (!WriteAll(header.data(), header.size())) {
    error = "cannot write '" + name + "': " + std::strerror(errno);
    return nullptr;
  }
  info.format = SF_FORMAT_RAW | subtype | SF_ENDIAN_LITTLE;
  SF_VIRTUAL_IO io{&Length, &Seek, &Read, &Write, &Tell};
  SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &info, this);
  if (!file) error = "cannot write '" + name + "': " + sf_strerror(nullptr);
  return file;
}

bool SoundStream::WriteAll(const void* bytes, size_t count)
{
  const char* p = static_cast<const char*>(bytes);
  while (count > 0) {
    const ssize_t n = write(mFd, p, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      mFailed = true;
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
  return static_cast<SoundStream*>(self)->mPosition;
}

// Raw data is written front to back; only "where am I" seeks can succeed.
sf_count_t SoundStream::Seek(sf_count_t offset, int whence, void* self)
{
  SoundStream& s = *static_cast<SoundStream*>(self);
  const sf_count_t target = whence == SEEK_SET ? offset : s.mPosition + offset;
  return target == s.mPosition ? target : -1;
}

sf_count_t SoundStream::Read(void*, sf_count_t, void*)
{
  return 0;
}

sf_count_t SoundStream::Write(const void* buffer, sf_count_t count, void* self)
{
  SoundStream& s = *static_cast<SoundStream*>(self);
  const sf_count_t before = s.mPosition;
  s.WriteAll(buffer, static_cast<size_t>(count));
  return s.mPosition - before;
}

sf_count_t SoundStream::Tell(void* self)
{
  return static_cast<SoundStream*>(self)->mPosition;
}
