// The objects a VST3 host hands a plug-in, owned by `brindle validate`'s driver: a byte stream for
// states, and parameter change queues of fixed capacity so that a render never allocates.
#pragma once

#include "vst3/abi/Vst3Processor.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

namespace vst3host {

using namespace vst3;

template <class Interface>
inline tresult Answer(const Uid& own, Interface* self, const TUID iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  if (SameUid(iid, kFUnknownIID) || SameUid(iid, own)) {
    *obj = self;
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

// Bytes the plug-in reads or writes; lives on the driver's stack.
class ByteStream final : public IBStream
{
public:
  explicit ByteStream(std::vector<unsigned char> bytes = {}) : mBytes(std::move(bytes)) {}
  tresult queryInterface(const TUID iid, void** obj) override { return Answer(kIBStreamIID, this, iid, obj); }
  uint32 addRef() override { return 1; }
  uint32 release() override { return 1; }
  tresult read(void* buffer, int32 numBytes, int32* numBytesRead) override
  {
    if (numBytesRead) *numBytesRead = 0;
    if (numBytes < 0 || !buffer) return kInvalidArgument;
    const size_t n = std::min(static_cast<size_t>(numBytes), mBytes.size() - std::min(mPos, mBytes.size()));
    if (n) std::memcpy(buffer, mBytes.data() + mPos, n);
    mPos += n;
    if (numBytesRead) *numBytesRead = static_cast<int32>(n);
    return kResultOk;
  }
  tresult write(void* buffer, int32 numBytes, int32* numBytesWritten) override
  {
    if (numBytesWritten) *numBytesWritten = 0;
    if (numBytes < 0 || !buffer) return kInvalidArgument;
    if (mBytes.size() < mPos + static_cast<size_t>(numBytes)) mBytes.resize(mPos + static_cast<size_t>(numBytes));
    std::memcpy(mBytes.data() + mPos, buffer, static_cast<size_t>(numBytes));
    mPos += static_cast<size_t>(numBytes);
    if (numBytesWritten) *numBytesWritten = numBytes;
    return kResultOk;
  }
  tresult seek(int64 pos, int32 mode, int64* result) override
  {
    const int64 base = mode == kIBSeekSet   ? 0
                       : mode == kIBSeekCur ? static_cast<int64>(mPos)
                                            : static_cast<int64>(mBytes.size());
    if (base + pos < 0) return kInvalidArgument;
    mPos = static_cast<size_t>(base + pos);
    if (result) *result = static_cast<int64>(mPos);
    return kResultOk;
  }
  tresult tell(int64* pos) override
  {
    if (!pos) return kInvalidArgument;
    *pos = static_cast<int64>(mPos);
    return kResultOk;
  }
  std::vector<unsigned char> Take() { return std::move(mBytes); }

private:
  std::vector<unsigned char> mBytes;
  size_t mPos = 0;
};

// Fixed-capacity parameter change queues, so that a render never allocates.
class Queue final : public IParamValueQueue
{
public:
  static constexpr int kPoints = 64;
  tresult queryInterface(const TUID iid, void** obj) override { return Answer(kIParamValueQueueIID, this, iid, obj); }
  uint32 addRef() override { return 1; }
  uint32 release() override { return 1; }
  ParamID getParameterId() override { return mID; }
  int32 getPointCount() override { return mCount; }
  tresult getPoint(int32 index, int32& offset, ParamValue& value) override
  {
    if (index < 0 || index >= mCount) return kInvalidArgument;
    offset = mPoints[static_cast<size_t>(index)].first;
    value = mPoints[static_cast<size_t>(index)].second;
    return kResultOk;
  }
  tresult addPoint(int32 offset, ParamValue value, int32& index) override
  {
    if (mCount >= kPoints) return kResultFalse;
    mPoints[static_cast<size_t>(mCount)] = {offset, value};
    index = mCount++;
    return kResultOk;
  }
  ParamID mID = 0;
  int32 mCount = 0;

private:
  std::array<std::pair<int32, double>, kPoints> mPoints{};
};

class Changes final : public IParameterChanges
{
public:
  static constexpr int kQueues = 256;
  Changes() : mQueues(kQueues) {}
  tresult queryInterface(const TUID iid, void** obj) override { return Answer(kIParameterChangesIID, this, iid, obj); }
  uint32 addRef() override { return 1; }
  uint32 release() override { return 1; }
  int32 getParameterCount() override { return mUsed; }
  IParamValueQueue* getParameterData(int32 index) override
  {
    return index >= 0 && index < mUsed ? &mQueues[static_cast<size_t>(index)] : nullptr;
  }
  IParamValueQueue* addParameterData(const ParamID& id, int32& index) override
  {
    for (int32 i = 0; i < mUsed; ++i)
      if (mQueues[static_cast<size_t>(i)].mID == id) {
        index = i;
        return &mQueues[static_cast<size_t>(i)];
      }
    if (mUsed >= kQueues) return nullptr;
    Queue& q = mQueues[static_cast<size_t>(mUsed)];
    q.mID = id;
    q.mCount = 0;
    index = mUsed++;
    return &q;
  }
  void Add(ParamID id, int32 offset, double value)
  {
    int32 index = 0, point = 0;
    if (IParamValueQueue* q = addParameterData(id, index)) q->addPoint(offset, value, point);
  }
  void Clear() { mUsed = 0; }
  bool Empty() const { return mUsed == 0; }

private:
  std::vector<Queue> mQueues;
  int32 mUsed = 0;
};

} // namespace vst3host
