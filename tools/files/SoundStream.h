// Sound output into a descriptor through libsndfile's virtual I/O, so that every byte written is
// checked and a failure (a full disk, a closed pipe) reports the system's own reason.
//
// A seekable descriptor (the temporary file of a replaced output, a redirected regular file,
// /dev/null) takes any format libsndfile writes. A pipe cannot be rewound to fill in the sizes at
// the end, so WAV into a pipe gets its header from here with the largest sizes the fields hold (as
// sox writes it; readers then read to the end of the stream) and the samples follow as raw data
// through libsndfile, with the same conversion and clipping as a file gets. Any other format into a
// pipe is encoded in memory, where libsndfile can go back and complete it, and sent on Finish.
#pragma once

#include <sndfile.h>

#include <string>

class SoundStream
{
public:
  SoundStream() = default;
  SoundStream(const SoundStream&) = delete;
  SoundStream& operator=(const SoundStream&) = delete;

  // Writes into fd, which stays the caller's. The returned file is closed by the caller (sf_close)
  // before Finish and before this object goes; null with a message on failure.
  SNDFILE* Open(int fd, const std::string& name, int format, int channels, int sampleRate, std::string& error);
  // True when a write into the descriptor failed (a closed pipe, a full disk); Errno says why.
  bool Failed() const { return mFailed; }
  int Errno() const { return mErrno; }
  // After sf_close: sends what was encoded in memory. False when that or any earlier write failed.
  bool Finish();

  // The WAV header written before streamed data; empty when the encoding has no plain WAV form.
  static std::string StreamedWavHeader(int subtype, int channels, int sampleRate);

private:
  static sf_count_t Length(void* self);
  static sf_count_t Seek(sf_count_t offset, int whence, void* self);
  static sf_count_t Read(void* buffer, sf_count_t count, void* self);
  static sf_count_t Write(const void* buffer, sf_count_t count, void* self);
  static sf_count_t Tell(void* self);
  bool WriteAll(const void* bytes, size_t count);

  enum class Mode { kSeekable, kRawAfterHeader, kMemory };
  Mode mMode = Mode::kSeekable;
  int mFd = -1;
  sf_count_t mPosition = 0;
  std::string mMemory; // kMemory: the encoded file
  bool mFailed = false;
  int mErrno = 0;
};
