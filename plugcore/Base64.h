#pragma once
// Base64 text for preset blobs (RFC 4648 standard alphabet, '=' padding).
//
// A preset's state chunk can be dumped as Base64 source text and read back with
// MakePresetFromBlob. Decoding is deliberately forgiving about the end of the text
// (it stops at the first character outside the alphabet, such as '=' or the
// terminator) and strict about its output buffer (it never writes past it).

#include <string>

// Decodes text into out, at most outSize bytes; returns the number of bytes written.
// Stops at the first character outside A-Z a-z 0-9 + /. Null text or out gives 0.
int Base64Decode(const char* text, unsigned char* out, int outSize);

// Encodes size bytes, padding the last group with '='. Null data or size <= 0 gives "".
std::string Base64Encode(const unsigned char* data, int size);
