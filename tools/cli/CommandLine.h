// What every brindle subcommand shares on its command line: reading a bounded number or an on/off
// switch, and the two shapes of message it prints on stderr, so all of them read alike.
#pragma once

#include <string>

// Parses a real number that must lie in [lo, hi]; false for anything else (junk, NaN, range).
bool ParseRealInRange(const char* text, double lo, double hi, double& value);
// Parses "on" or "off" into 1 or 0.
bool ParseOnOff(const char* text, int& value);

// Reports a usage error of `brindle <command>` on stderr, pointing at its help text; returns 2.
int CommandUsageError(const char* command, const std::string& message);
// Reports that `brindle <command>` failed, on stderr; returns 1.
int CommandFailure(const char* command, const std::string& message);

// Flushes standard output; false when it or an earlier write into it failed, keeping the first
// reason for StandardOutputError (0 while every write got through).
bool FlushStandardOutput();
int StandardOutputError();
