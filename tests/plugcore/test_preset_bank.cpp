#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "StateTestPlug.h"

namespace {

ByteChunk Prefix(const ByteChunk& c, int n)
{
  ByteChunk out;
  out.PutRaw(c.Bytes(), n);
  return out;
}

// Init (0.5, 1, 0, 3), Hot (0.9, 0.2, 1, 5), and an empty third slot.
void MakeBank(StateTestPlug& plug)
{
  plug.MakePreset("Init", 0.5, 1.0, 0, 3);
  plug.MakePreset("Hot", 0.9, 0.2, 1, 5);
}

TEST(PresetBank, UninitializedPresetContributesNameAndFlagOnly)
{
  StateTestPlug plug(2);
  plug.MakePreset("A", 0.5, 1.0, 0, 3);
  ByteChunk bank;
  EXPECT_TRUE(plug.SerializePresets(&bank));
  std::vector<unsigned char> expected = {1, 0, 0, 0, 'A', 1};
  const std::vector<unsigned char> state = BytesOf(plug.GetPreset(0)->mChunk);
  expected.insert(expected.end(), state.begin(), state.end());
  const std::vector<unsigned char> tail = {5, 0, 0, 0, 'e', 'm', 'p', 't', 'y', 0};
  expected.insert(expected.end(), tail.begin(), tail.end());
  EXPECT_EQ(BytesOf(bank), expected);
  EXPECT_EQ(bank.Size(), 48);
}

TEST(PresetBank, RoundTripRestoresNamesFlagsStatesAndOwnCurrentPreset)
{
  StateTestPlug source(3);
  MakeBank(source);
  ASSERT_TRUE(source.RestorePreset(1));
  ByteChunk bank;
  ASSERT_TRUE(source.SerializePresets(&bank));

  StateTestPlug dest(3);
  dest.ClearRecords();
  EXPECT_EQ(dest.UnserializePresets(&bank, 0), bank.Size());
  for (int i = 0; i < 3; ++i) {
    EXPECT_STREQ(dest.GetPresetName(i), source.GetPresetName(i)) << i;
    EXPECT_EQ(dest.GetPreset(i)->mInitialized, source.GetPreset(i)->mInitialized) << i;
  }
  EXPECT_TRUE(dest.GetPreset(1)->mChunk.IsEqual(source.GetPreset(1)->mChunk));
  // The plug-in's own current preset (0) is put back into the parameters.
  EXPECT_EQ(dest.GetCurrentPresetIdx(), 0);
  EXPECT_EQ(dest.Value(0), 0.5);
  EXPECT_EQ(dest.Value(3), 3.0);
  EXPECT_GE(dest.mParamChanges.size(), 4u);
}

TEST(PresetBank, LoadedPresetKeepsAFreshSerializationOfWhatWasLoaded)
{
  StateTestPlug source(1);
  source.MakePreset("Wild", 9.0, -1.0, 1, 99); // stored unclamped
  ByteChunk bank;
  source.SerializePresets(&bank);
  StateTestPlug dest(1);
  EXPECT_EQ(dest.UnserializePresets(&bank, 0), bank.Size());
  EXPECT_EQ(DoublesOf(dest.GetPreset(0)->mChunk), (std::vector<double>{1.0, 0.0, 1.0, 5.0}));
}

void PutState(ByteChunk& bank)
{
  ByteChunk state = ChunkOfDoubles({0.5, 1.0, 0.0, 3.0});
  bank.AppendChunk(&state);
}

TEST(PresetBank, EmptyStoredNameDoesNotInheritThePreviousName)
{
  ByteChunk bank;
  bank.PutString("First");
  bank.PutFlag(true);
  PutState(bank);
  bank.PutString("");
  bank.PutFlag(false);
  StateTestPlug dest(2);
  EXPECT_EQ(dest.UnserializePresets(&bank, 0), bank.Size());
  EXPECT_STREQ(dest.GetPresetName(0), "First");
  EXPECT_STREQ(dest.GetPresetName(1), "");
}

TEST(PresetBank, EmptyCurrentSlotAfterLoadingCapturesTheState)
{
  ByteChunk bank;
  bank.PutString("Nothing here");
  bank.PutFlag(false);
  StateTestPlug dest(1);
  dest.SetValues(0.8, 0.4, 1.0, 1.0);
  EXPECT_EQ(dest.UnserializePresets(&bank, 0), bank.Size());
  EXPECT_TRUE(dest.GetPreset(0)->mInitialized);
  EXPECT_STREQ(dest.GetPresetName(0), "user preset 1");
  EXPECT_EQ(DoublesOf(dest.GetPreset(0)->mChunk), (std::vector<double>{0.8, 0.4, 1.0, 1.0}));
}

TEST(PresetBank, LongStoredNamesAreCutToTheSlot)
{
  ByteChunk bank;
  const std::string longName(1000, 'q');
  bank.PutString(longName.c_str());
  bank.PutFlag(true);
  PutState(bank);
  StateTestPlug dest(1);
  EXPECT_EQ(dest.UnserializePresets(&bank, 0), bank.Size());
  EXPECT_EQ(std::strlen(dest.GetPresetName(0)), 255u);
}

TEST(PresetBank, EveryTruncationEndsWithMinusOneKeepingEarlierPresets)
{
  StateTestPlug source(3);
  MakeBank(source);
  ByteChunk bank;
  source.SerializePresets(&bank);
  // "Init" occupies 4 + 4 + 1 + 32 bytes.
  const int firstPresetEnd = 41;
  for (int n = 0; n < bank.Size(); ++n) {
    StateTestPlug dest(3);
    ByteChunk cut = Prefix(bank, n);
    EXPECT_EQ(dest.UnserializePresets(&cut, 0), -1) << n;
    if (n >= firstPresetEnd) {
      EXPECT_STREQ(dest.GetPresetName(0), "Init") << n;
      EXPECT_EQ(DoublesOf(dest.GetPreset(0)->mChunk), (std::vector<double>{0.5, 1.0, 0.0, 3.0})) << n;
    }
  }
}

TEST(PresetBank, HostileLengthsAndStartsEndTheRead)
{
  StateTestPlug dest(2);
  dest.MakePreset("Kept", 0.5, 1.0, 0, 3);
  for (int32_t len : {-1, -5, INT32_MAX, INT32_MAX - 3, 1 << 20}) {
    ByteChunk bank;
    bank.Put(&len);
    bank.PutRaw("abcdefgh", 8);
    EXPECT_EQ(dest.UnserializePresets(&bank, 0), -1) << len;
    EXPECT_STREQ(dest.GetPresetName(0), "Kept") << len;
  }
  ByteChunk fine;
  fine.PutString("x");
  fine.PutFlag(false);
  EXPECT_EQ(dest.UnserializePresets(&fine, -7), -1);
  EXPECT_EQ(dest.UnserializePresets(&fine, 1 << 30), -1);
  EXPECT_EQ(dest.UnserializePresets(nullptr, 0), -1);
  EXPECT_FALSE(dest.SerializePresets(nullptr));
}

// Deterministic garbage and mutated banks: reading must stay inside the data
// (checked by the sanitizer build) and report either a position inside it or -1.
TEST(PresetBank, GarbageNeverReadsOutOfBounds)
{
  StateTestPlug source(3);
  MakeBank(source);
  ByteChunk bank;
  source.SerializePresets(&bank);
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (int round = 0; round < 400; ++round) {
    ByteChunk data;
    if (round % 2 == 0) {
      data = bank;
      for (int k = 0; k < 3; ++k)
        data.Bytes()[next() % static_cast<uint32_t>(data.Size())] = static_cast<unsigned char>(next() >> 24);
      data.Resize(static_cast<int>(next() % static_cast<uint32_t>(data.Size() + 1)));
    } else {
      const int n = static_cast<int>(next() % 120);
      for (int k = 0; k < n; ++k) {
        const unsigned char b = static_cast<unsigned char>(next() >> 24);
        data.PutRaw(&b, 1);
      }
    }
    StateTestPlug dest(3);
    const int pos = dest.UnserializePresets(&data, 0);
    EXPECT_TRUE(pos == -1 || (pos >= 0 && pos <= data.Size())) << round;
    for (int i = 0; i < 3; ++i) EXPECT_LT(std::strlen(dest.GetPresetName(i)), 256u);
    for (int p = 0; p < 4; ++p) {
      EXPECT_GE(dest.Value(p), dest.GetParam(p)->mMin);
      EXPECT_LE(dest.Value(p), dest.GetParam(p)->mMax);
    }
  }
}

} // namespace
