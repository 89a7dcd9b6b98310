#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <regex>
#include <string>
#include <thread>

#include "containers/Core_String.h"
#include "plugcore/HostInfo.h"
#include "plugcore/Trace.h"
#include "plugcore/Version.h"
#include "tests/plugcore/FakePlug.h"

namespace {
std::string HostName(int id)
{
  char out[kHostNameStrSize];
  GetHostNameStr(static_cast<EHost>(id), out);
  return out;
}

std::string Stamp(const char* date, const char* time)
{
  Core_String s;
  CompileTimestamp(date, time, &s);
  return s.Get();
}
} // namespace

TEST(Version, PartsDecimalAndText)
{
  int major = -1, minor = -1, revision = -1;
  GetVersionParts(0x00010203, &major, &minor, &revision);
  EXPECT_EQ(major, 1);
  EXPECT_EQ(minor, 2);
  EXPECT_EQ(revision, 3);
  EXPECT_EQ(GetDecimalVersion(0x00020A03), 21003);
  char text[kVersionStrSize];
  GetVersionStr(0x00010000, text);
  EXPECT_STREQ(text, "v1.0.0");
  // The major part is read unsigned: the top bit does not make it negative.
  GetVersionStr(static_cast<int>(0xFFFFFFFFu), text);
  EXPECT_STREQ(text, "v65535.255.255");
}

TEST(HostLookup, KeysAnywhereInAnyCaseInTableOrder)
{
  EXPECT_EQ(LookUpHost("Ableton LIVE 11.3"), kHostAbletonLive);
  EXPECT_EQ(LookUpHost("REAPER64-x"), kHostReaper);
  EXPECT_EQ(LookUpHost("Logic Pro X"), kHostLogic);
  EXPECT_EQ(LookUpHost(""), kHostUnknown);
  EXPECT_EQ(LookUpHost(nullptr), kHostUnknown);
  EXPECT_EQ(LookUpHost("Some Editor"), kHostUnknown);
  EXPECT_EQ(LookUpHost("live logic"), kHostAbletonLive); // "live" comes first in the table
  EXPECT_EQ(LookUpHost("logic live"), kHostAbletonLive);
  EXPECT_EQ(LookUpHost("Cubase Nuendo"), kHostCubase);
  EXPECT_EQ(LookUpHost("Cakewalk SONAR"), kHostSonar);
  EXPECT_EQ(LookUpHost("Digital Performer"), kHostDigitalPerformer);
  EXPECT_EQ(LookUpHost("PreSonus Studio One"), kHostStudioOne);
  EXPECT_EQ(LookUpHost("VST3PluginTestHost"), kHostVST3TestHost);
  EXPECT_EQ(LookUpHost("ProTools"), kHostProTools);
  EXPECT_EQ(LookUpHost("GarageBand"), kHostGarageBand);
  EXPECT_EQ(LookUpHost("AU Lab"), kHostUnknown); // the key has no blank
  EXPECT_EQ(LookUpHost("aulab"), kHostAULab);

  // A key past the lookup buffer is not seen; nothing overflows.
  std::string longName(kHostLookupBufSize + 100, 'x');
  longName += "reaper";
  EXPECT_EQ(LookUpHost(longName.c_str()), kHostUnknown);
  std::string justFits(kHostLookupBufSize - 1 - 6, 'x');
  justFits += "REAPER";
  EXPECT_EQ(LookUpHost(justFits.c_str()), kHostReaper);
}

TEST(HostLookup, DisplayNames)
{
  EXPECT_EQ(HostName(kHostReaper), "Reaper");
  EXPECT_EQ(HostName(kHostSonar), "Sonar");
  EXPECT_EQ(HostName(kHostFL), "FLStudio");
  EXPECT_EQ(HostName(kHostVegas), "Vegas");
  EXPECT_EQ(HostName(12), "Unknown");
  EXPECT_EQ(HostName(10), "Unknown");
  EXPECT_EQ(HostName(11), "Unknown");
  EXPECT_EQ(HostName(19), "Unknown");
  EXPECT_EQ(HostName(kHostUnknown), "Unknown");
  EXPECT_EQ(HostName(kHostUninit), "Unknown");
  EXPECT_EQ(HostName(999), "Unknown");
  EXPECT_EQ(HostName(kHostVST3TestHost), "VST3PluginTestHost"); // the longest: 18 + terminator
  EXPECT_EQ(HostName(kHostDigitalPerformer), "DigitalPerformer");
}

TEST(HostIdentity, SetHostAndVersions)
{
  FakePlug plug;
  plug.SetHost("Unheard-of DAW", 0x00030201);
  EXPECT_EQ(plug.GetHost(), kHostUnknown); // 0, not -1: no second attempt
  plug.SetHost("Ableton Live", 0x000B0302);
  EXPECT_EQ(plug.GetHost(), kHostAbletonLive);
  EXPECT_EQ(plug.GetHostVersion(false), 0x000B0302);
  EXPECT_EQ(plug.GetHostVersion(true), 110302);
  char text[kVersionStrSize];
  plug.GetHostVersionStr(text);
  EXPECT_STREQ(text, "v11.3.2");
  EXPECT_EQ(plug.GetEffectVersion(true), 10203);
  plug.GetEffectVersionStr(text);
  EXPECT_STREQ(text, "v1.2.3");
  EXPECT_STREQ(plug.GetAPIString(), "AU");
  EXPECT_STREQ(plug.GetArchString(), "x64");
}

TEST(HostIdentity, APIStrings)
{
  const char* names[] = {"VST2", "VST3", "AU", "RTAS", "AAX", "Standalone"};
  for (int i = 0; i < 6; ++i) EXPECT_STREQ(GetAPIStr(i), names[i]);
  EXPECT_STREQ(GetAPIStr(6), "");
  EXPECT_STREQ(GetAPIStr(-1), "");
}

TEST(TextHelpers, WhitespaceAndLowerCase)
{
  EXPECT_TRUE(IsWhitespace(' '));
  EXPECT_TRUE(IsWhitespace('\t'));
  EXPECT_TRUE(IsWhitespace('\n'));
  EXPECT_TRUE(IsWhitespace('\r'));
  EXPECT_FALSE(IsWhitespace('\v'));
  EXPECT_FALSE(IsWhitespace('x'));
  EXPECT_FALSE(IsWhitespace('\0'));
  char out[32];
  ToLower(out, "MiXeD 123 ÄZ");
  EXPECT_STREQ(out, "mixed 123 Äz"); // ASCII letters only
}

TEST(Timestamps, CompileTimestampCutsToMinutes)
{
  EXPECT_EQ(Stamp("Dec  6 2026", "19:28:18"), "[Dec 6 19:28]");
  EXPECT_EQ(Stamp("Dec 16 2026", "19:28:18"), "[Dec16 19:28]");
  EXPECT_EQ(Stamp("Dec", "1:2"), "[Dec 1:2]"); // too short to drop a character
  EXPECT_EQ(Stamp(nullptr, nullptr), "[ ]");
  EXPECT_STREQ(AppendTimestamp("Jan  2 2027", "08:15:00", "Brindle"), "Brindle [Jan 2 08:15]");
  // Over-long text is cut on a character boundary and the stamp is kept whole.
  std::string umlauts;
  for (int i = 0; i < 400; ++i) umlauts += "\xC3\xA4";
  const std::string stamped = AppendTimestamp("Jan  2 2027", "08:15:00", umlauts.c_str());
  EXPECT_LT(stamped.size(), 512u);
  EXPECT_EQ(stamped.substr(stamped.size() - 14), " [Jan 2 08:15]");
  EXPECT_EQ((stamped.size() - 14) % 2, 0u) << "a two-byte character was split";
  // Each thread keeps its own text.
  std::string other;
  std::thread([&] { other = AppendTimestamp("Jan  2 2027", "08:15:00", "other"); }).join();
  EXPECT_EQ(other, "other [Jan 2 08:15]");
}

TEST(Timestamps, CurrentTimeFormatAndOffset)
{
  const char* savedTz = std::getenv("TZ");
  const std::string saved = savedTz ? savedTz : "";

  setenv("TZ", "XYZ-05:30", 1); // five and a half hours east of UTC
  tzset();
  std::string text = CurrentTime();
  EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d{8} \d{2}:\d{2} \+0530)"))) << text;

  setenv("TZ", "ABC+03", 1); // three hours west
  tzset();
  text = CurrentTime();
  EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d{8} \d{2}:\d{2} -0300)"))) << text;

  setenv("TZ", "UTC0", 1);
  tzset();
  text = CurrentTime();
  EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d{8} \d{2}:\d{2} \+0000)"))) << text;

  if (savedTz)
    setenv("TZ", saved.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

TEST(Timestamps, TimerFiresOnlyAfterItsInterval)
{
  Timer timer;
  EXPECT_FALSE(timer.Every(1000.0));
  const std::clock_t start = std::clock();
  while (std::clock() == start) {}
  EXPECT_TRUE(timer.Every(0.0));
  // Just restarted: a long interval has not passed.
  EXPECT_FALSE(timer.Every(1000.0));
}

TEST(Trace, CallsCompileAndNameLookupsAreEmpty)
{
  Trace("Label", __LINE__, "%d %s %f", 1, "two", 3.0);
  EXPECT_EQ(BRINDLE_TRACE_ENABLED, 0);
  EXPECT_STREQ(VSTOpcodeStr(0), "");
  EXPECT_STREQ(AUSelectStr(1), "");
  EXPECT_STREQ(AUPropertyStr(2), "");
  EXPECT_STREQ(AUScopeStr(3), "");
}
