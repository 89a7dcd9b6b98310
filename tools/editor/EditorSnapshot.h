// Pictures of the component's editor: open it as a host does, act on it, save what the window shows.
#pragma once

#include <functional>
#include <string>

class EditorHost;

// Loads the bundle at bundlePath, opens an instance and its editor, lets the first repaint happen,
// runs `act` (events, ticks), lets the timer pick up the result and writes the window as a PNG.
// False with a one-line message on any failure.
bool SnapshotEditor(const std::string& bundlePath, const std::function<void(EditorHost&)>& act,
                    const std::string& pngPath, std::string& error);
