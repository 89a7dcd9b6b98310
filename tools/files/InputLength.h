// Noticing a sound file that was cut short, which libsndfile reads without complaint: it clamps a
// WAV or AIFF file's length to what is there, and an Ogg file without its last pages just ends.
#pragma once

#include <cstdint>
#include <string>

// The frames a WAV (RIFF) file's data chunk promises and the whole frames the file holds after the
// chunk's start. False when path is not a readable WAV file with a fmt and a data chunk, or when its
// sizes are the maximal ones of a streamed file (which promise nothing).
bool WavDataFrames(const std::string& path, std::int64_t& promised, std::int64_t& held);

// The same for an AIFF or uncompressed AIFF-C file: the frames its COMM chunk promises and the whole
// frames held after its SSND chunk's data start.
bool AiffDataFrames(const std::string& path, std::int64_t& promised, std::int64_t& held);

// A warning when the input at path (libsndfile format word, the frame count it declared, the frames
// actually read) was cut short; empty when all is well or nothing can be told (standard input).
std::string CutShortWarning(const std::string& path, int format, std::int64_t declaredFrames, std::int64_t framesRead);
