#pragma once
// Helpers for the class-info dictionary in which the host keeps the unit's state:
// UTF-8 strings and raw data in and out of a CFDictionary.

#include <CoreFoundation/CoreFoundation.h>

class ByteChunk;

// Sets dict[key] = text (both made from UTF-8).
void PutStrInDict(CFMutableDictionaryRef pDict, const char* key, const char* value);
// Copies dict[key] as UTF-8 into value, which holds valueSize bytes; a longer text
// is cut at a character boundary. False (and value = "") when the key is missing
// or holds no string.
bool GetStrFromDict(CFDictionaryRef pDict, const char* key, char* value, int valueSize);
// Resizes the chunk to dict[key]'s length and copies its bytes; false when the key
// is missing or holds no data.
bool GetDataFromDict(CFDictionaryRef pDict, const char* key, ByteChunk* pChunk);
