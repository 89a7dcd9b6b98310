// Well-known folders on an XDG desktop.
#include <Foundation/NSPathUtilities.h>

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

NSString* NSHomeDirectory()
{
  const char* home = std::getenv("HOME");
  if (home && home[0]) return NSString::stringWithUTF8String(home);
  const passwd* entry = getpwuid(getuid());
  return NSString::stringWithUTF8String(entry && entry->pw_dir ? entry->pw_dir : "/");
}

namespace {

// The folder with "~" standing for home, or an absolute path.
std::string UserFolder(NSSearchPathDirectory directory)
{
  switch (directory) {
  case NSDesktopDirectory: {
    const char* xdg = std::getenv("XDG_DESKTOP_DIR");
    if (xdg && xdg[0]) {
      const std::string value = xdg;
      // user-dirs.dirs writes the folder as "$HOME/Desktop"
      if (value.compare(0, 5, "$HOME") == 0) return "~" + value.substr(5);
      return value;
    }
    return "~/Desktop";
  }
  case NSApplicationSupportDirectory: {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    // Relative values are invalid by the XDG rules and ignored.
    if (xdg && xdg[0] == '/') return xdg;
    return "~/.local/share";
  }
  default:
    return "";
  }
}

} // namespace

NSArray* NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory, NSSearchPathDomainMask domainMask,
                                             BOOL expandTilde)
{
  NSMutableArray* result = NSMutableArray::array();
  if (!(domainMask & NSUserDomainMask)) return result;
  const std::string folder = UserFolder(directory);
  if (folder.empty()) return result;
  NSString* path = NSString::stringWithUTF8String(folder.c_str());
  if (!path) return result;
  result->addObject(expandTilde ? path->stringByExpandingTildeInPath() : path);
  return result;
}
