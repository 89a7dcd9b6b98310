// The scale windows on the X display are drawn at, read the way desktop toolkits read it.
#include <BrindleHost/X11Backend.h>
#include <X11Host/X11Display.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace BrindleHost {

namespace {

constexpr double kMinScale = 1.0, kMaxScale = 3.0;
constexpr double kBaseDpi = 96.0;

// A finite number filling the whole text, else NaN.
double Number(const char* text)
{
  if (!text || !*text) return NAN;
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  while (*end == ' ' || *end == '\t') ++end;
  return *end == '\0' && std::isfinite(value) ? value : NAN;
}

} // namespace

double ScaleFromSettings(const char* gdkScale, const char* xftDpi)
{
  // GTK reads only whole factors from GDK_SCALE; anything else there is ignored, as GTK does.
  const double whole = Number(gdkScale);
  if (whole >= 1.0 && whole == std::floor(whole)) return std::min(whole, kMaxScale);
  const double dpi = Number(xftDpi);
  if (dpi > 0.0) return std::max(kMinScale, std::min(kMaxScale, dpi / kBaseDpi));
  return kMinScale;
}

std::string XftDpiFromResources(const char* resources)
{
  if (!resources) return {};
  static const char kKey[] = "Xft.dpi:";
  for (const char* line = resources; *line;) {
    const char* end = std::strchr(line, '\n');
    const size_t length = end ? static_cast<size_t>(end - line) : std::strlen(line);
    if (length >= sizeof kKey - 1 && std::strncmp(line, kKey, sizeof kKey - 1) == 0) {
      std::string value(line + sizeof kKey - 1, length - (sizeof kKey - 1));
      const size_t first = value.find_first_not_of(" \t");
      return first == std::string::npos ? std::string() : value.substr(first);
    }
    if (!end) break;
    line = end + 1;
  }
  return {};
}

double X11DisplayScale()
{
  const char* gdkScale = std::getenv("GDK_SCALE");
  std::string dpi;
  if (X11Backend* backend = InstalledX11Backend())
    dpi = XftDpiFromResources(XResourceManagerString(backend->XDisplay()));
  return ScaleFromSettings(gdkScale, dpi.c_str());
}

} // namespace BrindleHost
