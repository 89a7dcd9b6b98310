#include "containers/Core_String.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
// Length of str, but at most maxlen characters when maxlen > 0.
int LimitedLength(const char* str, int maxlen)
{
  if (!str) return 0;
  if (maxlen > 0) return static_cast<int>(strnlen(str, static_cast<size_t>(maxlen)));
  return static_cast<int>(strlen(str));
}
} // namespace

Core_String::Core_String(const char* initial, int maxlen) : mHeap(128)
{
  if (initial && *initial) Set(initial, maxlen);
}

Core_String::Core_String(const Core_String& other) : mHeap(128)
{
  Set(other.Get());
}

Core_String& Core_String::operator=(const Core_String& other)
{
  if (this != &other) Set(other.Get());
  return *this;
}

const char* Core_String::Get() const
{
  const char* s = static_cast<const char*>(mHeap.Get());
  return s && mHeap.GetSize() ? s : "";
}

int Core_String::GetLength() const
{
  return mHeap.GetSize() ? static_cast<int>(strlen(Get())) : 0;
}

void Core_String::__doSet(int offset, const char* str, int len, int keepAfter)
{
  if (!offset && !len && !keepAfter) {
    // Empty: just the terminator (when even one byte cannot be had, Get() still reads "").
    if (mHeap.Resize(1, false) && mHeap.GetSize() == 1) static_cast<char*>(mHeap.Get())[0] = 0;
    return;
  }
  if (len <= 0 || offset < 0 || !str) return;

  const int oldLen = GetLength();
  if (offset > oldLen) offset = oldLen;
  if (keepAfter < 0) keepAfter = 0;
  if (keepAfter > oldLen - offset) keepAfter = oldLen - offset;

  // A source inside our own text may move with the buffer and overlap the region
  // being shifted; take a private copy of it first.
  char* ownCopy = nullptr;
  const char* oldBuf = static_cast<const char*>(mHeap.Get());
  if (oldBuf && str >= oldBuf && str < oldBuf + mHeap.GetSize()) {
    ownCopy = static_cast<char*>(std::malloc(static_cast<size_t>(len)));
    if (!ownCopy) return;
    std::memcpy(ownCopy, str, static_cast<size_t>(len));
    str = ownCopy;
  }

  const long long newSize = static_cast<long long>(offset) + len + keepAfter + 1;
  if (newSize <= 0x7fffffffLL) {
    const int wanted = static_cast<int>(newSize);
    mHeap.Resize(wanted, false);
    if (mHeap.GetSize() == wanted) {
      char* buf = static_cast<char*>(mHeap.Get());
      if (keepAfter) std::memmove(buf + offset + len, buf + offset, static_cast<size_t>(keepAfter));
      std::memcpy(buf + offset, str, static_cast<size_t>(len));
      buf[offset + len + keepAfter] = 0;
    }
  }
  std::free(ownCopy);
}

void Core_String::Set(const char* str, int maxlen)
{
  __doSet(0, str, LimitedLength(str, maxlen), 0);
}

void Core_String::Append(const char* str, int maxlen)
{
  const int n = LimitedLength(str, maxlen);
  if (n > 0) __doSet(GetLength(), str, n, 0);
}

void Core_String::Insert(const char* str, int position, int maxlen)
{
  const int length = GetLength();
  if (position < 0) position = 0;
  if (position > length) position = length;
  const int n = LimitedLength(str, maxlen);
  if (n > 0) __doSet(position, str, n, length - position);
}

void Core_String::DeleteSub(int position, int len)
{
  const int length = GetLength();
  if (position < 0 || position >= length || len <= 0) return;
  if (len > length - position) len = length - position;
  char* buf = static_cast<char*>(mHeap.Get());
  std::memmove(buf + position, buf + position + len, static_cast<size_t>(length - position - len + 1));
  mHeap.Resize(length - len + 1, false);
}

void Core_String::SetLen(int len)
{
  const int length = GetLength();
  if (len < 0) len = 0;
  if (len >= length) return;
  static_cast<char*>(mHeap.Get())[len] = 0;
  mHeap.Resize(len + 1, false);
}

namespace {
// Formats into a heap block of at most maxlen characters; the caller frees it.
char* FormatLimited(int maxlen, const char* fmt, va_list args)
{
  if (maxlen <= 0) maxlen = 512;
  char* text = static_cast<char*>(std::malloc(static_cast<size_t>(maxlen) + 1));
  if (!text) return nullptr;
  if (vsnprintf(text, static_cast<size_t>(maxlen) + 1, fmt, args) < 0) text[0] = 0;
  return text;
}
} // namespace

void Core_String::SetFormatted(int maxlen, const char* fmt, ...)
{
  va_list args;
  va_start(args, fmt);
  char* text = FormatLimited(maxlen, fmt, args);
  va_end(args);
  if (!text) return;
  Set(text);
  std::free(text);
}

void Core_String::AppendFormatted(int maxlen, const char* fmt, ...)
{
  va_list args;
  va_start(args, fmt);
  char* text = FormatLimited(maxlen, fmt, args);
  va_end(args);
  if (!text) return;
  Append(text);
  std::free(text);
}
