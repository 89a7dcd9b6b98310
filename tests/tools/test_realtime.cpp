// Real-time safety of the Brindle component, measured with the probe that intercepts malloc, free,
// operator new and delete and pthread_mutex_lock in this program: a thousand renders allocate and
// free nothing on either path, take no lock through fast dispatch and exactly one uncontended lock
// (the instance's) per call through the entry. Then long sessions: a thousand open/initialize/
// render/close cycles and a thousand editor views (the sanitizer build's leak checker runs at exit).
#include "tools/validate/ValidateChecks.h"

#include "test_host_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <thread>

using namespace hosttest;

namespace {

ValidateContext RealComponent()
{
  ValidateContext context;
  std::string error;
  EXPECT_TRUE(LoadBrindleComponent(BundlePath(), context.component, error)) << error;
  context.seed = 11;
  return context;
}

// Keeps the compiler from dropping an allocation the test makes on purpose.
void* volatile gSink;

} // namespace

TEST(RealtimeProbe, CountsWhatItIntercepts)
{
  std::mutex heldElsewhere;
  const struct
  {
    const char* name;
    void (*action)(std::mutex&);
    RealtimeCounts expected;
  } cases[] = {
      {"nothing", [](std::mutex&) {}, {0, 0, 0, 0}},
      {"malloc and free",
       [](std::mutex&) {
         gSink = std::malloc(24);
         std::free(gSink);
       },
       {1, 1, 0, 0}},
      {"new and delete",
       [](std::mutex&) {
         int* p = new int(3);
         gSink = p;
         delete p;
       },
       {1, 1, 0, 0}},
      {"vector growth",
       [](std::mutex&) {
         std::vector<int> v(5);
         v.resize(500);
         gSink = v.data();
       },
       {2, 2, 0, 0}},
      {"free of null", [](std::mutex&) { std::free(nullptr); }, {0, 0, 0, 0}},
      {"uncontended lock",
       [](std::mutex&) {
         std::mutex m;
         m.lock();
         m.unlock();
       },
       {0, 0, 1, 0}},
      {"contended lock",
       [](std::mutex& m) {
         m.lock();
         m.unlock();
       },
       {0, 0, 1, 1}},
  };
  ASSERT_TRUE(RealtimeProbe::CountsAllocations());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const bool contended = c.expected.contendedLocks > 0;
    std::thread holder;
    std::atomic<bool> held{false};
    if (contended) {
      holder = std::thread([&] {
        heldElsewhere.lock();
        held = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        heldElsewhere.unlock();
      });
      while (!held) std::this_thread::yield();
    }
    RealtimeCounts counts;
    {
      RealtimeProbe probe;
      c.action(heldElsewhere);
      counts = probe.Counts();
    }
    if (holder.joinable()) holder.join();
    EXPECT_EQ(counts.allocations, c.expected.allocations);
    EXPECT_EQ(counts.frees, c.expected.frees);
    EXPECT_EQ(counts.locks, c.expected.locks);
    EXPECT_EQ(counts.contendedLocks, c.expected.contendedLocks);
  }
}

TEST(RealtimeSafety, AThousandRendersAllocateNothingAndLockOnlyThroughTheEntry)
{
  ValidateContext context = RealComponent();
  for (bool fast : {false, true}) {
    SCOPED_TRACE(fast ? "fast dispatch" : "entry");
    RealtimeCounts counts;
    std::string error;
    ASSERT_TRUE(validate::MeasureRenders(context, fast, 1000, counts, error)) << error;
    EXPECT_EQ(counts.allocations, 0);
    EXPECT_EQ(counts.frees, 0);
    EXPECT_EQ(counts.locks, fast ? 0 : 1000);
    EXPECT_EQ(counts.contendedLocks, 0);
  }
}

TEST(LongSession, AThousandCyclesAndAThousandEditorViews)
{
  ValidateContext context = RealComponent();
  const CheckOutcome cycles = CheckLongSession(context, 1000);
  EXPECT_TRUE(cycles.pass) << cycles.detail;
  const CheckOutcome views = CheckEditorOpenClose(context, 1000);
  EXPECT_TRUE(views.pass) << views.detail;
}
