#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "StateTestPlug.h"

namespace {

TEST(StateParams, FourValuesSerializeToThirtyTwoBytesOfRealValues)
{
  StateTestPlug plug;
  plug.SetValues(0.5, 1.0, 0.0, 3.0);
  ByteChunk chunk;
  EXPECT_TRUE(plug.SerializeState(&chunk));
  ASSERT_EQ(chunk.Size(), 32);
  EXPECT_EQ(DoublesOf(chunk), (std::vector<double>{0.5, 1.0, 0.0, 3.0}));
  // Real values, not normalized: 3.0 is stored as the IEEE double 0x4008000000000000.
  EXPECT_EQ(chunk.Bytes()[31], 0x40);
  EXPECT_EQ(chunk.Bytes()[30], 0x08);

  StateTestPlug reader(0, 3);
  reader.ClearRecords();
  EXPECT_EQ(reader.UnserializeState(&chunk, 0), 24) << "extra bytes are left for the caller";
  EXPECT_EQ(reader.Value(0), 0.5);
  EXPECT_EQ(reader.Value(1), 1.0);
  EXPECT_EQ(reader.Value(2), 0.0);
}

TEST(StateParams, SerializingAppendsToWhatTheChunkHolds)
{
  StateTestPlug plug;
  ByteChunk chunk;
  StateTestPlug::InitChunkWithIEffectVer(&chunk);
  EXPECT_TRUE(plug.SerializeParams(&chunk));
  EXPECT_EQ(chunk.Size(), 40);
  int pos = 0;
  EXPECT_EQ(StateTestPlug::GetIEffectVerFromChunk(&chunk, &pos), kIEffectVer);
  EXPECT_EQ(DoublesOf(chunk, pos), (std::vector<double>{0.5, 1.0, 0.0, 3.0}));
}

TEST(StateParams, EmptyChunkClampsFirstParameterAndStillNotifiesAll)
{
  StateTestPlug plug;
  plug.SetValues(0.8, 1.5, 1.0, 4.0);
  plug.ClearRecords();
  ByteChunk empty;
  EXPECT_EQ(plug.UnserializeParams(&empty, 0), -1);
  EXPECT_EQ(plug.Value(0), 0.25) << "0.0 clamped to the lower bound";
  EXPECT_EQ(plug.Value(1), 1.5);
  EXPECT_EQ(plug.Value(2), 1.0);
  EXPECT_EQ(plug.Value(3), 4.0);
  EXPECT_EQ(plug.mParamChanges, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_TRUE(plug.mChangesLocked) << "the handler runs under the plug-in lock";
}

TEST(StateParams, TruncatedChunkKeepsWhatWasReadAndClampsValues)
{
  StateTestPlug plug;
  plug.SetValues(0.8, 1.5, 1.0, 4.0);
  ByteChunk chunk = ChunkOfDoubles({7.0, -2.0});
  const unsigned char partial[4] = {0, 0, 0, 0};
  chunk.PutRaw(partial, 4); // half a double for parameter 2
  plug.ClearRecords();
  EXPECT_EQ(plug.UnserializeParams(&chunk, 0), -1);
  EXPECT_EQ(plug.Value(0), 1.0) << "7 clamped to the upper bound";
  EXPECT_EQ(plug.Value(1), 0.0) << "-2 clamped to the lower bound";
  EXPECT_EQ(plug.Value(2), 0.0) << "the failed read stores the clamped 0.0";
  EXPECT_EQ(plug.Value(3), 4.0) << "reading ends at the first failure";
  EXPECT_EQ(plug.mParamChanges.size(), 4u);
}

TEST(StateParams, HostileStartsAndNonNumbersStayContained)
{
  StateTestPlug plug;
  ByteChunk chunk = ChunkOfDoubles({std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                    -std::numeric_limits<double>::infinity(), 2.0});
  EXPECT_EQ(plug.UnserializeParams(&chunk, 0), 32);
  EXPECT_EQ(plug.Value(0), 0.25) << "NaN reads as 0, then clamps";
  EXPECT_EQ(plug.Value(1), 2.0);
  EXPECT_EQ(plug.Value(2), 0.0);
  EXPECT_EQ(plug.Value(3), 2.0);
  for (int start : {-1, -8, 33, 1 << 30}) {
    plug.SetValues(0.5, 1.0, 1.0, 3.0);
    EXPECT_EQ(plug.UnserializeParams(&chunk, start), -1) << start;
    EXPECT_EQ(plug.Value(1), 1.0) << start;
  }
  // A start inside the data reads from there.
  ByteChunk shifted = ChunkOfDoubles({99.0, 0.75, 0.5, 1.0, 5.0});
  EXPECT_EQ(plug.UnserializeParams(&shifted, 8), 40);
  EXPECT_EQ(plug.Value(0), 0.75);
  EXPECT_EQ(plug.Value(3), 5.0);
  EXPECT_EQ(plug.UnserializeParams(nullptr, 0), -1);
  EXPECT_FALSE(plug.SerializeParams(nullptr));
}

TEST(StateParams, CompareStateUsesSinglePrecisionAndCountsDoubles)
{
  StateTestPlug plug;
  plug.SetValues(0.5, 1.0, 0.0, 3.0);
  ByteChunk same = ChunkOfDoubles({0.5 + 4e-6, 1.0, 0.0, 3.0});
  EXPECT_TRUE(plug.CompareState(same.Bytes(), 0));
  ByteChunk off = ChunkOfDoubles({0.5, 1.0, 0.0, 3.0 + 2e-5});
  EXPECT_FALSE(plug.CompareState(off.Bytes(), 0));
  // startPos 2 skips two doubles, not two bytes.
  ByteChunk prefixed = ChunkOfDoubles({9.0, 9.0, 0.5, 1.0, 0.0, 3.0});
  EXPECT_TRUE(plug.CompareState(prefixed.Bytes(), 2));
  EXPECT_FALSE(plug.CompareState(prefixed.Bytes(), 1));
  // Values beyond single precision compare as different, without undefined conversions.
  ByteChunk huge = ChunkOfDoubles({1e300, 1.0, 0.0, 3.0});
  EXPECT_FALSE(plug.CompareState(huge.Bytes(), 0));
  ByteChunk nan = ChunkOfDoubles({std::numeric_limits<double>::quiet_NaN(), 1.0, 0.0, 3.0});
  EXPECT_FALSE(plug.CompareState(nan.Bytes(), 0));

  StateTestPlug none(0, 0);
  EXPECT_TRUE(none.CompareState(nullptr, 0)) << "no parameters: equal";
}

TEST(StateParams, CompareStateLimitIsTheRealNumberOneInHundredThousand)
{
  // The float nearest 1e-5 is 9.99999974737875e-06, just below 1e-5: a single-precision
  // difference of exactly that much is still "below 1e-5". The next float up,
  // 1.00000006e-05, is not.
  const float nearest = 1e-5f;
  ASSERT_LT(static_cast<double>(nearest), 1e-5);
  const float above = std::nextafter(nearest, 1.0f);
  ASSERT_GT(static_cast<double>(above), 1e-5);

  StateTestPlug plug;
  ByteChunk stored = ChunkOfDoubles({0.5, 0.0, 0.0, 3.0});
  plug.SetValues(0.5, static_cast<double>(nearest), 0.0, 3.0);
  EXPECT_TRUE(plug.CompareState(stored.Bytes(), 0));
  plug.SetValues(0.5, static_cast<double>(above), 0.0, 3.0);
  EXPECT_FALSE(plug.CompareState(stored.Bytes(), 0));
}

TEST(StateVersionHeader, WritesMagicAndVersionAfterClearing)
{
  ByteChunk chunk = ChunkOfDoubles({1.0});
  StateTestPlug::InitChunkWithIEffectVer(&chunk);
  EXPECT_EQ(BytesOf(chunk), (std::vector<unsigned char>{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));
}

TEST(StateVersionHeader, ReadingHeaderHandlesMissingAndShortData)
{
  ByteChunk full;
  StateTestPlug::InitChunkWithIEffectVer(&full);
  full.PutFlag(true);
  int pos = 0;
  EXPECT_EQ(StateTestPlug::GetIEffectVerFromChunk(&full, &pos), 0x00010000);
  EXPECT_EQ(pos, 8);

  // "tffp" and only two bytes of the version word.
  ByteChunk cut;
  cut.PutRaw("tffp\x00\x00", 6);
  pos = 0;
  EXPECT_EQ(StateTestPlug::GetIEffectVerFromChunk(&cut, &pos), 0);
  EXPECT_EQ(pos, -1);

  ByteChunk plain = ChunkOfDoubles({0.5});
  for (int start : {0, 4, 6, 8, 100, -3}) {
    pos = start;
    EXPECT_EQ(StateTestPlug::GetIEffectVerFromChunk(&plain, &pos), 0) << start;
    EXPECT_EQ(pos, start) << "no header: the position stays";
  }

  // A header further into the data.
  ByteChunk later;
  later.PutFlag(false);
  later.Put(&kIEffectVerMagic);
  const int32_t ver = 0x00020103;
  later.Put(&ver);
  pos = 1;
  EXPECT_EQ(StateTestPlug::GetIEffectVerFromChunk(&later, &pos), 0x00020103);
  EXPECT_EQ(pos, 9);
}

TEST(StateNotifications, RedrawShowsRealValuesInTheEditor)
{
  StateTestPlug plug;
  plug.RedrawParamControls(); // no editor: nothing to do
  std::vector<StateTestEditor::Shown> shown;
  plug.AttachGraphics(new StateTestEditor(&shown));
  plug.SetValues(0.75, 2.0, 1.0, 5.0);
  shown.clear();
  plug.RedrawParamControls();
  ASSERT_EQ(shown.size(), 4u);
  const double expected[4] = {0.75, 2.0, 1.0, 5.0};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(shown[i].index, i);
    EXPECT_EQ(shown[i].value, expected[i]);
    EXPECT_FALSE(shown[i].normalized);
  }
}

TEST(StateNotifications, DirtyParametersSendsNormalizedValuesUnderTheLock)
{
  StateTestPlug plug;
  plug.SetValues(0.625, 0.5, 1.0, 2.0);
  plug.ClearRecords();
  plug.DirtyParameters();
  ASSERT_EQ(plug.mHostChanges.size(), 4u);
  // (0.625 - 0.25) / 0.75 = 0.5; 0.5 / 2 = 0.25; bool 1; 2 / 5 = 0.4.
  const double expected[4] = {0.5, 0.25, 1.0, 0.4};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(plug.mHostChanges[i].index, i);
    EXPECT_DOUBLE_EQ(plug.mHostChanges[i].normalized, expected[i]);
    EXPECT_TRUE(plug.mHostChanges[i].locked);
  }
}

} // namespace
