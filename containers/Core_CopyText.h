#pragma once
// Core_CopyText: copies a C string into a fixed-size character array, cut to fit
// and always terminated. The fixed-size names and texts of the plug-in objects
// (effect and product names, parameter texts, preset names) all take their values
// this way.

#include <cstring>

// dst holds dstSize bytes; at most dstSize - 1 characters of src are copied and a
// terminator follows. A null src copies "". src may overlap dst. Nothing happens
// for a null dst or dstSize <= 0.
inline void Core_CopyText(char* dst, const char* src, int dstSize)
{
  if (!dst || dstSize <= 0) return;
  if (!src) src = "";
  const size_t n = strnlen(src, static_cast<size_t>(dstSize) - 1);
  std::memmove(dst, src, n);
  dst[n] = '\0';
}
