// Sound output straight into a descriptor: standard output, a pipe or FIFO, a character device.
//
// A seekable descriptor (a redirected regular file, /dev/null) takes any format libsndfile writes.
// A pipe cannot be rewound to fill in the sizes at the end, and libsndfile refuses to write WAV
// there, so WAV into a pipe gets its header from here with the largest sizes the fields hold (as
// sox writes it; readers then read to the end of the stream) and the samples follow as raw data
// through libsndfile, with the same conversion and clipping as a file gets. Other formats go to
// libsndfile as they are, and it refuses those it cannot stream.
#pragma once

#include <sndfile.h>

#include <string>

class SoundStream
{
public:
  SoundStream() = default;
  ~SoundStream(); // closes the descriptor
  SoundStream(const SoundStream&) = delete;
  SoundStream& operator=(const SoundStream&) = delete;

  // Takes ownership of fd. The returned file is closed by the caller (sf_close) before this object
  // goes; null with a message on failure.
  SNDFILE* Open(int fd, const std::string& name, int format, int channels, int sampleRate, std::string& error);
  // True when a write into the descriptor failed (a closed pipe, a full disk).
  bool Failed() const { return mFailed; }

  // The WAV header written before streamed data; empty when the encoding has no plain WAV form.
  static std::string StreamedWavHeader(int subtype, int channels, int sampleRate);

private:
  static sf_count_t Length(void* self);
  static sf_count_t Seek(sf_count_t offset, int whence, void* self);
  static sf_count_t Read(void* buffer, sf_count_t count, void* self);
  static sf_count_t Write(const void* buffer, sf_count_t count, void* self);
  static sf_count_t Tell(void* self);
  bool WriteAll(const void* bytes, size_t count);

  int mFd = -1;
  sf_count_t mPosition = 0;
  bool mFailed = false;
};
