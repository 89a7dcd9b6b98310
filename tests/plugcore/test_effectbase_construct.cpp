#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/plugcore/FakePlug.h"
#include "tests/plugcore/HostlessPlug.h"

namespace {
std::string LegalIOText(const FakePlug& plug)
{
  std::string text;
  for (int i = 0; i < plug.NLegalIOs(); ++i) {
    const IEffectBase::ChannelIO* io = plug.GetLegalIO(i);
    text += std::to_string(io->mIn) + "-" + std::to_string(io->mOut) + ";";
  }
  return text;
}
} // namespace

TEST(EffectBaseConstruct, IdentityAndInitialFields)
{
  FakePlug plug(3, "1-1 2-2", 2);
  EXPECT_EQ(plug.NParams(), 3);
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(plug.GetParam(i), nullptr);
    EXPECT_EQ(plug.GetParam(i)->mType, IParam::kTypeNone);
  }
  EXPECT_EQ(plug.GetParam(3), nullptr);
  EXPECT_EQ(plug.GetParam(-1), nullptr);

  ASSERT_EQ(plug.mPresets.GetSize(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(plug.mPresets.Get(i)->mInitialized);
    EXPECT_STREQ(plug.mPresets.Get(i)->mName, "empty");
    EXPECT_EQ(plug.mPresets.Get(i)->mChunk.Size(), 0);
  }

  EXPECT_STREQ(plug.GetEffectName(), "Fake Effect");
  EXPECT_STREQ(plug.GetProductName(), "Fake Product");
  EXPECT_STREQ(plug.GetMfrName(), "Fake Maker");
  EXPECT_EQ(plug.GetPlugID(), 0x46616B65);
  EXPECT_EQ(plug.GetMakerID(), 0x4D6B6572);
  EXPECT_EQ(plug.GetEffectVersion(false), 0x00010203);
  EXPECT_EQ(plug.GetAPI(), kAPIAU);
  EXPECT_EQ(plug.GetHost(), kHostUninit);
  EXPECT_EQ(plug.mHostVersion, 0);
  EXPECT_FALSE(plug.IsBypassed());
  EXPECT_EQ(plug.mCurrentPreset, 0);
  EXPECT_EQ(plug.GetSampleRate(), 44100.0);
  EXPECT_EQ(plug.GetBlockSize(), 0);
  EXPECT_EQ(plug.GetLatency(), 0);
  EXPECT_EQ(plug.GetGUI(), nullptr);
  EXPECT_EQ(plug.mParamGroups.GetSize(), 0);
  EXPECT_EQ(plug.GetInputBusLabel(0), nullptr);
}

TEST(EffectBaseConstruct, FlagsGoToTheirFields)
{
  class Flags : public HostlessPlug
  {
  public:
    Flags() : HostlessPlug(0, "1-1", 0, "n", "p", "m", 1, 2, 3, 77, true, false, true, kAPIVST3) {}
    bool Spare() const { return mSpareFlag; }
  } flags;
  EXPECT_TRUE(flags.Spare());
  EXPECT_FALSE(flags.UsesChunks());
  EXPECT_TRUE(flags.IsInstrument());
  EXPECT_EQ(flags.GetLatency(), 77);
  EXPECT_EQ(flags.GetAPI(), kAPIVST3);
  EXPECT_STREQ(flags.GetAPIString(), "VST3");
}

TEST(EffectBaseConstruct, NamesAreCutTo127Characters)
{
  const std::string longName(1000, 'q');
  struct LongPlug : HostlessPlug
  {
    explicit LongPlug(const char* n) : HostlessPlug(0, "1-1", 0, n, n, nullptr, 0, 0, 0, 0, 0, 0, 0, kAPIAU) {}
  } plug(longName.c_str());
  EXPECT_EQ(std::strlen(plug.GetEffectName()), 127u);
  EXPECT_EQ(std::strlen(plug.GetProductName()), 127u);
  EXPECT_STREQ(plug.GetMfrName(), "");
}

TEST(EffectBaseChannelIO, WellFormedStrings)
{
  FakePlug plug(0, "1-1 2-2");
  EXPECT_EQ(LegalIOText(plug), "1-1;2-2;");
  EXPECT_EQ(plug.NInChannels(), 2);
  EXPECT_EQ(plug.NOutChannels(), 2);
  EXPECT_TRUE(plug.LegalIO(1, 1));
  EXPECT_TRUE(plug.LegalIO(2, 2));
  EXPECT_FALSE(plug.LegalIO(1, 2));
  EXPECT_TRUE(plug.LegalIO(-1, 2));
  EXPECT_TRUE(plug.LegalIO(2, -1));
  EXPECT_TRUE(plug.LegalIO(-1, -1));
  EXPECT_FALSE(plug.LegalIO(-1, 3));

  FakePlug mixed(0, "1-2 0-1");
  EXPECT_EQ(mixed.NInChannels(), 1);
  EXPECT_EQ(mixed.NOutChannels(), 2);
  EXPECT_TRUE(mixed.LegalIO(0, 1));
}

TEST(EffectBaseChannelIO, EmptyTrailingSpaceAndMalformed)
{
  FakePlug empty(0, "");
  EXPECT_EQ(LegalIOText(empty), "0-0;");
  EXPECT_EQ(empty.NInChannels(), 0);
  EXPECT_TRUE(empty.LegalIO(0, 0));

  FakePlug trailing(0, "1-1 ");
  EXPECT_EQ(LegalIOText(trailing), "1-1;0-0;");

  FakePlug letters(0, "abc");
  EXPECT_EQ(LegalIOText(letters), "0-0;");

  FakePlug half(0, "2-");
  EXPECT_EQ(LegalIOText(half), "2-0;");
  EXPECT_EQ(half.NInChannels(), 2);
  EXPECT_EQ(half.NOutChannels(), 0);

  // Negative counts never create channels; huge ones are limited.
  FakePlug negative(0, "-1-9999");
  EXPECT_EQ(LegalIOText(negative), "-1-1024;");
  EXPECT_EQ(negative.NInChannels(), 0);
  EXPECT_EQ(negative.NOutChannels(), IEffectBase::kMaxChannels);
  EXPECT_FALSE(negative.LegalIO(0, -1));

  FakePlug overflow(0, "99999999999999999999-3");
  EXPECT_EQ(LegalIOText(overflow), "1024-3;");

  FakePlug none(0, nullptr);
  EXPECT_EQ(none.NLegalIOs(), 0);
  EXPECT_FALSE(none.LegalIO(-1, -1));
}

TEST(EffectBaseChannelIO, VeryLongStrings)
{
  std::string pairs;
  for (int i = 0; i < 2500; ++i) pairs += (i % 2 ? "2-2 " : "1-1 ");
  ASSERT_EQ(pairs.size(), 10000u);
  FakePlug many(0, pairs.c_str());
  EXPECT_EQ(many.NLegalIOs(), 2501); // the trailing space adds 0-0
  EXPECT_EQ(many.NInChannels(), 2);

  const std::string digits(10000, '7');
  FakePlug huge(0, digits.c_str());
  EXPECT_EQ(LegalIOText(huge), "1024-0;");

  const std::string spaces(10000, ' ');
  FakePlug blank(0, spaces.c_str());
  EXPECT_EQ(blank.NLegalIOs(), 10001);
  EXPECT_EQ(blank.NInChannels(), 0);
}

TEST(EffectBaseDestruction, DeletesTheEditor)
{
  bool deleted = false;
  {
    FakePlug plug(2);
    plug.AttachGraphics(new FakeEditor(&deleted));
    EXPECT_FALSE(deleted);
  }
  EXPECT_TRUE(deleted);
}
