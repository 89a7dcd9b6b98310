#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugcore/Base64.h"

namespace {

std::string Encode(const char* s)
{
  return Base64Encode(reinterpret_cast<const unsigned char*>(s), static_cast<int>(std::strlen(s)));
}

std::string Decode(const char* text, int outSize = 64)
{
  unsigned char buf[64] = {};
  const int n = Base64Decode(text, buf, outSize);
  return std::string(reinterpret_cast<char*>(buf), static_cast<size_t>(n));
}

TEST(Base64, RfcVectorsEncodeWithPadding)
{
  EXPECT_EQ(Encode(""), "");
  EXPECT_EQ(Encode("f"), "Zg==");
  EXPECT_EQ(Encode("fo"), "Zm8=");
  EXPECT_EQ(Encode("foo"), "Zm9v");
  EXPECT_EQ(Encode("fooba"), "Zm9vYmE=");
  EXPECT_EQ(Encode("foobar"), "Zm9vYmFy");
  const unsigned char high[] = {0xFB, 0xFF, 0xBF};
  EXPECT_EQ(Base64Encode(high, 3), "+/+/");
  EXPECT_EQ(Base64Encode(nullptr, 3), "");
}

TEST(Base64, DecodeStopsAtPaddingOrJunk)
{
  EXPECT_EQ(Decode("Zm9vYmFy"), "foobar");
  EXPECT_EQ(Decode("Zm9vYmE="), "fooba");
  EXPECT_EQ(Decode("Zg=="), "f");
  // "AAE" carries 18 bits: two whole bytes 00 01; the junk ends the text.
  EXPECT_EQ(Decode("AAE!C"), std::string("\0\1", 2));
  EXPECT_EQ(Decode("\x80Zm9v"), "");
  EXPECT_EQ(Decode(""), "");
  unsigned char buf[4] = {9, 9, 9, 9};
  EXPECT_EQ(Base64Decode(nullptr, buf, 4), 0);
  EXPECT_EQ(Base64Decode("Zm9v", nullptr, 4), 0);
  EXPECT_EQ(Base64Decode("Zm9v", buf, 0), 0);
  EXPECT_EQ(Base64Decode("Zm9v", buf, -1), 0);
  EXPECT_EQ(buf[0], 9);
}

TEST(Base64, DecodeNeverWritesPastTheBuffer)
{
  unsigned char buf[8];
  std::memset(buf, 0xAA, sizeof buf);
  EXPECT_EQ(Base64Decode("////////////", buf, 3), 3);
  EXPECT_EQ(buf[0], 0xFF);
  EXPECT_EQ(buf[2], 0xFF);
  EXPECT_EQ(buf[3], 0xAA);
}

TEST(Base64, RoundTripsEveryByteValue)
{
  unsigned char all[256];
  for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
  for (int n : {1, 2, 3, 4, 254, 255, 256}) {
    const std::string text = Base64Encode(all, n);
    EXPECT_EQ(text.size(), static_cast<size_t>((n + 2) / 3 * 4));
    unsigned char back[256] = {};
    EXPECT_EQ(Base64Decode(text.c_str(), back, 256), n);
    EXPECT_EQ(0, std::memcmp(back, all, static_cast<size_t>(n))) << n;
  }
}

} // namespace
