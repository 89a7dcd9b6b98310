// Key symbols, modifiers and click counts in AppKit's terms.
#include <X11Host/X11Keys.h>

#include <Foundation/NSString.h>

#include <X11/X.h>
#include <X11/keysym.h>

#include <cstdint>
#include <cstdlib>

namespace BrindleHost {

namespace {

// UTF-8 of one code point (nothing for one beyond Unicode), through UTF-16 as NSString keeps it.
std::string Utf8(unsigned long code)
{
  if (code >= 0x110000) return std::string();
  unichar units[2];
  size_t count = 1;
  if (code < 0x10000) {
    units[0] = static_cast<unichar>(code);
  } else {
    units[0] = static_cast<unichar>(0xD800 + ((code - 0x10000) >> 10));
    units[1] = static_cast<unichar>(0xDC00 + ((code - 0x10000) & 0x3FF));
    count = 2;
  }
  return NSStringEncodeUTF8(units, count);
}

struct SpecialKey
{
  unsigned long mKeySym;
  unsigned short mKeyCode;
  unsigned mCharacter;
};

const SpecialKey kSpecialKeys[] = {
    {XK_Return, 0x24, '\r'}, {XK_KP_Enter, 0x4C, 0x03},  {XK_Tab, 0x30, '\t'},       {XK_ISO_Left_Tab, 0x30, 0x19},
    {XK_space, 0x31, ' '},   {XK_BackSpace, 0x33, 0x7F}, {XK_Escape, 0x35, 0x1B},    {XK_Delete, 0x75, 0xF728},
    {XK_Home, 0x73, 0xF729}, {XK_End, 0x77, 0xF72B},     {XK_Page_Up, 0x74, 0xF72C}, {XK_Page_Down, 0x79, 0xF72D},
    {XK_Left, 0x7B, 0xF702}, {XK_Right, 0x7C, 0xF703},   {XK_Down, 0x7D, 0xF701},    {XK_Up, 0x7E, 0xF700},
    {XK_F1, 0x7A, 0xF704},   {XK_F2, 0x78, 0xF705},      {XK_F3, 0x63, 0xF706},      {XK_F4, 0x76, 0xF707},
};

// Apple's ANSI key codes by the character on the key (US layout, unshifted).
const char kAnsiKeys[] = "asdfhgzxcv\0bqweryt123465=97-80]ou[ip\0lj'k;\\,/nm.\0\0`";

} // namespace

MappedKey MapKeySym(unsigned long keysym, const std::string& typed)
{
  MappedKey key;
  for (const SpecialKey& s : kSpecialKeys)
    if (s.mKeySym == keysym) {
      key.mKeyCode = s.mKeyCode;
      key.mCharacters = Utf8(s.mCharacter);
      return key;
    }
  unsigned long code = 0;
  if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
    code = keysym;
  else if (keysym >= 0x1000100 && keysym <= 0x110FFFF)
    code = keysym - 0x1000000; // Unicode key symbols
  if (code) {
    key.mCharacters = Utf8(code);
  } else {
    for (unsigned char c : typed) key.mCharacters += Utf8(c); // Latin-1, e.g. control characters
  }
  unsigned long lower = keysym >= 'A' && keysym <= 'Z' ? keysym + 32 : keysym;
  if (lower >= 0x20 && lower <= 0x7E) {
    for (size_t i = 0; i < sizeof(kAnsiKeys) - 1; ++i)
      if (kAnsiKeys[i] && static_cast<unsigned long>(static_cast<unsigned char>(kAnsiKeys[i])) == lower) {
        key.mKeyCode = static_cast<unsigned short>(i);
        break;
      }
  }
  return key;
}

NSUInteger MapModifiers(unsigned int state)
{
  NSUInteger flags = 0;
  if (state & ShiftMask) flags |= 1UL << 17;
  if (state & LockMask) flags |= 1UL << 16;
  if (state & ControlMask) flags |= 1UL << 18;
  if (state & Mod1Mask) flags |= 1UL << 19;
  if (state & Mod4Mask) flags |= 1UL << 20;
  return flags;
}

long ClickCounter::Press(unsigned int button, unsigned long timeMs, int x, int y)
{
  // X server times are milliseconds that wrap; unsigned subtraction measures across the wrap.
  const bool again = mCount > 0 && button == mButton && static_cast<uint32_t>(timeMs - mTime) <= kIntervalMs &&
                     std::abs(x - mX) <= kDistance && std::abs(y - mY) <= kDistance;
  mCount = again ? mCount + 1 : 1;
  mButton = button;
  mTime = timeMs;
  mX = x;
  mY = y;
  return mCount;
}

} // namespace BrindleHost
