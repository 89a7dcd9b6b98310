/*
 * NSString.h — immutable and mutable text, and sets of characters.
 *
 * Text is kept as UTF-8; lengths and indexes count UTF-16 code units, as Cocoa's do. Text that is
 * not valid UTF-8 makes no string (nil). Path methods follow Cocoa's rules: repeated and trailing
 * slashes are ignored, "/" stays "/".
 */
#ifndef BRINDLE_PLATFORM_NSSTRING_H
#define BRINDLE_PLATFORM_NSSTRING_H

#include <CoreFoundation/CFString.h>
#include <Foundation/NSObject.h>

#include <string>
#include <vector>

class NSString : public NSObject
{
public:
  NS_DECLARE_ALLOC(NSString)
  /* Autoreleased; nil for NULL or malformed UTF-8. */
  static NSString* stringWithUTF8String(const char* text);
  static NSString* string();
  static NSString* stringWithString(NSString* other);
  /* printf-style; autoreleased. */
  static NSString* stringWithFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
  /* nil for NULL. */
  static NSString* stringWithCFString(CFStringRef text);

  /* Returns this, or nil (and releases this) for malformed text. */
  NSString* initWithUTF8String(const char* text);

  const char* className() const override { return "NSString"; }
  NSString* description() override { return this; }

  const char* UTF8String() const { return mText.c_str(); }
  const std::string& text() const { return mText; }
  NSUInteger length() const;
  /* 0 for an index past the end. */
  unichar characterAtIndex(NSUInteger index) const;
  BOOL isEqualToString(NSString* other) const;
  /* Leading white space, a sign and digits; INT_MAX / INT_MIN when out of range; 0 without digits. */
  int intValue() const;
  double doubleValue() const;
  /* A new CFString for the caller to release. */
  CFStringRef createCFString() const;

  NSString* lastPathComponent() const;
  NSString* stringByDeletingLastPathComponent() const;
  NSString* pathExtension() const;
  NSString* stringByDeletingPathExtension() const;
  NSString* stringByAppendingPathComponent(NSString* component) const;
  NSString* stringByExpandingTildeInPath() const;
  NSString* stringByAppendingString(NSString* other) const;

protected:
  std::string mText;
  void textChanged()
  {
    mUnits.clear();
    mUnitsValid = false;
  }
  /* UTF-16 units, computed on first use. */
  const std::vector<unichar>& units() const;

private:
  mutable std::vector<unichar> mUnits;
  mutable bool mUnitsValid = false;
};

class NSMutableString : public NSString
{
public:
  NS_DECLARE_ALLOC(NSMutableString)
  static NSMutableString* string();
  static NSMutableString* stringWithString(NSString* other);
  const char* className() const override { return "NSMutableString"; }

  /* An index past the end changes nothing; one inside a surrogate pair inserts after the pair. */
  void insertString(NSString* text, NSUInteger atIndex);
  void appendString(NSString* text);
  void setString(NSString* text);
  /* Removes the last character (a whole code point). */
  void deleteLastCharacter();
};

class NSCharacterSet : public NSObject
{
public:
  NS_DECLARE_ALLOC(NSCharacterSet)
  /* Autoreleased; the UTF-16 units of the string. */
  static NSCharacterSet* characterSetWithCharactersInString(NSString* characters);
  const char* className() const override { return "NSCharacterSet"; }
  BOOL characterIsMember(unichar c) const;

private:
  std::vector<unichar> mMembers; // sorted
};

/* UTF-8 <-> UTF-16 helpers shared by the string classes; false for malformed input. */
bool NSStringDecodeUTF8(const std::string& text, std::vector<unichar>* units);
std::string NSStringEncodeUTF8(const unichar* units, size_t count);

#endif
