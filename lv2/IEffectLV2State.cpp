// IEffectLV2: the state blob the state extension stores.
//
// Layout, integers little-endian: "BLV2", format 1, the plug-in's unique ID and maker ID, the
// payload's byte count, then the payload. A plug-in that keeps its state as parameters stores
// one little-endian double per parameter (portable between machines); one that keeps a chunk
// stores its chunk as it is.
#include "lv2/IEffectLV2.h"

#include <cmath>
#include <cstring>

#include "plugcore/ByteChunk.h"

namespace {
constexpr unsigned char kMagic[4] = {'B', 'L', 'V', '2'};
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
} // namespace

bool IEffectLV2::SaveStateBlob(std::vector<unsigned char>* out)
{
  if (!out) return false;
  std::vector<unsigned char> payload;
  if (UsesChunks()) {
    ByteChunk chunk;
    if (!SerializeState(&chunk)) return false;
    payload.assign(chunk.Bytes(), chunk.Bytes() + chunk.Size());
  } else {
    Core_MutexLock lock(mMutex);
    for (int i = 0; i < NParams(); ++i) PutDouble(&payload, GetParam(i)->Value());
  }
  out->assign(kMagic, kMagic + 4);
  PutU32(out, kFormat);
  PutU32(out, static_cast<uint32_t>(GetPlugID()));
  PutU32(out, static_cast<uint32_t>(GetMakerID()));
  PutU32(out, static_cast<uint32_t>(payload.size()));
  out->insert(out->end(), payload.begin(), payload.end());
  return true;
}

bool IEffectLV2::RestoreStateBlob(const void* data, size_t size)
{
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  if (!bytes || size < kHeaderSize || std::memcmp(bytes, kMagic, 4) != 0) return false;
  if (GetU32(bytes + 4) != kFormat || GetU32(bytes + 8) != static_cast<uint32_t>(GetPlugID()) ||
      GetU32(bytes + 12) != static_cast<uint32_t>(GetMakerID()))
    return false;
  const size_t payloadSize = GetU32(bytes + 16);
  if (payloadSize != size - kHeaderSize || payloadSize > static_cast<size_t>(INT32_MAX)) return false;
  const unsigned char* payload = bytes + kHeaderSize;

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
  } else {
    if (payloadSize != 8 * static_cast<size_t>(NParams())) return false;
    for (int i = 0; i < NParams(); ++i) {
      const double v = GetDouble(payload + 8 * i);
      if (!std::isfinite(v)) return false;
      chunk.Put(&v);
    }
    // Clamps each value into its parameter and tells the product of every one.
    if (UnserializeState(&chunk, 0) < 0) return false;
  }

  // The restored values stand until a control port moves away from what it holds now.
  for (size_t i = 0; i < mControlPorts.size(); ++i)
    if (mControlPorts[i] && !std::isnan(*mControlPorts[i])) mLastControl[i] = *mControlPorts[i];
  return true;
}
