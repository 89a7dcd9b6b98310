#pragma once
// ByteChunk: the growable byte buffer that carries serialized plug-in state.
//
// Values are stored as their raw in-memory bytes (native byte order, no padding,
// no type tags). Reads never keep a cursor of their own: each read takes a byte
// position and returns the next position, or -1 when the value does not fit.
// Callers chain reads by feeding each result into the next and stop at the first
// -1. Every read is bounds-checked, so truncated or hostile data can only end a
// read sequence early; it never reads or writes outside the buffer.

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

class ByteChunk
{
public:
  // Storage grows in whole steps of this many bytes.
  static constexpr int kGrowStep = 4096;

  ByteChunk() = default;
  ~ByteChunk();
  ByteChunk(const ByteChunk& other);
  ByteChunk& operator=(const ByteChunk& other);
  ByteChunk(ByteChunk&& other) noexcept;
  ByteChunk& operator=(ByteChunk&& other) noexcept;

  // Appends sizeof(T) raw bytes; returns the new size.
  template <typename T>
  int Put(const T* value)
  {
    static_assert(std::is_trivially_copyable<T>::value, "Put stores raw bytes");
    return PutRaw(value, static_cast<int>(sizeof(T)));
  }

  // Copies sizeof(T) bytes at pos into *value and returns pos + sizeof(T);
  // returns -1 and leaves *value untouched when they do not fit.
  template <typename T>
  int Get(T* value, int pos) const
  {
    static_assert(std::is_trivially_copyable<T>::value, "Get reads raw bytes");
    if (!Fits(pos, static_cast<int>(sizeof(T)))) return -1;
    std::memcpy(value, mData + pos, sizeof(T));
    return pos + static_cast<int>(sizeof(T));
  }

  // One byte, 0 or 1; any non-zero byte reads back as true.
  int PutFlag(bool flag);
  int GetFlag(bool* flag, int pos) const;

  // Appends n raw bytes (nothing for n <= 0 or a null pointer); returns the new size.
  int PutRaw(const void* data, int n);

  // A signed 32-bit length followed by that many bytes, no terminator.
  // A null string is stored as length 0.
  int PutString(const char* s);

  // Reads a string written by PutString. Returns the position after it, or -1 when
  // the length field or the text does not fit or the length is negative. *out is
  // set only for a non-empty text, cut at its first zero byte.
  int GetString(std::string* out, int pos) const;

  // Appends all bytes of another chunk; returns the new size.
  int AppendChunk(const ByteChunk* other);

  void Clear() { mSize = 0; }
  int Size() const { return mSize; }
  // Sets the byte count; new bytes are zero. A negative count counts as 0.
  // Returns the resulting size (unchanged when memory could not be had).
  int Resize(int n);
  unsigned char* Bytes() { return mData; }
  const unsigned char* Bytes() const { return mData; }

  // Byte-wise equality of the used bytes.
  bool IsEqual(const ByteChunk& other) const;

private:
  // True when n bytes starting at pos lie inside the used bytes (overflow-safe).
  bool Fits(int pos, int n) const { return pos >= 0 && n >= 0 && n <= mSize && pos <= mSize - n; }
  // Makes room for at least n bytes in whole grow steps; false when that fails.
  bool Reserve(int n);

  unsigned char* mData = nullptr;
  int mSize = 0;
  int mAlloc = 0;
};
