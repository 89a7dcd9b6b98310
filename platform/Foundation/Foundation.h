/*
 * Foundation.h — umbrella for the Foundation stand-ins.
 */
#ifndef BRINDLE_PLATFORM_FOUNDATION_H
#define BRINDLE_PLATFORM_FOUNDATION_H

#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSBundle.h>
#include <Foundation/NSFormatter.h>
#include <Foundation/NSGeometry.h>
#include <Foundation/NSNotification.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSPathUtilities.h>
#include <Foundation/NSRunLoop.h>
#include <Foundation/NSString.h>
#include <Foundation/NSTimer.h>
#include <Foundation/NSURL.h>

#endif
