/*
 * NSFormatter.h — the abstract formatter a text field consults: converting values to text and
 * back, and vetting each edit while the user types.
 */
#ifndef BRINDLE_PLATFORM_NSFORMATTER_H
#define BRINDLE_PLATFORM_NSFORMATTER_H

#include <Foundation/NSString.h>

class NSFormatter : public NSObject
{
public:
  NS_DECLARE_ALLOC(NSFormatter)
  const char* className() const override { return "NSFormatter"; }
  /* The text for a value; nil by default. */
  virtual NSString* stringForObjectValue(NSObject* object);
  /* Parses text into *object (autoreleased); NO by default. */
  virtual BOOL getObjectValue(NSObject** object, NSString* string, NSString** errorDescription);
  /* Whether the text as it would be after an edit may stand. On NO a formatter may offer a
   * replacement in *newString (autoreleased), which the field then shows instead. YES by default. */
  virtual BOOL isPartialStringValid(NSString* partialString, NSString** newString, NSString** errorDescription);
};

#endif
