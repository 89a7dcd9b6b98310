/*
 * CFRunLoop.h — the run-loop handle type, which AudioToolbox's listener calls name, and the names of
 * the run-loop modes. This system delivers listener notifications synchronously; timers run on
 * Foundation's NSRunLoop (Foundation/NSRunLoop.h), which accepts these mode names.
 */
#ifndef BRINDLE_PLATFORM_CFRUNLOOP_H
#define BRINDLE_PLATFORM_CFRUNLOOP_H

#include <CoreFoundation/CFBase.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct __CFRunLoop* CFRunLoopRef;

/* "kCFRunLoopDefaultMode" and "kCFRunLoopCommonModes". */
extern const CFStringRef kCFRunLoopDefaultMode;
extern const CFStringRef kCFRunLoopCommonModes;

#ifdef __cplusplus
}
#endif

#endif
