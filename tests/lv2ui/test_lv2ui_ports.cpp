// Which ports a UI writes for which plug-in variant, and the URIs it refuses.
#include <gtest/gtest.h>

#include "lv2/ui/LV2UIPorts.h"

TEST(LV2UIPorts, VariantsAndTheirPortsAndTheURIsRefused)
{
  struct Case
  {
    const char* uri;
    const char* channelIO;
    bool known;
    int in, out;
    uint32_t firstControl, latency; // with 4 parameters
  };
  const char* product = "urn:tallowby:brindle";
  const Case cases[] = {
    {"urn:tallowby:brindle#mono", "1-1 2-2", true, 1, 1, 2, 6},
    {"urn:tallowby:brindle#stereo", "1-1 2-2", true, 2, 2, 4, 8},
    {"urn:tallowby:brindle/stereo", "1-1 2-2", true, 2, 2, 4, 8},
    {"urn:tallowby:brindle_mono", "1-1 2-2", true, 1, 1, 2, 6},
    {"urn:tallowby:brindle", "2-2 1-1", true, 2, 2, 4, 8},     // bare: the first configuration
    {"urn:tallowby:brindle#4-2", "1-1 4-2", true, 4, 2, 6, 10},
    {"urn:tallowby:brindle#0-2", "0-2", true, 0, 2, 2, 6},      // an instrument's outputs only
    {"urn:tallowby:brindle#stereo", "1-1", false, 0, 0, 0, 0},  // not a listed configuration
    {"urn:tallowby:brindle#Stereo", "1-1 2-2", false, 0, 0, 0, 0},
    {"urn:tallowby:brindle#stereo2", "1-1 2-2", false, 0, 0, 0, 0},
    {"urn:tallowby:brindlex", "1-1 2-2", false, 0, 0, 0, 0},
    {"urn:tallowby:brindl", "1-1 2-2", false, 0, 0, 0, 0},
    {"urn:other:brindle#mono", "1-1 2-2", false, 0, 0, 0, 0},
    {"", "1-1 2-2", false, 0, 0, 0, 0},
    {"urn:tallowby:brindle", "", false, 0, 0, 0, 0},
    {"urn:tallowby:brindle", "junk 1-x -1-1 5000-1", false, 0, 0, 0, 0},
    {"urn:tallowby:brindle#mono", "junk 1-1", true, 1, 1, 2, 6}, // bad pairs are skipped
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.uri) + " / " + c.channelIO);
    LV2UIPortLayout layout;
    layout.mFirstControlPort = 99;
    ASSERT_EQ(LV2UIPortLayoutFor(c.uri, product, c.channelIO, 4, &layout), c.known);
    if (!c.known) {
      EXPECT_EQ(layout.mFirstControlPort, 99u); // untouched
      continue;
    }
    EXPECT_EQ(layout.mInputs, c.in);
    EXPECT_EQ(layout.mOutputs, c.out);
    EXPECT_EQ(layout.mFirstControlPort, c.firstControl);
    EXPECT_EQ(layout.mLatencyPort, c.latency);
  }
  LV2UIPortLayout layout;
  EXPECT_FALSE(LV2UIPortLayoutFor(nullptr, product, "1-1", 4, &layout));
  EXPECT_FALSE(LV2UIPortLayoutFor("urn:x", nullptr, "1-1", 4, &layout));
  EXPECT_FALSE(LV2UIPortLayoutFor("urn:x", "", "1-1", 4, &layout));
  EXPECT_FALSE(LV2UIPortLayoutFor(product, product, nullptr, 4, &layout));
  EXPECT_FALSE(LV2UIPortLayoutFor(product, product, "1-1", 4, nullptr));
}
