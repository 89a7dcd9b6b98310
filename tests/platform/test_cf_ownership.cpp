// Reference counts and ownership: collections retain what they hold and free it with them, and
// objects go back to the allocator that made them.
#include <CoreFoundation/CoreFoundation.h>
#include <AudioUnit/AudioUnitProperties.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <set>
#include <thread>

namespace {

struct CountingHeap
{
  int allocations = 0;
  int frees = 0;
  std::set<void*> live;
};

void* CountingAllocate(CFIndex size, CFOptionFlags, void* info)
{
  auto* heap = static_cast<CountingHeap*>(info);
  void* p = std::malloc(static_cast<size_t>(size));
  heap->allocations++;
  heap->live.insert(p);
  return p;
}

void CountingDeallocate(void* p, void* info)
{
  auto* heap = static_cast<CountingHeap*>(info);
  heap->frees++;
  EXPECT_EQ(1u, heap->live.erase(p)) << "freed memory this heap never handed out";
  std::free(p);
}

CFAllocatorRef MakeCountingAllocator(CountingHeap* heap)
{
  CFAllocatorContext context = {};
  context.info = heap;
  context.allocate = CountingAllocate;
  context.deallocate = CountingDeallocate;
  return CFAllocatorCreate(kCFAllocatorDefault, &context);
}

// A preset record in the manner of the factory-preset array: its own count, its name retained in
// step, freed with the allocator that made it.
struct PresetRecord
{
  AUPreset mPreset;
  UInt32 mVersion;
  CFAllocatorRef mAllocator;
  CFIndex mRetainCount;
};

PresetRecord* PresetCreate(CFAllocatorRef allocator, SInt32 number, CFStringRef name)
{
  void* memory = CFAllocatorAllocate(allocator, sizeof(PresetRecord), 0);
  if (!memory) return nullptr;
  auto* record =
      new (memory) PresetRecord{{number, name ? CFStringCreateCopy(allocator, name) : nullptr}, 0, allocator, 1};
  return record;
}

const void* PresetRetain(CFAllocatorRef, const void* value)
{
  auto* record = static_cast<PresetRecord*>(const_cast<void*>(value));
  if (record) {
    if (record->mPreset.presetName) CFRetain(record->mPreset.presetName);
    record->mRetainCount++;
  }
  return value;
}

void PresetRelease(CFAllocatorRef, const void* value)
{
  auto* record = static_cast<PresetRecord*>(const_cast<void*>(value));
  if (!record || record->mRetainCount <= 0) return;
  if (record->mPreset.presetName) CFRelease(record->mPreset.presetName);
  if (record->mRetainCount-- == 1) {
    record->mPreset.presetName = nullptr;
    CFAllocatorDeallocate(record->mAllocator, record);
  }
}

TEST(CFOwnership, ArrayWithCustomCallbacksFreesRecordsAndNames)
{
  CountingHeap heap;
  CFAllocatorRef allocator = MakeCountingAllocator(&heap);
  ASSERT_NE(nullptr, allocator);

  CFArrayCallBacks callbacks = {0, PresetRetain, PresetRelease, nullptr, nullptr};
  CFMutableArrayRef presets = CFArrayCreateMutable(allocator, 2, &callbacks);
  ASSERT_NE(nullptr, presets);
  const char* names[] = {"Init", "Lead"};
  CFStringRef kept[2];
  for (int i = 0; i < 2; ++i) {
    CFStringRef name = CFStringCreateWithCString(allocator, names[i], kCFStringEncodingUTF8);
    PresetRecord* record = PresetCreate(allocator, i, name);
    ASSERT_NE(nullptr, record);
    CFArrayAppendValue(presets, record);
    EXPECT_EQ(2, record->mRetainCount);
    PresetRelease(allocator, record);
    CFRelease(name);
    kept[i] = name;
  }
  // Each name: created (1), copied into the record (2), retained with it by the array (3), then the
  // creation reference and the record's creation reference released: one reference left.
  EXPECT_EQ(1, CFGetRetainCount(kept[0]));
  EXPECT_EQ(1, CFGetRetainCount(kept[1]));
  auto* first = static_cast<const PresetRecord*>(CFArrayGetValueAtIndex(presets, 0));
  EXPECT_EQ(1, first->mRetainCount);
  EXPECT_EQ(0, first->mPreset.presetNumber);
  EXPECT_EQ(kCFCompareEqualTo, CFStringCompare(first->mPreset.presetName, CFSTR("Init"), 0));

  // The array, two records and two names came from the counting heap; nothing is freed yet.
  EXPECT_EQ(5, heap.allocations);
  EXPECT_EQ(0, heap.frees);
  CFRelease(presets);
  EXPECT_EQ(5, heap.frees);
  EXPECT_TRUE(heap.live.empty());
  // Every object gave back its reference to the allocator.
  EXPECT_EQ(1, CFGetRetainCount(allocator));
  CFRelease(allocator);
}

TEST(CFOwnership, DictionaryHoldsAndReleasesItsEntries)
{
  CountingHeap heap;
  CFAllocatorRef allocator = MakeCountingAllocator(&heap);
  CFMutableDictionaryRef dict =
      CFDictionaryCreateMutable(allocator, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFStringRef key = CFStringCreateWithCString(allocator, "version", kCFStringEncodingUTF8);
  SInt32 version = 131840;
  CFNumberRef number = CFNumberCreate(allocator, kCFNumberSInt32Type, &version);

  CFDictionarySetValue(dict, key, number);
  EXPECT_EQ(2, CFGetRetainCount(key));
  EXPECT_EQ(2, CFGetRetainCount(number));
  CFRelease(key);
  CFRelease(number); // the dictionary's references keep both alive

  // Found through an equal key that is a different object.
  CFStringRef probe = CFStringCreateWithCString(kCFAllocatorDefault, "version", kCFStringEncodingUTF8);
  auto found = static_cast<CFNumberRef>(CFDictionaryGetValue(dict, probe));
  ASSERT_EQ(number, found);
  SInt32 read = 0;
  EXPECT_TRUE(CFNumberGetValue(found, kCFNumberSInt32Type, &read));
  EXPECT_EQ(131840, read);

  // Setting the value it already holds must not free it on the way.
  CFDictionarySetValue(dict, probe, found);
  EXPECT_EQ(1, CFGetRetainCount(found));
  EXPECT_EQ(1, CFDictionaryGetCount(dict));

  // Replacing releases the old value; removing releases key and value.
  CFDataRef data = CFDataCreate(allocator, reinterpret_cast<const UInt8*>("abcd"), 4);
  CFDictionarySetValue(dict, probe, data);
  EXPECT_EQ(2, CFGetRetainCount(data));
  EXPECT_EQ(1, heap.frees); // the replaced number, whose last reference the dictionary held
  CFStringRef other = CFSTR("name");
  CFDictionaryAddValue(dict, other, CFSTR("Init"));
  CFDictionaryAddValue(dict, other, CFSTR("ignored")); // adds only when absent
  EXPECT_EQ(kCFCompareEqualTo,
            CFStringCompare(static_cast<CFStringRef>(CFDictionaryGetValue(dict, other)), CFSTR("Init"), 0));
  CFDictionaryRemoveValue(dict, other);
  EXPECT_FALSE(CFDictionaryContainsKey(dict, other));
  EXPECT_EQ(nullptr, CFDictionaryGetValue(dict, other));

  CFRelease(data);
  CFRelease(probe);
  const int before = heap.frees;
  CFRelease(dict);
  // The dictionary, its key and its data value go back to the heap together.
  EXPECT_EQ(before + 3, heap.frees);
  EXPECT_TRUE(heap.live.empty());
  EXPECT_EQ(1, CFGetRetainCount(allocator));
  CFRelease(allocator);
}

TEST(CFOwnership, ArraysOfObjectsAndRawPointers)
{
  CFStringRef a = CFStringCreateWithCString(nullptr, "a", kCFStringEncodingUTF8);
  const void* values[] = {a, a};
  CFArrayRef array = CFArrayCreate(nullptr, values, 2, &kCFTypeArrayCallBacks);
  EXPECT_EQ(3, CFGetRetainCount(a));
  CFMutableArrayRef raw = CFArrayCreateMutable(nullptr, 0, nullptr);
  int local = 7;
  CFArrayAppendValue(raw, &local);
  CFArrayAppendValue(raw, a);
  EXPECT_EQ(3, CFGetRetainCount(a)); // no callbacks: nothing retained
  EXPECT_EQ(&local, CFArrayGetValueAtIndex(raw, 0));
  EXPECT_EQ(nullptr, CFArrayGetValueAtIndex(raw, 2));
  EXPECT_EQ(nullptr, CFArrayGetValueAtIndex(raw, -1));
  CFStringRef equalToA = CFSTR("a");
  EXPECT_EQ(0, CFArrayGetFirstIndexOfValue(array, CFRangeMake(0, 2), equalToA));
  EXPECT_EQ(kCFNotFound, CFArrayGetFirstIndexOfValue(raw, CFRangeMake(0, 2), equalToA));

  CFMutableArrayRef owned = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  CFArrayAppendValue(owned, a);
  EXPECT_EQ(4, CFGetRetainCount(a));
  CFArrayRemoveValueAtIndex(owned, 0);
  EXPECT_EQ(3, CFGetRetainCount(a));
  EXPECT_EQ(0, CFArrayGetCount(owned));

  CFRelease(owned);
  CFRelease(raw);
  CFRelease(array);
  EXPECT_EQ(1, CFGetRetainCount(a));
  CFRelease(a);
}

TEST(CFOwnership, RawPointerDictionariesCompareByIdentity)
{
  CFMutableDictionaryRef raw = CFDictionaryCreateMutable(nullptr, 0, nullptr, nullptr);
  CFStringRef a = CFStringCreateWithCString(nullptr, "k", kCFStringEncodingUTF8);
  CFStringRef b = CFStringCreateWithCString(nullptr, "k", kCFStringEncodingUTF8);
  int value = 5;
  CFDictionarySetValue(raw, a, &value);
  EXPECT_EQ(1, CFGetRetainCount(a)); // nothing retained without callbacks
  EXPECT_EQ(&value, CFDictionaryGetValue(raw, a));
  EXPECT_EQ(nullptr, CFDictionaryGetValue(raw, b)); // equal text, different key
  CFRelease(raw);
  CFRelease(b);
  CFRelease(a);
}

TEST(CFOwnership, NoCopyStringsHandTheBufferToItsDeallocator)
{
  CountingHeap heap;
  CFAllocatorRef allocator = MakeCountingAllocator(&heap);
  char* buffer = static_cast<char*>(CFAllocatorAllocate(allocator, 6, 0));
  std::memcpy(buffer, "Level", 6);
  CFStringRef s = CFStringCreateWithCStringNoCopy(nullptr, buffer, kCFStringEncodingUTF8, allocator);
  EXPECT_EQ(1, heap.frees); // the string keeps its own text; the buffer goes back at once
  EXPECT_EQ(5, CFStringGetLength(s));
  CFRelease(s);
  char caller[] = "Caption";
  CFStringRef wrapped = CFStringCreateWithCStringNoCopy(nullptr, caller, kCFStringEncodingUTF8, kCFAllocatorNull);
  EXPECT_EQ(7, CFStringGetLength(wrapped));
  CFRelease(wrapped);
  EXPECT_EQ(nullptr, CFStringCreateWithCString(kCFAllocatorNull, "x", kCFStringEncodingUTF8));
  CFRelease(allocator);
}

TEST(CFOwnership, RetainCountsHoldUnderConcurrentUse)
{
  CFStringRef shared = CFStringCreateWithCString(nullptr, "shared", kCFStringEncodingUTF8);
  auto churn = [shared] {
    for (int i = 0; i < 20000; ++i) {
      CFRetain(shared);
      CFRelease(shared);
    }
  };
  std::thread other(churn);
  churn();
  other.join();
  EXPECT_EQ(1, CFGetRetainCount(shared));
  CFRelease(shared);
}

TEST(CFOwnershipDeathTest, ReleasingNullStopsTheProcess)
{
  EXPECT_DEATH(CFRelease(nullptr), "CFRelease");
}

} // namespace
