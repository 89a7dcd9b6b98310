// Sound-file input and crash-safe output for the brindle command, over libsndfile.
//
// SoundReader opens anything libsndfile reads ("-" is standard input). SafeSoundWriter writes into a
// temporary file in the destination's folder and moves it over the destination only on Commit, so a
// failed or interrupted run never leaves a half-written or clobbered output; without Commit the
// temporary file is removed. Standard output ("-"), devices and FIFOs are written straight into
// instead (see OutputTarget.h). Samples travel as interleaved 32-bit float. Outputs carry no PEAK
// chunk, whose time stamp would make identical renders differ.
#pragma once

#include "tools/files/OutputFiles.h"

#include <sndfile.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class SoundStream;
class SafeOutput;

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
  std::FILE* mSpool = nullptr; // standard input from a pipe, copied to where it can be read again
};

class SafeSoundWriter
{
public:
  SafeSoundWriter();
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
  // Samples written beyond full scale into an encoding that cannot hold them (clipped).
  std::int64_t ClippedSamples() const { return mClipped; }

private:
  // The message for a failed write or close: the system's reason when a byte did not get through.
  std::string Failure(const std::string& what, long frames, long written) const;

  SNDFILE* mFile = nullptr;
  std::unique_ptr<SafeOutput> mOutput;
  std::unique_ptr<SoundStream> mStream;
  int mChannels = 0;
  bool mCountClips = false;
  std::int64_t mClipped = 0;
};
