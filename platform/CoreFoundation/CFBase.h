/*
 * CFBase.h — CoreFoundation's object model: reference-counted objects, allocators, ranges and the
 * generic retain/release/equality calls.
 *
 * Host-side stand-in keeping Apple's names and ownership rules: objects from Create/Copy calls start
 * with a retain count of one and belong to the caller; Get calls hand out borrowed references;
 * releasing to zero frees the object through the allocator that made it. Retaining or releasing NULL
 * is a programming error and stops the process, as it does on a Mac.
 */
#ifndef BRINDLE_PLATFORM_CFBASE_H
#define BRINDLE_PLATFORM_CFBASE_H

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef const void* CFTypeRef;
typedef long CFIndex;
typedef unsigned long CFOptionFlags;
typedef unsigned long CFHashCode;
typedef unsigned long CFTypeID;
typedef double CFTimeInterval;

typedef const struct __CFAllocator* CFAllocatorRef;
typedef const struct __CFString* CFStringRef;
typedef struct __CFString* CFMutableStringRef;
typedef CFTypeRef CFPropertyListRef;

typedef struct CFRange
{
  CFIndex location;
  CFIndex length;
} CFRange;

static inline CFRange CFRangeMake(CFIndex loc, CFIndex len)
{
  CFRange r;
  r.location = loc;
  r.length = len;
  return r;
}

typedef enum { kCFCompareLessThan = -1, kCFCompareEqualTo = 0, kCFCompareGreaterThan = 1 } CFComparisonResult;

enum { kCFNotFound = -1 };

/* Allocators. NULL (kCFAllocatorDefault) is the system allocator (malloc); kCFAllocatorNull
 * allocates nothing and frees nothing (for buffers the caller keeps). */
#define kCFAllocatorDefault ((CFAllocatorRef)NULL)
extern const CFAllocatorRef kCFAllocatorSystemDefault;
extern const CFAllocatorRef kCFAllocatorNull;

typedef const void* (*CFAllocatorRetainCallBack)(const void* info);
typedef void (*CFAllocatorReleaseCallBack)(const void* info);
typedef CFStringRef (*CFAllocatorCopyDescriptionCallBack)(const void* info);
typedef void* (*CFAllocatorAllocateCallBack)(CFIndex allocSize, CFOptionFlags hint, void* info);
typedef void* (*CFAllocatorReallocateCallBack)(void* ptr, CFIndex newsize, CFOptionFlags hint, void* info);
typedef void (*CFAllocatorDeallocateCallBack)(void* ptr, void* info);
typedef CFIndex (*CFAllocatorPreferredSizeCallBack)(CFIndex size, CFOptionFlags hint, void* info);

typedef struct CFAllocatorContext
{
  CFIndex version;
  void* info;
  CFAllocatorRetainCallBack retain;
  CFAllocatorReleaseCallBack release;
  CFAllocatorCopyDescriptionCallBack copyDescription;
  CFAllocatorAllocateCallBack allocate;
  CFAllocatorReallocateCallBack reallocate;
  CFAllocatorDeallocateCallBack deallocate;
  CFAllocatorPreferredSizeCallBack preferredSize;
} CFAllocatorContext;

/* A new allocator (retain count 1) that calls the context's functions; `allocator` is the allocator
 * that holds the new allocator object itself. The context's retain/release/copyDescription are
 * applied to `info` as CoreFoundation does; allocate and deallocate are required. */
CFAllocatorRef CFAllocatorCreate(CFAllocatorRef allocator, CFAllocatorContext* context);
void* CFAllocatorAllocate(CFAllocatorRef allocator, CFIndex size, CFOptionFlags hint);
void CFAllocatorDeallocate(CFAllocatorRef allocator, void* ptr);

/* Any object. */
CFTypeRef CFRetain(CFTypeRef cf);
void CFRelease(CFTypeRef cf);
CFIndex CFGetRetainCount(CFTypeRef cf);
CFTypeID CFGetTypeID(CFTypeRef cf);
Boolean CFEqual(CFTypeRef cf1, CFTypeRef cf2);
CFHashCode CFHash(CFTypeRef cf);
/* A new string describing the object: a string's own text, a number's value, otherwise the kind of
 * object and its address. */
CFStringRef CFCopyDescription(CFTypeRef cf);

CFTypeID CFAllocatorGetTypeID(void);

#ifdef __cplusplus
}
#endif

#endif
