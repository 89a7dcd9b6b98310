// IEffectLV2: the state blob the state extension stores ("BLV2", see plugcore/StateBlob.h).
#include "lv2/IEffectLV2.h"

#include <cmath>

#include "plugcore/StateBlob.h"

namespace {
constexpr char kTag[4] = {'B', 'L', 'V', '2'};
} // namespace

bool IEffectLV2::SaveStateBlob(std::vector<unsigned char>* out)
{
  return ::SaveStateBlob(*this, kTag, out);
}

bool IEffectLV2::RestoreStateBlob(const void* data, size_t size)
{
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  uint32_t payloadSize = 0;
  if (!bytes || size < kStateBlobHeaderSize || !ReadStateBlobHeader(*this, kTag, bytes, &payloadSize) ||
      payloadSize != size - kStateBlobHeaderSize)
    return false;
  // Values are taken as a host may have edited them: clamped into their ranges, not refused.
  if (!RestoreStateBlobPayload(*this, bytes + kStateBlobHeaderSize, payloadSize, false)) return false;

  // The restored values stand until a control port moves away from what it holds now.
  for (size_t i = 0; i < mControlPorts.size(); ++i)
    if (mControlPorts[i] && !std::isnan(*mControlPorts[i])) mLastControl[i] = *mControlPorts[i];
  return true;
}
