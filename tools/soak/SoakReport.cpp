#include "tools/soak/SoakReport.h"

#include <chrono>
#include <unistd.h>

void SoakFailures::Add(const std::string& what)
{
  std::lock_guard<std::mutex> lock(mMutex);
  mFailures.push_back(what);
  mStop = true;
}

std::vector<std::string> SoakFailures::All() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mFailures;
}

long ReadRssKiB()
{
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return -1;
  long size = 0, resident = 0;
  const int read = std::fscanf(f, "%ld %ld", &size, &resident);
  std::fclose(f);
  if (read != 2) return -1;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

double SoakClock()
{
  static const auto sStart = std::chrono::steady_clock::now();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - sStart).count();
}

namespace {

void Row(std::FILE* out, const char* what, const std::string& value)
{
  std::fprintf(out, "  %-34s %18s\n", what, value.c_str());
}

std::string Number(long long n)
{
  // Thousands separated for reading at a glance.
  std::string digits = std::to_string(n < 0 ? -n : n), text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return n < 0 ? "-" + text : text;
}

std::string KiB(long n)
{
  return n < 0 ? "n/a" : Number(n) + " KiB";
}

} // namespace

void PrintSummary(std::FILE* out, const SoakCounters& c, const SoakSummary& s)
{
  std::fprintf(out, "== soak summary (%.1f s)\n", s.seconds);
  Row(out, "AU renders", Number(c.auRenders.load()));
  Row(out, "AU frames", Number(c.auFrames.load()));
  Row(out, "LV2 renders", Number(c.lv2Renders.load()));
  Row(out, "LV2 frames", Number(c.lv2Frames.load()));
  Row(out, "AU automation events", Number(c.auAutomation.load()));
  Row(out, "LV2 automation events", Number(c.lv2Automation.load()));
  Row(out, "AU state round trips (changing)",
      Number(c.auStateTrips.load()) + " (" + Number(c.auStateChanges.load()) + ")");
  Row(out, "LV2 state round trips (changing)",
      Number(c.lv2StateTrips.load()) + " (" + Number(c.lv2StateChanges.load()) + ")");
  Row(out, "editor open/close cycles", Number(c.editorCycles.load()));
  Row(out, "RSS after warm-up", KiB(s.rssWarm));
  Row(out, "RSS at end", KiB(s.rssEnd));
  Row(out, "RSS peak after warm-up", KiB(s.rssPeak));
  const std::string growth = s.rssWarm < 0 || s.rssEnd < 0 ? "n/a" : Number(s.rssEnd - s.rssWarm) + " KiB";
  Row(out, "RSS growth", growth + (s.rssChecked ? " (limit " + Number(s.rssLimit) + ")" : " (not checked)"));
}
