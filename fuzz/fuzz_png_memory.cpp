// Fuzzes PNG decoding from memory: any input must either fail with null or give a bitmap of a sane
// size whose every pixel can be read; loading into caller bitmaps (a growable one and a flipped one
// that cannot change size) must stay inside them.
//
// Each input is decoded as given and once more with every chunk checksum made right, so that mutations
// reach the decoder's later stages instead of stopping at the first CRC check.

#include "raster/Raster_MemBitmap.h"
#include "raster/Raster_PNG.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include <zlib.h>

namespace {

// Rows stored bottom-up, fixed size.
class FlippedFixedBitmap : public Raster_IBitmap
{
public:
  FlippedFixedBitmap(int w, int h) : mW(w), mH(h), mPixels((size_t)w * h) {}
  Raster_PixelWord* getBits() override { return mPixels.data(); }
  int getWidth() override { return mW; }
  int getHeight() override { return mH; }
  int getRowSpan() override { return mW; }
  bool isFlipped() override { return true; }
  bool resize(int, int) override { return false; }

private:
  int mW, mH;
  std::vector<Raster_PixelWord> mPixels;
};

// Reads every pixel so that a bitmap smaller than it claims shows up under ASan.
Raster_PixelWord Checksum(Raster_IBitmap* bm)
{
  if (bm->getWidth() <= 0 || bm->getHeight() <= 0 || !bm->getBits() || bm->getRowSpan() < bm->getWidth()) std::abort();
  Raster_PixelWord sum = 0;
  for (int y = 0; y < bm->getHeight(); ++y) {
    const Raster_PixelWord* row = bm->getBits() + (size_t)y * bm->getRowSpan();
    for (int x = 0; x < bm->getWidth(); ++x) sum += row[x];
  }
  return sum;
}

volatile Raster_PixelWord gSink;

uint32_t ReadBE32(const uint8_t* p)
{
  return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

// A copy whose chunks (after the 8-byte signature) all carry correct CRCs, as far as they are complete.
std::vector<uint8_t> WithFixedCrcs(const uint8_t* data, size_t size)
{
  std::vector<uint8_t> out(data, data + size);
  size_t off = 8;
  while (off + 12 <= size) {
    const uint32_t len = ReadBE32(&out[off]);
    if (len > size - off - 12) break;
    const uint32_t crc = (uint32_t)crc32(0, &out[off + 4], (uInt)(len + 4));
    uint8_t* c = &out[off + 8 + len];
    c[0] = (uint8_t)(crc >> 24);
    c[1] = (uint8_t)(crc >> 16);
    c[2] = (uint8_t)(crc >> 8);
    c[3] = (uint8_t)crc;
    off += 12 + (size_t)len;
  }
  return out;
}

void DecodeAllWays(const uint8_t* data, int len)
{
  std::unique_ptr<Raster_IBitmap> bm(Raster_LoadPNGFromMemory(data, len, nullptr));
  if (bm) gSink = Checksum(bm.get());

  Raster_MemBitmap mine(3, 2, 4);
  if (Raster_LoadPNGFromMemory(data, len, &mine)) gSink = Checksum(&mine);

  FlippedFixedBitmap fixed(4, 4);
  if (Raster_LoadPNGFromMemory(data, len, &fixed)) gSink = Checksum(&fixed);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > (size_t)INT_MAX) return 0;
  DecodeAllWays(data, (int)size);
  const std::vector<uint8_t> fixed = WithFixedCrcs(data, size);
  if (!fixed.empty()) DecodeAllWays(fixed.data(), (int)fixed.size());
  return 0;
}
