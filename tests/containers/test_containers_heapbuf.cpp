#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "containers/Core_HeapBuf.h"
#include "containers/Core_TypedBuf.h"

TEST(HeapBuf, PageGranularityGrowthFollowsThePagePolicy)
{
  Core_HeapBuf buf(4096);
  EXPECT_EQ(buf.Resize(0), nullptr);
  ASSERT_NE(buf.Resize(10), nullptr);
  // ((10 + 4096 + 96) & ~4095) - 96
  EXPECT_EQ(buf.GetAllocated(), 4000);
  EXPECT_EQ(buf.GetSize(), 10);
  // Fits: no reallocation.
  buf.Resize(4000);
  EXPECT_EQ(buf.GetAllocated(), 4000);
  // 5000 + max(2500, 4096) + 96 = 9192 -> 8192 - 96
  buf.Resize(5000);
  EXPECT_EQ(buf.GetAllocated(), 8096);
  // c = 100000 -> 98304 (multiple of 4096); (200000 + 98304 + 96) & ~4095 = 294912 + 4096... computed:
  // 298400 & ~4095 = 294912, minus 96 = 294816.
  buf.Resize(200000);
  EXPECT_EQ(buf.GetAllocated(), 294816);
}

TEST(HeapBuf, LargeGranularityCapsTheSlackAtFourMegabytes)
{
  Core_HeapBuf buf(65536);
  // c = max(10, 65536) = 65536 -> ((10 + 65536 + 96) & ~4095) - 96 = 65536 - 96
  buf.Resize(10);
  EXPECT_EQ(buf.GetAllocated(), 65440);
  // newsize 20 MB: c = 10 MB limited to 0x400000.
  Core_HeapBuf big(4096);
  EXPECT_EQ(big.AllocationFor(20 << 20), (((20LL << 20) + 0x400000 + 96) & ~4095LL) - 96);
}

TEST(HeapBuf, SmallGranularityShrinksOnlyWhenAllowed)
{
  Core_HeapBuf buf(16);
  buf.Resize(100); // 100 + max(50, 16)
  EXPECT_EQ(buf.GetAllocated(), 150);
  std::memcpy(buf.Get(), "0123456789", 10);

  buf.Resize(10, false);
  EXPECT_EQ(buf.GetAllocated(), 150);
  EXPECT_EQ(buf.GetSize(), 10);

  buf.Resize(100, false);
  // threshold min(150 - 64, 75) = 75 > 10: reallocates to 10 + 16.
  buf.Resize(10, true);
  EXPECT_EQ(buf.GetAllocated(), 26);
  EXPECT_EQ(std::memcmp(buf.Get(), "0123456789", 10), 0);

  // Shrinking just a little stays above the threshold and keeps the block.
  buf.Resize(20);
  const int alloc = buf.GetAllocated();
  buf.Resize(19, true);
  EXPECT_EQ(buf.GetAllocated(), alloc);
}

TEST(HeapBuf, ZeroAndNegativeSizesFreeTheBlock)
{
  Core_HeapBuf buf(16);
  buf.Resize(40);
  EXPECT_EQ(buf.Resize(-5, true), nullptr);
  EXPECT_EQ(buf.GetSize(), 0);
  EXPECT_EQ(buf.GetAllocated(), 0);
  EXPECT_EQ(buf.Get(), nullptr);
}

TEST(HeapBuf, MinimumAllocationIsKept)
{
  Core_HeapBuf buf(16, 1000);
  buf.Resize(1);
  EXPECT_EQ(buf.GetAllocated(), 1000);
}

TEST(HeapBuf, ImpossibleSizesLeaveTheBufferUnchanged)
{
  Core_HeapBuf buf(4096);
  buf.Resize(8);
  std::memcpy(buf.Get(), "abcdefg", 8);
  void* before = buf.Get();
  EXPECT_EQ(buf.Resize(INT_MAX), before);
  EXPECT_EQ(buf.GetSize(), 8);
  EXPECT_STREQ(static_cast<char*>(buf.Get()), "abcdefg");
}

TEST(HeapBuf, MoveAndCopy)
{
  Core_HeapBuf a(16);
  a.Resize(5);
  std::memcpy(a.Get(), "hey!", 5);
  Core_HeapBuf b(std::move(a));
  EXPECT_EQ(a.Get(), nullptr);
  EXPECT_EQ(b.GetSize(), 5);
  Core_HeapBuf c(16);
  ASSERT_TRUE(c.CopyFrom(b));
  EXPECT_STREQ(static_cast<char*>(c.Get()), "hey!");
}

TEST(TypedBuf, SizesCountElementsAndAddAppends)
{
  Core_TypedBuf<double> buf(64);
  ASSERT_NE(buf.Resize(3), nullptr);
  EXPECT_EQ(buf.GetSize(), 3);
  EXPECT_EQ(buf.GetHeap().GetSize(), 24);
  buf.Zero();
  buf.Get()[2] = 1.5;
  ASSERT_NE(buf.Add(2.5), nullptr);
  EXPECT_EQ(buf.GetSize(), 4);
  EXPECT_EQ(buf.Get()[0], 0.0);
  EXPECT_EQ(buf.Get()[2], 1.5);
  EXPECT_EQ(buf.Get()[3], 2.5);
  // Byte size beyond int: refused, unchanged.
  EXPECT_EQ(buf.Resize(INT_MAX / 4), nullptr);
  EXPECT_EQ(buf.GetSize(), 4);
}
