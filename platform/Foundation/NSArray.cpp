// Arrays that retain their objects.
#include <Foundation/NSArray.h>

#include <algorithm>

NSArray::~NSArray()
{
  for (NSObject* object : mItems) object->release();
}

NSArray* NSArray::array()
{
  return static_cast<NSArray*>(alloc()->autorelease());
}

NSArray* NSArray::arrayWithObjectList(std::initializer_list<NSObject*> objects)
{
  NSArray* a = alloc();
  for (NSObject* object : objects) {
    if (!object) break;
    a->add(object);
  }
  return static_cast<NSArray*>(a->autorelease());
}

NSArray* NSArray::arrayWithArray(NSArray* other)
{
  NSArray* a = alloc();
  if (other)
    for (NSObject* object : other->mItems) a->add(object);
  return static_cast<NSArray*>(a->autorelease());
}

NSObject* NSArray::objectAtIndex(NSUInteger index) const
{
  return index < mItems.size() ? mItems[index] : nil;
}

NSUInteger NSArray::indexOfObject(NSObject* object) const
{
  const auto it = std::find(mItems.begin(), mItems.end(), object);
  return it == mItems.end() || !object ? NSNotFound : static_cast<NSUInteger>(it - mItems.begin());
}

void NSArray::add(NSObject* object)
{
  if (object) mItems.push_back(object->retain());
}

NSMutableArray* NSMutableArray::array()
{
  return static_cast<NSMutableArray*>(alloc()->autorelease());
}

void NSMutableArray::insertObject(NSObject* object, NSUInteger index)
{
  if (!object) return;
  index = std::min<NSUInteger>(index, mItems.size());
  mItems.insert(mItems.begin() + static_cast<long>(index), object->retain());
}

void NSMutableArray::removeObjectAtIndex(NSUInteger index)
{
  if (index >= mItems.size()) return;
  NSObject* object = mItems[index];
  mItems.erase(mItems.begin() + static_cast<long>(index));
  object->release();
}

void NSMutableArray::removeObject(NSObject* object)
{
  for (NSUInteger i = mItems.size(); i-- > 0;)
    if (mItems[i] == object) removeObjectAtIndex(i);
}

void NSMutableArray::removeAllObjects()
{
  std::vector<NSObject*> old;
  old.swap(mItems);
  for (NSObject* object : old) object->release();
}
