// IEffectVST3: the state a host saves with its session.
//
// Layout, integers little-endian: "BVST", the format (1), the plug-in's unique ID and maker ID, the
// payload's byte count, then the payload: one little-endian double per parameter for a plug-in that
// keeps its state as parameters, or the product's own chunk. Only the header's count is read, so a
// host's stream may hold more after it (a preset file does).
#include "vst3/IEffectVST3.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "plugcore/ByteChunk.h"

using namespace vst3;

namespace {
constexpr unsigned char kMagic[4] = {'B', 'V', 'S', 'T'};
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

// Exactly `size` bytes, or false when the stream ends or fails first.
bool ReadExactly(IBStream* stream, unsigned char* out, size_t size)
{
  for (size_t done = 0; done < size;) {
    int32 got = 0;
    const int32 want = static_cast<int32>(std::min<size_t>(size - done, 1 << 16));
    if (stream->read(out + done, want, &got) != kResultOk || got <= 0 || got > want) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

bool WriteAll(IBStream* stream, std::vector<unsigned char>& bytes)
{
  for (size_t done = 0; done < bytes.size();) {
    int32 put = 0;
    const int32 want = static_cast<int32>(std::min<size_t>(bytes.size() - done, 1 << 16));
    if (stream->write(bytes.data() + done, want, &put) != kResultOk || put <= 0 || put > want) return false;
    done += static_cast<size_t>(put);
  }
  return true;
}
} // namespace

tresult IEffectVST3::SaveState(IBStream* stream)
{
  if (!stream) return kInvalidArgument;
  if (Stage() == kCreated) return kNotInitialized;
  std::vector<unsigned char> payload;
  if (UsesChunks()) {
    ByteChunk chunk;
    if (!SerializeState(&chunk)) return kInternalError;
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
  return WriteAll(stream, bytes) ? kResultOk : kResultFalse;
}

tresult IEffectVST3::LoadState(IBStream* stream)
{
  if (!stream) return kInvalidArgument;
  if (Stage() == kCreated) return kNotInitialized;
  unsigned char header[kHeaderSize];
  if (!ReadExactly(stream, header, kHeaderSize) || std::memcmp(header, kMagic, 4) != 0) return kResultFalse;
  if (GetU32(&header[4]) != kFormat || GetU32(&header[8]) != static_cast<uint32_t>(GetPlugID()) ||
      GetU32(&header[12]) != static_cast<uint32_t>(GetMakerID()))
    return kResultFalse;
  const uint32_t payloadSize = GetU32(&header[16]);
  if (payloadSize > kMaxStateSize) return kResultFalse;
  std::vector<unsigned char> payload(payloadSize);
  if (!ReadExactly(stream, payload.data(), payloadSize)) return kResultFalse;

  ByteChunk chunk;
  if (UsesChunks()) {
    // The product reads its own chunk; a read that fails part-way is undone from a copy.
    ByteChunk before;
    if (!SerializeState(&before)) return kInternalError;
    chunk.PutRaw(payload.data(), static_cast<int>(payloadSize));
    if (chunk.Size() != static_cast<int>(payloadSize)) return kOutOfMemory;
    if (UnserializeState(&chunk, 0) != static_cast<int>(payloadSize)) {
      UnserializeState(&before, 0);
      return kResultFalse;
    }
    return kResultOk;
  }
  if (payloadSize != 8 * static_cast<size_t>(NParams())) return kResultFalse;
  for (int i = 0; i < NParams(); ++i) {
    const double v = GetDouble(payload.data() + 8 * i);
    // Only what a save of ours can hold: a value in its range, whole for a stepped parameter.
    const IParam* param = GetParam(i);
    double lo = 0.0, hi = 0.0;
    param->GetBounds(&lo, &hi);
    if (!std::isfinite(v) || v < lo || v > hi || (param->Type() != IParam::kTypeDouble && v != std::round(v)))
      return kResultFalse;
    chunk.Put(&v);
  }
  // Clamps each value into its parameter and tells the product of every one.
  return UnserializeState(&chunk, 0) >= 0 ? kResultOk : kResultFalse;
}
