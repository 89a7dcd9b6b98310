#pragma once
// Core_String: a growable, always NUL-terminated character string on a Core_HeapBuf.
//
// Get() never returns null: an empty string reads as "". Every setter may be given a
// pointer into the string's own text (for instance its own tail); the right
// characters are copied even when the buffer has to move.

#include "containers/Core_HeapBuf.h"

class Core_String
{
public:
  explicit Core_String(const char* initial = nullptr, int maxlen = 0);
  Core_String(const Core_String& other);
  Core_String& operator=(const Core_String& other);
  ~Core_String() = default;

  const char* Get() const;
  int GetLength() const;

  // maxlen > 0 limits how many characters of str are taken. Null str counts as "".
  void Set(const char* str, int maxlen = 0);
  void Append(const char* str, int maxlen = 0);
  // position is clamped to 0..length.
  void Insert(const char* str, int position, int maxlen = 0);
  // Removes up to len characters from position; out-of-range parts are ignored.
  void DeleteSub(int position, int len);
  // Cuts the string to at most len characters.
  void SetLen(int len);

  // printf-style; the result is cut to maxlen characters (maxlen <= 0: 512).
  void SetFormatted(int maxlen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  void AppendFormatted(int maxlen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));

  // The primitive behind every setter: keeps `keepAfter` characters found at
  // `offset`, moving them to offset + len, and copies len characters of str to
  // offset. offset, len and keepAfter all 0 empties the string.
  void __doSet(int offset, const char* str, int len, int keepAfter);

private:
  Core_HeapBuf mHeap;
};
