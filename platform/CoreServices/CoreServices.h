/*
 * CoreServices.h — umbrella for the Carbon core services this system calls on: the Component Manager
 * and Gestalt. Host-side stand-in keeping Apple's names and values.
 */
#ifndef BRINDLE_PLATFORM_CORESERVICES_H
#define BRINDLE_PLATFORM_CORESERVICES_H

#include <MacTypes.h>
#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/Components.h>
#include <CoreServices/Gestalt.h>

#endif
