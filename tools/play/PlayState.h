// PlayState: where `brindle play` keeps the last settings of each plug-in between runs, and the
// presets it opens and saves. Settings live in $XDG_CONFIG_HOME/brindle/NAME.aupreset (an absolute
// XDG_CONFIG_HOME only, as the base-directory convention asks; else ~/.config/brindle/), written
// beside their place and renamed into it, so a crash never leaves half a file.
#pragma once

#include "tools/host/ComponentHost.h"

#include <string>

// The folder for the settings; empty when neither XDG_CONFIG_HOME nor HOME gives one.
std::string PlayConfigFolder();
// The settings file of a plug-in; its name is kept to letters, digits, '-', '_' and '.'.
std::string PlayStatePath(const std::string& pluginName);
// The plug-in name a bundle folder stands for: "/x/Gain.component/" gives "Gain".
std::string PluginNameOfBundle(const std::string& bundlePath);

// Writes the unit's class-info state to path (making its folder); false with a message.
bool SaveUnitState(ComponentHost& host, const std::string& path, std::string& error);
// Restores a preset file into the unit: .aupreset files directly (after checking they belong to this
// component), .fxp and .fxb through the framework's own loaders. False with a message, the unit
// unchanged.
bool LoadUnitPreset(ComponentHost& host, const std::string& path, std::string& error);
// Writes the unit's state in the format of path's extension (.aupreset, .fxp or .fxb).
bool SaveUnitPreset(ComponentHost& host, const std::string& path, std::string& error);
