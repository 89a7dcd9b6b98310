/*
 * Gestalt.h — asking the system about itself. Only the system-version selector is answered: the
 * stand-in reports Mac OS X 10.6.8 (0x1068, BCD digits), a system on which every service this plug-in
 * relies on, the Cocoa view included, exists.
 */
#ifndef BRINDLE_PLATFORM_GESTALT_H
#define BRINDLE_PLATFORM_GESTALT_H

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
  gestaltSystemVersion = 0x73797376 /* 'sysv' */
};

enum { gestaltUndefSelectorErr = -5551 };

/* *response receives the answer; gestaltUndefSelectorErr for selectors this system does not know,
 * paramErr for a NULL response. */
OSErr Gestalt(OSType selector, SInt32* response);

#ifdef __cplusplus
}
#endif

#endif
