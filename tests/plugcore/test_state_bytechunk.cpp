#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "StateTestPlug.h"
#include "plugcore/ByteChunk.h"
#include "plugcore/IPreset.h"

namespace {

ByteChunk ChunkOf(std::vector<unsigned char> bytes)
{
  ByteChunk c;
  c.PutRaw(bytes.data(), static_cast<int>(bytes.size()));
  return c;
}

TEST(ByteChunk, StoresNativeLittleEndianBytesWithoutPadding)
{
  ByteChunk c;
  const int32_t i = 0x01020304;
  const double one = 1.0;
  const unsigned char b = 0xAB;
  EXPECT_EQ(c.Put(&i), 4);
  EXPECT_EQ(c.Put(&b), 5);
  EXPECT_EQ(c.Put(&one), 13);
  EXPECT_EQ(BytesOf(c), (std::vector<unsigned char>{0x04, 0x03, 0x02, 0x01, 0xAB, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
}

TEST(ByteChunk, ChainedReadsReturnNextPositionAndStopAtEnd)
{
  ByteChunk c;
  const double a = 0.5, b = -3.25;
  c.Put(&a);
  c.Put(&b);
  double x = 7.0, y = 7.0, z = 7.0;
  int pos = c.Get(&x, 0);
  EXPECT_EQ(pos, 8);
  pos = c.Get(&y, pos);
  EXPECT_EQ(pos, 16);
  pos = c.Get(&z, pos);
  EXPECT_EQ(pos, -1);
  EXPECT_EQ(x, 0.5);
  EXPECT_EQ(y, -3.25);
  EXPECT_EQ(z, 7.0) << "a failed read leaves the value untouched";
  // A read straddling the end fails too.
  EXPECT_EQ(c.Get(&z, 9), -1);
  EXPECT_EQ(z, 7.0);
}

TEST(ByteChunk, ReadsRejectHostilePositions)
{
  ByteChunk c;
  const int32_t v = 5;
  c.Put(&v);
  int32_t out = 99;
  for (int pos : {-1, -4, INT_MIN, 1, 4, 5, INT_MAX, INT_MAX - 2}) {
    EXPECT_EQ(c.Get(&out, pos), -1) << pos;
  }
  bool flag = true;
  EXPECT_EQ(c.GetFlag(&flag, 4), -1);
  EXPECT_EQ(c.GetFlag(&flag, -1), -1);
  EXPECT_TRUE(flag);
  EXPECT_EQ(out, 99);
  ByteChunk empty;
  EXPECT_EQ(empty.Get(&out, 0), -1);
  EXPECT_EQ(empty.GetFlag(&flag, 0), -1);
}

TEST(ByteChunk, FlagsAreOneByteAndAnyNonZeroReadsTrue)
{
  ByteChunk c;
  c.PutFlag(true);
  c.PutFlag(false);
  EXPECT_EQ(BytesOf(c), (std::vector<unsigned char>{1, 0}));
  ByteChunk odd = ChunkOf({0x80, 0x00});
  bool f = false;
  EXPECT_EQ(odd.GetFlag(&f, 0), 1);
  EXPECT_TRUE(f);
  EXPECT_EQ(odd.GetFlag(&f, 1), 2);
  EXPECT_FALSE(f);
}

TEST(ByteChunk, StringsAreLengthPrefixedWithoutTerminator)
{
  ByteChunk c;
  EXPECT_EQ(c.PutString("abc"), 7);
  EXPECT_EQ(c.PutString(""), 11);
  EXPECT_EQ(BytesOf(c), (std::vector<unsigned char>{3, 0, 0, 0, 'a', 'b', 'c', 0, 0, 0, 0}));
  std::string s = "keep";
  EXPECT_EQ(c.GetString(&s, 0), 7);
  EXPECT_EQ(s, "abc");
  // An empty text advances past its length but does not touch the output.
  EXPECT_EQ(c.GetString(&s, 7), 11);
  EXPECT_EQ(s, "abc");
  EXPECT_EQ(c.GetString(&s, 11), -1);
}

TEST(ByteChunk, StringWithEmbeddedZeroIsCutButConsumedWhole)
{
  ByteChunk c = ChunkOf({4, 0, 0, 0, 'a', 0, 'b', 'c', 9});
  std::string s;
  EXPECT_EQ(c.GetString(&s, 0), 8);
  EXPECT_EQ(s, "a");
}

TEST(ByteChunk, HostileStringLengthsEndTheRead)
{
  std::string s = "untouched";
  // Length field itself truncated.
  EXPECT_EQ(ChunkOf({3, 0, 0}).GetString(&s, 0), -1);
  // Text longer than what is left.
  EXPECT_EQ(ChunkOf({5, 0, 0, 0, 'a', 'b'}).GetString(&s, 0), -1);
  // Negative length would point backwards.
  EXPECT_EQ(ChunkOf({0xFC, 0xFF, 0xFF, 0xFF, 'a', 'b'}).GetString(&s, 0), -1);
  // Huge length must not wrap the position arithmetic.
  EXPECT_EQ(ChunkOf({0xFF, 0xFF, 0xFF, 0x7F, 'a'}).GetString(&s, 0), -1);
  EXPECT_EQ(ChunkOf({0xFC, 0xFF, 0xFF, 0x7F, 'a'}).GetString(&s, 1), -1);
  EXPECT_EQ(s, "untouched");
  EXPECT_EQ(ChunkOf({1, 0, 0, 0, 'x'}).GetString(&s, -1), -1);
}

TEST(ByteChunk, GrowsAcrossStepsAndAppendsChunks)
{
  ByteChunk c;
  std::vector<unsigned char> big(5000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<unsigned char>(i * 7);
  EXPECT_EQ(c.PutRaw(big.data(), 5000), 5000);
  EXPECT_EQ(BytesOf(c), big);
  // Appending a chunk to itself doubles it even though the storage moves.
  EXPECT_EQ(c.AppendChunk(&c), 10000);
  EXPECT_EQ(0, std::memcmp(c.Bytes() + 5000, big.data(), 5000));
  EXPECT_EQ(c.PutRaw(big.data(), -3), 10000);
  EXPECT_EQ(c.PutRaw(nullptr, 3), 10000);
}

TEST(ByteChunk, ResizeZeroFillsAndClearEmpties)
{
  ByteChunk c = ChunkOf({1, 2, 3});
  EXPECT_EQ(c.Resize(1), 1);
  EXPECT_EQ(c.Resize(4), 4);
  EXPECT_EQ(BytesOf(c), (std::vector<unsigned char>{1, 0, 0, 0}));
  EXPECT_EQ(c.Resize(-5), 0);
  c.PutFlag(true);
  c.Clear();
  EXPECT_EQ(c.Size(), 0);
}

TEST(ByteChunk, CopiesAreIndependentAndMovesTransfer)
{
  ByteChunk a = ChunkOf({1, 2, 3});
  ByteChunk b(a);
  b.PutFlag(true);
  EXPECT_EQ(a.Size(), 3);
  EXPECT_TRUE(b.IsEqual(ChunkOf({1, 2, 3, 1})));
  a = b;
  EXPECT_TRUE(a.IsEqual(b));
  ByteChunk m(std::move(a));
  EXPECT_EQ(m.Size(), 4);
  EXPECT_FALSE(m.IsEqual(ChunkOf({1, 2, 3, 0})));
}

TEST(IPreset, StartsEmptyAndCutsLongNames)
{
  IPreset p;
  EXPECT_FALSE(p.mInitialized);
  EXPECT_STREQ(p.mName, "empty");
  EXPECT_EQ(p.mChunk.Size(), 0);
  const std::string longName(300, 'n');
  p.SetName(longName.c_str());
  EXPECT_EQ(std::strlen(p.mName), 255u);
  p.SetName(nullptr);
  EXPECT_STREQ(p.mName, "");
  IPreset named("Init");
  EXPECT_STREQ(named.mName, "Init");
}

TEST(IPreset, VersionHeaderConstantsHaveTheirByteForm)
{
  ByteChunk c;
  c.Put(&kIEffectVerMagic);
  c.Put(&kIEffectVer);
  EXPECT_EQ(BytesOf(c), (std::vector<unsigned char>{'t', 'f', 'f', 'p', 0, 0, 1, 0}));
}

} // namespace
