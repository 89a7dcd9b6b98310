// Text objects: UTF-8 inside, UTF-16 units outside.
#include <Foundation/NSString.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

bool NSStringDecodeUTF8(const std::string& text, std::vector<unichar>* units)
{
  units->clear();
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const unsigned c = s[i];
    unsigned cp, extra, min;
    if (c < 0x80) {
      cp = c;
      extra = 0;
      min = 0;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      extra = 1;
      min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      extra = 2;
      min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      extra = 3;
      min = 0x10000;
    } else
      return false;
    if (i + extra >= n && extra > 0) return false;
    for (unsigned k = 1; k <= extra; ++k) {
      const unsigned cc = s[i + k];
      if ((cc & 0xC0) != 0x80) return false;
      cp = cp << 6 | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      units->push_back(static_cast<unichar>(0xD800 + (cp >> 10)));
      units->push_back(static_cast<unichar>(0xDC00 + (cp & 0x3FF)));
    } else {
      units->push_back(static_cast<unichar>(cp));
    }
    i += extra + 1;
  }
  return true;
}

std::string NSStringEncodeUTF8(const unichar* units, size_t count)
{
  std::string out;
  for (size_t i = 0; i < count; ++i) {
    unsigned cp = units[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD; // a lone surrogate has no UTF-8 form
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | cp >> 6);
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | cp >> 12);
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | cp >> 18);
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

namespace {

bool ValidUTF8(const char* text)
{
  std::vector<unichar> units;
  return NSStringDecodeUTF8(text, &units);
}

} // namespace

NSString* NSString::stringWithUTF8String(const char* text)
{
  NSString* s = alloc()->initWithUTF8String(text);
  return s ? static_cast<NSString*>(s->autorelease()) : nil;
}

NSString* NSString::string()
{
  return static_cast<NSString*>(alloc()->autorelease());
}

NSString* NSString::stringWithString(NSString* other)
{
  return stringWithUTF8String(other ? other->UTF8String() : "");
}

NSString* NSString::stringWithFormat(const char* format, ...)
{
  if (!format) return nil;
  va_list args, copy;
  va_start(args, format);
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(&text[0], text.size() + 1, format, args);
  va_end(args);
  NSString* s = alloc();
  s->mText = ValidUTF8(text.c_str()) ? text : std::string();
  return static_cast<NSString*>(s->autorelease());
}

NSString* NSString::stringWithCFString(CFStringRef text)
{
  if (!text) return nil;
  const char* utf8 = CFStringGetCStringPtr(text, kCFStringEncodingUTF8);
  return stringWithUTF8String(utf8 ? utf8 : "");
}

NSString* NSString::initWithUTF8String(const char* text)
{
  if (!text || !ValidUTF8(text)) {
    release();
    return nil;
  }
  mText = text;
  textChanged();
  return this;
}

const std::vector<unichar>& NSString::units() const
{
  if (!mUnitsValid) {
    NSStringDecodeUTF8(mText, &mUnits);
    mUnitsValid = true;
  }
  return mUnits;
}

NSUInteger NSString::length() const
{
  return units().size();
}

unichar NSString::characterAtIndex(NSUInteger index) const
{
  const auto& u = units();
  return index < u.size() ? u[index] : 0;
}

BOOL NSString::isEqualToString(NSString* other) const
{
  return other && other->mText == mText;
}

int NSString::intValue() const
{
  const char* p = mText.c_str();
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long value = 0;
  bool digits = false;
  for (; *p >= '0' && *p <= '9'; ++p) {
    digits = true;
    if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (*p - '0');
  }
  if (!digits) return 0;
  if (negative) return value > static_cast<long long>(INT_MAX) + 1 ? INT_MIN : static_cast<int>(-value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

double NSString::doubleValue() const
{
  return std::strtod(mText.c_str(), nullptr);
}

CFStringRef NSString::createCFString() const
{
  return CFStringCreateWithCString(kCFAllocatorDefault, mText.c_str(), kCFStringEncodingUTF8);
}

NSString* NSString::stringByAppendingString(NSString* other) const
{
  NSString* s = alloc();
  s->mText = mText + (other ? other->mText : std::string());
  return static_cast<NSString*>(s->autorelease());
}

// ---- Mutable ----

NSMutableString* NSMutableString::string()
{
  return static_cast<NSMutableString*>(alloc()->autorelease());
}

NSMutableString* NSMutableString::stringWithString(NSString* other)
{
  NSMutableString* s = string();
  s->setString(other);
  return s;
}

void NSMutableString::insertString(NSString* text, NSUInteger atIndex)
{
  if (!text) return;
  std::vector<unichar> u = units();
  if (atIndex > u.size()) return;
  if (atIndex > 0 && atIndex < u.size() && u[atIndex] >= 0xDC00 && u[atIndex] <= 0xDFFF && u[atIndex - 1] >= 0xD800 &&
      u[atIndex - 1] <= 0xDBFF)
    ++atIndex;
  const std::string before = NSStringEncodeUTF8(u.data(), atIndex);
  mText = before + text->text() + mText.substr(before.size());
  textChanged();
}

void NSMutableString::appendString(NSString* text)
{
  if (!text) return;
  mText += text->text();
  textChanged();
}

void NSMutableString::setString(NSString* text)
{
  mText = text ? text->text() : std::string();
  textChanged();
}

void NSMutableString::deleteLastCharacter()
{
  if (mText.empty()) return;
  size_t end = mText.size() - 1;
  while (end > 0 && (static_cast<unsigned char>(mText[end]) & 0xC0) == 0x80) --end;
  mText.erase(end);
  textChanged();
}

// ---- Character sets ----

NSCharacterSet* NSCharacterSet::characterSetWithCharactersInString(NSString* characters)
{
  NSCharacterSet* set = alloc();
  if (characters)
    for (NSUInteger i = 0; i < characters->length(); ++i) set->mMembers.push_back(characters->characterAtIndex(i));
  std::sort(set->mMembers.begin(), set->mMembers.end());
  return static_cast<NSCharacterSet*>(set->autorelease());
}

BOOL NSCharacterSet::characterIsMember(unichar c) const
{
  return std::binary_search(mMembers.begin(), mMembers.end(), c);
}
