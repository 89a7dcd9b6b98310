/*
 * NSObjCRuntime.h — the few Objective-C runtime notions this C++ AppKit needs: BOOL, integer types,
 * selectors and the class registry.
 *
 * A selector (SEL) is an interned name such as "onTimer:"; two selectors with the same name are the
 * same pointer. Objects answer selectors by name in NSObject::performSelector overrides.
 *
 * A Class is a registry record {name, factory, superclass name}. A library registers its classes
 * with NS_REGISTER_CLASS(ClassName) at namespace scope in one of its source files: the record is
 * added when the library is loaded and removed when it is unloaded, so a host can find a plug-in's
 * view factory by the class name alone (NSClassFromString, objc_getClass). Registering a name that
 * is already known keeps the first record and warns once on standard error, as the Objective-C
 * runtime does.
 */
#ifndef BRINDLE_PLATFORM_NSOBJCRUNTIME_H
#define BRINDLE_PLATFORM_NSOBJCRUNTIME_H

#include <stdint.h>

#ifndef OBJC_BOOL_DEFINED
#define OBJC_BOOL_DEFINED
typedef signed char BOOL;
#endif
#ifndef YES
#define YES ((BOOL)1)
#endif
#ifndef NO
#define NO ((BOOL)0)
#endif
#ifndef nil
#define nil nullptr
#endif

typedef long NSInteger;
typedef unsigned long NSUInteger;
typedef unsigned short unichar;

enum : NSUInteger { NSNotFound = static_cast<NSUInteger>(~0UL >> 1) };

class NSObject;
class NSString;

typedef const struct objc_selector* SEL;

SEL sel_registerName(const char* name); /* NULL for a NULL name */
SEL NSSelectorFromString(const char* name);
SEL NSSelectorFromString(NSString* name);
const char* sel_getName(SEL selector); /* "<null selector>" for NULL */

struct objc_class
{
  const char* name;
  NSObject* (*alloc)(); /* a new, uninitialised instance with a retain count of one */
  const char* superclassName;
};
typedef const objc_class* Class;

/* NULL when no class of that name is registered. */
Class objc_getClass(const char* name);
Class NSClassFromString(NSString* name);
const char* class_getName(Class cls); /* "nil" for NULL */

/* Adds a class; false (and a one-time warning) when the name is already registered or an argument
 * is NULL. */
bool NSRegisterClass(const char* name, NSObject* (*alloc)(), const char* superclassName = "NSObject");
/* Removes the class registered under that name with that factory; other records are untouched. */
void NSUnregisterClass(const char* name, NSObject* (*alloc)());

/* Registration for the lifetime of the defining library. */
struct NSClassRegistration
{
  NSClassRegistration(const char* name, NSObject* (*alloc)(), const char* superclassName)
      : mName(name), mAlloc(alloc), mRegistered(NSRegisterClass(name, alloc, superclassName))
  {}
  ~NSClassRegistration()
  {
    if (mRegistered) NSUnregisterClass(mName, mAlloc);
  }
  NSClassRegistration(const NSClassRegistration&) = delete;
  NSClassRegistration& operator=(const NSClassRegistration&) = delete;
  const char* mName;
  NSObject* (*mAlloc)();
  bool mRegistered;
};

#define NS_REGISTER_CLASS_EXPANDED(ClassName, SuperName)                                                               \
  static const NSClassRegistration ClassName##_classRegistration(                                                      \
      #ClassName, +[]() -> NSObject* { return ClassName::alloc(); }, #SuperName)
/* Names given through macros (a class named with a per-plug-in suffix) register under what they
 * expand to. */
#define NS_REGISTER_CLASS_WITH_SUPERCLASS(ClassName, SuperName) NS_REGISTER_CLASS_EXPANDED(ClassName, SuperName)
#define NS_REGISTER_CLASS(ClassName) NS_REGISTER_CLASS_WITH_SUPERCLASS(ClassName, NSObject)

#endif
