/*
 * NSArray.h — ordered collections of objects. An array retains what it holds and releases it when
 * removed or when the array goes away. nil is never stored: arrayWithObjects stops at the first
 * nil (so a trailing nil, as Cocoa code writes it, is harmless) and adding nil changes nothing.
 */
#ifndef BRINDLE_PLATFORM_NSARRAY_H
#define BRINDLE_PLATFORM_NSARRAY_H

#include <Foundation/NSObject.h>

#include <initializer_list>
#include <vector>

class NSArray : public NSObject
{
public:
  NS_DECLARE_ALLOC(NSArray)
  ~NSArray() override;
  /* Autoreleased. */
  static NSArray* array();
  static NSArray* arrayWithObjectList(std::initializer_list<NSObject*> objects);
  template <class... Objects>
  static NSArray* arrayWithObjects(Objects... objects)
  {
    return arrayWithObjectList({static_cast<NSObject*>(objects)...});
  }
  static NSArray* arrayWithArray(NSArray* other);
  const char* className() const override { return "NSArray"; }

  NSUInteger count() const { return mItems.size(); }
  /* nil past the end. */
  NSObject* objectAtIndex(NSUInteger index) const;
  NSObject* firstObject() const { return objectAtIndex(0); }
  NSObject* lastObject() const { return mItems.empty() ? nil : mItems.back(); }
  /* NSNotFound when absent (compared by identity). */
  NSUInteger indexOfObject(NSObject* object) const;
  BOOL containsObject(NSObject* object) const { return indexOfObject(object) != NSNotFound; }
  const std::vector<NSObject*>& objects() const { return mItems; }

protected:
  void add(NSObject* object);
  std::vector<NSObject*> mItems;
};

class NSMutableArray : public NSArray
{
public:
  NS_DECLARE_ALLOC(NSMutableArray)
  static NSMutableArray* array();
  const char* className() const override { return "NSMutableArray"; }
  void addObject(NSObject* object) { add(object); }
  /* An index past the end appends. */
  void insertObject(NSObject* object, NSUInteger index);
  void removeObjectAtIndex(NSUInteger index);
  void removeObject(NSObject* object);
  void removeAllObjects();
};

#endif
