#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "StateTestPlug.h"

namespace {

TEST(PresetMake, SlotsStartEmptyAndMakersFillThemInOrder)
{
  StateTestPlug plug(2);
  ASSERT_EQ(plug.NPresets(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(plug.GetPreset(i)->mInitialized);
    EXPECT_STREQ(plug.GetPresetName(i), "empty");
    EXPECT_EQ(plug.GetPreset(i)->mChunk.Size(), 0);
  }
  // Values go to the chunk as given: no clamping, ints widened to double.
  plug.MakePreset("Loud", 7.0, 1.5, 1, 4);
  plug.MakePreset("Quiet", 0.25, 0.0, 0, 0);
  plug.MakePreset("No room", 0.5, 0.5, 0, 0);
  EXPECT_STREQ(plug.GetPresetName(0), "Loud");
  EXPECT_TRUE(plug.GetPreset(0)->mInitialized);
  EXPECT_EQ(DoublesOf(plug.GetPreset(0)->mChunk), (std::vector<double>{7.0, 1.5, 1.0, 4.0}));
  EXPECT_STREQ(plug.GetPresetName(1), "Quiet");
  EXPECT_EQ(plug.NPresets(), 2);
  EXPECT_STREQ(plug.GetPresetName(2), "");
  EXPECT_STREQ(plug.GetPresetName(-1), "");
  EXPECT_EQ(plug.Value(0), 0.5) << "making a preset does not touch the parameters";
}

TEST(PresetMake, NamedParamsFillTheRestFromCurrentValues)
{
  StateTestPlug plug(4);
  plug.SetValues(0.6, 1.2, 1.0, 2.0);
  plug.MakePresetFromNamedParams("Named", 2, 3, 5, 0, 0.75);
  EXPECT_EQ(DoublesOf(plug.GetPreset(0)->mChunk), (std::vector<double>{0.75, 1.2, 1.0, 5.0}));

  // A value equal to the marker counts as not given.
  plug.MakePresetFromNamedParams("Marker", 1, 1, kPresetSentinel);
  EXPECT_EQ(DoublesOf(plug.GetPreset(1)->mChunk), (std::vector<double>{0.6, 1.2, 1.0, 2.0}));

  // An unknown index ends the list: what came before it still counts.
  plug.MakePresetFromNamedParams("Bad index", 3, 1, 0.125, 9, 0.5, 0, 0.3);
  EXPECT_EQ(DoublesOf(plug.GetPreset(2)->mChunk), (std::vector<double>{0.6, 0.125, 1.0, 2.0}));

  plug.MakePresetFromNamedParams("None", 0);
  EXPECT_EQ(DoublesOf(plug.GetPreset(3)->mChunk), (std::vector<double>{0.6, 1.2, 1.0, 2.0}));
}

TEST(PresetMake, FromChunkAndFromBlob)
{
  StateTestPlug plug(5);
  ByteChunk source = ChunkOfDoubles({0.3, 0.4});
  plug.MakePresetFromChunk("Chunk", &source);
  EXPECT_TRUE(plug.GetPreset(0)->mChunk.IsEqual(source));

  // "AAEC" is 00 01 02; the fourth byte stays zero.
  plug.MakePresetFromBlob("Blob", "AAEC", 4);
  EXPECT_STREQ(plug.GetPresetName(1), "Blob");
  EXPECT_EQ(BytesOf(plug.GetPreset(1)->mChunk), (std::vector<unsigned char>{0x00, 0x01, 0x02, 0x00}));

  // More text than room: only sizeOfChunk bytes. Junk ends the decoding.
  plug.MakePresetFromBlob("Short", "////////", 2);
  EXPECT_EQ(BytesOf(plug.GetPreset(2)->mChunk), (std::vector<unsigned char>{0xFF, 0xFF}));
  plug.MakePresetFromBlob("Junk", "AAE\x01////", 3);
  EXPECT_EQ(BytesOf(plug.GetPreset(3)->mChunk), (std::vector<unsigned char>{0x00, 0x01, 0x00}));
  plug.MakePresetFromBlob("Nothing", nullptr, -5);
  EXPECT_TRUE(plug.GetPreset(4)->mInitialized);
  EXPECT_EQ(plug.GetPreset(4)->mChunk.Size(), 0);
}

TEST(PresetMake, NamesTooLongForTheSlotAreCut)
{
  StateTestPlug plug(1);
  const std::string longName(400, 'x');
  plug.MakePreset(longName.c_str(), 0.5, 0.5, 0, 0);
  EXPECT_EQ(std::strlen(plug.GetPresetName(0)), 255u);
}

TEST(PresetMake, DefaultPresetsCopyTheCurrentState)
{
  StateTestPlug plug(4);
  plug.SetValues(0.9, 0.1, 1.0, 1.0);
  plug.MakeDefaultPreset(nullptr, 2);
  EXPECT_STREQ(plug.GetPresetName(0), "Empty");
  EXPECT_STREQ(plug.GetPresetName(1), "Empty");
  EXPECT_FALSE(plug.GetPreset(2)->mInitialized);
  EXPECT_EQ(DoublesOf(plug.GetPreset(1)->mChunk), (std::vector<double>{0.9, 0.1, 1.0, 1.0}));
  plug.MakeDefaultPreset("Many", 10); // stops quietly when the slots run out
  EXPECT_STREQ(plug.GetPresetName(3), "Many");

  StateTestPlug other(3);
  other.MakePreset("Init", 0.5, 1.0, 0, 3);
  other.EnsureDefaultPreset();
  EXPECT_STREQ(other.GetPresetName(0), "Init");
  for (int i = 1; i < 3; ++i) {
    EXPECT_TRUE(other.GetPreset(i)->mInitialized);
    EXPECT_STREQ(other.GetPresetName(i), "Empty");
    EXPECT_EQ(other.GetPreset(i)->mChunk.Size(), 32);
  }
}

TEST(PresetMake, PruningKeepsTheOrderOfMadePresets)
{
  StateTestPlug plug(5);
  plug.MakePreset("A", 0.5, 1.0, 0, 0);
  plug.MakePreset("B", 0.5, 1.0, 0, 0);
  // Leave slot 2 empty by filling slot 3 directly.
  plug.GetPreset(3)->mInitialized = true;
  plug.GetPreset(3)->SetName("D");
  plug.PruneUninitializedPresets();
  ASSERT_EQ(plug.NPresets(), 3);
  EXPECT_STREQ(plug.GetPresetName(0), "A");
  EXPECT_STREQ(plug.GetPresetName(1), "B");
  EXPECT_STREQ(plug.GetPresetName(2), "D");

  StateTestPlug none(2);
  none.PruneUninitializedPresets();
  EXPECT_EQ(none.NPresets(), 0);
  none.MakePreset("Nowhere", 0.5, 1.0, 0, 0);
  EXPECT_EQ(none.NPresets(), 0);
  EXPECT_FALSE(none.RestorePreset(0));
  none.ModifyCurrentPreset("Nowhere");
}

} // namespace
