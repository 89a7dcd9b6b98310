// Reference counting and autorelease pools.
#include <Foundation/NSObject.h>
#include <Foundation/NSRunLoop.h>
#include <Foundation/NSString.h>

#include <algorithm>
#include <cstdio>

namespace {

// Innermost open pool of this thread; each pool links to the one it was opened in. A plain pointer,
// so that the thread-local has no destructor: the C library runs those of a loaded library at thread
// exit, which leak checkers handle badly.
thread_local NSAutoreleasePool* tInnermost = nullptr;

} // namespace

NSObject* NSObject::retain()
{
  ++mRetainCount;
  return this;
}

void NSObject::release()
{
  if (mRetainCount == 0) {
    std::fprintf(stderr, "[objc] release of a deallocated %s %p ignored\n", className(), static_cast<void*>(this));
    return;
  }
  if (--mRetainCount == 0) delete this;
}

NSObject* NSObject::autorelease()
{
  NSAutoreleasePool::addObject(this);
  return this;
}

NSString* NSObject::description()
{
  return NSString::stringWithFormat("<%s: %p>", className(), static_cast<void*>(this));
}

BOOL NSObject::respondsToSelector(SEL selector)
{
  static const SEL sDescription = sel_registerName("description");
  return selector == sDescription;
}

NSObject* NSObject::performSelector(SEL selector, NSObject*)
{
  static const SEL sDescription = sel_registerName("description");
  if (selector == sDescription) return description();
  return nil;
}

void NSObject::performSelector(SEL selector, NSObject* argument, double delay)
{
  NSRunLoop::currentRunLoop()->schedulePerform(this, selector, argument, delay);
}

NSString* NSObject::view_stringForToolTip(NSView*, NSInteger, NSPoint, void*)
{
  return nil;
}

void NSObject::controlTextDidEndEditing(NSNotification*) {}

// ---- Pools ----

NSAutoreleasePool::NSAutoreleasePool() : mOuter(tInnermost)
{
  tInnermost = this;
}

NSAutoreleasePool* NSAutoreleasePool::alloc()
{
  NSAutoreleasePool* pool = new NSAutoreleasePool();
  pool->mOnHeap = true;
  return pool;
}

NSAutoreleasePool::~NSAutoreleasePool()
{
  if (!mOpen) return;
  // Pools opened inside this one and never closed end with it, innermost first.
  bool onThisThread = false;
  for (NSAutoreleasePool* pool = tInnermost; pool && !onThisThread; pool = pool->mOuter) onThisThread = pool == this;
  while (onThisThread && tInnermost != this) {
    NSAutoreleasePool* inner = tInnermost;
    inner->releaseObjects();
    inner->mOpen = false;
    tInnermost = inner->mOuter;
    if (inner->mOnHeap) delete inner;
  }
  releaseObjects();
  mOpen = false;
  if (tInnermost == this) tInnermost = mOuter;
}

void NSAutoreleasePool::releaseObjects()
{
  // Releasing may autorelease more objects into this same pool.
  while (!mObjects.empty()) {
    std::vector<NSObject*> batch;
    batch.swap(mObjects);
    for (NSObject* object : batch) object->release();
  }
}

void NSAutoreleasePool::drain()
{
  if (mOnHeap) {
    release();
    return;
  }
  releaseObjects();
}

void NSAutoreleasePool::addObject(NSObject* object)
{
  if (!object) return;
  if (!tInnermost) {
    static bool sWarned = false;
    if (!sWarned) {
      sWarned = true;
      std::fprintf(stderr, "[objc] %s %p autoreleased with no pool in place - just leaking\n", object->className(),
                   static_cast<void*>(object));
    }
    return;
  }
  tInnermost->mObjects.push_back(object);
}

NSUInteger NSAutoreleasePool::pendingCount()
{
  return tInnermost ? tInnermost->mObjects.size() : 0;
}
