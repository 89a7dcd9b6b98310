// EditorWindow: a component's editor in a real window on the X display, opened through EditorHost
// the way a host opens it, running until the window is closed or the program is interrupted.
#pragma once

#include <AudioUnit/AudioUnit.h>

#include <string>

#include "tools/editor/WindowSession.h"

// Installs the X11 window backend, opens the editor of `unit` in a window, and calls onChange for
// every parameter change the editor makes (a repeat of the value last reported is left out). Runs
// until the window closes or SIGINT/SIGTERM arrives, then closes the editor and restores the
// headless backend. False with a one-line message when there is no display or no editor. The editor
// is drawn at scale (1 to 3); 0 or below follows the display
// (BrindleHost::X11DisplayScale).
bool RunEditorWindow(AudioUnit unit, const std::string& display, const ParameterChangeHandler& onChange,
                     std::string& error, double scale = 0.0);
