#include "plugcore/Trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

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
  // Per thread and trivially destructible: a thread-local with a destructor in a loaded bundle runs
  // at thread exit from the C library, where leak checkers trip over it. Over-long text is cut, the
  // stamp always kept.
  static thread_local char result[512];
  Core_String stamp;
  CompileTimestamp(date, time, &stamp);
  const size_t stampLength = std::strlen(stamp.Get());
  const size_t room = sizeof(result) - stampLength - 2; // the space and the terminator
  size_t textLength = text ? std::strlen(text) : 0;
  if (textLength > room) {
    textLength = room;
    while (textLength > 0 && (static_cast<unsigned char>(text[textLength]) & 0xC0) == 0x80) --textLength;
  }
  if (textLength) std::memcpy(result, text, textLength);
  result[textLength] = ' ';
  std::memcpy(result + textLength + 1, stamp.Get(), stampLength + 1);
  return result;
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
