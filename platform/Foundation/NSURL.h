/*
 * NSURL.h — URLs as text. URLWithString accepts only well-formed absolute URLs (a scheme, then
 * characters allowed in a URL, with valid %-escapes) and answers nil for anything else;
 * fileURLWithPath makes a "file://" URL of a path, escaping what must be escaped and resolving
 * relative paths against the working folder.
 */
#ifndef BRINDLE_PLATFORM_NSURL_H
#define BRINDLE_PLATFORM_NSURL_H

#include <Foundation/NSString.h>

class NSURL : public NSObject
{
public:
  NS_DECLARE_ALLOC(NSURL)
  ~NSURL() override;
  /* Autoreleased, or nil. */
  static NSURL* URLWithString(NSString* text);
  static NSURL* fileURLWithPath(NSString* path);
  const char* className() const override { return "NSURL"; }
  NSString* description() override { return absoluteString(); }

  NSString* absoluteString() const { return mText; }
  /* "http", "file", ...; lower case. */
  NSString* scheme() const;
  BOOL isFileURL() const;

private:
  NSString* mText = nil;
};

#endif
