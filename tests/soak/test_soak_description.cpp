// The LV2 description reader of the soak and the validator: ports read right from Turtle with nested blocks, strings
// holding Turtle's own punctuation and decimal points, and a description it cannot use refused.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tools/files/LV2Description.h"

namespace fs = std::filesystem;

namespace {

const char kManifest[] = "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                         "<urn:x#other>\n  a lv2:Plugin ;\n  lv2:binary <Other.so> ;\n  rdfs:seeAlso <x.ttl> .\n\n"
                         "<urn:x#p>\n  a lv2:Plugin ;\n  lv2:binary <X.so> ;\n  rdfs:seeAlso <x.ttl> .\n";

// An audio input, then `control` as port 1 (its text inside [ ]), then an audio output.
std::string Data(const std::string& control)
{
  return "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
         "<urn:x#other>\n  a lv2:Plugin ;\n  lv2:port [ a lv2:AudioPort , lv2:InputPort ; lv2:index 0 ; "
         "lv2:symbol \"o\" ] .\n\n"
         "<urn:x#p>\n  a lv2:Plugin ;\n  doap:name \"P. [with] \\\"quotes\\\" ; and dots.\" ;\n  lv2:port [\n"
         "    a lv2:AudioPort , lv2:InputPort ;\n    lv2:index 0 ;\n    lv2:symbol \"in\"\n  ] , [\n" +
         control +
         "\n  ] , [\n    a lv2:AudioPort , lv2:OutputPort ;\n    lv2:index 2 ;\n    lv2:symbol \"out\"\n  ] .\n";
}

} // namespace

TEST(LV2Description, ReadsPortsAndRefusesWhatItCannotUse)
{
  const fs::path bundle = fs::temp_directory_path() / ("brindle-soak-ttl-" + std::to_string(::getpid()));
  fs::create_directories(bundle);
  std::ofstream(bundle / "manifest.ttl") << kManifest;
  const struct
  {
    const char* name;
    std::string control;
    bool readable;
    float minimum, maximum, fallback;
    bool toggled;
    std::string label = ""; // lv2:name, else the symbol
    bool enumeration = false;
  } cases[] = {
      {"plain range",
       "a lv2:InputPort , lv2:ControlPort ; lv2:index 1 ; lv2:symbol \"level\" ; "
       "lv2:default 0.5 ; lv2:minimum -2.5 ; lv2:maximum 10.0",
       true, -2.5f, 10.0f, 0.5f, false, "level"},
      // Scale points ahead of the range, with labels that look like Turtle.
      {"switch with scale points",
       "a lv2:InputPort , lv2:ControlPort ; lv2:index 1 ; lv2:symbol \"fx\" ; "
       "lv2:scalePoint [ rdfs:label \"Off.\" ; rdf:value 0 ] , "
       "[ rdfs:label \"On ] lv2:maximum 9 . ;\" ; rdf:value 1 ] ; "
       "lv2:default 1 ; lv2:minimum 0 ; lv2:maximum 1 ; "
       "lv2:portProperty lv2:toggled , lv2:integer ; lv2:name \"Fx \\\"on\\\" ; [off].\"",
       true, 0.0f, 1.0f, 1.0f, true, "Fx \"on\" ; [off]."},
      {"enumeration",
       "a lv2:InputPort , lv2:ControlPort ; lv2:index 1 ; lv2:symbol \"mode\" ; lv2:name \"Mode\" ; "
       "lv2:default 2 ; lv2:minimum 0 ; lv2:maximum 3 ; lv2:portProperty lv2:integer , lv2:enumeration",
       true, 0.0f, 3.0f, 2.0f, false, "Mode", true},
      {"no range", "a lv2:InputPort , lv2:ControlPort ; lv2:index 1 ; lv2:symbol \"x\"", false, 0, 0, 0, false},
      {"range upside down",
       "a lv2:InputPort , lv2:ControlPort ; lv2:index 1 ; lv2:symbol \"x\" ; "
       "lv2:default 0 ; lv2:minimum 1 ; lv2:maximum 0",
       false, 0, 0, 0, false},
      {"not a number",
       "a lv2:InputPort , lv2:ControlPort ; lv2:index 1 ; lv2:symbol \"x\" ; "
       "lv2:default 0 ; lv2:minimum 0 ; lv2:maximum 1x",
       false, 0, 0, 0, false},
      {"index missing", "a lv2:InputPort , lv2:ControlPort ; lv2:symbol \"x\"", false, 0, 0, 0, false},
      {"index out of order",
       "a lv2:InputPort , lv2:ControlPort ; lv2:index 7 ; lv2:symbol \"x\" ; "
       "lv2:default 0 ; lv2:minimum 0 ; lv2:maximum 1",
       false, 0, 0, 0, false},
      {"neither audio nor control", "a lv2:InputPort , lv2:CVPort ; lv2:index 1 ; lv2:symbol \"x\"", false, 0, 0, 0,
       false},
  };
  for (const auto& c : cases) {
    std::ofstream(bundle / "x.ttl") << Data(c.control);
    LV2Description d;
    std::string error;
    const bool read = ReadLV2Description(bundle.string(), "urn:x#p", d, error);
    ASSERT_EQ(read, c.readable) << c.name << ": " << error;
    if (!read) {
      EXPECT_FALSE(error.empty()) << c.name;
      continue;
    }
    EXPECT_EQ(d.binary, (bundle / "X.so").string()) << c.name;
    ASSERT_EQ(d.ports.size(), 3u) << c.name;
    EXPECT_EQ(d.ports[0].kind, LV2Port::kAudioIn) << c.name;
    EXPECT_EQ(d.ports[2].kind, LV2Port::kAudioOut) << c.name;
    const LV2Port& p = d.ports[1];
    EXPECT_EQ(p.kind, LV2Port::kControlIn) << c.name;
    EXPECT_EQ(p.minimum, c.minimum) << c.name;
    EXPECT_EQ(p.maximum, c.maximum) << c.name;
    EXPECT_EQ(p.fallback, c.fallback) << c.name;
    EXPECT_EQ(p.toggled, c.toggled) << c.name;
    EXPECT_EQ(p.name, c.label) << c.name;
    EXPECT_EQ(p.enumeration, c.enumeration) << c.name;
    EXPECT_EQ(d.name, "P. [with] \"quotes\" ; and dots.") << c.name;
  }
  // The manifest's plug-ins, in order.
  std::string listError;
  EXPECT_EQ(LV2PluginURIs(bundle.string(), listError), (std::vector<std::string>{"urn:x#other", "urn:x#p"}));
  EXPECT_TRUE(LV2PluginURIs((bundle / "nowhere").string(), listError).empty());
  EXPECT_FALSE(listError.empty());
  // A plug-in the manifest does not list, and a bundle without a manifest.
  LV2Description d;
  std::string error;
  EXPECT_FALSE(ReadLV2Description(bundle.string(), "urn:x#missing", d, error));
  EXPECT_FALSE(ReadLV2Description((bundle / "nowhere").string(), "urn:x#p", d, error));
  fs::remove_all(bundle);
}
