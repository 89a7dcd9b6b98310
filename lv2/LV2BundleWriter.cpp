// LV2BundleWriter: manifest.ttl, the plug-in descriptions and presets.ttl.
#include "lv2/LV2BundleWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "lv2/IEffectLV2.h"
#include "lv2/LV2Descriptor.h"
#include "plugcore/Version.h"

namespace {
const char kPrefixes[] = "@prefix atom:  <http://lv2plug.in/ns/ext/atom#> .\n"
                         "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
                         "@prefix doap:  <http://usefulinc.com/ns/doap#> .\n"
                         "@prefix foaf:  <http://xmlns.com/foaf/0.1/> .\n"
                         "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
                         "@prefix opts:  <http://lv2plug.in/ns/ext/options#> .\n"
                         "@prefix pset:  <http://lv2plug.in/ns/ext/presets#> .\n"
                         "@prefix rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                         "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n"
                         "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                         "@prefix ui:    <http://lv2plug.in/ns/extensions/ui#> .\n"
                         "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                         "@prefix urid:  <http://lv2plug.in/ns/ext/urid#> .\n\n";

// One instantiated variant; the instance is freed with the record.
struct Described
{
  const LV2_Descriptor* mDescriptor = nullptr;
  LV2_Handle mHandle = nullptr;
  IEffectLV2* mPlug = nullptr;
  Described() = default;
  Described(const Described&) = delete;
  Described& operator=(const Described&) = delete;
  ~Described()
  {
    if (mHandle) mDescriptor->cleanup(mHandle);
  }
};

std::string Ref(const std::string& uri)
{
  return "<" + uri + ">";
}

// The units extension's own unit for a label, or "" for a label it has none for.
std::string KnownUnit(const std::string& label)
{
  static const char* const kUnits[][2] = {{"dB", "db"},
                                          {"Hz", "hz"},
                                          {"kHz", "khz"},
                                          {"MHz", "mhz"},
                                          {"ms", "ms"},
                                          {"s", "s"},
                                          {"%", "pc"},
                                          {"ct", "cent"},
                                          {"cents", "cent"},
                                          {"bpm", "bpm"},
                                          {"st", "semitone12TET"},
                                          {"oct", "oct"},
                                          {"deg", "degree"},
                                          {"m", "m"},
                                          {"cm", "cm"},
                                          {"min", "min"}};
  for (const auto& unit : kUnits)
    if (label == unit[0]) return std::string("units:") + unit[1];
  return "";
}

void WriteUnit(std::ostream& out, const IParam& param)
{
  const std::string label = param.mLabel;
  if (label.empty()) return;
  const std::string known = KnownUnit(label);
  if (!known.empty()) {
    out << " ;\n    units:unit " << known;
    return;
  }
  std::string render;
  for (char c : label) render += c == '%' ? std::string("%%") : std::string(1, c);
  out << " ;\n    units:unit [ a units:Unit ; rdfs:label " << LV2TurtleString(label) << " ; units:symbol "
      << LV2TurtleString(label) << " ; units:render " << LV2TurtleString("%f " + render) << " ]";
}

void WriteScalePoints(std::ostream& out, const IParam& param)
{
  const int n = param.GetNDisplayTexts();
  if (n == 0 && param.Type() == IParam::kTypeBool) {
    out << " ;\n    lv2:scalePoint [ rdfs:label \"Off\" ; rdf:value 0.0 ] , [ rdfs:label \"On\" ; rdf:value 1.0 ]";
    return;
  }
  for (int i = 0; i < n; ++i) {
    int value = 0;
    const char* text = param.GetDisplayTextAtIdx(i, &value);
    out << (i == 0 ? " ;\n    lv2:scalePoint " : " ,\n        ") << "[ rdfs:label " << LV2TurtleString(text)
        << " ; rdf:value " << LV2TurtleNumber(value) << " ]";
  }
}

void WriteControlPort(std::ostream& out, const IEffectLV2& plug, uint32_t port, int paramIdx)
{
  const IParam& param = *plug.GetParam(paramIdx);
  const LV2PortLayout& layout = plug.GetPortLayout();
  out << "    a lv2:InputPort , lv2:ControlPort ;\n    lv2:index " << port << " ;\n    lv2:symbol "
      << LV2TurtleString(layout.Symbol(port)) << " ;\n    lv2:name " << LV2TurtleString(layout.Name(port, plug))
      << " ;\n    lv2:default " << LV2TurtleNumber(param.mDefault) << " ;\n    lv2:minimum "
      << LV2TurtleNumber(param.mMin) << " ;\n    lv2:maximum " << LV2TurtleNumber(param.mMax);
  if (LV2IsToggle(param))
    out << " ;\n    lv2:portProperty lv2:toggled , lv2:integer";
  else if (param.Type() == IParam::kTypeEnum)
    out << " ;\n    lv2:portProperty lv2:integer , lv2:enumeration";
  else if (param.Type() == IParam::kTypeInt)
    out << " ;\n    lv2:portProperty lv2:integer";
  if (param.Type() != IParam::kTypeDouble) WriteScalePoints(out, param);
  WriteUnit(out, param);
  out << "\n";
}

// The product, of which each variant is a plug-in: its maker and full version live here, since a
// plug-in's own version (minor and micro) has no major part.
void WriteProject(std::ostream& out, const IEffectLV2& plug)
{
  int major = 0, minor = 0, revision = 0;
  GetVersionParts(plug.GetEffectVersion(false), &major, &minor, &revision);
  out << Ref(plug.GetInstanceInfo().mBaseURI) << "\n  a doap:Project ;\n  doap:name "
      << LV2TurtleString(plug.GetEffectName()) << " ;\n  doap:maintainer [ a foaf:Person ; foaf:name "
      << LV2TurtleString(plug.GetMfrName()) << " ] ;\n  doap:release [ a doap:Version ; doap:revision "
      << LV2TurtleString(std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision))
      << " ] .\n\n";
}

void WritePlugin(std::ostream& out, const Described& d, const LV2BundleOptions& options)
{
  const IEffectLV2& plug = *d.mPlug;
  const LV2PortLayout& layout = plug.GetPortLayout();
  int major = 0, minor = 0, revision = 0;
  GetVersionParts(plug.GetEffectVersion(false), &major, &minor, &revision);
  std::string variantName = plug.GetEffectName();
  const std::string uri = d.mDescriptor->URI;
  variantName += " (" + uri.substr(uri.rfind('#') + 1) + ")";

  out << Ref(uri) << "\n  a lv2:Plugin";
  if (!options.mCategory.empty()) out << " , lv2:" << options.mCategory;
  out << " ;\n  doap:name " << LV2TurtleString(variantName) << " ;\n";
  out << "  lv2:project " << Ref(plug.GetInstanceInfo().mBaseURI) << " ;\n";
  out << "  lv2:minorVersion " << minor << " ;\n  lv2:microVersion " << revision << " ;\n";
  out << "  lv2:optionalFeature lv2:hardRTCapable , opts:options , bufsz:boundedBlockLength , urid:map ;\n";
  out << "  opts:supportedOption bufsz:maxBlockLength , bufsz:nominalBlockLength ;\n";
  out << "  lv2:extensionData state:interface ;\n";
  if (!options.mUIURI.empty()) out << "  ui:ui " << Ref(options.mUIURI) << " ;\n";
  out << "  lv2:port";
  for (uint32_t port = 0; port < layout.NPorts(); ++port) {
    out << (port == 0 ? " [\n" : " , [\n");
    int idx = 0;
    switch (layout.Kind(port, &idx)) {
    case LV2PortLayout::kAudioIn:
    case LV2PortLayout::kAudioOut:
      out << "    a lv2:AudioPort , "
          << (layout.Kind(port, nullptr) == LV2PortLayout::kAudioIn ? "lv2:InputPort" : "lv2:OutputPort")
          << " ;\n    lv2:index " << port << " ;\n    lv2:symbol " << LV2TurtleString(layout.Symbol(port))
          << " ;\n    lv2:name " << LV2TurtleString(layout.Name(port, plug)) << "\n";
      break;
    case LV2PortLayout::kControlIn:
      WriteControlPort(out, plug, port, idx);
      break;
    default:
      out << "    a lv2:OutputPort , lv2:ControlPort ;\n    lv2:index " << port
          << " ;\n    lv2:symbol \"latency\" ;\n    lv2:name \"Latency\" ;\n"
             "    lv2:designation lv2:latency ;\n    lv2:portProperty lv2:reportsLatency , lv2:integer ;\n"
             "    lv2:minimum 0 ;\n    lv2:maximum 1048576\n";
      break;
    }
    out << "  ]";
  }
  out << " .\n\n";
}

struct Preset
{
  std::string mURI;
  std::string mName;
  std::vector<double> mValues;
};

// The initialized presets, read by loading each into the object in turn.
std::vector<Preset> ReadPresets(IEffectLV2& plug, const std::string& baseURI)
{
  std::vector<Preset> presets;
  std::vector<std::string> taken;
  for (int i = 0; i < plug.NPresets(); ++i) {
    if (!plug.GetPreset(i)->mInitialized || !plug.RestorePreset(i)) continue;
    Preset preset;
    preset.mName = plug.GetPresetName(i);
    std::string uri = baseURI + "#preset-" + LV2Symbol(preset.mName.c_str());
    for (int n = 2; std::find(taken.begin(), taken.end(), uri) != taken.end(); ++n)
      uri = baseURI + "#preset-" + LV2Symbol(preset.mName.c_str()) + "-" + std::to_string(n);
    taken.push_back(uri);
    preset.mURI = uri;
    for (int p = 0; p < plug.NParams(); ++p) preset.mValues.push_back(plug.GetParam(p)->Value());
    presets.push_back(preset);
  }
  return presets;
}

bool WriteFile(const std::string& path, const std::string& text, std::string* error)
{
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (!file) {
    if (error) *error = "cannot write " + path;
    return false;
  }
  return true;
}
} // namespace

std::string LV2TurtleString(const std::string& text)
{
  std::string quoted = "\"";
  for (char c : text) {
    switch (c) {
    case '"':
      quoted += "\\\"";
      break;
    case '\\':
      quoted += "\\\\";
      break;
    case '\n':
      quoted += "\\n";
      break;
    case '\r':
      quoted += "\\r";
      break;
    case '\t':
      quoted += "\\t";
      break;
    default:
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string LV2TurtleNumber(double value)
{
  if (!std::isfinite(value)) value = 0.0; // Turtle has no literal for them; never a range
  char text[64];
  // Nine significant digits bring every float back exactly; ports are floats.
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(static_cast<float>(value)));
  std::string s = text;
  const size_t e = s.find('e');
  if (s.find('.') == std::string::npos) s.insert(e == std::string::npos ? s.size() : e, ".0");
  return s;
}

bool LV2WriteBundle(LV2DescriptorFunction descriptors, const std::string& dir, const LV2BundleOptions& options,
                    std::string* error)
{
  std::vector<std::unique_ptr<Described>> variants;
  const std::string bundlePath = dir.empty() || dir.back() == '/' ? dir : dir + "/";
  const LV2_Feature* const noFeatures[] = {nullptr};
  for (uint32_t i = 0; descriptors && descriptors(i); ++i) {
    auto d = std::make_unique<Described>();
    d->mDescriptor = descriptors(i);
    d->mHandle = d->mDescriptor->instantiate(d->mDescriptor, 48000.0, bundlePath.c_str(), noFeatures);
    d->mPlug = LV2DescriptorTable::GetPlug(d->mHandle);
    if (!d->mPlug) {
      if (error) *error = std::string("cannot instantiate ") + d->mDescriptor->URI;
      return false;
    }
    variants.push_back(std::move(d));
  }
  if (variants.empty()) {
    if (error) *error = "the product offers no LV2 variant";
    return false;
  }

  IEffectLV2& first = *variants.front()->mPlug;
  const std::string baseURI = first.GetInstanceInfo().mBaseURI;
  const std::vector<Preset> presets = ReadPresets(first, baseURI);
  std::string appliesTo;
  for (const auto& d : variants) appliesTo += (appliesTo.empty() ? "" : " , ") + Ref(d->mDescriptor->URI);

  std::ostringstream manifest, data, presetText;
  manifest << kPrefixes;
  for (const auto& d : variants)
    manifest << Ref(d->mDescriptor->URI) << "\n  a lv2:Plugin ;\n  lv2:binary " << Ref(options.mBinary)
             << " ;\n  rdfs:seeAlso " << Ref(options.mDataFile) << " .\n\n";
  for (const Preset& preset : presets)
    manifest << Ref(preset.mURI) << "\n  a pset:Preset ;\n  lv2:appliesTo " << appliesTo
             << " ;\n  rdfs:seeAlso <presets.ttl> .\n\n";
  if (!options.mUIURI.empty()) {
    manifest << Ref(options.mUIURI) << "\n  a ui:" << options.mUIClass << " ;\n  ui:binary " << Ref(options.mUIBinary);
    if (!options.mUISeeAlso.empty()) manifest << " ;\n  rdfs:seeAlso " << Ref(options.mUISeeAlso);
    manifest << " .\n";
  }

  data << kPrefixes;
  WriteProject(data, first);
  for (const auto& d : variants) WritePlugin(data, *d, options);

  presetText << kPrefixes;
  const LV2PortLayout& layout = first.GetPortLayout();
  for (const Preset& preset : presets) {
    presetText << Ref(preset.mURI) << "\n  a pset:Preset ;\n  lv2:appliesTo " << appliesTo << " ;\n  rdfs:label "
               << LV2TurtleString(preset.mName) << " ;\n  lv2:port";
    for (size_t p = 0; p < preset.mValues.size(); ++p)
      presetText << (p == 0 ? " [\n" : " , [\n") << "    lv2:symbol "
                 << LV2TurtleString(layout.Symbol(layout.FirstControlPort() + static_cast<uint32_t>(p)))
                 << " ;\n    pset:value " << LV2TurtleNumber(preset.mValues[p]) << "\n  ]";
    presetText << " .\n\n";
  }

  return WriteFile(bundlePath + "manifest.ttl", manifest.str(), error) &&
         WriteFile(bundlePath + options.mDataFile, data.str(), error) &&
         WriteFile(bundlePath + "presets.ttl", presetText.str(), error);
}
