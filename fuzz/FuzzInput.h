// A reader that hands a fuzz input out as small typed pieces; past the end it gives zeros, so
// every input, however short, drives a complete run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

class FuzzInput
{
public:
  FuzzInput(const uint8_t* data, size_t size) : mData(data), mSize(size) {}

  uint8_t Byte() { return mPos < mSize ? mData[mPos++] : 0; }
  int32_t Int32()
  {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
    return static_cast<int32_t>(v);
  }
  // Up to n bytes (fewer at the end).
  std::vector<uint8_t> Bytes(size_t n)
  {
    const size_t take = n < mSize - mPos ? n : mSize - mPos;
    std::vector<uint8_t> out(mData + mPos, mData + mPos + take);
    mPos += take;
    return out;
  }
  std::vector<uint8_t> Rest() { return Bytes(mSize - mPos); }

private:
  const uint8_t* mData;
  size_t mSize;
  size_t mPos = 0;
};
