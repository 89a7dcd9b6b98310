#pragma once
// Trace facility and its companions. Every framework operation that traces calls
// Trace(label, __LINE__, format, ...) with its own name as the label. Tracing is
// switched off in this product: Trace is an empty inline function, so a call costs
// nothing beyond evaluating its arguments, and the name lookups answer "".
//
// Also here: the local-time and build-time stamps and a coarse interval timer.

#include <ctime>

class Core_String;

// Set to 1 to compile the trace calls into real output (not used by this product).
#define BRINDLE_TRACE_ENABLED 0

inline void Trace(const char* /*label*/, int /*line*/, const char* /*format*/, ...) {}

// Names of host-interface codes for trace lines; "" while tracing is off.
const char* VSTOpcodeStr(int opcode);
const char* AUSelectStr(int select);
const char* AUPropertyStr(int propID);
const char* AUScopeStr(int scope);

// Local time as "YYYYmmdd HH:MM +hhmm" (offset from UTC). The text lives in one
// static buffer per thread and is overwritten by the next call on that thread.
const char* CurrentTime();

// "[Mon D HH:MM]" from the compiler's __DATE__ and __TIME__ texts.
void CompileTimestamp(const char* date, const char* time, Core_String* out);

// text + " " + CompileTimestamp(date, time); static buffer per thread, overwritten by the next call.
const char* AppendTimestamp(const char* date, const char* time, const char* text);

// Interval timer on the processor clock.
class Timer
{
public:
  Timer();
  // True, and restarts the timer, when more than `seconds` have passed since the
  // timer was started or last fired.
  bool Every(double seconds);

private:
  std::clock_t mLastTime;
};
