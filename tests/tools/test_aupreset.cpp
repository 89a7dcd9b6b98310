// .aupreset files: the exact XML written, reading back (XML and binary), refusal of malformed,
// truncated and mistyped files, conversion to and from the class-info dictionary, and safe writes.
#include "tools/files/AUPresetFile.h"

#include "test_host_support.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

using namespace hosttest;

namespace {

AUPresetContents Sample()
{
  AUPresetContents c;
  c.version = 131840;
  c.type = 0x61756678;         // 'aufx'
  c.subtype = 0x62646C33;      // 'bdl3'
  c.manufacturer = 0x51786C6F; // 'Qxlo'
  c.name = "Init";
  c.data = {0x00, 0x01, 0x02, 0xFF};
  return c;
}

bool Same(const AUPresetContents& a, const AUPresetContents& b)
{
  return a.version == b.version && a.type == b.type && a.subtype == b.subtype && a.manufacturer == b.manufacturer &&
         a.name == b.name && a.data == b.data;
}

} // namespace

TEST(AUPresetXml, WritesTheHostPropertyListExactly)
{
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\">\n"
      "<dict>\n"
      "\t<key>version</key>\n\t<integer>131840</integer>\n"
      "\t<key>type</key>\n\t<integer>1635083896</integer>\n"
      "\t<key>subtype</key>\n\t<integer>1650748467</integer>\n"
      "\t<key>manufacturer</key>\n\t<integer>1366846575</integer>\n"
      "\t<key>name</key>\n\t<string>Init</string>\n"
      "\t<key>data</key>\n\t<data>\n\tAAEC/w==\n\t</data>\n"
      "</dict>\n"
      "</plist>\n";
  EXPECT_EQ(AUPresetToXml(Sample()), expected);
}

TEST(AUPresetXml, ReadsBackWhatItWritesAndWritesTheSameBytesAgain)
{
  AUPresetContents odd = Sample();
  odd.manufacturer = static_cast<std::int32_t>(0x80000001u); // a code with the top bit set is negative
  odd.name = "Crunch & \"Fuzz\" <1>";
  odd.data.clear();
  for (const AUPresetContents& c : {Sample(), odd}) {
    const std::string xml = AUPresetToXml(c);
    AUPresetContents back;
    std::string error;
    ASSERT_TRUE(AUPresetFromBytes(xml, back, error)) << error;
    EXPECT_TRUE(Same(c, back));
    EXPECT_EQ(AUPresetToXml(back), xml);
  }
  EXPECT_NE(AUPresetToXml(odd).find("<integer>-2147483647</integer>"), std::string::npos);
  EXPECT_NE(AUPresetToXml(odd).find("Crunch &amp; \"Fuzz\" &lt;1&gt;"), std::string::npos);
}

TEST(AUPresetXml, AcceptsBinaryListsAndUnsignedCodes)
{
  plist_t root = plist_new_dict();
  plist_dict_set_item(root, "data", plist_new_data("\x07\x08", 2));
  plist_dict_set_item(root, "name", plist_new_string("Saved"));
  plist_dict_set_item(root, "manufacturer", plist_new_uint(0xFFFFFFFEu)); // written unsigned
  plist_dict_set_item(root, "subtype", plist_new_uint(2));
  plist_dict_set_item(root, "type", plist_new_uint(1));
  plist_dict_set_item(root, "version", plist_new_uint(0));
  plist_dict_set_item(root, "extra", plist_new_string("ignored"));
  char* bin = nullptr;
  uint32_t length = 0;
  plist_to_bin(root, &bin, &length);
  plist_free(root);
  AUPresetContents c;
  std::string error;
  ASSERT_TRUE(AUPresetFromBytes(std::string(bin, length), c, error)) << error;
  plist_to_bin_free(bin);
  EXPECT_EQ(c.manufacturer, -2);
  EXPECT_EQ(c.subtype, 2);
  EXPECT_EQ(c.type, 1);
  EXPECT_EQ(c.name, "Saved");
  EXPECT_EQ(c.data, (std::vector<std::uint8_t>{7, 8}));
}

TEST(AUPresetXml, EveryTruncationIsRefusedOrComplete)
{
  const AUPresetContents c = Sample();
  const std::string xml = AUPresetToXml(c);
  int refused = 0;
  for (size_t n = 0; n < xml.size(); ++n) {
    AUPresetContents back;
    std::string error;
    if (AUPresetFromBytes(xml.substr(0, n), back, error)) {
      // Only cuts after the dictionary's last entry may still parse, and then nothing is lost.
      EXPECT_TRUE(Same(c, back)) << "prefix of " << n << " bytes";
      EXPECT_GE(n, xml.rfind("</dict")) << "prefix of " << n << " bytes parsed";
    } else {
      EXPECT_FALSE(error.empty());
      ++refused;
    }
  }
  EXPECT_GT(refused, static_cast<int>(xml.size()) - 20);
}

TEST(AUPresetXml, RefusesMissingAndMistypedEntries)
{
  const std::string xml = AUPresetToXml(Sample());
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string s = xml;
    const size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? s : s.replace(at, from.size(), to);
  };
  const std::pair<std::string, std::string> cases[] = {
      {"", "the file is empty"},
      {"not a plist at all", "not a property list"},
      {"<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>", "not a dictionary"},
      {replaced("<integer>131840</integer>", "<string>131840</string>"), "\"version\""},
      {replaced("<key>subtype</key>", "<key>subtypo</key>"), "\"subtype\""},
      {replaced("<integer>1366846575</integer>", "<integer>1099511627776</integer>"), "out of range"},
      {replaced("<string>Init</string>", "<integer>1</integer>"), "\"name\""},
      {replaced("<key>data</key>", "<key>date</key>"), "\"data\""},
  };
  for (const auto& [bytes, reason] : cases) {
    AUPresetContents c;
    std::string error;
    EXPECT_FALSE(AUPresetFromBytes(bytes, c, error)) << bytes;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  }
}

TEST(AUPresetDictionary, ConvertsBothWaysAndRefusesIncompleteStates)
{
  CFMutableDictionaryRef dictionary = AUPresetToDictionary(Sample());
  ASSERT_NE(dictionary, nullptr);
  EXPECT_EQ(CFDictionaryGetCount(dictionary), 6);
  AUPresetContents back;
  std::string error;
  ASSERT_TRUE(AUPresetFromDictionary(dictionary, back, error)) << error;
  EXPECT_TRUE(Same(Sample(), back));

  CFStringRef key = CFStringCreateWithCString(nullptr, "data", kCFStringEncodingUTF8);
  CFDictionaryRemoveValue(dictionary, key);
  EXPECT_FALSE(AUPresetFromDictionary(dictionary, back, error));
  EXPECT_NE(error.find("\"data\""), std::string::npos);
  CFRelease(key);
  key = CFStringCreateWithCString(nullptr, "type", kCFStringEncodingUTF8);
  CFStringRef wrong = CFStringCreateWithCString(nullptr, "aufx", kCFStringEncodingUTF8);
  CFDictionarySetValue(dictionary, key, wrong);
  EXPECT_FALSE(AUPresetFromDictionary(dictionary, back, error));
  EXPECT_NE(error.find("\"type\""), std::string::npos);
  CFRelease(wrong);
  CFRelease(key);
  CFRelease(dictionary);
  EXPECT_FALSE(AUPresetFromDictionary(nullptr, back, error));
}

TEST(AUPresetFile, WritesWholeFilesOrNothing)
{
  TempDir dir;
  std::string error;
  ASSERT_TRUE(WriteAUPresetFile(dir / "a.aupreset", Sample(), error)) << error;
  EXPECT_EQ(Slurp(dir / "a.aupreset"), AUPresetToXml(Sample()));
  // Overwriting replaces the file; no temporary file stays behind.
  AUPresetContents other = Sample();
  other.name = "Other";
  ASSERT_TRUE(WriteAUPresetFile(dir / "a.aupreset", other, error)) << error;
  EXPECT_EQ(Slurp(dir / "a.aupreset"), AUPresetToXml(other));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.aupreset"});
  struct stat st;
  ASSERT_EQ(stat((dir / "a.aupreset").c_str(), &st), 0);
  EXPECT_NE(st.st_mode & 0044, 0u) << "a preset is as readable as any new file";

  EXPECT_FALSE(WriteAUPresetFile(dir / "missing/b.aupreset", Sample(), error));
  EXPECT_NE(error.find("missing/b.aupreset"), std::string::npos);
  // A directory in the way: the rename fails and the temporary file is removed.
  mkdir((dir / "taken").c_str(), 0755);
  WriteText(dir / "taken/x", "x");
  EXPECT_FALSE(WriteAUPresetFile(dir / "taken", Sample(), error));
  EXPECT_EQ(dir.Entries().size(), 2u);

  AUPresetContents read;
  EXPECT_FALSE(ReadAUPresetFile(dir / "nothing.aupreset", read, error));
  EXPECT_NE(error.find("nothing.aupreset"), std::string::npos);
  ASSERT_TRUE(ReadAUPresetFile(dir / "a.aupreset", read, error)) << error;
  EXPECT_TRUE(Same(read, other));
}

TEST(AUPresetFile, IdentityCheckNamesBothComponents)
{
  std::string error;
  const AUPresetContents c = Sample();
  EXPECT_TRUE(CheckAUPresetIdentity(c, 0x61756678, 0x62646C33, 0x51786C6F, error));
  EXPECT_FALSE(CheckAUPresetIdentity(c, 0x61756678, 0x62646C34, 0x51786C6F, error));
  EXPECT_NE(error.find("aufx/bdl3/Qxlo"), std::string::npos) << error;
  EXPECT_NE(error.find("aufx/bdl4/Qxlo"), std::string::npos) << error;
}

// Inputs the fuzzer found that once stopped the reader; each is now read or refused in one line.
TEST(AUPresetXml, FuzzFindings)
{
  const std::string head =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
      "<key>version</key><integer>131840</integer><key>type</key><integer>1635083896</integer>"
      "<key>subtype</key><integer>1650748467</integer><key>manufacturer</key><integer>1366846575</integer>"
      "<key>name</key><string>";
  const std::string tail = "</string><key>data</key><data>AAAAAAAA4D8=</data>\n</dict>\n</plist>\n";
  struct Finding
  {
    std::string bytes;
    bool accepted;
    const char* name;
  };
  const Finding findings[] = {
      // A zero byte inside the name (libplist's string copy asserted on it): the name ends there.
      {head + std::string("Ini\0t", 5) + tail, true, "Ini"},
      {head + std::string("\0", 1) + tail, true, ""},
  };
  for (const Finding& f : findings) {
    AUPresetContents c;
    std::string error;
    EXPECT_EQ(AUPresetFromBytes(f.bytes, c, error), f.accepted) << error;
    if (f.accepted)
      EXPECT_EQ(c.name, f.name);
    else
      EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}
