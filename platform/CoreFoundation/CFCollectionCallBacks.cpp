// The standard callbacks that make collections hold CF objects.
#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDictionary.h>

namespace {

const void* RetainObject(CFAllocatorRef, const void* value)
{
  return CFRetain(value);
}
void ReleaseObject(CFAllocatorRef, const void* value)
{
  CFRelease(value);
}

} // namespace

const CFArrayCallBacks kCFTypeArrayCallBacks = {0, RetainObject, ReleaseObject, CFCopyDescription, CFEqual};

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0,       RetainObject, ReleaseObject, CFCopyDescription,
                                                                CFEqual, CFHash};

const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0, RetainObject, ReleaseObject, CFCopyDescription,
                                                                    CFEqual};
