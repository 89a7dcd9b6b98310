#include "plugcore/Trace.h"

#include <cstdio>
#include <cstdlib>

#include "containers/Core_String.h"

const char* VSTOpcodeStr(int /*opcode*/)
{
  return "";
}

const char* AUSelectStr(int /*select*/)
{
  return "";
}

const char* AUPropertyStr(int /*propID*/)
{
  return "";
}

const char* AUScopeStr(int /*scope*/)
{
  return "";
}

const char* CurrentTime()
{
  // Per thread, so that objects built on different threads never share the text.
  static thread_local char text[64];
  const std::time_t now = std::time(nullptr);
  std::tm local{}, utc{};
  localtime_r(&now, &local);
  gmtime_r(&now, &utc);

  int offset = (local.tm_hour * 60 + local.tm_min) - (utc.tm_hour * 60 + utc.tm_min);
  const int dayDiff = local.tm_yday - utc.tm_yday;
  if (dayDiff > 1)
    offset -= 1440; // local is still in the old year, UTC already in the new one
  else if (dayDiff < -1)
    offset += 1440; // local is already in the new year
  else
    offset += 1440 * dayDiff;

  const size_t n = std::strftime(text, sizeof(text), "%Y%m%d %H:%M ", &local);
  const int magnitude = std::abs(offset);
  std::snprintf(text + n, sizeof(text) - n, "%c%02d%02d", offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
  return text;
}

void CompileTimestamp(const char* date, const char* time, Core_String* out)
{
  if (!out) return;
  out->Set("[");
  out->Append(date ? date : "");
  out->SetLen(7);
  if (out->GetLength() >= 7) out->DeleteSub(4, 1);
  out->Append(" ");
  out->Append(time ? time : "");
  out->SetLen(12);
  out->Append("]");
}

const char* AppendTimestamp(const char* date, const char* time, const char* text)
{
  static thread_local Core_String result;
  Core_String stamp;
  CompileTimestamp(date, time, &stamp);
  result.Set(text ? text : "");
  result.Append(" ");
  result.Append(stamp.Get());
  return result.Get();
}

Timer::Timer() : mLastTime(std::clock()) {}

bool Timer::Every(double seconds)
{
  const std::clock_t now = std::clock();
  if (static_cast<double>(now - mLastTime) > seconds * static_cast<double>(CLOCKS_PER_SEC)) {
    mLastTime = now;
    return true;
  }
  return false;
}
