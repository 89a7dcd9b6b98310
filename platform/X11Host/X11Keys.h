/*
 * X11Keys.h — X key symbols and modifier state as AppKit reports them: Apple's virtual key codes,
 * the characters a key event carries (AppKit's function-key characters for arrows and the like)
 * and Apple's modifier bits. Kept apart from the connection so it can be checked without a display.
 */
#ifndef BRINDLE_PLATFORM_X11KEYS_H
#define BRINDLE_PLATFORM_X11KEYS_H

#include <Foundation/NSObjCRuntime.h>

#include <string>

namespace BrindleHost {

struct MappedKey
{
  unsigned short mKeyCode = 0xFFFF; // no particular key
  std::string mCharacters;          // UTF-8; empty for a key that types nothing
};

/* The key for an X key symbol; `typed` is what the keyboard mapping typed (Latin-1 from
 * XLookupString), used when the symbol has no character of its own. */
MappedKey MapKeySym(unsigned long keysym, const std::string& typed);

/* Apple's modifier bits for an X event state (Shift, Lock, Control, Mod1 = Alt, Mod4 = Super). */
NSUInteger MapModifiers(unsigned int state);

/* The click count of a press: one more than the previous one when it follows it within the
 * double-click interval and distance with the same button, else 1. */
struct ClickCounter
{
  static constexpr unsigned long kIntervalMs = 500;
  static constexpr int kDistance = 4;
  long Press(unsigned int button, unsigned long timeMs, int x, int y);
  long mCount = 0;
  unsigned int mButton = 0;
  unsigned long mTime = 0;
  int mX = 0, mY = 0;
};

} // namespace BrindleHost

#endif
