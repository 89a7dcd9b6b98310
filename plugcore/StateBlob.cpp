#include "plugcore/StateBlob.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "plugcore/ByteChunk.h"
#include "plugcore/IEffectBase.h"

namespace {

constexpr uint32_t kVersion = 1;

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

bool SaveStateBlob(IEffectBase& plug, const char tag[4], std::vector<unsigned char>* out)
{
  if (!out) return false;
  std::vector<unsigned char> payload;
  if (plug.UsesChunks()) {
    ByteChunk chunk;
    if (!plug.SerializeState(&chunk)) return false;
    payload.assign(chunk.Bytes(), chunk.Bytes() + chunk.Size());
  } else {
    Core_MutexLock lock(plug.GetMutex());
    for (int i = 0; i < plug.NParams(); ++i) PutDouble(&payload, plug.GetParam(i)->Value());
  }
  out->assign(tag, tag + 4);
  PutU32(out, kVersion);
  PutU32(out, static_cast<uint32_t>(plug.GetPlugID()));
  PutU32(out, static_cast<uint32_t>(plug.GetMakerID()));
  PutU32(out, static_cast<uint32_t>(payload.size()));
  out->insert(out->end(), payload.begin(), payload.end());
  return true;
}

bool ReadStateBlobHeader(const IEffectBase& plug, const char tag[4], const unsigned char* header, uint32_t* payloadSize)
{
  if (!header || !payloadSize || std::memcmp(header, tag, 4) != 0) return false;
  if (GetU32(header + 4) != kVersion || GetU32(header + 8) != static_cast<uint32_t>(plug.GetPlugID()) ||
      GetU32(header + 12) != static_cast<uint32_t>(plug.GetMakerID()))
    return false;
  *payloadSize = GetU32(header + 16);
  return true;
}

bool RestoreStateBlobPayload(IEffectBase& plug, const unsigned char* payload, size_t size, bool strict)
{
  if (size > static_cast<size_t>(INT_MAX) || (size && !payload)) return false;
  ByteChunk chunk;
  if (plug.UsesChunks()) {
    // The product reads its own chunk; a read that fails part-way is undone from a copy.
    ByteChunk before;
    if (!plug.SerializeState(&before)) return false;
    chunk.PutRaw(payload, static_cast<int>(size));
    if (chunk.Size() != static_cast<int>(size)) return false;
    if (plug.UnserializeState(&chunk, 0) != static_cast<int>(size)) {
      plug.UnserializeState(&before, 0);
      return false;
    }
    return true;
  }
  if (size != 8 * static_cast<size_t>(plug.NParams())) return false;
  for (int i = 0; i < plug.NParams(); ++i) {
    const double v = GetDouble(payload + 8 * i);
    if (!std::isfinite(v)) return false;
    if (strict) {
      const IParam* param = plug.GetParam(i);
      double lo = 0.0, hi = 0.0;
      param->GetBounds(&lo, &hi);
      if (v < lo || v > hi || (param->Type() != IParam::kTypeDouble && v != std::round(v))) return false;
    }
    chunk.Put(&v);
  }
  // Clamps each value into its parameter and tells the product of every one.
  return plug.UnserializeState(&chunk, 0) >= 0;
}
