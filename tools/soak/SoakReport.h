// SoakReport: what the threads of a soak run count and report. Counters are relaxed atomics
// (each has one writer); failures are kept in order, and the first one stops the run.
#pragma once

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

struct SoakCounters
{
  std::atomic<long long> auRenders{0}, auFrames{0};
  std::atomic<long long> lv2Renders{0}, lv2Frames{0};
  std::atomic<long long> auAutomation{0}, lv2Automation{0};
  std::atomic<long long> auStateTrips{0}, lv2StateTrips{0};
  // Round trips whose restore changed what the plug-in held: the ones a lost restore would fail.
  std::atomic<long long> auStateChanges{0}, lv2StateChanges{0};
  std::atomic<long long> editorCycles{0};
};

class SoakFailures
{
public:
  // Records a failure and asks every thread to stop.
  void Add(const std::string& what);
  bool Any() const { return mStop.load(); }
  // True once a failure happened or the run's time is up.
  bool Stopping() const { return mStop.load(std::memory_order_relaxed); }
  void Stop() { mStop = true; }
  std::vector<std::string> All() const;

private:
  mutable std::mutex mMutex;
  std::vector<std::string> mFailures;
  std::atomic<bool> mStop{false};
};

// Resident set size of this process in KiB (/proc/self/statm), or -1 when it cannot be read.
long ReadRssKiB();

// Seconds since the first call (a steady clock).
double SoakClock();

// The summary table at the end of a run.
struct SoakSummary
{
  double seconds = 0.0;
  long rssWarm = -1, rssEnd = -1, rssPeak = -1;
  long rssLimit = 0;       // KiB
  bool rssChecked = false; // false without a limit, or for a run that ended within its warm-up
};
void PrintSummary(std::FILE* out, const SoakCounters& counters, const SoakSummary& summary);
