/*
 * CoreFoundation.h — umbrella for the CoreFoundation stand-in: reference-counted strings, numbers,
 * data, arrays, dictionaries, URLs, bundles and alerts with Apple's names and ownership rules.
 */
#ifndef BRINDLE_PLATFORM_COREFOUNDATION_H
#define BRINDLE_PLATFORM_COREFOUNDATION_H

#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFURL.h>
#include <CoreFoundation/CFBundle.h>
#include <CoreFoundation/CFRunLoop.h>
#include <CoreFoundation/CFUserNotification.h>

#endif
