// Strings, numbers, data and URLs: conversions, lengths, comparisons and formatting.
#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Text(CFStringRef s)
{
  char buffer[256];
  EXPECT_TRUE(CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingUTF8));
  return buffer;
}

TEST(CFStringTest, LengthsCountUTF16UnitsAndBuffersMustFit)
{
  CFStringRef accented = CFStringCreateWithCString(nullptr, "h\xC3\xA9llo", kCFStringEncodingUTF8);
  ASSERT_NE(nullptr, accented);
  EXPECT_EQ(5, CFStringGetLength(accented));
  char buffer[16];
  // Five units need six UTF-8 bytes plus the terminator: a buffer of length + 1 is too small.
  EXPECT_FALSE(CFStringGetCString(accented, buffer, 6, kCFStringEncodingUTF8));
  EXPECT_STREQ("", buffer);
  EXPECT_TRUE(CFStringGetCString(accented, buffer, 7, kCFStringEncodingUTF8));
  EXPECT_STREQ("h\xC3\xA9llo", buffer);
  EXPECT_FALSE(CFStringGetCString(accented, buffer, sizeof buffer, kCFStringEncodingASCII));
  EXPECT_EQ(15, CFStringGetMaximumSizeForEncoding(5, kCFStringEncodingUTF8));

  CFStringRef clef = CFStringCreateWithCString(nullptr, "\xF0\x9D\x84\x9E", kCFStringEncodingUTF8);
  EXPECT_EQ(2, CFStringGetLength(clef)); // outside the basic plane: a surrogate pair

  EXPECT_EQ(nullptr, CFStringCreateWithCString(nullptr, "\xC3(", kCFStringEncodingUTF8));
  EXPECT_EQ(nullptr, CFStringCreateWithCString(nullptr, "\xE0\x80\xAF", kCFStringEncodingUTF8));
  EXPECT_EQ(nullptr, CFStringCreateWithCString(nullptr, "\xC3", kCFStringEncodingUTF8));
  EXPECT_EQ(nullptr, CFStringCreateWithCString(nullptr, "caf\xE9", kCFStringEncodingASCII));
  EXPECT_EQ(nullptr, CFStringCreateWithCString(nullptr, nullptr, kCFStringEncodingUTF8));

  CFStringRef empty = CFStringCreateWithCString(nullptr, "", kCFStringEncodingUTF8);
  EXPECT_EQ(0, CFStringGetLength(empty));
  EXPECT_TRUE(CFStringGetCString(empty, buffer, 1, kCFStringEncodingUTF8));
  CFRelease(empty);
  CFRelease(clef);
  CFRelease(accented);
}

TEST(CFStringTest, CompareEqualAndConstants)
{
  EXPECT_EQ(kCFCompareLessThan, CFStringCompare(CFSTR("abc"), CFSTR("abd"), 0));
  EXPECT_EQ(kCFCompareGreaterThan, CFStringCompare(CFSTR("abc"), CFSTR("ab"), 0));
  EXPECT_EQ(kCFCompareGreaterThan, CFStringCompare(CFSTR("abc"), CFSTR("ABC"), 0));
  EXPECT_EQ(CFSTR("Init"), CFSTR("Init")); // one object per text
  CFStringRef made = CFStringCreateWithCString(nullptr, "Init", kCFStringEncodingUTF8);
  EXPECT_TRUE(CFEqual(made, CFSTR("Init")));
  EXPECT_EQ(CFHash(made), CFHash(CFSTR("Init")));
  EXPECT_FALSE(CFEqual(made, CFSTR("init")));
  CFStringRef copy = CFStringCreateCopy(nullptr, made);
  EXPECT_EQ(made, copy);
  EXPECT_EQ(2, CFGetRetainCount(made));
  CFRelease(copy);
  CFRelease(made);
  EXPECT_EQ(CFStringGetTypeID(), CFGetTypeID(CFSTR("x")));
}

TEST(CFStringTest, FormatWithObjectsAndPrintfConversions)
{
  CFStringRef name = CFSTR("Init");
  CFStringRef description =
      CFStringCreateWithFormat(nullptr, nullptr, CFSTR("AUPreset:\npreset number = %d\npreset name = %@"), 0, name);
  EXPECT_EQ("AUPreset:\npreset number = 0\npreset name = Init", Text(description));
  CFRelease(description);

  SInt32 value = -12;
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &value);
  CFStringRef mixed = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("%5.2f|%*d|%-4s|%x|%lld|%%|%@|%c"), 3.14159, 4,
                                               7, "ab", 255U, 123456789012LL, number, 'z');
  EXPECT_EQ(" 3.14|   7|ab  |ff|123456789012|%|-12|z", Text(mixed));
  CFRelease(mixed);
  CFRelease(number);

  std::string longText(300, 'q');
  CFStringRef big = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("<%s>"), longText.c_str());
  EXPECT_EQ(302, CFStringGetLength(big));
  CFRelease(big);
}

TEST(CFNumberTest, ConversionsReportLoss)
{
  SInt32 version = 131840;
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &version);
  SInt64 wide = 0;
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberSInt64Type, &wide));
  EXPECT_EQ(131840, wide);
  SInt8 narrow = 0;
  EXPECT_FALSE(CFNumberGetValue(n, kCFNumberSInt8Type, &narrow)); // 131840 does not fit 8 bits
  Float64 asDouble = 0;
  EXPECT_TRUE(CFNumberGetValue(n, kCFNumberFloat64Type, &asDouble));
  EXPECT_EQ(131840.0, asDouble);

  Float64 half = 2.5;
  CFNumberRef f = CFNumberCreate(nullptr, kCFNumberFloat64Type, &half);
  SInt32 truncated = 0;
  EXPECT_FALSE(CFNumberGetValue(f, kCFNumberSInt32Type, &truncated));
  EXPECT_EQ(2, truncated);
  Float32 single = 0;
  EXPECT_TRUE(CFNumberGetValue(f, kCFNumberFloat32Type, &single));
  EXPECT_EQ(2.5f, single);
  Float64 third = 1.0 / 3.0;
  CFNumberRef t = CFNumberCreate(nullptr, kCFNumberDoubleType, &third);
  EXPECT_FALSE(CFNumberGetValue(t, kCFNumberFloat32Type, &single));

  Float64 three = 3.0;
  SInt16 threeInt = 3;
  CFNumberRef a = CFNumberCreate(nullptr, kCFNumberFloat64Type, &three);
  CFNumberRef b = CFNumberCreate(nullptr, kCFNumberSInt16Type, &threeInt);
  EXPECT_TRUE(CFEqual(a, b));
  EXPECT_EQ(CFHash(a), CFHash(b));
  EXPECT_EQ(nullptr, CFNumberCreate(nullptr, 99, &three));

  for (CFNumberRef x : {n, f, t, a, b}) CFRelease(x);
}

TEST(CFDataTest, BytesAndRanges)
{
  const UInt8 bytes[] = {1, 2, 3, 4, 5};
  CFDataRef d = CFDataCreate(nullptr, bytes, 5);
  EXPECT_EQ(5, CFDataGetLength(d));
  EXPECT_EQ(3, CFDataGetBytePtr(d)[2]);
  UInt8 out[3] = {9, 9, 9};
  CFDataGetBytes(d, CFRangeMake(1, 3), out);
  EXPECT_EQ(2, out[0]);
  EXPECT_EQ(4, out[2]);
  UInt8 untouched[3] = {9, 9, 9};
  CFDataGetBytes(d, CFRangeMake(3, 3), untouched); // runs past the end: nothing copied
  EXPECT_EQ(9, untouched[0]);
  CFDataRef same = CFDataCreate(nullptr, bytes, 5);
  EXPECT_TRUE(CFEqual(d, same));
  CFDataRef empty = CFDataCreate(nullptr, nullptr, 0);
  EXPECT_EQ(0, CFDataGetLength(empty));
  EXPECT_NE(nullptr, CFDataGetBytePtr(empty));
  EXPECT_EQ(nullptr, CFDataCreate(nullptr, nullptr, 3));
  CFRelease(empty);
  CFRelease(same);
  CFRelease(d);
}

TEST(CFURLTest, PathsRoundTripAndBuffersMustFit)
{
  const char* path = "/tmp/some/Brindle.component";
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path),
                                                         static_cast<CFIndex>(strlen(path)), true);
  ASSERT_NE(nullptr, url);
  UInt8 buffer[64];
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer));
  EXPECT_STREQ(path, reinterpret_cast<char*>(buffer));
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(url, true, buffer, strlen(path)));
  EXPECT_TRUE(CFURLGetFileSystemRepresentation(url, true, buffer, strlen(path) + 1));
  CFStringRef described = CFCopyDescription(url);
  EXPECT_EQ("file:///tmp/some/Brindle.component/", Text(described));
  CFRelease(described);

  const char* relative = "relative/file.png";
  CFURLRef rel = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(relative),
                                                         static_cast<CFIndex>(strlen(relative)), false);
  char resolved[4096];
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(rel, true, reinterpret_cast<UInt8*>(resolved), sizeof resolved));
  EXPECT_EQ('/', resolved[0]);
  EXPECT_NE(nullptr, strstr(resolved, "/relative/file.png"));
  CFRelease(rel);
  CFRelease(url);
}

} // namespace
