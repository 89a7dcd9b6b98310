// WAV chunk walking and the frame count comparison.
#include "tools/files/InputLength.h"

#include <sndfile.h>

#include <cstdio>
#include <algorithm>
#include <fstream>
#include <sys/stat.h>

namespace {

std::uint32_t Le32(const unsigned char* p)
{
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

} // namespace

bool WavDataFrames(const std::string& path, std::int64_t& promised, std::int64_t& held)
{
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  std::ifstream file(path, std::ios::binary);
  unsigned char riff[12];
  if (!file.read(reinterpret_cast<char*>(riff), 12) || std::string(reinterpret_cast<char*>(riff), 4) != "RIFF" ||
      std::string(reinterpret_cast<char*>(riff + 8), 4) != "WAVE")
    return false;
  if (Le32(riff + 4) == 0xFFFFFFFFu) return false; // streamed: sizes unknown when written
  unsigned blockAlign = 0;
  std::int64_t offset = 12;
  // Chunks are word aligned; a handful is usual, so a bound keeps a damaged file from looping long.
  for (int chunks = 0; chunks < 1000 && offset + 8 <= st.st_size; ++chunks) {
    unsigned char head[8];
    file.seekg(offset);
    if (!file.read(reinterpret_cast<char*>(head), 8)) return false;
    const std::string id(reinterpret_cast<char*>(head), 4);
    const std::uint32_t size = Le32(head + 4);
    if (id == "fmt " && size >= 16) {
      unsigned char fmt[16];
      if (!file.read(reinterpret_cast<char*>(fmt), 16)) return false;
      blockAlign = fmt[12] | (fmt[13] << 8);
    } else if (id == "data") {
      if (blockAlign == 0 || size >= 0xFFFFFF00u) return false;
      promised = size / blockAlign;
      held = (st.st_size - offset - 8) / blockAlign;
      if (held > promised) held = promised;
      return true;
    }
    offset += 8 + static_cast<std::int64_t>(size) + (size & 1);
  }
  return false;
}

std::string CutShortWarning(const std::string& path, int format, std::int64_t declaredFrames, std::int64_t framesRead)
{
  struct stat st;
  if (path == "-" || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::string();
  std::int64_t promised = declaredFrames, held = framesRead;
  if ((format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV && WavDataFrames(path, promised, held)) {
    held = std::min(held, framesRead);
  } else if (declaredFrames == SF_COUNT_MAX) {
    // libsndfile found no end: the last part of the file is missing.
    return "'" + path + "' has no proper end (cut short?); read " + std::to_string(framesRead) + " frames";
  }
  if (promised <= 0 || held >= promised) return std::string();
  return "'" + path + "' is cut short: it promises " + std::to_string(promised) + " frames, holds " +
         std::to_string(held);
}
