// IEffectCLAP: the state a host saves with its session.
//
// Layout, integers little-endian: "BCLP", the format (1), the plug-in's unique ID and maker ID, the
// payload's byte count, then the payload: one little-endian double per parameter (portable between
// machines) for a plug-in that keeps its state as parameters, or the product's own chunk.
#include "clap/IEffectCLAP.h"

#include <cmath>
#include <cstring>

#include "plugcore/ByteChunk.h"

namespace {
constexpr unsigned char kMagic[4] = {'B', 'C', 'L', 'P'};
constexpr uint32_t kFormat = 1;
constexpr size_t kHeaderSize = 20;

void PutU32(std::vector<unsigned char>* out, uint32_t v)
{
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<unsigned char>(v >> (8 * i)));
}

uint32_t GetU32(const unsigned char* p)
{
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

void PutDouble(std::vector<unsigned char>* out, double v)
{
  uint64_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 8; ++i) out->push_back(static_cast<unsigned char>(bits >> (8 * i)));
}

double GetDouble(const unsigned char* p)
{
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = bits << 8 | p[i];
  double v = 0.0;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

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
  std::vector<unsigned char> payload;
  if (UsesChunks()) {
    ByteChunk chunk;
    if (!SerializeState(&chunk)) return false;
    payload.assign(chunk.Bytes(), chunk.Bytes() + chunk.Size());
  } else {
    Core_MutexLock lock(mMutex);
    for (int i = 0; i < NParams(); ++i) PutDouble(&payload, GetParam(i)->Value());
  }
  std::vector<unsigned char> bytes(kMagic, kMagic + 4);
  PutU32(&bytes, kFormat);
  PutU32(&bytes, static_cast<uint32_t>(GetPlugID()));
  PutU32(&bytes, static_cast<uint32_t>(GetMakerID()));
  PutU32(&bytes, static_cast<uint32_t>(payload.size()));
  bytes.insert(bytes.end(), payload.begin(), payload.end());
  return WriteAll(stream, bytes);
}

bool IEffectCLAP::LoadState(const clap_istream_t* stream)
{
  if (!stream || !stream->read || Stage() == kCreated || !OnMainThread()) {
    LogMisbehaviour("state load without a stream, before init or off the main thread");
    return false;
  }
  std::vector<unsigned char> bytes;
  if (!ReadAll(stream, kMaxStateSize, &bytes)) return false;
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, 4) != 0) return false;
  if (GetU32(&bytes[4]) != kFormat || GetU32(&bytes[8]) != static_cast<uint32_t>(GetPlugID()) ||
      GetU32(&bytes[12]) != static_cast<uint32_t>(GetMakerID()))
    return false;
  const size_t payloadSize = GetU32(&bytes[16]);
  if (payloadSize != bytes.size() - kHeaderSize) return false;
  const unsigned char* payload = bytes.data() + kHeaderSize;

  ByteChunk chunk;
  if (UsesChunks()) {
    // The product reads its own chunk; a read that fails part-way is undone from a copy.
    ByteChunk before;
    if (!SerializeState(&before)) return false;
    chunk.PutRaw(payload, static_cast<int>(payloadSize));
    if (chunk.Size() != static_cast<int>(payloadSize)) return false;
    if (UnserializeState(&chunk, 0) != static_cast<int>(payloadSize)) {
      UnserializeState(&before, 0);
      return false;
    }
    return true;
  }
  if (payloadSize != 8 * static_cast<size_t>(NParams())) return false;
  for (int i = 0; i < NParams(); ++i) {
    const double v = GetDouble(payload + 8 * i);
    // Only what a save of ours can hold: a value in its range, whole for a stepped parameter.
    const IParam* param = GetParam(i);
    double lo = 0.0, hi = 0.0;
    param->GetBounds(&lo, &hi);
    if (!std::isfinite(v) || v < lo || v > hi || (param->Type() != IParam::kTypeDouble && v != std::round(v)))
      return false;
    chunk.Put(&v);
  }
  // Clamps each value into its parameter and tells the product of every one.
  return UnserializeState(&chunk, 0) >= 0;
}
