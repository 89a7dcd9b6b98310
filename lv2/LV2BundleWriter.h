#pragma once
// LV2BundleWriter: writes the Turtle files of a product's LV2 bundle from the product itself.
//
// It instantiates every variant the product's lv2_descriptor offers and describes it from the
// live object: identity (name, maker, version), ports (symbols, ranges, defaults, units, switch
// and enumeration scale points), the features it can use and the state interface, and the
// initialized factory presets as LV2 presets. A UI is declared only when the options name one.
#include <cstdint>
#include <string>

#include <lv2/core/lv2.h>

using LV2DescriptorFunction = const LV2_Descriptor* (*)(uint32_t index);

struct LV2BundleOptions
{
  std::string mBinary;   // the plug-in library's file name inside the bundle
  std::string mDataFile; // file name of the plug-in descriptions, e.g. "Brindle.ttl"
  std::string mCategory; // an lv2: plug-in class such as "DistortionPlugin"; empty: none
  // The UI, when there is one: its URI, its library's file name inside the bundle, its ui:
  // class, and an optional Turtle file of its own (features, interfaces) in the bundle.
  std::string mUIURI;
  std::string mUIBinary;
  std::string mUIClass = "X11UI";
  std::string mUISeeAlso;
};

// Writes manifest.ttl, the descriptions and presets.ttl into dir (which must exist). False
// with a message when the product offers no variant, a variant cannot be instantiated, or a
// file cannot be written.
bool LV2WriteBundle(LV2DescriptorFunction descriptors, const std::string& dir, const LV2BundleOptions& options,
                    std::string* error);

// Turtle text helpers, exposed for tests: a quoted string literal with escapes, and a number
// written as a Turtle decimal or double that reads back as the same float.
std::string LV2TurtleString(const std::string& text);
std::string LV2TurtleNumber(double value);
