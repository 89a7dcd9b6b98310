#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "containers/Core_AssocArray.h"
#include "containers/Core_PtrList.h"

namespace {
// Records the order of destruction and checks the list never holds a freed item.
struct Tracked
{
  static std::vector<int>* sLog;
  static Core_PtrList<Tracked>* sList;
  int mId;
  explicit Tracked(int id) : mId(id) {}
  ~Tracked()
  {
    sLog->push_back(mId);
    if (sList) {
      EXPECT_EQ(sList->Find(this), -1) << "list still holds item " << mId;
    }
  }
};
std::vector<int>* Tracked::sLog = nullptr;
Core_PtrList<Tracked>* Tracked::sList = nullptr;

std::vector<int> gDeleterLog;
void LogDeleter(void* p)
{
  gDeleterLog.push_back(static_cast<Tracked*>(p)->mId);
  Tracked::sList = nullptr;
  delete static_cast<Tracked*>(p);
}
} // namespace

TEST(PtrList, EmptyDeletesLastToFirstAndKeepsTheAllocation)
{
  std::vector<int> log;
  Tracked::sLog = &log;
  Core_PtrList<Tracked> list;
  Tracked::sList = &list;
  for (int i = 1; i <= 3; ++i) list.Add(new Tracked(i));
  list.Empty(true, nullptr);
  Tracked::sList = nullptr;
  EXPECT_EQ(log, (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(list.GetSize(), 0);
  EXPECT_NE(list.GetList(), nullptr); // allocation kept
}

TEST(PtrList, EmptyWithDeleterAndWithoutDeletion)
{
  std::vector<int> log;
  Tracked::sLog = &log;
  Tracked keep(9);
  {
    Core_PtrList<Tracked> list;
    list.Add(&keep);
    list.Empty(false);
    EXPECT_EQ(list.GetSize(), 0);
    EXPECT_TRUE(log.empty());
  }
  Core_PtrList<Tracked> list;
  list.Add(new Tracked(1));
  list.Add(new Tracked(2));
  gDeleterLog.clear();
  list.Empty(true, LogDeleter);
  EXPECT_EQ(gDeleterLog, (std::vector<int>{2, 1}));
}

TEST(PtrList, InsertDeleteFindAndBounds)
{
  std::vector<int> log;
  Tracked::sLog = &log;
  Tracked::sList = nullptr;
  Core_PtrList<Tracked> list;
  Tracked* a = list.Add(new Tracked(1));
  Tracked* c = list.Add(new Tracked(3));
  Tracked* b = list.Insert(1, new Tracked(2));
  Tracked* z = list.Insert(99, new Tracked(4)); // clamped to the end
  ASSERT_EQ(list.GetSize(), 4);
  EXPECT_EQ(list.Get(0), a);
  EXPECT_EQ(list.Get(1), b);
  EXPECT_EQ(list.Get(2), c);
  EXPECT_EQ(list.GetLast(), z);
  EXPECT_EQ(list.Get(-1), nullptr);
  EXPECT_EQ(list.Get(4), nullptr);
  EXPECT_EQ(list.Find(c), 2);

  list.Delete(7, true); // outside: nothing
  list.Delete(-1, true);
  EXPECT_EQ(list.GetSize(), 4);
  EXPECT_TRUE(log.empty());

  list.Delete(1, true);
  EXPECT_EQ(log, (std::vector<int>{2}));
  ASSERT_EQ(list.GetSize(), 3);
  EXPECT_EQ(list.Get(1), c);
  list.Delete(0, false); // removed, not deleted
  EXPECT_EQ(list.GetSize(), 2);
  delete a;
  list.Empty(true);
}

TEST(StringKeyedArray, SortedInsertReplaceLookupAndDisposal)
{
  static std::vector<std::string> disposed;
  disposed.clear();
  {
    Core_StringKeyedArray<char*> array([](char* v) {
      disposed.push_back(v);
      std::free(v);
    });
    char key[8] = "delta";
    array.Insert(key, strdup("d1"));
    std::strcpy(key, "XXXXX"); // the array keeps its own copy of the key
    array.Insert("alpha", strdup("a"));
    array.Insert("charlie", strdup("c"));
    array.Insert("bravo", strdup("b"));
    ASSERT_EQ(array.GetSize(), 4);

    const char* k = nullptr;
    const char* expected[] = {"alpha", "bravo", "charlie", "delta"};
    for (int i = 0; i < 4; ++i) {
      array.Enumerate(i, &k);
      EXPECT_STREQ(k, expected[i]);
    }

    const char* stored = nullptr;
    array.Insert("delta", strdup("d2"), &stored);
    EXPECT_EQ(array.GetSize(), 4);
    EXPECT_STREQ(stored, "delta");
    EXPECT_STREQ(array.Get("delta"), "d2");
    EXPECT_EQ(disposed, (std::vector<std::string>{"d1"}));

    EXPECT_EQ(array.Get("Delta"), nullptr); // case-sensitive
    EXPECT_EQ(array.Get("echo"), nullptr);
    EXPECT_TRUE(array.Exists("alpha"));
    EXPECT_TRUE(array.Delete("bravo"));
    EXPECT_FALSE(array.Delete("bravo"));
    EXPECT_EQ(array.GetSize(), 3);
  }
  // Replaced d1, deleted b, then destruction disposed of a, c and d2.
  EXPECT_EQ(disposed, (std::vector<std::string>{"d1", "b", "a", "c", "d2"}));
}

TEST(AssocArray, IntKeysWithoutDuplicateOrDisposal)
{
  Core_AssocArrayImpl<int, int> array([](int* a, int* b) { return *a < *b ? -1 : *a > *b ? 1 : 0; });
  for (int i = 0; i < 200; ++i) array.Insert((i * 37) % 200, i);
  ASSERT_EQ(array.GetSize(), 200);
  int key = -1, prev = -1;
  for (int i = 0; i < 200; ++i) {
    array.Enumerate(i, &key);
    EXPECT_GT(key, prev);
    prev = key;
  }
  EXPECT_EQ(array.Get(37), 1);
  EXPECT_EQ(array.Get(500, -7), -7);
  EXPECT_EQ(array.Enumerate(200, nullptr, -3), -3);
}
