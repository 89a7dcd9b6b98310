// .aupreset files: the class-info dictionary of an Audio Unit written as the XML property list that
// hosts keep presets in. Keys, in the order written: "version", "type", "subtype", "manufacturer"
// (integers: the plug-in's version word and the component's four-character codes as signed 32-bit
// numbers), "name" (string: the preset name) and "data" (data: the plug-in's serialized state).
//
// Writing is deterministic (the same contents always give the same bytes) and crash-safe: the file
// is written beside its destination under a temporary name and renamed into place only when
// complete. Reading accepts XML or binary property lists and refuses anything that is not such a
// dictionary with every key of the right type; other keys are ignored.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <MacTypes.h>

#include <cstdint>
#include <string>
#include <vector>

struct AUPresetContents
{
  std::int32_t version = 0;
  std::int32_t type = 0;
  std::int32_t subtype = 0;
  std::int32_t manufacturer = 0;
  std::string name;
  std::vector<std::uint8_t> data;
};

// From a class-info dictionary; false with a reason when a key is missing or has the wrong type.
bool AUPresetFromDictionary(CFDictionaryRef dictionary, AUPresetContents& out, std::string& error);
// A new class-info dictionary (the caller releases it); null when out of memory.
CFMutableDictionaryRef AUPresetToDictionary(const AUPresetContents& contents);

// The XML property list of the contents.
std::string AUPresetToXml(const AUPresetContents& contents);
// Parses property-list bytes; false with a reason for malformed or incomplete input.
bool AUPresetFromBytes(const std::string& bytes, AUPresetContents& out, std::string& error);

bool ReadAUPresetFile(const std::string& path, AUPresetContents& out, std::string& error);
bool WriteAUPresetFile(const std::string& path, const AUPresetContents& contents, std::string& error);

// False with a reason naming both identities when the preset belongs to another component.
bool CheckAUPresetIdentity(const AUPresetContents& contents, OSType type, OSType subtype, OSType manufacturer,
                           std::string& error);
