// NSString's path methods, with Cocoa's treatment of repeated and trailing slashes.
#include <Foundation/NSPathUtilities.h>
#include <Foundation/NSString.h>

#include <pwd.h>

namespace {

// Repeated slashes collapse; a trailing slash goes, except for the root itself.
std::string Normalized(const std::string& path)
{
  std::string out;
  for (char c : path)
    if (c != '/' || out.empty() || out.back() != '/') out += c;
  if (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

NSString* Make(const std::string& text)
{
  return NSString::stringWithUTF8String(text.c_str());
}

} // namespace

NSString* NSString::lastPathComponent() const
{
  const std::string p = Normalized(mText);
  if (p == "/") return Make(p);
  return Make(p.substr(p.rfind('/') == std::string::npos ? 0 : p.rfind('/') + 1));
}

NSString* NSString::stringByDeletingLastPathComponent() const
{
  const std::string p = Normalized(mText);
  if (p == "/") return Make(p);
  const size_t slash = p.rfind('/');
  if (slash == std::string::npos) return Make("");
  return Make(slash == 0 ? "/" : p.substr(0, slash));
}

NSString* NSString::pathExtension() const
{
  const std::string p = Normalized(mText);
  const size_t start = p.rfind('/') == std::string::npos ? 0 : p.rfind('/') + 1;
  const size_t dot = p.rfind('.');
  // A leading dot names a hidden file, not an extension.
  if (dot == std::string::npos || dot <= start) return Make("");
  return Make(p.substr(dot + 1));
}

NSString* NSString::stringByDeletingPathExtension() const
{
  const std::string p = Normalized(mText);
  const size_t start = p.rfind('/') == std::string::npos ? 0 : p.rfind('/') + 1;
  const size_t dot = p.rfind('.');
  if (dot == std::string::npos || dot <= start) return Make(p);
  return Make(p.substr(0, dot));
}

NSString* NSString::stringByAppendingPathComponent(NSString* component) const
{
  const std::string c = component ? component->text() : std::string();
  if (mText.empty()) return Make(Normalized(c));
  return Make(Normalized(mText + "/" + c));
}

NSString* NSString::stringByExpandingTildeInPath() const
{
  if (mText.empty() || mText[0] != '~') return Make(mText);
  const size_t slash = mText.find('/');
  const std::string user = mText.substr(1, slash == std::string::npos ? std::string::npos : slash - 1);
  const std::string rest = slash == std::string::npos ? std::string() : mText.substr(slash);
  std::string home;
  if (user.empty()) {
    home = NSHomeDirectory()->text();
  } else {
    const passwd* entry = getpwnam(user.c_str());
    if (!entry || !entry->pw_dir) return Make(mText); // unknown user: left as it is
    home = entry->pw_dir;
  }
  return Make(Normalized(home + rest));
}
