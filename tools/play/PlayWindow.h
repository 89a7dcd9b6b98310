// PlayWindow: the live pedal's window: the plug-in's editor at its own size, opened the way a host
// opens it, with the host strip (presets, levels, CPU load, xruns) under it. The same window can be
// drawn off screen and saved as a picture.
#pragma once

#include "tools/editor/EditorWindow.h"
#include "tools/play/HostStrip.h"

#include <AudioUnit/AudioUnit.h>

#include <functional>
#include <string>

struct PlayWindowHooks
{
  std::string title;
  // About twenty times a second: fills in what the strip shows; false ends the window.
  std::function<bool(StripStatus&)> tick;
  // Every parameter change the editor makes (repeats of the last value reported left out).
  ParameterChangeHandler onChange;
  // The strip's buttons: load or save this file; the line for the strip saying how it went.
  std::function<std::string(const std::string&)> openPreset, savePreset;
};

// Installs the X11 window backend and runs the window until it is closed, SIGINT or SIGTERM
// arrives, or the tick says to stop; then restores the headless backend. False with a one-line
// message when there is no display or no editor.
bool RunPlayWindow(AudioUnit unit, const std::string& display, const PlayWindowHooks& hooks, std::string& error);

// Draws the window off screen, showing `status` in the strip, and writes it as a PNG.
bool SnapshotPlayWindow(AudioUnit unit, const StripStatus& status, const std::string& path, std::string& error);
