#include "tools/editor/EditorWindow.h"

#include <AppKit/AppKit.h>
#include <BrindleHost/X11Backend.h>
#include <Foundation/NSRunLoop.h>

#include "BrindleIdentity.h"
#include "tools/host/EditorHost.h"

bool RunEditorWindow(AudioUnit unit, const std::string& display, const ParameterChangeHandler& onChange,
                     std::string& error, double scale)
{
  BrindleHost::X11Options options;
  options.mDisplay = display;
  options.mTitle = BrindleIdentity::kName;
  std::unique_ptr<BrindleHost::IWindowBackend> backend = BrindleHost::MakeX11Backend(options, &error);
  if (!backend) return false;
  BrindleHost::SetBackend(std::move(backend));
  if (scale <= 0.0) scale = BrindleHost::X11DisplayScale();

  bool opened = false;
  {
    ParameterChangeListener listener(unit, onChange);
    InterruptScope signals;
    EditorHost editor;
    opened = editor.Open(unit, error, scale);
    if (opened) {
      NSRunLoop* loop = NSRunLoop::mainRunLoop();
      while (!InterruptScope::Interrupted() && editor.Window()->isVisible()) loop->runUntilTime(loop->now() + 0.1);
    }
    editor.Close();
  }
  BrindleHost::SetBackend(nullptr); // closes the display
  return opened;
}
