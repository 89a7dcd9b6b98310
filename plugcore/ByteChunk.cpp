#include "plugcore/ByteChunk.h"

#include <climits>
#include <cstddef>
#include <cstdlib>
#include <utility>

ByteChunk::~ByteChunk()
{
  std::free(mData);
}

ByteChunk::ByteChunk(const ByteChunk& other)
{
  PutRaw(other.mData, other.mSize);
}

ByteChunk& ByteChunk::operator=(const ByteChunk& other)
{
  if (this != &other) {
    Clear();
    PutRaw(other.mData, other.mSize);
  }
  return *this;
}

ByteChunk::ByteChunk(ByteChunk&& other) noexcept : mData(other.mData), mSize(other.mSize), mAlloc(other.mAlloc)
{
  other.mData = nullptr;
  other.mSize = other.mAlloc = 0;
}

ByteChunk& ByteChunk::operator=(ByteChunk&& other) noexcept
{
  if (this != &other) {
    std::free(mData);
    mData = std::exchange(other.mData, nullptr);
    mSize = std::exchange(other.mSize, 0);
    mAlloc = std::exchange(other.mAlloc, 0);
  }
  return *this;
}

bool ByteChunk::Reserve(int n)
{
  if (n <= mAlloc) return true;
  if (n > INT_MAX - kGrowStep) return false;
  const int alloc = (n + kGrowStep - 1) / kGrowStep * kGrowStep;
  void* grown = std::realloc(mData, static_cast<size_t>(alloc));
  if (!grown) return false;
  mData = static_cast<unsigned char*>(grown);
  mAlloc = alloc;
  return true;
}

int ByteChunk::PutRaw(const void* data, int n)
{
  if (!data || n <= 0 || n > INT_MAX - mSize) return mSize;
  // The source may lie inside this chunk; keep its offset across a reallocation.
  const unsigned char* src = static_cast<const unsigned char*>(data);
  const bool inside = mData && src >= mData && src < mData + mSize;
  const std::ptrdiff_t offset = inside ? src - mData : 0;
  if (!Reserve(mSize + n)) return mSize;
  if (inside) src = mData + offset;
  std::memmove(mData + mSize, src, static_cast<size_t>(n));
  mSize += n;
  return mSize;
}

int ByteChunk::PutFlag(bool flag)
{
  const unsigned char byte = flag ? 1 : 0;
  return PutRaw(&byte, 1);
}

int ByteChunk::GetFlag(bool* flag, int pos) const
{
  unsigned char byte = 0;
  const int next = Get(&byte, pos);
  if (next >= 0) *flag = byte != 0;
  return next;
}

int ByteChunk::PutString(const char* s)
{
  const size_t len = s ? std::strlen(s) : 0;
  if (len > static_cast<size_t>(INT32_MAX)) return mSize;
  const int32_t n = static_cast<int32_t>(len);
  Put(&n);
  return PutRaw(s, n);
}

int ByteChunk::GetString(std::string* out, int pos) const
{
  int32_t len = 0;
  const int textPos = Get(&len, pos);
  if (textPos < 0) return -1;
  // A negative length would move the position backwards; a length past the end
  // cannot be read. Either way the data is unusable from here on.
  if (len < 0 || !Fits(textPos, len)) return -1;
  if (len > 0) {
    const char* text = reinterpret_cast<const char*>(mData + textPos);
    const void* zero = std::memchr(text, 0, static_cast<size_t>(len));
    const size_t n = zero ? static_cast<size_t>(static_cast<const char*>(zero) - text) : static_cast<size_t>(len);
    out->assign(text, n);
  }
  return textPos + len;
}

int ByteChunk::AppendChunk(const ByteChunk* other)
{
  if (!other) return mSize;
  return PutRaw(other->mData, other->mSize);
}

int ByteChunk::Resize(int n)
{
  if (n < 0) n = 0;
  if (n > mSize) {
    if (!Reserve(n)) return mSize;
    std::memset(mData + mSize, 0, static_cast<size_t>(n - mSize));
  }
  mSize = n;
  return mSize;
}

bool ByteChunk::IsEqual(const ByteChunk& other) const
{
  return mSize == other.mSize && (mSize == 0 || std::memcmp(mData, other.mData, static_cast<size_t>(mSize)) == 0);
}
