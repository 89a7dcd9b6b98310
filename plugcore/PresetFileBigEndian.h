#pragma once
// Big-endian reading and writing for the preset file formats (PresetFiles.h): a
// writer that appends to a byte vector and a bounds-checked reader over a byte
// range. Shared by the program and bank builders and parsers only.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct FXPProgram;

namespace presetfile {

// "CcnK" as a big-endian 32-bit number, and the other codes likewise.
constexpr int32_t FourCC(const char (&code)[5])
{
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
                              (static_cast<uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
                              (static_cast<uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
                              static_cast<uint32_t>(static_cast<unsigned char>(code[3])));
}

constexpr int32_t kCcnK = FourCC("CcnK");
constexpr int32_t kFxCk = FourCC("FxCk");
constexpr int32_t kFPCh = FourCC("FPCh");
constexpr int32_t kFxBk = FourCC("FxBk");
constexpr int32_t kFBCh = FourCC("FBCh");

constexpr int kProgramHeaderSize = 56;
constexpr int kProgramChunkStart = 60;
constexpr int kBankHeaderSize = 156;
constexpr int kBankChunkStart = 160;
constexpr int kBankReservedSize = 124;

class Writer
{
public:
  explicit Writer(std::vector<unsigned char>* out) : mOut(out) {}

  void Int(int32_t v)
  {
    const uint32_t u = static_cast<uint32_t>(v);
    const unsigned char b[4] = {static_cast<unsigned char>(u >> 24), static_cast<unsigned char>(u >> 16),
                                static_cast<unsigned char>(u >> 8), static_cast<unsigned char>(u)};
    mOut->insert(mOut->end(), b, b + 4);
  }
  void Float(float v)
  {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    Int(static_cast<int32_t>(u));
  }
  // A zero-filled field of `width` bytes holding the text cut to width - 1 bytes.
  void Name(const std::string& text, int width)
  {
    const size_t n = text.size() < static_cast<size_t>(width - 1) ? text.size() : static_cast<size_t>(width - 1);
    mOut->insert(mOut->end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
    mOut->insert(mOut->end(), static_cast<size_t>(width) - n, 0);
  }
  void Zeros(int n) { mOut->insert(mOut->end(), static_cast<size_t>(n), 0); }
  void Bytes(const std::vector<unsigned char>& bytes) { mOut->insert(mOut->end(), bytes.begin(), bytes.end()); }

private:
  std::vector<unsigned char>* mOut;
};

// Reads at byte offsets inside [0, size); every read checks that it fits.
class Reader
{
public:
  Reader(const unsigned char* data, size_t size) : mData(data), mSize(size) {}

  size_t Size() const { return mSize; }
  bool Fits(size_t pos, size_t n) const { return n <= mSize && pos <= mSize - n; }

  bool Int(size_t pos, int32_t* v) const
  {
    if (!Fits(pos, 4)) return false;
    const unsigned char* p = mData + pos;
    *v = static_cast<int32_t>((static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
                              (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]));
    return true;
  }
  bool Float(size_t pos, float* v) const
  {
    int32_t i;
    if (!Int(pos, &i)) return false;
    const uint32_t u = static_cast<uint32_t>(i);
    std::memcpy(v, &u, 4);
    return true;
  }
  // The text of a name field: up to its first zero, at most width - 1 bytes.
  bool Name(size_t pos, int width, std::string* text) const
  {
    if (!Fits(pos, static_cast<size_t>(width))) return false;
    const char* p = reinterpret_cast<const char*>(mData + pos);
    size_t n = 0;
    while (n < static_cast<size_t>(width - 1) && p[n]) ++n;
    text->assign(p, n);
    return true;
  }
  bool Bytes(size_t pos, size_t n, std::vector<unsigned char>* out) const
  {
    if (!Fits(pos, n)) return false;
    out->assign(mData + pos, mData + pos + n);
    return true;
  }

private:
  const unsigned char* mData;
  size_t mSize;
};

// The program layout shared by program files and the programs inside a parameter-
// form bank (PresetFileFXP.cpp). Writing assumes values already checked finite.
void WriteProgram(Writer& w, const ::FXPProgram& program);
// Reads one program at pos, parameter or chunk form (chunk form only when
// allowChunk); *next receives the position after it.
bool ReadProgram(const Reader& r, size_t pos, bool allowChunk, ::FXPProgram* out, size_t* next, std::string* error);
// True when every value is finite; otherwise false with a reason naming the first
// bad value.
bool CheckFinite(const std::vector<float>& values, std::string* error);

} // namespace presetfile
