// Run-loop mode names.
#include <CoreFoundation/CFRunLoop.h>
#include <CoreFoundation/CFString.h>

const CFStringRef kCFRunLoopDefaultMode = CFSTR("kCFRunLoopDefaultMode");
const CFStringRef kCFRunLoopCommonModes = CFSTR("kCFRunLoopCommonModes");
