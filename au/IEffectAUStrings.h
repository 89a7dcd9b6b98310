#pragma once
// Small CoreFoundation string helpers shared by the adapter's property, state and
// host-identification code. Strings handed out are new and belong to the caller.

#include <CoreFoundation/CoreFoundation.h>

#include <cstddef>
#include <string>

// A new CFString of UTF-8 text (null text gives ""); null only when CF fails.
CFStringRef IEffectAU_MakeCFString(const char* text);

// The string as UTF-8, converted through a buffer sized from its length; "" for
// null or unconvertible strings.
std::string IEffectAU_CFStringToUTF8(CFStringRef str);

// Shortens UTF-8 text to at most maxBytes, cutting before a character and never inside one: half
// a multi-byte sequence makes no string.
void IEffectAU_CutUTF8(std::string* text, size_t maxBytes);
