/*
 * NSObject.h — the root class: reference counting, autorelease pools, selector dispatch.
 *
 * Every class declares its own alloc() with NS_DECLARE_ALLOC(ClassName): a class without one
 * inherits its base's, which makes a base object. NSAlloc<T>() works for any class.
 *
 * Ownership follows Cocoa: alloc() (per class, or NSAlloc<T>()) and copy-style calls hand back an
 * object with a retain count of one that the caller releases; class factories such as
 * NSString::stringWithUTF8String hand back autoreleased objects that live until the innermost
 * NSAutoreleasePool drains. The destructor is the dealloc: it runs when the count reaches zero, so
 * objects are never deleted or put on the stack directly (NSAutoreleasePool excepted).
 *
 * Selector dispatch: a subclass overrides performSelector(SEL, NSObject*) and respondsToSelector to
 * answer the selectors it implements (compare with sel_registerName("name:")); an override should
 * add `using NSObject::performSelector;` so that the delayed overload stays visible.
 */
#ifndef BRINDLE_PLATFORM_NSOBJECT_H
#define BRINDLE_PLATFORM_NSOBJECT_H

#include <Foundation/NSGeometry.h>
#include <Foundation/NSObjCRuntime.h>

#include <vector>

class NSNotification;
class NSString;
class NSView;

/* Declares the class's typed factory: T::alloc() returns a new T with a retain count of one. */
#define NS_DECLARE_ALLOC(T)                                                                                            \
  static T* alloc()                                                                                                    \
  {                                                                                                                    \
    return new T();                                                                                                    \
  }

template <class T>
T* NSAlloc()
{
  return new T();
}

class NSObject
{
public:
  NSObject() = default;
  NSObject(const NSObject&) = delete;
  NSObject& operator=(const NSObject&) = delete;

  NS_DECLARE_ALLOC(NSObject)
  virtual NSObject* init() { return this; }

  NSObject* retain();
  void release();
  /* Hands one reference to the innermost autorelease pool. Without a pool the object is leaked
   * (with a one-time warning), as in Cocoa. */
  NSObject* autorelease();
  NSUInteger retainCount() const { return mRetainCount; }

  virtual const char* className() const { return "NSObject"; }
  /* "<ClassName: 0x...>" by default. Autoreleased. */
  virtual NSString* description();
  virtual BOOL respondsToSelector(SEL selector);
  /* Runs the method named by the selector with one argument; the base answers nothing (nil). */
  virtual NSObject* performSelector(SEL selector, NSObject* argument);
  /* Sends performSelector(selector, argument) from the current run loop once `delay` seconds have
   * passed; the receiver and the argument are retained until then. */
  void performSelector(SEL selector, NSObject* argument, double delay);

  /* Informal protocols: NSView's tooltip owner and NSTextField's delegate. */
  virtual NSString* view_stringForToolTip(NSView* view, NSInteger tag, NSPoint point, void* userData);
  virtual void controlTextDidEndEditing(NSNotification* notification);

protected:
  virtual ~NSObject() = default;

private:
  NSUInteger mRetainCount = 1;
};

/*
 * A pool of autoreleased objects. Either on the stack (`NSAutoreleasePool pool;` drains when it
 * goes out of scope) or Cocoa-style (`NSAutoreleasePool::alloc()->init()`, then drain() or
 * release()). Pools nest; ending a pool also ends any pools made inside it that are still open.
 */
class NSAutoreleasePool : public NSObject
{
public:
  NSAutoreleasePool();
  ~NSAutoreleasePool() override;
  static NSAutoreleasePool* alloc();
  NSAutoreleasePool* init() override { return this; }
  const char* className() const override { return "NSAutoreleasePool"; }

  /* Releases the pool's objects; a pool made with alloc() is released as well. */
  void drain();
  static void addObject(NSObject* object);
  /* Objects waiting in the innermost pool (for tests). */
  static NSUInteger pendingCount();

private:
  void releaseObjects();
  std::vector<NSObject*> mObjects;
  NSAutoreleasePool* mOuter; // the pool this one was opened in
  bool mOnHeap = false;
  bool mOpen = true;
};

#endif
