// IEffectCLAP: the state a host saves with its session ("BCLP", see plugcore/StateBlob.h).
#include "clap/IEffectCLAP.h"

#include "plugcore/StateBlob.h"

namespace {
constexpr char kTag[4] = {'B', 'C', 'L', 'P'};

// The whole stream, or false on a read error or more than `limit` bytes.
bool ReadAll(const clap_istream_t* stream, size_t limit, std::vector<unsigned char>* out)
{
  unsigned char buffer[4096];
  for (;;) {
    const int64_t got = stream->read(stream, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0 || static_cast<uint64_t>(got) > sizeof buffer || out->size() + static_cast<size_t>(got) > limit)
      return false;
    out->insert(out->end(), buffer, buffer + got);
  }
}

bool WriteAll(const clap_ostream_t* stream, const std::vector<unsigned char>& bytes)
{
  for (size_t done = 0; done < bytes.size();) {
    const int64_t put = stream->write(stream, bytes.data() + done, bytes.size() - done);
    if (put <= 0 || static_cast<uint64_t>(put) > bytes.size() - done) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}
} // namespace

bool IEffectCLAP::SaveState(const clap_ostream_t* stream)
{
  if (!stream || !stream->write || Stage() == kCreated || !OnMainThread()) {
    LogMisbehaviour("state save without a stream, before init or off the main thread");
    return false;
  }
  std::vector<unsigned char> bytes;
  return SaveStateBlob(*this, kTag, &bytes) && WriteAll(stream, bytes);
}

bool IEffectCLAP::LoadState(const clap_istream_t* stream)
{
  if (!stream || !stream->read || Stage() == kCreated || !OnMainThread()) {
    LogMisbehaviour("state load without a stream, before init or off the main thread");
    return false;
  }
  std::vector<unsigned char> bytes;
  uint32_t payloadSize = 0;
  if (!ReadAll(stream, kMaxStateSize, &bytes) || bytes.size() < kStateBlobHeaderSize ||
      !ReadStateBlobHeader(*this, kTag, bytes.data(), &payloadSize) ||
      payloadSize != bytes.size() - kStateBlobHeaderSize)
    return false;
  return RestoreStateBlobPayload(*this, bytes.data() + kStateBlobHeaderSize, payloadSize, true);
}
