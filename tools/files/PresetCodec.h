// PresetCodec: the command line's translator between the preset file formats. A preset file of any
// format the framework knows (.aupreset class-info dictionary, .fxp program, .fxb bank, chosen by
// extension) is loaded into an in-process Brindle object through the framework's own loaders, so a
// file the plug-in would refuse is refused here with the same reason, and written back out through
// the framework's own builders. The component is driven with the class-info state (ToAUPreset /
// FromAUPreset), which is what a host exchanges with it.
//
// Nothing here knows the parameters: names, values and texts come from the plug-in object.
#pragma once

#include "plugcore/PresetFiles.h"
#include "tools/files/AUPresetFile.h"

#include <memory>
#include <string>

class IEffectBase;

enum class PresetFormat { kUnknown, kAUPreset, kFXP, kFXB };

// By the extension of path (case-insensitive): .aupreset, .fxp, .fxb.
PresetFormat PresetFormatOf(const std::string& path);

class PresetCodec
{
public:
  PresetCodec();
  ~PresetCodec();
  PresetCodec(const PresetCodec&) = delete;
  PresetCodec& operator=(const PresetCodec&) = delete;

  // Loads the file into the plug-in object; false with a one-line reason (naming the file) when the
  // format is unknown or the file is unreadable, foreign, truncated, over 1 MiB or holds a
  // non-finite value. A refused file changes nothing.
  bool Load(const std::string& path, std::string& error);
  // Load, then the state to hand the component: an .aupreset's own dictionary contents, otherwise
  // ToAUPreset of what was loaded.
  bool LoadAsState(const std::string& path, AUPresetContents& state, std::string& error);
  // Writes the plug-in object's state in the format of path's extension: the current preset (name
  // and values) for .aupreset and .fxp, every preset for .fxb (every program of a loaded bank, the
  // current one holding the state). Nothing is written on failure.
  bool Save(const std::string& path, std::string& error);

  // The class-info state of the current preset name and parameter values, as the component
  // would give it.
  AUPresetContents ToAUPreset();
  // The current preset takes the state's values and name (identity checked first).
  bool FromAUPreset(const AUPresetContents& state, std::string& error);

  IEffectBase& Plug();

private:
  // The loaded bank with the plug-in's current state in place of its current program.
  bool BuildBankOverLoaded(PresetFileBytes* out, std::string* error);

  std::unique_ptr<IEffectBase> mPlug;
  FXBBank mBank; // a parameter-form bank as loaded, kept whole for an .fxb output
};
