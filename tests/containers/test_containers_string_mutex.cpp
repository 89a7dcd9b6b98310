#include "../ThreadBlocked.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "containers/Core_Mutex.h"
#include "containers/Core_String.h"

TEST(CoreString, EmptyReadsAsEmptyText)
{
  Core_String s;
  EXPECT_STREQ(s.Get(), "");
  EXPECT_EQ(s.GetLength(), 0);
  s.Set("abc");
  s.Set("");
  EXPECT_STREQ(s.Get(), "");
  s.Set(nullptr);
  EXPECT_STREQ(s.Get(), "");
}

TEST(CoreString, SetAppendInsertDelete)
{
  Core_String s("hello world", 5);
  EXPECT_STREQ(s.Get(), "hello");
  s.Append(", there", 3);
  EXPECT_STREQ(s.Get(), "hello, t");
  s.Insert(">>", 0);
  EXPECT_STREQ(s.Get(), ">>hello, t");
  s.Insert("<<", 100);
  EXPECT_STREQ(s.Get(), ">>hello, t<<");
  s.Insert("-", 7);
  EXPECT_STREQ(s.Get(), ">>hello-, t<<");
  s.DeleteSub(7, 3);
  EXPECT_STREQ(s.Get(), ">>hellot<<");
  s.DeleteSub(8, 100);
  EXPECT_STREQ(s.Get(), ">>hellot");
  s.SetLen(4);
  EXPECT_STREQ(s.Get(), ">>he");
  s.Set("x");
  EXPECT_EQ(s.GetLength(), 1);
  s.SetFormatted(5, "%d-%s", 12345, "abc");
  EXPECT_STREQ(s.Get(), "12345");
  s.AppendFormatted(0, "[%s]", "ok");
  EXPECT_STREQ(s.Get(), "12345[ok]");
}

TEST(CoreString, SetFromOwnTextWhileTheBufferMoves)
{
  // The string starts small, so appending itself many times forces the buffer
  // to move while the source still points into the old one.
  Core_String s("abc");
  for (int i = 0; i < 12; ++i) s.Append(s.Get());
  EXPECT_EQ(s.GetLength(), 3 << 12);
  for (int i = 0; i < s.GetLength(); i += 3) ASSERT_EQ(std::string(s.Get() + i, 3), "abc") << i;

  Core_String t("0123456789");
  t.Set(t.Get() + 6); // own tail
  EXPECT_STREQ(t.Get(), "6789");
  t.Set("0123456789");
  t.Insert(t.Get() + 2, 4, 3); // own middle, overlapping the moved part
  EXPECT_STREQ(t.Get(), "0123234456789");

  // Large own tail inserted in front: the buffer moves and the kept text shifts.
  std::string big(5000, 'x');
  big += "TAIL";
  Core_String u(big.c_str());
  u.Insert(u.Get() + 4000, 0);
  EXPECT_EQ(u.GetLength(), 5004 + 1004);
  EXPECT_EQ(std::string(u.Get(), 1004), std::string(1000, 'x') + "TAIL");
  EXPECT_EQ(std::string(u.Get() + 1004), big);
}

TEST(CoreString, DoSetPrimitive)
{
  Core_String s("abcdef");
  s.__doSet(2, "XY", 2, 4); // keep "cdef" after the inserted text
  EXPECT_STREQ(s.Get(), "abXYcdef");
  s.__doSet(1, "Q", 1, 0); // shorter result shortens the string
  EXPECT_STREQ(s.Get(), "aQ");
  s.__doSet(0, nullptr, 0, 0);
  EXPECT_STREQ(s.Get(), "");
}

TEST(CoreMutex, RecursiveEntryAndExclusion)
{
  Core_Mutex mutex;
  mutex.Enter();
  mutex.Enter(); // same thread: no deadlock
  EXPECT_TRUE(mutex.IsHeldByCurrentThread());

  std::atomic<bool> acquired{false};
  std::atomic<pid_t> otherId{0};
  std::thread other([&] {
    otherId = CurrentThreadKernelId();
    Core_MutexLock lock(mutex);
    acquired = true;
  });
  mutex.Leave();
  // Still held once: the other thread must wait, asleep in the lock, until the last Leave.
  while (otherId == 0) std::this_thread::yield();
  WaitUntilThreadBlocks(otherId);
  EXPECT_FALSE(acquired.load());
  mutex.Leave();
  other.join();
  EXPECT_TRUE(acquired.load());
  EXPECT_FALSE(mutex.IsHeldByCurrentThread());
}

TEST(CoreMutex, CountsStayConsistentUnderContention)
{
  Core_Mutex mutex;
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      Core_MutexLock outer(mutex);
      Core_MutexLock inner(mutex);
      ++counter;
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(counter, 40000);
}

TEST(CoreMutex, UnmatchedLeaveFromAnotherThreadIsIgnored)
{
  Core_Mutex mutex;
  mutex.Enter();
  std::thread([&] { mutex.Leave(); }).join();
  EXPECT_TRUE(mutex.IsHeldByCurrentThread());
  mutex.Leave();
  EXPECT_FALSE(mutex.IsHeldByCurrentThread());
}
