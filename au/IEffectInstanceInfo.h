#pragma once
// IEffectInstanceInfo: what the product's factory tells a new Audio Unit instance
// about where it lives. The adapter keeps both strings: the bundle identifier lets
// it find its own bundle (view property, editor images) and the view class name is
// the Cocoa view factory it names to the host.

#include <string>

struct IEffectInstanceInfo
{
  std::string mBundleID;                  // reverse-domain identifier of the plug-in's bundle
  std::string mCocoaViewFactoryClassName; // Objective-C class the host instantiates for the editor
};
