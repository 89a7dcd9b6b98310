// Extension to container, and the nearest encoding the container takes.
#include "tools/files/AudioFormatChoice.h"

#include <sndfile.h>

#include <cctype>
#include <vector>

namespace {

std::string Lower(std::string text)
{
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The extension of the last path component, without the dot; empty when it has none.
std::string ExtensionOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  const std::string base = path.substr(slash == std::string::npos ? 0 : slash + 1);
  const size_t dot = base.rfind('.');
  return dot == std::string::npos || dot == 0 ? std::string() : base.substr(dot + 1);
}

// A sink that takes and forgets whatever is written, for trying an encoder out.
struct DiscardSink
{
  sf_count_t position = 0, length = 0;
};

sf_count_t SinkLength(void* self)
{
  return static_cast<DiscardSink*>(self)->length;
}

sf_count_t SinkSeek(sf_count_t offset, int whence, void* self)
{
  DiscardSink& s = *static_cast<DiscardSink*>(self);
  const sf_count_t base = whence == SEEK_SET ? 0 : (whence == SEEK_CUR ? s.position : s.length);
  if (base + offset < 0) return -1;
  return s.position = base + offset;
}

sf_count_t SinkRead(void*, sf_count_t, void*)
{
  return 0;
}

sf_count_t SinkWrite(const void*, sf_count_t count, void* self)
{
  DiscardSink& s = *static_cast<DiscardSink*>(self);
  s.position += count;
  if (s.position > s.length) s.length = s.position;
  return count;
}

sf_count_t SinkTell(void* self)
{
  return static_cast<DiscardSink*>(self)->position;
}

// libsndfile's format check passes some pairs its writers then refuse (MPEG Layer III inside WAV),
// so a candidate counts only when a writer really opens with it.
bool Writable(int format, int channels, int sampleRate)
{
  SF_INFO info{};
  info.format = format;
  info.channels = channels;
  info.samplerate = sampleRate;
  if (!sf_format_check(&info)) return false;
  DiscardSink sink;
  SF_VIRTUAL_IO io{&SinkLength, &SinkSeek, &SinkRead, &SinkWrite, &SinkTell};
  SNDFILE* file = sf_open_virtual(&io, SFM_WRITE, &info, &sink);
  if (!file) return false;
  sf_close(file);
  return true;
}

// Encodings to try for an input encoding, nearest first: the same, then wider, then narrower.
std::vector<int> NearestEncodings(int subtype)
{
  switch (subtype) {
  case SF_FORMAT_PCM_U8:
  case SF_FORMAT_PCM_S8:
    return {SF_FORMAT_PCM_U8, SF_FORMAT_PCM_S8, SF_FORMAT_PCM_16, SF_FORMAT_PCM_24, SF_FORMAT_PCM_32, SF_FORMAT_FLOAT};
  case SF_FORMAT_PCM_16:
    return {SF_FORMAT_PCM_16, SF_FORMAT_PCM_24, SF_FORMAT_PCM_32, SF_FORMAT_FLOAT, SF_FORMAT_PCM_S8, SF_FORMAT_PCM_U8};
  case SF_FORMAT_PCM_24:
    return {SF_FORMAT_PCM_24, SF_FORMAT_PCM_32, SF_FORMAT_FLOAT, SF_FORMAT_DOUBLE, SF_FORMAT_PCM_16};
  case SF_FORMAT_PCM_32:
    return {SF_FORMAT_PCM_32, SF_FORMAT_FLOAT, SF_FORMAT_DOUBLE, SF_FORMAT_PCM_24, SF_FORMAT_PCM_16};
  case SF_FORMAT_FLOAT:
    return {SF_FORMAT_FLOAT, SF_FORMAT_DOUBLE, SF_FORMAT_PCM_32, SF_FORMAT_PCM_24, SF_FORMAT_PCM_16};
  case SF_FORMAT_DOUBLE:
    return {SF_FORMAT_DOUBLE, SF_FORMAT_FLOAT, SF_FORMAT_PCM_32, SF_FORMAT_PCM_24, SF_FORMAT_PCM_16};
  default: // compressed input: its decoder gives about 16 bits
    return {subtype, SF_FORMAT_PCM_16, SF_FORMAT_PCM_24, SF_FORMAT_FLOAT};
  }
}

} // namespace

int ContainerForName(const std::string& name, int* subtype)
{
  if (subtype) *subtype = 0;
  const std::string wanted = Lower(name);
  if (wanted.empty()) return 0;
  // Common spellings libsndfile's own table does not list.
  static const struct
  {
    const char* name;
    int major, subtype;
  } kAliases[] = {{"wav", SF_FORMAT_WAV, 0},
                  {"wave", SF_FORMAT_WAV, 0},
                  {"aif", SF_FORMAT_AIFF, 0},
                  {"aifc", SF_FORMAT_AIFF, 0},
                  {"ogg", SF_FORMAT_OGG, 0},
                  {"opus", SF_FORMAT_OGG, SF_FORMAT_OPUS},
                  {"snd", SF_FORMAT_AU, 0},
                  {"svx", SF_FORMAT_SVX, 0},
                  {"mp3", SF_FORMAT_MPEG, SF_FORMAT_MPEG_LAYER_III},
                  {"mp2", SF_FORMAT_MPEG, SF_FORMAT_MPEG_LAYER_II}};
  for (const auto& alias : kAliases) {
    if (wanted == alias.name) {
      if (subtype) *subtype = alias.subtype;
      return alias.major;
    }
  }
  int count = 0;
  sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
  for (int i = 0; i < count; ++i) {
    SF_FORMAT_INFO info{};
    info.format = i;
    if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info) == 0 && info.extension &&
        wanted == Lower(info.extension))
      return info.format & SF_FORMAT_TYPEMASK;
  }
  return 0;
}

bool ChooseOutputFormat(const std::string& path, const std::string& typeName, int inputFormat, int channels,
                        int sampleRate, int& format, std::string& error)
{
  const std::string name = typeName.empty() ? ExtensionOf(path) : typeName;
  if (name.empty()) {
    format = inputFormat;
    return true;
  }
  int impliedSubtype = 0;
  const int major = ContainerForName(name, &impliedSubtype);
  const int inputMajor = inputFormat & SF_FORMAT_TYPEMASK;
  const int inputSubtype = inputFormat & SF_FORMAT_SUBMASK;
  std::vector<int> tries;
  if (major == 0) {
    error = typeName.empty() ? "cannot write '." + name + "' files; use a known extension or --type"
                             : "unknown --type '" + typeName + "'";
    return false;
  }
  if (impliedSubtype) tries.push_back(major | impliedSubtype);
  if (major == inputMajor) tries.push_back(inputFormat);
  for (int subtype : NearestEncodings(inputSubtype)) tries.push_back(major | subtype);
  // Last, the container's own encodings in libsndfile's order (Vorbis for Ogg, Layer III for MPEG).
  int count = 0;
  sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE_COUNT, &count, sizeof count);
  for (int i = 0; i < count; ++i) {
    SF_FORMAT_INFO info{};
    info.format = i;
    if (sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE, &info, sizeof info) == 0)
      tries.push_back(major | (info.format & SF_FORMAT_SUBMASK));
  }
  for (int candidate : tries) {
    if (Writable(candidate, channels, sampleRate)) {
      format = candidate;
      return true;
    }
  }
  error = "cannot write '." + name + "' files with " + std::to_string(channels) + " channel" +
          (channels == 1 ? "" : "s") + " at " + std::to_string(sampleRate) + " Hz";
  return false;
}
