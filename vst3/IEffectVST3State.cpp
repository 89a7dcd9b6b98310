// IEffectVST3: the state a host saves with its session ("BVST", see plugcore/StateBlob.h). Only the
// header's count is read, so a host's stream may hold more after it (a preset file does).
#include "vst3/IEffectVST3.h"

#include <algorithm>

#include "plugcore/StateBlob.h"

using namespace vst3;

namespace {
constexpr char kTag[4] = {'B', 'V', 'S', 'T'};

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
  std::vector<unsigned char> bytes;
  if (!SaveStateBlob(*this, kTag, &bytes)) return kInternalError;
  return WriteAll(stream, bytes) ? kResultOk : kResultFalse;
}

tresult IEffectVST3::LoadState(IBStream* stream)
{
  if (!stream) return kInvalidArgument;
  if (Stage() == kCreated) return kNotInitialized;
  unsigned char header[kStateBlobHeaderSize];
  uint32_t payloadSize = 0;
  if (!ReadExactly(stream, header, kStateBlobHeaderSize) || !ReadStateBlobHeader(*this, kTag, header, &payloadSize) ||
      payloadSize > kMaxStateSize)
    return kResultFalse;
  std::vector<unsigned char> payload(payloadSize);
  if (!ReadExactly(stream, payload.data(), payloadSize)) return kResultFalse;
  return RestoreStateBlobPayload(*this, payload.data(), payloadSize, true) ? kResultOk : kResultFalse;
}
