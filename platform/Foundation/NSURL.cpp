// URLs checked and escaped as text.
#include <Foundation/NSURL.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace {

bool Hex(char c)
{
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// Characters a URL may carry unescaped: unreserved, reserved and '%' for escapes.
bool UrlCharacter(char c)
{
  if (std::isalnum(static_cast<unsigned char>(c))) return true;
  static const char kAllowed[] = "-._~:/?#[]@!$&'()*+,;=%";
  for (const char* a = kAllowed; *a; ++a)
    if (*a == c) return true;
  return false;
}

bool WellFormed(const std::string& text)
{
  // scheme ":" rest, the scheme a letter then letters, digits, '+', '-' or '.'
  const size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || !std::isalpha(static_cast<unsigned char>(text[0]))) return false;
  for (size_t i = 1; i < colon; ++i) {
    const char c = text[i];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return false;
  }
  if (colon + 1 == text.size()) return false;
  for (size_t i = colon + 1; i < text.size(); ++i) {
    if (!UrlCharacter(text[i])) return false;
    if (text[i] == '%' && (i + 2 >= text.size() || !Hex(text[i + 1]) || !Hex(text[i + 2]))) return false;
  }
  return true;
}

std::string EscapedPath(const std::string& path)
{
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

} // namespace

NSURL::~NSURL()
{
  if (mText) mText->release();
}

NSURL* NSURL::URLWithString(NSString* text)
{
  if (!text || !WellFormed(text->text())) return nil;
  NSURL* url = alloc();
  url->mText = static_cast<NSString*>(NSString::stringWithString(text)->retain());
  return static_cast<NSURL*>(url->autorelease());
}

NSURL* NSURL::fileURLWithPath(NSString* path)
{
  if (!path || path->text().empty()) return nil;
  std::string absolute = path->stringByExpandingTildeInPath()->text();
  if (absolute[0] != '/') {
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) return nil;
    absolute = std::string(cwd) + "/" + absolute;
  }
  NSURL* url = alloc();
  url->mText =
      static_cast<NSString*>(NSString::stringWithUTF8String(("file://" + EscapedPath(absolute)).c_str())->retain());
  return static_cast<NSURL*>(url->autorelease());
}

NSString* NSURL::scheme() const
{
  std::string s = mText ? mText->text().substr(0, mText->text().find(':')) : std::string();
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return NSString::stringWithUTF8String(s.c_str());
}

BOOL NSURL::isFileURL() const
{
  return scheme()->text() == "file";
}
