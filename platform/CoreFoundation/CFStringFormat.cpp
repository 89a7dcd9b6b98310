// CFStringCreateWithFormat: printf conversions handed to the C library one at a time, plus %@,
// which inserts an object's description.
#include <CoreFoundation/CFRuntime.h>
#include <CoreFoundation/CFString.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/types.h>

namespace {

// Formats one conversion with its '*' width/precision arguments already read.
template <class T>
void Emit(std::string& out, const std::string& directive, int stars, const int* starValues, T value)
{
  char small[128];
  int needed;
  const char* f = directive.c_str();
  switch (stars) {
  case 0:
    needed = std::snprintf(small, sizeof small, f, value);
    break;
  case 1:
    needed = std::snprintf(small, sizeof small, f, starValues[0], value);
    break;
  default:
    needed = std::snprintf(small, sizeof small, f, starValues[0], starValues[1], value);
    break;
  }
  if (needed < 0) return;
  if (static_cast<size_t>(needed) < sizeof small) {
    out.append(small, static_cast<size_t>(needed));
    return;
  }
  std::string big(static_cast<size_t>(needed) + 1, '\0');
  switch (stars) {
  case 0:
    std::snprintf(&big[0], big.size(), f, value);
    break;
  case 1:
    std::snprintf(&big[0], big.size(), f, starValues[0], value);
    break;
  default:
    std::snprintf(&big[0], big.size(), f, starValues[0], starValues[1], value);
    break;
  }
  out.append(big.c_str(), static_cast<size_t>(needed));
}

enum class Length { kNone, kHH, kH, kL, kLL, kJ, kZ, kT, kBigL };

std::string Format(const std::string& format, va_list args)
{
  std::string out;
  const char* p = format.c_str();
  while (*p) {
    if (*p != '%') {
      out += *p++;
      continue;
    }
    const char* start = p++;
    if (*p == '%') {
      out += '%';
      ++p;
      continue;
    }
    int stars = 0;
    int starValues[2] = {0, 0};
    while (*p && std::strchr("-+ #0", *p)) ++p;
    if (*p == '*') {
      starValues[stars++] = va_arg(args, int);
      ++p;
    } else {
      while (*p >= '0' && *p <= '9') ++p;
    }
    if (*p == '.') {
      ++p;
      if (*p == '*') {
        starValues[stars++] = va_arg(args, int);
        ++p;
      } else {
        while (*p >= '0' && *p <= '9') ++p;
      }
    }
    Length length = Length::kNone;
    if (p[0] == 'h' && p[1] == 'h') {
      length = Length::kHH;
      p += 2;
    } else if (p[0] == 'l' && p[1] == 'l') {
      length = Length::kLL;
      p += 2;
    } else if (*p == 'h') {
      length = Length::kH;
      ++p;
    } else if (*p == 'l') {
      length = Length::kL;
      ++p;
    } else if (*p == 'q') {
      length = Length::kLL;
      ++p;
    } else if (*p == 'j') {
      length = Length::kJ;
      ++p;
    } else if (*p == 'z') {
      length = Length::kZ;
      ++p;
    } else if (*p == 't') {
      length = Length::kT;
      ++p;
    } else if (*p == 'L') {
      length = Length::kBigL;
      ++p;
    }
    if (!*p) { // a format ending inside a conversion is copied as it stands
      out.append(start);
      break;
    }
    const char conversion = *p++;
    std::string directive(start, p);
    if (length == Length::kLL && directive.find('q') != std::string::npos)
      directive.replace(directive.find('q'), 1, "ll");
    switch (conversion) {
    case '@':
      out += CFRuntimeDescribe(va_arg(args, CFTypeRef));
      break;
    case 'd':
    case 'i':
      switch (length) {
      case Length::kL:
        Emit(out, directive, stars, starValues, va_arg(args, long));
        break;
      case Length::kLL:
        Emit(out, directive, stars, starValues, va_arg(args, long long));
        break;
      case Length::kJ:
        Emit(out, directive, stars, starValues, va_arg(args, intmax_t));
        break;
      case Length::kZ:
        Emit(out, directive, stars, starValues, va_arg(args, ssize_t));
        break;
      case Length::kT:
        Emit(out, directive, stars, starValues, va_arg(args, ptrdiff_t));
        break;
      default:
        Emit(out, directive, stars, starValues, va_arg(args, int));
        break;
      }
      break;
    case 'u':
    case 'o':
    case 'x':
    case 'X':
      switch (length) {
      case Length::kL:
        Emit(out, directive, stars, starValues, va_arg(args, unsigned long));
        break;
      case Length::kLL:
        Emit(out, directive, stars, starValues, va_arg(args, unsigned long long));
        break;
      case Length::kJ:
        Emit(out, directive, stars, starValues, va_arg(args, uintmax_t));
        break;
      case Length::kZ:
        Emit(out, directive, stars, starValues, va_arg(args, size_t));
        break;
      case Length::kT:
        Emit(out, directive, stars, starValues, va_arg(args, ptrdiff_t));
        break;
      default:
        Emit(out, directive, stars, starValues, va_arg(args, unsigned int));
        break;
      }
      break;
    case 'c':
      Emit(out, directive, stars, starValues, va_arg(args, int));
      break;
    case 's': {
      const char* text = va_arg(args, const char*);
      Emit(out, directive, stars, starValues, text ? text : "(null)");
      break;
    }
    case 'p':
      Emit(out, directive, stars, starValues, va_arg(args, void*));
      break;
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
      if (length == Length::kBigL)
        Emit(out, directive, stars, starValues, va_arg(args, long double));
      else
        Emit(out, directive, stars, starValues, va_arg(args, double));
      break;
    case 'n':
      va_arg(args, void*);
      break; // writes nothing back: no caller needs it
    default:
      out.append(directive);
      break; // unknown conversions are copied as they stand
    }
  }
  return out;
}

} // namespace

CFStringRef CFStringCreateWithFormatAndArguments(CFAllocatorRef alloc, CFTypeRef, CFStringRef format, va_list arguments)
{
  if (!format) return nullptr;
  va_list copy;
  va_copy(copy, arguments);
  std::string text = Format(CFRuntimeStringText(format), copy);
  va_end(copy);
  return CFRuntimeCreateString(alloc, std::move(text));
}

CFStringRef CFStringCreateWithFormat(CFAllocatorRef alloc, CFTypeRef formatOptions, CFStringRef format, ...)
{
  va_list arguments;
  va_start(arguments, format);
  CFStringRef s = CFStringCreateWithFormatAndArguments(alloc, formatOptions, format, arguments);
  va_end(arguments);
  return s;
}
