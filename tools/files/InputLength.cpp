// WAV and AIFF chunk walking and the frame count comparison.
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

std::uint32_t Be32(const unsigned char* p)
{
  return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

} // namespace

bool AiffDataFrames(const std::string& path, std::int64_t& promised, std::int64_t& held)
{
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  std::ifstream file(path, std::ios::binary);
  unsigned char form[12];
  if (!file.read(reinterpret_cast<char*>(form), 12) || std::string(reinterpret_cast<char*>(form), 4) != "FORM")
    return false;
  const std::string kind(reinterpret_cast<char*>(form + 8), 4);
  if (kind != "AIFF" && kind != "AIFC") return false;
  unsigned frameBytes = 0;
  std::int64_t frames = -1;
  std::int64_t offset = 12;
  for (int chunks = 0; chunks < 1000 && offset + 8 <= st.st_size; ++chunks) {
    unsigned char head[8];
    file.seekg(offset);
    if (!file.read(reinterpret_cast<char*>(head), 8)) return false;
    const std::string id(reinterpret_cast<char*>(head), 4);
    const std::uint32_t size = Be32(head + 4);
    if (id == "COMM" && size >= 18) {
      unsigned char comm[22] = {};
      if (!file.read(reinterpret_cast<char*>(comm), size >= 22 ? 22 : 18)) return false;
      const unsigned channels = (comm[0] << 8) | comm[1];
      const unsigned bits = (comm[6] << 8) | comm[7];
      frames = Be32(comm + 2);
      unsigned width = (bits + 7) / 8;
      if (kind == "AIFC") {
        // Only uncompressed sample types have a size per frame to count with.
        const std::string type(reinterpret_cast<char*>(comm + 18), 4);
        if (type == "fl32" || type == "FL32")
          width = 4;
        else if (type == "fl64" || type == "FL64")
          width = 8;
        else if (type != "NONE" && type != "sowt" && type != "twos" && type != "raw ")
          return false;
      }
      frameBytes = channels * width;
    } else if (id == "SSND" && size >= 8) {
      unsigned char ssnd[8];
      if (frameBytes == 0 || frames < 0 || !file.read(reinterpret_cast<char*>(ssnd), 8)) return false;
      const std::int64_t start = offset + 16 + Be32(ssnd);
      promised = frames;
      held = st.st_size > start ? (st.st_size - start) / frameBytes : 0;
      if (held > promised) held = promised;
      return true;
    }
    offset += 8 + static_cast<std::int64_t>(size) + (size & 1);
  }
  return false;
}

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
  const int major = format & SF_FORMAT_TYPEMASK;
  if ((major == SF_FORMAT_WAV && WavDataFrames(path, promised, held)) ||
      (major == SF_FORMAT_AIFF && AiffDataFrames(path, promised, held))) {
    held = std::min(held, framesRead);
  } else if (declaredFrames == SF_COUNT_MAX) {
    // libsndfile found no end: the last part of the file is missing.
    return "'" + path + "' has no proper end (cut short?); read " + std::to_string(framesRead) + " frames";
  }
  if (promised <= 0 || held >= promised) return std::string();
  return "'" + path + "' is cut short: it promises " + std::to_string(promised) + " frames, holds " +
         std::to_string(held);
}
