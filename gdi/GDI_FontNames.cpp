// Face names to font files through fontconfig, cached once per face and style.

#include "gdi/GDI_Font.h"
#include "gdi/GDI_Lock.h"

#include <fontconfig/fontconfig.h>

#include "containers/Core_AssocArray.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {
void FreeName(char* name)
{
  std::free(name);
}

// s_fontnamecache: "<face>[ Bold][ Italic]" -> platform font name; sorted, so lookups are binary
// searches. Lives until exit.
Core_StringKeyedArray<char*>& FontNameCache()
{
  static Core_StringKeyedArray<char*>* cache = new Core_StringKeyedArray<char*>(&FreeName);
  return *cache;
}

std::string Lowercase(const char* s)
{
  std::string out(s);
  for (char& c : out) c = (char)std::tolower((unsigned char)c);
  return out;
}

// The generic family a missing face is best replaced by, judged from its name.
const char* GenericFamilyFor(const char* face)
{
  const std::string name = Lowercase(face);
  static const char* const kMono[] = {"mono", "courier", "monaco",   "menlo",      "consol", "console",
                                      "code", "fixed",   "terminal", "typewriter", "andale"};
  for (const char* m : kMono)
    if (name.find(m) != std::string::npos) return "monospace";
  if (name.find("sans") == std::string::npos) {
    static const char* const kSerif[] = {"serif",       "times",        "georgia", "garamond", "palatino",
                                         "baskerville", "book antiqua", "cambria", "didot",    "bodoni"};
    for (const char* s : kSerif)
      if (name.find(s) != std::string::npos) return "serif";
  }
  return "sans-serif";
}

bool MatchHasFamily(FcPattern* match, const char* face)
{
  const std::string wanted = Lowercase(face);
  FcChar8* family = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; i++)
    if (Lowercase(reinterpret_cast<const char*>(family)) == wanted) return true;
  return false;
}

// Best installed match for a family and style; the caller destroys it.
FcPattern* MatchFamily(const char* family, bool bold, bool italic)
{
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return nullptr;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  return match;
}

void ReleaseFontconfig()
{
  GDI_Lock lock(GDI_FreeTypeMutex());
  FcFini();
}

// Loads fontconfig's configuration once, and has it released at exit (its configuration holds
// allocations that would otherwise show as leaks).
bool InitFontconfig()
{
  static const bool ready = FcInit() && std::atexit(&ReleaseFontconfig) == 0;
  return ready;
}

std::string ResolveUncached(const char* face, bool bold, bool italic)
{
  // fontconfig keeps process-wide state; serialise it with the other font-library calls.
  GDI_Lock lock(GDI_FreeTypeMutex());
  if (!InitFontconfig()) return std::string();
  FcPattern* match = face[0] ? MatchFamily(face, bold, italic) : nullptr;
  if (match && !MatchHasFamily(match, face)) {
    FcPatternDestroy(match);
    match = nullptr;
  }
  if (!match) match = MatchFamily(GenericFamilyFor(face), bold, italic);
  if (!match) return std::string();

  std::string name;
  FcChar8* file = nullptr;
  int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file && !std::strchr((const char*)file, '|')) {
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    // fontconfig's own synthetic-style rules (when configured) mark the match with embolden or a
    // shear matrix and report the requested weight and slant; without them the font's own weight
    // and slant tell.
    FcBool configEmbolden = FcFalse;
    FcMatrix* shear = nullptr;
    FcPatternGetBool(match, FC_EMBOLDEN, 0, &configEmbolden);
    const bool configOblique =
        FcPatternGetMatrix(match, FC_MATRIX, 0, &shear) == FcResultMatch && shear && shear->xy != 0.0;
    const bool embolden = bold && (configEmbolden || weight < FC_WEIGHT_DEMIBOLD);
    const bool oblique = italic && (configOblique || slant == FC_SLANT_ROMAN);
    name = std::string(reinterpret_cast<const char*>(file)) + "|" + std::to_string(index) + "|" +
           (embolden ? "1" : "0") + "|" + (oblique ? "1" : "0");
  }
  FcPatternDestroy(match);
  return name;
}
} // namespace

std::string GDI_ResolveFontName(const char* face, bool bold, bool italic)
{
  if (!face) face = "";
  std::string key = face;
  if (bold) key += " Bold";
  if (italic) key += " Italic";
  {
    GDI_Lock lock(GDI_FontNameCacheMutex());
    if (char* cached = FontNameCache().Get(key.c_str(), nullptr)) return cached;
  }
  std::string name = ResolveUncached(face, bold, italic);
  if (!name.empty()) {
    GDI_Lock lock(GDI_FontNameCacheMutex());
    if (char* copy = strdup(name.c_str()))
      if (FontNameCache().Insert(key.c_str(), copy) < 0) std::free(copy);
  }
  return name;
}

int GDI_FontNameCacheSize()
{
  GDI_Lock lock(GDI_FontNameCacheMutex());
  return FontNameCache().GetSize();
}
