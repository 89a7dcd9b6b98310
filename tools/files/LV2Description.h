// LV2Description: what an LV2 host learns from a bundle's description before it loads the binary:
// which library holds a plug-in and what each of its ports is. Read straight from the Turtle
// files Brindle's bundle writer produces (manifest.ttl names the binary and the data file; the
// data file lists the ports): a scanner for that shape, not a general Turtle parser, so that the
// soak and the validator need no RDF library. A description it cannot read is a failure, never a guess.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct LV2Port
{
  enum Kind { kAudioIn, kAudioOut, kControlIn, kControlOut };
  std::uint32_t index = 0;
  Kind kind = kControlIn;
  std::string symbol, name;                              // name: lv2:name, else the symbol
  float minimum = 0.0f, maximum = 1.0f, fallback = 0.0f; // fallback: lv2:default
  bool toggled = false, integer = false, enumeration = false;
};

struct LV2Description
{
  std::string binary;         // full path of the plug-in's library
  std::string name;           // doap:name, "" when not given
  std::vector<LV2Port> ports; // in index order, indices 0..n-1
};

// Reads the description of plug-in `uri` from the bundle folder; false with a one-line reason.
bool ReadLV2Description(const std::string& bundle, const std::string& uri, LV2Description& out, std::string& error);

// The plug-ins (subjects typed lv2:Plugin) the bundle's manifest lists, in order; empty with a
// one-line reason when there is no manifest or it lists none.
std::vector<std::string> LV2PluginURIs(const std::string& bundle, std::string& error);

// The statement about `subject` (from "<subject>" to its closing '.') in Turtle text, or "".
// Brackets nest; strings are skipped. Exposed for the reader's own checks.
std::string LV2Statement(const std::string& turtle, const std::string& subject);
// The top-level [ ... ] blocks after `predicate` in a statement, brackets excluded.
std::vector<std::string> LV2Blocks(const std::string& statement, const std::string& predicate);
