#include "tools/files/LV2Description.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

bool ReadText(const std::string& path, std::string& out)
{
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  out = text.str();
  return true;
}

// Index just past the string starting at `i` (a '"'), escapes honoured.
size_t SkipString(const std::string& text, size_t i)
{
  for (++i; i < text.size(); ++i) {
    if (text[i] == '\\')
      ++i;
    else if (text[i] == '"')
      return i + 1;
  }
  return text.size();
}

// `block` with every nested [ ... ] removed (scale points and the like), strings kept.
std::string Flatten(const std::string& block)
{
  std::string flat;
  int depth = 0;
  for (size_t i = 0; i < block.size();) {
    const char c = block[i];
    if (c == '"') {
      const size_t end = SkipString(block, i);
      if (depth == 0) flat.append(block, i, end - i);
      i = end;
      continue;
    }
    if (c == '[') ++depth;
    if (depth == 0) flat += c;
    if (c == ']' && depth > 0) --depth;
    ++i;
  }
  return flat;
}

// The token after `predicate` in a flattened block (quotes and a trailing ';' or ',' removed).
bool Object(const std::string& flat, const std::string& predicate, std::string& out)
{
  std::istringstream words(flat);
  std::string word;
  while (words >> word) {
    if (word != predicate) continue;
    if (!(words >> out)) return false;
    while (!out.empty() && (out.back() == ';' || out.back() == ',')) out.pop_back();
    if (out.size() >= 2 && out.front() == '"' && out.back() == '"') out = out.substr(1, out.size() - 2);
    return true;
  }
  return false;
}

bool Has(const std::string& flat, const std::string& word)
{
  std::istringstream words(flat);
  std::string w;
  while (words >> w) {
    while (!w.empty() && (w.back() == ';' || w.back() == ',')) w.pop_back();
    if (w == word) return true;
  }
  return false;
}

// The quoted string after `predicate` (it may hold spaces and escapes), unescaped.
bool Text(const std::string& flat, const std::string& predicate, std::string& out)
{
  size_t at = flat.find(predicate);
  while (at != std::string::npos && at + predicate.size() < flat.size() &&
         !std::isspace(static_cast<unsigned char>(flat[at + predicate.size()])))
    at = flat.find(predicate, at + 1);
  if (at == std::string::npos) return false;
  size_t i = at + predicate.size();
  while (i < flat.size() && std::isspace(static_cast<unsigned char>(flat[i]))) ++i;
  if (i >= flat.size() || flat[i] != '"') return false;
  const size_t end = SkipString(flat, i);
  if (end < i + 2 || flat[end - 1] != '"') return false;
  out.clear();
  for (size_t k = i + 1; k + 1 < end; ++k) {
    if (flat[k] == '\\' && k + 2 < end) ++k;
    out += flat[k];
  }
  return true;
}

bool Number(const std::string& flat, const std::string& predicate, float& out)
{
  std::string text;
  if (!Object(flat, predicate, text)) return false;
  char* end = nullptr;
  out = std::strtof(text.c_str(), &end);
  return end && *end == '\0' && end != text.c_str();
}

// "<name>" relative to the bundle folder.
std::string BundleFile(const std::string& bundle, const std::string& ref)
{
  std::string name = ref;
  if (name.size() >= 2 && name.front() == '<' && name.back() == '>') name = name.substr(1, name.size() - 2);
  return name.empty() || name[0] == '/' ? name : bundle + "/" + name;
}

} // namespace

std::string LV2Statement(const std::string& turtle, const std::string& subject)
{
  const std::string key = "<" + subject + ">";
  size_t start = 0;
  // The subject at the start of a line, not an object somewhere inside another statement.
  while ((start = turtle.find(key, start)) != std::string::npos && start > 0 && turtle[start - 1] != '\n')
    start += key.size();
  if (start == std::string::npos) return "";
  int depth = 0;
  for (size_t i = start + key.size(); i < turtle.size();) {
    const char c = turtle[i];
    if (c == '"') {
      i = SkipString(turtle, i);
      continue;
    }
    if (c == '<') { // an IRI may hold dots
      const size_t close = turtle.find('>', i);
      i = close == std::string::npos ? turtle.size() : close + 1;
      continue;
    }
    if (c == '[') ++depth;
    if (c == ']') --depth;
    // A statement ends with '.' followed by white space (not a decimal point).
    if (c == '.' && depth == 0 && (i + 1 == turtle.size() || std::isspace(static_cast<unsigned char>(turtle[i + 1]))))
      return turtle.substr(start, i - start);
    ++i;
  }
  return "";
}

std::vector<std::string> LV2Blocks(const std::string& statement, const std::string& predicate)
{
  std::vector<std::string> blocks;
  size_t i = statement.find(predicate);
  if (i == std::string::npos) return blocks;
  i += predicate.size();
  int depth = 0;
  size_t open = 0;
  for (; i < statement.size();) {
    const char c = statement[i];
    if (c == '"') {
      i = SkipString(statement, i);
      continue;
    }
    if (c == '[' && depth++ == 0) open = i + 1;
    if (c == ']' && --depth == 0) blocks.push_back(statement.substr(open, i - open));
    // The object list ends at the first ';' outside every block.
    if (c == ';' && depth == 0) break;
    ++i;
  }
  return blocks;
}

bool ReadLV2Description(const std::string& bundle, const std::string& uri, LV2Description& out, std::string& error)
{
  std::string manifest, data;
  if (!ReadText(bundle + "/manifest.ttl", manifest)) {
    error = "no manifest.ttl in the LV2 bundle '" + bundle + "' (build it, or name it with --lv2)";
    return false;
  }
  const std::string entry = LV2Statement(manifest, uri);
  std::string binary, seeAlso;
  if (entry.empty() || !Object(Flatten(entry), "lv2:binary", binary) ||
      !Object(Flatten(entry), "rdfs:seeAlso", seeAlso)) {
    error = "the manifest of '" + bundle + "' names no binary and data file for <" + uri + ">";
    return false;
  }
  out.binary = BundleFile(bundle, binary);
  if (!ReadText(BundleFile(bundle, seeAlso), data)) {
    error = "cannot read '" + BundleFile(bundle, seeAlso) + "'";
    return false;
  }
  out.ports.clear();
  const std::string statement = LV2Statement(data, uri);
  if (!Text(Flatten(statement), "doap:name", out.name)) out.name.clear();
  for (const std::string& block : LV2Blocks(statement, "lv2:port")) {
    const std::string flat = Flatten(block);
    LV2Port port;
    float index = -1.0f;
    if (!Number(flat, "lv2:index", index) || index < 0 || !Object(flat, "lv2:symbol", port.symbol)) {
      error = "a port of <" + uri + "> has no index or symbol";
      return false;
    }
    port.index = static_cast<std::uint32_t>(index);
    const bool input = Has(flat, "lv2:InputPort");
    if (Has(flat, "lv2:AudioPort"))
      port.kind = input ? LV2Port::kAudioIn : LV2Port::kAudioOut;
    else if (Has(flat, "lv2:ControlPort"))
      port.kind = input ? LV2Port::kControlIn : LV2Port::kControlOut;
    else {
      error = "port '" + port.symbol + "' is neither audio nor control";
      return false;
    }
    if (port.kind == LV2Port::kControlIn &&
        (!Number(flat, "lv2:minimum", port.minimum) || !Number(flat, "lv2:maximum", port.maximum) ||
         !Number(flat, "lv2:default", port.fallback) || !(port.minimum <= port.maximum))) {
      error = "control port '" + port.symbol + "' has no usable range and default";
      return false;
    }
    port.toggled = Has(flat, "lv2:toggled");
    port.integer = Has(flat, "lv2:integer");
    port.enumeration = Has(flat, "lv2:enumeration");
    if (!Text(flat, "lv2:name", port.name) || port.name.empty()) port.name = port.symbol;
    out.ports.push_back(port);
  }
  std::sort(out.ports.begin(), out.ports.end(), [](const LV2Port& a, const LV2Port& b) { return a.index < b.index; });
  for (size_t i = 0; i < out.ports.size(); ++i)
    if (out.ports[i].index != i) {
      error = "the ports of <" + uri + "> are not numbered 0 to " + std::to_string(out.ports.size() - 1);
      return false;
    }
  if (out.ports.empty()) {
    error = "no ports listed for <" + uri + "> in '" + BundleFile(bundle, seeAlso) + "'";
    return false;
  }
  return true;
}

std::vector<std::string> LV2PluginURIs(const std::string& bundle, std::string& error)
{
  std::vector<std::string> uris;
  std::string manifest;
  if (!ReadText(bundle + "/manifest.ttl", manifest)) {
    error = "no manifest.ttl in the LV2 bundle '" + bundle + "'";
    return uris;
  }
  std::istringstream lines(manifest);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.size() < 3 || line[0] != '<' || line.back() != '>') continue;
    const std::string uri = line.substr(1, line.size() - 2);
    if (Has(Flatten(LV2Statement(manifest, uri)), "lv2:Plugin")) uris.push_back(uri);
  }
  if (uris.empty()) error = "the manifest of '" + bundle + "' lists no plug-in";
  return uris;
}
