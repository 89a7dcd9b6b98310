#include <gtest/gtest.h>

#include "tests/plugcore/FakePlug.h"

TEST(EffectBaseConstruct, ChannelIOAndIdentity)
{
  FakePlug plug(3, "1-1 2-2", 2);
  EXPECT_EQ(plug.NParams(), 3);
  EXPECT_EQ(plug.NInChannels(), 2);
  EXPECT_EQ(plug.NOutChannels(), 2);
  EXPECT_STREQ(plug.GetEffectName(), "Fake Effect");
  EXPECT_EQ(plug.GetHost(), kHostUninit);
}
