/*
 * CFRunLoop.h — only the run-loop handle type, which AudioToolbox's listener calls name. This system
 * delivers such notifications synchronously and never needs a run loop object.
 */
#ifndef BRINDLE_PLATFORM_CFRUNLOOP_H
#define BRINDLE_PLATFORM_CFRUNLOOP_H

#include <CoreFoundation/CFBase.h>

typedef struct __CFRunLoop* CFRunLoopRef;

#endif
