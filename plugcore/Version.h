#pragma once
// Version words: a 32-bit value with the major version in the upper 16 bits, the
// minor version in bits 8-15 and the revision in bits 0-7 (0x00010203 is 1.2.3).

// Size of a buffer that holds any GetVersionStr text ("v65535.255.255" and terminator).
constexpr int kVersionStrSize = 16;

void GetVersionParts(int version, int* major, int* minor, int* revision);

// major * 10000 + minor * 100 + revision (1.2.3 gives 10203).
int GetDecimalVersion(int version);

// "v%d.%d.%d"; out holds kVersionStrSize bytes.
void GetVersionStr(int version, char* out);
