// Sound-file input and crash-safe output for the brindle command, over libsndfile.
//
// SoundReader opens anything libsndfile reads. SafeSoundWriter writes into a temporary file in the
// destination's folder and renames it over the destination only on Commit, so a failed or
// interrupted run never leaves a half-written or clobbered output; without Commit the temporary
// file is removed. Samples travel as interleaved 32-bit float.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>

class SoundReader
{
public:
  SoundReader() = default;
  ~SoundReader();
  SoundReader(const SoundReader&) = delete;
  SoundReader& operator=(const SoundReader&) = delete;

  bool Open(const std::string& path, std::string& error);
  // Reads up to frames interleaved frames; returns the count read (0 at the end), -1 on error.
  long Read(float* interleaved, long frames, std::string& error);

  int Channels() const { return mInfo.channels; }
  int SampleRate() const { return mInfo.samplerate; }
  int Format() const { return mInfo.format; }
  // Frame count the file declares; 0 or less when unknown.
  std::int64_t Frames() const { return mInfo.frames; }

private:
  SNDFILE* mFile = nullptr;
  SF_INFO mInfo{};
};

class SafeSoundWriter
{
public:
  SafeSoundWriter() = default;
  ~SafeSoundWriter(); // removes the temporary file unless committed
  SafeSoundWriter(const SafeSoundWriter&) = delete;
  SafeSoundWriter& operator=(const SafeSoundWriter&) = delete;

  // format is a libsndfile format word (major type | subtype | endianness).
  bool Open(const std::string& path, int format, int channels, int sampleRate, std::string& error);
  bool Write(const float* interleaved, long frames, std::string& error);
  // Closes the file and moves it into place.
  bool Commit(std::string& error);
  // Closes and removes the temporary file.
  void Abandon();

private:
  SNDFILE* mFile = nullptr;
  std::string mPath;
  std::string mTempPath;
};

// Removes the temporary output of an interrupted run; installed for SIGINT, SIGTERM and SIGHUP.
void InstallTempFileCleanup();
