/*
 * NSPathUtilities.h — well-known folders, with Apple's enumeration values mapped onto the XDG
 * folders of a Linux desktop:
 *
 *   NSDesktopDirectory             $XDG_DESKTOP_DIR when set (a leading "$HOME" in it counts as the
 *                                  home folder), else ~/Desktop
 *   NSApplicationSupportDirectory  $XDG_DATA_HOME when set to an absolute path, else ~/.local/share
 *
 * Only the user domain has folders; other directories or domains give an empty array. "~" is
 * replaced by the home folder ($HOME, else the password database) only when expandTilde is YES.
 */
#ifndef BRINDLE_PLATFORM_NSPATHUTILITIES_H
#define BRINDLE_PLATFORM_NSPATHUTILITIES_H

#include <Foundation/NSArray.h>
#include <Foundation/NSString.h>

typedef NSUInteger NSSearchPathDirectory;
typedef NSUInteger NSSearchPathDomainMask;

enum : NSUInteger {
  NSApplicationDirectory = 1,
  NSLibraryDirectory = 5,
  NSDocumentDirectory = 9,
  NSDesktopDirectory = 12,
  NSCachesDirectory = 13,
  NSApplicationSupportDirectory = 14
};

enum : NSUInteger {
  NSUserDomainMask = 1,
  NSLocalDomainMask = 2,
  NSNetworkDomainMask = 4,
  NSSystemDomainMask = 8,
  NSAllDomainsMask = 0x0FFFF
};

/* Autoreleased array of NSString. */
NSArray* NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory, NSSearchPathDomainMask domainMask,
                                             BOOL expandTilde);
/* The home folder: $HOME, else the password database's entry, else "/". Autoreleased. */
NSString* NSHomeDirectory();

#endif
